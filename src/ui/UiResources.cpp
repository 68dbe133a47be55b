#include "ui/UiResources.h"

#include "model/uDrayData.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QWidget>

// The resources are compiled into the static UI library; without a reference from code the
// linker would leave them out of the program.
static void InitProgramResources() {
#ifdef VEXLORIN_HAVE_RESOURCES
    Q_INIT_RESOURCE(vexlorin);
#endif
}

namespace vexlorin {

void EnsureProgramResources() {
    static const bool initialised = [] {
        InitProgramResources();
        return true;
    }();
    (void)initialised;
}

QFont UiFont(int APixelSize) {
    QFont font = QGuiApplication::font();
    font.setPixelSize(APixelSize);
    return font;
}

QFont FixedPitchFont(int APixelSize) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(APixelSize);
    return font;
}

QIcon ProgramIcon() {
    // Rendered with QSvgRenderer rather than left to an icon engine plugin, so the icon
    // does not depend on which image plugins the desktop happens to have installed.
    EnsureProgramResources();
    QSvgRenderer renderer(QString::fromLatin1(IconResource));
    if (!renderer.isValid())
        return {};
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QByteArray ReadResource(const QString& APath, const char* AName) {
    EnsureProgramResources();
    QFile file(APath);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(std::string("Resource ") + AName + " not found");
    return file.readAll();
}

TBottomPanel NewBottomPanel(QWidget* AParent) {
    auto* panel = new QWidget(AParent);
    panel->setFixedHeight(41);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(4, 4, 4, 4);
    return {panel, row};
}

} // namespace vexlorin
