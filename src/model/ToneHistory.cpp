#include "model/ToneHistory.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vexlorin {

double ToneValue(const TDrayBinEntry& AEntry, TToneQuantity AQuantity) {
    return AQuantity == TToneQuantity::SNR ? static_cast<double>(AEntry.SNR)
                                           : static_cast<double>(AEntry.ToneBits);
}

// ---------------------------------------------------------------------------------------
// Time series

int64_t GapThresholdMs(const std::vector<int64_t>& ATimesMs, int64_t AMinimumMs) {
    if (ATimesMs.size() < 2)
        return AMinimumMs;
    std::vector<int64_t> steps;
    steps.reserve(ATimesMs.size() - 1);
    for (std::size_t i = 1; i < ATimesMs.size(); ++i)
        steps.push_back(ATimesMs[i] - ATimesMs[i - 1]);
    auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return std::max<int64_t>(AMinimumMs, *middle * 3);
}

TTimeSeries WithGaps(const TTimeSeries& ASeries, int64_t AThresholdMs) {
    TTimeSeries result;
    result.Keys.reserve(ASeries.Keys.size());
    result.Values.reserve(ASeries.Values.size());
    for (std::size_t i = 0; i < ASeries.Keys.size(); ++i) {
        if (i > 0 && ASeries.Keys[i] - ASeries.Keys[i - 1] > static_cast<double>(AThresholdMs)) {
            result.Keys.push_back((ASeries.Keys[i] + ASeries.Keys[i - 1]) / 2);
            result.Values.push_back(NoValue);
        }
        result.Keys.push_back(ASeries.Keys[i]);
        result.Values.push_back(ASeries.Values[i]);
    }
    return result;
}

TTimeSeries BucketSums(const TTimeSeries& ASeries, double AFrom, double ATo, int ABuckets) {
    TTimeSeries result;
    const auto first = std::lower_bound(ASeries.Keys.begin(), ASeries.Keys.end(), AFrom);
    const auto last = std::upper_bound(first, ASeries.Keys.end(), ATo);
    const auto begin = static_cast<std::size_t>(first - ASeries.Keys.begin());
    const auto end = static_cast<std::size_t>(last - ASeries.Keys.begin());
    if (ABuckets <= 0 || !(ATo > AFrom) || end - begin <= static_cast<std::size_t>(ABuckets)) {
        for (std::size_t i = begin; i < end; ++i) {
            if (std::isnan(ASeries.Values[i]))
                continue;
            result.Keys.push_back(ASeries.Keys[i]);
            result.Values.push_back(ASeries.Values[i]);
        }
        return result;
    }
    const double width = (ATo - AFrom) / ABuckets;
    std::vector<double> sums(static_cast<std::size_t>(ABuckets), 0);
    std::vector<bool> used(static_cast<std::size_t>(ABuckets), false);
    for (std::size_t i = begin; i < end; ++i) {
        if (std::isnan(ASeries.Values[i]))
            continue;
        const auto bucket = static_cast<std::size_t>(
            std::clamp<double>(std::floor((ASeries.Keys[i] - AFrom) / width), 0, ABuckets - 1));
        sums[bucket] += ASeries.Values[i];
        used[bucket] = true;
    }
    for (std::size_t b = 0; b < sums.size(); ++b) {
        if (!used[b])
            continue;
        result.Keys.push_back(AFrom + (static_cast<double>(b) + 0.5) * width);
        result.Values.push_back(sums[b]);
    }
    return result;
}

// ---------------------------------------------------------------------------------------
// Envelope

TToneEnvelope::TToneEnvelope(int ATones, TToneQuantity AQuantity)
    : FQuantity(AQuantity),
      FMinimum(static_cast<std::size_t>(std::clamp(ATones, 0, static_cast<int>(BinArraySize))),
               NoValue),
      FMaximum(FMinimum.size(), NoValue), FSum(FMinimum.size(), 0) {}

void TToneEnvelope::Add(const TDrayBinArray& ABins) {
    for (std::size_t tone = 0; tone < FSum.size(); ++tone) {
        const double value = ToneValue(ABins[tone], FQuantity);
        if (FSets == 0) {
            FMinimum[tone] = value;
            FMaximum[tone] = value;
        } else {
            FMinimum[tone] = std::min(FMinimum[tone], value);
            FMaximum[tone] = std::max(FMaximum[tone], value);
        }
        FSum[tone] += value;
    }
    ++FSets;
}

