// The page "Summary": the values of real captures with their units, copying them as text,
// and the main window keeping it on the shown set through selection, removal, loading and
// retrieval.
#include "../CaptureFixtures.h"
#include "RouterSim.h"
#include "TestSupport.h"
#include "model/TextFile.h"
#include "ui/SummaryView.h"
#include "ui/fmLoadDataFromFile.h"

#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace vexlorin::test {
namespace {

std::string Fixture(const std::string& AName) {
    return ConsoleFixture(AName);
}

TStringList CollapsedStatus() {
    return WithoutWebSuffixes(ReadTextFileLines(Fixture("vdsl-status-collapsed.txt")));
}

QTableWidget* Table(const QWidget& AParent, const char* AName) {
    auto* table = AParent.findChild<QTableWidget*>(QString::fromLatin1(AName));
    EXPECT_NE(table, nullptr) << AName;
    return table;
}

int RowOf(const QTableWidget* ATable, const QString& ALabel) {
    for (int row = 0; row < ATable->rowCount(); ++row)
        if (ATable->item(row, 0) && ATable->item(row, 0)->text() == ALabel)
            return row;
    return -1;
}

// The cells of the row labelled ALabel, label first; empty when there is no such row.
QStringList Row(const QTableWidget* ATable, const QString& ALabel) {
    QStringList cells;
    const int row = RowOf(ATable, ALabel);
    for (int column = 0; row >= 0 && column < ATable->columnCount(); ++column)
        cells << ATable->item(row, column)->text();
    return cells;
}

const QString Dash = QString(QChar(0x2014));

TEST(SummaryViewPage, ShowsTheCapturesOwnValuesWithUnits) {
    TDrayData set("Loaded from file");
    set.SetStats(CollapsedStatus());
    set.LoadBinsFromFile(Fixture("vdsl-showbins-excerpt.txt"));
    TSummaryView view;
    view.ShowSet(&set);

    const QTableWidget* line = Table(view, "tblSummaryLine");
    EXPECT_EQ(Row(line, QStringLiteral("Line state")), (QStringList{"Line state", "SHOWTIME"}));
    EXPECT_EQ(Row(line, QStringLiteral("Running mode")), (QStringList{"Running mode", "17A"}));
    EXPECT_EQ(Row(line, QStringLiteral("Firmware version")),
              (QStringList{"Firmware version", "05-07-06-0D-01-07"}));
    EXPECT_EQ(Row(line, QStringLiteral("DSLAM chipset vendor")),
              (QStringList{"DSLAM chipset vendor", "BDCM"}));
    EXPECT_EQ(Row(line, QStringLiteral("Link times (retrains)")),
              (QStringList{"Link times (retrains)", "2"}));
    EXPECT_EQ(RowOf(line, QStringLiteral("Modem chipset vendor")), -1) << "not in the capture";

    const QTableWidget* directions = Table(view, "tblSummaryDirections");
    EXPECT_EQ(directions->horizontalHeaderItem(1)->text(), QStringLiteral("Downstream"));
    EXPECT_EQ(directions->horizontalHeaderItem(2)->text(), QStringLiteral("Upstream"));
    const QList<QStringList> rows = {
        {"Actual rate", "32.397 Mbit/s", "17.000 Mbit/s"},
        {"Attainable rate", "41.041 Mbit/s", "21.214 Mbit/s"},
        {"SNR margin", "12 dB", "8 dB"},
        {"Line attenuation", "11 dB", "13 dB"},
        {"Actual PSD", "0.6 dB", "12.5 dB"},
        {"Path mode", "Fast", "Fast"},
        {"CRC errors", "0", "63281"},
        {"Errored seconds (ES)", "0 s", "7557 s"},
        // The excerpt is a downstream answer of tones 0 to 73.
        {"Tones with bits loaded", "42", Dash},
        {"Bits per symbol", "517", Dash},
        {"Rate of the loaded bits", "2.068 Mbit/s", Dash},
    };
    for (const QStringList& row : rows)
        EXPECT_EQ(Row(directions, row[0]), row);
    EXPECT_EQ(RowOf(directions, QStringLiteral("FEC corrections")), -1);
    EXPECT_EQ(directions->rowCount(), rows.size() + 1) << "and the interleave depth";
    EXPECT_TRUE(Table(view, "tblSummaryBands")->isHidden());
    EXPECT_TRUE(view.findChild<QLabel*>(QStringLiteral("lblSummaryNote"))->isHidden());

    // Nothing shown: empty tables and a note instead.
    view.ShowSet(nullptr);
    EXPECT_EQ(Table(view, "tblSummaryDirections")->rowCount(), 0);
    EXPECT_TRUE(Table(view, "tblSummaryLine")->isHidden());
    const auto* note = view.findChild<QLabel*>(QStringLiteral("lblSummaryNote"));
    EXPECT_FALSE(note->isHidden());
    EXPECT_EQ(note->text(), QStringLiteral("No statistics set is shown."));
    EXPECT_FALSE(view.findChild<QPushButton*>(QStringLiteral("btnCopySummary"))->isEnabled());
    const TDrayData empty;
    view.ShowSet(&empty);
    EXPECT_NE(note->text().indexOf(QStringLiteral("holds no line values")), -1);
}

TEST(SummaryViewPage, CellsAndTheWholeSummaryCopyAsText) {
    TDrayData set("bands");
    TStringList stats = CollapsedStatus();
    for (const char* line : {"  DS:", "   DS1: Limits=[  33-  859]  LATN=  5.6 dB  SNRM= 12.1 dB",
                             "  US:", "   US1: Limits=[ 860- 1205]  LATN= 14.0 dB"})
        stats.emplace_back(line);
    set.SetStats(stats);
    TSummaryView view;
    view.resize(800, 600);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    view.ShowSet(&set);

    QTableWidget* bands = Table(view, "tblSummaryBands");
    ASSERT_FALSE(bands->isHidden());
    EXPECT_EQ(Row(bands, QStringLiteral("DS1")),
              (QStringList{"DS1", "Downstream", "33", "859", "5.6 dB", Dash, "12.1 dB"}));
    EXPECT_EQ(Row(bands, QStringLiteral("US1")),
              (QStringList{"US1", "Upstream", "860", "1205", "14 dB", Dash, Dash}));

    // Two rows of the directions, picked in any order, copied with Ctrl+C row by row.
    QTableWidget* directions = Table(view, "tblSummaryDirections");
    const int attainable = RowOf(directions, QStringLiteral("Attainable rate"));
    const int actual = RowOf(directions, QStringLiteral("Actual rate"));
    directions->setFocus();
    directions->clearSelection();
    for (const int row : {attainable, actual})
        for (int column = 0; column < 3; ++column)
            directions->item(row, column)->setSelected(true);
    QApplication::clipboard()->clear();
    QTest::keyClick(directions, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("Actual rate\t32.397 Mbit/s\t17.000 Mbit/s\n"
                             "Attainable rate\t41.041 Mbit/s\t21.214 Mbit/s\n"));

    QTest::mouseClick(view.findChild<QPushButton*>(QStringLiteral("btnCopySummary")),
                      Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), SummaryText(SummarizeSet(set)));
}

