#include "ui/WatchControl.h"

#include <QMetaObject>

#include <exception>

namespace vexlorin {

using namespace history;

TWatchControl::TWatchControl(QObject* AParent) : QObject(AParent) {}

TWatchControl::~TWatchControl() {
    Abandon();
}

void TWatchControl::Start(const TRecorderTarget& ATarget, const std::string& AHistoryFile) {
    if (Running())
        return;
    // Opened here, so a file that cannot be used is refused before anything runs; the
    // recorder's thread is its only user from then on.
    std::shared_ptr<THistoryStore> store =
        THistoryStore::Open(AHistoryFile, THistoryStore::TMode::ReadWrite);
    FHistoryFile = AHistoryFile;
    FStopping = false;
    const uint64_t run = ++FRun;
    FRecorder = std::make_unique<TLineRecorder>(ATarget, store.get(),
                                                [this, run](const TSampleResult& AResult) {
                                                    // A copy travels to the GUI thread; dropped
                                                    // with this object.
                                                    QMetaObject::invokeMethod(
                                                        this,
                                                        [this, AResult, run] {
                                                            if (run == FRun && FOnSample)
                                                                FOnSample(AResult);
                                                        },
                                                        Qt::QueuedConnection);
                                                });
    TLineRecorder* recorder = FRecorder.get();
    FThread = std::thread([this, recorder, store, run]() mutable {
        std::string error;
        try {
            recorder->Run(std::nullopt, std::nullopt);
        } catch (const std::exception& e) {
            error = e.what();
        }
        store.reset();
        QMetaObject::invokeMethod(
            this,
            [this, error, run] {
                if (run == FRun)
                    Finish(error);
            },
            Qt::QueuedConnection);
    });
}

void TWatchControl::Stop() {
    if (!FRecorder || FStopping)
        return;
    FStopping = true;
    FRecorder->Stop();
}

void TWatchControl::Finish(const std::string& AError) {
    if (FThread.joinable())
        FThread.join(); // it has posted this as its last act
    FRecorder.reset();
    FStopping = false;
    if (FOnFinished)
        FOnFinished(AError);
}

void TWatchControl::Abandon() {
    if (!FRecorder)
        return;
    FRecorder->Stop();
    if (FThread.joinable())
        FThread.join();
    FRecorder.reset();
    FStopping = false;
    // What it posted before it ended is not for anyone any more.
    ++FRun;
}

} // namespace vexlorin
