// Viewer of the raw showbins lines: upstream above downstream.
#pragma once

#include "model/uDrayData.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vexlorin {

class TfrmRawBins final : public QWidget {
    Q_OBJECT
public:
    // A top-level window owned by AOwner, visible from the moment it is created; it frees
    // itself when closed.
    explicit TfrmRawBins(QWidget* AOwner);

    void SetLines(const TStringList& AUpstream, const TStringList& ADownstream);

    QLabel* lblUpstream;
    QLabel* lblDownstream;
    QPlainTextEdit* memUS;
    QPlainTextEdit* memDS;
    QPushButton* btnClose;

private:
    void btnCloseClick();
};

// The opener behind the "Show raw data..." button of the page "Bins": a new modeless
// window owned by AOwner with the bins raw lines of ASet, copied under the bins lock held
// shared; with no set (nullptr) both boxes stay empty. Returns the window.
TfrmRawBins* ShowRawBins(QWidget* AOwner, const TDrayData* ASet);

} // namespace vexlorin
