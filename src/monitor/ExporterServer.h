// The HTTP side of vexlorin-cli serve (cpp-httplib):
//   /metrics              the exporter itself: samples, failures by ending, sample duration
//                         histogram, targets and targets up, targets file reloads
//   /probe?target=NAME    one router's values as of its latest sample (multi-target pattern)
//   /                     a small HTML page: the targets, their last sample and its ending
// Requests are hostile input: a request is cut at MaxRequestBytes and at RequestDeadline
// whatever the client sends, so no client can make the server hold more than that.
#pragma once

#include "monitor/Sampler.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

namespace vexlorin::monitor {

// Request line and headers together; longer requests are answered 414 (or 400) and the
// connection is closed.
inline constexpr std::size_t MaxRequestBytes = 16 * 1024;
inline constexpr std::chrono::seconds RequestDeadline{10};

struct THttpAnswer {
    int Status = 200;
    std::string ContentType;
    std::string Body;
};

// The answers, apart from HTTP, for the server, the tests and the fuzz target.
// ATargets: the values of every "target" parameter of the query.
THttpAnswer AnswerProbe(const TSampler& ASampler, const std::vector<std::string>& ATargets);
THttpAnswer AnswerMetrics(const TSampler& ASampler, bool AReloadOk);
THttpAnswer AnswerIndex(const TSampler& ASampler);

class TExporterServer {
public:
    explicit TExporterServer(const TSampler& ASampler);
    ~TExporterServer();
    TExporterServer(const TExporterServer&) = delete;
    TExporterServer& operator=(const TExporterServer&) = delete;

    // Binds AHost:APort (0 picks a free port) and returns the port; ETargetsError-free:
    // std::runtime_error with a clear text when the address cannot be bound.
    int Bind(const std::string& AHost, int APort);
    // Serves until Stop(); call after Bind, on a thread of the caller's.
    void Run();
    void Stop();
    void SetReloadOk(bool AOk) { FReloadOk = AOk; }

    // Runs one connection's requests from AStream; for the fuzz target (memory streams).
    struct TStreamServer;

private:
    const TSampler& FSampler;
    std::atomic<bool> FReloadOk{true};
    std::unique_ptr<TStreamServer> FServer;
};

// Feeds ARequest to the exporter's request handling as one connection and returns what it
// wrote back (the fuzz target and the request-size tests).
std::string ServeBytes(const TSampler& ASampler, const std::string& ARequest);

} // namespace vexlorin::monitor
