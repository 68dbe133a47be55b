// Showing a complete 35b set on the seven charts of the main window, redraw included, as
// selecting a set in the list does. Runs without a display.
#include "model/uDrayData.h"
#include "ui/LineCharts.h"
#include "ui/fmMain.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using namespace vexlorin;

TStringList GroupAnswer(const std::string& AUnit) {
    TStringList lines{"vdsl status x", "GroupSize : 8 16", " US: (" + AUnit + ")"};
    auto values = [&](int ABase) {
        for (int first = 0; first < 512; first += 8) {
            std::string line = "bin=" + std::to_string(first) + ": ";
            for (int group = first; group < first + 8; ++group)
                line +=
                    (group % 97 == 5 ? std::string() : std::to_string(ABase - group % 40)) + ", ";
            lines.push_back(line);
        }
    };
    values(-20);
    lines.push_back("");
    lines.push_back(" DS: (" + AUnit + ")");
    values(-30);
    lines.push_back("DrayTek> ");
    return lines;
}

TStringList BinLines(int AOffset) {
    TStringList lines{"DOWNSTREAM :", " BIN    SNR   GAIN   BITS"};
    for (int tone = 0; tone < 8192; tone += 4) {
        std::string line;
        for (int t = tone; t < tone + 4; ++t)
            line += "  " + std::to_string(t) + "  " + std::to_string(AOffset + t % 45) + "  " +
                    std::to_string((t % 2 ? 1 : -1) * (t % 150)) + "  " + std::to_string(t % 16);
        lines.push_back(line);
    }
    return lines;
}

std::unique_ptr<TDrayData> Complete35bSet(const std::string& AName) {
    auto set = std::make_unique<TDrayData>(AName);
    set->SetHLogData(GroupAnswer("dB"));
    set->SetQLNData(GroupAnswer("dBm/Hz"));
    set->SetSNRData(GroupAnswer("dB"));
    set->SetBinStatsUSRaw(BinLines(5));
    set->SetBinStatsDSRaw(BinLines(9));
    set->SetVDSLProfile(vp35b);
    return set;
}

TfrmMain& Window() {
    static TfrmMain* window = [] {
        auto* w = new TfrmMain;
        w->show();
        QApplication::processEvents();
        return w;
    }();
    return *window;
}

void RedrawAll(TfrmMain& AWindow) {
    for (TChart* chart : AWindow.LineCharts().Charts())
        chart->RedrawNow();
}

template <class T> T* Control(const TfrmMain& AWindow, const char* AName) {
    return AWindow.findChild<T*>(QString::fromLatin1(AName));
}

// DisplayChartData(null) then DisplayChartData(set) and a redraw of every chart.
void BM_DisplayChartData35b(benchmark::State& AState) {
    TfrmMain& w = Window();
    const auto set = Complete35bSet("bench");
    for (auto _ : AState) {
        w.DisplayChartData(nullptr);
        w.DisplayChartData(set.get());
        RedrawAll(w);
    }
}
BENCHMARK(BM_DisplayChartData35b)->Unit(benchmark::kMillisecond)->Repetitions(7);

// Selecting the other of two listed sets: text, label, charts, redraw.
void BM_SelectAnotherSet(benchmark::State& AState) {
    TfrmMain& w = Window();
    Control<QLineEdit>(w, "edRouter")->setText(QStringLiteral("127.0.0.1"));
    Control<QLineEdit>(w, "edUser")->setText(QStringLiteral("admin"));
    QListWidget* list = Control<QListWidget>(w, "lbxStatistics");
    w.DrayDataList().Clear();
    w.DrayDataList().Add(Complete35bSet("a"));
    w.DrayDataList().Add(Complete35bSet("b"));
    int row = 0;
    for (auto _ : AState) {
        list->setCurrentRow(row);
        RedrawAll(w);
        row = 1 - row;
    }
    w.DrayDataList().Clear();
}
BENCHMARK(BM_SelectAnotherSet)->Unit(benchmark::kMillisecond)->Repetitions(7);

// The same with a third 35b set pinned as the reference: every chart draws both sets
// (overlay), or the selected set minus the reference (difference).
void SelectAnotherSetComparing(benchmark::State& AState, bool ADifference) {
    TfrmMain& w = Window();
    Control<QLineEdit>(w, "edRouter")->setText(QStringLiteral("127.0.0.1"));
    Control<QLineEdit>(w, "edUser")->setText(QStringLiteral("admin"));
    QListWidget* list = Control<QListWidget>(w, "lbxStatistics");
    QAction* difference = Control<QAction>(w, "acnChartShowDifference");
    w.DrayDataList().Clear();
    w.DrayDataList().Add(Complete35bSet("a"));
    w.DrayDataList().Add(Complete35bSet("b"));
    w.SetReferenceSet(w.DrayDataList().Add(Complete35bSet("reference")));
    if (difference->isChecked() != ADifference)
        difference->trigger();
    int row = 0; // "a" and "b" sort before "reference"
    for (auto _ : AState) {
        list->setCurrentRow(row);
        RedrawAll(w);
        row = 1 - row;
    }
    if (difference->isChecked())
        difference->trigger();
    w.SetReferenceSet(nullptr);
    w.DrayDataList().Clear();
}

void BM_SelectAnotherSetOverlay(benchmark::State& AState) {
    SelectAnotherSetComparing(AState, false);
}
BENCHMARK(BM_SelectAnotherSetOverlay)->Unit(benchmark::kMillisecond)->Repetitions(7);

void BM_SelectAnotherSetDifference(benchmark::State& AState) {
    SelectAnotherSetComparing(AState, true);
}
BENCHMARK(BM_SelectAnotherSetDifference)->Unit(benchmark::kMillisecond)->Repetitions(7);

// The two bar charts of a 35b set (8192 tones per direction) drawn at the size of the chart
// export, every bar whole pixels wide in its direction's colour.
void BM_RedrawBarCharts35bAtExportSize(benchmark::State& AState) {
    TfrmMain& w = Window();
    const auto set = Complete35bSet("bench");
    w.DisplayChartData(set.get());
    TChart* charts[] = {w.LineCharts().Chart(TChartId::BitLoading),
                        w.LineCharts().Chart(TChartId::Gain)};
    for (TChart* chart : charts)
        chart->resize(1200, 600);
    for (auto _ : AState)
        for (TChart* chart : charts)
            chart->RedrawNow();
}
BENCHMARK(BM_RedrawBarCharts35bAtExportSize)->Unit(benchmark::kMillisecond)->Repetitions(7);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
