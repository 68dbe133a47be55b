// Saving and loading a complete 35b statistics set: every per-group table of 512 groups per
// direction and both bins tables of 8192 tones, shaped as the router prints them. Loading
// includes the rebuild of every array from the stored lines.
#include "model/uDrayData.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace vexlorin {
namespace {

TStringList GroupAnswer(const char* ACommand, const char* AUnit, int ABase) {
    TStringList lines = {ACommand, "", "GroupSize : 16 16", std::string(" US: (") + AUnit + ")"};
    auto block = [&](int AOffset) {
        for (int start = 0; start < 512; start += 8) {
            std::string line = "bin=" + std::to_string(start) + ":";
            for (int k = 0; k < 8; ++k) {
                const int group = start + k;
                if (group % 97 == 5)
                    line += " ,";
                else
                    line += " " + std::to_string(ABase - AOffset - group / 8) + ",";
            }
            lines.push_back(line);
        }
    };
    block(0);
    lines.push_back("");
    lines.push_back(std::string(" DS: (") + AUnit + ")");
    block(20);
    lines.push_back("DrayTek> ");
    return lines;
}

// The showbins answer less its first two and last two lines, as the retrieval stores it.
TStringList BinsLines(bool AUp) {
    TStringList lines = {AUp ? "UPSTREAM :" : "DOWNSTREAM :",
                         "Bin SNR Gain Bi - Bin SNR Gain Bi - Bin SNR Gain Bi - Bin SNR Gain Bi",
                         "    dB  .1dB ts       dB  .1dB ts       dB  .1dB ts       dB  .1dB ts"};
    for (int tone = 0; tone < 8192; tone += 4) {
        std::string line;
        for (int k = 0; k < 4; ++k) {
            const int t = tone + k;
            char buffer[48];
            std::snprintf(buffer, sizeof buffer, "%s%5d %3d %5d %2d", k ? " * " : "", t,
                          20 + t % 30, -40 + t % 80, t % 15);
            line += buffer;
        }
        lines.push_back(line);
    }
    return lines;
}

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
    ASet.SetBinStatsDSRaw(BinsLines(false));
    ASet.SetBinStatsUSRaw(BinsLines(true));
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
