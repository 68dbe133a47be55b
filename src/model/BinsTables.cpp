// Bins tables: showbins answers to per-tone entries.
#include "model/BinsScan.h"
#include "model/Convert.h"
#include "model/uDrayData.h"

#include <mutex>

namespace vexlorin {

namespace {

// A number that does not fit 32 bits counts as 0.
int32_t ValueOrZero(std::string_view ADigits) {
    return TryStrToInt(ADigits).value_or(0);
}

} // namespace

void TDrayData::ParseBinLine(std::string_view ALine, TDrayBinArray& ATarget) {
    std::size_t from = 0;
    while (const auto match = FindBinQuadruple(ALine, from)) {
        from = match->End;
        const auto& numbers = match->Numbers;
        const auto tone = static_cast<uint16_t>(StrToInt(numbers[0]) & 0xFFFF);
        if (tone >= ATarget.size())
            continue; // no such entry: the quadruple is dropped
        TDrayBinEntry& entry = ATarget[tone];
        entry.Bin = tone;
        entry.SNR = static_cast<int16_t>(ValueOrZero(numbers[1]));
        entry.Gain = static_cast<int16_t>(ValueOrZero(numbers[2]));
        entry.ToneBits = static_cast<int8_t>(ValueOrZero(numbers[3]));
    }
}

void TDrayData::RebuildBins(TStatDirection ADirection) {
    std::shared_lock lock(FBinStatsLock);
    TDrayBinArray& target = ADirection == sdUp ? FShowBinStatsUS : FShowBinStatsDS;
    for (const auto& line : ADirection == sdUp ? FBinStatsUSRaw : FBinStatsDSRaw)
        ParseBinLine(line, target);
}

} // namespace vexlorin
