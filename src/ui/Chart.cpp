#include "ui/Chart.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QRubberBand>
#include <QSvgGenerator>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>

namespace vexlorin {

// Fixed label increment while the axis shows about the range it was given; zoomed far in
// it picks its own steps so that some labels stay visible. Alternating labels are put on
// a second row every other step.
class TToneTicker : public QCPAxisTicker {
public:
    double FIncrement = 0;
    bool FAlternate = false;

protected:
    double getTickStep(const QCPRange& ARange) override {
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
        QString label = QCPAxisTicker::getTickLabel(ATick, ALocale, AFormatChar, APrecision);
        if (FAlternate && FStep > 0 && (std::llround(ATick / FStep) % 2) != 0)
            label.prepend(QLatin1Char('\n'));
        return label;
    }

private:
    double FStep = 1;
};

// ---------------------------------------------------------------------------------------

TChartAxis::TChartAxis(TChart& AChart, QCPAxis* AAxis)
    : FChart(AChart), FAxis(AAxis), FTicker(new TToneTicker) {
    FAxis->setTicker(FTicker);
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

void TChartAxis::SetIncrement(double AValue) {
    FIncrement = AValue > 0 ? AValue : 0;
    FTicker->FIncrement = FIncrement;
}

bool TChartAxis::LabelsAlternate() const {
    return FTicker->FAlternate;
}

void TChartAxis::SetLabelsAlternate(bool AValue) {
    FTicker->FAlternate = AValue;
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
    FAxis->setRange(range);
}

// ---------------------------------------------------------------------------------------

TChartSeries::TChartSeries(TKind AKind, QCPAbstractPlottable* APlottable)
    : FKind(AKind), FPlottable(APlottable) {
    SetColor(Qt::black);
}

void TChartSeries::SetColor(const QColor& AValue) {
    FColor = AValue;
    if (FKind == TKind::Line) {
        FPlottable->setPen(QPen(FColor, FPenWidth));
    } else {
        FPlottable->setPen(Qt::NoPen);
        FPlottable->setBrush(FColor);
    }
}

void TChartSeries::SetPenWidth(int AValue) {
    FPenWidth = AValue;
    SetColor(FColor);
}

int TChartSeries::Count() const {
    const int held = FKind == TKind::Line ? static_cast<QCPGraph*>(FPlottable)->data()->size()
                                          : static_cast<QCPBars*>(FPlottable)->data()->size();
    return held + static_cast<int>(FPendingX.size());
}

double TChartSeries::XValue(int AIndex) const {
    const int held = Count() - static_cast<int>(FPendingX.size());
    if (AIndex < 0 || AIndex >= Count())
        return std::numeric_limits<double>::quiet_NaN();
    if (AIndex >= held)
        return FPendingX.at(AIndex - held);
    return FKind == TKind::Line ? static_cast<QCPGraph*>(FPlottable)->data()->at(AIndex)->key
                                : static_cast<QCPBars*>(FPlottable)->data()->at(AIndex)->key;
}

double TChartSeries::YValue(int AIndex) const {
    const int held = Count() - static_cast<int>(FPendingX.size());
    if (AIndex < 0 || AIndex >= Count())
        return std::numeric_limits<double>::quiet_NaN();
    if (AIndex >= held)
        return FPendingY.at(AIndex - held);
    return FKind == TKind::Line ? static_cast<QCPGraph*>(FPlottable)->data()->at(AIndex)->value
                                : static_cast<QCPBars*>(FPlottable)->data()->at(AIndex)->value;
}

bool TChartSeries::IsNull(int AIndex) const {
    return std::isnan(YValue(AIndex));
}

void TChartSeries::BeginUpdate() {
    FUpdating = true;
}

void TChartSeries::EndUpdate() {
    FUpdating = false;
    if (FPendingX.isEmpty())
        return;
    if (FKind == TKind::Line)
        static_cast<QCPGraph*>(FPlottable)->addData(FPendingX, FPendingY, true);
    else
        static_cast<QCPBars*>(FPlottable)->addData(FPendingX, FPendingY, true);
    FPendingX.clear();
    FPendingY.clear();
}

void TChartSeries::Append(double AX, double AY) {
    if (FUpdating) {
        FPendingX.append(AX);
        FPendingY.append(AY);
    } else if (FKind == TKind::Line) {
        static_cast<QCPGraph*>(FPlottable)->addData(AX, AY);
    } else {
        static_cast<QCPBars*>(FPlottable)->addData(AX, AY);
    }
}

void TChartSeries::AddXY(double AX, double AY) {
    Append(AX, AY);
}

void TChartSeries::AddNullXY(double AX, double /*AY*/) {
    // QCustomPlot breaks a line at a NaN value, which is exactly a point not painted.
    Append(AX, std::numeric_limits<double>::quiet_NaN());
}

// ---------------------------------------------------------------------------------------

TChart::TChart(QWidget* AParent) : QCustomPlot(AParent) {
    setBackground(Qt::white);
    setAntialiasedElements(QCP::aeNone);
    setAntialiasedElement(QCP::aePlottables, true);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);

    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    setLocale(locale);

    plotLayout()->insertRow(0);
    QFont titleFont = font();
    titleFont.setBold(true);
    FTitle = new QCPTextElement(this, QString(), titleFont);
    FTitle->setTextColor(Qt::black);
    plotLayout()->addElement(0, 0, FTitle);

    FBottomAxis = std::make_unique<TChartAxis>(*this, xAxis);
    FLeftAxis = std::make_unique<TChartAxis>(*this, yAxis);
    xAxis->setNumberFormat(QStringLiteral("f"));
    xAxis->setNumberPrecision(0);
    xAxis2->setVisible(false);
    yAxis2->setVisible(false);

    legend->setVisible(true);
    legend->setBrush(QColor(255, 255, 255, 220));
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
}

TChart::~TChart() = default;

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

TChartSeries* TChart::AddLineSeries() {
    auto* graph = addGraph(xAxis, yAxis);
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setScatterStyle(QCPScatterStyle::ssNone);
    FSeries.push_back(std::make_unique<TChartSeries>(TChartSeries::TKind::Line, graph));
    return FSeries.back().get();
}

QCPBarsGroup* TChart::BarsGroup() {
    if (!FBarsGroup) {
        FBarsGroup = new QCPBarsGroup(this);
        FBarsGroup->setSpacingType(QCPBarsGroup::stAbsolute);
        FBarsGroup->setSpacing(0);
    }
    return FBarsGroup;
}

TChartSeries* TChart::AddBarSeries() {
    auto* bars = new QCPBars(xAxis, yAxis);
    bars->setWidthType(QCPBars::wtPlotCoords);
    // Crisp, and far cheaper with thousands of narrow bars.
    bars->setAntialiased(false);
    bars->setAntialiasedFill(false);
    QCPBarsGroup* group = BarsGroup();
    group->append(bars);
    // The bars of all series share one tone's slot, together as wide as the slot.
    const double width = 1.0 / group->size();
    for (QCPBars* member : group->bars())
        member->setWidth(width);
    FSeries.push_back(std::make_unique<TChartSeries>(TChartSeries::TKind::Bar, bars));
    return FSeries.back().get();
}

void TChart::DeleteSeries(int AIndex) {
    if (AIndex < 0 || AIndex >= SeriesCount())
        return;
    auto it = FSeries.begin() + AIndex;
    QCPAbstractPlottable* plottable = (*it)->Plottable();
    FSeries.erase(it);
    if (auto* bars = qobject_cast<QCPBars*>(plottable); bars && FBarsGroup) {
        FBarsGroup->remove(bars);
        if (FBarsGroup->size() > 0) {
            const double width = 1.0 / FBarsGroup->size();
            for (QCPBars* member : FBarsGroup->bars())
                member->setWidth(width);
        }
    }
    removePlottable(plottable);
    replot(rpQueuedReplot);
}

void TChart::Refresh() {
    if (FLeftAxis->Automatic())
        FLeftAxis->ResetZoom();
    if (FBottomAxis->Automatic())
        FBottomAxis->ResetZoom();
    replot(rpQueuedReplot);
}

void TChart::RedrawNow() {
    replot(rpRefreshHint);
}

QImage TChart::ToImage() {
    return toPixmap(width(), height()).toImage();
}

void TChart::CopyToClipboardBitmap() {
    QApplication::clipboard()->setImage(ToImage());
}

bool TChart::SaveAsImage(const QString& AFileName) {
    if (QFileInfo(AFileName).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0) {
        QSvgGenerator generator;
        generator.setFileName(AFileName);
        generator.setSize(size());
        generator.setViewBox(rect());
        generator.setTitle(Title());
        QCPPainter painter;
        if (!painter.begin(&generator))
            return false;
        toPainter(&painter, width(), height());
        return painter.end();
    }
    return ToImage().save(AFileName, "PNG");
}

void TChart::ResetZoom() {
    FBottomAxis->ResetZoom();
    FLeftAxis->ResetZoom();
    replot(rpQueuedReplot);
}

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
    if (!axisRect()->rect().contains(APos.toPoint()))
        return {};
    const double key = xAxis->pixelToCoord(APos.x());
    const double tone = std::floor(key + 0.5);
    if (!(tone >= 0) || tone > 1e6)
        return {};
    const QLocale c = QLocale::c();
    QString text = QStringLiteral("Tone %1 (%2 kHz)")
                       .arg(static_cast<qlonglong>(tone))
                       .arg(c.toString(tone * FToneSpacingKHz, 'f', 4)
                                .remove(QRegularExpression(QStringLiteral("\\.?0+$"))));
    const QString unit = FLeftAxis->Title();
    for (const auto& series : FSeries) {
        QString value = QStringLiteral("no value");
        const int index = LastPointAtOrBefore(*series, tone);
        if (index >= 0 && !series->IsNull(index))
            value = c.toString(series->YValue(index), 'g', 6) + QLatin1Char(' ') + unit;
        text += QStringLiteral("\n%1: %2").arg(series->Title(), value);
    }
    return text;
}

