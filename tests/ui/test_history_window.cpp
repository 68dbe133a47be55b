// The history window and the main window's watch on real history files: recorded by the
// recorder against the simulated router, or generated long histories. The charts' data
// equal the store's; gaps and events sit where the data put them; a click opens exactly the
// stored set nearest to it; the envelope equals a direct computation over the stored sets;
// a file that is no history is refused untouched; a file that vexlorin-cli watch records
// while it is open is followed; watch from the window stops cleanly, also when the window closes
// mid-sample.
#include "HistoryFixtures.h"
#include "TestSupport.h"

#include "ui/Chart.h"
#include "ui/HistoryCharts.h"
#include "ui/HistoryPlot.h"
#include "ui/HistoryWaterfall.h"
#include "ui/HistoryWindow.h"
#include "ui/WatchControl.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <thread>

namespace vexlorin::test {
namespace {

using namespace history;
using namespace std::chrono_literals;

constexpr int64_t MinuteMs = 60'000;
constexpr int64_t T0 = 1'765'000'000'000; // ms

// A day of samples each minute: two hours missing, three failed samples (unreachable),
// counters that start again (a retrain), per-tone tables every 15 minutes with the
// downstream SNR lower in the second half of the day.
TGeneratedSample DaySample(int64_t I) {
    TGeneratedSample s;
    s.TimeMs = T0 + I * MinuteMs;
    s.Failed = I >= 600 && I < 603;
    s.WithTables = I % 15 == 0;
    s.DSRateKbps = 100000 + static_cast<int>(I % 50);
    s.USRateKbps = 40000 - static_cast<int>(I % 7);
    s.DSMargin = 6 + static_cast<int>(I % 5);
    s.DSCRC =
        I < 900 ? static_cast<unsigned long long>(I * 2) : static_cast<unsigned long long>(I - 900);
    s.USCRC = static_cast<unsigned long long>(I);
    s.SNRShift = I >= 720 ? -6 : 0;
    return s;
}
constexpr int64_t DaySamples = 1440;

class HistoryWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Template = SimulatedSet().release();
        DayFile = new QTemporaryDir;
        GenerateHistory(DayPath(), *Template, DaySamples - 120, [](int64_t AIndex) {
            // The indices of the gap are left out.
            return DaySample(AIndex < 300 ? AIndex : AIndex + 120);
        });
    }
    static void TearDownTestSuite() {
        delete Template;
        delete DayFile;
    }
    static std::string DayPath() {
        return DayFile->filePath(QStringLiteral("day.sqlite")).toStdString();
    }

    void SetUp() override {
        Dialogs = std::make_shared<TFakeDialogs::TShared>();
        FakeDialogs = std::make_unique<TFakeDialogs>(Dialogs);
        Window = std::make_unique<THistoryWindow>(*FakeDialogs);
        Window->resize(1100, 900);
        Window->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        Window.reset();
        QApplication::processEvents();
    }

    static TDrayData* Template;
    static QTemporaryDir* DayFile;
    std::shared_ptr<TFakeDialogs::TShared> Dialogs;
    std::unique_ptr<TFakeDialogs> FakeDialogs;
    std::unique_ptr<THistoryWindow> Window;
};
TDrayData* HistoryWindowTest::Template = nullptr;
QTemporaryDir* HistoryWindowTest::DayFile = nullptr;

double Value(const TSummaryValue& AValue) {
    const auto number = AValue.AsNumber();
    return number ? *number : NoValue;
}

// The drawn points of a line that are not gaps, by time.
std::map<double, double> Points(const TTimeSeries& ASeries) {
    std::map<double, double> points;
    for (std::size_t i = 0; i < ASeries.Keys.size(); ++i)
        if (!std::isnan(ASeries.Values[i]))
            points[ASeries.Keys[i]] = ASeries.Values[i];
    return points;
}

