#include "ui/PlotImage.h"

#include <QFileInfo>
#include <QSvgGenerator>

#include <qcustomplot.h>

namespace vexlorin {

bool IsSvgFileName(const QString& AFileName) {
    return QFileInfo(AFileName).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0;
}

bool SavePlotSvg(QCustomPlot& APlot, const QSize& ASize, const QString& ATitle,
                 const QString& AFileName) {
    QSvgGenerator generator;
    generator.setFileName(AFileName);
    generator.setSize(ASize);
    generator.setViewBox(QRect(QPoint(0, 0), ASize));
    generator.setTitle(ATitle);
    QCPPainter painter;
    if (!painter.begin(&generator))
        return false;
    APlot.toPainter(&painter, ASize.width(), ASize.height());
    return painter.end();
}

} // namespace vexlorin
