// The history store on real SQLite files in temporary folders, with sets read from the
// simulated router.
#include "HistoryTestSupport.h"
#include "RouterSim.h"
#include "cli/CliTestSupport.h"
#include "history/HistoryStore.h"
#include "history/TimeText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <filesystem>
#include <map>
#include <random>

namespace vexlorin::test {
namespace {

using namespace vexlorin::history;

// The times of every export against the C library's calendar, from before 1970 to the year
// 9999, and read back by ParseTime to the same millisecond.
TEST(HistoryTimeText, FormatsAsTheCLibraryAndReadsBack) {
    const auto reference = [](int64_t ATimeMs) {
        const int64_t ms = ((ATimeMs % 1000) + 1000) % 1000;
        const std::time_t seconds = static_cast<std::time_t>((ATimeMs - ms) / 1000);
        std::tm utc{};
        gmtime_r(&seconds, &utc);
        char text[80];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900,
                      utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                      static_cast<int>(ms));
        return std::string(text);
    };
    std::vector<int64_t> times = {0,
                                  -1,
                                  999,
                                  -86'400'000,
                                  951'782'400'000,      // 2000-02-29
                                  4'107'542'399'999,    // 2100-02-28T23:59:59.999
                                  253'402'300'799'999,  // 9999-12-31T23:59:59.999
                                  -62'167'219'200'000}; // 0000-01-01
    std::mt19937_64 random(3);
    std::uniform_int_distribution<int64_t> any(-62'167'219'200'000, 253'402'300'799'999);
    for (int i = 0; i < 20000; ++i)
        times.push_back(any(random));
    for (const int64_t t : times) {
        const std::string text = FormatTimeMs(t);
        ASSERT_EQ(text, reference(t)) << t;
        ASSERT_EQ(ParseTime(text), t) << text;
    }
}

// Sets of the simulator, read once for the whole file.
struct TSets {
    std::shared_ptr<TDrayData> WithBins, StatusOnly, Training;
    std::vector<std::shared_ptr<TDrayData>> Growing; // sessions 1, 2 and 3 (the retrain)
};

const TSets& Sets() {
    static const TSets sets = [] {
        TSets s;
        TRouterSimOptions options;
        options.Profile = vp35b;
        s.WithBins = SetsFromSim(options, true).front();
        s.StatusOnly = SetsFromSim(options, false).front();
        options.Training = true;
        s.Training = SetsFromSim(options, false).front();
        options.Training = false;
        options.RetrainAtSession = 3;
        s.Growing = SetsFromSim(options, false, 3);
        return s;
    }();
    return sets;
}

TSampleInput Completed(int64_t ATimeMs, const std::shared_ptr<TDrayData>& ASet, bool ATables) {
    TSampleInput input;
    input.TimeMs = ATimeMs;
    input.Set = ASet.get();
    input.WithTables = ATables;
    input.Ending = "completed";
    return input;
}

TSampleInput Failed(int64_t ATimeMs) {
    TSampleInput input;
    input.TimeMs = ATimeMs;
    input.Outcome = TSampleOutcome::Failed;
    input.Ending = "connect-failed";
    input.Message = "Connection refused";
    return input;
}

TEST(HistoryStore, CreatesTheFileWithWalAndReopensIt) {
    TTempDir dir;
    const std::string path = dir.File("sub/folder/h.sqlite");
    int64_t line = 0;
    {
        auto store = THistoryStore::Open(path, THistoryStore::TMode::ReadWrite);
        line = store->LineId({"10.0.0.1", 23, "DrayTek"});
        EXPECT_EQ(store->LineId({"10.0.0.1", 23, "DrayTek"}), line);
        EXPECT_NE(store->LineId({"10.0.0.1", 2323, "DrayTek"}), line);
        store->AddSample(line, Completed(1000, Sets().StatusOnly, false));
    }
    EXPECT_EQ(QuerySql(path, "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(QuerySql(path, "SELECT version FROM schema_version"),
              std::to_string(HistorySchemaVersion));
    auto reader = THistoryStore::Open(path, THistoryStore::TMode::ReadOnly);
    const auto lines = reader->Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Key.Host, "10.0.0.1");
    EXPECT_EQ(lines[0].Samples, 1);
    EXPECT_EQ(lines[1].Samples, 0);
    EXPECT_THROW(reader->AddSample(line, Failed(2000)), EHistoryError);
    EXPECT_EQ(reader->IntegrityCheck(), "ok");
}

// Files the store must refuse, each left byte for byte as it was.
TEST(HistoryStore, RefusesFilesThatAreNotItsOwnAndLeavesThemAlone) {
    TTempDir dir;
    struct TCase {
        std::string Name;
        std::function<void(const std::string&)> Make;
        std::string Expected;
    };
    const std::vector<TCase> cases = {
        {"text.sqlite", [](const std::string& P) { WriteWholeFile(P, std::string(5000, 'x')); },
         "is not a history database"},
        {"other.sqlite",
         [](const std::string& P) { ExecSql(P, "CREATE TABLE photos (id INTEGER)"); },
         "not a history database"},
        {"newer.sqlite",
         [](const std::string& P) {
             { THistoryStore::Open(P, THistoryStore::TMode::ReadWrite); }
             ExecSql(P, "UPDATE schema_version SET version = 99");
         },
         "newer"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string path = dir.File(c.Name);
        c.Make(path);
        const std::string before = ReadWholeFile(path);
        for (auto mode : {THistoryStore::TMode::ReadWrite, THistoryStore::TMode::ReadOnly}) {
            try {
                THistoryStore::Open(path, mode);
                ADD_FAILURE() << "opened";
            } catch (const EHistoryError& e) {
                EXPECT_NE(std::string(e.what()).find(c.Expected), std::string::npos) << e.what();
            }
        }
        EXPECT_EQ(ReadWholeFile(path), before);
    }
    EXPECT_THROW(THistoryStore::Open(dir.File("missing.sqlite"), THistoryStore::TMode::ReadOnly),
                 EHistoryError);
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing.sqlite")));
}

TEST(HistoryStore, StoredSetRoundTripsByteForByte) {
    TTempDir dir;
    auto store = THistoryStore::Open(dir.File("h.sqlite"), THistoryStore::TMode::ReadWrite);
    const int64_t line = store->LineId({"127.0.0.1", 23, "DrayTek"});
    const int64_t withSet = store->AddSample(line, Completed(10000, Sets().WithBins, true));
    const int64_t without = store->AddSample(line, Completed(20000, Sets().StatusOnly, false));

    const auto original = Sets().WithBins->SaveToBytes();
    EXPECT_EQ(store->SetBytes(withSet), original);
    const auto loaded = store->LoadSet(withSet);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->SaveToBytes(), original);
    // The file the window opens is the same as one saved from the set itself.
    loaded->SaveToFile(dir.File("a.draydata"));
    Sets().WithBins->SaveToFile(dir.File("b.draydata"));
    EXPECT_EQ(ReadWholeFile(dir.File("a.draydata")), ReadWholeFile(dir.File("b.draydata")));

    EXPECT_EQ(store->LoadSet(without), nullptr);
    const auto rows = store->Samples(line, 0, 30000);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].HasSet);
    EXPECT_FALSE(rows[1].HasSet);
    // The stored values are the summary's, bands left out, each of its own kind.
    TLineSummary expected = SummarizeSet(*Sets().WithBins);
    expected.Bands.clear();
    EXPECT_EQ(rows[0].Summary, expected);
    TLineSummary status = SummarizeStatus(Sets().StatusOnly->Stats());
    status.Bands.clear();
    EXPECT_EQ(rows[1].Summary, status);
    EXPECT_TRUE(rows[0].Summary.Get(sdDown, diSNRMargin).Has());
}

