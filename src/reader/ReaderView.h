// What a retrieval shows while it runs. The reader posts each call through its INotifier,
// so they all run on the notifier's thread (the GUI's main thread), in the order posted,
// and before the reader's completion handler. A call that takes the set reads it when it
// runs: the table it draws is complete by then, and the set lives until the completion
// handler has run.
#pragma once

#include "model/uDrayData.h"

#include <string>

namespace vexlorin {

class IReaderView {
public:
    virtual ~IReaderView() = default;

    // Status line text; the empty text empties it.
    virtual void ShowStatus(const std::string& AText) = 0;
    // Profile label for the given profile (read from the set when the call runs).
    virtual void UpdateProfileLabel(TVDSLProfile AProfile) = 0;
    // Text view with the set's statistics text.
    virtual void DisplayTextData(TDrayData* AData) = 0;
    // Per-group charts on their default charts, downstream blue, upstream green.
    virtual void PlotHLOG(TDrayData* AData) = 0;
    virtual void PlotQLN(TDrayData* AData) = 0;
    virtual void PlotSNR(TDrayData* AData) = 0;
    // The per-tone charts in one go: bit loading, then bins SNR, then gain. Also called
    // when the bins were not retrieved (the set's bins tables are then as they were).
    virtual void PlotBins(TDrayData* AData) = 0;
    // The script is about to send its command number AStep (from 1) of ASteps (11, or 13
    // with the bins). Views without a progress display ignore it.
    virtual void ShowProgress(int /*AStep*/, int /*ASteps*/) {}
};

} // namespace vexlorin