void TToneEnvelope::Merge(const TToneEnvelope& AOther) {
    if (AOther.FSum.size() != FSum.size() || AOther.FQuantity != FQuantity)
        throw std::invalid_argument("envelopes of other tones cannot be merged");
    if (AOther.FSets == 0)
        return;
    if (FSets == 0) {
        *this = AOther;
        return;
    }
    for (std::size_t tone = 0; tone < FSum.size(); ++tone) {
        FMinimum[tone] = std::min(FMinimum[tone], AOther.FMinimum[tone]);
        FMaximum[tone] = std::max(FMaximum[tone], AOther.FMaximum[tone]);
        FSum[tone] += AOther.FSum[tone];
    }
    FSets += AOther.FSets;
}

double TToneEnvelope::Minimum(int ATone) const {
    return ATone >= 0 && ATone < Tones() ? FMinimum[static_cast<std::size_t>(ATone)] : NoValue;
}

double TToneEnvelope::Maximum(int ATone) const {
    return ATone >= 0 && ATone < Tones() ? FMaximum[static_cast<std::size_t>(ATone)] : NoValue;
}

double TToneEnvelope::Mean(int ATone) const {
    if (FSets == 0 || ATone < 0 || ATone >= Tones())
        return NoValue;
    return FSum[static_cast<std::size_t>(ATone)] / static_cast<double>(FSets);
}

// ---------------------------------------------------------------------------------------
// Waterfall

int TWaterfallGrid::RowOf(double ATimeMs) const {
    if (Rows <= 0 || !(ATimeMs >= FromMs) || !(ATimeMs <= ToMs))
        return -1;
    const double span = ToMs - FromMs;
    if (!(span > 0))
        return 0;
    return std::min(Rows - 1, static_cast<int>(std::floor((ATimeMs - FromMs) / span * Rows)));
}

int TWaterfallGrid::ColumnOf(int ATone) const {
    if (Columns <= 0 || ATone < 0 || ATone >= Tones)
        return -1;
    return static_cast<int>(static_cast<int64_t>(ATone) * Columns / Tones);
}

TWaterfallBuilder::TWaterfallBuilder(double AFromMs, double AToMs, int ATones,
                                     TToneQuantity AQuantity, int ARows, int AColumns,
                                     int64_t ASetsExpected)
    : FQuantity(AQuantity) {
    FGrid.FromMs = std::min(AFromMs, AToMs);
    FGrid.ToMs = std::max(AFromMs, AToMs);
    FGrid.Tones = std::clamp(ATones, 0, static_cast<int>(BinArraySize));
    FGrid.Columns = std::clamp(AColumns, 0, FGrid.Tones);
    FGrid.Rows = std::max(0, ARows);
    if (ASetsExpected > 0)
        FGrid.Rows = static_cast<int>(std::min<int64_t>(FGrid.Rows, ASetsExpected));
    if (FGrid.Columns == 0)
        FGrid.Rows = 0;
    const std::size_t cells =
        static_cast<std::size_t>(FGrid.Rows) * static_cast<std::size_t>(FGrid.Columns);
    FSum.assign(cells, 0);
    FCount.assign(cells, 0);
}

void TWaterfallBuilder::Add(double ATimeMs, const TDrayBinArray& ABins) {
    const int row = FGrid.RowOf(ATimeMs);
    if (row < 0 || FGrid.Columns == 0)
        return;
    const std::size_t base =
        static_cast<std::size_t>(row) * static_cast<std::size_t>(FGrid.Columns);
    for (int tone = 0; tone < FGrid.Tones; ++tone) {
        const std::size_t cell = base + static_cast<std::size_t>(FGrid.ColumnOf(tone));
        FSum[cell] += ToneValue(ABins[static_cast<std::size_t>(tone)], FQuantity);
        ++FCount[cell];
    }
    ++FGrid.Sets;
}

void TWaterfallBuilder::Merge(const TWaterfallBuilder& AOther) {
    if (AOther.FSum.size() != FSum.size() || AOther.FQuantity != FQuantity ||
        AOther.FGrid.FromMs != FGrid.FromMs || AOther.FGrid.ToMs != FGrid.ToMs ||
        AOther.FGrid.Columns != FGrid.Columns)
        throw std::invalid_argument("waterfalls of other cells cannot be merged");
    for (std::size_t i = 0; i < FSum.size(); ++i) {
        FSum[i] += AOther.FSum[i];
        FCount[i] += AOther.FCount[i];
    }
    FGrid.Sets += AOther.FGrid.Sets;
}

TWaterfallGrid TWaterfallBuilder::Take() {
    FGrid.Cells.resize(FSum.size());
    for (std::size_t i = 0; i < FSum.size(); ++i)
        FGrid.Cells[i] = FCount[i] > 0 ? FSum[i] / FCount[i] : NoValue;
    FSum.clear();
    FCount.clear();
    return std::move(FGrid);
}

} // namespace vexlorin
