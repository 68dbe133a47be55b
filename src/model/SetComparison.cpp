// The comparison of two statistics sets: the table differences, the band and direction
// figures, the tones whose bit loading moved, and the summary values side by side.
#include "model/SetComparison.h"

#include <algorithm>
#include <cmath>

namespace vexlorin {

const TDrayStatArray& GroupValues(const TDrayData& AData, TGroupTableId ATable,
                                  TStatDirection ADirection) {
    const bool up = ADirection == sdUp;
    switch (ATable) {
    case gtHLog:
        return up ? AData.HLogStatsUS() : AData.HLogStatsDS();
    case gtQLN:
        return up ? AData.QLNStatsUS() : AData.QLNStatsDS();
    case gtSNR:
    case GroupTableCount:
        break;
    }
    return up ? AData.SNRStatsUS() : AData.SNRStatsDS();
}

int GroupSize(const TDrayData& AData, TGroupTableId ATable, TStatDirection ADirection) {
    const TStatMultipliers& sizes = ATable == gtHLog  ? AData.HLogMultipliers()
                                    : ATable == gtQLN ? AData.QLNMultipliers()
                                                      : AData.SNRMultipliers();
    return sizes[ADirection == sdUp ? sdUp : sdDown];
}

const TDrayBinArray& BinValues(const TDrayData& AData, TStatDirection ADirection) {
    return ADirection == sdUp ? AData.ShowBinStatsUS() : AData.ShowBinStatsDS();
}

double ToneValue(const TDrayBinEntry& AEntry, TToneValueId AValue) {
    switch (AValue) {
    case tvGain:
        return AEntry.Gain / 10.0;
    case tvBits:
        return AEntry.ToneBits;
    case tvSNR:
    case ToneValueCount:
        break;
    }
    return AEntry.SNR;
}

int ProfileToneCount(TVDSLProfile AProfile) {
    return std::min<int>(VDSLProfileTones[SafeProfile(AProfile)], BinArraySize);
}

bool HoldsBins(const TDrayBinArray& ABins) {
    return std::any_of(ABins.begin(), ABins.end(),
                       [](const TDrayBinEntry& AEntry) { return !(AEntry == TDrayBinEntry{}); });
}

std::optional<double> GroupValueAtTone(const TDrayStatArray& AValues, int AGroupSize, int ATone) {
    if (AGroupSize <= 0 || ATone < 0)
        return std::nullopt;
    const auto group = static_cast<std::size_t>(ATone / AGroupSize);
    if (group >= AValues.size() || !AValues[group].HasValue())
        return std::nullopt;
    return AValues[group].Value();
}

TGroupDifference CompareGroupTables(const TDrayStatArray& AReference, int AReferenceSize,
                                    const TDrayStatArray& ASelected, int ASelectedSize,
                                    int ACommonTones) {
    TGroupDifference difference;
    // A table that was never built has size 0 and no values: the other one gives the grid.
    const int sizes[] = {AReferenceSize, ASelectedSize};
    for (const int size : sizes)
        if (size > 0 && (difference.GroupSize == 0 || size < difference.GroupSize))
            difference.GroupSize = size;
    if (difference.GroupSize == 0)
        return difference;
    for (std::size_t g = 0; g < StatArraySize; ++g) {
        const int tone = static_cast<int>(g) * difference.GroupSize;
        if (tone >= ACommonTones)
            break;
        const auto reference = GroupValueAtTone(AReference, AReferenceSize, tone);
        const auto selected = GroupValueAtTone(ASelected, ASelectedSize, tone);
        difference.Values[g] = Change(reference, selected);
    }
    return difference;
}

namespace {

TToneDifference CompareTones(const TDrayBinArray& AReference, const TDrayBinArray& ASelected,
                             bool ACompared, TToneValueId AValue, int ACommonTones) {
    TToneDifference difference;
    if (!ACompared)
        return difference;
    difference.Values.resize(static_cast<std::size_t>(ACommonTones));
    for (std::size_t t = 0; t < difference.Values.size(); ++t) {
        const TDrayBinEntry& a = AReference[t];
        const TDrayBinEntry& b = ASelected[t];
        // Gains in whole tenths first, so that equal gains differ by exactly 0.
        difference.Values[t] = AValue == tvGain ? (b.Gain - a.Gain) / 10.0
                                                : ToneValue(b, AValue) - ToneValue(a, AValue);
    }
    return difference;
}

struct TToneRange {
    int First = 0;
    int Last = -1;
};

// What a set carries over a range of tones; the range is cut to the set's profile.
TRangeFigures Figures(const TDrayData& AData, TStatDirection ADirection, TToneRange ARange,
                      bool AHoldsBins) {
    TRangeFigures figures;
    const int last = std::min(ARange.Last, ProfileToneCount(AData.VDSLProfile()) - 1);
    const int first = std::max(ARange.First, 0);
    if (first > last)
        return figures;
    if (AHoldsBins) {
        int64_t bits = 0;
        const TDrayBinArray& bins = BinValues(AData, ADirection);
        for (int t = first; t <= last; ++t)
            bits += std::max<int>(bins[static_cast<std::size_t>(t)].ToneBits, 0);
        figures.Bits = bits;
    }
    // The per-group SNR, not the bins table's: it is always read, and some modems report
    // per-tone SNR for the first 512 tones only.
    const TDrayStatArray& snr = GroupValues(AData, gtSNR, ADirection);
    const int size = GroupSize(AData, gtSNR, ADirection);
    double sum = 0;
    int count = 0;
    for (int t = first; t <= last; ++t) {
        if (const auto value = GroupValueAtTone(snr, size, t)) {
            sum += *value;
            ++count;
        }
    }
    if (count > 0)
        figures.MeanSNR = sum / count;
    return figures;
}

std::optional<TToneRange> BandRange(const TBandSummary* ABand) {
    if (!ABand)
        return std::nullopt;
    const auto first = ABand->Values[biFirstTone].AsInteger();
    const auto last = ABand->Values[biLastTone].AsInteger();
    if (!first || !last)
        return std::nullopt;
    // The limits come from the text: clamp before they become tone numbers.
    const auto clamp = [](int64_t AValue) {
        return static_cast<int>(std::clamp<int64_t>(AValue, -1, BinArraySize));
    };
    return TToneRange{clamp(*first), clamp(*last)};
}

TRangeComparison CompareBand(const TDrayData& AReference, const TLineSummary& AReferenceSummary,
                             const TDrayData& ASelected, const TLineSummary& ASelectedSummary,
                             TStatDirection ADirection, const std::string& AName,
                             const std::array<std::array<bool, 2>, 2>& AHoldsBins) {
    // AHoldsBins: [set: reference, selected][direction]
    TRangeComparison band;
    band.Direction = ADirection;
    band.Name = AName;
    const TBandSummary* reference = FindBand(AReferenceSummary, ADirection, AName);
    const TBandSummary* selected = FindBand(ASelectedSummary, ADirection, AName);
    const auto referenceRange = BandRange(reference);
    const auto selectedRange = BandRange(selected);
    // A set whose text lacks the band is measured over the other set's limits.
    const auto shown = selectedRange ? selectedRange : referenceRange;
    if (shown) {
        band.FirstTone = shown->First;
        band.LastTone = shown->Last;
        band.Reference = Figures(AReference, ADirection, referenceRange.value_or(*shown),
                                 AHoldsBins[0][ADirection]);
        band.Selected = Figures(ASelected, ADirection, selectedRange.value_or(*shown),
                                AHoldsBins[1][ADirection]);
    }
    if (reference)
        band.Reference.Margin = reference->Values[biSNRM].AsNumber();
    if (selected)
        band.Selected.Margin = selected->Values[biSNRM].AsNumber();
    return band;
}

} // namespace

namespace {

// [set: reference, selected][direction]
using THoldsBins = std::array<std::array<bool, 2>, 2>;

THoldsBins HoldsBinsOf(const TDrayData& AReference, const TDrayData& ASelected) {
    THoldsBins holds{};
    for (const TStatDirection direction : {sdUp, sdDown}) {
        holds[0][direction] = HoldsBins(BinValues(AReference, direction));
        holds[1][direction] = HoldsBins(BinValues(ASelected, direction));
    }
    return holds;
}

} // namespace

TSetComparison CompareTables(const TDrayData& AReference, const TDrayData& ASelected) {
    TSetComparison comparison;
    comparison.ReferenceTones = ProfileToneCount(AReference.VDSLProfile());
    comparison.SelectedTones = ProfileToneCount(ASelected.VDSLProfile());
    const int common = comparison.CommonTones();

    for (int table = 0; table < GroupTableCount; ++table) {
        for (const TStatDirection direction : {sdUp, sdDown}) {
            const auto id = static_cast<TGroupTableId>(table);
            comparison.Groups[id][direction] = CompareGroupTables(
                GroupValues(AReference, id, direction), GroupSize(AReference, id, direction),
                GroupValues(ASelected, id, direction), GroupSize(ASelected, id, direction), common);
        }
    }

    const THoldsBins holdsBins = HoldsBinsOf(AReference, ASelected);
    for (const TStatDirection direction : {sdUp, sdDown}) {
        const TDrayBinArray& a = BinValues(AReference, direction);
        const TDrayBinArray& b = BinValues(ASelected, direction);
        const bool compared = holdsBins[0][direction] && holdsBins[1][direction];
        for (int value = 0; value < ToneValueCount; ++value)
            comparison.Tones[value][direction] =
                CompareTones(a, b, compared, static_cast<TToneValueId>(value), common);
        if (!compared)
            continue;
        for (int t = 0; t < common; ++t) {
            const int before = a[static_cast<std::size_t>(t)].ToneBits;
            const int after = b[static_cast<std::size_t>(t)].ToneBits;
            if (std::abs(after - before) > SignificantBitChange)
                comparison.BitChanges[direction].push_back({t, before, after});
        }
    }
    return comparison;
}

TSetComparison CompareSets(const TDrayData& AReference, const TDrayData& ASelected) {
    TSetComparison comparison = CompareTables(AReference, ASelected);
    const THoldsBins holdsBins = HoldsBinsOf(AReference, ASelected);
    comparison.Reference = SummarizeSet(AReference);
    comparison.Selected = SummarizeSet(ASelected);
    for (const TStatDirection direction : {sdDown, sdUp}) {
        TRangeComparison& whole = comparison.Directions[direction];
        whole.Direction = direction;
        whole.Reference = Figures(AReference, direction, {0, comparison.ReferenceTones - 1},
                                  holdsBins[0][direction]);
        whole.Selected = Figures(ASelected, direction, {0, comparison.SelectedTones - 1},
                                 holdsBins[1][direction]);
        whole.Reference.Margin = comparison.Reference.Get(direction, diSNRMargin).AsNumber();
        whole.Selected.Margin = comparison.Selected.Get(direction, diSNRMargin).AsNumber();
    }
    const auto addBands = [&](const TLineSummary& ASummary) {
        for (const TBandSummary& band : ASummary.Bands) {
            const bool known = std::any_of(
                comparison.Bands.begin(), comparison.Bands.end(), [&](const TRangeComparison& A) {
                    return A.Direction == band.Direction && A.Name == band.Name;
                });
            if (!known)
                comparison.Bands.push_back(CompareBand(AReference, comparison.Reference, ASelected,
                                                       comparison.Selected, band.Direction,
                                                       band.Name, holdsBins));
        }
    };
    addBands(comparison.Selected);
    addBands(comparison.Reference);
    return comparison;
}

const std::array<TSummaryField, RangeItemCount>& RangeFields() {
    static constexpr std::array<TSummaryField, RangeItemCount> fields = {{
        {"bits", "Bits per symbol", "", skGauge},
        {"mean_snr_db", "Mean SNR", "dB", skGauge},
        {"margin_db", "SNR margin", "dB", skGauge},
    }};
    return fields;
}

TSummaryValue RangeValue(const TRangeFigures& AFigures, TRangeItem AItem) {
    switch (AItem) {
    case riBits:
        return AFigures.Bits ? TSummaryValue::Integer(*AFigures.Bits) : TSummaryValue();
    case riMeanSNR:
        return AFigures.MeanSNR ? TSummaryValue::Decimal(*AFigures.MeanSNR) : TSummaryValue();
    case riMargin:
    case RangeItemCount:
        break;
    }
    return AFigures.Margin ? TSummaryValue::Decimal(*AFigures.Margin) : TSummaryValue();
}

// ---------------------------------------------------------------------------------------
// Summary values

TSummaryValue SummaryDifference(const TSummaryValue& AReference, const TSummaryValue& ASelected) {
    if (AReference.IsInteger() && ASelected.IsInteger())
        return TSummaryValue::Integer(*ASelected.AsInteger() - *AReference.AsInteger());
    const auto reference = AReference.AsNumber();
    const auto selected = ASelected.AsNumber();
    if (!reference || !selected)
        return {};
    // Six decimals are more than any value holds; the rest is binary noise (6.3 - 6.2).
    return TSummaryValue::Decimal(std::round((*selected - *reference) * 1e6) / 1e6);
}

std::string FormatSummaryDifference(const TSummaryField& AField, const TSummaryValue& AValue) {
    const auto number = AValue.AsNumber();
    if (!number)
        return FormatSummaryValue(AField, AValue);
    // Decimal differences of values with two decimals: round away the binary noise, so
    // that 12.1 - 12 reads 0.1 and equal values read 0.
    const TSummaryValue value =
        AValue.IsDecimal() ? TSummaryValue::Decimal(std::round(*number * 1000) / 1000) : AValue;
    std::string text = FormatSummaryValue(AField, value);
    if (*value.AsNumber() > 0 && !text.empty() && text[0] != '+')
        text = "+" + text;
    if (text.rfind("-0 ", 0) == 0 || text == "-0")
        text.erase(0, 1);
    return text;
}

namespace {

template <std::size_t N>
void Differences(const std::array<TSummaryField, N>& AFields,
                 const std::array<TSummaryValue, N>& AReference,
                 const std::array<TSummaryValue, N>& ASelected,
                 std::array<TSummaryValue, N>& ATarget) {
    for (std::size_t i = 0; i < N; ++i)
        if (AFields[i].Kind != skInfo)
            ATarget[i] = SummaryDifference(AReference[i], ASelected[i]);
}

} // namespace

TLineSummary SummaryDifferences(const TLineSummary& AReference, const TLineSummary& ASelected) {
    TLineSummary difference;
    Differences(LineFields(), AReference.Line, ASelected.Line, difference.Line);
    for (const TStatDirection direction : {sdDown, sdUp}) {
        Differences(DirectionFields(), AReference.Directions[direction],
                    ASelected.Directions[direction], difference.Directions[direction]);
        Differences(BitsFields(), AReference.Bits[direction], ASelected.Bits[direction],
                    difference.Bits[direction]);
    }
    for (const TBandSummary& band : ASelected.Bands) {
        const TBandSummary* reference = FindBand(AReference, band.Direction, band.Name);
        if (!reference)
            continue;
        TBandSummary& changed = difference.Bands.emplace_back();
        changed.Direction = band.Direction;
        changed.Name = band.Name;
        Differences(BandFields(), reference->Values, band.Values, changed.Values);
    }
    return difference;
}

const TBandSummary* FindBand(const TLineSummary& ASummary, TStatDirection ADirection,
                             const std::string& AName) {
    for (const TBandSummary& band : ASummary.Bands)
        if (band.Direction == ADirection && band.Name == AName)
            return &band;
    return nullptr;
}

} // namespace vexlorin
