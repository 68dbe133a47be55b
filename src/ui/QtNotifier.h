// The reader's notifications on the GUI thread: each posted procedure becomes a queued
// call on this object, so Qt runs them one at a time, in the order posted, from the event
// loop. Procedures posted before DropPending() never run, and none runs once the object
// is gone (Qt discards the calls queued for a destroyed object).
#pragma once

#include "reader/Notifier.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>

namespace vexlorin {

class TQtNotifier final : public QObject, public INotifier {
    Q_OBJECT
public:
    explicit TQtNotifier(QObject* AParent = nullptr) : QObject(AParent) {}

    // Any thread.
    void Queue(std::function<void()> AProc) override;
    // GUI thread: forget everything queued so far (a reader that was let go must not
    // reach the window with calls about a set that no longer exists).
    void DropPending() { ++FGeneration; }

    // Reports a procedure that threw; the event loop must never see an exception.
    void SetOnError(std::function<void(const QString&)> AHandler) {
        FOnError = std::move(AHandler);
    }

private:
    std::atomic<uint64_t> FGeneration{0};
    std::function<void(const QString&)> FOnError;
};

} // namespace vexlorin
