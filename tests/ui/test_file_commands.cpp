// The main window's file commands on real files in a temporary folder: statistics files,
// configuration files (also named by the switch c at start), sets from text captures and
// the auxiliary windows the window's buttons open.
#include "TestSupport.h"
#include "ui/fmLoadDataFromFile.h"
#include "ui/fmRawBins.h"
#include "ui/fmRawData.h"
#include "ui/fmxDLSStatLegend.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <vector>

namespace vexlorin::test {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> AValues) {
    std::vector<uint8_t> bytes;
    for (int value : AValues)
        bytes.push_back(static_cast<uint8_t>(value));
    return bytes;
}

void Append(std::vector<uint8_t>& ABytes, const std::vector<uint8_t>& AMore) {
    ABytes.insert(ABytes.end(), AMore.begin(), AMore.end());
}

// A short string value (tag 06) of ASCII text.
std::vector<uint8_t> ShortString(const std::string& AText) {
    std::vector<uint8_t> bytes(AText.size() + 2);
    bytes[0] = 0x06;
    bytes[1] = static_cast<uint8_t>(AText.size());
    std::copy(AText.begin(), AText.end(), bytes.begin() + 2);
    return bytes;
}

std::vector<uint8_t> ReadAll(const QString& AFileName) {
    QFile file(AFileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return {data.begin(), data.end()};
}

void WriteAll(const QString& AFileName, const std::vector<uint8_t>& ABytes) {
    QFile file(AFileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(reinterpret_cast<const char*>(ABytes.data()), static_cast<qint64>(ABytes.size()));
}

class FileCommands : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(Dir.isValid());
        Window->SetClock([] { return QDateTime(QDate(2024, 1, 3), QTime(9, 5, 7)); });
    }
    QString File(const QString& AName) const { return Dir.filePath(AName); }
    void Answer(const QString& AFileName) { Dialogs->Answers.push_back(AFileName); }

    // Runs an action the way the user does: through its button or menu.
    void Use(QAction* AAction) {
        ASSERT_TRUE(AAction->isEnabled()) << AAction->text().toStdString();
        AAction->trigger();
    }

    QTemporaryDir Dir;
};

// ---------------------------------------------------------------------------------------
// Statistics files

TEST_F(FileCommands, SaveRemoveAndLoadGiveTheSameSet) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    TSetOptions options;
    options.Profile = vp35b;
    options.NullHLogDS = {3, 100};
    options.Stats = {" [ STATUS ]", "  Running Mode : 35B", "  Zoë's line"};
    const auto original = MakeSet("20231208-142501-DrayTek.draydata", options);
    Add("20231208-142501-DrayTek.draydata", options);
    w.lbxStatisticsClick();
    const QString text = ui.memStats->toPlainText();
    std::vector<int> pointsBefore;
    for (const TChart* chart : w.LineCharts().Charts())
        pointsBefore.push_back(chart->SeriesCount() ? chart->Series(0)->Count() : 0);

    const QString path = File(QStringLiteral("saved.draydata"));
    Answer(path);
    Use(ui.acnSaveStatToFile);
    ASSERT_EQ(Dialogs->Asked.size(), 1);
    const TFileDialogOptions& asked = Dialogs->Asked.back();
    EXPECT_EQ(asked.Title, QStringLiteral("Save statistics to file"));
    // The proposal comes from the clock and the router name now, not from the set.
    EXPECT_EQ(asked.FileName, QStringLiteral("20240103-090507-DrayTek.draydata"));
    EXPECT_EQ(asked.DefaultExt, QStringLiteral("draydata"));
    EXPECT_TRUE(asked.OverwritePrompt);
    ASSERT_EQ(asked.Filters.size(), 2);
    EXPECT_EQ(asked.Filters[0].Mask, QStringLiteral("*.draydata"));
    EXPECT_EQ(asked.Filters[1].Mask, QStringLiteral("*.*"));
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(QFile::exists(path));

    Use(ui.acnRemove);
    ASSERT_EQ(w.DrayDataList().Count(), 0u);
    EXPECT_TRUE(ui.memStats->toPlainText().isEmpty());

    Answer(path);
    Use(ui.acnLoadStatFromFile);
    const TFileDialogOptions& opened = Dialogs->Asked.back();
    EXPECT_EQ(opened.Title, QStringLiteral("Open statistics file"));
    ASSERT_EQ(opened.Filters.size(), 2);
    EXPECT_EQ(opened.Filters[0].Label, QStringLiteral("DrayData file (*.draydata)"));
    // Every file, also those without a hyphen in their names.
    EXPECT_EQ(opened.Filters[1].Label, QStringLiteral("All files (*)"));
    EXPECT_EQ(opened.Filters[1].Mask, QStringLiteral("*"));
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
    EXPECT_TRUE(Dialogs->Refusals.isEmpty());

    ASSERT_EQ(Entries(), QStringList{QStringLiteral("20231208-142501-DrayTek.draydata")});
    const TDrayData* loaded = w.GetSelectedDrayData();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->VDSLProfile(), vp35b);
    EXPECT_EQ(loaded->Stats(), original->Stats());
    EXPECT_EQ(loaded->HLogUSRaw(), original->HLogUSRaw());
    EXPECT_EQ(loaded->HLogDSRaw(), original->HLogDSRaw());
    EXPECT_EQ(loaded->QLNDSRaw(), original->QLNDSRaw());
    EXPECT_EQ(loaded->SNRUSRaw(), original->SNRUSRaw());
    EXPECT_EQ(loaded->BinStatsUSRaw(), original->BinStatsUSRaw());
    EXPECT_EQ(loaded->BinStatsDSRaw(), original->BinStatsDSRaw());
    EXPECT_EQ(loaded->HLogStatsDS(), original->HLogStatsDS());
    // Shown at once: text, label and charts.
    EXPECT_EQ(ui.memStats->toPlainText(), text);
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: 35B"));
    std::vector<int> pointsAfter;
    for (const TChart* chart : w.LineCharts().Charts())
        pointsAfter.push_back(chart->SeriesCount() ? chart->Series(0)->Count() : 0);
    EXPECT_EQ(pointsAfter, pointsBefore);
    EXPECT_GT(pointsAfter[0], 0);
}

