#include "ui/fmxDLSStatLegend.h"

#include "ui/Application.h"
#include "ui/UiResources.h"

#include <QCoreApplication>
#include <QPalette>
#include <QRegularExpression>
#include <QTextEdit>
#include <QVBoxLayout>

#include <memory>

namespace vexlorin {

QString LegendDocument() {
    // Trimmed: the HTML reader turns a line break after the document into a stray blank
    // at the end of the last entry, drawn in the default colour.
    // The document in the window's language, where the program carries one.
    const QString resource = CurrentLanguage() == QLatin1String("de")
                                 ? QString::fromLatin1(GermanLegendResource)
                                 : QString::fromLatin1(LegendResource);
    return QString::fromUtf8(ReadResource(resource, "LEGEND")).trimmed();
}

QString LengthsInPixels(const QString& ADocument, double ADotsPerInch) {
    static const QRegularExpression points(QStringLiteral(R"(([:\s])(\d+(?:\.\d+)?)pt\b)"));
    QString result;
    qsizetype last = 0;
    for (auto it = points.globalMatch(ADocument); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        // Font sizes keep their pt: the reader knows them. Only the other lengths are turned.
        const QString before = ADocument.mid(std::max<qsizetype>(0, match.capturedStart() - 10),
                                             std::min<qsizetype>(10, match.capturedStart()));
        result += ADocument.mid(last, match.capturedStart() - last);
        if (before.endsWith(QStringLiteral("font-size")))
            result += match.captured(0);
        else
            result += match.captured(1) +
                      QString::number(qRound(match.captured(2).toDouble() * ADotsPerInch / 72)) +
                      QStringLiteral("px");
        last = match.capturedEnd();
    }
    result += ADocument.mid(last);
    return result;
}

int LegendDocumentMargin(double ADotsPerInch) {
    return qRound(8 * ADotsPerInch / 72);
}

TfrmxDSLStatLegend::TfrmxDSLStatLegend() : QWidget(nullptr, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window alone decides when the program ends; an open legend does not keep
    // it running, and is deleted when it ends.
    setAttribute(Qt::WA_QuitOnClose, false);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { delete this; });
    setWindowTitle(tr("xDSL stat legend"));
    setWindowIcon(ProgramIcon());
    setFont(UiFont(11));

    memLegend = new QTextEdit(this);
    memLegend->setAcceptRichText(true);
    memLegend->setFont(UiFont(11));
    memLegend->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The document's text is white: the box is dark whatever style the desktop uses.
    QPalette palette = memLegend->palette();
    palette.setColor(QPalette::Base, QColor(0x26, 0x2A, 0x30));
    palette.setColor(QPalette::Text, Qt::white);
    memLegend->setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memLegend);

    resize(588, 356);
    FormCreate();
    memLegend->setFocus();
}

void TfrmxDSLStatLegend::FormCreate() {
    const double dpi = memLegend->logicalDpiY();
    memLegend->setHtml(LengthsInPixels(LegendDocument(), dpi));
    memLegend->document()->setDocumentMargin(LegendDocumentMargin(dpi));
    memLegend->moveCursor(QTextCursor::Start);
}

TfrmxDSLStatLegend* ShowLegend() {
    // Held by a unique_ptr until the text is in, so a failed load leaves no window.
    auto form = std::make_unique<TfrmxDSLStatLegend>();
    form->show();
    return form.release();
}

} // namespace vexlorin
