// Viewer of the raw showbins lines: upstream above downstream.
#pragma once

#include "model/uDrayData.h"
#include "ui/fmRawData.h"

namespace vexlorin {

class TfrmRawBins final : public TRawLinesWindow {
    Q_OBJECT
public:
    // Visible from the moment it is created.
    explicit TfrmRawBins(QWidget* AOwner);
};

// The opener behind the "Show raw data..." button of the page "Bins": a new modeless
// window owned by AOwner with the bins raw lines of ASet, copied under the bins lock held
// shared; with no set (nullptr) both boxes stay empty. Returns the window.
TfrmRawBins* ShowRawBins(QWidget* AOwner, const TDrayData* ASet);

} // namespace vexlorin
