// One chart of the program: a title, a tone (bottom) and a value (left) axis with fixed or
// automatic ranges and label increments, line and bar series in the order they were
// created, copying and saving the chart as an image, zooming and scrolling with the mouse,
// and a readout of the values under the pointer.
//
// The chart holds a QCustomPlot and keeps it to itself: the rest of the program sees only
// the operations below, so the plotting library can change without touching its users.
#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QCPAbstractItem;
class QCPAbstractPlottable;
class QCPAxis;
class QCPBarsGroup;
class QCPItemStraightLine;
class QCPLayoutGrid;
class QCPTextElement;
class QRubberBand;

namespace vexlorin {

class TChart;
class TPlotWidget;
class TToneTicker;

// The share of the data's span an automatic range adds at each end.
inline constexpr double AutomaticRangeMargin = 0.04;

// A span of an axis, lower end first.
struct TAxisRange {
    double Lower = 0;
    double Upper = 0;
    double Size() const { return Upper - Lower; }
    bool operator==(const TAxisRange&) const = default;
};

// One axis of a chart. Minimum()/Maximum() are the range the program set (what a zoom
// reset returns to); VisibleRange() is what the user currently sees.
class TChartAxis {
public:
    explicit TChartAxis(QCPAxis* AAxis);

    bool Automatic() const { return FAutomatic; }
    // Automatic: the range follows the data (at the next Refresh of the chart), with a
    // margin of AutomaticRangeMargin at both ends.
    void SetAutomatic(bool AValue);
    // Fixes the range; the smaller argument becomes the minimum.
    void SetMinMax(double AOne, double ATwo);
    // Changes the upper end only; the minimum and the fixed state stay.
    void SetMaximum(double AValue);
    double Minimum() const { return FMinimum; }
    double Maximum() const { return FMaximum; }
    TAxisRange VisibleRange() const;

    // Distance between labels; 0 lets the chart choose.
    double Increment() const { return FIncrement; }
    void SetIncrement(double AValue);

    QString Title() const;
    void SetTitle(const QString& AValue);
    bool MinorTicks() const;
    void SetMinorTicks(bool AValue);
    // Labels alternate between two rows so that dense labels do not overlap.
    bool LabelsAlternate() const;
    void SetLabelsAlternate(bool AValue);
    // Long labels may wrap onto several lines.
    bool LabelsMultiLine() const { return FLabelsMultiLine; }
    void SetLabelsMultiLine(bool AValue) { FLabelsMultiLine = AValue; }

    // Back to the range the program set: the fixed range, or the data's range.
    void ResetZoom();

    // Labels read key x AScale (tones as MHz: the tone spacing in MHz) at round steps of
    // those units. A scale of 1 labels the keys themselves again, by Increment().
    void SetLabelScale(double AScale);
    double LabelScale() const;

private:
    QCPAxis* FAxis;
    // Owned by the axis, which holds it for as long as this object lives.
    TToneTicker* FTicker;
    bool FAutomatic = true;
    double FMinimum = 0;
    double FMaximum = 100;
    double FIncrement = 0;
    bool FLabelsMultiLine = false;
};

// One series of a chart: a polyline (null points leave gaps) or bars (several bar series
// of one chart stand side by side within each slot). Each kind is its own class inside
// the chart; this is what every kind offers.
class TChartSeries {
public:
    enum class TKind { Line, Bar };

    virtual ~TChartSeries() = default;
    TChartSeries(const TChartSeries&) = delete;
    TChartSeries& operator=(const TChartSeries&) = delete;

    TKind Kind() const { return FKind; }
    QString Title() const;
    void SetTitle(const QString& AValue);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& AValue);
    int PenWidth() const { return FPenWidth; }
    void SetPenWidth(int AValue);
    // Dashed or dotted lines; bars are always filled.
    Qt::PenStyle PenStyle() const { return FPenStyle; }
    void SetPenStyle(Qt::PenStyle AValue);

    int Count() const { return HeldCount() + static_cast<int>(FPendingX.size()); }
    double XValue(int AIndex) const;
    // NaN for a null point.
    double YValue(int AIndex) const;
    bool IsNull(int AIndex) const;

    // Points are appended in ascending x. Between BeginUpdate and EndUpdate they are
    // collected and handed to the plot in one piece.
    void BeginUpdate() { FUpdating = true; }
    void EndUpdate();
    void AddXY(double AX, double AY);
    // A point that is not drawn; no segment reaches it.
    void AddNullXY(double AX, double AY);
    // A point at x = the number of points already held.
    void Add(double AY) { AddXY(Count(), AY); }

protected:
    TChartSeries(TKind AKind, QCPAbstractPlottable* APlottable);

    // The points the plot already holds.
    virtual int HeldCount() const = 0;
    virtual double HeldX(int AIndex) const = 0;
    virtual double HeldY(int AIndex) const = 0;
    virtual void HandOver(const QList<double>& AX, const QList<double>& AY) = 0;
    virtual void HandOver(double AX, double AY) = 0;
    virtual void ApplyColor(const QColor& AColor, int APenWidth) = 0;

private:
    friend class TChart;
    // Takes the series off the chart's shared arrangements before it is removed.
    virtual void Detach() {}

    TKind FKind;
    QCPAbstractPlottable* FPlottable;
    QColor FColor;
    int FPenWidth = 1;
    Qt::PenStyle FPenStyle = Qt::SolidLine;
    bool FUpdating = false;
    QList<double> FPendingX;
    QList<double> FPendingY;
};

// A span of the tone axis shaded behind the data, labelled at its top (a band of the
// line's band plan).
struct TChartBand {
    double First = 0; // the first and the last tone of the span
    double Last = 0;
    QColor Color;
    QString Label;
};

