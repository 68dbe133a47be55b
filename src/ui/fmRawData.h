// Viewers of the raw lines a table was parsed from, as the router printed them. Each
// viewer copies the lines once when it opens, so it outlives its set and never changes it.
#pragma once

#include "model/uDrayData.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vexlorin {

// Upstream and downstream side by side, for the per-group tables (HLog, QLN, SNR).
class TfrmRawData final : public QWidget {
    Q_OBJECT
public:
    // A top-level window owned by AOwner (destroyed with it at the latest); it frees itself
    // when closed.
    explicit TfrmRawData(QWidget* AOwner);

    // Replaces the text of both boxes.
    void SetLines(const TStringList& AUpstream, const TStringList& ADownstream);

    QLabel* lblUpstream;
    QLabel* lblDownstream;
    QPlainTextEdit* memUS;
    QPlainTextEdit* memDS;
    QPushButton* btnClose;

private:
    void btnCloseClick();
};

// Shared by both viewers: a read-only box in the fixed-pitch font that never wraps lines.
QPlainTextEdit* NewRawLinesBox(QWidget* AParent);
// The lines as the box's text, one per line.
QString RawLinesText(const TStringList& ALines);

// The openers behind the four "Show raw data..." buttons. Each opens a new modeless
// window owned by AOwner showing the table's raw lines of ASet, copied under the table's
// lock held shared; with no set (nullptr) both boxes stay empty. Returns the window.
TfrmRawData* ShowRawHLog(QWidget* AOwner, const TDrayData* ASet);
TfrmRawData* ShowRawQLN(QWidget* AOwner, const TDrayData* ASet);
TfrmRawData* ShowRawSNR(QWidget* AOwner, const TDrayData* ASet);

} // namespace vexlorin
