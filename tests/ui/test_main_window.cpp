// The main window: its state after start, the enable rules, the list of sets.
#include "TestSupport.h"

#include <QFontMetrics>
#include <QTest>

namespace vexlorin::test {
namespace {

using MainWindow = WindowTest;

TEST_F(MainWindow, ControlsAfterStart) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vexlorin"));
    EXPECT_EQ(w.minimumSize(), QSize(1024, 600));
    EXPECT_EQ(ui.pnlInputs->width(), 282);

    QStringList pages;
    for (int i = 0; i < ui.pgcMain->count(); ++i)
        pages << ui.pgcMain->tabText(i);
    EXPECT_EQ(pages, (QStringList{"Router", "Summary", "HLog", "QLN", "SNR", "Bins"}));
    EXPECT_EQ(ui.pgcMain->currentWidget(), ui.tbsRouter);
    QStringList binPages;
    for (int i = 0; i < ui.pgcBins->count(); ++i)
        binPages << ui.pgcBins->tabText(i);
    EXPECT_EQ(binPages, (QStringList{"Bitloading", "Gain", "SNR"}));

    struct Field {
        QWidget* Widget;
        QString Text;
        QString Hint;
    };
    const Field fields[] = {
        {ui.edRouter, QString(), "Router fqnd or IP address"},
        {ui.edUser, QString(), "Router logon user"},
        {ui.edPassword, QString(), "Router logon password"},
        {ui.edRouterName, "DrayTek", "Router name, as displayed in the telnet prompt"},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.Widget->objectName().toStdString());
        EXPECT_EQ(static_cast<QLineEdit*>(f.Widget)->text(), f.Text);
        EXPECT_EQ(f.Widget->toolTip(), f.Hint);
    }
    EXPECT_EQ(ui.edRouter->placeholderText(), QStringLiteral("Router FQDN or IP address"));
    EXPECT_EQ(ui.edRouterPort->text(), QStringLiteral("23"));
    EXPECT_EQ(ui.udTelnetPort->value(), 23);
    EXPECT_EQ(ui.udTelnetPort->minimum(), 1);
    EXPECT_EQ(ui.udTelnetPort->maximum(), 65535);
    EXPECT_TRUE(ui.udTelnetPort->alignment() & Qt::AlignRight);
    EXPECT_EQ(ui.udTelnetPort->toolTip(), QStringLiteral("Router telnet port"));
    EXPECT_EQ(ui.edPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(ui.edPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                                ui.edPassword),
              '*');

    EXPECT_EQ(ui.chkShowBins->text(), QStringLiteral("Include \"bins\" data (slower)"));
    EXPECT_FALSE(ui.chkShowBins->isChecked());
    EXPECT_EQ(ui.chkShowBins->toolTip(),
              QStringLiteral("When set, output will include vdsl show bins [up] data"));
    EXPECT_EQ(ui.chkSNRBug->text(), QStringLiteral("SNR data only in first 512 bins"));
    EXPECT_TRUE(ui.chkSNRBug->isChecked());
    EXPECT_EQ(ui.chkSNRBug->toolTip(),
              QStringLiteral("When set, show SNR data from the fisrt 512 bins only"));
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: N/A"));
    EXPECT_EQ(ui.lblAvaliableStatistics->text(), QStringLiteral("Available statistics:"));

    struct Button {
        QPushButton* Widget;
        QString Caption;
        bool Enabled;
    };
    const Button buttons[] = {
        {ui.btnLoadConfiguration, "Load configuration...", true},
        {ui.btnSaveCfg, "Save configuration...", true},
        {ui.btnGetData, "Retrieve", false},
        {ui.btnLoadDataFromFile, "Load data from file...", true},
        {ui.btnLoadStatisticsFromFile, "Load statistics...", true},
        {ui.btnSaveStatsToFile, "Save statistics...", false},
        {ui.bfnStatsLegend, "Legend...", true},
        {ui.btnAbout, "About...", true},
        {ui.btnHLogShowRaw, "Show raw data...", true},
        {ui.btnQLNShowRawData, "Show raw data...", true},
        {ui.btnSNRShowRawData, "Show raw data...", true},
        {ui.btnBinShowRawData, "Show raw data...", true},
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.Widget->objectName().toStdString());
        EXPECT_EQ(b.Widget->text(), b.Caption);
        EXPECT_EQ(b.Widget->isEnabled(), b.Enabled);
    }

    EXPECT_EQ(ui.lbxStatistics->count(), 0);
    EXPECT_FALSE(ui.lbxStatistics->isEnabled());
    EXPECT_EQ(ui.lbxStatistics->selectionMode(), QAbstractItemView::SingleSelection);
    QList<QAction*> listMenu = ui.mnuStatListBox->actions();
    listMenu.removeIf([](const QAction* AAction) { return AAction->isSeparator(); });
    EXPECT_EQ(listMenu, (QList<QAction*>{ui.acnRemove, ui.acnRemoveAll,
                                         Child<QAction>(w, "acnCompareWithSelected"),
                                         Child<QAction>(w, "acnStopComparing"),
                                         Child<QAction>(w, "acnChartShowDifference")}));
    EXPECT_EQ(ui.mnuCharts->actions().value(0), ui.acnChartCopy);
    EXPECT_TRUE(ui.memStats->isReadOnly());
    EXPECT_TRUE(ui.memStats->toPlainText().isEmpty());
    EXPECT_EQ(ui.memStats->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    // The router's columns line up: narrow and wide letters take the same room. (Some
    // monospaced fonts do not declare themselves fixed-pitch, so measure instead.)
    const QFontMetrics metrics(ui.memStats->font());
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("iiii")),
              metrics.horizontalAdvance(QStringLiteral("WWWW")));
    EXPECT_EQ(ui.memStats->font().pixelSize(), 15);
    EXPECT_TRUE(ui.sbMain->currentMessage().isEmpty());
}

