// The auxiliary windows: raw data viewers, the load-from-files dialog, the legend and the
// about box, driven as real widgets without a display.
#include "model/uDrayData.h"
#include "ui/UiResources.h"
#include "ui/UserDialogs.h"
#include "ui/fmAbout.h"
#include "ui/fmLoadDataFromFile.h"
#include "ui/fmRawBins.h"
#include "ui/fmRawData.h"
#include "ui/fmxDLSStatLegend.h"

#include "VexlorinVersion.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

namespace vexlorin {
namespace {

// ---------------------------------------------------------------------------------------
// Helpers

// Runs the deferred deletes that closing a window posts.
void ProcessDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// Calls AAction with the first modal dialog of type T once it shows. A dialog that never
// shows fails the test, and anything still modal after a few seconds is rejected, so a
// test can never hang on exec().
template <class T> void WhenModal(std::function<void(T*)> AAction) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, AAction] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            AAction(dialog);
            return;
        }
        if (++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal dialog of the expected type showed";
            if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                other->reject();
        }
    });
    timer->start();
}

class TTempDir {
public:
    TTempDir() {
        std::random_device random;
        FPath = std::filesystem::temp_directory_path() /
                ("vexlorin-ui-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(FPath);
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    std::string File(const std::string& AName) const { return (FPath / AName).string(); }

private:
    std::filesystem::path FPath;
};

void WriteText(const std::string& APath, const std::string& AText) {
    std::ofstream out(APath, std::ios::binary);
    out << AText;
}

// File dialogs answered from a script; every request is recorded.
class TScriptedDialogs final : public IUserDialogs {
public:
    std::vector<std::optional<QString>> Answers;
    std::vector<TFileDialogOptions> Requests;
    QStringList Failures;

    void ShowFailure(const QString& AMessage) override { Failures << AMessage; }
    void ShowRefusal(const QString& AMessage) override { Failures << AMessage; }
    std::optional<QString> OpenFileName(const TFileDialogOptions& AOptions) override {
        Requests.push_back(AOptions);
        if (Requests.size() > Answers.size())
            return std::nullopt;
        return Answers[Requests.size() - 1];
    }
    std::optional<QString> SaveFileName(const TFileDialogOptions& AOptions) override {
        Requests.push_back(AOptions);
        return std::nullopt;
    }
};

// ---------------------------------------------------------------------------------------
// Router-shaped answers: the echoed command first, the prompt last.

std::string Answer(const std::string& ACommand, const TStringList& ABody) {
    std::string text = ACommand + "\r\n";
    for (const std::string& line : ABody)
        text += line + "\r\n";
    return text + "DrayTek>";
}

// A per-group table with eight groups per line; a few groups are left without a value, as
// the router prints groups that hold no tone of the direction.
TStringList GroupAnswer(const char* AUnit, int ABase) {
    TStringList lines{" NE table per group", " GroupSize : 8 16", std::string(" US: ") + AUnit};
    const auto addDirection = [&](int AOffset) {
        for (int first = 0; first < 64; first += 8) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, " bin=%4d:", first);
            std::string line = buffer;
            for (int g = first; g < first + 8; ++g) {
                if ((g + AOffset) % 7 == 3) {
                    line += "     ,";
                    continue;
                }
                std::snprintf(buffer, sizeof buffer, " %4d,", ABase - g - AOffset);
                line += buffer;
            }
            lines.push_back(line);
        }
    };
    addDirection(0);
    lines.push_back("");
    lines.push_back(std::string(" DS: ") + AUnit);
    addDirection(100);
    return lines;
}

TStringList BinsAnswer(bool AUp) {
    TStringList lines{"", AUp ? " UPSTREAM :" : " DOWNSTREAM :",
                      " Bin SNR Gain Bi -  Bin SNR Gain Bi -  Bin SNR Gain Bi -  Bin SNR Gain Bi"};
    std::string line;
    for (int t = 0; t < 256; ++t) {
        char buffer[32];
        const int snr = AUp ? 20 + t % 9 : 40 - t % 13;
        std::snprintf(buffer, sizeof buffer, "%4d %3d %4d %2d", t, snr, -(t % 30), snr / 3);
        line += (line.empty() ? "" : " * ") + std::string(buffer);
        if (t % 4 == 3) {
            lines.push_back(line);
            line.clear();
        }
    }
    lines.push_back("");
    return lines;
}

