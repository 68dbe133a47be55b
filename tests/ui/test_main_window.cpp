// The main window: its state after start, the enable rules, the list of sets.
#include "TestSupport.h"

#include <QFontMetrics>
#include <QTest>

namespace vexlorin::test {
namespace {

using MainWindow = WindowTest;

TEST_F(MainWindow, ControlsAfterStart) {
    TfrmMain& w = *Window;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Vexlorin"));
    EXPECT_EQ(w.minimumSize(), QSize(1024, 600));
    EXPECT_EQ(w.pnlInputs->width(), 282);

    QStringList pages;
    for (int i = 0; i < w.pgcMain->count(); ++i)
        pages << w.pgcMain->tabText(i);
    EXPECT_EQ(pages, (QStringList{"Router", "Summary", "HLog", "QLN", "SNR", "Bins"}));
    EXPECT_EQ(w.pgcMain->currentWidget(), w.tbsRouter);
    QStringList binPages;
    for (int i = 0; i < w.pgcBins->count(); ++i)
        binPages << w.pgcBins->tabText(i);
    EXPECT_EQ(binPages, (QStringList{"Bitloading", "Gain", "SNR"}));

    struct Field {
        QWidget* Widget;
        QString Text;
        QString Hint;
    };
    const Field fields[] = {
        {w.edRouter, QString(), "Router fqnd or IP address"},
        {w.edUser, QString(), "Router logon user"},
        {w.edPassword, QString(), "Router logon password"},
        {w.edRouterName, "DrayTek", "Router name, as displayed in the telnet prompt"},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.Widget->objectName().toStdString());
        EXPECT_EQ(static_cast<QLineEdit*>(f.Widget)->text(), f.Text);
        EXPECT_EQ(f.Widget->toolTip(), f.Hint);
    }
    EXPECT_EQ(w.edRouter->placeholderText(), QStringLiteral("Router FQDN or IP address"));
    EXPECT_EQ(w.edRouterPort->text(), QStringLiteral("23"));
    EXPECT_EQ(w.udTelnetPort->value(), 23);
    EXPECT_EQ(w.udTelnetPort->minimum(), 1);
    EXPECT_EQ(w.udTelnetPort->maximum(), 65535);
    EXPECT_TRUE(w.udTelnetPort->alignment() & Qt::AlignRight);
    EXPECT_EQ(w.udTelnetPort->toolTip(), QStringLiteral("Router telnet port"));
    EXPECT_EQ(w.edPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(w.edPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                               w.edPassword),
              '*');

    EXPECT_EQ(w.chkShowBins->text(), QStringLiteral("Include \"bins\" data (slower)"));
    EXPECT_FALSE(w.chkShowBins->isChecked());
    EXPECT_EQ(w.chkShowBins->toolTip(),
              QStringLiteral("When set, output will include vdsl show bins [up] data"));
    EXPECT_EQ(w.chkSNRBug->text(), QStringLiteral("SNR data only in first 512 bins"));
    EXPECT_TRUE(w.chkSNRBug->isChecked());
    EXPECT_EQ(w.chkSNRBug->toolTip(),
              QStringLiteral("When set, show SNR data from the fisrt 512 bins only"));
    EXPECT_EQ(w.lblProfileName->text(), QStringLiteral("VDSL profile: N/A"));
    EXPECT_EQ(w.lblAvaliableStatistics->text(), QStringLiteral("Available statistics:"));

    struct Button {
        QPushButton* Widget;
        QString Caption;
        bool Enabled;
    };
    const Button buttons[] = {
        {w.btnLoadConfiguration, "Load configuration...", true},
        {w.btnSaveCfg, "Save configuration...", true},
        {w.btnGetData, "Retrieve", false},
        {w.btnLoadDataFromFile, "Load data from file...", true},
        {w.btnLoadStatisticsFromFile, "Load statistics...", true},
        {w.btnSaveStatsToFile, "Save statistics...", false},
        {w.bfnStatsLegend, "Legend...", true},
        {w.btnAbout, "About...", true},
        {w.btnHLogShowRaw, "Show raw data...", true},
        {w.btnQLNShowRawData, "Show raw data...", true},
        {w.btnSNRShowRawData, "Show raw data...", true},
        {w.btnBinShowRawData, "Show raw data...", true},
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.Widget->objectName().toStdString());
        EXPECT_EQ(b.Widget->text(), b.Caption);
        EXPECT_EQ(b.Widget->isEnabled(), b.Enabled);
    }

