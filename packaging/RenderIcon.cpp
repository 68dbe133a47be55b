// vexlorin-render-icon SVG PNG SIZE: draws the program's scalable icon as a SIZE x SIZE PNG,
// so the icon theme's fixed sizes are made from the one SVG at build time. Not installed.
#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Painting into an image needs no display and no GUI application; the icon has no text.
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool sizeOk = false;
    const int size = args.size() == 4 ? args[3].toInt(&sizeOk) : 0;
    if (!sizeOk || size < 1 || size > 4096) {
        std::fprintf(stderr, "Usage: vexlorin-render-icon ICON.svg OUT.png SIZE (1 to 4096)\n");
        return 1;
    }
    QSvgRenderer renderer(args[1]);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "vexlorin-render-icon: %s is not a readable SVG image\n",
                     qPrintable(args[1]));
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(args[2], "PNG")) {
        std::fprintf(stderr, "vexlorin-render-icon: cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    return 0;
}
