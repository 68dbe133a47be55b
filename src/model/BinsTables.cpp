// Bins tables: showbins answers to per-tone entries.
#include "model/BinsScan.h"
#include "model/Convert.h"
#include "model/uDrayData.h"

#include <cstdint>
#include <mutex>

namespace vexlorin {

namespace {

// A number that does not fit 32 bits counts as 0.
int32_t ValueOrZero(int64_t AValue) {
    return AValue >= INT32_MIN && AValue <= INT32_MAX ? static_cast<int32_t>(AValue) : 0;
}

} // namespace

void TDrayData::ParseBinLine(std::string_view ALine, TDrayBinArray& ATarget) {
    TBinQuadruple match;
    for (std::size_t from = 0; FindBinQuadruple(ALine, from, match); from = match.End) {
        const auto& values = match.Values;
        if (values[0] > INT32_MAX)
            detail::RaiseNotAnInteger(match.Numbers[0]); // as StrToInt does
        const auto tone = static_cast<uint16_t>(values[0] & 0xFFFF);
        if (tone >= ATarget.size())
            continue; // no such entry: the quadruple is dropped
        TDrayBinEntry& entry = ATarget[tone];
        entry.Bin = tone;
        entry.SNR = static_cast<int16_t>(ValueOrZero(values[1]));
        entry.Gain = static_cast<int16_t>(ValueOrZero(values[2]));
        entry.ToneBits = static_cast<int8_t>(ValueOrZero(values[3]));
    }
}

void TDrayData::RebuildBins(TStatDirection ADirection) {
    std::shared_lock lock(FBinStatsLock);
    TDrayBinArray& target = ADirection == sdUp ? FShowBinStatsUS : FShowBinStatsDS;
    for (const auto& line : ADirection == sdUp ? FBinStatsUSRaw : FBinStatsDSRaw)
        ParseBinLine(line, target);
}

} // namespace vexlorin
