#include "ui/HistoryPlot.h"

#include "ui/PlotImage.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace vexlorin {

// The plot takes no input of its own: the chart handles the gestures. It draws the same
// silver border as the other charts.
class THistoryPlotWidget final : public QCustomPlot {
public:
    explicit THistoryPlotWidget(QWidget* AParent) : QCustomPlot(AParent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }
    // Lays the plot out (axes, margins, the plotting area) without drawing it.
    void Layout() { updateLayout(); }

protected:
    void paintEvent(QPaintEvent* AEvent) override {
        QCustomPlot::paintEvent(AEvent);
        QPainter painter(this);
        painter.setPen(QColor(192, 192, 192));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

namespace {

// The plot's keys are seconds, as its date-time ticker reads them.
constexpr double MsPerKey = 1000;
// A bar per this many pixels at most.
constexpr int PixelsPerBar = 3;
// How close (pixels) the pointer must be to an event for the readout to name it.
constexpr double MarkerReach = 5;

double NearestValue(const QCPGraphDataContainer& AData, double AKey, double* AFoundKey) {
    if (AData.isEmpty())
        return NoValue;
    auto it = AData.findBegin(AKey, false);
    auto best = it;
    if (it != AData.constBegin()) {
        auto before = it - 1;
        if (it == AData.constEnd() || std::abs(before->key - AKey) < std::abs(it->key - AKey))
            best = before;
    }
    if (best == AData.constEnd())
        return NoValue;
    *AFoundKey = best->key;
    return best->value;
}

} // namespace

QColor EventColor(const std::string& AKind) {
    if (AKind == "retrain")
        return QColor(230, 140, 0);
    if (AKind == "line-down")
        return QColor(210, 0, 0);
    if (AKind == "line-up")
        return QColor(0, 160, 160);
    if (AKind == "unreachable")
        return QColor(130, 0, 170);
    if (AKind == "reachable")
        return QColor(170, 120, 210);
    return QColor(128, 128, 128);
}

QString EventLabel(const std::string& AKind) {
    if (AKind == "retrain")
        return THistoryPlot::tr("Retrain");
    if (AKind == "line-down")
        return THistoryPlot::tr("Line down");
    if (AKind == "line-up")
        return THistoryPlot::tr("Line up");
    if (AKind == "counter-reset")
        return THistoryPlot::tr("Counters reset");
    if (AKind == "unreachable")
        return THistoryPlot::tr("Router unreachable");
    if (AKind == "reachable")
        return THistoryPlot::tr("Router reachable again");
    return QString::fromStdString(AKind);
}

void SetTimeLabels(QCPAxis* AAxis, double ASpanMs, bool ATwoRows) {
    auto ticker = AAxis->ticker().dynamicCast<QCPAxisTickerDateTime>();
    if (!ticker)
        return;
    const QString separator = ATwoRows ? QStringLiteral("\n") : QStringLiteral(" ");
    QString format;
    if (ASpanMs <= 15 * 60'000.0)
        format = QStringLiteral("HH:mm:ss");
    else if (ASpanMs <= 3 * 86'400'000.0)
        format = QStringLiteral("dd.MM.") + separator + QStringLiteral("HH:mm");
    else
        format = QStringLiteral("ddd") + separator + QStringLiteral("dd.MM.");
    ticker->setDateTimeFormat(format);
}

QString FormatTime(double ATimeMs) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ATimeMs))
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

THistoryPlot::THistoryPlot(QWidget* AParent)
    : QWidget(AParent), FPlot(new THistoryPlotWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FPlot);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setMouseTracking(true);
    setMinimumHeight(170);

    FPlot->setBackground(Qt::white);
    // Nothing is forced: lines are smoothed by their own setting, bars never are.
    FPlot->setAntialiasedElements(QCP::aeNone);
    FPlot->setNoAntialiasingOnDrag(true);
    FPlot->setPlottingHint(QCP::phFastPolylines, true);
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    FPlot->setLocale(locale);

