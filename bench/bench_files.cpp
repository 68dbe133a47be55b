// Saving and loading a complete 35b statistics set: every per-group table of 512 groups per
// direction and both bins tables of 8192 tones, shaped as the router prints them. Loading
// includes the rebuild of every array from the stored lines.
#include "RouterShapedAnswers.h"
#include "model/uDrayData.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace vexlorin {
namespace {

using bench::BinsAnswer;
using bench::GroupAnswer;

void FillComplete35bSet(TDrayData& ASet) {
    TStringList status;
    for (int i = 0; i < 60; ++i)
        status.push_back("  Line status field " + std::to_string(i) + "  :  value " +
                         std::to_string(i * 7));
    status.push_back("  Running Mode            :      35B       State   : SHOWTIME");
    ASet.SetStats(status);
    ASet.SetHLogData(GroupAnswer("vdsl status hlog", "dB", -20));
    ASet.SetQLNData(GroupAnswer("vdsl status qln", "dBm/Hz", -110));
    ASet.SetSNRData(GroupAnswer("vdsl status snr", "dB", 50));
    ASet.SetBinStatsDSRaw(BinsAnswer(false, true));
    ASet.SetBinStatsUSRaw(BinsAnswer(true, true));
}

void SaveAndLoadComplete35bSetFile(benchmark::State& state) {
    TDrayData set("20240103-090507-DrayTek.draydata");
    FillComplete35bSet(set);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "vexlorin-bench-files";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "set.draydata").string();
    for (auto _ : state) {
        set.SaveToFile(path);
        TDrayData loaded;
        loaded.LoadFromFile(path);
        benchmark::DoNotOptimize(loaded.ShowBinStatsUS()[8191]);
    }
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove_all(folder);
}
BENCHMARK(SaveAndLoadComplete35bSetFile)->Unit(benchmark::kMillisecond);

// The same without the disk: the cost of the format and of the rebuild alone.
void SaveAndLoadComplete35bSetBytes(benchmark::State& state) {
    TDrayData set("20240103-090507-DrayTek.draydata");
    FillComplete35bSet(set);
    for (auto _ : state) {
        const std::vector<uint8_t> bytes = set.SaveToBytes();
        TDrayData loaded;
        loaded.LoadFromBytes(bytes);
        benchmark::DoNotOptimize(loaded.ShowBinStatsUS()[8191]);
    }
}
BENCHMARK(SaveAndLoadComplete35bSetBytes)->Unit(benchmark::kMillisecond);

void SaveComplete35bSetBytes(benchmark::State& state) {
    TDrayData set("20240103-090507-DrayTek.draydata");
    FillComplete35bSet(set);
    for (auto _ : state)
        benchmark::DoNotOptimize(set.SaveToBytes());
}
BENCHMARK(SaveComplete35bSetBytes)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vexlorin

BENCHMARK_MAIN();