// What a retrieval does with a showbins answer: its lines less the first two and last two.
TStringList RetrievedBinLines(const std::string& AAnswer) {
    const TStringList all = SplitLines(AAnswer);
    return TStringList(all.begin() + 2, all.end() - 2);
}

// A set with two lines per raw list, each naming its table and direction.
std::unique_ptr<TDrayData> SetWithRawLines() {
    auto set = std::make_unique<TDrayData>("raw");
    set->SetHLogUSRaw({"hlog up 1", "hlog up 2"});
    set->SetHLogDSRaw({"hlog down 1", "hlog down 2"});
    set->SetQLNUSRaw({"qln up 1", "qln up 2"});
    set->SetQLNDSRaw({"qln down 1", "qln down 2"});
    set->SetSNRUSRaw({"snr up 1", "snr up 2"});
    set->SetSNRDSRaw({"snr down 1", "snr down 2"});
    set->SetBinStatsUSRaw({"bins up 1", "bins up 2"});
    set->SetBinStatsDSRaw({"bins down 1", "bins down 2"});
    return set;
}

// ---------------------------------------------------------------------------------------
// Raw data viewers

struct TViewerCase {
    const char* Caption;
    std::function<QWidget*(QWidget*, const TDrayData*)> Open;
    const char* Table; // the word the set's lines of this table begin with
};

struct TViewer {
    QPointer<QWidget> Window;
    QPlainTextEdit* Up;
    QPlainTextEdit* Down;
};

TViewer Open(const TViewerCase& ACase, QWidget* AOwner, const TDrayData* ASet) {
    QWidget* window = ACase.Open(AOwner, ASet);
    if (auto* raw = qobject_cast<TfrmRawData*>(window))
        return {window, raw->memUS, raw->memDS};
    auto* bins = qobject_cast<TfrmRawBins*>(window);
    return {window, bins->memUS, bins->memDS};
}

const std::vector<TViewerCase> ViewerCases = {
    {"HLOG Raw Data", [](QWidget* o, const TDrayData* s) { return ShowRawHLog(o, s); }, "hlog"},
    {"QLN Raw Data", [](QWidget* o, const TDrayData* s) { return ShowRawQLN(o, s); }, "qln"},
    {"SNR Raw Data", [](QWidget* o, const TDrayData* s) { return ShowRawSNR(o, s); }, "snr"},
    {"Raw bins data", [](QWidget* o, const TDrayData* s) { return ShowRawBins(o, s); }, "bins"},
};

TEST(RawDataViewers, WithoutASetEachClickOpensAnotherEmptyWindow) {
    QWidget owner;
    for (const TViewerCase& c : ViewerCases) {
        SCOPED_TRACE(c.Caption);
        const TViewer first = Open(c, &owner, nullptr);
        const TViewer second = Open(c, &owner, nullptr);
        ASSERT_TRUE(first.Window && second.Window);
        EXPECT_NE(first.Window, second.Window);
        for (const TViewer& v : {first, second}) {
            EXPECT_EQ(v.Window->windowTitle(), QString::fromLatin1(c.Caption));
            EXPECT_TRUE(v.Window->isVisible());
            EXPECT_FALSE(v.Window->isModal());
            EXPECT_TRUE(v.Window->isWindow());
            EXPECT_EQ(v.Window->parentWidget(), &owner);
            EXPECT_TRUE(v.Up->toPlainText().isEmpty());
            EXPECT_TRUE(v.Down->toPlainText().isEmpty());
            EXPECT_TRUE(v.Up->isReadOnly() && v.Down->isReadOnly());
            EXPECT_EQ(v.Up->lineWrapMode(), QPlainTextEdit::NoWrap);
            const Qt::WindowFlags flags = v.Window->windowFlags();
            EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
            EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
            EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
        }
    }
}

