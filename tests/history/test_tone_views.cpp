// The envelope and the waterfall computed on worker threads, each with a connection of its
// own: the same result as one thread, whatever the number of threads; cancelling and
// destroying a running computation end it without a hang; a damaged set on any thread is
// the computation's error.
#include "HistoryTestSupport.h"
#include "cli/CliTestSupport.h"
#include "history/ToneViews.h"
#include "ui/HistoryFixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>

namespace vexlorin::test {
namespace {

using namespace vexlorin::history;

constexpr int64_t T0 = 1'765'000'000'000;
constexpr int64_t MinuteMs = 60'000;
constexpr int64_t Sets = 90;

// A sample a minute, per-tone tables on every third, an SNR that moves from set to set,
// and a few failed samples.
class ToneViewsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Dir = new TTempDir;
        const auto set = SimulatedSet();
        GenerateHistory(Path(), *set, Sets * 3, [](int64_t I) {
            TGeneratedSample s;
            s.TimeMs = T0 + I * MinuteMs;
            s.WithTables = I % 3 == 0;
            s.Failed = I % 50 == 7;
            s.SNRShift = static_cast<int>((I * 7) % 11) - 5;
            return s;
        });
    }
    static void TearDownTestSuite() { delete Dir; }
    static std::string Path() { return Dir->File("tones.sqlite"); }
    static int64_t Line() {
        return THistoryStore::Open(Path(), THistoryStore::TMode::ReadOnly)->Lines().at(0).Id;
    }
    static TTempDir* Dir;
};
TTempDir* ToneViewsTest::Dir = nullptr;

void ExpectSameViews(const TToneViews& AActual, const TToneViews& AExpected) {
    for (const auto& [actual, expected] :
         {std::pair{&AActual.DS, &AExpected.DS}, std::pair{&AActual.US, &AExpected.US}}) {
        ASSERT_EQ(actual->Tones(), expected->Tones());
        ASSERT_EQ(actual->Sets(), expected->Sets());
        for (int tone = 0; tone < expected->Tones(); ++tone) {
            EXPECT_EQ(actual->Minimum(tone), expected->Minimum(tone)) << tone;
            EXPECT_EQ(actual->Maximum(tone), expected->Maximum(tone)) << tone;
            EXPECT_NEAR(actual->Mean(tone), expected->Mean(tone), 1e-9) << tone;
        }
    }
    const TWaterfallGrid& a = AActual.Waterfall;
    const TWaterfallGrid& e = AExpected.Waterfall;
    ASSERT_EQ(a.Rows, e.Rows);
    ASSERT_EQ(a.Columns, e.Columns);
    EXPECT_EQ(a.Tones, e.Tones);
    EXPECT_EQ(a.Sets, e.Sets);
    ASSERT_EQ(a.Cells.size(), e.Cells.size());
    for (std::size_t i = 0; i < e.Cells.size(); ++i) {
        if (std::isnan(e.Cells[i]))
            EXPECT_TRUE(std::isnan(a.Cells[i])) << i;
        else
            EXPECT_NEAR(a.Cells[i], e.Cells[i], 1e-9) << i;
    }
}

TEST_F(ToneViewsTest, ThreadsGiveWhatOneThreadGives) {
    const auto store = THistoryStore::Open(Path(), THistoryStore::TMode::ReadOnly);
    const int64_t line = store->Lines().at(0).Id;
    struct TCase {
        const char* Name;
        TToneViewRequest Request;
    };
    TToneViewRequest all;
    all.FromMs = static_cast<double>(T0);
    all.ToMs = static_cast<double>(T0 + Sets * 3 * MinuteMs);
    all.Rows = 40;
    all.Columns = 300;
    TToneViewRequest part = all; // the bit loading of the upstream, a part of the range
    part.FromMs = static_cast<double>(T0 + 31 * MinuteMs);
    part.ToMs = static_cast<double>(T0 + 200 * MinuteMs);
    part.Quantity = TToneQuantity::Bits;
    part.WaterfallDirection = sdUp;
    TToneViewRequest few = all; // fewer sets than threads would share
    few.ToMs = static_cast<double>(T0 + 4 * MinuteMs);
    for (const TCase& c : {TCase{"all", all}, TCase{"part", part}, TCase{"few", few}}) {
        SCOPED_TRACE(c.Name);
        const TToneViews expected = ComputeToneViews(*store, line, c.Request);
        ASSERT_GT(expected.DS.Sets(), 0);
        // The sets vary: an envelope of equal sets would not show a wrong merge.
        bool varies = false;
        for (int tone = 0; tone < expected.DS.Tones(); ++tone)
            varies = varies || expected.DS.Minimum(tone) != expected.DS.Maximum(tone);
        EXPECT_TRUE(varies || c.Request.Quantity == TToneQuantity::Bits);
        for (int threads : {1, 2, 3}) {
            SCOPED_TRACE(threads);
            TToneViewsJob job(Path(), line, c.Request, threads);
            const TToneViews views = job.Take();
            ExpectSameViews(views, expected);
            EXPECT_TRUE(job.Done());
            EXPECT_EQ(job.SetsDone(), job.SetsTotal());
            EXPECT_EQ(job.SetsTotal(), expected.DS.Sets());
        }
    }
    // The sets of the range, counted directly.
    EXPECT_EQ(ComputeToneViews(*store, line, all).DS.Sets(),
              static_cast<int64_t>(store->SetTimes(line, T0, T0 + Sets * 3 * MinuteMs).size()));
}

TEST_F(ToneViewsTest, CancelledOrDestroyedWhileRunningItEndsAndReportsOnce) {
    const int64_t line = Line();
    TToneViewRequest request;
    request.FromMs = static_cast<double>(T0);
    request.ToMs = static_cast<double>(T0 + Sets * 3 * MinuteMs);
    // Cancelled before it started: nothing is loaded.
    TToneViewsProgress cancelled;
    cancelled.Cancelled = true;
    const auto store = THistoryStore::Open(Path(), THistoryStore::TMode::ReadOnly);
    EXPECT_EQ(ComputeToneViews(*store, line, request, &cancelled).DS.Sets(), 0);
    EXPECT_EQ(cancelled.SetsDone, 0);

    for (int round = 0; round < 5; ++round) {
        std::atomic<int> reported{0};
        {
            TToneViewsJob job(Path(), line, request, 2, [&] { ++reported; });
            if (round % 2 == 0) {
                job.Cancel();
                EXPECT_NO_THROW(job.Take());
                EXPECT_TRUE(job.Done());
                EXPECT_LE(job.SetsDone(), Sets);
            }
            // Odd rounds: destroyed while it runs.
        }
        EXPECT_EQ(reported, 1) << round;
    }
}

TEST_F(ToneViewsTest, ADamagedSetOnAnyThreadIsTheComputationsError) {
    const std::string path = Dir->File("damaged.sqlite");
    std::filesystem::copy_file(Path(), path);
    // A set late in the range: read by the second thread.
    ExecSql(path, "UPDATE sample_data SET data = x'28b52ffd00' || randomblob(40) WHERE "
                  "sample_id = (SELECT max(sample_id) FROM sample_data WHERE kind = 'set')");
    TToneViewRequest request;
    request.FromMs = static_cast<double>(T0);
    request.ToMs = static_cast<double>(T0 + Sets * 3 * MinuteMs);
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        TToneViewsJob job(path, Line(), request, threads);
        EXPECT_THROW(job.Take(), EHistoryError);
        EXPECT_TRUE(job.Done());
    }
}

} // namespace
} // namespace vexlorin::test