    FPlot->plotLayout()->insertRow(0);
    QFont titleFont = FPlot->font();
    titleFont.setBold(true);
    FTitle = new QCPTextElement(FPlot, QString(), titleFont);
    FTitle->setTextColor(Qt::black);
    FPlot->plotLayout()->addElement(0, 0, FTitle);

    QSharedPointer<QCPAxisTickerDateTime> ticker(new QCPAxisTickerDateTime);
    ticker->setDateTimeFormat(QStringLiteral("dd.MM.\nHH:mm"));
    ticker->setTickCount(8);
    FPlot->xAxis->setTicker(ticker);
    FPlot->xAxis->setBasePen(QPen(Qt::black, 0, Qt::DotLine));
    FPlot->yAxis->setBasePen(QPen(Qt::black, 0, Qt::DotLine));
    FPlot->xAxis2->setVisible(false);
    FPlot->yAxis2->setVisible(false);

    FPlot->legend->setVisible(true);
    FPlot->legend->setBrush(QColor(255, 255, 255, 220));
    FPlot->legend->setFont(font());
    FPlot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignLeft);
}

THistoryPlot::~THistoryPlot() = default;

QString THistoryPlot::Title() const {
    return FTitle->text();
}

void THistoryPlot::SetTitle(const QString& AValue) {
    FTitle->setText(AValue);
}

void THistoryPlot::SetValueTitle(const QString& AValue) {
    FPlot->yAxis->setLabel(AValue);
}

int THistoryPlot::AddLine(const QString& ATitle, const QColor& AColor, Qt::PenStyle AStyle) {
    QCPGraph* graph = FPlot->addGraph(FPlot->xAxis, FPlot->yAxis);
    graph->setName(ATitle);
    graph->setPen(QPen(AColor, AStyle == Qt::SolidLine ? 2 : 1, AStyle));
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setAntialiased(true);
    FSeries.push_back({graph, false, {}});
    return SeriesCount() - 1;
}

int THistoryPlot::AddBars(const QString& ATitle, const QColor& AColor) {
    auto* bars = new QCPBars(FPlot->xAxis, FPlot->yAxis);
    bars->setName(ATitle);
    bars->setPen(Qt::NoPen);
    bars->setBrush(AColor);
    bars->setWidthType(QCPBars::wtPlotCoords);
    bars->setAntialiased(false);
    bars->setAntialiasedFill(false);
    FSeries.push_back({bars, true, {}});
    return SeriesCount() - 1;
}

QString THistoryPlot::SeriesTitle(int AIndex) const {
    return FSeries.at(static_cast<std::size_t>(AIndex)).Plottable->name();
}

void THistoryPlot::SetSeriesData(int AIndex, const TTimeSeries& ASeries) {
    TSeries& series = FSeries.at(static_cast<std::size_t>(AIndex));
    if (series.Bars) {
        series.Data = ASeries;
        Rearrange();
        return;
    }
    QVector<QCPGraphData> points(static_cast<qsizetype>(ASeries.Keys.size()));
    for (std::size_t i = 0; i < ASeries.Keys.size(); ++i)
        points[static_cast<qsizetype>(i)] = {ASeries.Keys[i] / MsPerKey,
                                             ASeries.Values[i] / FValueScale};
    static_cast<QCPGraph*>(series.Plottable)->data()->set(points, true);
    FitValues();
}

TTimeSeries THistoryPlot::DrawnData(int AIndex) const {
    const TSeries& series = FSeries.at(static_cast<std::size_t>(AIndex));
    TTimeSeries result;
    auto take = [&](const auto& AContainer) {
        for (auto it = AContainer.constBegin(); it != AContainer.constEnd(); ++it) {
            result.Keys.push_back(it->key * MsPerKey);
            result.Values.push_back(it->value * FValueScale);
        }
    };
    if (series.Bars)
        take(*static_cast<QCPBars*>(series.Plottable)->data());
    else
        take(*static_cast<QCPGraph*>(series.Plottable)->data());
    return result;
}

