// Manual-reset event with a timed wait: once set it stays set, and wakes every waiter,
// until ResetEvent. A set that happens before the wait starts is therefore never lost.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>

namespace vexlorin {

class TEvent {
public:
    enum TWaitResult { wrSignaled, wrTimeout };

    // The name is only a label (nothing opens an event by name).
    explicit TEvent(bool AInitialState = false, std::string AName = {})
        : FName(std::move(AName)), FSet(AInitialState) {}
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    const std::string& Name() const { return FName; }

    void SetEvent() {
        // Notified under the lock: a waiter that wakes may destroy the event right away.
        std::lock_guard Lock(FLock);
        FSet = true;
        FChanged.notify_all();
    }

    void ResetEvent() {
        std::lock_guard Lock(FLock);
        FSet = false;
    }

    bool IsSet() const {
        std::lock_guard Lock(FLock);
        return FSet;
    }

    TWaitResult WaitFor(std::chrono::milliseconds ATimeout) {
        std::unique_lock Lock(FLock);
        return FChanged.wait_for(Lock, ATimeout, [this] { return FSet; }) ? wrSignaled : wrTimeout;
    }

private:
    const std::string FName;
    mutable std::mutex FLock;
    std::condition_variable FChanged;
    bool FSet;
};

} // namespace vexlorin
