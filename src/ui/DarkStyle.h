// The program's dark look: Qt's Fusion style with a dark palette.
#pragma once

class QApplication;

namespace vexlorin {

// Returns false when the Fusion style is not available; the plain look stays then.
bool ApplyDarkStyle(QApplication& AApplication);

} // namespace vexlorin
