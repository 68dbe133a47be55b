// The desktop program: application object, dark look, title, main window, message loop.
#include "ui/ChartExport.h"
#include "ui/DarkStyle.h"
#include "ui/UserDialogs.h"
#include "ui/fmMain.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[]) {
    if (vexlorin::IsChartExportCall(argc, argv))
        return vexlorin::RunChartExport(argc, argv);
    QApplication application(argc, argv);
    if (!vexlorin::ApplyDarkStyle(application))
        QMessageBox::critical(nullptr, QStringLiteral("Vexlorin"),
                              QStringLiteral("The dark style could not be applied."));
    QApplication::setApplicationName(QStringLiteral("Vexlorin"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vexlorin"));
    QApplication::setApplicationVersion(QStringLiteral("1.15"));

    vexlorin::TfrmMain window(QApplication::arguments().mid(1));
    window.show();
    return QApplication::exec();
}