TEST_F(HistoryWindowTest, TimeChartsHoldTheStoresValuesWithGapsAndEventsWhereTheDataPutThem) {
    ASSERT_TRUE(Window->OpenFile(QString::fromStdString(DayPath())));
    auto store = THistoryStore::Open(DayPath(), THistoryStore::TMode::ReadOnly);
    const int64_t line = store->Lines().at(0).Id;
    const auto rows = store->Samples(line, INT64_MIN, INT64_MAX);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(DaySamples - 120));

    THistoryCharts& charts = Window->Charts();
    struct TCase {
        TTimeChartId Chart;
        int Index;
        TStatDirection Direction;
        TDirectionItem Item;
    };
    for (const TCase& c : {TCase{TTimeChartId::Rates, 0, sdDown, diActualRate},
                           TCase{TTimeChartId::Rates, 2, sdUp, diActualRate},
                           TCase{TTimeChartId::SNRMargin, 0, sdDown, diSNRMargin},
                           TCase{TTimeChartId::SNRMargin, 1, sdUp, diSNRMargin},
                           TCase{TTimeChartId::Attenuation, 0, sdDown, diAttenuation}}) {
        const TTimeSeries drawn = charts.TimeChart(c.Chart)->DrawnData(c.Index);
        const auto points = Points(drawn);
        std::size_t completed = 0;
        for (const TSampleRow& row : rows) {
            const auto it = points.find(static_cast<double>(row.TimeMs));
            if (row.Outcome == TSampleOutcome::Failed) {
                EXPECT_EQ(it, points.end()) << "a failed sample has no value";
                continue;
            }
            ++completed;
            ASSERT_NE(it, points.end()) << row.TimeMs;
            EXPECT_DOUBLE_EQ(it->second, Value(row.Summary.Get(c.Direction, c.Item)));
        }
        EXPECT_EQ(points.size(), completed);
        // One gap inside the two hours without samples, none across it.
        int inGap = 0;
        for (std::size_t i = 0; i < drawn.Keys.size(); ++i)
            if (drawn.Keys[i] > T0 + 299 * MinuteMs && drawn.Keys[i] < T0 + 420 * MinuteMs) {
                EXPECT_TRUE(std::isnan(drawn.Values[i]));
                ++inGap;
            }
        EXPECT_EQ(inGap, 1);
    }
    // The checks above rest on values that change from sample to sample.
    EXPECT_EQ(Points(charts.TimeChart(TTimeChartId::Rates)->DrawnData(0)).at(T0 + 7 * MinuteMs),
              (100000 + 7) * 1000.0);

    // Events: unreachable and reachable around the failures, the counters' new start.
    THistoryPlot* rates = charts.TimeChart(TTimeChartId::Rates);
    std::map<std::string, std::vector<double>> events;
    for (int i = 0; i < rates->MarkerCount(); ++i)
        events[rates->Marker(i).Kind].push_back(rates->Marker(i).TimeMs);
    EXPECT_EQ(events["unreachable"], std::vector<double>{static_cast<double>(T0 + 600 * MinuteMs)});
    EXPECT_EQ(events["reachable"], std::vector<double>{static_cast<double>(T0 + 603 * MinuteMs)});
    EXPECT_EQ(events["retrain"], std::vector<double>{static_cast<double>(T0 + 900 * MinuteMs)});
    EXPECT_EQ(events.count("line-down"), 0u);

    // CRC per interval: the store's deltas, never negative across the new start.
    const auto storeRates = store->Rates(line, INT64_MIN, INT64_MAX);
    double storeSum = 0;
    for (const auto& r : storeRates)
        if (r.Delta[sdDown][diCRC])
            storeSum += static_cast<double>(*r.Delta[sdDown][diCRC]);
    charts.RedrawNow();
    double drawnSum = 0;
    for (double v : charts.TimeChart(TTimeChartId::CRC)->DrawnData(0).Values) {
        EXPECT_GE(v, 0);
        drawnSum += v;
    }
    EXPECT_EQ(drawnSum, storeSum);
    EXPECT_GT(drawnSum, 0);
}

