#include "monitor/Sampler.h"

#include "monitor/ProbeMetrics.h"

#include <algorithm>

namespace vexlorin::monitor {

using Clock = std::chrono::steady_clock;

struct TSampler::TState {
    TTarget Target;
    Clock::time_point Due;
    bool Running = false;
    std::shared_ptr<const TSample> Latest;
    std::shared_ptr<const std::string> Text;
};

TSampler::TSampler(TSampleFunction AFunction, TSamplerOptions AOptions, TSampleObserver AObserver)
    : FFunction(std::move(AFunction)), FOptions(AOptions), FObserver(std::move(AObserver)) {
    FOptions.Workers = std::max<std::size_t>(1, FOptions.Workers);
}

TSampler::~TSampler() {
    Stop();
}

void TSampler::SetTargets(std::vector<TTarget> ATargets) {
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(FLock);
    std::vector<std::shared_ptr<TState>> states;
    const std::size_t count = ATargets.size();
    for (std::size_t i = 0; i < count; ++i) {
        TTarget& target = ATargets[i];
        const auto kept = std::find_if(FStates.begin(), FStates.end(), [&](const auto& AState) {
            return AState->Target.Name == target.Name && AState->Target.SameSettings(target);
        });
        if (kept != FStates.end()) {
            (*kept)->Target.Password = target.Password;
            states.push_back(*kept);
            continue;
        }
        auto state = std::make_shared<TState>();
        const auto spread = std::min(FOptions.StaggerSpread, target.Interval);
        state->Due = now + spread * static_cast<long>(i) / static_cast<long>(count);
        state->Target = std::move(target);
        states.push_back(std::move(state));
    }
    FStates = std::move(states);
    FStats.Targets = FStates.size();
    FStats.TargetsUp = static_cast<std::size_t>(
        std::count_if(FStates.begin(), FStates.end(), [](const auto& AState) {
            return AState->Latest && AState->Latest->Completed;
        }));
    FChanged.notify_all();
}

void TSampler::Start() {
    std::lock_guard lock(FLock);
    if (!FWorkers.empty())
        return;
    FStop = false;
    for (std::size_t i = 0; i < FOptions.Workers; ++i)
        FWorkers.emplace_back([this] { WorkerMain(); });
}

void TSampler::Stop() {
    {
        std::lock_guard lock(FLock);
        FStop = true;
        FChanged.notify_all();
    }
    for (std::thread& worker : FWorkers)
        worker.join();
    FWorkers.clear();
}

TSampler::TState* TSampler::NextDue(Clock::time_point& AWakeAt) {
    TState* best = nullptr;
    for (const auto& state : FStates) {
        if (state->Running || FBusyRouters.count(state->Target.RouterKey()) > 0)
            continue;
        if (!best || state->Due < best->Due)
            best = state.get();
    }
    if (best)
        AWakeAt = best->Due;
    return best;
}

void TSampler::WorkerMain() {
    std::unique_lock lock(FLock);
    while (!FStop) {
        Clock::time_point wakeAt;
        TState* next = NextDue(wakeAt);
        if (!next) {
            FChanged.wait(lock);
            continue;
        }
        if (wakeAt > Clock::now()) {
            FChanged.wait_until(lock, wakeAt);
            continue;
        }
        // Held by the worker: a reload may drop the target meanwhile.
        std::shared_ptr<TState> state;
        for (const auto& candidate : FStates)
            if (candidate.get() == next)
                state = candidate;
        state->Running = true;
        const TTarget target = state->Target;
        const std::string router = target.RouterKey();
        FBusyRouters.insert(router);
        lock.unlock();

        auto sample = std::make_shared<TSample>(FFunction(target, FStop));
        if (FStop) {
            // Cut short by the stop: not what the line looks like, so not published.
            lock.lock();
            FBusyRouters.erase(router);
            state->Running = false;
            break;
        }
        if (FObserver)
            FObserver(target, *sample);
        // The set (some 150 KiB) has been stored by now; a probe needs only its summary.
        sample->Set.reset();
        auto text = std::make_shared<const std::string>(RenderProbe(*sample));

        lock.lock();
        FBusyRouters.erase(router);
        state->Running = false;
        state->Latest = std::move(sample);
        state->Text = std::move(text);
        const Clock::time_point now = Clock::now();
        state->Due = std::max(state->Due + target.Interval, now);

        const TSample& latest = *state->Latest;
        ++FStats.Samples;
        ++FStats.ByEnding[latest.Ending];
        FStats.DurationSum += latest.DurationSeconds;
        for (std::size_t i = 0; i < DurationBuckets.size(); ++i)
            if (latest.DurationSeconds <= DurationBuckets[i])
                ++FStats.DurationCounts[i];
        FStats.TargetsUp = static_cast<std::size_t>(
            std::count_if(FStates.begin(), FStates.end(), [](const auto& AState) {
                return AState->Latest && AState->Latest->Completed;
            }));
        // The router is free again: a worker may be waiting for it.
        FChanged.notify_all();
    }
}

TSampler::TProbe TSampler::Probe(const std::string& AName) const {
    std::lock_guard lock(FLock);
    for (const auto& state : FStates)
        if (state->Target.Name == AName)
            return state->Text ? TProbe{TProbeState::Ready, state->Text}
                               : TProbe{TProbeState::Pending, nullptr};
    return {};
}

std::vector<TTargetStatus> TSampler::Status() const {
    std::lock_guard lock(FLock);
    std::vector<TTargetStatus> status;
    status.reserve(FStates.size());
    for (const auto& state : FStates)
        status.push_back({state->Target.Name, state->Target.RouterKey(), state->Target.Interval,
                          state->Running, state->Latest});
    return status;
}

TSamplerStats TSampler::Stats() const {
    std::lock_guard lock(FLock);
    return FStats;
}

} // namespace vexlorin::monitor