TEST_F(MainWindow, ActionTableAfterStart) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    struct Row {
        QAction* Action;
        QString Caption;
        QString Category;
        bool Enabled;
    };
    const Row rows[] = {
        {ui.acnRetrieveData, "Retrieve data", "Configuration", false},
        {ui.acnLoadDataFromFile, "Load data from file...", "Configuration", true},
        {ui.acnLoadConfiguration, "Load configuration...", "Configuration", true},
        {ui.acnSaveConfiguration, "Save configuration...", "Configuration", true},
        {ui.acnLoadStatFromFile, "Load statistics...", "Statistics", true},
        {ui.acnSaveStatToFile, "Save statistics...", "Statistics", false},
        {ui.acnRemove, "Remove", "Statistics", false},
        {ui.acnRemoveAll, "Remove all", "Statistics", false},
        {ui.acnShowLegend, "Legend...", "Statistics", true},
        {ui.acnChartCopy, "Copy", "Charts", true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Caption.toStdString());
        EXPECT_EQ(r.Action->text(), r.Caption);
        EXPECT_EQ(r.Action->property("category").toString(), r.Category);
        EXPECT_EQ(r.Action->isEnabled(), r.Enabled);
        EXPECT_TRUE(w.ActionList().contains(r.Action));
    }
}

// The four fields gate "Retrieve data" and the statistics list; the password does not.
TEST_F(MainWindow, RetrieveAndListFollowTheFourFields) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    FillConnection();
    EXPECT_TRUE(ui.acnRetrieveData->isEnabled());
    EXPECT_TRUE(ui.btnGetData->isEnabled());
    EXPECT_TRUE(ui.lbxStatistics->isEnabled());
    EXPECT_TRUE(ui.edPassword->text().isEmpty());

    for (QLineEdit* edit : {ui.edRouter, ui.edRouterPort, ui.edUser, ui.edRouterName}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        const QString kept = edit->text();
        edit->setText(QString());
        EXPECT_FALSE(ui.acnRetrieveData->isEnabled());
        EXPECT_FALSE(ui.btnGetData->isEnabled());
        EXPECT_FALSE(ui.lbxStatistics->isEnabled());
        edit->setText(kept);
        EXPECT_TRUE(ui.acnRetrieveData->isEnabled());
        EXPECT_TRUE(ui.lbxStatistics->isEnabled());
    }
    // Typing into the field works the same as setting it.
    ui.edUser->clear();
    QTest::keyClicks(ui.edUser, QStringLiteral("x"));
    EXPECT_TRUE(ui.acnRetrieveData->isEnabled());
}

TEST_F(MainWindow, ListActionsFollowTheList) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    Add("one");
    EXPECT_TRUE(ui.acnRemove->isEnabled());
    EXPECT_TRUE(ui.acnRemoveAll->isEnabled());
    EXPECT_TRUE(ui.acnSaveStatToFile->isEnabled());
    EXPECT_TRUE(ui.btnSaveStatsToFile->isEnabled());
    // Fields empty: the list box is disabled but the set is still added and selected.
    EXPECT_FALSE(ui.lbxStatistics->isEnabled());
    EXPECT_NE(w.GetSelectedDrayData(), nullptr);

    ui.lbxStatistics->clearSelection();
    w.UpdateActions();
    EXPECT_FALSE(ui.acnSaveStatToFile->isEnabled());
    EXPECT_TRUE(ui.acnRemove->isEnabled());
    // Remove with no selection does nothing.
    ui.acnRemove->trigger();
    EXPECT_EQ(ui.lbxStatistics->count(), 1);
}

