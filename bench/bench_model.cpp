// Parsing a complete 35b set: HLog, QLN and SNR answers of 512 groups per direction and
// showbins answers of 8192 tones per direction, shaped as the router prints them.
#include "model/uDrayData.h"

#include <benchmark/benchmark.h>

#include <cstdio>
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
                // Unused groups print as empty values, as the router does.
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

TStringList BinsAnswer(bool AUp) {
    TStringList lines = {
        AUp ? "vdsl showbins up" : "vdsl showbins",
        AUp ? "UPSTREAM :" : "DOWNSTREAM :",
        "------------------------------------------------------------",
        "Bin SNR Gain Bi - Bin SNR Gain Bi - Bin SNR Gain Bi - Bin SNR Gain Bi",
        "    dB  .1dB ts       dB  .1dB ts       dB  .1dB ts       dB  .1dB ts",
        "---------------- * ---------------- * ---------------- * ----------------"};
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
    lines.push_back("DrayTek> ");
    return lines;
}

void ParseComplete35bSet(benchmark::State& state) {
    const TStringList hlog = GroupAnswer("vdsl status hlog", "dB", -20);
    const TStringList qln = GroupAnswer("vdsl status qln", "dBm/Hz", -110);
    const TStringList snr = GroupAnswer("vdsl status snr", "dB", 50);
    const TStringList binsDown = BinsAnswer(false);
    const TStringList binsUp = BinsAnswer(true);
    const TStringList status = {"  Running Mode            :      35B       State   : SHOWTIME"};
    std::size_t bytes = 0;
    for (const TStringList* answer : {&hlog, &qln, &snr, &binsDown, &binsUp})
        bytes += JoinLines(*answer).size();

    for (auto _ : state) {
        TDrayData set("bench");
        set.IdentifyVDSLProfile(status);
        set.SetHLogData(hlog);
        set.SetQLNData(qln);
        set.SetSNRData(snr);
        set.SetBinStatsDSRaw(binsDown);
        set.SetBinStatsUSRaw(binsUp);
        benchmark::DoNotOptimize(set.ShowBinStatsUS()[8191]);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(ParseComplete35bSet)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace vexlorin

BENCHMARK_MAIN();
