// Retrieval from the main window against the simulated router console on loopback: the
// complete read, every way it can fail, Stop, and closing the window while it runs.
#include "RouterSim.h"
#include "TestSupport.h"
#include "reader/TelnetClient.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <thread>
#include <vector>

namespace vexlorin::test {
namespace {

using namespace std::chrono_literals;

// What a chart shows, point by point, to compare two drawings of the same set.
struct TSeriesShot {
    QString Title;
    std::vector<double> X;
    std::vector<double> Y;
    std::vector<bool> Null;
    bool operator==(const TSeriesShot&) const = default;
};
using TChartShot = std::vector<TSeriesShot>;

TChartShot Shot(const TChart* AChart) {
    TChartShot shot;
    for (int s = 0; s < AChart->SeriesCount(); ++s) {
        const TChartSeries* series = AChart->Series(s);
        TSeriesShot one{series->Title(), {}, {}, {}};
        for (int i = 0; i < series->Count(); ++i) {
            one.X.push_back(series->XValue(i));
            one.Null.push_back(series->IsNull(i));
            one.Y.push_back(series->IsNull(i) ? 0 : series->YValue(i));
        }
        shot.push_back(std::move(one));
    }
    return shot;
}

std::vector<TChartShot> Shots(const TfrmMain& AWindow) {
    std::vector<TChartShot> shots;
    for (const TChart* chart : AWindow.LineCharts().Charts())
        shots.push_back(Shot(chart));
    return shots;
}

bool AnyNonZero(const TChartShot& AShot) {
    for (const TSeriesShot& series : AShot)
        for (std::size_t i = 0; i < series.Y.size(); ++i)
            if (!series.Null[i] && series.Y[i] != 0)
                return true;
    return false;
}

QString StatsText(const TDrayData& AData) {
    QStringList lines;
    for (const std::string& line : AData.Stats())
        lines << QString::fromStdString(line);
    return lines.join(QLatin1Char('\n'));
}

// Waits that keep the GUI thread's queue running; far above what a healthy run needs.
constexpr int LongWaitMs = 20000;

// Short logon waits so the failure endings come quickly; the command wait stays long so a
// test that stops or closes can tell an immediate end from a timed-out one.
TReaderTimeouts QuickLogon() {
    TReaderTimeouts timeouts;
    timeouts.Account = 1500ms;
    timeouts.Password = 1500ms;
    timeouts.Banner = 1500ms;
    timeouts.Command = 20000ms;
    timeouts.Bins = 20000ms;
    return timeouts;
}

class Retrieval : public WindowTest {
protected:
    void StartRouter(TRouterSimOptions AOptions = {}) {
        Sim = std::make_unique<TRouterSim>(std::move(AOptions));
        const uint16_t port = Sim->Start();
        Window->UseSimulatedRouter(QStringLiteral("127.0.0.1"), port, QStringLiteral("admin"),
                                   QStringLiteral("admin"), QStringLiteral("DrayTek"));
        Window->SetReaderTimeouts(QuickLogon());
        // 3 January 2024, 09:05:07.
        Window->SetClock([] { return QDateTime(QDate(2024, 1, 3), QTime(9, 5, 7)); });
    }

    // A set listed and shown before the retrieval, to see it shown again after a failure.
    TDrayData* AddShownSet() {
        TSetOptions options;
        options.Profile = vp35b;
        options.Stats = {" [ STATUS ]", "  Running Mode : 35B", "  earlier set"};
        TDrayData* set = Add("20230101-000000-Earlier.draydata", options);
        Window->lbxStatisticsClick();
        return set;
    }

    void Retrieve() {
        const TMainControls ui = Controls();
        ASSERT_TRUE(ui.acnRetrieveData->isEnabled());
        ui.btnGetData->click();
    }

    bool WaitForEnd(int AMs = LongWaitMs) {
        return QTest::qWaitFor([this] { return !Window->Reading(); }, AMs);
    }

    void TearDown() override {
        WindowTest::TearDown();
        Sim.reset();
    }