TEST_F(MainWindow, SortedInsertionSelectsTheNewEntry) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    Add("b-set");
    Add("C-set");
    TDrayData* first = Add("a-set");
    // Case does not count when sorting.
    EXPECT_EQ(Entries(), (QStringList{"a-set", "b-set", "C-set"}));
    EXPECT_EQ(ui.lbxStatistics->currentRow(), 0);
    EXPECT_EQ(w.GetSelectedDrayData(), first);
    // It is the last item of the list of sets, yet first in the list box.
    EXPECT_EQ(w.DrayDataList().IndexOf(first), 2);
    // Adding does not show the set: the adding command refreshes the views itself.
    EXPECT_TRUE(ui.memStats->toPlainText().isEmpty());
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: N/A"));
    for (TChart* chart : w.LineCharts().Charts())
        EXPECT_EQ(chart->SeriesCount(), 0);
    Add("B-SET");
    EXPECT_EQ(Entries(), (QStringList{"a-set", "b-set", "B-SET", "C-set"}));
    EXPECT_EQ(ui.lbxStatistics->currentRow(), 2);
}

TEST_F(MainWindow, UserSelectionShowsTheSet) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    FillConnection();
    TSetOptions options;
    options.Profile = vp35b;
    options.Stats = {"  Running Mode : 35B", "first set"};
    TDrayData* first = Add("first", options);
    options.Profile = vp8a;
    options.Stats = {"  Running Mode : 8A", "second set"};
    Add("second", options);

    QListWidgetItem* item = ui.lbxStatistics->item(0);
    QTest::mouseClick(ui.lbxStatistics->viewport(), Qt::LeftButton, {},
                      ui.lbxStatistics->visualItemRect(item).center());
    EXPECT_EQ(w.GetSelectedDrayData(), first);
    EXPECT_EQ(ui.memStats->toPlainText(), QStringLiteral("  Running Mode : 35B\nfirst set"));
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: 35B"));
    EXPECT_EQ(ui.chartHLog->SeriesCount(), 2);
    EXPECT_EQ(ui.chartBitLoading->Series(0)->Count(), 8192);

    // The keyboard selects as well, and the charts hold only the shown set.
    QTest::keyClick(ui.lbxStatistics, Qt::Key_Down);
    EXPECT_EQ(ui.memStats->toPlainText(), QStringLiteral("  Running Mode : 8A\nsecond set"));
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: 8A"));
    EXPECT_EQ(ui.chartHLog->SeriesCount(), 2);
    EXPECT_EQ(ui.chartBitLoading->Series(0)->Count(), 2048);
}

// Removing entry `Remove` of four selects `Selected` and shows it.
TEST_F(MainWindow, RemoveSelectsTheNeighbourAndShowsIt) {
    struct Case {
        int Remove;
        QStringList Left;
        int Selected;
    };
    const Case cases[] = {
        {0, {"b", "c", "d"}, 0},
        {1, {"a", "c", "d"}, 0},
        {2, {"a", "b", "d"}, 1},
        {3, {"a", "b", "c"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Remove);
        TearDown();
        SetUp();
        TfrmMain& w = *Window;
        const TMainControls ui(w);
        FillConnection();
        for (const char* name : {"c", "a", "d", "b"}) {
            TSetOptions options;
            options.Stats = {std::string("text of ") + name};
            Add(name, options);
        }
        ui.lbxStatistics->setCurrentRow(c.Remove);
        ui.acnRemove->trigger();
        EXPECT_EQ(Entries(), c.Left);
        EXPECT_EQ(ui.lbxStatistics->currentRow(), c.Selected);
        EXPECT_EQ(w.DrayDataList().Count(), 3u);
        const QString shown = c.Left.at(c.Selected);
        EXPECT_EQ(ui.memStats->toPlainText(), QStringLiteral("text of ") + shown);
        EXPECT_EQ(QString::fromStdString(w.GetSelectedDrayData()->Name()), shown);
        EXPECT_EQ(ui.chartHLog->SeriesCount(), 2);
    }
}

// Entries with equal names: the entry that goes is the one carrying the removed set.
TEST_F(MainWindow, EqualNamesAreToldApartByTheirSet) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    FillConnection();
    TSetOptions options;
    options.Profile = vp8a;
    TDrayData* first = Add("Loaded from file", options);
    options.Profile = vp30a;
    TDrayData* second = Add("Loaded from file", options);
    Add("Zed");
    EXPECT_EQ(Entries(), (QStringList{"Loaded from file", "Loaded from file", "Zed"}));

    // Select the entry of `second` and remove it.
    int secondRow = -1;
    for (int i = 0; i < ui.lbxStatistics->count(); ++i) {
        if (ui.lbxStatistics->item(i)->data(Qt::UserRole).value<quintptr>() ==
            reinterpret_cast<quintptr>(second))
            secondRow = i;
    }
    ASSERT_GE(secondRow, 0);
    ui.lbxStatistics->setCurrentRow(secondRow);
    EXPECT_EQ(w.GetSelectedDrayData(), second);
    ui.acnRemove->trigger();

    ASSERT_EQ(w.DrayDataList().Count(), 2u);
    EXPECT_FALSE(w.DrayDataList().Contains(second));
    EXPECT_TRUE(w.DrayDataList().Contains(first));
    // Every remaining entry carries a living set.
    for (int i = 0; i < ui.lbxStatistics->count(); ++i) {
        auto* set = reinterpret_cast<TDrayData*>(
            ui.lbxStatistics->item(i)->data(Qt::UserRole).value<quintptr>());
        EXPECT_TRUE(w.DrayDataList().Contains(set));
    }
    // Removing `first` directly from the list (as a command would) takes its own entry.
    w.DrayDataList().Remove(first);
    EXPECT_EQ(Entries(), (QStringList{"Zed"}));
}