TEST_F(HistoryWindowTest, EnvelopeIsTheMinMeanMaxOfTheStoredSetsOfTheRange) {
    ASSERT_TRUE(Window->OpenFile(QString::fromStdString(DayPath())));
    // The last twelve hours: only sets with the lower SNR, and the two around noon.
    const double from = T0 + 700 * MinuteMs, to = T0 + (DaySamples - 1) * MinuteMs;
    Window->Charts().SetRange(from, to);
    // Not computed while the time charts are shown; computed when the page opens.
    TChart* chart = Window->Charts().EnvelopeChart();
    EXPECT_EQ(chart->SeriesCount(), 0);
    Child<QTabWidget>(*Window, "pgcHistory")->setCurrentWidget(chart);
    // Computed on other threads: the page opens at once and says that it is computing.
    EXPECT_TRUE(Window->ToneViewsPending());
    EXPECT_EQ(chart->SeriesCount(), 0);
    EXPECT_TRUE(Child<QLabel>(*Window, "lblToneViews")->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!Window->ToneViewsPending(), 20000);
    EXPECT_FALSE(Child<QLabel>(*Window, "lblToneViews")->isVisible());

    auto store = THistoryStore::Open(DayPath(), THistoryStore::TMode::ReadOnly);
    const int64_t line = store->Lines().at(0).Id;
    std::vector<std::unique_ptr<TDrayData>> sets;
    for (const auto& [id, time] :
         store->SetTimes(line, static_cast<int64_t>(from), static_cast<int64_t>(to)))
        sets.push_back(store->LoadSet(id));
    ASSERT_GT(sets.size(), 40u);

    ASSERT_EQ(chart->SeriesCount(), 6);
    const int tones = chart->Series(0)->Count();
    EXPECT_EQ(tones, 512); // the SNR of the first 512 tones, as the charts' option
    for (int tone = 0; tone < tones; tone += 7) {
        double low = INFINITY, high = -INFINITY, sum = 0;
        for (const auto& set : sets) {
            const double v = set->ShowBinStatsDS()[static_cast<std::size_t>(tone)].SNR;
            low = std::min(low, v);
            high = std::max(high, v);
            sum += v;
        }
        EXPECT_EQ(chart->Series(0)->YValue(tone), high) << tone;
        EXPECT_NEAR(chart->Series(1)->YValue(tone), sum / static_cast<double>(sets.size()), 1e-9)
            << tone;
        EXPECT_EQ(chart->Series(2)->YValue(tone), low) << tone;
    }
    // The waterfall covers the range, its rows the sets' times.
    const TWaterfallGrid& grid = Window->Charts().Waterfall()->Grid();
    EXPECT_EQ(grid.Sets, static_cast<int64_t>(sets.size()));
    EXPECT_DOUBLE_EQ(grid.FromMs, from);
    EXPECT_LE(grid.Rows, static_cast<int>(sets.size()));
}