TEST(LoadDataFromFilesStatus, StatusCaptureFieldAndItsProfile) {
    auto shared = std::make_shared<TFakeDialogs::TShared>();
    shared->Answers.push_back(QString::fromStdString(Fixture("vdsl-status-collapsed.txt")));
    TFakeDialogs dialogs(shared);
    TfrmLoadDataFromFiles dialog(nullptr, dialogs);
    EXPECT_EQ(dialog.btnSelectStatusFile->toolTip(), QStringLiteral("Select status capture..."));
    QTest::mouseClick(dialog.btnSelectStatusFile, Qt::LeftButton);
    ASSERT_EQ(shared->Asked.size(), 1);
    EXPECT_EQ(shared->Asked[0].FilterIndex, 1) << "Text files (*.txt)";
    EXPECT_EQ(dialog.edStatusFile->text().toStdString(), Fixture("vdsl-status-collapsed.txt"));

    // The capture's "Running Mode" beats the profile chosen in the list.
    dialog.cbxProfiles->setCurrentIndex(vp35b);
    auto set = dialog.GetDrayData();
    EXPECT_EQ(set->VDSLProfile(), vp17a);
    EXPECT_EQ(set->Stats(), ReadTextFileLines(Fixture("vdsl-status-collapsed.txt")));
    // A capture without one keeps the chosen profile.
    dialog.edStatusFile->setText(QString::fromStdString(Fixture("vdsl-status-more.txt")));
    set = dialog.GetDrayData();
    EXPECT_EQ(set->VDSLProfile(), vp35b);
    EXPECT_EQ(SummarizeSet(*set).Get(sdUp, diUAS).AsInteger(), 1861);
}