void THistoryPlot::SetMarkers(const std::vector<THistoryMarker>& AMarkers) {
    FMarkers = AMarkers;
    ShowMarkers();
}

void THistoryPlot::ShowMarkers() {
    for (QCPItemStraightLine* item : FMarkerItems)
        FPlot->removeItem(item);
    FMarkerItems.clear();
    for (const THistoryMarker& marker : FMarkers) {
        auto* line = new QCPItemStraightLine(FPlot);
        line->setPen(QPen(EventColor(marker.Kind), 1, Qt::DashLine));
        line->point1->setCoords(marker.TimeMs / MsPerKey, 0);
        line->point2->setCoords(marker.TimeMs / MsPerKey, 1);
        line->setSelectable(false);
        FMarkerItems.push_back(line);
    }
    FPlot->replot(QCustomPlot::rpQueuedReplot);
}

void THistoryPlot::SetTimeRange(double AFromMs, double AToMs) {
    if (!(AToMs > AFromMs)) {
        // One sample still needs some width to be seen.
        AFromMs -= 30'000;
        AToMs += 30'000;
    }
    FPlot->xAxis->setRange(AFromMs / MsPerKey, AToMs / MsPerKey);
    SetTimeLabels(FPlot->xAxis, AToMs - AFromMs);
    Rearrange();
}

void THistoryPlot::SetHomeRange(double AFromMs, double AToMs) {
    FHomeFrom = AFromMs;
    FHomeTo = AToMs;
}

double THistoryPlot::TimeFrom() const {
    return FPlot->xAxis->range().lower * MsPerKey;
}

double THistoryPlot::TimeTo() const {
    return FPlot->xAxis->range().upper * MsPerKey;
}

void THistoryPlot::Rearrange() {
    const double from = TimeFrom(), to = TimeTo();
    const int buckets = std::max(1, FPlot->axisRect()->width() / PixelsPerBar);
    int barSeries = 0;
    for (const TSeries& series : FSeries)
        barSeries += series.Bars ? 1 : 0;
    int barIndex = 0;
    for (TSeries& series : FSeries) {
        if (!series.Bars)
            continue;
        const TTimeSeries shown = BucketSums(series.Data, from, to, buckets);
        // The bars of all series side by side within one slot: a bucket, or the usual
        // distance between samples when they are drawn one by one.
        double slot = (to - from) / buckets;
        if (shown.Keys.size() >= 2 && shown.Keys.size() < static_cast<std::size_t>(buckets)) {
            double step = shown.Keys.back() - shown.Keys.front();
            for (std::size_t i = 1; i < shown.Keys.size(); ++i)
                step = std::min(step, shown.Keys[i] - shown.Keys[i - 1]);
            slot = std::max(slot, step);
        }
        const double width = slot * 0.9 / std::max(1, barSeries);
        auto* bars = static_cast<QCPBars*>(series.Plottable);
        bars->setWidth(width / MsPerKey);
        const double offset = (barIndex - (barSeries - 1) / 2.0) * width;
        QVector<QCPBarsData> points(static_cast<qsizetype>(shown.Keys.size()));
        for (std::size_t i = 0; i < shown.Keys.size(); ++i)
            points[static_cast<qsizetype>(i)] = {(shown.Keys[i] + offset) / MsPerKey,
                                                 shown.Values[i] / FValueScale};
        bars->data()->set(points, true);
        ++barIndex;
    }
    FitValues();
}

