// Saving a plot as a picture, for every chart widget that holds one.
#pragma once

#include <QSize>
#include <QString>

class QCustomPlot;

namespace vexlorin {

// True when AFileName asks for an SVG picture (its suffix is svg, in any letter case).
bool IsSvgFileName(const QString& AFileName);

// Draws APlot at ASize into the SVG file AFileName, titled ATitle; false when the file
// cannot be written.
bool SavePlotSvg(QCustomPlot& APlot, const QSize& ASize, const QString& ATitle,
                 const QString& AFileName);

} // namespace vexlorin