TStringList StatusOf(const char* AMode, int ARate) {
    return {" [ STATUS ]", std::string("   Running Mode : ") + AMode + "   State : SHOWTIME",
            "   DS Actual Rate : " + std::to_string(ARate) + " bps"};
}

class SummaryPage : public WindowTest {
protected:
    QStringList ShownRate() const {
        return Row(Table(*Window, "tblSummaryDirections"), QStringLiteral("Actual rate"));
    }
    QString ShownMode() const {
        const QStringList row =
            Row(Table(*Window, "tblSummaryLine"), QStringLiteral("Running mode"));
        return row.isEmpty() ? QString() : row[1];
    }
    void Select(const QString& AName) {
        for (int row = 0; row < Controls().lbxStatistics->count(); ++row)
            if (Controls().lbxStatistics->item(row)->text() == AName)
                Controls().lbxStatistics->setCurrentRow(row);
    }
};

TEST_F(SummaryPage, FollowsSelectionAndRemoval) {
    TfrmMain& w = *Window;
    QStringList pages;
    for (int i = 0; i < Controls().pgcMain->count(); ++i)
        pages << Controls().pgcMain->tabText(i);
    ASSERT_GE(pages.size(), 2);
    EXPECT_EQ(pages[1], QStringLiteral("Summary")) << "beside Router";

    TSetOptions a, b;
    a.Stats = StatusOf("17A", 1000000);
    b.Profile = vp35b;
    b.Stats = StatusOf("35B", 2000000);
    Add("A.draydata", a);
    Add("B.draydata", b);
    w.lbxStatisticsClick();
    EXPECT_EQ(ShownMode(), QStringLiteral("35B"));

    Select(QStringLiteral("A.draydata"));
    EXPECT_EQ(ShownMode(), QStringLiteral("17A"));
    EXPECT_EQ(ShownRate(), (QStringList{"Actual rate", "1.000 Mbit/s", Dash}));

    Controls().acnRemove->trigger(); // A goes, B is shown
    EXPECT_EQ(ShownMode(), QStringLiteral("35B"));
    EXPECT_EQ(ShownRate(), (QStringList{"Actual rate", "2.000 Mbit/s", Dash}));

    Controls().acnRemoveAll->trigger();
    EXPECT_EQ(Table(w, "tblSummaryLine")->rowCount(), 0);
    EXPECT_EQ(Table(w, "tblSummaryDirections")->rowCount(), 0);
    EXPECT_FALSE(w.findChild<QLabel*>(QStringLiteral("lblSummaryNote"))->isHidden());
}

