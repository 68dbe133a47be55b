// Parsing a complete 35b set: HLog, QLN and SNR answers of 512 groups per direction and
// showbins answers of 8192 tones per direction, shaped as the router prints them.
#include "Answers.h"
#include "LineModel.h"
#include "RouterShapedAnswers.h"
#include "model/LineSummary.h"
#include "model/SetComparison.h"
#include "model/uDrayData.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>

namespace vexlorin {
namespace {

using bench::BinsAnswer;
using bench::GroupAnswer;

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

// The showbins half as the reader handles it: each answer's text split into lines and
// handed over to the set.
void ParseBins35bBothDirections(benchmark::State& state) {
    const std::string binsDown = JoinLines(BinsAnswer(false));
    const std::string binsUp = JoinLines(BinsAnswer(true));
    for (auto _ : state) {
        TDrayData set("bench");
        set.SetBinStatsDSRaw(SplitLines(binsDown));
        set.SetBinStatsUSRaw(SplitLines(binsUp));
        benchmark::DoNotOptimize(set.ShowBinStatsUS()[8191]);
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * (binsDown.size() + binsUp.size())));
}
BENCHMARK(ParseBins35bBothDirections)->Unit(benchmark::kMicrosecond);

// A complete set's statistics text as a 35b retrieval stores it: every status answer, the
// annex and the inventory (about 100 lines, 7 KB). The summary is computed each time a set
// is shown or sampled.
TStringList CompleteStatusText() {
    const routersim::TLineModel model(vp35b, 1);
    TStringList text;
    for (const char* command :
         {"vdsl status bandinfo", "vdsl status", "vdsl status more", "vdsl status olr",
          "vdsl status counts", "vdsl annex", "vdsl inventory co", "vdsl inventory cpe"}) {
        const TStringList answer = *routersim::CommandAnswer(model, command, {});
        text.insert(text.end(), answer.begin(), answer.end());
    }
    return text;
}

void SummarizeCompleteStatusText(benchmark::State& state) {
    const TStringList text = CompleteStatusText();
    for (auto _ : state) {
        TLineSummary summary = SummarizeStatus(text);
        benchmark::DoNotOptimize(summary);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * JoinLines(text).size()));
}
BENCHMARK(SummarizeCompleteStatusText)->Unit(benchmark::kMicrosecond);

// The same with the bit loading of two 8192-tone bins tables, as the window shows a set.
void SummarizeComplete35bSet(benchmark::State& state) {
    TDrayData set("bench");
    set.SetStats(CompleteStatusText());
    set.SetBinStatsDSRaw(bench::BinsAnswer(false));
    set.SetBinStatsUSRaw(bench::BinsAnswer(true));
    for (auto _ : state) {
        TLineSummary summary = SummarizeSet(set);
        benchmark::DoNotOptimize(summary);
    }
}
BENCHMARK(SummarizeComplete35bSet)->Unit(benchmark::kMicrosecond);

// Two complete 35b sets compared: the table differences the charts draw (CompareTables), and
// everything vexlorin-cli diff writes (CompareSets: with both summaries and the bands).
void Compare35bSets(benchmark::State& state, bool AEverything) {
    TDrayData a("a"), b("b");
    for (TDrayData* set : {&a, &b}) {
        set->SetStats(CompleteStatusText());
        set->SetSNRData(GroupAnswer("vdsl status snr", "dB", set == &a ? 50 : 45));
        set->SetHLogData(GroupAnswer("vdsl status hlog", "dB", -20));
        set->SetBinStatsDSRaw(bench::BinsAnswer(false));
        set->SetBinStatsUSRaw(bench::BinsAnswer(true));
    }
    for (auto _ : state) {
        TSetComparison comparison = AEverything ? CompareSets(a, b) : CompareTables(a, b);
        benchmark::DoNotOptimize(comparison);
    }
}
void CompareTables35b(benchmark::State& state) {
    Compare35bSets(state, false);
}
BENCHMARK(CompareTables35b)->Unit(benchmark::kMicrosecond);
void CompareSets35b(benchmark::State& state) {
    Compare35bSets(state, true);
}
BENCHMARK(CompareSets35b)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vexlorin

BENCHMARK_MAIN();
