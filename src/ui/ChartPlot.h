// What the chart's two source files share about the plot it holds; nothing outside the
// chart includes this.
#pragma once

#include "ui/Chart.h"

#include <qcustomplot.h>

namespace vexlorin {

// The plot inside a chart. It takes no mouse or keyboard input of its own: the chart
// handles the gestures. It draws the chart's silver border over its own picture.
class TPlotWidget final : public QCustomPlot {
public:
    explicit TPlotWidget(QWidget* AParent);

protected:
    void paintEvent(QPaintEvent* AEvent) override;
};

} // namespace vexlorin