TEST_F(FileCommands, LoadingAListedNameIsRefused) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    Add("Line-A.draydata");
    const QString path = File(QStringLiteral("a.draydata"));
    Answer(path);
    Use(ui.acnSaveStatToFile);

    // The same file again, and a file whose set name differs only in letter case.
    MakeSet("LINE-a.DRAYDATA")->SaveToFile(File(QStringLiteral("upper")).toStdString());
    Add("Other.draydata");
    w.lbxStatisticsClick();
    const QString shown = ui.memStats->toPlainText();
    for (const QString& name : {path, File(QStringLiteral("upper"))}) {
        SCOPED_TRACE(name.toStdString());
        Dialogs->Refusals.clear();
        Answer(name);
        Use(ui.acnLoadStatFromFile);
        EXPECT_EQ(Dialogs->Refusals, QStringList{QStringLiteral("Data already loaded")});
        EXPECT_EQ(Entries(), (QStringList{QStringLiteral("Line-A.draydata"),
                                          QStringLiteral("Other.draydata")}));
        EXPECT_EQ(w.GetSelectedDrayData()->Name(), "Other.draydata");
        EXPECT_EQ(ui.memStats->toPlainText(), shown);
    }
}

TEST_F(FileCommands, FailedStatisticsCommandsChangeNothing) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    Add("Kept.draydata");
    const QString junk = File(QStringLiteral("junk.draydata"));
    WriteAll(junk, Bytes({0x06, 0x03, 'a', 'b', 'c', 0x00}));
    struct Case {
        QString File;
        QString Failure; // start of the failure box text
    };
    const Case cases[] = {
        {junk, QStringLiteral("Not a valida 'DrayData' file.")},
        {File(QStringLiteral("missing.draydata")), QStringLiteral("Cannot open file")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File.toStdString());
        Dialogs->Failures.clear();
        Answer(c.File);
        Use(ui.acnLoadStatFromFile);
        ASSERT_EQ(Dialogs->Failures.size(), 1);
        EXPECT_TRUE(Dialogs->Failures[0].startsWith(c.Failure))
            << Dialogs->Failures[0].toStdString();
        EXPECT_EQ(Entries(), QStringList{QStringLiteral("Kept.draydata")});
    }

    // A folder that does not exist: the failure is shown and the cursor is back to normal.
    Dialogs->Failures.clear();
    Answer(File(QStringLiteral("no-such-folder/x.draydata")));
    Use(ui.acnSaveStatToFile);
    ASSERT_EQ(Dialogs->Failures.size(), 1);
    EXPECT_TRUE(Dialogs->Failures[0].startsWith(QStringLiteral("Cannot create file")));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Cancelled dialogs do nothing.
    Dialogs->Failures.clear();
    Use(ui.acnSaveStatToFile);
    Use(ui.acnLoadStatFromFile);
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("Kept.draydata")});
}