TEST(RawDataViewers, ShowTheTableOfTheSetAndOutliveIt) {
    QWidget owner;
    auto set = SetWithRawLines();
    std::vector<std::pair<TViewerCase, TViewer>> open;
    for (const TViewerCase& c : ViewerCases)
        for (int click = 0; click < 2; ++click)
            open.emplace_back(c, Open(c, &owner, set.get()));
    set.reset();

    for (const auto& [c, v] : open) {
        SCOPED_TRACE(c.Caption);
        const QString table = QString::fromLatin1(c.Table);
        EXPECT_EQ(v.Up->toPlainText(),
                  table + QStringLiteral(" up 1\n") + table + QStringLiteral(" up 2"));
        EXPECT_EQ(v.Down->toPlainText(),
                  table + QStringLiteral(" down 1\n") + table + QStringLiteral(" down 2"));
    }
}

TEST(RawDataViewers, CloseButtonAndTitleBarFreeTheWindow) {
    QWidget owner;
    QPointer<TfrmRawData> byButton = ShowRawSNR(&owner, nullptr);
    QPointer<TfrmRawBins> byTitleBar = ShowRawBins(&owner, nullptr);
    QTest::mouseClick(byButton->btnClose, Qt::LeftButton);
    byTitleBar->close();
    ProcessDeletes();
    EXPECT_TRUE(byButton.isNull());
    EXPECT_TRUE(byTitleBar.isNull());

    // Windows still open go with their owner.
    QPointer<TfrmRawData> left;
    {
        QWidget shortLived;
        left = ShowRawHLog(&shortLived, nullptr);
    }
    EXPECT_TRUE(left.isNull());
}

TEST(RawDataViewers, BinsViewerShowsADownstreamOnlyImport) {
    TTempDir dir;
    const std::string bins = dir.File("capture.bins");
    const std::string capture = Answer("vdsl showbins", BinsAnswer(false));
    WriteText(bins, capture);
    QWidget owner;
    TScriptedDialogs dialogs;
    TfrmLoadDataFromFiles dialog(&owner, dialogs);
    dialog.edBINFile->setText(QString::fromStdString(bins));
    const auto set = dialog.GetDrayData();
    QPointer<TfrmRawBins> viewer = ShowRawBins(&owner, set.get());
    EXPECT_TRUE(viewer->memUS->toPlainText().isEmpty());
    EXPECT_EQ(viewer->memDS->toPlainText().split(QLatin1Char('\n')).size(),
              static_cast<qsizetype>(SplitLines(capture).size()));
    EXPECT_EQ(set->ShowBinStatsDS()[12], (TDrayBinEntry{12, 40 - 12, -12, 28 / 3}));
}

// ---------------------------------------------------------------------------------------
// Load-from-files dialog

TEST(LoadDataFromFilesDialog, OpensWithNoProfileAndEmptyFields) {
    TScriptedDialogs dialogs;
    TfrmLoadDataFromFiles dialog(nullptr, dialogs);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Load data from files"));
    EXPECT_EQ(dialog.size(), QSize(467, 256));
    ASSERT_EQ(dialog.cbxProfiles->count(), 10);
    const QStringList items = {QStringLiteral("N/A"), QStringLiteral("8a"),  QStringLiteral("8b"),
                               QStringLiteral("8c"),  QStringLiteral("8d"),  QStringLiteral("12a"),
                               QStringLiteral("12b"), QStringLiteral("17a"), QStringLiteral("30a"),
                               QStringLiteral("35b")};
    for (int i = 0; i < items.size(); ++i)
        EXPECT_EQ(dialog.cbxProfiles->itemText(i), items[i]);
    EXPECT_EQ(dialog.cbxProfiles->currentIndex(), 0);
    EXPECT_FALSE(dialog.cbxProfiles->isEditable());
    for (QLineEdit* edit : {dialog.edStatusFile, dialog.edHlogFile, dialog.edQLNFile,
                            dialog.edSNRFile, dialog.edBINFile})
        EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_TRUE(dialog.btnOK->isDefault());
}

TEST(LoadDataFromFilesDialog, AllFieldsEmptyGiveAnEmptySetWithTheChosenProfile) {
    TScriptedDialogs dialogs;
    TfrmLoadDataFromFiles dialog(nullptr, dialogs);
    dialog.cbxProfiles->setCurrentIndex(7);
    const auto set = dialog.GetDrayData();
    EXPECT_EQ(set->Name(), "Loaded from file");
    EXPECT_EQ(set->VDSLProfile(), vp17a);
    EXPECT_TRUE(set->Stats().empty());
    EXPECT_TRUE(set->HLogUSRaw().empty() && set->BinStatsDSRaw().empty());
    EXPECT_TRUE(set->SNRStatsDS()[0].IsEmpty());
    EXPECT_EQ(set->QLNMultipliers(), (TStatMultipliers{0, 0}));
}