    EXPECT_EQ(w.lbxStatistics->count(), 0);
    EXPECT_FALSE(w.lbxStatistics->isEnabled());
    EXPECT_EQ(w.lbxStatistics->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(w.mnuStatListBox->actions(), (QList<QAction*>{w.acnRemove, w.acnRemoveAll}));
    EXPECT_EQ(w.mnuCharts->actions().value(0), w.acnChartCopy);
    EXPECT_TRUE(w.memStats->isReadOnly());
    EXPECT_TRUE(w.memStats->toPlainText().isEmpty());
    EXPECT_EQ(w.memStats->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    // The router's columns line up: narrow and wide letters take the same room. (Some
    // monospaced fonts do not declare themselves fixed-pitch, so measure instead.)
    const QFontMetrics metrics(w.memStats->font());
    EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("iiii")),
              metrics.horizontalAdvance(QStringLiteral("WWWW")));
    EXPECT_EQ(w.memStats->font().pixelSize(), 15);
    EXPECT_TRUE(w.sbMain->currentMessage().isEmpty());
}

TEST_F(MainWindow, ActionTableAfterStart) {
    TfrmMain& w = *Window;
    struct Row {
        QAction* Action;
        QString Caption;
        QString Category;
        bool Enabled;
    };
    const Row rows[] = {
        {w.acnRetrieveData, "Retrieve data", "Configuration", false},
        {w.acnLoadDataFromFile, "Load data from file...", "Configuration", true},
        {w.acnLoadConfiguration, "Load configuration...", "Configuration", true},
        {w.acnSaveConfiguration, "Save configuration...", "Configuration", true},
        {w.acnLoadStatFromFile, "Load statistics...", "Statistics", true},
        {w.acnSaveStatToFile, "Save statistics...", "Statistics", false},
        {w.acnRemove, "Remove", "Statistics", false},
        {w.acnRemoveAll, "Remove all", "Statistics", false},
        {w.acnShowLegend, "Legend...", "Statistics", true},
        {w.acnChartCopy, "Copy", "Charts", true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Caption.toStdString());
        EXPECT_EQ(r.Action->text(), r.Caption);
        EXPECT_EQ(r.Action->property("category").toString(), r.Category);
        EXPECT_EQ(r.Action->isEnabled(), r.Enabled);
        EXPECT_TRUE(w.aclMain.contains(r.Action));
    }
}

// The four fields gate "Retrieve data" and the statistics list; the password does not.
TEST_F(MainWindow, RetrieveAndListFollowTheFourFields) {
    TfrmMain& w = *Window;
    FillConnection();
    EXPECT_TRUE(w.acnRetrieveData->isEnabled());
    EXPECT_TRUE(w.btnGetData->isEnabled());
    EXPECT_TRUE(w.lbxStatistics->isEnabled());
    EXPECT_TRUE(w.edPassword->text().isEmpty());

    for (QLineEdit* edit : {w.edRouter, w.edRouterPort, w.edUser, w.edRouterName}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        const QString kept = edit->text();
        edit->setText(QString());
        EXPECT_FALSE(w.acnRetrieveData->isEnabled());
        EXPECT_FALSE(w.btnGetData->isEnabled());
        EXPECT_FALSE(w.lbxStatistics->isEnabled());
        edit->setText(kept);
        EXPECT_TRUE(w.acnRetrieveData->isEnabled());
        EXPECT_TRUE(w.lbxStatistics->isEnabled());
    }
    // Typing into the field works the same as setting it.
    w.edUser->clear();
    QTest::keyClicks(w.edUser, QStringLiteral("x"));
    EXPECT_TRUE(w.acnRetrieveData->isEnabled());
}

TEST_F(MainWindow, ListActionsFollowTheList) {
    TfrmMain& w = *Window;
    Add("one");
    EXPECT_TRUE(w.acnRemove->isEnabled());
    EXPECT_TRUE(w.acnRemoveAll->isEnabled());
    EXPECT_TRUE(w.acnSaveStatToFile->isEnabled());
    EXPECT_TRUE(w.btnSaveStatsToFile->isEnabled());
    // Fields empty: the list box is disabled but the set is still added and selected.
    EXPECT_FALSE(w.lbxStatistics->isEnabled());
    EXPECT_NE(w.GetSelectedDrayData(), nullptr);

    w.lbxStatistics->clearSelection();
    w.UpdateActions();
    EXPECT_FALSE(w.acnSaveStatToFile->isEnabled());
    EXPECT_TRUE(w.acnRemove->isEnabled());
    // Remove with no selection does nothing.
    w.acnRemove->trigger();
    EXPECT_EQ(w.lbxStatistics->count(), 1);
}

