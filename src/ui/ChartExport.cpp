#include "ui/ChartExport.h"

#include "model/uDrayData.h"
#include "ui/Application.h"
#include "ui/LineCharts.h"
#include "ui/UiResources.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace vexlorin {

namespace {

constexpr const char* ExportSwitch = "--export-charts";

// Nothing may wait for a user here. Only the charts' popup menu would ask, and no menu
// opens without a user; its file dialogs would be cancelled.
void PrintError(const QString& AMessage, const char* AHint) {
    std::fprintf(stderr, "vexlorin: %s\n%s\n", AMessage.toLocal8Bit().constData(), AHint);
}

} // namespace

bool IsChartExportCall(int AArgc, char* AArgv[]) {
    for (int i = 1; i < AArgc; ++i)
        if (std::strcmp(AArgv[i], ExportSwitch) == 0)
            return true;
    return false;
}

QStringList ChartExportFileNames() {
    return {QStringLiteral("hlog.png"),       QStringLiteral("qln.png"),
            QStringLiteral("snr.png"),        QStringLiteral("bitloading.png"),
            QStringLiteral("gain.png"),       QStringLiteral("bins-snr-us.png"),
            QStringLiteral("bins-snr-ds.png")};
}

void ExportCharts(const QString& AStatFile, const QString& ADir) {
    ExportCharts(AStatFile, ADir, QString(), false);
}

void ExportCharts(const QString& AStatFile, const QString& ADir, const QString& AReferenceFile,
                  bool ADifference) {
    auto data = std::make_unique<TDrayData>();
    // The model takes file names as UTF-8.
    data->LoadFromFile(AStatFile.toStdString());
    std::unique_ptr<TDrayData> reference;
    if (!AReferenceFile.isEmpty()) {
        reference = std::make_unique<TDrayData>();
        reference->LoadFromFile(AReferenceFile.toStdString());
    }

    if (!QDir().mkpath(ADir))
        throw EFCreateError(QStringLiteral("Cannot create folder \"%1\"").arg(ADir).toStdString());

    // The charts as the main window hosts them: in a page control with the window's font,
    // laid out for the 512-bins option as a new window has it.
    QTabWidget pages;
    pages.setFont(UiFont(11));
    THeadlessDialogs dialogs;
    TLineCharts lineCharts(pages, dialogs);
    TLineChartOptions options;
    lineCharts.SetupCharts(options);
    options.ShowDifference = ADifference;
    lineCharts.Show(*data, options, reference.get());

    const QList<TChart*> charts = lineCharts.Charts();
    const QStringList names = ChartExportFileNames();
    for (qsizetype i = 0; i < charts.size(); ++i) {
        TChart* chart = charts[i];
        chart->resize(ChartExportWidth, ChartExportHeight);
        chart->RedrawNow();
        const QString file = QDir(ADir).filePath(names[i]);
        if (!chart->SaveAsImage(file))
            throw EFCreateError(
                QStringLiteral("Cannot create file \"%1\"").arg(file).toStdString());
    }
}

int RunChartExport(int AArgc, char* AArgv[]) {
    // No display needed, and no window ever appears.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(AArgc, AArgv);
    SetUpApplication(application);

    const QStringList args = QApplication::arguments().mid(1);
    // --export-charts DIR FILE, then --compare OTHER and --difference in either order.
    QString reference;
    bool difference = false;
    bool usable = args.size() >= 3 && args[0] == QLatin1String(ExportSwitch);
    for (qsizetype i = 3; usable && i < args.size(); ++i) {
        if (args[i] == QLatin1String("--compare") && i + 1 < args.size() && reference.isEmpty())
            reference = args[++i];
        else if (args[i] == QLatin1String("--difference") && !difference)
            difference = true;
        else
            usable = false;
    }
    if (!usable || (difference && reference.isEmpty())) {
        std::fprintf(stderr,
                     "Usage: vexlorin --export-charts DIR FILE.draydata "
                     "[--compare OTHER.draydata [--difference]]\n"
                     "Writes the seven charts of the statistics file FILE as PNG images into "
                     "the folder DIR.\n"
                     "--compare draws the reference set OTHER over them; --difference draws "
                     "FILE minus OTHER instead.\n");
        return 1;
    }
    return RunReportedExport(
        [&] { ExportCharts(args[2], args[1], reference, difference); },
        "Give a statistics file (.draydata) saved by Vexlorin or vexlorin-cli.");
}

int RunReportedExport(const std::function<void()>& AExport, const char* AFileHint) {
    try {
        AExport();
    } catch (const EFOpenError& e) {
        PrintError(QString::fromStdString(e.what()),
                   "Check the file name and that you may read the file.");
        return 3;
    } catch (const EFCreateError& e) {
        PrintError(QString::fromStdString(e.what()),
                   "Check that you may write into the folder, or choose another one.");
        return 3;
    } catch (const std::exception& e) {
        PrintError(QString::fromStdString(e.what()), AFileHint);
        return 3;
    }
    return 0;
}

} // namespace vexlorin