void TChart::paintEvent(QPaintEvent* AEvent) {
    QCustomPlot::paintEvent(AEvent);
    QPainter painter(this);
    painter.setPen(QColor(192, 192, 192));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TChart::mousePressEvent(QMouseEvent* AEvent) {
    const QPoint pos = AEvent->position().toPoint();
    const bool inPlot = axisRect()->rect().contains(pos);
    FDragStart = pos;
    FDragKeyRange = xAxis->range();
    FDragValueRange = yAxis->range();
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
        QCustomPlot::mousePressEvent(AEvent);
        return;
    }
    QToolTip::hideText();
    AEvent->accept();
}

void TChart::mouseMoveEvent(QMouseEvent* AEvent) {
    const QPoint pos = AEvent->position().toPoint();
    switch (FDrag) {
    case TDrag::Zoom:
        FRubberBand->setGeometry(QRect(FDragStart, pos).normalized());
        break;
    case TDrag::Scroll: {
        const QRect plot = axisRect()->rect();
        if (plot.width() <= 0 || plot.height() <= 0)
            break;
        const double dx = (pos.x() - FDragStart.x()) * FDragKeyRange.size() / plot.width();
        const double dy = (pos.y() - FDragStart.y()) * FDragValueRange.size() / plot.height();
        xAxis->setRange(FDragKeyRange.lower - dx, FDragKeyRange.upper - dx);
        yAxis->setRange(FDragValueRange.lower + dy, FDragValueRange.upper + dy);
        replot(rpQueuedReplot);
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
        QCustomPlot::mouseMoveEvent(AEvent);
        return;
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
        const QRect area = QRect(FDragStart, pos).normalized();
        if (pos.x() < FDragStart.x()) {
            // Dragging towards the left undoes the zoom, as users of such charts expect.
            ResetZoom();
        } else if (area.width() >= 4 && area.height() >= 4) {
            xAxis->setRange(xAxis->pixelToCoord(area.left()), xAxis->pixelToCoord(area.right()));
            yAxis->setRange(yAxis->pixelToCoord(area.bottom()), yAxis->pixelToCoord(area.top()));
            replot(rpQueuedReplot);
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
        QCustomPlot::mouseReleaseEvent(AEvent);
        return;
    }
    AEvent->accept();
}

void TChart::mouseDoubleClickEvent(QMouseEvent* AEvent) {
    if (AEvent->button() == Qt::LeftButton) {
        ResetZoom();
        AEvent->accept();
        return;
    }
    QCustomPlot::mouseDoubleClickEvent(AEvent);
}

void TChart::keyPressEvent(QKeyEvent* AEvent) {
    if (AEvent->key() == Qt::Key_Menu) {
        emit PopupRequested(mapToGlobal(rect().center()));
        AEvent->accept();
        return;
    }
    QCustomPlot::keyPressEvent(AEvent);
}

void TChart::leaveEvent(QEvent* AEvent) {
    QToolTip::hideText();
    QCustomPlot::leaveEvent(AEvent);
}

} // namespace vexlorin
