// Shared pieces of the window tests: statistics sets built from router-shaped answers,
// scripted dialogs, and a window fixture.
#pragma once

#include "model/uDrayData.h"
#include "ui/UserDialogs.h"
#include "ui/fmMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <deque>
#include <memory>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& AText, std::ostream* AStream) {
    *AStream << '"' << AText.toStdString() << '"';
}

namespace vexlorin {
inline void PrintTo(const TAxisRange& ARange, std::ostream* AStream) {
    *AStream << '[' << ARange.Lower << ", " << ARange.Upper << ']';
}
} // namespace vexlorin

namespace vexlorin::test {

// The child of AParent of type T named AName. A missing one ends the test with its name.
template <class T> T* Child(const QObject& AParent, const char* AName) {
    T* child = AParent.findChild<T*>(QString::fromLatin1(AName));
    if (!child)
        throw std::runtime_error(std::string("no control named ") + AName);
    return child;
}

// The plot a chart draws with, for checks of how it draws.
inline QCustomPlot* PlotOf(const TChart* AChart) {
    QCustomPlot* plot = AChart->findChild<QCustomPlot*>();
    if (!plot)
        throw std::runtime_error("the chart holds no plot");
    return plot;
}

// The main window's controls and actions, found by their object names as a user's tool
// would find them.
struct TMainControls {
    explicit TMainControls(const TfrmMain& AWindow)
        : sbMain(Child<QStatusBar>(AWindow, "sbMain")),
          pnlInputs(Child<QWidget>(AWindow, "pnlInputs")),
          edRouter(Child<QLineEdit>(AWindow, "edRouter")),
          udTelnetPort(Child<QSpinBox>(AWindow, "udTelnetPort")),
          edRouterPort(Child<QLineEdit>(AWindow, "edRouterPort")),
          edUser(Child<QLineEdit>(AWindow, "edUser")),
          edPassword(Child<QLineEdit>(AWindow, "edPassword")),
          edRouterName(Child<QLineEdit>(AWindow, "edRouterName")),
          chkShowBins(Child<QCheckBox>(AWindow, "chkShowBins")),
          chkSNRBug(Child<QCheckBox>(AWindow, "chkSNRBug")),
          lblProfileName(Child<QLabel>(AWindow, "lblProfileName")),
          btnLoadConfiguration(Child<QPushButton>(AWindow, "btnLoadConfiguration")),
          btnSaveCfg(Child<QPushButton>(AWindow, "btnSaveCfg")),
          btnGetData(Child<QPushButton>(AWindow, "btnGetData")),
          btnStop(Child<QPushButton>(AWindow, "btnStop")),
          btnLoadDataFromFile(Child<QPushButton>(AWindow, "btnLoadDataFromFile")),
          lblAvaliableStatistics(Child<QLabel>(AWindow, "lblAvaliableStatistics")),
          lbxStatistics(Child<QListWidget>(AWindow, "lbxStatistics")),
          mnuStatListBox(Child<QMenu>(AWindow, "mnuStatListBox")),
          btnLoadStatisticsFromFile(Child<QPushButton>(AWindow, "btnLoadStatisticsFromFile")),
          btnSaveStatsToFile(Child<QPushButton>(AWindow, "btnSaveStatsToFile")),
          pgcMain(Child<QTabWidget>(AWindow, "pgcMain")),
          tbsRouter(Child<QWidget>(AWindow, "tbsRouter")),
          tbsHLog(Child<QWidget>(AWindow, "tbsHLog")), tbsBins(Child<QWidget>(AWindow, "tbsBins")),
          memStats(Child<QPlainTextEdit>(AWindow, "memStats")),
          bfnStatsLegend(Child<QPushButton>(AWindow, "bfnStatsLegend")),
          btnAbout(Child<QPushButton>(AWindow, "btnAbout")),
          btnHLogShowRaw(Child<QPushButton>(AWindow, "btnHLogShowRaw")),
          btnQLNShowRawData(Child<QPushButton>(AWindow, "btnQLNShowRawData")),
          btnSNRShowRawData(Child<QPushButton>(AWindow, "btnSNRShowRawData")),
          pgcBins(Child<QTabWidget>(AWindow, "pgcBins")),
          btnBinShowRawData(Child<QPushButton>(AWindow, "btnBinShowRawData")),
          chartHLog(Child<TChart>(AWindow, "chartHLog")),
          chartQLN(Child<TChart>(AWindow, "chartQLN")),
          chartSNR(Child<TChart>(AWindow, "chartSNR")),
          chartBitLoading(Child<TChart>(AWindow, "chartBitLoading")),
          chartGain(Child<TChart>(AWindow, "chartGain")),
          chartBinSNRUS(Child<TChart>(AWindow, "chartBinSNRUS")),
          chartBinSNRDS(Child<TChart>(AWindow, "chartBinSNRDS")),
          mnuCharts(Child<QMenu>(AWindow, "mnuCharts")),
          pbRetrieval(Child<QProgressBar>(AWindow, "pbRetrieval")),
          lblSimulated(Child<QLabel>(AWindow, "lblSimulated")),
          acnRetrieveData(Child<QAction>(AWindow, "acnRetrieveData")),
          acnStopRetrieval(Child<QAction>(AWindow, "acnStopRetrieval")),
          acnLoadDataFromFile(Child<QAction>(AWindow, "acnLoadDataFromFile")),
          acnLoadConfiguration(Child<QAction>(AWindow, "acnLoadConfiguration")),
          acnSaveConfiguration(Child<QAction>(AWindow, "acnSaveConfiguration")),
          acnLoadStatFromFile(Child<QAction>(AWindow, "acnLoadStatFromFile")),
          acnSaveStatToFile(Child<QAction>(AWindow, "acnSaveStatToFile")),
          acnRemove(Child<QAction>(AWindow, "acnRemove")),
          acnRemoveAll(Child<QAction>(AWindow, "acnRemoveAll")),
          acnShowLegend(Child<QAction>(AWindow, "acnShowLegend")),
          acnChartCopy(Child<QAction>(AWindow, "acnChartCopy")),
          acnChartSaveImage(Child<QAction>(AWindow, "acnChartSaveImage")) {}

