// vexlorin-cli serve: the Prometheus exporter for one router or a fleet (see src/monitor).
#pragma once

#include <CLI/CLI.hpp>

#include <cstddef>
#include <ostream>
#include <string>

namespace vexlorin::cli {

struct TServeOptions {
    std::string Listen = "127.0.0.1:9723";
    std::string Targets;
    std::string Db;
    std::size_t Workers = 4;
};

CLI::App* AddServeCommand(CLI::App& AApp, TServeOptions& AOptions);

// Serves until SIGINT or SIGTERM; SIGHUP re-reads the targets file. The address it
// listens on goes to AOut as "Listening on http://HOST:PORT/" once it is bound. ECliError
// for a targets file that cannot be used or an address that cannot be bound.
void RunServe(const TServeOptions& AOptions, std::ostream& AOut, std::ostream& AErr);

} // namespace vexlorin::cli