// The range changes while the envelope is computed: the computation starts again and what
// is shown is the last range's. Closing the window or destroying it mid-computation ends
// the computation without a box and without waiting for it.
TEST_F(HistoryWindowTest, AComputationForAnOlderRangeIsCancelledAndNeverShown) {
    ASSERT_TRUE(Window->OpenFile(QString::fromStdString(DayPath())));
    TChart* chart = Window->Charts().EnvelopeChart();
    Child<QTabWidget>(*Window, "pgcHistory")->setCurrentWidget(chart);
    ASSERT_TRUE(Window->ToneViewsPending()); // the whole day
    const double from = T0 + 100 * MinuteMs, to = T0 + 250 * MinuteMs;
    Window->Charts().SetRange(from, to);
    Window->UpdateToneViews();
    ASSERT_TRUE(Window->ToneViewsPending());
    QTRY_VERIFY_WITH_TIMEOUT(!Window->ToneViewsPending(), 20000);
    // The coalesced range change comes later and computes the same range again.
    QTest::qWait(400);
    QTRY_VERIFY_WITH_TIMEOUT(!Window->ToneViewsPending(), 20000);
    auto store = THistoryStore::Open(DayPath(), THistoryStore::TMode::ReadOnly);
    const auto sets = store->SetTimes(store->Lines().at(0).Id, static_cast<int64_t>(from),
                                      static_cast<int64_t>(to));
    ASSERT_EQ(sets.size(), 10u); // minutes 105, 120, ..., 240
    EXPECT_EQ(Window->Charts().Waterfall()->Grid().Sets, 10);
    EXPECT_DOUBLE_EQ(Window->Charts().Waterfall()->Grid().FromMs, from);
    EXPECT_TRUE(chart->Title().contains(QStringLiteral(" 10 ")));

    // Closed mid-computation: cancelled; shown again, it computes again.
    Window->UpdateToneViews();
    ASSERT_TRUE(Window->ToneViewsPending());
    Window->close();
    EXPECT_FALSE(Window->ToneViewsPending());
    Window->show();
    EXPECT_TRUE(Window->ToneViewsPending());
    QTRY_VERIFY_WITH_TIMEOUT(!Window->ToneViewsPending(), 20000);
    EXPECT_EQ(Window->Charts().Waterfall()->Grid().Sets, 10);
    // Destroyed mid-computation.
    Window->UpdateToneViews();
    ASSERT_TRUE(Window->ToneViewsPending());
    Window.reset();
    QApplication::processEvents();
    EXPECT_TRUE(Dialogs->Refusals.isEmpty());
}

TEST_F(HistoryWindowTest, ClickingATimeOpensExactlyTheNearestStoredSet) {
    ASSERT_TRUE(Window->OpenFile(QString::fromStdString(DayPath())));
    THistoryCharts& charts = Window->Charts();
    charts.SetRange(T0 + 800 * MinuteMs, T0 + 860 * MinuteMs);
    charts.RedrawNow();
    std::unique_ptr<TDrayData> chosen;
    int64_t chosenTime = 0;
    Window->SetOnSetChosen([&](std::unique_ptr<TDrayData> ASet, int64_t ATime) {
        chosen = std::move(ASet);
        chosenTime = ATime;
    });
    // Sets at 795, 810, 825, ... minutes: a click at 822 is nearest to 825.
    THistoryPlot* snr = charts.TimeChart(TTimeChartId::SNRMargin);
    QTest::mouseClick(snr, Qt::LeftButton, {}, snr->PointOf(T0 + 822 * MinuteMs).toPoint());
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosenTime, T0 + 825 * MinuteMs);

    auto store = THistoryStore::Open(DayPath(), THistoryStore::TMode::ReadOnly);
    const int64_t line = store->Lines().at(0).Id;
    int64_t id = 0;
    for (const auto& [sampleId, time] : store->SetTimes(line, INT64_MIN, INT64_MAX))
        if (time == T0 + 825 * MinuteMs)
            id = sampleId;
    const auto stored = store->LoadSet(id);
    ASSERT_TRUE(stored);
    EXPECT_EQ(chosen->Stats(), stored->Stats());
    EXPECT_EQ(chosen->ShowBinStatsDS(), stored->ShowBinStatsDS());
    EXPECT_EQ(chosen->ShowBinStatsUS(), stored->ShowBinStatsUS());
    EXPECT_EQ(chosen->VDSLProfile(), stored->VDSLProfile());
    // The status text of that very sample: its rate.
    EXPECT_EQ(SummarizeSet(*chosen).Get(sdDown, diActualRate).AsInteger(),
              (100000 + 825 % 50) * 1000);
}

