// The legend of the terms in a statistics set's text: a rich-text document the program
// carries, shown in a modeless window that any number of times can be open.
#pragma once

#include <QWidget>

class QTextEdit;

namespace vexlorin {

class TfrmxDSLStatLegend final : public QWidget {
    Q_OBJECT
public:
    // A top-level window without owner; it frees itself when closed, and when the
    // application quits. Throws when the legend document is missing from the resources.
    TfrmxDSLStatLegend();

    // The box is editable on purpose: the user may mark up the text; nothing is saved.
    QTextEdit* memLegend;

private:
    void FormCreate();
};

// The legend document as carried in the resources (HTML), in the window's language. Throws
// when it is missing.
QString LegendDocument();

// ADocument with every length in pt (which Qt's rich text reader drops, keeping the bare
// number as pixels) turned into pixels at ADotsPerInch.
QString LengthsInPixels(const QString& ADocument, double ADotsPerInch);
// The space around the legend's text, in pixels at ADotsPerInch (8 pt).
int LegendDocumentMargin(double ADotsPerInch);

// "Legend...": opens another legend window without waiting for it and returns it. A
// missing legend document throws; no window stays open then.
TfrmxDSLStatLegend* ShowLegend();

} // namespace vexlorin