    QStatusBar* sbMain;
    QWidget* pnlInputs;
    QLineEdit* edRouter;
    QSpinBox* udTelnetPort;
    QLineEdit* edRouterPort;
    QLineEdit* edUser;
    QLineEdit* edPassword;
    QLineEdit* edRouterName;
    QCheckBox* chkShowBins;
    QCheckBox* chkSNRBug;
    QLabel* lblProfileName;
    QPushButton* btnLoadConfiguration;
    QPushButton* btnSaveCfg;
    QPushButton* btnGetData;
    QPushButton* btnStop;
    QPushButton* btnLoadDataFromFile;
    QLabel* lblAvaliableStatistics;
    QListWidget* lbxStatistics;
    QMenu* mnuStatListBox;
    QPushButton* btnLoadStatisticsFromFile;
    QPushButton* btnSaveStatsToFile;
    QTabWidget* pgcMain;
    QWidget* tbsRouter;
    QWidget* tbsHLog;
    QWidget* tbsBins;
    QPlainTextEdit* memStats;
    QPushButton* bfnStatsLegend;
    QPushButton* btnAbout;
    QPushButton* btnHLogShowRaw;
    QPushButton* btnQLNShowRawData;
    QPushButton* btnSNRShowRawData;
    QTabWidget* pgcBins;
    QPushButton* btnBinShowRawData;
    TChart* chartHLog;
    TChart* chartQLN;
    TChart* chartSNR;
    TChart* chartBitLoading;
    TChart* chartGain;
    TChart* chartBinSNRUS;
    TChart* chartBinSNRDS;
    QMenu* mnuCharts;
    QProgressBar* pbRetrieval;
    QLabel* lblSimulated;
    QAction* acnRetrieveData;
    QAction* acnStopRetrieval;
    QAction* acnLoadDataFromFile;
    QAction* acnLoadConfiguration;
    QAction* acnSaveConfiguration;
    QAction* acnLoadStatFromFile;
    QAction* acnSaveStatToFile;
    QAction* acnRemove;
    QAction* acnRemoveAll;
    QAction* acnShowLegend;
    QAction* acnChartCopy;
    QAction* acnChartSaveImage;
};

// Boxes are recorded, file dialogs answer from a script (cancel when it is empty).
class TFakeDialogs final : public IUserDialogs {
public:
    struct TShared {
        QStringList Failures;
        QStringList Refusals;
        std::deque<std::optional<QString>> Answers;
        QList<TFileDialogOptions> Asked;
    };
    explicit TFakeDialogs(std::shared_ptr<TShared> AShared) : FShared(std::move(AShared)) {}

