// "Watch" in the window: the recorder of vexlorin-cli watch on a thread of its own,
// recording the line into a history file. Its samples reach the window as queued calls with
// values; Stop never blocks the window; closing the window (Abandon) ends the sample in
// progress within a second and joins the thread. What was stored stays stored.
#pragma once

#include "history/Recorder.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace vexlorin {

class TWatchControl final : public QObject {
    Q_OBJECT
public:
    explicit TWatchControl(QObject* AParent = nullptr);
    ~TWatchControl() override;

    // Opens (or creates) AHistoryFile and starts recording ATarget into it. EHistoryError
    // (nothing started) when the file cannot be used.
    void Start(const history::TRecorderTarget& ATarget, const std::string& AHistoryFile);
    // Asks the recorder to end; OnFinished follows. Never waits.
    void Stop();
    // Stops and joins now (the window closes): no call of the handlers follows.
    void Abandon();
    // From Start until OnFinished.
    bool Running() const { return FRecorder != nullptr; }
    bool Stopping() const { return FStopping; }
    const std::string& HistoryFile() const { return FHistoryFile; }

    // On the GUI thread, after each sample.
    void SetOnSample(std::function<void(const history::TSampleResult&)> AHandler) {
        FOnSample = std::move(AHandler);
    }
    // On the GUI thread when the recorder ended; AError is empty unless storing failed.
    void SetOnFinished(std::function<void(const std::string& AError)> AHandler) {
        FOnFinished = std::move(AHandler);
    }

private:
    void Finish(const std::string& AError);

    std::unique_ptr<history::TLineRecorder> FRecorder;
    std::thread FThread;
    bool FStopping = false;
    // Counts the runs: what an abandoned run posted is dropped.
    uint64_t FRun = 0;
    std::string FHistoryFile;
    std::function<void(const history::TSampleResult&)> FOnSample;
    std::function<void(const std::string&)> FOnFinished;
};

} // namespace vexlorin