// ---------------------------------------------------------------------------------------
// Configuration files

// Address 10.0.0.1, port 23, user monitor, both options on, router name DrayTek.
const std::vector<uint8_t> WorkedExample =
    Bytes({0x06, 0x0A, 0x5A, 0x4F, 0x52, 0x56, 0x41, 0x4E, 0x54, 0x49, 0x4B, 0x32, 0x06, 0x08, 0x31,
           0x30, 0x2E, 0x30, 0x2E, 0x30, 0x2E, 0x31, 0x02, 0x17, 0x06, 0x07, 0x6D, 0x6F, 0x6E, 0x69,
           0x74, 0x6F, 0x72, 0x09, 0x09, 0x06, 0x07, 0x44, 0x72, 0x61, 0x79, 0x54, 0x65, 0x6B});

TEST_F(FileCommands, SaveAndLoadConfigurationLeaveThePasswordAlone) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    ui.edRouter->setText(QStringLiteral("10.0.0.1"));
    ui.edUser->setText(QStringLiteral("monitor"));
    ui.edPassword->setText(QStringLiteral("s3cret"));
    ui.chkShowBins->setChecked(true);
    const QString path = File(QStringLiteral("router.conf"));
    Answer(path);
    Use(ui.acnSaveConfiguration);
    const TFileDialogOptions& asked = Dialogs->Asked.back();
    EXPECT_EQ(asked.Title, QStringLiteral("Save configuration file"));
    EXPECT_EQ(asked.DefaultExt, QStringLiteral("conf"));
    EXPECT_TRUE(asked.OverwritePrompt);
    EXPECT_EQ(ReadAll(path), WorkedExample);

    // Everything changed, then loaded back; the password typed since stays.
    ui.edRouter->setText(QStringLiteral("192.0.2.9"));
    ui.udTelnetPort->setValue(8023);
    ui.edUser->setText(QStringLiteral("other"));
    ui.chkShowBins->setChecked(false);
    ui.chkSNRBug->setChecked(false);
    ui.edRouterName->setText(QStringLiteral("Vigor"));
    ui.edPassword->setText(QStringLiteral("typed later"));
    Answer(path);
    Use(ui.acnLoadConfiguration);
    EXPECT_TRUE(Dialogs->Asked.back().Title.isEmpty());
    EXPECT_EQ(Dialogs->Asked.back().Filters[0].Label,
              QStringLiteral("Configuration file (*.conf)"));
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
    EXPECT_TRUE(Dialogs->Refusals.isEmpty());
    EXPECT_EQ(ui.edRouter->text(), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(ui.edRouterPort->text(), QStringLiteral("23"));
    EXPECT_EQ(ui.edUser->text(), QStringLiteral("monitor"));
    EXPECT_TRUE(ui.chkShowBins->isChecked());
    EXPECT_TRUE(ui.chkSNRBug->isChecked());
    EXPECT_EQ(ui.edRouterName->text(), QStringLiteral("DrayTek"));
    EXPECT_EQ(ui.edPassword->text(), QStringLiteral("typed later"));
    // The loaded fields enable the retrieval.
    EXPECT_TRUE(ui.acnRetrieveData->isEnabled());
}

