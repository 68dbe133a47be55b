// Computations over many samples of one line, for the history charts: gaps in a time
// series, errors per interval gathered into buckets, and over the per-tone tables of the
// stored sets the envelope (minimum, mean and maximum per tone) and the waterfall (values
// over time and tones, reduced to the cells a picture can show).
//
// Each takes the sets one at a time, so a month of sets never has to be in memory at once.
#pragma once

#include "model/uDrayData.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace vexlorin {

inline constexpr double NoValue = std::numeric_limits<double>::quiet_NaN();

// The per-tone value the envelope and the waterfall follow.
enum class TToneQuantity : uint8_t { SNR, Bits };

double ToneValue(const TDrayBinEntry& AEntry, TToneQuantity AQuantity);

// Points of a time chart: keys in ms since the epoch, ascending; NaN values are not drawn.
struct TTimeSeries {
    std::vector<double> Keys;
    std::vector<double> Values;
    bool Empty() const { return Keys.empty(); }
};

// The distance between two samples beyond which the chart leaves a gap: three times the
// usual (median) distance, at least AMinimumMs. AMinimumMs when there are fewer than two.
int64_t GapThresholdMs(const std::vector<int64_t>& ATimesMs, int64_t AMinimumMs = 1000);

// ASeries with a NaN point put between every two points further apart than AThresholdMs,
// so that no line is drawn across a time without samples.
TTimeSeries WithGaps(const TTimeSeries& ASeries, int64_t AThresholdMs);

// Bars of ASeries in AFrom..ATo (ms) gathered into at most ABuckets buckets of equal width:
// each bucket's key is its middle and its value the sum of the values in it. Buckets
// without any value are left out; NaN values count as none. With no more points in the
// range than ABuckets the points are kept as they are.
TTimeSeries BucketSums(const TTimeSeries& ASeries, double AFrom, double ATo, int ABuckets);

// Minimum, mean and maximum per tone of the sets added so far.
class TToneEnvelope {
public:
    TToneEnvelope(int ATones, TToneQuantity AQuantity);

    // Takes the first Tones() entries of ABins.
    void Add(const TDrayBinArray& ABins);
    // Takes the sets another envelope of the same tones and quantity was given, as if they
    // had been added here (sets taken apart on several threads).
    void Merge(const TToneEnvelope& AOther);

    int Tones() const { return static_cast<int>(FSum.size()); }
    int64_t Sets() const { return FSets; }
    TToneQuantity Quantity() const { return FQuantity; }
    // NaN while no set was added.
    double Minimum(int ATone) const;
    double Mean(int ATone) const;
    double Maximum(int ATone) const;

private:
    TToneQuantity FQuantity;
    int64_t FSets = 0;
    std::vector<double> FMinimum;
    std::vector<double> FMaximum;
    std::vector<double> FSum;
};

// Values over time (rows, the earliest first) and tones (columns): each cell the mean of
// the values that fall into it, NaN where none do (no set at that time).
struct TWaterfallGrid {
    int Rows = 0;
    int Columns = 0;
    int Tones = 0;     // the tones the columns cover, 0 to Tones - 1
    double FromMs = 0; // the time the rows cover, FromMs up to ToMs
    double ToMs = 0;
    std::vector<double> Cells; // row after row
    int64_t Sets = 0;          // sets that went into it

    double At(int ARow, int AColumn) const {
        return Cells[static_cast<std::size_t>(ARow) * static_cast<std::size_t>(Columns) +
                     static_cast<std::size_t>(AColumn)];
    }
    // The row of a time and the column of a tone; -1 outside the grid.
    int RowOf(double ATimeMs) const;
    int ColumnOf(int ATone) const;
};

// Builds a waterfall from sets added one at a time, in any order.
class TWaterfallBuilder {
public:
    // ARows and AColumns are the most cells the picture can show; fewer are used where
    // there are fewer tones (columns) or fewer sets expected (ASetsExpected rows at most;
    // 0: ARows).
    TWaterfallBuilder(double AFromMs, double AToMs, int ATones, TToneQuantity AQuantity, int ARows,
                      int AColumns, int64_t ASetsExpected = 0);

    // A set outside FromMs..ToMs is not taken.
    void Add(double ATimeMs, const TDrayBinArray& ABins);
    // Takes the sets of another builder made with the same arguments.
    void Merge(const TWaterfallBuilder& AOther);
    TWaterfallGrid Take();

private:
    TToneQuantity FQuantity;
    TWaterfallGrid FGrid;
    std::vector<double> FSum;
    std::vector<uint32_t> FCount;
};

} // namespace vexlorin
