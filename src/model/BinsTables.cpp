// Bins tables: showbins answers to per-tone entries.
#include "model/Convert.h"
#include "model/Regex.h"
#include "model/uDrayData.h"

#include <mutex>

namespace vexlorin {

namespace {

const TRegex& QuadruplePattern() {
    static const TRegex pattern(R"(\s*(\d+)\s+(\d+)\s+(-?\d+)\s+(\d+))");
    return pattern;
}

// A number that does not fit 32 bits counts as 0.
int32_t ValueOrZero(std::string_view ADigits) {
    return TryStrToInt(ADigits).value_or(0);
}

} // namespace

void TDrayData::ParseBinLine(std::string_view ALine, TDrayBinArray& ATarget) {
    std::size_t from = 0;
    while (auto match = QuadruplePattern().Find(ALine, from)) {
        from = match->End();
        const auto tone = static_cast<uint16_t>(StrToInt(*match->Group(1)) & 0xFFFF);
        if (tone >= ATarget.size())
            continue; // no such entry: the quadruple is dropped
        TDrayBinEntry& entry = ATarget[tone];
        entry.Bin = tone;
        entry.SNR = static_cast<int16_t>(ValueOrZero(*match->Group(2)));
        entry.Gain = static_cast<int16_t>(ValueOrZero(*match->Group(3)));
        entry.ToneBits = static_cast<int8_t>(ValueOrZero(*match->Group(4)));
    }
}

void TDrayData::RebuildBins(TStatDirection ADirection) {
    std::shared_lock lock(FBinStatsLock);
    TDrayBinArray& target = ADirection == sdUp ? FShowBinStatsUS : FShowBinStatsDS;
    for (const auto& line : ADirection == sdUp ? FBinStatsUSRaw : FBinStatsDSRaw)
        ParseBinLine(line, target);
}

} // namespace vexlorin