TEST(LoadDataFromFilesDialog, CapturesGiveTheSameTablesAsTheRouterAnswers) {
    const std::string hlog = Answer("vdsl status hlog", GroupAnswer("(dB)", -20));
    const std::string qln = Answer("vdsl status qln", GroupAnswer("(dBm/Hz)", -120));
    const std::string snr = Answer("vdsl status snr", GroupAnswer("(dB)", 60));
    const std::string binsDown = Answer("vdsl showbins", BinsAnswer(false));
    const std::string binsUp = Answer("vdsl showbins up", BinsAnswer(true));

    // The set as a retrieval fills it.
    TDrayData retrieved("retrieved");
    retrieved.SetHLogData(SplitLines(hlog));
    retrieved.SetQLNData(SplitLines(qln));
    retrieved.SetSNRData(SplitLines(snr));
    retrieved.SetBinStatsDSRaw(RetrievedBinLines(binsDown));
    retrieved.SetBinStatsUSRaw(RetrievedBinLines(binsUp));

    TTempDir dir;
    WriteText(dir.File("line.hlog"), hlog);
    WriteText(dir.File("line.qln"), qln);
    WriteText(dir.File("line.snr"), snr);
    WriteText(dir.File("line.bins"), binsDown + "\r\n" + binsUp);

    TScriptedDialogs dialogs;
    TfrmLoadDataFromFiles dialog(nullptr, dialogs);
    dialog.cbxProfiles->setCurrentIndex(vp35b);
    dialog.edHlogFile->setText(QString::fromStdString(dir.File("line.hlog")));
    dialog.edQLNFile->setText(QString::fromStdString(dir.File("line.qln")));
    dialog.edSNRFile->setText(QString::fromStdString(dir.File("line.snr")));
    dialog.edBINFile->setText(QString::fromStdString(dir.File("line.bins")));
    const auto loaded = dialog.GetDrayData();

    EXPECT_EQ(loaded->VDSLProfile(), vp35b);
    EXPECT_EQ(loaded->HLogMultipliers(), (TStatMultipliers{8, 16}));
    EXPECT_EQ(loaded->HLogMultipliers(), retrieved.HLogMultipliers());
    EXPECT_EQ(loaded->QLNMultipliers(), retrieved.QLNMultipliers());
    EXPECT_EQ(loaded->SNRMultipliers(), retrieved.SNRMultipliers());
    EXPECT_EQ(loaded->HLogUSRaw(), retrieved.HLogUSRaw());
    EXPECT_EQ(loaded->HLogDSRaw(), retrieved.HLogDSRaw());
    EXPECT_EQ(loaded->QLNDSRaw(), retrieved.QLNDSRaw());
    EXPECT_EQ(loaded->SNRUSRaw(), retrieved.SNRUSRaw());
    EXPECT_EQ(loaded->HLogStatsUS(), retrieved.HLogStatsUS());
    EXPECT_EQ(loaded->HLogStatsDS(), retrieved.HLogStatsDS());
    EXPECT_EQ(loaded->QLNStatsUS(), retrieved.QLNStatsUS());
    EXPECT_EQ(loaded->QLNStatsDS(), retrieved.QLNStatsDS());
    EXPECT_EQ(loaded->SNRStatsUS(), retrieved.SNRStatsUS());
    EXPECT_EQ(loaded->SNRStatsDS(), retrieved.SNRStatsDS());
    EXPECT_EQ(loaded->ShowBinStatsUS(), retrieved.ShowBinStatsUS());
    EXPECT_EQ(loaded->ShowBinStatsDS(), retrieved.ShowBinStatsDS());
    // The fixture does reach the tables: values, gaps and both bins directions.
    EXPECT_EQ(loaded->SNRStatsDS()[2].Value(), 60 - 2 - 100);
    EXPECT_TRUE(loaded->SNRStatsDS()[1].IsNull());
    EXPECT_TRUE(loaded->HLogStatsUS()[3].IsNull());
    EXPECT_EQ(loaded->ShowBinStatsUS()[200], (TDrayBinEntry{200, 22, -20, 7}));
    EXPECT_EQ(loaded->ShowBinStatsDS()[5], (TDrayBinEntry{5, 35, -5, 11}));
}

