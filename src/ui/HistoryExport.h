// "vexlorin --export-history DIR FILE.sqlite [--from T] [--to T]": the history charts of a
// history file (the time charts, the SNR envelope and the waterfall of each direction) as
// PNG images, drawn on the offscreen platform without any window, like --export-charts.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace vexlorin {

// True when the command line asks for a history export (any argument is --export-history).
bool IsHistoryExportCall(int AArgc, char* AArgv[]);

// Parses the command line, exports, reports on standard error; the process exit status
// (0 done, 1 usage error, 3 failure).
int RunHistoryExport(int AArgc, char* AArgv[]);

// The file names in DIR, in the order of the charts.
QStringList HistoryExportFileNames();

// A time of --from/--to: "2026-12-10T21:00[:00]" or "2026-12-10 21:00[:00]" in local
// time, with "Z" at the end in UTC, a date alone ("2026-12-10", its midnight), or ms since
// the epoch. Nothing for anything else.
std::optional<int64_t> ParseHistoryTime(const QString& AText);

// Loads AHistoryFile read-only and saves every chart into ADir (created when missing),
// the samples from AFromMs to AToMs (all when none). Needs a QApplication. Throws
// vexlorin::Exception with a message for the user on any failure.
void ExportHistory(const QString& AHistoryFile, const QString& ADir,
                   std::optional<int64_t> AFromMs = {}, std::optional<int64_t> AToMs = {});

} // namespace vexlorin
