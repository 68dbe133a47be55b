#include "reader/Notifier.h"

#include <utility>

namespace vexlorin {

void TQueueNotifier::Queue(std::function<void()> AProc) {
    {
        std::lock_guard Lock(FLock);
        FProcs.push_back(std::move(AProc));
    }
    FQueued.notify_all();
}

std::size_t TQueueNotifier::RunPending() {
    std::deque<std::function<void()>> Batch;
    {
        std::lock_guard Lock(FLock);
        Batch.swap(FProcs);
    }
    std::size_t Count = 0;
    while (!Batch.empty()) {
        // Taken out before it runs, so a procedure that throws does not run twice.
        auto Proc = std::move(Batch.front());
        Batch.pop_front();
        ++Count;
        if (Proc) {
            try {
                Proc();
            } catch (...) {
                // Keep the order for the rest: put what is left back in front.
                std::lock_guard Lock(FLock);
                FProcs.insert(FProcs.begin(), std::make_move_iterator(Batch.begin()),
                              std::make_move_iterator(Batch.end()));
                throw;
            }
        }
    }
    return Count;
}

bool TQueueNotifier::TakeNext(std::function<void()>& AProc,
                              std::chrono::steady_clock::time_point ADeadline) {
    std::unique_lock Lock(FLock);
    if (!FQueued.wait_until(Lock, ADeadline, [this] { return !FProcs.empty(); }))
        return false;
    AProc = std::move(FProcs.front());
    FProcs.pop_front();
    return true;
}

bool TQueueNotifier::WaitAndRunUntil(const std::function<bool()>& ADone,
                                     std::chrono::milliseconds ATimeout) {
    const auto Deadline = std::chrono::steady_clock::now() + ATimeout;
    while (!ADone()) {
        std::function<void()> Proc;
        if (!TakeNext(Proc, Deadline))
            return ADone();
        if (Proc)
            Proc();
    }
    return true;
}

void TQueueNotifier::WaitAndRunUntil(const std::function<bool()>& ADone) {
    while (!ADone()) {
        std::function<void()> Proc;
        {
            std::unique_lock Lock(FLock);
            FQueued.wait(Lock, [this] { return !FProcs.empty(); });
            Proc = std::move(FProcs.front());
            FProcs.pop_front();
        }
        if (Proc)
            Proc();
    }
}

std::size_t TQueueNotifier::Pending() const {
    std::lock_guard Lock(FLock);
    return FProcs.size();
}

} // namespace vexlorin
