#include "ui/HistoryWaterfall.h"

#include "ui/HistoryPlot.h"
#include "ui/PlotImage.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QToolTip>
#include <QVBoxLayout>
#include <qcustomplot.h>

#include <cmath>

namespace vexlorin {

namespace {

constexpr double MsPerKey = 1000;

} // namespace

THistoryWaterfall::THistoryWaterfall(QWidget* AParent)
    : QWidget(AParent), FPlot(new QCustomPlot(this)) {
    QCustomPlot* plot = FPlot;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot);
    plot->setAttribute(Qt::WA_TransparentForMouseEvents);
    setMouseTracking(true);
    setContextMenuPolicy(Qt::PreventContextMenu);
    plot->setBackground(Qt::white);

    plot->plotLayout()->insertRow(0);
    QFont titleFont = plot->font();
    titleFont.setBold(true);
    FTitle = new QCPTextElement(plot, QString(), titleFont);
    plot->plotLayout()->addElement(0, 0, FTitle);

    plot->xAxis->setLabel(tr("Tones"));
    QSharedPointer<QCPAxisTickerDateTime> ticker(new QCPAxisTickerDateTime);
    ticker->setDateTimeFormat(QStringLiteral("dd.MM. HH:mm"));
    plot->yAxis->setTicker(ticker);
    plot->yAxis->setRangeReversed(true);
    plot->yAxis->setLabel(tr("Time"));

    FMap = new QCPColorMap(plot->xAxis, plot->yAxis);
    FMap->setInterpolate(false);
    FMap->setTightBoundary(true);
    FScale = new QCPColorScale(plot);
    plot->plotLayout()->addElement(1, 1, FScale);
    FScale->setType(QCPAxis::atRight);
    FMap->setColorScale(FScale);
    QCPColorGradient gradient(QCPColorGradient::gpJet);
    // No set at that time: nothing drawn, the gap shows.
    gradient.setNanHandling(QCPColorGradient::nhTransparent);
    FMap->setGradient(gradient);
    auto* margins = new QCPMarginGroup(plot);
    plot->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
    FScale->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
}

THistoryWaterfall::~THistoryWaterfall() = default;

QString THistoryWaterfall::Title() const {
    return FTitle->text();
}

void THistoryWaterfall::SetTitle(const QString& AValue) {
    FTitle->setText(AValue);
}

int THistoryWaterfall::RowsWanted() const {
    return std::max(1, FPlot->axisRect()->height());
}

int THistoryWaterfall::ColumnsWanted() const {
    return std::max(1, FPlot->axisRect()->width());
}

void THistoryWaterfall::Show(const TWaterfallGrid& AGrid, const QString& AUnit) {
    QCustomPlot* plot = FPlot;
    FGrid = AGrid;
    FScale->axis()->setLabel(AUnit);
    QCPColorMapData* data = FMap->data();
    if (FGrid.Rows <= 0 || FGrid.Columns <= 0) {
        Clear();
        return;
    }
    // Cells span their tones and their time; the map's range is the cells' centres.
    const double tonesPerColumn = static_cast<double>(FGrid.Tones) / FGrid.Columns;
    const double msPerRow = (FGrid.ToMs - FGrid.FromMs) / FGrid.Rows;
    data->setSize(FGrid.Columns, FGrid.Rows);
    data->setRange(
        QCPRange(tonesPerColumn / 2, FGrid.Tones - tonesPerColumn / 2),
        QCPRange((FGrid.FromMs + msPerRow / 2) / MsPerKey, (FGrid.ToMs - msPerRow / 2) / MsPerKey));
    double low = INFINITY, high = -INFINITY;
    for (int row = 0; row < FGrid.Rows; ++row)
        for (int column = 0; column < FGrid.Columns; ++column) {
            const double value = FGrid.At(row, column);
            data->setCell(column, row, value);
            if (!std::isnan(value)) {
                low = std::min(low, value);
                high = std::max(high, value);
            }
        }
    if (!(high >= low)) {
        low = 0;
        high = 1;
    }
    FMap->setDataRange(QCPRange(low, high > low ? high : low + 1));
    plot->xAxis->setRange(0, FGrid.Tones);
    // One set alone still gets a row of some height.
    const double to = FGrid.ToMs > FGrid.FromMs ? FGrid.ToMs : FGrid.FromMs + 60'000;
    plot->yAxis->setRange(FGrid.FromMs / MsPerKey, to / MsPerKey);
    SetTimeLabels(plot->yAxis, to - FGrid.FromMs, false);
    plot->replot(QCustomPlot::rpQueuedReplot);
}

void THistoryWaterfall::Clear() {
    FGrid = {};
    FMap->data()->clear();
    FPlot->replot(QCustomPlot::rpQueuedReplot);
}

QString THistoryWaterfall::HoverText(const QPointF& APos) const {
    const QCustomPlot* plot = FPlot;
    const QPointF local = APos - QPointF(plot->pos());
    if (FGrid.Rows <= 0 || !plot->axisRect()->rect().contains(local.toPoint()))
        return {};
    const double tone = plot->xAxis->pixelToCoord(local.x());
    const double time = plot->yAxis->pixelToCoord(local.y()) * MsPerKey;
    const int row = FGrid.RowOf(time);
    const int column = FGrid.ColumnOf(static_cast<int>(std::floor(tone)));
    if (row < 0 || column < 0)
        return {};
    const double value = FGrid.At(row, column);
    return tr("%1, tone %2: %3")
        .arg(FormatTime(time))
        .arg(static_cast<int>(std::floor(tone)))
        .arg(std::isnan(value) ? tr("no set") : QLocale::c().toString(value, 'f', 1));
}

QPointF THistoryWaterfall::PointOf(double ATimeMs, int ATone) const {
    const QCustomPlot* plot = FPlot;
    return QPointF(plot->xAxis->coordToPixel(ATone + 0.5),
                   plot->yAxis->coordToPixel(ATimeMs / MsPerKey)) +
           QPointF(plot->pos());
}

void THistoryWaterfall::RedrawNow() {
    // Not shown (an image export): the plot takes the widget's size itself.
    if (!isVisible())
        FPlot->setViewport(rect());
    FPlot->replot(QCustomPlot::rpImmediateRefresh);
}

QImage THistoryWaterfall::ToImage() {
    return FPlot->toPixmap(width(), height()).toImage();
}

void THistoryWaterfall::CopyToClipboardBitmap() {
    QApplication::clipboard()->setImage(ToImage());
}

bool THistoryWaterfall::SaveAsImage(const QString& AFileName) {
    if (IsSvgFileName(AFileName)) {
        return SavePlotSvg(*FPlot, size(), Title(), AFileName);
    }
    return ToImage().save(AFileName, "PNG");
}

void THistoryWaterfall::mouseMoveEvent(QMouseEvent* AEvent) {
    const QString text = HoverText(AEvent->position());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(AEvent->globalPosition().toPoint(), text, this);
}

void THistoryWaterfall::mouseReleaseEvent(QMouseEvent* AEvent) {
    if (AEvent->button() == Qt::RightButton)
        emit PopupRequested(AEvent->globalPosition().toPoint());
}

} // namespace vexlorin
