// One exporter sampling 200 simulated routers (zero delay, 60 s interval, no bins) while a
// client scrapes /probe: CPU of the exporter over one interval, resident memory after the
// first and the second round of samples, and the scrape latencies (p50, p99, max).
//
// The simulators run in a forked process of their own, so the process's CPU is the
// exporter's and its client's; the client's thread CPU is measured and taken out. The client
// scrapes every target every 15 s, as a Prometheus server would, and in a second benchmark
// every 10 ms (far more often than any server would), for the latencies under load.
#include "SimulatorProcess.h"
#include "monitor/ExporterServer.h"
#include "monitor/Sampler.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

using namespace vexlorin;
using Clock = std::chrono::steady_clock;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ThreadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double RssMiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

void Serve200Routers(benchmark::State& AState, std::chrono::milliseconds AScrapeEvery) {
    constexpr int Routers = 200;
    const auto interval = std::chrono::seconds(60);
    TSimulatorProcess simulators(Routers, [](int AIndex) {
        TRouterSimOptions options;
        options.Seed = static_cast<uint64_t>(AIndex + 1);
        options.RejectSecondConnection = true;
        return options;
    });
    std::vector<monitor::TTarget> targets;
    for (int i = 0; i < Routers; ++i) {
        monitor::TTarget target;
        target.Name = "r" + std::to_string(i);
        target.Host = "127.0.0.1";
        target.Port = simulators.Ports[static_cast<std::size_t>(i)];
        target.User = target.Password = "admin";
        target.Interval = interval;
        targets.push_back(target);
    }

    for (auto _ : AState) {
        monitor::TSampler sampler(monitor::ReadSample, {});
        sampler.SetTargets(targets);
        monitor::TExporterServer server(sampler);
        const int port = server.Bind("127.0.0.1", 0);
        std::thread http([&server] { server.Run(); });

        std::atomic<bool> stop{false};
        std::vector<double> latencies;
        double clientCpu = 0;
        std::thread client([&] {
            httplib::Client http("127.0.0.1", port);
            http.set_keep_alive(true);
            std::mt19937 random(1);
            auto next = Clock::now();
            while (!stop) {
                const std::string path = "/probe?target=r" + std::to_string(random() % Routers);
                const auto start = Clock::now();
                const auto result = http.Get(path.c_str());
                const auto took = std::chrono::duration<double, std::milli>(Clock::now() - start);
                if (result && (result->status == 200 || result->status == 503))
                    latencies.push_back(took.count());
                next += AScrapeEvery;
                std::this_thread::sleep_until(next);
            }
            clientCpu = ThreadCpuSeconds();
        });

        const auto started = Clock::now();
        const double cpuStart = CpuSeconds();
        sampler.Start();
        std::this_thread::sleep_until(started + std::chrono::seconds(15));
        const double rssFirst = RssMiB();
        std::this_thread::sleep_until(started + interval);
        const double cpuInterval = CpuSeconds() - cpuStart;
        std::this_thread::sleep_until(started + interval + std::chrono::seconds(15));
        const double rssSecond = RssMiB();
        stop = true;
        client.join();
        const auto stats = sampler.Stats();
        server.Stop();
        http.join();
        sampler.Stop();

        std::sort(latencies.begin(), latencies.end());
        const auto at = [&](double AQuantile) {
            return latencies.empty()
                       ? 0.0
                       : latencies[static_cast<std::size_t>(AQuantile * (latencies.size() - 1))];
        };
        // The client ran 15 s past the interval: its CPU is taken out in the same share.
        const double clientInInterval = clientCpu * 60.0 / 75.0;
        AState.counters["exporter_cpu_pct_of_one_core"] =
            100.0 * (cpuInterval - clientInInterval) / 60.0;
        AState.counters["with_client_cpu_pct"] = 100.0 * cpuInterval / 60.0;
        AState.counters["client_cpu_s"] = clientCpu;
        AState.counters["rss_mib_round1"] = rssFirst;
        AState.counters["rss_mib_round2"] = rssSecond;
        AState.counters["scrapes"] = static_cast<double>(latencies.size());
        AState.counters["probe_p50_ms"] = at(0.5);
        AState.counters["probe_p99_ms"] = at(0.99);
        AState.counters["probe_max_ms"] = latencies.empty() ? 0.0 : latencies.back();
        AState.counters["samples"] = static_cast<double>(stats.Samples);
        AState.counters["targets_up"] = static_cast<double>(stats.TargetsUp);
    }
}

// Every target scraped once in 15 s: 13 scrapes a second.
void BM_Serve200Routers(benchmark::State& AState) {
    Serve200Routers(AState, std::chrono::milliseconds(75));
}
// A scrape every 10 ms: the latencies with a busy client.
void BM_Serve200RoutersBusyScraper(benchmark::State& AState) {
    Serve200Routers(AState, std::chrono::milliseconds(10));
}

// Memory over many rounds: the same fleet at a 5 s interval for a minute, twelve rounds of
// 200 samples; resident memory after the second and after the last round.
void BM_Serve200RoutersMemory(benchmark::State& AState) {
    constexpr int Routers = 200;
    TSimulatorProcess simulators(Routers, [](int AIndex) {
        TRouterSimOptions options;
        options.Seed = static_cast<uint64_t>(AIndex + 1);
        options.RejectSecondConnection = true;
        return options;
    });
    std::vector<monitor::TTarget> targets;
    for (int i = 0; i < Routers; ++i) {
        monitor::TTarget target;
        target.Name = "r" + std::to_string(i);
        target.Host = "127.0.0.1";
        target.Port = simulators.Ports[static_cast<std::size_t>(i)];
        target.User = target.Password = "admin";
        target.Interval = std::chrono::seconds(5);
        targets.push_back(target);
    }
    for (auto _ : AState) {
        monitor::TSampler sampler(monitor::ReadSample, {});
        sampler.SetTargets(targets);
        const auto started = Clock::now();
        sampler.Start();
        std::this_thread::sleep_until(started + std::chrono::seconds(10));
        const double rssEarly = RssMiB();
        const uint64_t samplesEarly = sampler.Stats().Samples;
        std::this_thread::sleep_until(started + std::chrono::seconds(60));
        const double rssLate = RssMiB();
        const uint64_t samples = sampler.Stats().Samples;
        sampler.Stop();
        AState.counters["rss_mib_after_10s"] = rssEarly;
        AState.counters["rss_mib_after_60s"] = rssLate;
        AState.counters["samples_10s"] = static_cast<double>(samplesEarly);
        AState.counters["samples_60s"] = static_cast<double>(samples);
    }
}
BENCHMARK(BM_Serve200RoutersMemory)
    ->Iterations(1)
    ->Repetitions(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

BENCHMARK(BM_Serve200Routers)
    ->Iterations(1)
    ->Repetitions(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK(BM_Serve200RoutersBusyScraper)
    ->Iterations(1)
    ->Repetitions(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
