// The recorder's own cost, the simulator in a process of its own: a run of many samples
// with no delay (memory at sample 100, 1000 and the last, CPU per sample), then a run at a 2 s
// interval whose waits between samples are measured apart from the samples.
//
// recorder_soak [SAMPLES=10000]   (a long run: neither in the test suite nor in "make bench")
#include "SimulatorProcess.h"
#include "history/Recorder.h"

#include <malloc.h>
#include <sqlite3.h>
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

// What the program holds on the heap, apart from what malloc keeps of freed memory.
double HeapInUseMb() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / 1e6;
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
    // The simulator in a process of its own: the figures below are the recorder's.
    TSimulatorProcess sim(1, [](int) {
        TRouterSimOptions options;
        options.Profile = vp35b;
        return options;
    });
    TRecorderTarget target;
    target.Line = {"127.0.0.1", static_cast<uint16_t>(sim.Ports.front()), "DrayTek"};
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
        // The peak, and what it is made of: the heap (RssAnon) apart from the database's
        // pages that SQLite reads through its memory map (RssFile), which grow with the file
        // and belong to the page cache, not to the recorder.
        long rss100 = 0, anon100 = 0, file100 = 0;
        long anon1000 = 0;
        double heap100 = 0, heap1000 = 0, sqlite100 = 0, sqlite1000 = 0;
        double cpuAt100 = 0;
        const auto began = std::chrono::steady_clock::now();
        TLineRecorder recorder(target, store.get(), [&](const TSampleResult& AResult) {
            ++n;
            if (!AResult.Completed)
                std::fprintf(stderr, "sample %lld failed: %s\n", static_cast<long long>(n),
                             AResult.Message.c_str());
            if (n == 100) {
                rss100 = StatusKb("VmHWM:");
                anon100 = StatusKb("RssAnon:");
                file100 = StatusKb("RssFile:");
                heap100 = HeapInUseMb();
                sqlite100 = static_cast<double>(sqlite3_memory_used()) / 1e6;
                cpuAt100 = CpuSeconds();
            }
            if (n == 1000) {
                anon1000 = StatusKb("RssAnon:");
                heap1000 = HeapInUseMb();
                sqlite1000 = static_cast<double>(sqlite3_memory_used()) / 1e6;
            }
        });
        recorder.Run(samples, std::nullopt);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        const double cpu = CpuSeconds();
        std::printf("samples %lld in %.1f s\n", static_cast<long long>(n), wall);
        std::printf("peak RSS at sample 100: %ld kB, at sample %lld: %ld kB (now %ld kB)\n", rss100,
                    static_cast<long long>(n), StatusKb("VmHWM:"), StatusKb("VmRSS:"));
        std::printf("anonymous (heap) at sample 100: %ld kB, 1000: %ld kB, %lld: %ld kB; mapped "
                    "file pages at 100: %ld kB, at %lld: %ld kB (database %.1f MB)\n",
                    anon100, anon1000, static_cast<long long>(n), StatusKb("RssAnon:"), file100,
                    static_cast<long long>(n), StatusKb("RssFile:"),
                    static_cast<double>(std::filesystem::file_size(dir / "h.sqlite")) / 1e6);
        std::printf("heap in use at sample 100: %.1f MB, 1000: %.1f MB, %lld: %.1f MB; of it "
                    "SQLite's (its page cache is bounded): %.1f, %.1f, %.1f MB\n",
                    heap100, heap1000, static_cast<long long>(n), HeapInUseMb(), sqlite100,
                    sqlite1000, static_cast<double>(sqlite3_memory_used()) / 1e6);
        std::printf("CPU per sample (recorder and store): %.2f ms\n",
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
