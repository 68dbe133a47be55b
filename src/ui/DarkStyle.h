// The program's dark look: Qt's Fusion style with a dark palette, and frames and indicators
// drawn bright enough to be seen on it.
#pragma once

#include <QColor>
#include <QPalette>

class QApplication;
class QStyle;

namespace vexlorin {

// The outline of every control's frame and indicator: at least 3:1 against the panels and
// the edit fields of the dark palette.
inline const QColor DarkFrameColor = QColor(150, 150, 156);

// The dark palette on its own.
QPalette DarkPalette();
// The dark style (Fusion underneath); nullptr when Fusion is not available.
QStyle* CreateDarkStyle();
// Returns false when the Fusion style is not available; the plain look stays then.
bool ApplyDarkStyle(QApplication& AApplication);

// The contrast ratio of two colours (1 to 21), as WCAG defines it.
double ContrastRatio(const QColor& AOne, const QColor& ATwo);

} // namespace vexlorin