class TChart : public QWidget {
    Q_OBJECT
public:
    explicit TChart(QWidget* AParent = nullptr);
    ~TChart() override;

    QString Title() const;
    void SetTitle(const QString& AValue);

    TChartAxis& BottomAxis() { return *FBottomAxis; }
    TChartAxis& LeftAxis() { return *FLeftAxis; }
    const TChartAxis& BottomAxis() const { return *FBottomAxis; }
    const TChartAxis& LeftAxis() const { return *FLeftAxis; }

    int SeriesCount() const { return static_cast<int>(FSeries.size()); }
    TChartSeries* Series(int AIndex) const;
    TChartSeries* AddSeries(TChartSeries::TKind AKind);
    TChartSeries* AddLineSeries() { return AddSeries(TChartSeries::TKind::Line); }
    TChartSeries* AddBarSeries() { return AddSeries(TChartSeries::TKind::Bar); }
    // Takes the series off the chart and destroys it.
    void DeleteSeries(int AIndex);
    // Destroys every series, first to last; titles and axes stay.
    void DeleteAllSeries();

    // Automatic axes follow the data again and a redraw is queued; cheap to call often.
    void Refresh();
    // Draws now (benchmarks, tests, images).
    void RedrawNow();

    // The whole chart as it looks now, at the chart's size.
    QImage ToImage();
    void CopyToClipboardBitmap();
    // PNG, or SVG when the name ends in ".svg". False when the file cannot be written.
    bool SaveAsImage(const QString& AFileName);

    // Zoom rectangle with the left button while these modifiers are held; scrolling with
    // this button (right by default).
    void SetZoomModifiers(Qt::KeyboardModifiers AValue) { FZoomModifiers = AValue; }
    Qt::KeyboardModifiers ZoomModifiers() const { return FZoomModifiers; }
    void SetScrollButton(Qt::MouseButton AValue) { FScrollButton = AValue; }
    Qt::MouseButton ScrollButton() const { return FScrollButton; }
    // Undoes the user's zooming and scrolling.
    void ResetZoom();

    // Tone spacing for the readout and the frequency axis, in kHz.
    void SetToneSpacingKHz(double AValue);
    double ToneSpacingKHz() const { return FToneSpacingKHz; }
    // The tone axis labels the tones' frequencies in MHz; its title is the caller's.
    void SetFrequencyAxis(bool AValue);
    bool FrequencyAxis() const { return FFrequencyAxis; }
    // The readout for a point of the widget: tone, frequency, and each series' value
    // there (or what the readout function says); empty outside the plotting area.
    QString HoverText(const QPointF& APos) const;
    // The lines the readout shows for a tone instead of each series' value; none: the
    // series' values again.
    using TReadout = std::function<QStringList(int ATone)>;
    void SetReadout(TReadout AReadout) { FReadout = std::move(AReadout); }
    bool HasReadout() const { return static_cast<bool>(FReadout); }

    // Shaded spans behind the data, each labelled in the middle of what the tone axis range
    // shows of it (set the range first); replaces those shown before (none: no shading).
    void SetBands(const QList<TChartBand>& ABands);
    QList<TChartBand> Bands() const { return FBands; }
    // A line across the chart at value 0, for values that are differences.
    void SetZeroLine(bool AValue);
    bool ZeroLine() const { return FZeroLine != nullptr; }

    // The legend is shown (in its own row above the plotting area) while a series has
    // points; its place in the chart's coordinates, empty while hidden.
    bool LegendShown() const;
    QRect LegendArea() const;
    // The plotting area in the chart's coordinates.
    QRect PlotArea() const;

signals:
    // The user asked for the popup menu at a global position.
    void PopupRequested(const QPoint& AGlobalPos);

protected:
    // The plot lets the mouse through, so the gestures are the chart's own.
    void mousePressEvent(QMouseEvent* AEvent) override;
    void mouseMoveEvent(QMouseEvent* AEvent) override;
    void mouseReleaseEvent(QMouseEvent* AEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* AEvent) override;
    void wheelEvent(QWheelEvent* AEvent) override;
    void keyPressEvent(QKeyEvent* AEvent) override;
    void leaveEvent(QEvent* AEvent) override;

private:
    enum class TDrag { None, Zoom, Scroll, Popup };

    QCPBarsGroup* BarsGroup();
    void SpreadBars();
    void UpdateLegend();
    void QueueRedraw();

    TPlotWidget* FPlot;
    QCPTextElement* FTitle;
    // The legend with a spacer to its left; owned here while it is out of the layout.
    QCPLayoutGrid* FLegendRow = nullptr;
    std::unique_ptr<QCPLayoutGrid> FLegendRowOwner;
    std::unique_ptr<TChartAxis> FBottomAxis;
    std::unique_ptr<TChartAxis> FLeftAxis;
    std::vector<std::unique_ptr<TChartSeries>> FSeries;
    QPointer<QCPBarsGroup> FBarsGroup;

    Qt::KeyboardModifiers FZoomModifiers = Qt::NoModifier;
    Qt::MouseButton FScrollButton = Qt::RightButton;
    double FToneSpacingKHz = 4.3125;
    bool FFrequencyAxis = false;
    TReadout FReadout;
    QList<TChartBand> FBands;
    QList<QCPAbstractItem*> FBandItems;
    QCPItemStraightLine* FZeroLine = nullptr;

    TDrag FDrag = TDrag::None;
    QPoint FDragStart;
    TAxisRange FDragKeyRange;
    TAxisRange FDragValueRange;
    QRubberBand* FRubberBand = nullptr;
};

} // namespace vexlorin
