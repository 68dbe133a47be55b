// vexlorin-cli: the router reader and the statistics files without a window.
#include "cli/CliApp.h"

#include <iostream>

int main(int argc, char** argv) {
    return vexlorin::cli::RunCli(argc, argv, std::cout, std::cerr);
}
