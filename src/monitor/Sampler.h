// The exporter's sampler: every target sampled in the background at its interval by a
// bounded pool of workers, never one console session per scrape. A scrape answers from the
// latest sample, rendered once when the sample arrived.
//
// Rules the scheduling keeps:
// - at most Workers console sessions at once, whatever the number of targets;
// - never two sessions at once to one router (host and port), even when two targets name
//   the same router: the second waits until the first has ended;
// - the first samples are spread over StaggerSpread (or the interval, when shorter), so a
//   fleet does not log on all at once; later ones keep that spread, one interval apart;
// - a sample that took longer than its interval is followed by the next at once, not by a
//   burst of catch-up samples.
#pragma once

#include "monitor/Sample.h"
#include "monitor/Targets.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vexlorin::monitor {

// One console session to the target, run to its end on the calling thread; returns early
// (ending reStopped) once AStop is set.
using TSampleFunction = std::function<TSample(const TTarget&, const std::atomic<bool>& AStop)>;
// Called on the worker after each sample, before it is published (the history store, MQTT).
using TSampleObserver = std::function<void(const TTarget&, const TSample&)>;

// The sample function of vexlorin-cli: one retrieval with the reader.
TSample ReadSample(const TTarget& ATarget, const std::atomic<bool>& AStop);

struct TSamplerOptions {
    std::size_t Workers = 4;
    std::chrono::milliseconds StaggerSpread{10000};
};

// Upper bounds of the sample duration histogram, in seconds.
inline constexpr std::array<double, 10> DurationBuckets = {0.05, 0.1, 0.25, 0.5, 1,
                                                           2.5,  5,   10,   30,  60};

struct TSamplerStats {
    uint64_t Samples = 0;
    std::array<uint64_t, std::size(AllEndings)> ByEnding{};        // indexed by TReadEnding
    std::array<uint64_t, DurationBuckets.size()> DurationCounts{}; // cumulative
    double DurationSum = 0;
    std::size_t Targets = 0;
    std::size_t TargetsUp = 0; // the latest sample delivered the line's values
};

struct TTargetStatus {
    std::string Name;
    std::string RouterKey;
    std::chrono::milliseconds Interval{0};
    bool Running = false;
    std::shared_ptr<const TSample> Latest; // null before the first sample; without its set
};

class TSampler {
public:
    TSampler(TSampleFunction AFunction, TSamplerOptions AOptions, TSampleObserver AObserver = {});
    ~TSampler(); // stops
    TSampler(const TSampler&) = delete;
    TSampler& operator=(const TSampler&) = delete;

    // The first list, or a reloaded one: a target whose name and settings stay keeps its
    // latest sample and its place in the schedule; a removed target's session in progress
    // runs to its end and is forgotten.
    void SetTargets(std::vector<TTarget> ATargets);
    void Start();
    // Sets the stop flag of the sessions in progress and joins the workers.
    void Stop();

    enum class TProbeState : uint8_t { Unknown, Pending, Ready };
    struct TProbe {
        TProbeState State = TProbeState::Unknown;
        std::shared_ptr<const std::string> Text; // the exposition, Ready only
    };
    TProbe Probe(const std::string& AName) const;

    std::vector<TTargetStatus> Status() const;
    TSamplerStats Stats() const;

private:
    struct TState;
    void WorkerMain();
    TState* NextDue(std::chrono::steady_clock::time_point& AWakeAt);

    TSampleFunction FFunction;
    TSamplerOptions FOptions;
    TSampleObserver FObserver;

    mutable std::mutex FLock;
    std::condition_variable FChanged;
    std::vector<std::shared_ptr<TState>> FStates;
    std::set<std::string> FBusyRouters;
    TSamplerStats FStats;
    std::atomic<bool> FStop{false};
    std::vector<std::thread> FWorkers;
};

} // namespace vexlorin::monitor
