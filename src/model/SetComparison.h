// Two statistics sets compared: what the selected set holds minus what the reference set
// holds, per group of the HLog, QLN and SNR tables, per tone of the bins tables, per band
// and per direction, the tones whose bit loading moved by more than 2 bits, and the line
// summaries side by side. The charts, the Summary page and vexlorin-cli diff all read this
// one computation, so they can never disagree about a difference.
//
// A difference exists only where both sets hold a value: a null or empty slot, a missing
// bins table, or a tone beyond either set's profile gives none, never a 0.
#pragma once

#include "model/LineSummary.h"
#include "model/uDrayData.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexlorin {

// ---------------------------------------------------------------------------------------
// The tables of a set, by kind

enum TGroupTableId : uint8_t { gtHLog, gtQLN, gtSNR, GroupTableCount };
// The per-tone values of a bins entry, in the order export writes them.
enum TToneValueId : uint8_t { tvSNR, tvGain, tvBits, ToneValueCount };

const TDrayStatArray& GroupValues(const TDrayData& AData, TGroupTableId ATable,
                                  TStatDirection ADirection);
int GroupSize(const TDrayData& AData, TGroupTableId ATable, TStatDirection ADirection);
const TDrayBinArray& BinValues(const TDrayData& AData, TStatDirection ADirection);
// SNR as stored, gain in dB, bits.
double ToneValue(const TDrayBinEntry& AEntry, TToneValueId AValue);

// The tones of a set's profile: 8192 for N/A and for a damaged file's profile.
int ProfileToneCount(TVDSLProfile AProfile);
// True when the bins table holds anything: a set read without bins has all entries 0.
bool HoldsBins(const TDrayBinArray& ABins);

// The value a per-group table holds for a tone, the value of the group the tone belongs
// to; none for a null or empty slot, a group size of 0 or a tone past the 512 groups.
std::optional<double> GroupValueAtTone(const TDrayStatArray& AValues, int AGroupSize, int ATone);

// ---------------------------------------------------------------------------------------
// Differences

// One direction of one per-group table: the selected set's minus the reference's.
struct TGroupDifference {
    // Tones per entry: the finer of the two tables' group sizes (the sets may differ).
    int GroupSize = 0;
    // Entry g is the difference at tone g x GroupSize; none where either has no value.
    std::array<std::optional<double>, StatArraySize> Values{};
};

// One per-tone value in one direction: entry t is the difference at tone t, for the tones
// both profiles have; empty when either set holds no bins table in that direction.
struct TToneDifference {
    std::vector<double> Values;
};

// What a band, or a whole direction, carries in one set.
struct TRangeFigures {
    std::optional<int64_t> Bits;   // bits per symbol over its tones (bins table)
    std::optional<double> MeanSNR; // dB, mean over its tones of the per-group SNR table
    std::optional<double> Margin;  // dB: the band's SNRM, or the direction's SNR margin
    friend bool operator==(const TRangeFigures&, const TRangeFigures&) = default;
};

// The figures as summary values, for the users that walk descriptor tables (keys
// "bits", "mean_snr_db", "margin_db").
enum TRangeItem : uint8_t { riBits, riMeanSNR, riMargin, RangeItemCount };
const std::array<TSummaryField, RangeItemCount>& RangeFields();
TSummaryValue RangeValue(const TRangeFigures& AFigures, TRangeItem AItem);

// A band of "vdsl status bandinfo" (or a whole direction, Name empty) in both sets.
struct TRangeComparison {
    TStatDirection Direction = sdDown;
    std::string Name;
    // The selected set's limits, else the reference's; none when no limits are known.
    std::optional<int> FirstTone, LastTone;
    TRangeFigures Reference, Selected;
};

// A tone whose bit loading moved by more than 2 bits.
struct TBitChange {
    int Tone = 0;
    int Reference = 0;
    int Selected = 0;
    int Change() const { return Selected - Reference; }
    friend bool operator==(const TBitChange&, const TBitChange&) = default;
};

inline constexpr int SignificantBitChange = 2;

struct TSetComparison {
    int ReferenceTones = 0; // the profiles' tone counts
    int SelectedTones = 0;
    int CommonTones() const {
        return ReferenceTones < SelectedTones ? ReferenceTones : SelectedTones;
    }
    int AllTones() const { return ReferenceTones > SelectedTones ? ReferenceTones : SelectedTones; }

    std::array<std::array<TGroupDifference, 2>, GroupTableCount> Groups; // [table][direction]
    std::array<std::array<TToneDifference, 2>, ToneValueCount> Tones;    // [value][direction]
    std::array<TRangeComparison, 2> Directions;                          // [direction]
    // Every band of either set, the selected set's first, matched by direction and name.
    std::vector<TRangeComparison> Bands;
    std::array<std::vector<TBitChange>, 2> BitChanges; // [direction], in tone order
    TLineSummary Reference, Selected;
};

// Everything above for two sets; comparing a set with itself gives zero wherever it
// holds a value.
TSetComparison CompareSets(const TDrayData& AReference, const TDrayData& ASelected);
// The table differences and the bit changes alone (what the charts draw): the summaries,
// the directions and the bands stay empty. Cheaper: no statistics text is read.
TSetComparison CompareTables(const TDrayData& AReference, const TDrayData& ASelected);

// The group-table difference alone, as CompareSets computes it.
TGroupDifference CompareGroupTables(const TDrayStatArray& AReference, int AReferenceSize,
                                    const TDrayStatArray& ASelected, int ASelectedSize,
                                    int ACommonTones);

// B minus A of two optional figures; none unless both are there.
template <class T>
std::optional<T> Change(const std::optional<T>& AReference, const std::optional<T>& ASelected) {
    if (!AReference || !ASelected)
        return std::nullopt;
    return *ASelected - *AReference;
}

// ---------------------------------------------------------------------------------------
// Summary values side by side

// The selected value minus the reference value when both are numbers (an integer when
// both are); absent otherwise.
TSummaryValue SummaryDifference(const TSummaryValue& AReference, const TSummaryValue& ASelected);
// A difference as the user reads it, signed and with the field's unit: "+1.5 dB",
// "-0.250 Mbit/s", "0 s"; "" for an absent value.
std::string FormatSummaryDifference(const TSummaryField& AField, const TSummaryValue& AValue);
// A summary of differences: every numeric value that is not a plain description (kind
// skInfo) and that both summaries hold, selected minus reference; the bands both hold,
// matched by direction and name.
TLineSummary SummaryDifferences(const TLineSummary& AReference, const TLineSummary& ASelected);
// The band of a summary with this direction and name, or null.
const TBandSummary* FindBand(const TLineSummary& ASummary, TStatDirection ADirection,
                             const std::string& AName);

} // namespace vexlorin