// The few values the time charts read equal those of the whole rows: integers, decimals,
// absent values and failed samples, of the asked line and range alone.
TEST(HistoryStore, SampleValuesAreThoseOfTheWholeRows) {
    TTempDir dir;
    auto store = THistoryStore::Open(dir.File("h.sqlite"), THistoryStore::TMode::ReadWrite);
    const int64_t line = store->LineId({"127.0.0.1", 23, "DrayTek"});
    const int64_t other = store->LineId({"127.0.0.2", 23, "DrayTek"});
    store->AddSample(line, Completed(1000, Sets().WithBins, true));
    store->AddSample(line, Failed(2000));
    store->AddSample(line, Completed(3000, Sets().Training, false));
    store->AddSample(line, Completed(4000, Sets().StatusOnly, false));
    store->AddSample(other, Completed(2500, Sets().StatusOnly, false));
    store->AddSample(line, Completed(9000, Sets().StatusOnly, false));
    const std::vector<TDirectionValue> items = {{sdDown, diActualRate},
                                                {sdUp, diSNRMargin},
                                                {sdDown, diAttenuation},
                                                {sdUp, diCRC},
                                                {sdDown, diSNRMargin}};
    std::vector<TSampleValues> read;
    store->VisitSampleValues(line, 1000, 4000, items,
                             [&](const TSampleValues& ASample) { read.push_back(ASample); });
    const auto rows = store->Samples(line, 1000, 4000);
    ASSERT_EQ(rows.size(), 4u);
    ASSERT_EQ(read.size(), rows.size());
    int absent = 0, decimals = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read[i].TimeMs, rows[i].TimeMs);
        EXPECT_EQ(read[i].Outcome, rows[i].Outcome);
        EXPECT_EQ(read[i].HasSet, rows[i].HasSet);
        ASSERT_EQ(read[i].Values.size(), items.size());
        for (std::size_t k = 0; k < items.size(); ++k) {
            const TSummaryValue& value = rows[i].Summary.Get(items[k].Direction, items[k].Item);
            if (const auto number = value.AsNumber()) {
                EXPECT_EQ(read[i].Values[k], *number) << k;
                decimals += value.IsInteger() ? 0 : 1;
            } else {
                EXPECT_TRUE(std::isnan(read[i].Values[k])) << k;
                ++absent;
            }
        }
    }
    // The cases above were all met: absent values (the failed sample) and decimals.
    EXPECT_GE(absent, static_cast<int>(items.size()));
    EXPECT_GT(decimals, 0);
    EXPECT_EQ(read[1].Outcome, TSampleOutcome::Failed);
    EXPECT_TRUE(read[0].HasSet);
    EXPECT_EQ(
        read[0].Values[0],
        static_cast<double>(*SummarizeSet(*Sets().WithBins).Get(sdDown, diActualRate).AsInteger()));
}

