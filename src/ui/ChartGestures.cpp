// The chart's mouse and keyboard gestures (zoom rectangle, scrolling, zoom reset, the
// popup menu) and the readout of the values under the pointer.
#include "ui/Chart.h"

#include "ui/ChartPlot.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QRubberBand>
#include <QToolTip>

#include <cmath>

namespace vexlorin {

namespace {

// Index of the last point whose x is at most AX, or -1.
int LastPointAtOrBefore(const TChartSeries& ASeries, double AX) {
    int low = 0;
    int high = ASeries.Count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (ASeries.XValue(mid) <= AX)
            low = mid + 1;
        else
            high = mid;
    }
    return low - 1;
}

} // namespace

QString TChart::HoverText(const QPointF& APos) const {
    if (!PlotArea().contains(APos.toPoint()))
        return {};
    const double key = FPlot->xAxis->pixelToCoord(APos.x() - FPlot->x());
    const double tone = std::floor(key + 0.5);
    if (!(tone >= 0) || tone > 1e6)
        return {};
    const QLocale c = QLocale::c();
    QString text = QCoreApplication::translate("vexlorin::TChart", "Tone %1 (%2 kHz)")
                       .arg(static_cast<qlonglong>(tone))
                       .arg(c.toString(tone * FToneSpacingKHz, 'f', 4)
                                .remove(QRegularExpression(QStringLiteral("\\.?0+$"))));
    if (FReadout) {
        for (const QString& line : FReadout(static_cast<int>(tone)))
            text += QLatin1Char('\n') + line;
        return text;
    }
    const QString unit = FLeftAxis->Title();
    for (const auto& series : FSeries) {
        QString value = QCoreApplication::translate("vexlorin::TChart", "no value");
        const int index = LastPointAtOrBefore(*series, tone);
        if (index >= 0 && !series->IsNull(index))
            value = c.toString(series->YValue(index), 'g', 6) + QLatin1Char(' ') + unit;
        text += QStringLiteral("\n%1: %2").arg(series->Title(), value);
    }
    return text;
}

void TChart::mousePressEvent(QMouseEvent* AEvent) {
    const QPoint pos = AEvent->position().toPoint();
    const bool inPlot = PlotArea().contains(pos);
    FDragStart = pos;
    FDragKeyRange = BottomAxis().VisibleRange();
    FDragValueRange = LeftAxis().VisibleRange();
    if (AEvent->button() == Qt::LeftButton && inPlot &&
        (AEvent->modifiers() & FZoomModifiers) == FZoomModifiers) {
        FDrag = TDrag::Zoom;
        if (!FRubberBand)
            FRubberBand = new QRubberBand(QRubberBand::Rectangle, this);
        FRubberBand->setGeometry(QRect(pos, QSize()));
        FRubberBand->show();
    } else if (AEvent->button() == FScrollButton && inPlot) {
        FDrag = TDrag::Scroll;
    } else if (AEvent->button() == Qt::RightButton) {
        FDrag = TDrag::Popup;
    } else {
        FDrag = TDrag::None;
    }
    if (FDrag != TDrag::None)
        QToolTip::hideText();
    // Every mouse event ends at the chart, as it did at the plot it holds.
    AEvent->accept();
}

void TChart::mouseMoveEvent(QMouseEvent* AEvent) {
    const QPoint pos = AEvent->position().toPoint();
    switch (FDrag) {
    case TDrag::Zoom:
        FRubberBand->setGeometry(QRect(FDragStart, pos).normalized());
        break;
    case TDrag::Scroll: {
        const QRect plot = PlotArea();
        if (plot.width() <= 0 || plot.height() <= 0)
            break;
        const double dx = (pos.x() - FDragStart.x()) * FDragKeyRange.Size() / plot.width();
        const double dy = (pos.y() - FDragStart.y()) * FDragValueRange.Size() / plot.height();
        FPlot->xAxis->setRange(FDragKeyRange.Lower - dx, FDragKeyRange.Upper - dx);
        FPlot->yAxis->setRange(FDragValueRange.Lower + dy, FDragValueRange.Upper + dy);
        QueueRedraw();
        break;
    }
    case TDrag::Popup:
        break;
    case TDrag::None:
        if (AEvent->buttons() == Qt::NoButton) {
            const QString text = HoverText(AEvent->position());
            if (text.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(AEvent->globalPosition().toPoint(), text, this);
        }
        break;
    }
    AEvent->accept();
}

void TChart::mouseReleaseEvent(QMouseEvent* AEvent) {
    const QPoint pos = AEvent->position().toPoint();
    const TDrag drag = FDrag;
    FDrag = TDrag::None;
    const bool moved = (pos - FDragStart).manhattanLength() >= 4;
    switch (drag) {
    case TDrag::Zoom: {
        FRubberBand->hide();
        const QRect area = QRect(FDragStart, pos).normalized().translated(-FPlot->pos());
        if (pos.x() < FDragStart.x()) {
            // Dragging towards the left undoes the zoom, as users of such charts expect.
            ResetZoom();
        } else if (area.width() >= 4 && area.height() >= 4) {
            FPlot->xAxis->setRange(FPlot->xAxis->pixelToCoord(area.left()),
                                   FPlot->xAxis->pixelToCoord(area.right()));
            FPlot->yAxis->setRange(FPlot->yAxis->pixelToCoord(area.bottom()),
                                   FPlot->yAxis->pixelToCoord(area.top()));
            QueueRedraw();
        }
        break;
    }
    case TDrag::Scroll:
        if (AEvent->button() == Qt::RightButton && !moved)
            emit PopupRequested(AEvent->globalPosition().toPoint());
        break;
    case TDrag::Popup:
        if (AEvent->button() == Qt::RightButton)
            emit PopupRequested(AEvent->globalPosition().toPoint());
        break;
    case TDrag::None:
        break;
    }
    AEvent->accept();
}

void TChart::mouseDoubleClickEvent(QMouseEvent* AEvent) {
    if (AEvent->button() == Qt::LeftButton)
        ResetZoom();
    AEvent->accept();
}

void TChart::wheelEvent(QWheelEvent* AEvent) {
    // The wheel does nothing on a chart, and does not scroll what the chart sits in.
    AEvent->accept();
}

void TChart::keyPressEvent(QKeyEvent* AEvent) {
    if (AEvent->key() == Qt::Key_Menu) {
        emit PopupRequested(mapToGlobal(rect().center()));
        AEvent->accept();
        return;
    }
    QWidget::keyPressEvent(AEvent);
}

void TChart::leaveEvent(QEvent* AEvent) {
    QToolTip::hideText();
    QWidget::leaveEvent(AEvent);
}

} // namespace vexlorin
