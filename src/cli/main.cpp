// vexlorin-cli: the router reader and the statistics files without a window.
#include "cli/CliApp.h"

#include <csignal>
#include <iostream>

int main(int argc, char** argv) {
    // A file size limit (ulimit -f) then fails the write that crosses it, which the program
    // reports as a full disk, instead of killing it in the middle of a write.
    std::signal(SIGXFSZ, SIG_IGN);
    return vexlorin::cli::RunCli(argc, argv, std::cout, std::cerr);
}
