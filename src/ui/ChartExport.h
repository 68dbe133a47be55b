// "vexlorin --export-charts DIR FILE.draydata [--compare OTHER.draydata [--difference]]":
// the seven charts of a statistics set as PNG images, drawn by the chart component on the
// offscreen platform without any window, so scheduled jobs without a display can keep
// pictures of their line; with --compare, FILE compared with the reference OTHER (overlaid,
// or FILE minus OTHER).
#pragma once

#include "ui/UserDialogs.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace vexlorin {

// True when the command line asks for a chart export (any argument is --export-charts).
bool IsChartExportCall(int AArgc, char* AArgv[]);

// Parses the command line, exports, reports on standard error; the process exit status
// (0 done, 1 usage error, 3 failure).
int RunChartExport(int AArgc, char* AArgv[]);

// Size of every exported image, in pixels.
inline constexpr int ChartExportWidth = 1200;
inline constexpr int ChartExportHeight = 600;

// The file names in ADir, one per chart in the order of the window's pages: hlog.png,
// qln.png, snr.png, bitloading.png, gain.png, bins-snr-us.png, bins-snr-ds.png.
QStringList ChartExportFileNames();

// Loads AStatFile, draws it on the seven charts as selecting it in the main window does and
// saves each chart into ADir (created when missing). Needs a QApplication. Throws
// vexlorin::Exception with a message for the user on any failure.
void ExportCharts(const QString& AStatFile, const QString& ADir);
// The same, AStatFile compared with the reference AReferenceFile: both overlaid, or with
// ADifference AStatFile minus AReferenceFile, as the window shows a pinned reference.
void ExportCharts(const QString& AStatFile, const QString& ADir, const QString& AReferenceFile,
                  bool ADifference);

// The dialogs of an export without a window: nothing is asked, nothing is shown.
class THeadlessDialogs final : public IUserDialogs {
public:
    void ShowFailure(const QString&) override {}
    void ShowRefusal(const QString&) override {}
    std::optional<QString> OpenFileName(const TFileDialogOptions&) override { return {}; }
    std::optional<QString> SaveFileName(const TFileDialogOptions&) override { return {}; }
};

// Runs AExport and reports its failure on standard error with what to do next: the
// process exit status (0 done, 3 failed). AFileHint tells which file to give when the
// input cannot be read as one.
int RunReportedExport(const std::function<void()>& AExport, const char* AFileHint);

} // namespace vexlorin
