// The waterfall: per-tone values over time as a heat map with a colour scale, time
// downward (the earliest at the top), tones across. It draws a TWaterfallGrid that was
// reduced to about as many cells as it has pixels; hovering reads time, tone and value.
#pragma once

#include "model/ToneHistory.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QWidget>

class QCPColorMap;
class QCPColorScale;
class QCPTextElement;
class QCustomPlot;

namespace vexlorin {

class THistoryWaterfall final : public QWidget {
    Q_OBJECT
public:
    explicit THistoryWaterfall(QWidget* AParent = nullptr);
    ~THistoryWaterfall() override;

    QString Title() const;
    void SetTitle(const QString& AValue);
    // AUnit: the colour scale's label ("dB", "bits").
    void Show(const TWaterfallGrid& AGrid, const QString& AUnit);
    void Clear();
    const TWaterfallGrid& Grid() const { return FGrid; }

    // The cells worth computing: the plotting area's size in pixels.
    int RowsWanted() const;
    int ColumnsWanted() const;

    // "time, tone, value" for a point of the widget; empty outside the map.
    QString HoverText(const QPointF& APos) const;
    // Where the widget shows a time and a tone.
    QPointF PointOf(double ATimeMs, int ATone) const;

    void RedrawNow();
    QImage ToImage();
    void CopyToClipboardBitmap();
    bool SaveAsImage(const QString& AFileName);

signals:
    void PopupRequested(const QPoint& AGlobalPos);

protected:
    void mouseMoveEvent(QMouseEvent* AEvent) override;
    void mouseReleaseEvent(QMouseEvent* AEvent) override;

private:
    QCustomPlot* FPlot;
    QCPTextElement* FTitle;
    QCPColorMap* FMap;
    QCPColorScale* FScale;
    TWaterfallGrid FGrid;
};

} // namespace vexlorin