TEST_F(HistoryWindowTest, AFileThatIsNoHistoryIsRefusedUntouchedAndTheWindowStaysUsable) {
    ASSERT_TRUE(Window->OpenFile(QString::fromStdString(DayPath())));
    const int shown = Window->Charts().TimeChart(TTimeChartId::Rates)->DrawnData(0).Keys.size();
    QTemporaryDir dir;
    auto hash = [](const QString& AFile) {
        QFile file(AFile);
        file.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    };
    auto write = [&](const char* AName, const QByteArray& ABytes) {
        const QString path = dir.filePath(QString::fromLatin1(AName));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(ABytes);
        return path;
    };
    // A newer schema: a history file whose version this build does not know.
    const QString newer = dir.filePath(QStringLiteral("newer.sqlite"));
    {
        QFile::copy(QString::fromStdString(DayPath()), newer);
        const std::string command =
            "sqlite3 '" + newer.toStdString() +
            "' \"PRAGMA user_version = 99; UPDATE schema_version SET version = 99;\" 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()) >= 0, true);
    }
    QByteArray damaged;
    {
        QFile day(QString::fromStdString(DayPath()));
        day.open(QIODevice::ReadOnly);
        damaged = day.read(4096); // the header page alone: the rest is gone
    }
    const QStringList files = {write("text.sqlite", "this is a text file, not a database\n"),
                               write("empty-db.sqlite", QByteArray()),
                               write("damaged.sqlite", damaged), newer};
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray before = hash(file);
        const qsizetype refusals = Dialogs->Refusals.size();
        EXPECT_FALSE(Window->OpenFile(file));
        ASSERT_EQ(Dialogs->Refusals.size(), refusals + 1);
        EXPECT_FALSE(Dialogs->Refusals.back().isEmpty());
        EXPECT_EQ(hash(file), before);
        // What was shown stays.
        EXPECT_EQ(Window->FileName(), QString::fromStdString(DayPath()));
        EXPECT_EQ(Window->Charts().TimeChart(TTimeChartId::Rates)->DrawnData(0).Keys.size(), shown);
    }
    EXPECT_TRUE(Window->OpenFile(QString::fromStdString(DayPath())));
}

TEST_F(HistoryWindowTest, FollowsAFileThatWatchRecordsInAnotherProcess) {
    TRouterSim router;
    const uint16_t port = router.Start();
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("live.sqlite")).toStdString();
    TRecorderTarget target;
    target.Line = {"127.0.0.1", port, "DrayTek"};
    target.User = target.Password = "admin";
    target.Interval = 100ms;
    target.BinsEvery = 0ms;
    // The first sample, so that the file exists when the window opens it.
    {
        auto store = THistoryStore::Open(path, THistoryStore::TMode::ReadWrite);
        TLineRecorder(target, store.get(), nullptr).Run(1, std::nullopt);
    }
    ASSERT_TRUE(Window->OpenFile(QString::fromStdString(path)));
    Window->SetFollowInterval(50);
    EXPECT_EQ(Window->Charts().Series().SampleTimesMs.size(), 1u);

    // Another process records into it while it is open: vexlorin-cli watch.
    QProcess watch;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VEXLORIN_PASSWORD"), QStringLiteral("admin"));
    watch.setProcessEnvironment(environment);
    watch.start(QStringLiteral(VEXLORIN_CLI_PATH),
                {QStringLiteral("watch"), QStringLiteral("127.0.0.1"), QStringLiteral("--port"),
                 QString::number(port), QStringLiteral("--user"), QStringLiteral("admin"),
                 QStringLiteral("--db"), QString::fromStdString(path), QStringLiteral("--interval"),
                 QStringLiteral("100ms"), QStringLiteral("--bins-every"), QStringLiteral("100ms"),
                 QStringLiteral("--count"), QStringLiteral("3")});
    ASSERT_TRUE(watch.waitForStarted(10000));
    QTRY_COMPARE_WITH_TIMEOUT(Window->Charts().Series().SampleTimesMs.size(), 4u, 20000);
    // It may have ended already while the window was followed (waitForFinished is false then).
    ASSERT_TRUE(watch.state() == QProcess::NotRunning || watch.waitForFinished(20000));
    EXPECT_EQ(watch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watch.exitCode(), 0) << watch.readAllStandardError().toStdString();
    // Nothing more comes: what the window follows is what the process stored.
    QTest::qWait(200);
    auto store = THistoryStore::Open(path, THistoryStore::TMode::ReadOnly);
    const auto rows = store->Samples(store->Lines().at(0).Id, INT64_MIN, INT64_MAX);
    ASSERT_EQ(rows.size(), 4u);
    const auto points = Points(Window->Charts().TimeChart(TTimeChartId::SNRMargin)->DrawnData(0));
    ASSERT_EQ(points.size(), 4u);
    std::size_t sets = 0;
    for (const auto& row : rows) {
        EXPECT_EQ(points.at(static_cast<double>(row.TimeMs)),
                  Value(row.Summary.Get(sdDown, diSNRMargin)));
        sets += row.HasSet ? 1 : 0;
    }
    EXPECT_GE(sets, 2u); // the first sample of each writer reads the tables
    EXPECT_EQ(Window->Charts().Series().SetTimesMs.size(), sets);
    EXPECT_TRUE(Dialogs->Refusals.isEmpty());
}

