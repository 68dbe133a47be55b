// Hand-over of small procedures from a background thread to the thread that owns the
// windows (or, without windows, to whoever drains the queue). The poster never waits for
// the receiving thread; procedures run there one at a time in the order posted.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace vexlorin {

class INotifier {
public:
    virtual ~INotifier() = default;
    // Posts AProc to the receiving thread and returns at once. FIFO.
    virtual void Queue(std::function<void()> AProc) = 0;
};

// A plain queue that its owner drains on the thread of its choice (tests, the command-line
// tool). Procedures still queued when it is destroyed never run.
class TQueueNotifier final : public INotifier {
public:
    void Queue(std::function<void()> AProc) override;

    // Runs the procedures queued at the moment of the call (not those they queue); returns
    // how many ran.
    std::size_t RunPending();

    // Runs procedures as they arrive until ADone() holds (checked first and after each
    // procedure). Returns false when ATimeout passed first.
    bool WaitAndRunUntil(const std::function<bool()>& ADone, std::chrono::milliseconds ATimeout);
    // The same without a time limit.
    void WaitAndRunUntil(const std::function<bool()>& ADone);

    std::size_t Pending() const;

private:
    // Waits until a procedure is queued or ADeadline passes; takes it out.
    bool TakeNext(std::function<void()>& AProc, std::chrono::steady_clock::time_point ADeadline);

    mutable std::mutex FLock;
    std::condition_variable FQueued;
    std::deque<std::function<void()>> FProcs;
};

} // namespace vexlorin
