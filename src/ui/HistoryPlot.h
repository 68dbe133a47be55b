// One time chart of the history: a title, a time axis (date and time labels) and a value
// axis, line series that break where a value is NaN, bar series that are gathered into as
// many bars as the chart is wide, the line's events as vertical markers, a readout of the
// values and events under the pointer, and copying and saving the chart as an image.
//
// Gestures: drag with the left button to choose a time span, click to pick a time, drag
// with the right button to scroll, the wheel zooms, a double click returns to the range
// the host chose; a right click without dragging asks for the popup menu. The chart says
// what the user did through its signals; the host keeps several charts on one time range.
#pragma once

#include "ui/HistorySeries.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <vector>

class QCPAbstractPlottable;
class QCPAxis;
class QCPItemStraightLine;
class QCPTextElement;
class QCustomPlot;
class QRubberBand;

namespace vexlorin {

class THistoryPlotWidget;

// The colour of an event's marker.
QColor EventColor(const std::string& AKind);
// "Retrain", "Line down", ... for an event key.
QString EventLabel(const std::string& AKind);
// Date and time labels on AAxis (keys in seconds) that suit a span of ASpanMs: seconds for
// minutes, the day for days.
void SetTimeLabels(QCPAxis* AAxis, double ASpanMs, bool ATwoRows = true);
// A time as the readouts show it: "2026-12-10 21:56:07" in local time.
QString FormatTime(double ATimeMs);

class THistoryPlot final : public QWidget {
    Q_OBJECT
public:
    explicit THistoryPlot(QWidget* AParent = nullptr);
    ~THistoryPlot() override;

    QString Title() const;
    void SetTitle(const QString& AValue);
    void SetValueTitle(const QString& AValue);
    // Values are divided by this before they are drawn (bit/s as Mbit/s: 1e6).
    void SetValueScale(double AValue) { FValueScale = AValue; }

    // Returns the series' index.
    int AddLine(const QString& ATitle, const QColor& AColor, Qt::PenStyle AStyle = Qt::SolidLine);
    int AddBars(const QString& ATitle, const QColor& AColor);
    int SeriesCount() const { return static_cast<int>(FSeries.size()); }
    QString SeriesTitle(int AIndex) const;
    // A line series gets ASeries as it is (NaN points break it); a bar series keeps it and
    // draws it gathered to the chart's width over the time range shown.
    void SetSeriesData(int AIndex, const TTimeSeries& ASeries);
    // What the series draws now (keys in ms, values as given, NaN for gaps).
    TTimeSeries DrawnData(int AIndex) const;

    void SetMarkers(const std::vector<THistoryMarker>& AMarkers);
    int MarkerCount() const { return static_cast<int>(FMarkers.size()); }
    const THistoryMarker& Marker(int AIndex) const {
        return FMarkers[static_cast<std::size_t>(AIndex)];
    }

    // The time range shown, in ms; the value axis follows what it shows.
    void SetTimeRange(double AFromMs, double AToMs);
    double TimeFrom() const;
    double TimeTo() const;
    // The range a double click returns to.
    void SetHomeRange(double AFromMs, double AToMs);

    // The time under a point of the widget; NaN outside the plotting area.
    double TimeAt(const QPointF& APos) const;
    // The readout for a point of the widget: the time, each series' value nearest to it and
    // the events close to it; empty outside the plotting area.
    QString HoverText(const QPointF& APos) const;
    // Where the widget shows a time (x) at the middle of the plotting area (y).
    QPointF PointOf(double ATimeMs) const;

    void RedrawNow();
    QImage ToImage();
    void CopyToClipboardBitmap();
    // PNG, or SVG when the name ends in ".svg". False when the file cannot be written.
    bool SaveAsImage(const QString& AFileName);

signals:
    // The user chose a time span (drag, scroll, wheel, double click).
    void TimeRangeChosen(double AFromMs, double AToMs);
    // The user clicked at a time.
    void TimeClicked(double ATimeMs);
    void PopupRequested(const QPoint& AGlobalPos);

protected:
    void mousePressEvent(QMouseEvent* AEvent) override;
    void mouseMoveEvent(QMouseEvent* AEvent) override;
    void mouseReleaseEvent(QMouseEvent* AEvent) override;
    void mouseDoubleClickEvent(QMouseEvent* AEvent) override;
    void wheelEvent(QWheelEvent* AEvent) override;
    void resizeEvent(QResizeEvent* AEvent) override;

private:
    struct TSeries {
        QCPAbstractPlottable* Plottable;
        bool Bars;
        TTimeSeries Data; // bars: all of it, as given
    };
    enum class TDrag { None, Choose, Scroll };

    QRect PlotArea() const;
    // Bars gathered for the range shown, and the value axis fitted to it.
    void Rearrange();
    void FitValues();
    void ShowMarkers();

    THistoryPlotWidget* FPlot;
    QCPTextElement* FTitle;
    std::vector<TSeries> FSeries;
    std::vector<THistoryMarker> FMarkers;
    std::vector<QCPItemStraightLine*> FMarkerItems;
    double FValueScale = 1;
    double FHomeFrom = 0;
    double FHomeTo = 0;

    TDrag FDrag = TDrag::None;
    QPoint FDragStart;
    double FDragFrom = 0;
    double FDragTo = 0;
    bool FDragMoved = false;
    QRubberBand* FRubberBand = nullptr;
};

} // namespace vexlorin
