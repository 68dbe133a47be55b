// The main window as the reader's view: the reader's notifications, queued to the GUI
// thread, draw the status line, the progress bar, the profile label, the text view and
// the charts of the set being read.
#pragma once

#include "reader/ReaderView.h"

namespace vexlorin {

class TfrmMain;

class TMainReaderView final : public IReaderView {
public:
    explicit TMainReaderView(TfrmMain& AWindow) : FWindow(AWindow) {}

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
};

} // namespace vexlorin
