// Fonts, the program icon and the documents the program carries in its resources, and the
// small pieces of layout the windows share.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QIcon>
#include <QString>

class QHBoxLayout;
class QWidget;

namespace vexlorin {

// The desktop's default UI font at the given pixel size (the windows were laid out for a
// proportional UI face of that size).
QFont UiFont(int APixelSize);
// The desktop's fixed-pitch font at the given pixel size, for router output whose columns
// must stay aligned.
QFont FixedPitchFont(int APixelSize);

// The program icon, drawn from the SVG carried in the resources; a null icon when the
// resources are missing.
QIcon ProgramIcon();

// Resource paths of the documents and images the program carries.
inline constexpr const char* LegendResource = ":/vexlorin/legend.html";
inline constexpr const char* GermanLegendResource = ":/vexlorin/legend_de.html";
inline constexpr const char* IconResource = ":/vexlorin/vexlorin.svg";

// Makes the resources compiled into the UI library reachable; cheap to call again.
void EnsureProgramResources();

// The bytes of a resource; throws Exception("Resource <AName> not found") when it is
// missing or unreadable.
QByteArray ReadResource(const QString& APath, const char* AName);

// The strip below a page of the main window, 41 pixels high, and the row its buttons go in.
struct TBottomPanel {
    QWidget* Panel;
    QHBoxLayout* Row;
};
TBottomPanel NewBottomPanel(QWidget* AParent);

} // namespace vexlorin