TEST(HistoryStore, NearestSetPicksTheClosestOnEitherSide) {
    TTempDir dir;
    auto store = THistoryStore::Open(dir.File("h.sqlite"), THistoryStore::TMode::ReadWrite);
    const int64_t line = store->LineId({"127.0.0.1", 23, "DrayTek"});
    const int64_t other = store->LineId({"127.0.0.2", 23, "DrayTek"});
    EXPECT_EQ(store->NearestSet(line, 0), nullptr);
    for (int64_t t : {1000, 5000, 9000})
        store->AddSample(line, Completed(t, Sets().WithBins, true));
    store->AddSample(line, Completed(6000, Sets().StatusOnly, false));
    store->AddSample(other, Completed(5600, Sets().WithBins, true));
    const std::map<int64_t, int64_t> nearest = {{0, 1000},    {2999, 1000}, {3001, 5000},
                                                {5600, 5000}, {7500, 9000}, {99999, 9000}};
    for (const auto& [at, expected] : nearest) {
        int64_t found = 0;
        EXPECT_TRUE(store->NearestSet(line, at, &found));
        EXPECT_EQ(found, expected) << "at " << at;
    }
    EXPECT_EQ(store->SetTimes(line, 0, 99999).size(), 3u);
}

TEST(HistoryStore, RatesCountAResetCounterFromZero) {
    TLineSummary before, after;
    before.Directions[sdDown][diCRC] = TSummaryValue::Integer(100);
    after.Directions[sdDown][diCRC] = TSummaryValue::Integer(130);
    before.Directions[sdUp][diCRC] = TSummaryValue::Integer(500);
    after.Directions[sdUp][diCRC] = TSummaryValue::Integer(7); // reset, then 7 more
    before.Directions[sdDown][diES] = TSummaryValue::Integer(5);
    before.Directions[sdDown][diSNRMargin] = TSummaryValue::Decimal(6.0);
    after.Directions[sdDown][diSNRMargin] = TSummaryValue::Decimal(5.0);
    const auto rates = RatesBetween(&before, 1000, after, 61000);
    EXPECT_EQ(rates.IntervalMs, 60000);
    EXPECT_EQ(rates.Delta[sdDown][diCRC], 30);
    EXPECT_EQ(rates.Delta[sdUp][diCRC], 7);
    EXPECT_EQ(rates.Delta[sdDown][diES], std::nullopt);        // absent in the later sample
    EXPECT_EQ(rates.Delta[sdDown][diSNRMargin], std::nullopt); // a gauge, not a counter
    EXPECT_EQ(RatesBetween(nullptr, 0, after, 1).IntervalMs, 0);
}

