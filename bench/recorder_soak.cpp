// The recorder's own cost: a run of many samples against the simulator with no delay
// (peak memory at sample 100 and at the last, CPU per sample), then a run at a 2 s
// interval whose waits between samples are measured apart from the samples.
//
// recorder_soak [SAMPLES=10000]   (a long run: neither in the test suite nor in "make bench")
#include "RouterSim.h"
#include "history/Recorder.h"

#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace vexlorin;
using namespace vexlorin::history;
using namespace std::chrono_literals;

long StatusKb(const char* AKey) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(AKey, 0) == 0)
            return std::stol(line.substr(std::string(AKey).size()));
    return -1;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const int64_t samples = argc > 1 ? std::stoll(argv[1]) : 10000;
    TRouterSimOptions options;
    options.Profile = vp35b;
    TRouterSim sim(options);
    TRecorderTarget target;
    target.Line = {"127.0.0.1", sim.Start(), "DrayTek"};
    target.User = target.Password = "admin";
    target.Interval = 1ms;
    target.BinsEvery = 15ms; // one sample in 15 with the bins tables, as at 1 min / 15 min

    const auto dir =
        std::filesystem::temp_directory_path() / ("vexlorin-recorder-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    {
        auto store =
            THistoryStore::Open((dir / "h.sqlite").string(), THistoryStore::TMode::ReadWrite);
        int64_t n = 0;
        long rss100 = 0;
        double cpuAt100 = 0;
        const auto began = std::chrono::steady_clock::now();
        TLineRecorder recorder(target, store.get(), [&](const TSampleResult& AResult) {
            ++n;
            if (!AResult.Completed)
                std::fprintf(stderr, "sample %lld failed: %s\n", static_cast<long long>(n),
                             AResult.Message.c_str());
            if (n == 100) {
                rss100 = StatusKb("VmHWM:");
                cpuAt100 = CpuSeconds();
            }
        });
        recorder.Run(samples, std::nullopt);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        const double cpu = CpuSeconds();
        std::printf("samples %lld in %.1f s\n", static_cast<long long>(n), wall);
        std::printf("peak RSS at sample 100: %ld kB, at sample %lld: %ld kB (now %ld kB)\n", rss100,
                    static_cast<long long>(n), StatusKb("VmHWM:"), StatusKb("VmRSS:"));
        std::printf("CPU per sample (recorder + simulator + store): %.2f ms\n",
                    (cpu - cpuAt100) * 1000.0 / static_cast<double>(n - 100));
    }
    {
        // Between samples the recorder waits on a condition variable: its CPU there is the
        // process's CPU over the run minus what the samples themselves took.
        auto store =
            THistoryStore::Open((dir / "idle.sqlite").string(), THistoryStore::TMode::ReadWrite);
        target.Interval = 2000ms;
        target.Bins = false;
        double inSamples = 0;
        TLineRecorder recorder(target, store.get(), [&](const TSampleResult&) {});
        const double cpu0 = CpuSeconds();
        const auto began = std::chrono::steady_clock::now();
        // Each sample's own CPU, measured around a sample taken alone.
        const double s0 = CpuSeconds();
        TakeSample(target, false, nullptr);
        inSamples = CpuSeconds() - s0;
        recorder.Run(6, std::nullopt);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        const double total = CpuSeconds() - cpu0;
        const double idle = total - 7 * inSamples;
        std::printf("interval 2 s: %.1f s, CPU %.1f ms in all, %.2f ms per sample; between "
                    "samples %.3f%% of one core\n",
                    wall, total * 1000, inSamples * 1000,
                    std::max(0.0, idle) / std::max(1e-9, wall - 7 * 0.02) * 100);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