    std::unique_ptr<TRouterSim> Sim;
};

class CompleteRetrieval : public Retrieval, public ::testing::WithParamInterface<bool> {};

TEST_P(CompleteRetrieval, AddsSelectsAndShowsTheSet) {
    const bool bins = GetParam();
    TRouterSimOptions options;
    options.Profile = vp17a;
    StartRouter(options);
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    ui.chkShowBins->setChecked(bins);
    QList<int> steps;
    QObject::connect(ui.pbRetrieval, &QProgressBar::valueChanged, ui.pbRetrieval,
                     [&steps](int AValue) {
                         if (AValue > 0)
                             steps << AValue;
                     });

    Retrieve();
    // While it runs only the harmless commands and Stop can be used.
    EXPECT_TRUE(w.Reading());
    EXPECT_EQ(w.Status(), dsReadingData);
    EXPECT_FALSE(ui.acnRetrieveData->isEnabled());
    EXPECT_FALSE(ui.lbxStatistics->isEnabled());
    for (QAction* idleOnly : {ui.acnLoadDataFromFile, ui.acnLoadConfiguration,
                              ui.acnSaveConfiguration, ui.acnLoadStatFromFile})
        EXPECT_FALSE(idleOnly->isEnabled()) << idleOnly->text().toStdString();
    EXPECT_TRUE(ui.btnStop->isEnabled());
    EXPECT_TRUE(ui.pbRetrieval->isVisible());
    EXPECT_EQ(ui.pbRetrieval->maximum(), bins ? 13 : 11);
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: N/A"));

    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Sim->Commands().size(), bins ? 13u : 11u);
    EXPECT_TRUE(Dialogs->Refusals.isEmpty());
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
    ASSERT_EQ(Entries(), QStringList{QStringLiteral("20240103-090507-DrayTek.draydata")});
    const TDrayData* set = w.GetSelectedDrayData();
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->VDSLProfile(), vp17a);
    EXPECT_EQ(w.Status(), dsReady);
    EXPECT_TRUE(ui.sbMain->currentMessage().isEmpty());
    EXPECT_FALSE(ui.pbRetrieval->isVisible());
    EXPECT_FALSE(ui.btnStop->isEnabled());
    EXPECT_TRUE(ui.acnRetrieveData->isEnabled());
    EXPECT_TRUE(ui.acnSaveStatToFile->isEnabled());
    // Every command advanced the bar, in order.
    QList<int> expected;
    for (int step = 1; step <= (bins ? 13 : 11); ++step)
        expected << step;
    EXPECT_EQ(steps, expected);

    // What the notifications drew while the set was read is what the set itself shows.
    EXPECT_FALSE(set->Stats().empty());
    EXPECT_EQ(ui.memStats->toPlainText(), StatsText(*set));
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: 17A"));
    const auto drawnWhileReading = Shots(w);
    for (int chart = 0; chart < 3; ++chart)
        EXPECT_TRUE(AnyNonZero(drawnWhileReading[static_cast<std::size_t>(chart)]))
            << w.LineCharts().Charts()[chart]->objectName().toStdString();
    for (int chart = 3; chart < 7; ++chart)
        EXPECT_EQ(AnyNonZero(drawnWhileReading[static_cast<std::size_t>(chart)]), bins)
            << w.LineCharts().Charts()[chart]->objectName().toStdString();
    w.DisplayChartData(nullptr);
    w.lbxStatisticsClick();
    EXPECT_EQ(Shots(w), drawnWhileReading);
    EXPECT_EQ(ui.memStats->toPlainText(), StatsText(*set));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutBins, CompleteRetrieval, ::testing::Bool(),
                         [](const auto& AInfo) { return AInfo.param ? "Bins" : "NoBins"; });

// Every way a retrieval fails: one box, nothing added, the selected set shown again.
struct TFailureCase {
    const char* Name = "";
    TRouterSimOptions Options{};
    QString RouterName = QStringLiteral("DrayTek");
    bool HoldFirstConnection = false; // another session is logged on already
    bool RouterGone = false;          // nothing listens on the port any more
    QString Box;                      // the box text, or its beginning when Prefix
    bool Prefix = false;
};

