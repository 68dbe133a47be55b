// The per-tone envelope and the waterfall of a time range, from the stored sets of one
// line. The sets are loaded and decoded (their bins tables alone) one at a time per
// thread, so a month of sets never sits in memory; TToneViewsJob does it on worker threads
// with read-only connections of their own (a connection is never shared between threads),
// can be cancelled and says how far it got, so that a window never waits for it.
#pragma once

#include "history/HistoryStore.h"
#include "model/ToneHistory.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vexlorin {

// The envelope of both directions and the waterfall of one, for one range.
struct TToneViews {
    TToneEnvelope DS{0, TToneQuantity::SNR};
    TToneEnvelope US{0, TToneQuantity::SNR};
    TWaterfallGrid Waterfall;
};

struct TToneViewRequest {
    double FromMs = 0, ToMs = 0;
    TToneQuantity Quantity = TToneQuantity::SNR;
    TStatDirection WaterfallDirection = sdDown;
    int Rows = 600, Columns = 1000; // the waterfall's cells at most
    // As the charts' option: the modem's per-tone SNR only in the first 512 tones.
    bool SNROnlyFirst512 = true;
};

namespace history {

// Where a computation stands; shared with the threads that do it.
struct TToneViewsProgress {
    std::atomic<bool> Cancelled{false};
    std::atomic<int64_t> SetsDone{0};
    std::atomic<int64_t> SetsTotal{0};
};

// The tone views of ALineId over ARequest's range, from the sets of AStore on this thread.
// Stops early (with what it had) once AProgress says cancelled; AProgress may be null.
TToneViews ComputeToneViews(const THistoryStore& AStore, int64_t ALineId,
                            const TToneViewRequest& ARequest,
                            TToneViewsProgress* AProgress = nullptr);

// The same on AThreads threads, each with a read-only connection of its own to APath,
// started at once; the constructor returns without waiting.
class TToneViewsJob {
public:
    // AOnDone, when given, is called on the job's thread once the result (or the error) is
    // there, also after a Cancel(); it must not destroy the job.
    TToneViewsJob(std::string APath, int64_t ALineId, TToneViewRequest ARequest, int AThreads = 2,
                  std::function<void()> AOnDone = {});
    // Cancels and waits for the threads: at most the set each is decoding.
    ~TToneViewsJob();
    TToneViewsJob(const TToneViewsJob&) = delete;
    TToneViewsJob& operator=(const TToneViewsJob&) = delete;

    const TToneViewRequest& Request() const { return FRequest; }
    void Cancel() { FProgress.Cancelled = true; }
    bool Cancelled() const { return FProgress.Cancelled; }
    bool Done() const { return FDone; }
    int64_t SetsDone() const { return FProgress.SetsDone; }
    // 0 until the sets of the range were counted.
    int64_t SetsTotal() const { return FProgress.SetsTotal; }
    // Waits for the result; rethrows the error of the computation (EHistoryError).
    TToneViews Take();

private:
    void Run(int AThreads);

    std::string FPath;
    int64_t FLineId;
    TToneViewRequest FRequest;
    std::function<void()> FOnDone;
    TToneViewsProgress FProgress;
    std::atomic<bool> FDone{false};
    std::mutex FLock; // guards FResult and FError until FDone
    std::optional<TToneViews> FResult;
    std::exception_ptr FError;
    std::thread FThread;
};

} // namespace history
} // namespace vexlorin