void THistoryPlot::FitValues() {
    const QCPRange keys = FPlot->xAxis->range();
    bool any = false;
    QCPRange values;
    for (const TSeries& series : FSeries) {
        bool found = false;
        const QCPRange r = series.Plottable->getValueRange(found, QCP::sdBoth, keys);
        if (!found)
            continue;
        values =
            any ? QCPRange(std::min(values.lower, r.lower), std::max(values.upper, r.upper)) : r;
        any = true;
    }
    if (!any)
        values = QCPRange(0, 1);
    bool hasBars = false;
    for (const TSeries& series : FSeries)
        hasBars = hasBars || series.Bars;
    if (hasBars)
        values.lower = std::min(0.0, values.lower);
    const double margin = values.size() > 0 ? values.size() * 0.08 : 1;
    FPlot->yAxis->setRange(values.lower - (hasBars ? 0 : margin), values.upper + margin);
    FPlot->replot(QCustomPlot::rpQueuedReplot);
}

QRect THistoryPlot::PlotArea() const {
    return FPlot->axisRect()->rect().translated(FPlot->pos());
}

double THistoryPlot::TimeAt(const QPointF& APos) const {
    if (!PlotArea().contains(APos.toPoint()))
        return NoValue;
    return FPlot->xAxis->pixelToCoord(APos.x() - FPlot->pos().x()) * MsPerKey;
}

QPointF THistoryPlot::PointOf(double ATimeMs) const {
    const QRect area = PlotArea();
    return {FPlot->xAxis->coordToPixel(ATimeMs / MsPerKey) + FPlot->pos().x(),
            area.center().y() + 0.0};
}

QString THistoryPlot::HoverText(const QPointF& APos) const {
    const double time = TimeAt(APos);
    if (std::isnan(time))
        return {};
    QStringList lines{FormatTime(time)};
    const double key = time / MsPerKey;
    for (const TSeries& series : FSeries) {
        double found = 0;
        double value = NoValue;
        if (series.Bars) {
            const auto& data = *static_cast<QCPBars*>(series.Plottable)->data();
            auto it = data.findBegin(key, false);
            if (it != data.constEnd() &&
                std::abs(it->key - key) <= static_cast<QCPBars*>(series.Plottable)->width()) {
                found = it->key;
                value = it->value;
            }
        } else {
            value = NearestValue(*static_cast<QCPGraph*>(series.Plottable)->data(), key, &found);
        }
        const QString shown =
            std::isnan(value) ? tr("no value") : QLocale::c().toString(value, 'f', 2);
        lines << QStringLiteral("%1: %2").arg(series.Plottable->name(), shown);
    }
    for (const THistoryMarker& marker : FMarkers) {
        const double x = FPlot->xAxis->coordToPixel(marker.TimeMs / MsPerKey) + FPlot->pos().x();
        if (std::abs(x - APos.x()) > MarkerReach)
            continue;
        QString text =
            QStringLiteral("%1 %2").arg(EventLabel(marker.Kind), FormatTime(marker.TimeMs));
        if (!marker.Detail.empty())
            text += QStringLiteral(": ") + QString::fromStdString(marker.Detail);
        lines << text;
    }
    return lines.join(QLatin1Char('\n'));
}

void THistoryPlot::RedrawNow() {
    // A chart that is not shown (an image export) lays its plot out itself.
    if (!isVisible())
        FPlot->setViewport(rect());
    // The layout first: the bars are gathered to the plotting area's width.
    FPlot->Layout();
    Rearrange();
    FPlot->replot(QCustomPlot::rpImmediateRefresh);
}

QImage THistoryPlot::ToImage() {
    return FPlot->toPixmap(width(), height()).toImage();
}

void THistoryPlot::CopyToClipboardBitmap() {
    QApplication::clipboard()->setImage(ToImage());
}

bool THistoryPlot::SaveAsImage(const QString& AFileName) {
    if (IsSvgFileName(AFileName)) {
        return SavePlotSvg(*FPlot, size(), Title(), AFileName);
    }
    return ToImage().save(AFileName, "PNG");
}

// ---------------------------------------------------------------------------------------
// Gestures

