// The desktop program: application object, dark look, title, main window, message loop.
// "vexlorin --demo" also starts the simulated router console on loopback and points the
// window at it, so the program can be tried without a router.
#include "ui/Application.h"
#include "ui/ChartExport.h"
#include "ui/HistoryExport.h"
#include "ui/ProgramInfo.h"
#include "ui/fmMain.h"

#ifdef VEXLORIN_HAVE_ROUTERSIM
#include "RouterSim.h"
#endif

#include <QApplication>
#include <QCoreApplication>
#include <QLocale>
#include <QMessageBox>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>

int main(int argc, char* argv[]) {
    // Before the application object: the help and the version need no display.
    if (const std::optional<int> status = vexlorin::RunProgramInfo(argc, argv))
        return *status;
    if (vexlorin::IsChartExportCall(argc, argv))
        return vexlorin::RunChartExport(argc, argv);
    if (vexlorin::IsHistoryExportCall(argc, argv))
        return vexlorin::RunHistoryExport(argc, argv);
    QApplication application(argc, argv);
    vexlorin::SetUpApplication(application);

    QStringList arguments = QApplication::arguments().mid(1);
    QString languageError;
    const QString language = vexlorin::ChooseLanguage(arguments, QLocale::system(), languageError);
    arguments = vexlorin::WithoutLanguageSwitch(arguments);
    if (!languageError.isEmpty())
        QMessageBox::critical(nullptr, QStringLiteral("Vexlorin"), languageError);
    else
        vexlorin::UseLanguage(language);
    const bool demo = arguments.removeAll(QStringLiteral("--demo")) > 0;
#ifdef VEXLORIN_HAVE_ROUTERSIM
    // Outlives the window, whose reader may still talk to it while the window goes.
    std::unique_ptr<vexlorin::TRouterSim> router;
    uint16_t routerPort = 0;
    if (demo) {
        vexlorin::TRouterSimOptions options;
        // A little of a real router's pace, so the progress can be followed.
        options.AnswerDelay = std::chrono::milliseconds(150);
        try {
            router = std::make_unique<vexlorin::TRouterSim>(options);
            routerPort = router->Start();
        } catch (const std::exception& e) {
            router.reset();
            QMessageBox::critical(
                nullptr, QStringLiteral("Vexlorin"),
                QCoreApplication::translate("Application",
                                            "The simulated router could not be started: %1")
                    .arg(QString::fromUtf8(e.what())));
        }
    }
#else
    if (demo)
        QMessageBox::critical(
            nullptr, QStringLiteral("Vexlorin"),
            QCoreApplication::translate("Application", "This build carries no simulated router."));
#endif

    vexlorin::TfrmMain window(arguments);
#ifdef VEXLORIN_HAVE_ROUTERSIM
    if (router)
        window.UseSimulatedRouter(QStringLiteral("127.0.0.1"), routerPort, QStringLiteral("admin"),
                                  QStringLiteral("admin"), QStringLiteral("DrayTek"));
#endif
    window.show();
    return QApplication::exec();
}