TEST_F(MainWindow, SortedInsertionSelectsTheNewEntry) {
    TfrmMain& w = *Window;
    Add("b-set");
    Add("C-set");
    TDrayData* first = Add("a-set");
    // Case does not count when sorting.
    EXPECT_EQ(Entries(), (QStringList{"a-set", "b-set", "C-set"}));
    EXPECT_EQ(w.lbxStatistics->currentRow(), 0);
    EXPECT_EQ(w.GetSelectedDrayData(), first);
    // It is the last item of the list of sets, yet first in the list box.
    EXPECT_EQ(w.DrayDataList().IndexOf(first), 2);
    // Adding does not show the set: the adding command refreshes the views itself.
    EXPECT_TRUE(w.memStats->toPlainText().isEmpty());
    EXPECT_EQ(w.lblProfileName->text(), QStringLiteral("VDSL profile: N/A"));
    for (TChart* chart : w.Charts())
        EXPECT_EQ(chart->SeriesCount(), 0);
    Add("B-SET");
    EXPECT_EQ(Entries(), (QStringList{"a-set", "b-set", "B-SET", "C-set"}));
    EXPECT_EQ(w.lbxStatistics->currentRow(), 2);
}

TEST_F(MainWindow, UserSelectionShowsTheSet) {
    TfrmMain& w = *Window;
    FillConnection();
    TSetOptions options;
    options.Profile = vp35b;
    options.Stats = {"  Running Mode : 35B", "first set"};
    TDrayData* first = Add("first", options);
    options.Profile = vp8a;
    options.Stats = {"  Running Mode : 8A", "second set"};
    Add("second", options);

    QListWidgetItem* item = w.lbxStatistics->item(0);
    QTest::mouseClick(w.lbxStatistics->viewport(), Qt::LeftButton, {},
                      w.lbxStatistics->visualItemRect(item).center());
    EXPECT_EQ(w.GetSelectedDrayData(), first);
    EXPECT_EQ(w.memStats->toPlainText(), QStringLiteral("  Running Mode : 35B\nfirst set"));
    EXPECT_EQ(w.lblProfileName->text(), QStringLiteral("VDSL profile: 35B"));
    EXPECT_EQ(w.chartHLog->SeriesCount(), 2);
    EXPECT_EQ(w.chartBitLoading->Series(0)->Count(), 8192);

    // The keyboard selects as well, and the charts hold only the shown set.
    QTest::keyClick(w.lbxStatistics, Qt::Key_Down);
    EXPECT_EQ(w.memStats->toPlainText(), QStringLiteral("  Running Mode : 8A\nsecond set"));
    EXPECT_EQ(w.lblProfileName->text(), QStringLiteral("VDSL profile: 8A"));
    EXPECT_EQ(w.chartHLog->SeriesCount(), 2);
    EXPECT_EQ(w.chartBitLoading->Series(0)->Count(), 2048);
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
        FillConnection();
        for (const char* name : {"c", "a", "d", "b"}) {
            TSetOptions options;
            options.Stats = {std::string("text of ") + name};
            Add(name, options);
        }
        w.lbxStatistics->setCurrentRow(c.Remove);
        w.acnRemove->trigger();
        EXPECT_EQ(Entries(), c.Left);
        EXPECT_EQ(w.lbxStatistics->currentRow(), c.Selected);
        EXPECT_EQ(w.DrayDataList().Count(), 3u);
        const QString shown = c.Left.at(c.Selected);
        EXPECT_EQ(w.memStats->toPlainText(), QStringLiteral("text of ") + shown);
        EXPECT_EQ(QString::fromStdString(w.GetSelectedDrayData()->Name()), shown);
        EXPECT_EQ(w.chartHLog->SeriesCount(), 2);
    }
}