TEST(LoadDataFromFilesDialog, MissingFileFailsAfterTheViewsWereEmptied) {
    TTempDir dir;
    WriteText(dir.File("line.hlog"), Answer("vdsl status hlog", GroupAnswer("(dB)", -20)));
    TScriptedDialogs dialogs;
    bool emptied = false;
    WhenModal<TfrmLoadDataFromFiles>([&](TfrmLoadDataFromFiles* dialog) {
        dialog->edHlogFile->setText(QString::fromStdString(dir.File("line.hlog")));
        dialog->edSNRFile->setText(QString::fromStdString(dir.File("missing.snr")));
        QTest::mouseClick(dialog->btnOK, Qt::LeftButton);
    });
    try {
        LoadDataFromFiles(nullptr, dialogs, [&] { emptied = true; });
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + dir.File("missing.snr") +
                                             "\". No such file or directory");
    }
    EXPECT_TRUE(emptied);
}

TEST(LoadDataFromFilesDialog, OkWithEnterBuildsTheSetAndCancelBuildsNothing) {
    TScriptedDialogs dialogs;
    int accepted = 0;
    WhenModal<TfrmLoadDataFromFiles>([](TfrmLoadDataFromFiles* dialog) {
        dialog->cbxProfiles->setCurrentIndex(3);
        dialog->edQLNFile->setFocus();
        QTest::keyClick(dialog->edQLNFile, Qt::Key_Return);
    });
    const auto set = LoadDataFromFiles(nullptr, dialogs, [&] { ++accepted; });
    ASSERT_TRUE(set);
    EXPECT_EQ(set->VDSLProfile(), vp8c);
    EXPECT_EQ(accepted, 1);

    // Escape is not Cancel; the Cancel button and the title bar are.
    for (const bool byButton : {true, false}) {
        bool escapeClosed = false;
        WhenModal<TfrmLoadDataFromFiles>([&](TfrmLoadDataFromFiles* dialog) {
            QTest::keyClick(dialog, Qt::Key_Escape);
            escapeClosed = !dialog->isVisible();
            if (byButton)
                QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
            else
                dialog->close();
        });
        EXPECT_EQ(LoadDataFromFiles(nullptr, dialogs, [&] { ++accepted; }), nullptr);
        EXPECT_FALSE(escapeClosed);
    }
    EXPECT_EQ(accepted, 1);
}

TEST(LoadDataFromFilesDialog, BinsCaptureWithoutUpstreamTitleIsDownstreamOnly) {
    TTempDir dir;
    std::string capture = Answer("vdsl showbins", BinsAnswer(false)) + "\r\n" +
                          Answer("vdsl showbins up", BinsAnswer(true));
    capture.replace(capture.find("UPSTREAM :"), 10, "upstream :");
    WriteText(dir.File("lower.bins"), capture);
    WriteText(dir.File("line.qln"), Answer("vdsl status qln", GroupAnswer("(dBm/Hz)", -120)));

    TScriptedDialogs dialogs;
    TfrmLoadDataFromFiles dialog(nullptr, dialogs);
    dialog.edQLNFile->setText(QString::fromStdString(dir.File("line.qln")));
    dialog.edBINFile->setText(QString::fromStdString(dir.File("lower.bins")));
    const auto set = dialog.GetDrayData();
    EXPECT_TRUE(set->BinStatsUSRaw().empty());
    EXPECT_EQ(set->BinStatsDSRaw(), SplitLines(capture)) << "all of it is downstream";
    EXPECT_EQ(set->ShowBinStatsUS(), TDrayBinArray{});
    EXPECT_EQ(set->QLNStatsUS()[0].Value(), -120);

    // Neither title: refused, naming the file.
    const std::string notes = dir.File("notes.bins");
    WriteText(notes, " 33 42 -20 8\r\n");
    dialog.edBINFile->setText(QString::fromStdString(notes));
    try {
        dialog.GetDrayData();
        ADD_FAILURE() << "no error";
    } catch (const EDrayDataError& e) {
        EXPECT_NE(std::string(e.what()).find("The bins capture \"" + notes + "\" holds neither"),
                  std::string::npos)
            << e.what();
    }
}