    void ShowFailure(const QString& AMessage) override { FShared->Failures << AMessage; }
    void ShowRefusal(const QString& AMessage) override { FShared->Refusals << AMessage; }
    std::optional<QString> OpenFileName(const TFileDialogOptions& AOptions) override {
        return Answer(AOptions);
    }
    std::optional<QString> SaveFileName(const TFileDialogOptions& AOptions) override {
        return Answer(AOptions);
    }

private:
    std::optional<QString> Answer(const TFileDialogOptions& AOptions) {
        FShared->Asked << AOptions;
        if (FShared->Answers.empty())
            return std::nullopt;
        auto answer = FShared->Answers.front();
        FShared->Answers.pop_front();
        return answer;
    }
    std::shared_ptr<TShared> FShared;
};

// A per-group answer as the router prints it: echo, group sizes, US header, value lines
// of eight groups, separator, DS header, value lines, prompt. AValue gives each group's
// value; groups in ANullUS / ANullDS are left out (empty between commas).
inline TStringList GroupAnswer(const std::string& ACommand, const std::string& AUnit, int AUSSize,
                               int ADSSize, int (*AValue)(int AGroup, bool AUp),
                               const std::set<int>& ANullUS = {},
                               const std::set<int>& ANullDS = {}) {
    TStringList lines{ACommand,
                      "GroupSize : " + std::to_string(AUSSize) + " " + std::to_string(ADSSize)};
    auto values = [&](bool AUp, const std::set<int>& ANull) {
        for (int first = 0; first < 512; first += 8) {
            std::string line = "bin=" + std::to_string(first) + ": ";
            for (int group = first; group < first + 8; ++group) {
                if (!ANull.count(group))
                    line += std::to_string(AValue(group, AUp));
                line += ", ";
            }
            lines.push_back(line);
        }
    };
    lines.push_back(" US: (" + AUnit + ")");
    values(true, ANullUS);
    lines.push_back("");
    lines.push_back(" DS: (" + AUnit + ")");
    values(false, ANullDS);
    lines.push_back("DrayTek> ");
    return lines;
}

inline int HLogValue(int AGroup, bool AUp) {
    return AUp ? -20 - AGroup % 40 : -30 - AGroup % 50;
}
inline int QLNValue(int AGroup, bool AUp) {
    return AUp ? -100 - AGroup % 30 : -110 - AGroup % 30;
}
inline int SNRValue(int AGroup, bool AUp) {
    return AUp ? 10 + AGroup % 20 : 20 + AGroup % 30;
}

// Bins raw lines: four quadruples per line, tone, SNR, gain (tenths of a dB), bits.
inline TStringList BinLines(int ACount, bool AUp) {
    TStringList lines{AUp ? "UPSTREAM :" : "DOWNSTREAM :", " BIN    SNR   GAIN   BITS"};
    for (int tone = 0; tone < ACount; tone += 4) {
        std::string line;
        for (int t = tone; t < tone + 4 && t < ACount; ++t) {
            const int snr = AUp ? 5 + t % 40 : 7 + t % 45;
            const int gain = (t % 2 ? 1 : -1) * (t % 150);
            const int bits = t % 16;
            line += "  " + std::to_string(t) + "  " + std::to_string(snr) + "  " +
                    std::to_string(gain) + "  " + std::to_string(bits);
        }
        lines.push_back(line);
    }
    return lines;
}

struct TSetOptions {
    TVDSLProfile Profile = vp17a;
    int USGroupSize = 8;
    int DSGroupSize = 8;
    std::set<int> NullHLogUS;
    std::set<int> NullHLogDS;
    int BinCount = 8192;
    TStringList Stats = {" [ STATUS ]", "  Running Mode : 17A", "  Status : SHOWTIME"};
};

inline std::unique_ptr<TDrayData> MakeSet(const std::string& AName,
                                          const TSetOptions& AOptions = {}) {
    auto set = std::make_unique<TDrayData>(AName);
    set->SetHLogData(GroupAnswer("vdsl status hlog", "dB", AOptions.USGroupSize,
                                 AOptions.DSGroupSize, HLogValue, AOptions.NullHLogUS,
                                 AOptions.NullHLogDS));
    set->SetQLNData(GroupAnswer("vdsl status qln", "dBm/Hz", AOptions.USGroupSize,
                                AOptions.DSGroupSize, QLNValue));
    set->SetSNRData(
        GroupAnswer("vdsl status snr", "dB", AOptions.USGroupSize, AOptions.DSGroupSize, SNRValue));
    if (AOptions.BinCount > 0) {
        set->SetBinStatsUSRaw(BinLines(AOptions.BinCount, true));
        set->SetBinStatsDSRaw(BinLines(AOptions.BinCount, false));
    }
    set->AddStatData(AOptions.Stats, nullptr);
    set->SetVDSLProfile(AOptions.Profile);
    return set;
}

// A fresh main window with scripted dialogs, laid out at its built size.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dialogs = std::make_shared<TFakeDialogs::TShared>();
        Window = std::make_unique<TfrmMain>(QStringList{}, std::make_unique<TFakeDialogs>(Dialogs));
        Window->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        Window.reset();
        QApplication::processEvents();
    }

    TMainControls Controls() const { return TMainControls(*Window); }

    // Fills the four fields the statistics list needs.
    void FillConnection() {
        const TMainControls ui = Controls();
        ui.edRouter->setText(QStringLiteral("127.0.0.1"));
        ui.edUser->setText(QStringLiteral("admin"));
    }

    TDrayData* Add(const std::string& AName, const TSetOptions& AOptions = {}) {
        return Window->DrayDataList().Add(MakeSet(AName, AOptions));
    }

    QStringList Entries() const {
        const QListWidget* list = Controls().lbxStatistics;
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    std::shared_ptr<TFakeDialogs::TShared> Dialogs;
    std::unique_ptr<TfrmMain> Window;
};

} // namespace vexlorin::test