// Entries with equal names: the entry that goes is the one carrying the removed set.
TEST_F(MainWindow, EqualNamesAreToldApartByTheirSet) {
    TfrmMain& w = *Window;
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
    for (int i = 0; i < w.lbxStatistics->count(); ++i) {
        if (w.lbxStatistics->item(i)->data(Qt::UserRole).value<quintptr>() ==
            reinterpret_cast<quintptr>(second))
            secondRow = i;
    }
    ASSERT_GE(secondRow, 0);
    w.lbxStatistics->setCurrentRow(secondRow);
    EXPECT_EQ(w.GetSelectedDrayData(), second);
    w.acnRemove->trigger();

    ASSERT_EQ(w.DrayDataList().Count(), 2u);
    EXPECT_FALSE(w.DrayDataList().Contains(second));
    EXPECT_TRUE(w.DrayDataList().Contains(first));
    // Every remaining entry carries a living set.
    for (int i = 0; i < w.lbxStatistics->count(); ++i) {
        auto* set = reinterpret_cast<TDrayData*>(
            w.lbxStatistics->item(i)->data(Qt::UserRole).value<quintptr>());
        EXPECT_TRUE(w.DrayDataList().Contains(set));
    }
    // Removing `first` directly from the list (as a command would) takes its own entry.
    w.DrayDataList().Remove(first);
    EXPECT_EQ(Entries(), (QStringList{"Zed"}));
}

TEST_F(MainWindow, RemovingTheLastSetEmptiesTheViews) {
    TfrmMain& w = *Window;
    FillConnection();
    TSetOptions options;
    options.Profile = vp12b;
    Add("only", options);
    w.lbxStatistics->setCurrentRow(-1);
    w.lbxStatistics->setCurrentRow(0);
    EXPECT_EQ(w.lblProfileName->text(), QStringLiteral("VDSL profile: 12B"));
    EXPECT_FALSE(w.memStats->toPlainText().isEmpty());
    EXPECT_EQ(w.chartGain->SeriesCount(), 2);

    w.acnRemove->trigger();
    EXPECT_EQ(w.lbxStatistics->count(), 0);
    EXPECT_EQ(w.GetSelectedDrayData(), nullptr);
    EXPECT_TRUE(w.memStats->toPlainText().isEmpty());
    for (TChart* chart : w.Charts())
        EXPECT_EQ(chart->SeriesCount(), 0) << chart->objectName().toStdString();
    // The label still names the removed set's profile.
    EXPECT_EQ(w.lblProfileName->text(), QStringLiteral("VDSL profile: 12B"));
    EXPECT_FALSE(w.acnRemove->isEnabled());
    EXPECT_FALSE(w.acnRemoveAll->isEnabled());
    EXPECT_FALSE(w.acnSaveStatToFile->isEnabled());
}

TEST_F(MainWindow, RemoveAllEmptiesListAndViews) {
    TfrmMain& w = *Window;
    FillConnection();
    for (const char* name : {"x", "y", "z"})
        Add(name);
    w.lbxStatistics->setCurrentRow(-1);
    w.lbxStatistics->setCurrentRow(1);
    ASSERT_FALSE(w.memStats->toPlainText().isEmpty());
    const QString label = w.lblProfileName->text();

    // From the list box's popup menu.
    ASSERT_TRUE(w.mnuStatListBox->actions().contains(w.acnRemoveAll));
    w.acnRemoveAll->trigger();
    EXPECT_EQ(w.DrayDataList().Count(), 0u);
    EXPECT_EQ(w.lbxStatistics->count(), 0);
    EXPECT_TRUE(w.memStats->toPlainText().isEmpty());
    for (TChart* chart : w.Charts())
        EXPECT_EQ(chart->SeriesCount(), 0);
    EXPECT_EQ(w.lblProfileName->text(), label);
    EXPECT_FALSE(w.acnRemoveAll->isEnabled());
}

TEST_F(MainWindow, DefaultFileNameReadsClockAndRouterName) {
    TfrmMain& w = *Window;
    w.SetClock([] { return QDateTime(QDate(2023, 12, 8), QTime(14, 25, 1)); });
    EXPECT_EQ(w.GetDefaultFileName(), QStringLiteral("20231208-142501-DrayTek.draydata"));
    w.edRouterName->setText(QStringLiteral("Vigor"));
    EXPECT_EQ(w.GetDefaultFileName(), QStringLiteral("20231208-142501-Vigor.draydata"));
}

// A window closed while holding sets destroys them through the list's notifications.
TEST(MainWindowLifetime, DestroyedWithSets) {
    auto shared = std::make_shared<TFakeDialogs::TShared>();
    auto window = std::make_unique<TfrmMain>(QStringList{}, std::make_unique<TFakeDialogs>(shared));
    for (const char* name : {"a", "b", "c"})
        window->DrayDataList().Add(MakeSet(name));
    window->lbxStatistics->setCurrentRow(1);
    window.reset();
    EXPECT_TRUE(shared->Failures.isEmpty());
}

} // namespace
} // namespace vexlorin::test
