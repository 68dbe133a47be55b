#include "cli/Serve.h"

#include "cli/CliErrors.h"
#include "history/HistoryStore.h"
#include "monitor/ExporterServer.h"
#include "monitor/MqttPublisher.h"
#include "monitor/Sampler.h"
#include "monitor/Targets.h"

#include <csignal>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <thread>

namespace vexlorin::cli {

namespace {

const char* const ServeFooter = R"(DESCRIPTION
  Samples every router of the targets file in the background, at each target's
  interval, and serves what it found over HTTP:
    /metrics              the exporter itself: samples, failures by ending,
                          sample durations, targets and targets up
    /probe?target=NAME    the line values of one target as of its latest sample,
                          in the multi-target pattern of the blackbox exporter
    /                     a page listing the targets and their latest samples
  A scrape never opens a console session; a router is never logged on to twice
  at once. At most --workers sessions run at the same time.

TARGETS FILE (TOML)
  [targets.office]            # the name used in /probe?target=office
  host = "192.168.1.1"
  port = 23                   # default 23
  user = "admin"
  router_name = "DrayTek"     # default DrayTek
  password_file = "/etc/vexlorin/office.pw"   # or: password_env = "OFFICE_PW"
  interval = "60s"            # default 60s
  bins = false                # default false
  A password never stands in the file itself. SIGHUP re-reads the file; a file
  that cannot be used then is reported and the targets stay as they were.
)";

std::pair<std::string, int> ParseListen(const std::string& AText) {
    const auto address = monitor::ParseHostPort(AText, 0, true);
    if (!address || AText.find(':') == std::string::npos)
        throw ECliError(ecUsage, "--listen \"" + AText + "\" is not HOST:PORT",
                        "Write it as e.g. --listen 127.0.0.1:9723 (port 0 picks a free one).");
    return *address;
}

std::vector<monitor::TTarget> Load(const std::string& AFilename) {
    try {
        return monitor::LoadTargets(AFilename);
    } catch (const monitor::ETargetsError& e) {
        throw ECliError(ecUsage, e.what(), "Nothing is served until the targets file can be used.");
    }
}

} // namespace

CLI::App* AddServeCommand(CLI::App& AApp, TServeOptions& AOptions) {
    CLI::App* serve = AApp.add_subcommand(
        "serve", "Serve the line values of one router or a fleet to Prometheus over HTTP");
    serve->footer(ServeFooter);
    serve->add_option("--listen", AOptions.Listen, "Address to serve on, HOST:PORT")
        ->type_name("HOST:PORT")
        ->capture_default_str();
    serve->add_option("--targets", AOptions.Targets, "Targets file (TOML)")
        ->type_name("FILE")
        ->required();
    serve->add_option("--db", AOptions.Db, "Also record every sample into this history store")
        ->type_name("FILE");
    serve
        ->add_option("--workers", AOptions.Workers, "Console sessions run at the same time at most")
        ->check(CLI::Range(1, 64))
        ->capture_default_str();
    return serve;
}

void RunServe(const TServeOptions& AOptions, std::ostream& AOut, std::ostream& AErr) {
    const auto [host, port] = ParseListen(AOptions.Listen);
    std::vector<monitor::TTarget> targets = Load(AOptions.Targets);

    // Every thread started from here on inherits the mask; the signals are taken by
    // sigwait below, never by a handler on some worker.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGHUP);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    // One process for Prometheus and the local history: every sample is stored too.
    std::unique_ptr<history::THistoryStore> store;
    if (!AOptions.Db.empty()) {
        try {
            store =
                history::THistoryStore::Open(AOptions.Db, history::THistoryStore::TMode::ReadWrite);
        } catch (const history::EHistoryError& e) {
            throw ECliError(ecFailure, e.what(),
                            "Choose another file with --db, or leave --db out.");
        }
    }
    std::mutex storeLock;
    monitor::TSampleObserver record;
    if (store)
        record = [&store, &storeLock, &AErr](const monitor::TTarget& ATarget,
                                             const monitor::TSample& ASample) {
            history::TSampleInput input;
            input.TimeMs = ASample.TimeMs;
            input.Outcome = ASample.Completed ? history::TSampleOutcome::Completed
                                              : history::TSampleOutcome::Failed;
            input.Ending = monitor::EndingKey(ASample.Ending);
            input.Message = ASample.Message;
            input.DurationSeconds = ASample.DurationSeconds;
            input.Set = ASample.Set.get();
            input.WithTables = ASample.WithTables;
            std::lock_guard lock(storeLock);
            try {
                store->AddSample(store->LineId({ATarget.Host, ATarget.Port, ATarget.RouterName}),
                                 input);
            } catch (const std::exception& e) {
                // Serving goes on; the store's message says what to do (disk full, read-only).
                AErr << "vexlorin-cli: sample of \"" << ATarget.Name
                     << "\" not stored: " << e.what() << std::endl;
            }
        };

    monitor::TSamplerOptions samplerOptions;
    samplerOptions.Workers = AOptions.Workers;
    monitor::TSampler sampler(monitor::ReadSample, samplerOptions, record);
    const std::size_t count = targets.size();
    sampler.SetTargets(std::move(targets));

    monitor::TExporterServer server(sampler);
    int bound = 0;
    try {
        bound = server.Bind(host, port);
    } catch (const std::exception& e) {
        throw ECliError(ecFailure, e.what(), "");
    }
    sampler.Start();
    std::thread http([&server] { server.Run(); });
    AOut << "Listening on http://" << host << ":" << bound << "/ (" << count << " targets)"
         << std::endl;

    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0)
            continue;
        if (signal != SIGHUP)
            break;
        try {
            std::vector<monitor::TTarget> reloaded = monitor::LoadTargets(AOptions.Targets);
            const std::size_t reloadedCount = reloaded.size();
            sampler.SetTargets(std::move(reloaded));
            server.SetReloadOk(true);
            AErr << "Re-read the targets file: " << reloadedCount << " targets" << std::endl;
        } catch (const monitor::ETargetsError& e) {
            server.SetReloadOk(false);
            AErr << "vexlorin-cli: " << e.what() << "\nThe targets stay as they were." << std::endl;
        }
    }
    server.Stop();
    http.join();
    sampler.Stop();
    pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
}

} // namespace vexlorin::cli