// Sequences of samples and the events they make.
TEST(HistoryStore, DerivesEventsFromTheSamplesBefore) {
    const auto& s = Sets();
    struct TCase {
        const char* Name;
        std::vector<std::pair<std::shared_ptr<TDrayData>, bool>> Samples; // set (null: failed)
        std::vector<std::string> Events;
    };
    const auto up = std::make_pair(s.Growing[0], false);
    const auto up2 = std::make_pair(s.Growing[1], false);
    const auto retrained = std::make_pair(s.Growing[2], false);
    const auto training = std::make_pair(s.Training, false);
    const auto fail = std::make_pair(std::shared_ptr<TDrayData>(), false);
    const std::vector<TCase> cases = {
        {"steady", {up, up2}, {}},
        {"first sample fails", {fail}, {"unreachable"}},
        {"router away and back", {up, fail, fail, up2}, {"unreachable", "reachable"}},
        {"line drops and trains again",
         {up, training, training, up},
         {"line-down", "line-up", "retrain"}},
        {"link times rise, counters reset", {up2, retrained}, {"counter-reset", "retrain"}},
        {"counters go back without a link-times change", {up2, up}, {"counter-reset", "retrain"}},
        {"trains from the start", {training, up}, {"line-up"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempDir dir;
        auto store = THistoryStore::Open(dir.File("h.sqlite"), THistoryStore::TMode::ReadWrite);
        const int64_t line = store->LineId({"127.0.0.1", 23, "DrayTek"});
        int64_t t = 1000;
        for (const auto& [set, tables] : c.Samples)
            store->AddSample(line, set ? Completed(t += 1000, set, tables) : Failed(t += 1000));
        std::vector<std::string> events;
        for (const auto& event : store->Events(line, 0, t))
            events.emplace_back(EventKey(event.Kind));
        EXPECT_EQ(events, c.Events);
        for (const auto& rate : store->Rates(line, 0, t))
            for (const auto& direction : rate.Delta)
                for (const auto& delta : direction)
                    if (delta) {
                        EXPECT_GE(*delta, 0);
                    }
        // The exports' single pass gives each sample the rates Rates gives, also for a range
        // that starts after the first sample (its first interval reaches back before it).
        for (const int64_t from : {int64_t{0}, int64_t{2500}, int64_t{3500}}) {
            const auto rates = store->Rates(line, from, t);
            std::size_t next = 0;
            store->VisitSamples(line, from, t,
                                [&](const TSampleRow& ARow, const TIntervalRates* ARate) {
                                    if (!ARate)
                                        return;
                                    ASSERT_LT(next, rates.size()) << ARow.TimeMs;
                                    EXPECT_EQ(ARate->TimeMs, rates[next].TimeMs);
                                    EXPECT_EQ(ARate->IntervalMs, rates[next].IntervalMs);
                                    EXPECT_EQ(ARate->Delta, rates[next].Delta);
                                    ++next;
                                });
            EXPECT_EQ(next, rates.size()) << "from " << from;
        }
    }
}

// Stored sets are compressed against a base set of the line: a base stays while a newer
// set refers to it, and goes with the last one.
TEST(HistoryStore, PruneDropsOlderSamplesWithTheirSetsAndEvents) {
    TTempDir dir;
    const std::string path = dir.File("h.sqlite");
    auto store = THistoryStore::Open(path, THistoryStore::TMode::ReadWrite);
    const int64_t line = store->LineId({"127.0.0.1", 23, "DrayTek"});
    store->AddSample(line, Failed(1000));
    const int64_t base = store->AddSample(line, Completed(2000, Sets().WithBins, true));
    const int64_t later = store->AddSample(line, Completed(3000, Sets().WithBins, true));
    store->AddSample(line, Completed(4000, Sets().StatusOnly, false));
    EXPECT_EQ(
        QuerySql(path, "SELECT count(*) FROM sample_data WHERE base_id = " + std::to_string(base)),
        "2");
    EXPECT_EQ(store->Prune(2500), 1); // the failure; the base is still needed
    EXPECT_TRUE(store->Events(line, 0, 9999).empty());
    EXPECT_EQ(store->SetBytes(later), Sets().WithBins->SaveToBytes());
    EXPECT_EQ(store->Prune(3500), 1); // the status text of 4000 still refers to the base
    EXPECT_EQ(store->Samples(line, 0, 9999).size(), 2u);
    EXPECT_EQ(store->Prune(4500), 2);
    EXPECT_TRUE(store->Samples(line, 0, 9999).empty());
    EXPECT_EQ(QuerySql(path, "SELECT count(*) FROM sample_data"), "0");
    // The next set is a new base.
    const int64_t next = store->AddSample(line, Completed(5000, Sets().WithBins, true));
    EXPECT_EQ(QuerySql(path, "SELECT base_id IS NULL FROM sample_data WHERE sample_id = " +
                                 std::to_string(next)),
              "1");
    EXPECT_EQ(store->LastSampleId(), next);
    EXPECT_EQ(store->IntegrityCheck(), "ok");
}

TEST(HistoryStore, DamagedStoredSetIsAClearErrorAndTheRestStaysReadable) {
    TTempDir dir;
    const std::string path = dir.File("h.sqlite");
    int64_t id = 0, line = 0;
    {
        auto store = THistoryStore::Open(path, THistoryStore::TMode::ReadWrite);
        line = store->LineId({"127.0.0.1", 23, "DrayTek"});
        id = store->AddSample(line, Completed(1000, Sets().WithBins, true));
    }
    ExecSql(path, "UPDATE sample_data SET data = x'28b52ffd00' || randomblob(40)");
    auto store = THistoryStore::Open(path, THistoryStore::TMode::ReadOnly);
    try {
        store->LoadSet(id);
        ADD_FAILURE() << "a damaged set was read";
    } catch (const EHistoryError& e) {
        EXPECT_NE(std::string(e.what()).find("damaged"), std::string::npos) << e.what();
    }
    EXPECT_EQ(store->Samples(line, 0, 9999).size(), 1u);
}

} // namespace
} // namespace vexlorin::test
