// The chart's axes, its series of both kinds, and the chart itself over the plot it holds:
// series management, redraws and images. The mouse gestures and the readout are in
// ChartGestures.cpp.
#include "ui/Chart.h"

#include "ui/ChartPlot.h"
#include "ui/PlotImage.h"

#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

namespace vexlorin {

// Fixed label increment while the axis shows about the range it was given; zoomed far in
// it picks its own steps so that some labels stay visible. Alternating labels are put on
// a second row every other step.
class TToneTicker : public QCPAxisTicker {
public:
    double FIncrement = 0;
    bool FAlternate = false;
    // Label units per key (see SetLabelScale).
    double FScale = 1;

protected:
    double getTickStep(const QCPRange& ARange) override {
        if (FScale != 1)
            return ScaledTickStep(ARange);
        FStep = QCPAxisTicker::getTickStep(ARange);
        if (FIncrement > 0) {
            const double labels = ARange.size() / FIncrement;
            // Too few labels when zoomed in, far too many for an absurd increment.
            if (labels >= 2 && labels <= 1000)
                FStep = FIncrement;
        }
        return FStep;
    }

    QString getTickLabel(double ATick, const QLocale& ALocale, QChar AFormatChar,
                         int APrecision) override {
        QString label = FScale != 1
                            ? ScaledLabel(ATick)
                            : QCPAxisTicker::getTickLabel(ATick, ALocale, AFormatChar, APrecision);
        if (FAlternate && FStep > 0 && (std::llround(ATick / FStep) % 2) != 0)
            label.prepend(QLatin1Char('\n'));
        return label;
    }

private:
    // Round steps of the label units (1, 2, 2.5 or 5 times a power of ten), about sixteen
    // over the range whatever the zoom: ticks at whole multiples of them.
    double ScaledTickStep(const QCPRange& ARange) {
        const double raw = ARange.size() * FScale / 16;
        if (!(raw > 0) || !std::isfinite(raw))
            return QCPAxisTicker::getTickStep(ARange);
        const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
        const double mantissa = raw / magnitude;
        const double nice = mantissa <= 1     ? 1
                            : mantissa <= 2   ? 2
                            : mantissa <= 2.5 ? 2.5
                            : mantissa <= 5   ? 5
                                              : 10;
        FScaledStep = nice * magnitude;
        FStep = FScaledStep / FScale;
        return FStep;
    }

    // As many decimals as the step has, so 0.5 MHz steps read 0.5, 1.0, 1.5.
    QString ScaledLabel(double ATick) const {
        int decimals = 0;
        for (double step = FScaledStep; decimals < 4 && std::abs(step - std::round(step)) > 1e-6;
             step *= 10)
            ++decimals;
        return QLocale::c().toString(ATick * FScale, 'f', decimals);
    }