// ---------------------------------------------------------------------------------------
// Watch from the main window

class WatchTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Router = std::make_unique<TRouterSim>(RouterOptions());
        const uint16_t port = Router->Start();
        Window->UseSimulatedRouter(QStringLiteral("127.0.0.1"), port, QStringLiteral("admin"),
                                   QStringLiteral("admin"), QStringLiteral("DrayTek"));
        Path = Dir.filePath(QStringLiteral("watch.sqlite"));
        Window->SetHistoryFile(Path);
        Child<QSpinBox>(*Window, "udWatchInterval")->setValue(5);
    }
    void TearDown() override {
        WindowTest::TearDown();
        Router.reset();
    }
    virtual TRouterSimOptions RouterOptions() { return {}; }

    std::vector<TSampleRow> Stored() const {
        auto store = THistoryStore::Open(Path.toStdString(), THistoryStore::TMode::ReadOnly);
        const auto lines = store->Lines();
        return lines.empty() ? std::vector<TSampleRow>{}
                             : store->Samples(lines.front().Id, INT64_MIN, INT64_MAX);
    }

    std::unique_ptr<TRouterSim> Router;
    QTemporaryDir Dir;
    QString Path;
};

TEST_F(WatchTest, EachSampleIsShownStoredAndOnlyAddedToTheListOnRequest_StopEndsIt) {
    QAction* acnWatch = Child<QAction>(*Window, "acnWatch");
    QAction* acnAddToList = Child<QAction>(*Window, "acnAddToList");
    ASSERT_TRUE(acnWatch->isEnabled());
    acnWatch->trigger();
    ASSERT_TRUE(Window->Watching());
    EXPECT_FALSE(Controls().acnRetrieveData->isEnabled()); // one console session at a time
    // The first sample is shown on the views, not put into the list.
    QTRY_VERIFY_WITH_TIMEOUT(Window->OutsideSet() != nullptr, 10000);
    EXPECT_EQ(Controls().lbxStatistics->count(), 0);
    EXPECT_GT(Controls().chartSNR->SeriesCount(), 0);
    EXPECT_FALSE(Controls().memStats->toPlainText().isEmpty());
    // The history window follows the file being recorded.
    ASSERT_NE(Window->HistoryWindow(), nullptr);
    EXPECT_EQ(Window->HistoryWindow()->FileName(), Path);
    QTRY_VERIFY_WITH_TIMEOUT(!Window->HistoryWindow()->Charts().Series().Empty(), 5000);

    ASSERT_TRUE(acnAddToList->isEnabled());
    acnAddToList->trigger();
    EXPECT_EQ(Controls().lbxStatistics->count(), 1);
    EXPECT_EQ(Window->OutsideSet(), nullptr);

    acnWatch->trigger();                 // Stop: returns at once
    EXPECT_FALSE(acnWatch->isEnabled()); // "Stopping..." until the sample in progress ended
    QTRY_VERIFY_WITH_TIMEOUT(!Window->Watching(), 5000);
    EXPECT_TRUE(acnWatch->isEnabled());
    EXPECT_FALSE(acnWatch->isChecked());
    EXPECT_TRUE(Controls().acnRetrieveData->isEnabled());
    const auto rows = Stored();
    ASSERT_GE(rows.size(), 1u);
    EXPECT_EQ(rows.front().Outcome, TSampleOutcome::Completed);
    EXPECT_TRUE(rows.front().HasSet); // the first sample reads the bins
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
    EXPECT_TRUE(Dialogs->Refusals.isEmpty());
}

