// The recorder against the simulated router on loopback, into real database files.
#include "HistoryTestSupport.h"
#include "RouterSim.h"
#include "cli/CliTestSupport.h"
#include "history/Recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace vexlorin::test {
namespace {

using namespace vexlorin::history;
using namespace std::chrono_literals;

TRecorderTarget Target(uint16_t APort) {
    TRecorderTarget target;
    target.Line = {"127.0.0.1", APort, "DrayTek"};
    target.User = "admin";
    target.Password = "admin";
    TReaderTimeouts timeouts;
    timeouts.Account = timeouts.Password = timeouts.Banner = 2000ms;
    timeouts.Command = timeouts.Bins = 2000ms;
    target.Timeouts = timeouts;
    return target;
}

std::size_t CountOf(const std::vector<std::string>& ACommands, const std::string& ACommand) {
    return static_cast<std::size_t>(std::count(ACommands.begin(), ACommands.end(), ACommand));
}

TEST(Recorder, SamplesAtTheIntervalWithBinsAtTheirOwn) {
    TRouterSimOptions options;
    options.Profile = vp35b;
    options.RejectSecondConnection = true; // a second session at once would fail a sample
    TRouterSim sim(options);
    TTempDir dir;
    auto store = THistoryStore::Open(dir.File("h.sqlite"), THistoryStore::TMode::ReadWrite);
    TRecorderTarget target = Target(sim.Start());
    // Long enough that even a sanitizer build takes each sample well within the interval,
    // so that the schedule, not the machine's speed, decides which samples read the bins.
    target.Interval = 1000ms;
    target.BinsEvery = 2000ms;
    std::vector<TSampleResult> results;
    TLineRecorder recorder(target, store.get(),
                           [&](const TSampleResult& AResult) { results.push_back(AResult); });
    recorder.Run(5, std::nullopt);

    ASSERT_EQ(results.size(), 5u);
    const auto rows = store->Samples(store->LineId(target.Line), 0, INT64_MAX);
    ASSERT_EQ(rows.size(), 5u);
    std::vector<bool> sets;
    for (const auto& row : rows) {
        EXPECT_EQ(row.Outcome, TSampleOutcome::Completed) << row.Message;
        sets.push_back(row.HasSet);
    }
    EXPECT_EQ(sets, (std::vector<bool>{true, false, true, false, true}));
    // One session per sample; the bins commands only in the bins samples.
    EXPECT_EQ(sim.SessionsLoggedOn(), 5u);
    EXPECT_EQ(CountOf(sim.Commands(), "vdsl showbins"), 3u);
    EXPECT_EQ(CountOf(sim.Commands(), "vdsl status"), 5u);
    EXPECT_FALSE(results[0].Rates);
    ASSERT_TRUE(results[1].Rates);
    EXPECT_EQ(results[1].Rates->Delta[sdDown][diCRC], 0);
    EXPECT_NE(SampleLine(results[1]).find("SHOWTIME"), std::string::npos);
    EXPECT_GE(rows[4].TimeMs - rows[0].TimeMs, 4 * 1000 - 20);
}

TEST(Recorder, NoBinsReadsNoBinsTables) {
    TRouterSim sim;
    TRecorderTarget target = Target(sim.Start());
    target.Interval = 50ms;
    target.Bins = false;
    int samples = 0;
    TLineRecorder recorder(target, nullptr, [&](const TSampleResult& AResult) {
        ++samples;
        EXPECT_TRUE(AResult.Completed);
        EXPECT_FALSE(AResult.WithTables);
    });
    recorder.Run(3, std::nullopt);
    EXPECT_EQ(samples, 3);
    EXPECT_EQ(CountOf(sim.Commands(), "vdsl showbins"), 0u);
}

// The router goes away (a reboot) and comes back on the same port: the gap is stored as
// failures, retried with back-off, and recording goes on without a restart.
TEST(Recorder, SurvivesTheRouterGoingAwayAndComingBack) {
    TRouterSimOptions options;
    auto sim = std::make_unique<TRouterSim>(options);
    const uint16_t port = sim->Start();
    TTempDir dir;
    auto store = THistoryStore::Open(dir.File("h.sqlite"), THistoryStore::TMode::ReadWrite);
    TRecorderTarget target = Target(port);
    target.Interval = 8000ms; // failures are retried after 2 s, 4 s ...
    target.Bins = false;
    std::mutex lock;
    std::vector<TSampleResult> results;
    std::condition_variable changed;
    TLineRecorder recorder(target, store.get(), [&](const TSampleResult& AResult) {
        std::lock_guard guard(lock);
        results.push_back(AResult);
        changed.notify_all();
    });
    const auto waitFor = [&](std::size_t ACount) {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, 20s, [&] { return results.size() >= ACount; });
    };
    std::thread run([&] { recorder.Run(std::nullopt, std::nullopt); });
    ASSERT_TRUE(waitFor(1));
    sim.reset(); // the router goes away between samples
    recorder.Stop();
    run.join();
    // A fresh run on the same line: the first sample fails at once, the next after 2 s.
    TLineRecorder again(target, store.get(), [&](const TSampleResult& AResult) {
        std::lock_guard guard(lock);
        results.push_back(AResult);
        changed.notify_all();
        if (results.size() == 3) { // two failures: the router comes back
            options.Port = port;
            sim = std::make_unique<TRouterSim>(options);
            sim->Start();
        }
    });
    const auto started = std::chrono::steady_clock::now();
    again.Run(3, std::nullopt);
    const auto took = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(results.size(), 4u);
    EXPECT_TRUE(results[0].Completed);
    EXPECT_FALSE(results[1].Completed);
    EXPECT_EQ(results[1].Ending, reConnectFailed);
    EXPECT_FALSE(results[2].Completed);
    EXPECT_TRUE(results[3].Completed);
    // The back-off: 2 s after the first failure, 4 s after the second.
    EXPECT_GE(took, 6s - 100ms);
    EXPECT_LT(took, 8s);
    const int64_t line = store->LineId(target.Line);
    std::vector<std::string> events;
    for (const auto& event : store->Events(line, 0, INT64_MAX))
        events.emplace_back(EventKey(event.Kind));
    EXPECT_EQ(events, (std::vector<std::string>{"unreachable", "reachable"}));
    const auto rows = store->Samples(line, 0, INT64_MAX);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[1].Ending, "connect-failed");
    EXPECT_FALSE(rows[1].Message.empty());
}