void THistoryPlot::mousePressEvent(QMouseEvent* AEvent) {
    FDragStart = AEvent->pos();
    FDragFrom = TimeFrom();
    FDragTo = TimeTo();
    FDragMoved = false;
    if (AEvent->button() == Qt::LeftButton && PlotArea().contains(AEvent->pos()))
        FDrag = TDrag::Choose;
    else if (AEvent->button() == Qt::RightButton)
        FDrag = TDrag::Scroll;
    else
        FDrag = TDrag::None;
}

void THistoryPlot::mouseMoveEvent(QMouseEvent* AEvent) {
    if (FDrag == TDrag::None) {
        const QString text = HoverText(AEvent->position());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(AEvent->globalPosition().toPoint(), text, this);
        return;
    }
    if ((AEvent->pos() - FDragStart).manhattanLength() > 4)
        FDragMoved = true;
    if (!FDragMoved)
        return;
    if (FDrag == TDrag::Choose) {
        if (!FRubberBand)
            FRubberBand = new QRubberBand(QRubberBand::Rectangle, this);
        const QRect area = PlotArea();
        const int left =
            std::clamp(std::min(FDragStart.x(), AEvent->pos().x()), area.left(), area.right());
        const int right =
            std::clamp(std::max(FDragStart.x(), AEvent->pos().x()), area.left(), area.right());
        FRubberBand->setGeometry(QRect(QPoint(left, area.top()), QPoint(right, area.bottom())));
        FRubberBand->show();
    } else {
        const double perPixel = (FDragTo - FDragFrom) / std::max(1, PlotArea().width());
        const double shift = (FDragStart.x() - AEvent->pos().x()) * perPixel;
        SetTimeRange(FDragFrom + shift, FDragTo + shift);
        emit TimeRangeChosen(TimeFrom(), TimeTo());
    }
}

void THistoryPlot::mouseReleaseEvent(QMouseEvent* AEvent) {
    const TDrag drag = FDrag;
    FDrag = TDrag::None;
    if (FRubberBand)
        FRubberBand->hide();
    if (drag == TDrag::Choose) {
        if (!FDragMoved) {
            const double time = TimeAt(AEvent->position());
            if (!std::isnan(time))
                emit TimeClicked(time);
            return;
        }
        const QRect area = PlotArea();
        const int a = std::clamp(FDragStart.x(), area.left(), area.right());
        const int b = std::clamp(AEvent->pos().x(), area.left(), area.right());
        if (std::abs(a - b) < 3)
            return;
        const double from = TimeAt(QPointF(std::min(a, b), area.center().y()));
        const double to = TimeAt(QPointF(std::max(a, b), area.center().y()));
        if (std::isnan(from) || std::isnan(to))
            return;
        SetTimeRange(from, to);
        emit TimeRangeChosen(TimeFrom(), TimeTo());
    } else if (drag == TDrag::Scroll && !FDragMoved) {
        emit PopupRequested(AEvent->globalPosition().toPoint());
    }
}

void THistoryPlot::mouseDoubleClickEvent(QMouseEvent* AEvent) {
    if (AEvent->button() != Qt::LeftButton || !(FHomeTo > FHomeFrom))
        return;
    SetTimeRange(FHomeFrom, FHomeTo);
    emit TimeRangeChosen(TimeFrom(), TimeTo());
}

void THistoryPlot::wheelEvent(QWheelEvent* AEvent) {
    const double center = TimeAt(AEvent->position());
    if (std::isnan(center) || AEvent->angleDelta().y() == 0)
        return;
    const double factor = AEvent->angleDelta().y() > 0 ? 0.8 : 1.25;
    SetTimeRange(center - (center - TimeFrom()) * factor, center + (TimeTo() - center) * factor);
    emit TimeRangeChosen(TimeFrom(), TimeTo());
}

void THistoryPlot::resizeEvent(QResizeEvent* AEvent) {
    QWidget::resizeEvent(AEvent);
    // The bars follow the new width once the plot has laid itself out.
    QMetaObject::invokeMethod(
        this, [this] { Rearrange(); }, Qt::QueuedConnection);
}

} // namespace vexlorin