// A router that answers slowly: the window closes while a sample is in progress.
class SlowWatchTest : public WatchTest {
protected:
    TRouterSimOptions RouterOptions() override {
        TRouterSimOptions options;
        options.AnswerDelay = 300ms;
        return options;
    }
};

TEST_F(SlowWatchTest, ClosingTheWindowMidSampleEndsWithinASecondAndKeepsWhatWasStored) {
    Child<QAction>(*Window, "acnWatch")->trigger();
    // The first sample takes about 4 s at this pace; the second starts 5 s after the first.
    QTRY_VERIFY_WITH_TIMEOUT(Window->OutsideSet() != nullptr, 20000);
    QTest::qWait(2500);
    const auto started = std::chrono::steady_clock::now();
    Window->close();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_FALSE(Window->Watching());
    Window.reset();
    QApplication::processEvents();
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.front().Outcome, TSampleOutcome::Completed);
}

TEST_F(WatchTest, AHistoryFileThatCannotBeUsedIsRefusedAndNothingRuns) {
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a database");
    file.close();
    Child<QAction>(*Window, "acnWatch")->trigger();
    EXPECT_FALSE(Window->Watching());
    ASSERT_EQ(Dialogs->Refusals.size(), 1);
    EXPECT_FALSE(Child<QAction>(*Window, "acnWatch")->isChecked());
    QFile again(Path);
    again.open(QIODevice::ReadOnly);
    EXPECT_EQ(again.readAll(), QByteArray("not a database"));
}

TEST_F(WatchTest, ALostRouterIsRecordedAsFailuresWithoutABoxAndStopStillWorks) {
    Router.reset(); // nothing listens any more
    Child<QAction>(*Window, "acnWatch")->trigger();
    ASSERT_TRUE(Window->Watching());
    QTRY_VERIFY_WITH_TIMEOUT(Stored().size() >= 1u, 10000);
    EXPECT_EQ(Stored().front().Outcome, TSampleOutcome::Failed);
    Child<QAction>(*Window, "acnWatch")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!Window->Watching(), 5000);
    EXPECT_TRUE(Dialogs->Failures.isEmpty());
    EXPECT_TRUE(Dialogs->Refusals.isEmpty());
}

TEST_F(HistoryWindowTest, OpenHistoryInTheMainWindowAndAddTheClickedSetToTheList) {
    auto dialogs = std::make_shared<TFakeDialogs::TShared>();
    TfrmMain main(QStringList{}, std::make_unique<TFakeDialogs>(dialogs));
    main.show();
    dialogs->Answers.push_back(QString::fromStdString(DayPath()));
    Child<QAction>(main, "acnOpenHistory")->trigger();
    ASSERT_NE(main.HistoryWindow(), nullptr);
    EXPECT_TRUE(main.HistoryWindow()->isVisible());
    ASSERT_TRUE(main.HistoryWindow()->OpenNearestSet(static_cast<double>(T0 + 31 * MinuteMs)));
    ASSERT_NE(main.OutsideSet(), nullptr);
    EXPECT_EQ(main.findChild<QListWidget*>(QStringLiteral("lbxStatistics"))->count(), 0);
    Child<QAction>(main, "acnAddToList")->trigger();
    EXPECT_EQ(main.DrayDataList().Count(), 1u);
    EXPECT_TRUE(dialogs->Refusals.isEmpty());
}

} // namespace
} // namespace vexlorin::test