TEST_F(FileCommands, LoadConfigurationVersionsAndBrokenFiles) {
    // Version 1: one more integer after the user name, ignored.
    std::vector<uint8_t> version1 = ShortString("ZORVANTIK");
    Append(version1, ShortString("router.lan"));
    Append(version1, Bytes({0x03, 0x57, 0x1F})); // 8023
    Append(version1, ShortString("zoe"));
    Append(version1, Bytes({0x04, 0x40, 0x9C, 0x00, 0x00})); // the ignored integer
    Append(version1, Bytes({0x09, 0x08}));
    Append(version1, ShortString("Vigor"));

    std::vector<uint8_t> lowerCase = WorkedExample;
    for (std::size_t i = 2; i < 11; ++i)
        lowerCase[i] = static_cast<uint8_t>(std::tolower(lowerCase[i]));
    // Ends right after the user name.
    const std::vector<uint8_t> truncated(WorkedExample.begin(), WorkedExample.begin() + 33);
    // Version 2 signature on the version 1 layout: the extra integer is no boolean.
    std::vector<uint8_t> mixed = version1;
    mixed.erase(mixed.begin(), mixed.begin() + 11);
    const std::vector<uint8_t> signature2 = ShortString("ZORVANTIK2");
    mixed.insert(mixed.begin(), signature2.begin(), signature2.end());

    struct TFields {
        QString Router, Port, User;
        bool Bins, SNRBug;
        QString RouterName;
    };
    const TFields before{"192.0.2.9", "99", "before", false, false, "Before"};
    struct Case {
        const char* Name;
        std::vector<uint8_t> Content;
        TFields After;
        QString Refusal;
        QString Failure;
    };
    const Case cases[] = {
        {"version 1", version1, {"router.lan", "8023", "zoe", true, false, "Vigor"}, {}, {}},
        {"signature in lower case", lowerCase, before, "Invalid configuration file", {}},
        {"truncated after the user",
         truncated,
         {"10.0.0.1", "23", "monitor", false, false, "Before"},
         {},
         "Stream read error."},
        {"version 2 with the version 1 integer",
         mixed,
         {"router.lan", "8023", "zoe", false, false, "Before"},
         {},
         "Invalid property value."},
        {"empty file", {}, before, {}, "Stream read error."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TfrmMain& w = *Window;
        const TMainControls ui(w);
        ui.edRouter->setText(before.Router);
        ui.udTelnetPort->setValue(before.Port.toInt());
        ui.edUser->setText(before.User);
        ui.chkShowBins->setChecked(before.Bins);
        ui.chkSNRBug->setChecked(before.SNRBug);
        ui.edRouterName->setText(before.RouterName);
        Dialogs->Failures.clear();
        Dialogs->Refusals.clear();
        const QString path = File(QStringLiteral("case.conf"));
        WriteAll(path, c.Content);
        Answer(path);
        Use(ui.acnLoadConfiguration);
        EXPECT_EQ(Dialogs->Refusals, c.Refusal.isEmpty() ? QStringList{} : QStringList{c.Refusal});
        EXPECT_EQ(Dialogs->Failures, c.Failure.isEmpty() ? QStringList{} : QStringList{c.Failure});
        EXPECT_EQ(ui.edRouter->text(), c.After.Router);
        EXPECT_EQ(ui.edRouterPort->text(), c.After.Port);
        EXPECT_EQ(ui.edUser->text(), c.After.User);
        EXPECT_EQ(ui.chkShowBins->isChecked(), c.After.Bins);
        EXPECT_EQ(ui.chkSNRBug->isChecked(), c.After.SNRBug);
        EXPECT_EQ(ui.edRouterName->text(), c.After.RouterName);
    }
}

TEST_F(FileCommands, SwitchCLoadsTheFileAtStartInEachSpelling) {
    const QString path = File(QStringLiteral("start.conf"));
    WriteAll(path, WorkedExample);
    // A separate value must not begin with "-" or "/", so that one names the file relative
    // to the working folder.
    const QString previousFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(Dir.path()));
    const QStringList spellings[] = {
        {QStringLiteral("-C:") + path},
        {QStringLiteral("/c") + path},
        {QStringLiteral("-c"), QStringLiteral("start.conf")},
    };
    for (const QStringList& arguments : spellings) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        auto shared = std::make_shared<TFakeDialogs::TShared>();
        TfrmMain w(arguments, std::make_unique<TFakeDialogs>(shared));
        const TMainControls ui(w);
        EXPECT_TRUE(shared->Failures.isEmpty());
        EXPECT_EQ(ui.edRouter->text(), QStringLiteral("10.0.0.1"));
        EXPECT_EQ(ui.edUser->text(), QStringLiteral("monitor"));
        EXPECT_TRUE(ui.chkShowBins->isChecked());
        // Loaded during creation, so the retrieval is ready from the start.
        EXPECT_TRUE(ui.acnRetrieveData->isEnabled());
        EXPECT_TRUE(ui.lbxStatistics->isEnabled());
    }
    QDir::setCurrent(previousFolder);

    // Without a value the load fails, and the window still opens with its defaults.
    for (const QStringList& arguments : {QStringList{QStringLiteral("-c")},
                                         QStringList{QStringLiteral("/C"), QStringLiteral("-x")}}) {
        auto shared = std::make_shared<TFakeDialogs::TShared>();
        TfrmMain w(arguments, std::make_unique<TFakeDialogs>(shared));
        const TMainControls ui(w);
        ASSERT_EQ(shared->Failures.size(), 1);
        EXPECT_TRUE(shared->Failures[0].startsWith(QStringLiteral("Cannot open file \"\"")))
            << shared->Failures[0].toStdString();
        EXPECT_TRUE(ui.edRouter->text().isEmpty());
        EXPECT_EQ(ui.edRouterName->text(), QStringLiteral("DrayTek"));
    }
}