// Test names show the case, not its bytes.
void PrintTo(const TFailureCase& ACase, std::ostream* AStream) {
    *AStream << ACase.Name;
}

std::vector<TFailureCase> FailureCases() {
    std::vector<TFailureCase> cases;
    {
        TFailureCase c;
        c.Name = "SecondConnectionRefused";
        c.Options.RejectSecondConnection = true;
        c.HoldFirstConnection = true;
        c.Box = QStringLiteral("Only a single connection is allowed");
        cases.push_back(c);
    }
    {
        TFailureCase c;
        c.Name = "WrongRouterName";
        c.RouterName = QStringLiteral("Vigor");
        // The box names the prompt the console showed.
        c.Box = QStringLiteral("Unable to login: the console's prompt is \"DrayTek> \"; set "
                               "Router name: to DrayTek");
        cases.push_back(c);
    }
    {
        TFailureCase c;
        c.Name = "PasswordAskedAgain";
        c.Options.WrongPassword = true;
        c.Box = QStringLiteral("Invalid login");
        cases.push_back(c);
    }
    {
        TFailureCase c;
        c.Name = "NoAccountPrompt";
        c.Options.SilentAccount = true;
        c.Box = QStringLiteral("Unable to connect");
        cases.push_back(c);
    }
    {
        TFailureCase c;
        c.Name = "ConnectionRefused";
        c.RouterGone = true;
        c.Box = QStringLiteral("Cannot connect to 127.0.0.1:");
        c.Prefix = true;
        cases.push_back(c);
    }
    {
        TFailureCase c;
        c.Name = "UnknownProfile";
        c.Options.Profile = vp8d; // printed as "8D", which the profile pattern does not take
        c.Box = QStringLiteral("Unable to retrieve profile from VDSL data");
        cases.push_back(c);
    }
    {
        TFailureCase c;
        c.Name = "ConnectionLostDuringScript";
        c.Options.CloseAfterCommands = 3;
        c.Box = QStringLiteral("Connection closed by the router");
        cases.push_back(c);
    }
    return cases;
}

class FailedRetrieval : public Retrieval, public ::testing::WithParamInterface<TFailureCase> {};

TEST_P(FailedRetrieval, ShowsItsBoxAddsNothingAndShowsTheSelectedSetAgain) {
    const TFailureCase& c = GetParam();
    StartRouter(c.Options);
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    ui.edRouterName->setText(c.RouterName);
    TDrayData* earlier = AddShownSet();
    const auto shownBefore = Shots(w);
    const QString textBefore = ui.memStats->toPlainText();
    ASSERT_FALSE(textBefore.isEmpty());

    TTelnetClient otherSession;
    if (c.HoldFirstConnection) {
        otherSession.SetHost("127.0.0.1");
        otherSession.SetPort(Sim->Port());
        otherSession.Connect();
        ASSERT_TRUE(QTest::qWaitFor([this] { return Sim->ConnectionsAccepted() == 1; }, 5000));
    }
    if (c.RouterGone)
        Sim->Stop();

    Retrieve();
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(Dialogs->Refusals.size(), 1)
        << Dialogs->Refusals.join(QLatin1Char('|')).toStdString();
    if (c.Prefix)
        EXPECT_TRUE(Dialogs->Refusals[0].startsWith(c.Box)) << Dialogs->Refusals[0].toStdString();
    else
        EXPECT_EQ(Dialogs->Refusals[0], c.Box);
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
    EXPECT_EQ(w.DrayDataList().Count(), 1u);
    EXPECT_EQ(w.GetSelectedDrayData(), earlier);
    EXPECT_EQ(ui.memStats->toPlainText(), textBefore);
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: 35B"));
    EXPECT_EQ(Shots(w), shownBefore);
    EXPECT_TRUE(ui.sbMain->currentMessage().isEmpty());
    EXPECT_FALSE(ui.pbRetrieval->isVisible());
    EXPECT_TRUE(ui.acnRetrieveData->isEnabled());
    EXPECT_EQ(w.Status(), dsReady);
}

