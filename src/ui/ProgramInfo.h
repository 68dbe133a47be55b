// "vexlorin --help" and "vexlorin --version": answered before any Qt application exists, so
// they work without a display (the manual page is built from them at build time).
#pragma once

#include <optional>
#include <string>

namespace vexlorin {

// The text "vexlorin --help" prints: every switch the program takes, in one place.
std::string ProgramHelpText();

// "vexlorin VERSION", the first line help2man and scripts read.
std::string ProgramVersionText();

// When an argument is -h, --help or --version, prints the help or the version on standard
// output and gives the exit status 0 (the help wins when both are asked); nothing otherwise.
std::optional<int> RunProgramInfo(int AArgc, char* AArgv[]);

} // namespace vexlorin