TEST(LoadDataFromFilesDialog, EachSelectButtonPreselectsItsFileType) {
    TScriptedDialogs dialogs;
    dialogs.Answers = {QStringLiteral("/data/a.hlog"), QStringLiteral("/data/b.qln"), std::nullopt,
                       QStringLiteral("/data/d.bins")};
    TfrmLoadDataFromFiles dialog(nullptr, dialogs);
    dialog.edSNRFile->setText(QStringLiteral("typed.snr"));
    struct TSelect {
        QPushButton* Button;
        QLineEdit* Field;
        int FileType;
        QString Expected;
    };
    const std::vector<TSelect> selects = {
        {dialog.btnSelectHLogFile, dialog.edHlogFile, 2, QStringLiteral("/data/a.hlog")},
        {dialog.btnSelectQLNFile, dialog.edQLNFile, 3, QStringLiteral("/data/b.qln")},
        {dialog.btnSelectSNRFile, dialog.edSNRFile, 4, QStringLiteral("typed.snr")},
        {dialog.btnSlectBINFile, dialog.edBINFile, 5, QStringLiteral("/data/d.bins")},
    };
    for (const TSelect& s : selects)
        QTest::mouseClick(s.Button, Qt::LeftButton);

    ASSERT_EQ(dialogs.Requests.size(), selects.size());
    const QList<TFileFilter> types = TfrmLoadDataFromFiles::FileTypes();
    ASSERT_EQ(types.size(), 6);
    EXPECT_EQ(types[2].Label, QStringLiteral("QLN files (*.qln)"));
    EXPECT_EQ(types[5].Mask, QStringLiteral("*.*"));
    for (std::size_t i = 0; i < selects.size(); ++i) {
        const TFileDialogOptions& request = dialogs.Requests[i];
        EXPECT_EQ(request.FilterIndex, selects[i].FileType);
        EXPECT_EQ(request.Title, QStringLiteral("Load file"));
        EXPECT_TRUE(request.DefaultExt.isEmpty());
        ASSERT_EQ(request.Filters.size(), types.size());
        EXPECT_EQ(request.Filters[1].Label, QStringLiteral("HLog files (*.hlog)"));
        EXPECT_EQ(selects[i].Field->text(), selects[i].Expected);
    }
    // One dialog serves all buttons: each opens where the previous choice was made.
    EXPECT_EQ(dialogs.Requests[1].FileName, QStringLiteral("/data/a.hlog"));
    EXPECT_EQ(dialogs.Requests[3].FileName, QStringLiteral("/data/b.qln"));
}

// ---------------------------------------------------------------------------------------
// Legend and about

const char* const LegendTerms[] = {"Running Mode:",
                                   "Status:",
                                   "DS Actual Rate:",
                                   "US Actual Rate:",
                                   "DS Attainable Rate:",
                                   "US Attainable Rate:",
                                   "DS Path Mode:",
                                   "US Interleave Depth:",
                                   "NE Current Attenuation:",
                                   "Cur SNR Margin:",
                                   "DS actual PSD:",
                                   "US actual PSD:",
                                   "NE CRC Count:",
                                   "FE CRC Count:",
                                   "NE ES Count:",
                                   "FE ES Count:",
                                   "Xdsl Reset Times:",
                                   "Xdsl Link Times:",
                                   "ITU Version[0]:",
                                   "ITU Version[1]:",
                                   "VDSL Firmware Version:",
                                   "Power Management Mode:",
                                   "Far Current Attenuation:",
                                   "Far SNR Margin:",
                                   "CO ITU Version[0]:",
                                   "CO ITU Version[1]:",
                                   "DSLAM CHIPSET VENDOR:",
                                   "Trellis",
                                   "Bitswap",
                                   "ReTxEnable",
                                   "VirtualNoise",
                                   "20BitSupport",
                                   "LatencyPath",
                                   "LOS",
                                   "LOF",
                                   "LPR",
                                   "LOM",
                                   "SosSuccess",
                                   "NCD",
                                   "LCD",
                                   "FECS",
                                   "ES",
                                   "SES",
                                   "LOSS",
                                   "UAS",
                                   "HECError",
                                   "CRC",
                                   "INP",
                                   "InterleaveDelay",
                                   "NFEC",
                                   "RFEC",
                                   "LSYMB",
                                   "INTLVBLOCK",
                                   "AELEM"};