TEST_F(MainWindow, RemovingTheLastSetEmptiesTheViews) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    FillConnection();
    TSetOptions options;
    options.Profile = vp12b;
    Add("only", options);
    ui.lbxStatistics->setCurrentRow(-1);
    ui.lbxStatistics->setCurrentRow(0);
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: 12B"));
    EXPECT_FALSE(ui.memStats->toPlainText().isEmpty());
    EXPECT_EQ(ui.chartGain->SeriesCount(), 2);

    ui.acnRemove->trigger();
    EXPECT_EQ(ui.lbxStatistics->count(), 0);
    EXPECT_EQ(w.GetSelectedDrayData(), nullptr);
    EXPECT_TRUE(ui.memStats->toPlainText().isEmpty());
    for (TChart* chart : w.LineCharts().Charts())
        EXPECT_EQ(chart->SeriesCount(), 0) << chart->objectName().toStdString();
    // The label still names the removed set's profile.
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: 12B"));
    EXPECT_FALSE(ui.acnRemove->isEnabled());
    EXPECT_FALSE(ui.acnRemoveAll->isEnabled());
    EXPECT_FALSE(ui.acnSaveStatToFile->isEnabled());
}

TEST_F(MainWindow, RemoveAllEmptiesListAndViews) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    FillConnection();
    for (const char* name : {"x", "y", "z"})
        Add(name);
    ui.lbxStatistics->setCurrentRow(-1);
    ui.lbxStatistics->setCurrentRow(1);
    ASSERT_FALSE(ui.memStats->toPlainText().isEmpty());
    const QString label = ui.lblProfileName->text();

    // From the list box's popup menu.
    ASSERT_TRUE(ui.mnuStatListBox->actions().contains(ui.acnRemoveAll));
    ui.acnRemoveAll->trigger();
    EXPECT_EQ(w.DrayDataList().Count(), 0u);
    EXPECT_EQ(ui.lbxStatistics->count(), 0);
    EXPECT_TRUE(ui.memStats->toPlainText().isEmpty());
    for (TChart* chart : w.LineCharts().Charts())
        EXPECT_EQ(chart->SeriesCount(), 0);
    EXPECT_EQ(ui.lblProfileName->text(), label);
    EXPECT_FALSE(ui.acnRemoveAll->isEnabled());
}

TEST_F(MainWindow, DefaultFileNameReadsClockAndRouterName) {
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    w.SetClock([] { return QDateTime(QDate(2023, 12, 8), QTime(14, 25, 1)); });
    EXPECT_EQ(w.GetDefaultFileName(), QStringLiteral("20231208-142501-DrayTek.draydata"));
    ui.edRouterName->setText(QStringLiteral("Vigor"));
    EXPECT_EQ(w.GetDefaultFileName(), QStringLiteral("20231208-142501-Vigor.draydata"));
}

// A window closed while holding sets destroys them through the list's notifications.
TEST(MainWindowLifetime, DestroyedWithSets) {
    auto shared = std::make_shared<TFakeDialogs::TShared>();
    auto window = std::make_unique<TfrmMain>(QStringList{}, std::make_unique<TFakeDialogs>(shared));
    for (const char* name : {"a", "b", "c"})
        window->DrayDataList().Add(MakeSet(name));
    TMainControls(*window).lbxStatistics->setCurrentRow(1);
    window.reset();
    EXPECT_TRUE(shared->Failures.isEmpty());
}

} // namespace
} // namespace vexlorin::test