INSTANTIATE_TEST_SUITE_P(Endings, FailedRetrieval, ::testing::ValuesIn(FailureCases()),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(Retrieval, FailureWithNothingSelectedLeavesTheViewsEmpty) {
    const TMainControls ui = Controls();
    TRouterSimOptions options;
    options.SilentAccount = true;
    StartRouter(options);
    Retrieve();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Dialogs->Refusals, QStringList{QStringLiteral("Unable to connect")});
    EXPECT_TRUE(ui.memStats->toPlainText().isEmpty());
    EXPECT_EQ(ui.lblProfileName->text(), QStringLiteral("VDSL profile: N/A"));
    for (const TChart* chart : Window->LineCharts().Charts())
        EXPECT_EQ(chart->SeriesCount(), 0) << chart->objectName().toStdString();
}

// A router that stops answering after "vdsl status more": the reader waits 20 s for it.
TRouterSimOptions StuckRouter() {
    TRouterSimOptions options;
    options.NoPromptAfter = "vdsl status more";
    return options;
}

bool WaitForCommand(const TRouterSim& ASim, const std::string& ACommand) {
    return QTest::qWaitFor(
        [&] {
            const auto commands = ASim.Commands();
            return std::find(commands.begin(), commands.end(), ACommand) != commands.end();
        },
        LongWaitMs);
}

TEST_F(Retrieval, StopEndsTheWaitAtOnceAndDiscardsThePartialSet) {
    StartRouter(StuckRouter());
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    TDrayData* earlier = AddShownSet();
    const auto shownBefore = Shots(w);
    Retrieve();
    ASSERT_TRUE(WaitForCommand(*Sim, "vdsl status more"));
    // Let the notifications of the commands before it draw the partial set.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui.pbRetrieval->value() >= 3; }, LongWaitMs));
    EXPECT_TRUE(ui.btnStop->isEnabled());

    QElapsedTimer clock;
    clock.start();
    ui.btnStop->click();
    EXPECT_FALSE(ui.btnStop->isEnabled());
    ASSERT_TRUE(WaitForEnd(5000)) << "the reader still waits for the router";
    // Far below the 20 s the reader would otherwise wait.
    EXPECT_LT(clock.elapsed(), 5000);

    EXPECT_TRUE(Dialogs->Refusals.isEmpty());
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
    EXPECT_EQ(ui.sbMain->currentMessage(), QStringLiteral("Retrieval stopped"));
    EXPECT_EQ(w.DrayDataList().Count(), 1u);
    EXPECT_EQ(w.GetSelectedDrayData(), earlier);
    EXPECT_EQ(Shots(w), shownBefore);
    EXPECT_FALSE(ui.pbRetrieval->isVisible());
    EXPECT_FALSE(ui.btnStop->isEnabled());
    EXPECT_TRUE(ui.acnRetrieveData->isEnabled());
    EXPECT_EQ(Sim->Commands().back(), "vdsl status more");

    // The window is ready for the next read, which succeeds.
    Sim.reset();
    StartRouter();
    Retrieve();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(w.DrayDataList().Count(), 2u);
    EXPECT_TRUE(ui.sbMain->currentMessage().isEmpty());
}

TEST_F(Retrieval, StopDuringTheLogonShowsNoBox) {
    const TMainControls ui = Controls();
    TRouterSimOptions options;
    options.SilentAccount = true;
    StartRouter(options);
    TReaderTimeouts timeouts = QuickLogon();
    timeouts.Account = 20000ms;
    Window->SetReaderTimeouts(timeouts);
    Retrieve();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Sim->ConnectionsAccepted() == 1; }, LongWaitMs));
    ui.btnStop->click();
    ASSERT_TRUE(WaitForEnd(5000));
    EXPECT_TRUE(Dialogs->Refusals.isEmpty());
    EXPECT_EQ(ui.sbMain->currentMessage(), QStringLiteral("Retrieval stopped"));
    EXPECT_EQ(Window->DrayDataList().Count(), 0u);
}