TEST_F(SummaryPage, FollowsLoadingOfStatisticsAndCaptures) {
    TfrmMain& w = *Window;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("line.draydata"));
    TSetOptions options;
    options.Stats = StatusOf("17A", 3000000);
    MakeSet("Saved line", options)->SaveToFile(file.toStdString());
    Dialogs->Answers.push_back(file);
    Controls().acnLoadStatFromFile->trigger();
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
    EXPECT_EQ(ShownRate(), (QStringList{"Actual rate", "3.000 Mbit/s", Dash}));

    // A line from its status capture alone: the capture's profile, text and summary, shown
    // on the Summary page.
    QTimer::singleShot(0, &w, [] {
        auto* dialog = qobject_cast<TfrmLoadDataFromFiles*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "the dialog did not show";
            return;
        }
        dialog->edStatusFile->setText(QString::fromStdString(Fixture("vdsl-status-collapsed.txt")));
        dialog->btnOK->click();
    });
    Controls().acnLoadDataFromFile->trigger();
    EXPECT_TRUE(Dialogs->Failures.isEmpty())
        << Dialogs->Failures.join(QLatin1Char('\n')).toStdString();
    ASSERT_NE(w.GetSelectedDrayData(), nullptr);
    EXPECT_EQ(w.GetSelectedDrayData()->Name(), "Loaded from file");
    EXPECT_EQ(Controls().lblProfileName->text(), QStringLiteral("VDSL profile: 17A"));
    EXPECT_EQ(Controls().pgcMain->currentWidget(),
              w.findChild<QWidget*>(QStringLiteral("tbsSummary")));
    EXPECT_EQ(ShownRate(), (QStringList{"Actual rate", "32.397 Mbit/s", "17.000 Mbit/s"}));
    EXPECT_TRUE(Controls().memStats->toPlainText().startsWith(QStringLiteral("-----")));

    // Back to the loaded file.
    Select(QStringLiteral("Saved line"));
    EXPECT_EQ(ShownRate(), (QStringList{"Actual rate", "3.000 Mbit/s", Dash}));
}

// The text is shown while the reader still fills the tables: its summary then leaves the
// bins tables alone, which the reader thread is writing.
TEST_F(SummaryPage, ShowsTheTextWhileTheTablesAreStillRead) {
    TRouterSimOptions options;
    options.Profile = vp35b;
    options.NoPromptAfter = "vdsl status snr";
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    TfrmMain& w = *Window;
    w.UseSimulatedRouter(QStringLiteral("127.0.0.1"), port, QStringLiteral("admin"),
                         QStringLiteral("admin"), QStringLiteral("DrayTek"));
    Controls().chkShowBins->setChecked(true);
    Controls().btnGetData->click();
    ASSERT_TRUE(QTest::qWaitFor([this] { return ShownMode() == QStringLiteral("35B"); }, 20000));
    EXPECT_TRUE(w.Reading());
    EXPECT_EQ(RowOf(Table(w, "tblSummaryDirections"),
                    QString::fromUtf8(BitsFields()[btLoadedTones].Label)),
              -1);
    EXPECT_GT(Table(w, "tblSummaryBands")->rowCount(), 0);
    Controls().acnStopRetrieval->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&w] { return !w.Reading(); }, 20000));
}

TEST_F(SummaryPage, ARetrievalEndsWithItsBitLoading) {
    TRouterSimOptions options;
    options.Profile = vp17a;
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    TfrmMain& w = *Window;
    w.UseSimulatedRouter(QStringLiteral("127.0.0.1"), port, QStringLiteral("admin"),
                         QStringLiteral("admin"), QStringLiteral("DrayTek"));
    Controls().chkShowBins->setChecked(true);
    Controls().btnGetData->click();
    ASSERT_TRUE(QTest::qWaitFor([&w] { return !w.Reading(); }, 20000));
    ASSERT_TRUE(Dialogs->Refusals.isEmpty())
        << Dialogs->Refusals.join(QLatin1Char('\n')).toStdString();
    const TDrayData* set = w.GetSelectedDrayData();
    ASSERT_NE(set, nullptr);

    const TLineSummary summary = SummarizeSet(*set);
    ASSERT_TRUE(summary.Bits[sdDown][btTotalBits].Has());
    const auto& fields = BitsFields();
    EXPECT_EQ(Row(Table(w, "tblSummaryDirections"), QString::fromUtf8(fields[btTotalBits].Label)),
              (QStringList{QString::fromUtf8(fields[btTotalBits].Label),
                           QString::number(*summary.Bits[sdDown][btTotalBits].AsInteger()),
                           QString::number(*summary.Bits[sdUp][btTotalBits].AsInteger())}));
    EXPECT_EQ(Table(w, "tblSummaryBands")->rowCount(), static_cast<int>(summary.Bands.size()));
    EXPECT_EQ(ShownMode(), QStringLiteral("17A"));
}

} // namespace
} // namespace vexlorin::test