TEST(Recorder, RetrainShowsAsAnEventAndRatesStayPositive) {
    TRouterSimOptions options;
    options.RetrainAtSession = 3;
    TRouterSim sim(options);
    TTempDir dir;
    auto store = THistoryStore::Open(dir.File("h.sqlite"), THistoryStore::TMode::ReadWrite);
    TRecorderTarget target = Target(sim.Start());
    target.Interval = 50ms;
    target.Bins = false;
    TLineRecorder recorder(target, store.get(), nullptr);
    recorder.Run(5, std::nullopt);
    const int64_t line = store->LineId(target.Line);
    const auto rows = store->Samples(line, 0, INT64_MAX);
    ASSERT_EQ(rows.size(), 5u);
    const auto events = store->Events(line, 0, INT64_MAX);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].Kind, TEventKind::CounterReset);
    EXPECT_EQ(events[1].Kind, TEventKind::Retrain);
    EXPECT_EQ(events[1].TimeMs, rows[2].TimeMs);
    EXPECT_NE(events[1].Detail.find("1 -> 2"), std::string::npos) << events[1].Detail;

    const auto rates = store->Rates(line, 0, INT64_MAX);
    ASSERT_EQ(rates.size(), 4u);
    const int64_t crc1 = *rows[0].Summary.Get(sdDown, diCRC).AsInteger();
    ASSERT_GT(crc1, 0);
    EXPECT_EQ(rates[0].Delta[sdDown][diCRC], crc1); // session 2: twice the values
    EXPECT_EQ(rates[1].Delta[sdDown][diCRC], 0);    // the retrain: counted from zero
    EXPECT_EQ(rates[2].Delta[sdDown][diCRC], crc1); // growing again
    for (const auto& rate : rates)
        for (const auto& direction : rate.Delta)
            for (const auto& delta : direction)
                if (delta) {
                    EXPECT_GE(*delta, 0);
                }
}

// A stop during a sample that hangs on the router ends it within a second; the abandoned
// sample is not stored as the router's failure.
TEST(Recorder, StopEndsTheSampleInProgressWithinASecond) {
    TRouterSimOptions options;
    options.AnswerDelay = 5000ms;
    TRouterSim sim(options);
    TTempDir dir;
    auto store = THistoryStore::Open(dir.File("h.sqlite"), THistoryStore::TMode::ReadWrite);
    TRecorderTarget target = Target(sim.Start());
    target.Timeouts->Account = 10000ms;
    TLineRecorder recorder(target, store.get(), nullptr);
    std::thread stopper([&] {
        std::this_thread::sleep_for(300ms);
        recorder.Stop();
    });
    const auto started = std::chrono::steady_clock::now();
    recorder.Run(std::nullopt, std::nullopt);
    const auto took = std::chrono::steady_clock::now() - started;
    stopper.join();
    EXPECT_LT(took, 1300ms);
    EXPECT_TRUE(store->Samples(store->LineId(target.Line), 0, INT64_MAX).empty());
}

} // namespace
} // namespace vexlorin::test
