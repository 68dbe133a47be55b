// The main window as the reader's view: the reader's notifications, queued to the GUI
// thread, draw the status line, the progress bar, the profile label, the text view and
// the charts of the set being read.
#pragma once

#include "reader/ReaderView.h"

class QProgressBar;
class QStatusBar;

namespace vexlorin {

class TfrmMain;

// The retrieval's progress bar at step AStep of ASteps, shown.
void ShowRetrievalProgress(QProgressBar& ABar, int AStep, int ASteps);

class TMainReaderView final : public IReaderView {
public:
    // The window's status bar and progress bar are the view's own to write; everything
    // else goes through the window.
    TMainReaderView(TfrmMain& AWindow, QStatusBar& AStatusBar, QProgressBar& AProgress)
        : FWindow(AWindow), FStatusBar(AStatusBar), FProgress(AProgress) {}

    void ShowStatus(const std::string& AText) override;
    void UpdateProfileLabel(TVDSLProfile AProfile) override;
    void DisplayTextData(TDrayData* AData) override;
    void PlotHLOG(TDrayData* AData) override;
    void PlotQLN(TDrayData* AData) override;
    void PlotSNR(TDrayData* AData) override;
    void PlotBins(TDrayData* AData) override;
    void ShowProgress(int AStep, int ASteps) override;

private:
    TfrmMain& FWindow;
    QStatusBar& FStatusBar;
    QProgressBar& FProgress;
};

} // namespace vexlorin