// ---------------------------------------------------------------------------------------
// Sets from text captures, auxiliary windows

template <class T> QList<T*> TopLevels() {
    QList<T*> found;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<T*>(widget))
            found << window;
    return found;
}

TEST_F(FileCommands, LoadDataFromFileAddsTheImportedSetAndShowsItsCharts) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    const QString hlog = File(QStringLiteral("line.hlog"));
    const std::string capture = JoinLines(GroupAnswer("vdsl status hlog", "dB", 8, 16, HLogValue));
    WriteAll(hlog, std::vector<uint8_t>(capture.begin(), capture.end()));
    Add("Shown before.draydata");
    w.lbxStatisticsClick();

    QTimer::singleShot(0, &w, [hlog] {
        auto* dialog = qobject_cast<TfrmLoadDataFromFiles*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "the dialog did not show";
            return;
        }
        dialog->cbxProfiles->setCurrentIndex(vp35b);
        dialog->edHlogFile->setText(hlog);
        dialog->btnOK->click();
    });
    Use(ui.acnLoadDataFromFile);
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
    ASSERT_NE(w.GetSelectedDrayData(), nullptr);
    EXPECT_EQ(w.GetSelectedDrayData()->Name(), "Loaded from file");
    EXPECT_EQ(w.DrayDataList().Count(), 2u);
    EXPECT_EQ(ui.pgcMain->currentWidget(), ui.tbsHLog);
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: 35B"));
    // An imported set has no statistics text.
    EXPECT_TRUE(ui.memStats->toPlainText().isEmpty());
    ASSERT_EQ(ui.chartHLog->SeriesCount(), 2);
    EXPECT_GT(ui.chartHLog->Series(0)->Count(), 0);
}

TEST_F(FileCommands, ShowRawDataButtonsOpenViewersOfTheSelectedSet) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    const TDrayData* set = Add("Raw.draydata");
    struct Case {
        QPushButton* Button;
        QString Caption;
        TStringList Upstream;
    };
    const Case cases[] = {
        {ui.btnHLogShowRaw, QStringLiteral("HLOG Raw Data"), set->HLogUSRaw()},
        {ui.btnQLNShowRawData, QStringLiteral("QLN Raw Data"), set->QLNUSRaw()},
        {ui.btnSNRShowRawData, QStringLiteral("SNR Raw Data"), set->SNRUSRaw()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Caption.toStdString());
        const auto before = TopLevels<TfrmRawData>();
        c.Button->click();
        auto after = TopLevels<TfrmRawData>();
        for (TfrmRawData* old : before)
            after.removeAll(old);
        ASSERT_EQ(after.size(), 1);
        EXPECT_EQ(after[0]->windowTitle(), c.Caption);
        EXPECT_EQ(after[0]->memUS->toPlainText().trimmed(), RawLinesText(c.Upstream).trimmed());
    }
    ui.btnBinShowRawData->click();
    ASSERT_EQ(TopLevels<TfrmRawBins>().size(), 1);
    EXPECT_EQ(TopLevels<TfrmRawBins>()[0]->memDS->toPlainText().trimmed(),
              RawLinesText(set->BinStatsDSRaw()).trimmed());

    const int legends = static_cast<int>(TopLevels<TfrmxDSLStatLegend>().size());
    ui.bfnStatsLegend->click();
    EXPECT_EQ(TopLevels<TfrmxDSLStatLegend>().size(), legends + 1);
    for (TfrmxDSLStatLegend* legend : TopLevels<TfrmxDSLStatLegend>())
        delete legend;
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
}

} // namespace
} // namespace vexlorin::test
