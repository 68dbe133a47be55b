// What the history charts draw, as plain values: the time series of one line's samples
// (times in ms since the epoch, NaN where a sample has no value), its errors per interval
// and its events. HistorySource.h builds it from a history file; tests and the charts need
// nothing else.
#pragma once

#include "model/ToneHistory.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vexlorin {

// The counters the error charts show, per interval.
enum class TErrorCounter : uint8_t { CRC, FEC, ES, SES };
inline constexpr int ErrorCounterCount = 4;

// An event of the line as a vertical marker.
struct THistoryMarker {
    double TimeMs = 0;
    std::string Kind;   // "retrain", "line-down", "line-up", "counter-reset", "unreachable", ...
    std::string Detail; // what the recorder noted about it; may be empty
};

struct THistorySeries {
    // Indexed by TStatDirection; rates in bit/s, margins and attenuation in dB.
    std::array<TTimeSeries, 2> ActualRate;
    std::array<TTimeSeries, 2> AttainableRate;
    std::array<TTimeSeries, 2> SNRMargin;
    std::array<TTimeSeries, 2> Attenuation;
    // [counter][direction]: the counter's increase since the previous sample, at the
    // sample's time.
    std::array<std::array<TTimeSeries, 2>, ErrorCounterCount> Errors;
    std::vector<THistoryMarker> Events;
    // Times of all samples, completed or failed, ascending: they decide the gaps.
    std::vector<int64_t> SampleTimesMs;
    // Times of the samples that have a stored set (per-tone tables), ascending.
    std::vector<int64_t> SetTimesMs;

    bool Empty() const { return SampleTimesMs.empty(); }
    double FirstMs() const { return Empty() ? 0 : static_cast<double>(SampleTimesMs.front()); }
    double LastMs() const { return Empty() ? 0 : static_cast<double>(SampleTimesMs.back()); }
};

} // namespace vexlorin
