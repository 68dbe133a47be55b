// The history window on a month of one line: 30 days of samples each minute (43,200), the
// per-tone tables every 15 minutes (2,880). Opening the file and drawing every time chart,
// changing the range, and the waterfall (with the envelope) of the whole month; the peak
// memory of the process is reported as a counter (peak_rss_mb).
#include "../tests/ui/HistoryFixtures.h"

#include "ui/HistoryCharts.h"
#include "ui/HistoryPlot.h"
#include "ui/HistorySource.h"
#include "ui/HistoryWaterfall.h"
#include "ui/UserDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <memory>

namespace vexlorin {
namespace {

constexpr int64_t MinuteMs = 60'000;
constexpr int64_t Samples = 30 * 24 * 60;
constexpr int64_t T0 = 1'765'000'000'000;

class TNoDialogs final : public IUserDialogs {
public:
    void ShowFailure(const QString&) override {}
    void ShowRefusal(const QString&) override {}
    std::optional<QString> OpenFileName(const TFileDialogOptions&) override { return {}; }
    std::optional<QString> SaveFileName(const TFileDialogOptions&) override { return {}; }
};

double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Made once for all benchmarks of the run. VEXLORIN_BENCH_MONTH names a file to keep: made
// there when missing, read as it is otherwise, so that runs of two builds read the same one.
const std::string& MonthFile() {
    static QTemporaryDir dir;
    static const std::string path = [] {
        const QString kept = qEnvironmentVariable("VEXLORIN_BENCH_MONTH");
        if (!kept.isEmpty() && QFileInfo::exists(kept))
            return kept.toStdString();
        const std::string file = kept.isEmpty()
                                     ? dir.filePath(QStringLiteral("month.sqlite")).toStdString()
                                     : kept.toStdString();
        const auto set = test::SimulatedSet();
        test::GenerateHistory(file, *set, Samples, [](int64_t I) {
            test::TGeneratedSample s;
            s.TimeMs = T0 + I * MinuteMs;
            s.WithTables = I % 15 == 0;
            s.Failed = I % 5000 == 4999;
            s.DSRateKbps = 100000 - static_cast<int>(I % 300);
            s.DSMargin = 6 + static_cast<int>((I / 60) % 6);
            s.DSCRC = static_cast<unsigned long long>(I / 3);
            s.SNRShift = static_cast<int>((I / 60) % 24) < 6 ? -5 : 0; // lower at night
            return s;
        });
        std::fprintf(stderr, "month history: %lld samples in %s\n", static_cast<long long>(Samples),
                     file.c_str());
        return file;
    }();
    return path;
}

struct TWindow {
    TNoDialogs Dialogs;
    THistoryCharts Charts{Dialogs};
    TWindow() {
        Charts.resize(1400, 1000);
        for (int i = 0; i < TimeChartCount; ++i)
            Charts.TimeChart(static_cast<TTimeChartId>(i))->resize(1400, 300);
        Charts.Waterfall()->resize(1400, 900);
    }
    void DrawTimeCharts() {
        for (int i = 0; i < TimeChartCount; ++i)
            Charts.TimeChart(static_cast<TTimeChartId>(i))->RedrawNow();
    }
};

void BM_OpenAndDrawEveryTimeChart(benchmark::State& AState) {
    const std::string& file = MonthFile();
    for (auto _ : AState) {
        auto source = THistorySource::Open(file);
        const THistorySeries series = source->Read();
        TWindow window;
        window.Charts.Show(series, true);
        window.DrawTimeCharts();
        benchmark::DoNotOptimize(series.SampleTimesMs.size());
    }
    AState.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_OpenAndDrawEveryTimeChart)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ChangeTheRange(benchmark::State& AState) {
    auto source = THistorySource::Open(MonthFile());
    TWindow window;
    window.Charts.Show(source->Read(), true);
    window.DrawTimeCharts();
    int turn = 0;
    for (auto _ : AState) {
        window.Charts.SelectRange(turn++ % 2 ? THistoryRange::LastWeek : THistoryRange::All);
        window.DrawTimeCharts();
    }
    AState.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_ChangeTheRange)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_WaterfallAndEnvelopeOfTheWholeMonth(benchmark::State& AState) {
    auto source = THistorySource::Open(MonthFile());
    TWindow window;
    window.Charts.Show(source->Read(), true);
    window.Charts.Waterfall()->RedrawNow();
    for (auto _ : AState) {
        TToneViewRequest request;
        request.FromMs = window.Charts.RangeFrom();
        request.ToMs = window.Charts.RangeTo();
        request.Rows = window.Charts.Waterfall()->RowsWanted();
        request.Columns = window.Charts.Waterfall()->ColumnsWanted();
        const TToneViews views = source->ToneViews(request);
        window.Charts.ShowEnvelope(views.DS, views.US);
        window.Charts.ShowWaterfall(views.Waterfall);
        window.Charts.Waterfall()->RedrawNow();
        benchmark::DoNotOptimize(views.Waterfall.Sets);
    }
    AState.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_WaterfallAndEnvelopeOfTheWholeMonth)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace vexlorin

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
