// Shared pieces of the window tests: statistics sets built from router-shaped answers,
// scripted dialogs, and a window fixture.
#pragma once

#include "model/uDrayData.h"
#include "ui/UserDialogs.h"
#include "ui/fmMain.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <ostream>
#include <set>
#include <string>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& AText, std::ostream* AStream) {
    *AStream << '"' << AText.toStdString() << '"';
}

namespace vexlorin::test {

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

    // Fills the four fields the statistics list needs.
    void FillConnection() {
        Window->edRouter->setText(QStringLiteral("127.0.0.1"));
        Window->edUser->setText(QStringLiteral("admin"));
    }

    TDrayData* Add(const std::string& AName, const TSetOptions& AOptions = {}) {
        return Window->DrayDataList().Add(MakeSet(AName, AOptions));
    }

    QStringList Entries() const {
        QStringList texts;
        for (int i = 0; i < Window->lbxStatistics->count(); ++i)
            texts << Window->lbxStatistics->item(i)->text();
        return texts;
    }

    std::shared_ptr<TFakeDialogs::TShared> Dialogs;
    std::unique_ptr<TfrmMain> Window;
};

} // namespace vexlorin::test
