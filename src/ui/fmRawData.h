// Viewers of the raw lines a table was parsed from, as the router printed them. Each
// viewer copies the lines once when it opens, so it outlives its set and never changes it.
#pragma once

#include "model/uDrayData.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vexlorin {

// The frame both viewers share: a top-level window owned by AOwner (destroyed with it at
// the latest) that frees itself when closed, the two labelled boxes above a bottom panel
// with "Close" at the right. The viewers differ in how the boxes are arranged.
class TRawLinesWindow : public QWidget {
    Q_OBJECT
public:
    // Replaces the text of both boxes.
    void SetLines(const TStringList& AUpstream, const TStringList& ADownstream);

    QLabel* lblUpstream;
    QLabel* lblDownstream;
    QPlainTextEdit* memUS;
    QPlainTextEdit* memDS;
    QPushButton* btnClose;

protected:
    enum class TArrangement { SideBySide, UpstreamAbove };
    TRawLinesWindow(QWidget* AOwner, const QString& ACaption, TArrangement AArrangement,
                    QSize ASize);

private:
    void btnCloseClick();
};

// Upstream and downstream side by side, for the per-group tables (HLog, QLN, SNR).
class TfrmRawData final : public TRawLinesWindow {
    Q_OBJECT
public:
    explicit TfrmRawData(QWidget* AOwner);
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
