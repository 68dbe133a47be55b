// The real peers of the exporter tests: vexlorin-cli serve, promtool, a Prometheus server
// and a Mosquitto broker as child processes on loopback, and an HTTP client.
#pragma once

#include "../cli/CliTestSupport.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace vexlorin::test {

// A program running in the background, its output in files; SIGTERM and reaped when
// destroyed.
class TBackground {
public:
    TBackground(const std::vector<std::string>& AArgs, const std::string& AOutFile,
                const std::string& AErrFile);
    ~TBackground();
    TBackground(const TBackground&) = delete;
    TBackground& operator=(const TBackground&) = delete;

    pid_t Pid() const { return FPid; }
    void Signal(int ASignal) const;
    // Waits for the end (after a signal) and returns the exit status, 128 + signal, or -1
    // when it did not end within ATimeout (it is killed then).
    int Wait(std::chrono::milliseconds ATimeout);
    // Peak resident memory so far in KiB (VmHWM), from /proc.
    long PeakRssKiB() const;

private:
    pid_t FPid = -1;
};

// vexlorin-cli serve on a free loopback port.
class TServe {
public:
    TServe(const TTempDir& ADir, const std::string& ATargetsFile,
           const std::vector<std::string>& AExtra = {});
    int Port() const { return FPort; }
    TBackground& Process() { return FProcess; }
    std::string Err() const { return ReadWholeFile(FErrFile); }

private:
    std::string FOutFile, FErrFile;
    TBackground FProcess;
    int FPort = 0;
};

struct THttpResult {
    int Status = 0; // 0: no answer
    std::string Body;
    std::string ContentType;
};
THttpResult HttpGet(int APort, const std::string& APath);

// promtool check metrics on the text: its exit status and what it printed.
TRunResult PromtoolCheck(const TTempDir& ADir, const std::string& AText);

uint16_t FreeLoopbackPort();

// Polls APredicate every 50 ms until it holds or ATimeout passes.
bool WaitFor(const std::function<bool()>& APredicate, std::chrono::milliseconds ATimeout);

// The value of the first line of a text exposition that starts with ASeries (name and
// labels exactly as written), or NaN.
double MetricValue(const std::string& AText, const std::string& ASeries);

bool HasProgram(const std::string& APath);

// Percent-encoding of a query parameter's value.
std::string UrlEncode(const std::string& AText);

} // namespace vexlorin::test
