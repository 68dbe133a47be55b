// vexlorin-cli's command line: parses the arguments, runs one command and returns the
// exit status (see TExitCode). Output that was asked for goes to AOut, everything else
// (progress, errors, hints) to AErr.
#pragma once

#include <ostream>

namespace vexlorin::cli {

int RunCli(int AArgc, const char* const* AArgv, std::ostream& AOut, std::ostream& AErr);

} // namespace vexlorin::cli
