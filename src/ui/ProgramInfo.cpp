#include "ui/ProgramInfo.h"

#include "VexlorinVersion.h"

#include <cstdio>
#include <cstring>

namespace vexlorin {

std::string ProgramHelpText() {
    // The manual page vexlorin(1) is made from this text by help2man: "Usage:" and the
    // capitalised headings become its sections, the indented switches its options.
    return R"(Usage: vexlorin [--demo] [-c FILE.conf] [--lang en|de]
  or:  vexlorin --export-charts DIR FILE.draydata [--compare OTHER.draydata [--difference]]
  or:  vexlorin --export-history DIR FILE.sqlite [--from T] [--to T]
Reads the line statistics of a DrayTek Vigor VDSL router over its telnet console and shows
them as text and charts: HLog, QLN, SNR, bit loading and gain, upstream and downstream.

Options:
  -c FILE, -C:FILE, /cFILE
                        load the connection settings of the configuration file FILE
                        (.conf) at start
  --demo                start a simulated router on a free loopback port and fill the
                        connection fields for it, to try the program without a router
  --lang en|de          the language of the window: English or German (the default
                        follows the system's locale, German for a German one)
  --export-charts DIR FILE
                        write the seven charts of the statistics file FILE (.draydata)
                        as PNG images into the folder DIR, without a window or display
  --compare OTHER       with --export-charts: draw the reference set OTHER over them
  --difference          with --compare: draw FILE minus OTHER instead
  --export-history DIR FILE
                        write the history charts of the history database FILE (.sqlite):
                        the time charts, the SNR envelope and the waterfall, as PNG images
                        into the folder DIR, without a window or display
  --from T, --to T      with --export-history: the time range, T as 2026-12-10T21:00[:00]
                        or "2026-12-10 21:00" (local time; Z at the end for UTC), a date,
                        or ms since 1970
  -h, --help            show this help and exit
  --version             show the version and exit

Qt's own switches (such as -platform offscreen or -style NAME) are taken as well.

Exit status:
  0  success
  1  usage error of --export-charts or --export-history
  3  the statistics or history file cannot be read, or the images cannot be written

Files:
  *.draydata  statistics files, saved and loaded by the window and by vexlorin-cli
  *.conf      connection settings (never the password)
  *.sqlite    line history databases, recorded by the window's Watch or vexlorin-cli watch
)";
}

std::string ProgramVersionText() {
    return std::string("vexlorin ") + ProgramVersion + "\n";
}

std::optional<int> RunProgramInfo(int AArgc, char* AArgv[]) {
    bool help = false;
    bool version = false;
    for (int i = 1; i < AArgc; ++i) {
        help = help || std::strcmp(AArgv[i], "-h") == 0 || std::strcmp(AArgv[i], "--help") == 0;
        version = version || std::strcmp(AArgv[i], "--version") == 0;
    }
    if (!help && !version)
        return std::nullopt;
    const std::string text = help ? ProgramHelpText() : ProgramVersionText();
    std::fputs(text.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace vexlorin
