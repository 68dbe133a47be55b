// The recorder: samples one line at an interval into a history store. One sample is one
// console session, one retrieval run to its end (the same code as vexlorin-cli retrieve);
// never two sessions at once to one router. Failed samples are stored as failures and
// retried with back-off (2 s doubling up to the interval).
#pragma once

#include "history/HistoryStore.h"
#include "reader/uDrayTelnetReader.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace vexlorin::history {

struct TRecorderTarget {
    TLineKey Line;
    std::string User, Password;
    bool Bins = true; // read the bins tables at BinsEvery
    std::chrono::milliseconds Interval{60000}, BinsEvery{900000};
    std::optional<TReaderTimeouts> Timeouts;
};

struct TSampleResult {
    int64_t TimeMs = 0;
    bool Completed = false;
    TReadEnding Ending = reCompleted;
    std::string Message;
    double DurationSeconds = 0;
    std::shared_ptr<const TDrayData> Set; // completed samples only
    bool WithTables = false;
    TLineSummary Summary;
    std::optional<TIntervalRates> Rates; // since the previous completed sample of the run
    int64_t SampleId = 0;                // in the store (0 when not stored)
};

// The reader's ending as a stable key: "completed", "not-in-showtime", "stopped",
// "connect-failed", "no-logon-prompt", "single-connection", "logon-failed",
// "connection-lost", "stopped-answering", "too-much-data", "parse-error", "unexpected-error".
std::string_view EndingKey(TReadEnding AEnding);

// One console session: one retrieval run to its end on the calling thread. AStop (may be
// null) set to true ends the run within a second.
TSampleResult TakeSample(const TRecorderTarget& ATarget, bool AWithTables,
                         const std::atomic<bool>* AStop);

// The sample's one-line result for people: time, state, DS/US rate, DS/US margin and the
// errors since the last sample (or the failure).
std::string SampleLine(const TSampleResult& AResult);

class TLineRecorder {
public:
    TLineRecorder(TRecorderTarget ATarget, THistoryStore* AStore,
                  std::function<void(const TSampleResult&)> AOnSample);
    // Samples until ACount samples were taken, ADuration passed or Stop() was called.
    // Store errors (disk full, read-only) propagate as EHistoryError.
    void Run(std::optional<int64_t> ACount, std::optional<std::chrono::milliseconds> ADuration);
    // From any thread (never blocks): the sample in progress ends within a second and Run
    // returns.
    void Stop();
    // Older samples are dropped after each stored sample when set.
    void SetRetain(std::optional<std::chrono::milliseconds> ARetain) { FRetain = ARetain; }

private:
    bool WaitFor(std::chrono::steady_clock::time_point AUntil);

    TRecorderTarget FTarget;
    THistoryStore* FStore;
    std::function<void(const TSampleResult&)> FOnSample;
    std::optional<std::chrono::milliseconds> FRetain;
    std::atomic<bool> FStop{false};
    std::mutex FLock;
    std::condition_variable FWake;
};

} // namespace vexlorin::history