// The bold runs of the document: the terms of its entries, in order.
QStringList BoldRuns(const QTextDocument& ADocument) {
    QStringList terms;
    for (QTextBlock block = ADocument.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().fontWeight() >= QFont::Bold)
                terms << it.fragment().text();
    return terms;
}

TEST(LegendWindow, EachUseOpensAnotherWindowWithEveryTerm) {
    QPointer<TfrmxDSLStatLegend> first = ShowLegend();
    QPointer<TfrmxDSLStatLegend> second = ShowLegend();
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("xDSL stat legend"));
    EXPECT_TRUE(first->isVisible() && second->isVisible());
    EXPECT_EQ(first->parentWidget(), nullptr);
    EXPECT_EQ(first->memLegend->toPlainText(), second->memLegend->toPlainText());

    QStringList expected;
    for (const char* term : LegendTerms)
        expected << QString::fromLatin1(term);
    EXPECT_EQ(BoldRuns(*first->memLegend->document()), expected);

    const QTextDocument& document = *first->memLegend->document();
    // White text, every entry.
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            EXPECT_EQ(it.fragment().charFormat().foreground().color(), QColor(Qt::white))
                << it.fragment().text().toStdString();

    first->close();
    second->close();
    ProcessDeletes();
    EXPECT_TRUE(first.isNull() && second.isNull());
}

TEST(LegendWindow, TypedTextIsGoneInTheNextWindow) {
    QPointer<TfrmxDSLStatLegend> legend = ShowLegend();
    const QString original = legend->memLegend->toPlainText();
    EXPECT_FALSE(legend->memLegend->isReadOnly());
    QTest::keyClicks(legend->memLegend, QStringLiteral("my own note"));
    EXPECT_TRUE(legend->memLegend->toPlainText().contains(QStringLiteral("my own note")));
    legend->close();
    ProcessDeletes();

    QPointer<TfrmxDSLStatLegend> next = ShowLegend();
    EXPECT_EQ(next->memLegend->toPlainText(), original);
    next->close();
    ProcessDeletes();
}

TEST(LegendWindow, OpenWindowsGoWhenTheProgramEnds) {
    QPointer<TfrmxDSLStatLegend> legend = ShowLegend();
    // An open legend is no reason to keep running once the main window has closed.
    EXPECT_FALSE(legend->testAttribute(Qt::WA_QuitOnClose));
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QApplication::exec();
    EXPECT_TRUE(legend.isNull());
}

TEST(AboutBox, IsModalAndClosesWithOkOrEnter) {
    EXPECT_FALSE(ProgramIcon().isNull());
    QWidget owner;
    for (const bool withEnter : {false, true}) {
        bool seen = false;
        WhenModal<TfrmAbout>([&](TfrmAbout* box) {
            seen = true;
            EXPECT_TRUE(box->isModal());
            EXPECT_EQ(box->parentWidget(), &owner);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("About"));
            EXPECT_EQ(box->ProductName->text(), QStringLiteral("Vexlorin"));
            // The build's one version, as --version prints it.
            EXPECT_EQ(box->Version->text(),
                      QStringLiteral("Version ") + QString::fromLatin1(ProgramVersion));
            EXPECT_EQ(box->imgProgramIcon->pixmap().size(), QSize(32, 32));
            for (QLabel* line : {box->lblPurpose, box->lblLicence, box->lblIssues})
                EXPECT_FALSE(line->text().isEmpty());
            EXPECT_TRUE(box->lblLicence->text().contains(QStringLiteral("MIT")));
            EXPECT_TRUE(box->OKButton->isDefault());
            if (withEnter)
                QTest::keyClick(box, Qt::Key_Return);
            else
                QTest::mouseClick(box->OKButton, Qt::LeftButton);
        });
        ShowAbout(&owner);
        EXPECT_TRUE(seen);
        EXPECT_EQ(owner.findChild<TfrmAbout*>(), nullptr);
    }
}

} // namespace
} // namespace vexlorin