TEST_F(Retrieval, SecondStartWhileReadingIsRefused) {
    const TMainControls ui = Controls();
    StartRouter(StuckRouter());
    Retrieve();
    ASSERT_TRUE(Window->Reading());
    // The action is disabled; the command itself refuses as well.
    ui.acnRetrieveData->setEnabled(true);
    ui.acnRetrieveData->trigger();
    EXPECT_EQ(Dialogs->Refusals, QStringList{QStringLiteral("Reader thread already running")});
    EXPECT_TRUE(Window->Reading());
    ui.btnStop->click();
    ASSERT_TRUE(WaitForEnd(5000));
    QTest::qWait(50);
    EXPECT_LE(Sim->ConnectionsAccepted(), 1u);
}

// Closing or destroying the window while the reader waits for the router: the window goes
// at once, the reader with it, and nothing of the reader reaches the window afterwards.
TEST_F(Retrieval, ClosingTheWindowDuringAReadEndsTheReaderAtOnce) {
    const TMainControls ui = Controls();
    StartRouter(StuckRouter());
    Retrieve();
    ASSERT_TRUE(WaitForCommand(*Sim, "vdsl status more"));
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(Window->close());
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(Window->Reading());
    EXPECT_EQ(Window->Status(), dsReady);
    // Queued notifications of the reader were dropped with it.
    const QString text = ui.memStats->toPlainText();
    QTest::qWait(100);
    EXPECT_EQ(ui.memStats->toPlainText(), text);
    EXPECT_EQ(Window->DrayDataList().Count(), 0u);
    EXPECT_TRUE(Dialogs->Refusals.isEmpty());
    clock.restart();
    Window.reset();
    QApplication::processEvents();
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(Retrieval, DestroyingTheWindowDuringAReadEndsTheReader) {
    StartRouter(StuckRouter());
    Retrieve();
    ASSERT_TRUE(WaitForCommand(*Sim, "vdsl status more"));
    QElapsedTimer clock;
    clock.start();
    Window.reset();
    EXPECT_LT(clock.elapsed(), 1000);
    // Whatever the reader had queued must not run on the destroyed window.
    QTest::qWait(100);
}

// The reader has finished and waits for its completion handler, which the GUI thread has
// not run yet, when the window closes: closing must neither wait for the handler nor run it.
TEST_F(Retrieval, ClosingWhileTheCompletionIsQueuedDoesNotDeadlock) {
    const TMainControls ui = Controls();
    StartRouter();
    Retrieve();
    // Without running the GUI thread's queue: the reader ends and then waits for it.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (Sim->Commands().size() < 11u && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(Sim->Commands().size(), 11u);
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(Window->Reading());

    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(Window->close());
    EXPECT_LT(clock.elapsed(), 1000);
    QApplication::processEvents();
    EXPECT_FALSE(Window->Reading());
    EXPECT_EQ(Window->DrayDataList().Count(), 0u);
    EXPECT_TRUE(ui.memStats->toPlainText().isEmpty());
}

TEST_F(Retrieval, DemoRouterFillsTheFieldsAndSaysItIsSimulated) {
    StartRouter();
    TfrmMain& w = *Window;
    const TMainControls ui(w);
    EXPECT_EQ(ui.edRouter->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(ui.udTelnetPort->value(), Sim->Port());
    EXPECT_EQ(ui.edUser->text(), QStringLiteral("admin"));
    EXPECT_EQ(ui.edPassword->text(), QStringLiteral("admin"));
    EXPECT_EQ(ui.edRouterName->text(), QStringLiteral("DrayTek"));
    EXPECT_TRUE(w.windowTitle().contains(QStringLiteral("simulated router")));
    EXPECT_TRUE(ui.sbMain->currentMessage().contains(QStringLiteral("simulated router")));
    EXPECT_TRUE(ui.lblSimulated->isVisible());
    EXPECT_TRUE(ui.lblSimulated->text().contains(QString::number(Sim->Port())));
    EXPECT_TRUE(ui.acnRetrieveData->isEnabled());
    // Stop and the progress bar belong to a running read only.
    EXPECT_EQ(ui.btnStop->text(), QStringLiteral("Stop"));
    EXPECT_FALSE(ui.btnStop->isEnabled());
    EXPECT_FALSE(ui.pbRetrieval->isVisible());
}

} // namespace
} // namespace vexlorin::test