    double FStep = 1;
    double FScaledStep = 1;
};

// ---------------------------------------------------------------------------------------

TChartAxis::TChartAxis(QCPAxis* AAxis) : FAxis(AAxis), FTicker(new TToneTicker) {
    FAxis->setTicker(QSharedPointer<QCPAxisTicker>(FTicker));
    QPen dotted(Qt::black, 0, Qt::DotLine);
    FAxis->setBasePen(dotted);
    FMinimum = FAxis->range().lower;
    FMaximum = FAxis->range().upper;
}

void TChartAxis::SetAutomatic(bool AValue) {
    FAutomatic = AValue;
    if (FAutomatic)
        ResetZoom();
}

void TChartAxis::SetMinMax(double AOne, double ATwo) {
    FMinimum = std::min(AOne, ATwo);
    FMaximum = std::max(AOne, ATwo);
    FAutomatic = false;
    FAxis->setRange(FMinimum, FMaximum);
}

void TChartAxis::SetMaximum(double AValue) {
    FMaximum = AValue;
    if (!FAutomatic)
        FAxis->setRange(FMinimum, FMaximum);
}

TAxisRange TChartAxis::VisibleRange() const {
    return {FAxis->range().lower, FAxis->range().upper};
}

void TChartAxis::SetIncrement(double AValue) {
    FIncrement = AValue > 0 ? AValue : 0;
    FTicker->FIncrement = FIncrement;
}

QString TChartAxis::Title() const {
    return FAxis->label();
}

void TChartAxis::SetTitle(const QString& AValue) {
    FAxis->setLabel(AValue);
}

bool TChartAxis::MinorTicks() const {
    return FAxis->subTicks();
}

void TChartAxis::SetMinorTicks(bool AValue) {
    FAxis->setSubTicks(AValue);
}

bool TChartAxis::LabelsAlternate() const {
    return FTicker->FAlternate;
}

void TChartAxis::SetLabelsAlternate(bool AValue) {
    FTicker->FAlternate = AValue;
}

void TChartAxis::SetLabelScale(double AScale) {
    FTicker->FScale = AScale > 0 && std::isfinite(AScale) ? AScale : 1;
}

double TChartAxis::LabelScale() const {
    return FTicker->FScale;
}

void TChartAxis::ResetZoom() {
    if (!FAutomatic) {
        FAxis->setRange(FMinimum, FMaximum);
        return;
    }
    bool found = false;
    QCPRange range;
    for (QCPAbstractPlottable* plottable : FAxis->plottables()) {
        bool ok = false;
        const QCPRange r = plottable->keyAxis() == FAxis ? plottable->getKeyRange(ok)
                                                         : plottable->getValueRange(ok);
        if (!ok)
            continue;
        range =
            found ? QCPRange(std::min(range.lower, r.lower), std::max(range.upper, r.upper)) : r;
        found = true;
    }
    if (!found)
        return;
    if (range.size() <= 0) {
        // A flat line still needs some height to be seen.
        range.lower -= 1;
        range.upper += 1;
    }
    // Values at the ends of the data would lie on the frame or the axis and vanish.
    const double margin = range.size() * AutomaticRangeMargin;
    FAxis->setRange(range.lower - margin, range.upper + margin);
}

// ---------------------------------------------------------------------------------------

TChartSeries::TChartSeries(TKind AKind, QCPAbstractPlottable* APlottable)
    : FKind(AKind), FPlottable(APlottable), FColor(Qt::black) {}

QString TChartSeries::Title() const {
    return FPlottable->name();
}

void TChartSeries::SetTitle(const QString& AValue) {
    FPlottable->setName(AValue);
}

void TChartSeries::SetColor(const QColor& AValue) {
    FColor = AValue;
    ApplyColor(FColor, FPenWidth);
}

void TChartSeries::SetPenWidth(int AValue) {
    FPenWidth = AValue;
    ApplyColor(FColor, FPenWidth);
}

void TChartSeries::SetPenStyle(Qt::PenStyle AValue) {
    FPenStyle = AValue;
    ApplyColor(FColor, FPenWidth);
}

double TChartSeries::XValue(int AIndex) const {
    const int held = HeldCount();
    if (AIndex < 0 || AIndex >= Count())
        return std::numeric_limits<double>::quiet_NaN();
    return AIndex >= held ? FPendingX.at(AIndex - held) : HeldX(AIndex);
}

double TChartSeries::YValue(int AIndex) const {
    const int held = HeldCount();
    if (AIndex < 0 || AIndex >= Count())
        return std::numeric_limits<double>::quiet_NaN();
    return AIndex >= held ? FPendingY.at(AIndex - held) : HeldY(AIndex);
}

bool TChartSeries::IsNull(int AIndex) const {
    return std::isnan(YValue(AIndex));
}

void TChartSeries::EndUpdate() {
    FUpdating = false;
    if (FPendingX.isEmpty())
        return;
    HandOver(FPendingX, FPendingY);
    FPendingX.clear();
    FPendingY.clear();
}

void TChartSeries::AddXY(double AX, double AY) {
    if (FUpdating) {
        FPendingX.append(AX);
        FPendingY.append(AY);
    } else {
        HandOver(AX, AY);
    }
}

void TChartSeries::AddNullXY(double AX, double /*AY*/) {
    // QCustomPlot breaks a line at a NaN value, which is exactly a point not painted.
    AddXY(AX, std::numeric_limits<double>::quiet_NaN());
}

namespace {

// Bars as the eye must see them: each drawn bar covers whole pixels, at least one wide and
// one high, in exactly its series' colour. QCustomPlot's own bars are a fraction of a pixel
// wide at thousands of tones, so a direction's colour was blended into the background or
// lost entirely.
class TPixelBars final : public QCPBars {
public:
    using QCPBars::QCPBars;

protected:
    void draw(QCPPainter* APainter) override {
        if (!mKeyAxis || !mValueAxis || mDataContainer->isEmpty())
            return;
        QCPBarsDataContainer::const_iterator begin;
        QCPBarsDataContainer::const_iterator end;
        getVisibleDataBounds(begin, end);
        APainter->setAntialiasing(false);
        APainter->setPen(Qt::NoPen);
        const QColor colour = brush().color();
        // Bars that fall on the same pixel columns (thousands of tones on a few hundred
        // pixels) are one rectangle: all of them stand on the baseline.
        QRect pending;
        auto flush = [&] {
            if (!pending.isEmpty())
                APainter->fillRect(pending, colour);
        };
        for (auto it = begin; it != end; ++it) {
            // A bar of height 0 (a tone the direction does not use) draws nothing.
            if (!std::isfinite(it->value) || it->value == 0)
                continue;
            const QRectF bar = getBarRect(it->key, it->value).normalized();
            const int left = qRound(bar.left());
            const int right = std::max(left + 1, static_cast<int>(qRound(bar.right())));
            int top = qRound(bar.top());
            int bottom = qRound(bar.bottom());
            if (bottom - top < 1) {
                // Keep the pixel on the baseline's side of the bar.
                if (it->value > 0)
                    top = bottom - 1;
                else
                    bottom = top + 1;
            }
            const QRect column(left, top, right - left, bottom - top);
            if (!pending.isEmpty() && pending.left() == column.left() &&
                pending.width() == column.width()) {
                pending = pending.united(column);
            } else {
                flush();
                pending = column;
            }
        }
        flush();
    }
};

// A series of one plottable class: QCPGraph for lines, QCPBars for bars. The kind is
// fixed when the series is made, so no call has to find out what it holds.
template <class TPlottable> class TSeriesOf final : public TChartSeries {
public:
    TSeriesOf(TKind AKind, TPlottable* APlottable)
        : TChartSeries(AKind, APlottable), FTyped(APlottable) {
        ApplyColor(Color(), PenWidth());
    }

protected:
    int HeldCount() const override { return FTyped->data()->size(); }
    double HeldX(int AIndex) const override { return FTyped->data()->at(AIndex)->key; }
    double HeldY(int AIndex) const override { return FTyped->data()->at(AIndex)->value; }
    void HandOver(const QList<double>& AX, const QList<double>& AY) override {
        FTyped->addData(AX, AY, true);
    }
    void HandOver(double AX, double AY) override { FTyped->addData(AX, AY); }
    void ApplyColor(const QColor& AColor, int APenWidth) override {
        if constexpr (std::is_same_v<TPlottable, QCPBars>) {
            FTyped->setPen(Qt::NoPen);
            FTyped->setBrush(AColor);
        } else {
            FTyped->setPen(QPen(AColor, APenWidth, PenStyle()));
        }
    }

private:
    void Detach() override {
        if constexpr (std::is_same_v<TPlottable, QCPBars>)
            FTyped->setBarsGroup(nullptr);
    }

    TPlottable* FTyped;
};

} // namespace

// ---------------------------------------------------------------------------------------

TPlotWidget::TPlotWidget(QWidget* AParent) : QCustomPlot(AParent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void TPlotWidget::paintEvent(QPaintEvent* AEvent) {
    QCustomPlot::paintEvent(AEvent);
    QPainter painter(this);
    painter.setPen(QColor(192, 192, 192));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

TChart::TChart(QWidget* AParent) : QWidget(AParent), FPlot(new TPlotWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FPlot);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);

    FPlot->setBackground(Qt::white);
    // Nothing is forced: lines are smoothed by their own setting, bars never are.
    FPlot->setAntialiasedElements(QCP::aeNone);
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    FPlot->setLocale(locale);

    FPlot->plotLayout()->insertRow(0);
    QFont titleFont = FPlot->font();
    titleFont.setBold(true);
    FTitle = new QCPTextElement(FPlot, QString(), titleFont);
    FTitle->setTextColor(Qt::black);
    FPlot->plotLayout()->addElement(0, 0, FTitle);

    FBottomAxis = std::make_unique<TChartAxis>(FPlot->xAxis);
    FLeftAxis = std::make_unique<TChartAxis>(FPlot->yAxis);
    FPlot->xAxis->setNumberFormat(QStringLiteral("f"));
    FPlot->xAxis->setNumberPrecision(0);
    FPlot->xAxis2->setVisible(false);
    FPlot->yAxis2->setVisible(false);

    // The legend has a row of its own between the title and the plotting area, so it can
    // never cover data; it sits at the right end of that row and leaves it while no series
    // has points.
    FPlot->axisRect()->insetLayout()->take(FPlot->legend);
    FPlot->axisRect()->insetLayout()->simplify();
    FPlot->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    FPlot->legend->setBrush(Qt::white);
    FPlot->legend->setSizeConstraintRect(QCPLayoutElement::scrOuterRect);
    FLegendRow = new QCPLayoutGrid;
    // Off the chart's border on the right.
    FLegendRow->setMargins(QMargins(0, 2, 8, 0));
    auto* spacer = new QCPLayoutElement(FPlot);
    // The row is as high as the legend: a grid row takes the smallest maximum of its cells.
    spacer->setMinimumSize(0, 0);
    FLegendRow->addElement(0, 0, spacer);
    FLegendRow->addElement(0, 1, FPlot->legend);
    FLegendRow->setColumnStretchFactor(0, 1);
    FLegendRow->setColumnStretchFactor(1, 0.001);
    FPlot->legend->setVisible(false);
    FLegendRow->setVisible(false);
    // Held by the chart while out of the plot's layout.
    FLegendRowOwner.reset(FLegendRow);
}

TChart::~TChart() {
    // Out of the layout the row is the chart's own; in it, the plot deletes it.
    if (FLegendRow->layout())
        (void)FLegendRowOwner.release();
}

bool TChart::LegendShown() const {
    return FLegendRow->layout() != nullptr;
}

QRect TChart::LegendArea() const {
    if (!LegendShown())
        return {};
    return FPlot->legend->outerRect().translated(FPlot->pos());
}

void TChart::UpdateLegend() {
    bool hasData = false;
    for (const auto& series : FSeries)
        hasData = hasData || series->Count() > 0;
    QCPLayoutGrid* layout = FPlot->plotLayout();
    if (hasData && !LegendShown()) {
        layout->insertRow(1);
        layout->addElement(1, 0, FLegendRowOwner.release());
        layout->setRowStretchFactor(1, 0.001);
        FLegendRow->setVisible(true);
        FPlot->legend->setVisible(true);
    } else if (!hasData && LegendShown()) {
        layout->take(FLegendRow);
        layout->simplify();
        FLegendRowOwner.reset(FLegendRow);
        FLegendRow->setVisible(false);
        FPlot->legend->setVisible(false);
    }
    if (hasData) {
        // As wide as its entries, so the spacer pushes it to the right end.
        FPlot->legend->setMaximumSize(FPlot->legend->minimumOuterSizeHint());
    }
}

QString TChart::Title() const {
    return FTitle->text();
}

void TChart::SetTitle(const QString& AValue) {
    FTitle->setText(AValue);
}

TChartSeries* TChart::Series(int AIndex) const {
    if (AIndex < 0 || AIndex >= SeriesCount())
        return nullptr;
    return FSeries[static_cast<std::size_t>(AIndex)].get();
}

QCPBarsGroup* TChart::BarsGroup() {
    if (!FBarsGroup) {
        FBarsGroup = new QCPBarsGroup(FPlot);
        FBarsGroup->setSpacingType(QCPBarsGroup::stAbsolute);
        FBarsGroup->setSpacing(0);
    }
    return FBarsGroup;
}

void TChart::SpreadBars() {
    // The bars of all series share one tone's slot, together as wide as the slot.
    if (!FBarsGroup || FBarsGroup->size() == 0)
        return;
    const double width = 1.0 / FBarsGroup->size();
    for (QCPBars* member : FBarsGroup->bars())
        member->setWidth(width);
}

TChartSeries* TChart::AddSeries(TChartSeries::TKind AKind) {
    if (AKind == TChartSeries::TKind::Line) {
        auto* graph = FPlot->addGraph(FPlot->xAxis, FPlot->yAxis);
        graph->setLineStyle(QCPGraph::lsLine);
        graph->setScatterStyle(QCPScatterStyle::ssNone);
        FSeries.push_back(std::make_unique<TSeriesOf<QCPGraph>>(AKind, graph));
        return FSeries.back().get();
    }
    auto* bars = new TPixelBars(FPlot->xAxis, FPlot->yAxis);
    bars->setWidthType(QCPBars::wtPlotCoords);
    // Crisp, and far cheaper with thousands of narrow bars.
    bars->setAntialiased(false);
    bars->setAntialiasedFill(false);
    BarsGroup()->append(bars);
    SpreadBars();
    FSeries.push_back(std::make_unique<TSeriesOf<QCPBars>>(AKind, bars));
    return FSeries.back().get();
}

void TChart::DeleteSeries(int AIndex) {
    if (AIndex < 0 || AIndex >= SeriesCount())
        return;
    auto it = FSeries.begin() + AIndex;
    std::unique_ptr<TChartSeries> series = std::move(*it);
    FSeries.erase(it);
    series->Detach();
    SpreadBars();
    FPlot->removePlottable(series->FPlottable);
    UpdateLegend();
    QueueRedraw();
}

void TChart::DeleteAllSeries() {
    while (SeriesCount() > 0)
        DeleteSeries(0);
}

void TChart::QueueRedraw() {
    FPlot->replot(QCustomPlot::rpQueuedReplot);
}

void TChart::Refresh() {
    UpdateLegend();
    if (FLeftAxis->Automatic())
        FLeftAxis->ResetZoom();
    if (FBottomAxis->Automatic())
        FBottomAxis->ResetZoom();
    QueueRedraw();
}

void TChart::RedrawNow() {
    UpdateLegend();
    // At the chart's size even while it is hidden (a resize reaches a hidden plot only
    // when it is shown).
    if (FPlot->viewport() != rect()) {
        FPlot->setGeometry(rect());
        FPlot->setViewport(rect());
    }
    FPlot->replot(QCustomPlot::rpRefreshHint);
}

QImage TChart::ToImage() {
    UpdateLegend();
    return FPlot->toPixmap(width(), height()).toImage();
}

void TChart::CopyToClipboardBitmap() {
    QApplication::clipboard()->setImage(ToImage());
}

bool TChart::SaveAsImage(const QString& AFileName) {
    if (IsSvgFileName(AFileName)) {
        UpdateLegend();
        return SavePlotSvg(*FPlot, size(), Title(), AFileName);
    }
    return ToImage().save(AFileName, "PNG");
}

void TChart::ResetZoom() {
    FBottomAxis->ResetZoom();
    FLeftAxis->ResetZoom();
    QueueRedraw();
}

QRect TChart::PlotArea() const {
    return FPlot->axisRect()->rect().translated(FPlot->pos());
}

} // namespace vexlorin
