// Manual-reset event with a timed wait: once set it stays set, and wakes every waiter,
// until ResetEvent. A set that happens before the wait starts is therefore never lost.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vexlorin {

class TEvent {
public:
    enum TWaitResult { wrSignaled, wrTimeout };

    explicit TEvent(bool AInitialState = false) : FSet(AInitialState) {}
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

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

    TWaitResult WaitFor(std::chrono::milliseconds ATimeout) {
        return WaitUntil(std::chrono::steady_clock::now() + ATimeout);
    }

    TWaitResult WaitUntil(std::chrono::steady_clock::time_point ADeadline) {
        std::unique_lock Lock(FLock);
        return FChanged.wait_until(Lock, ADeadline, [this] { return FSet; }) ? wrSignaled
                                                                             : wrTimeout;
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    bool FSet;
};

} // namespace vexlorin
