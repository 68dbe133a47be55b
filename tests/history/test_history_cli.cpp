// "vexlorin-cli watch" and "history" as programs, against the simulator program, with the
// exports read back by Python.
#include "HistoryTestSupport.h"
#include "RouterSim.h"
#include "cli/CliTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vexlorin::test {
namespace {

using namespace std::chrono_literals;

TRunOptions WithPassword() {
    TRunOptions run;
    run.Env["VEXLORIN_PASSWORD"] = "admin";
    return run;
}

uint16_t PortOf(TChildProcess& ASim) {
    const std::string line = ASim.ReadLine(); // "listening on 127.0.0.1:PORT"
    return static_cast<uint16_t>(std::stoi(line.substr(line.rfind(':') + 1)));
}

std::string Python(const std::vector<std::string>& AArgs) {
    std::vector<std::string> args{VEXLORIN_PYTHON, VEXLORIN_CHECK_HISTORY};
    args.insert(args.end(), AArgs.begin(), AArgs.end());
    const TRunResult result = RunProgram(args);
    return result.Out + result.Err;
}

std::vector<std::string> WatchArgs(uint16_t APort, const std::string& ADb) {
    return {VEXLORIN_CLI_PATH, "watch", "127.0.0.1", "--port", std::to_string(APort),
            "--user",          "admin", "--db",      ADb};
}

// The walk-through of the README: five samples, the CSV and JSON exports, the set.
TEST(HistoryCli, WatchStoresSamplesThatHistoryExports) {
    TChildProcess sim({VEXLORIN_ROUTERSIM_PATH, "--profile", "35b"});
    const uint16_t port = PortOf(sim);
    TTempDir dir;
    const std::string db = dir.File("h.sqlite");
    const TRunResult watch =
        RunCli({"watch", "127.0.0.1", "--port", std::to_string(port), "--user", "admin", "--db", db,
                "--interval", "1s", "--count", "5", "--bins-every", "2s"},
               WithPassword());
    ASSERT_EQ(watch.ExitCode, 0) << watch.Err;
    EXPECT_NE(watch.Err.find("SHOWTIME"), std::string::npos) << watch.Err;
    EXPECT_NE(watch.Err.find("margin"), std::string::npos);

    const TRunResult csv =
        RunCli({"history", "--db", db, "--format", "csv", "-o", dir.File("h.csv")});
    ASSERT_EQ(csv.ExitCode, 0) << csv.Err;
    EXPECT_EQ(Python({"csv", dir.File("h.csv"), "5"}), "ok 3\n");
    const TRunResult json =
        RunCli({"history", "--db", db, "--format", "json", "-o", dir.File("h.json")});
    ASSERT_EQ(json.ExitCode, 0) << json.Err;
    EXPECT_EQ(Python({"json", dir.File("h.json"), "5"}), "ok\n");

    const TRunResult list = RunCli({"history", "--db", db});
    ASSERT_EQ(list.ExitCode, 0) << list.Err;
    EXPECT_NE(list.Out.find("5 samples"), std::string::npos) << list.Out;

    const TRunResult set = RunCli({"history", "--db", db, "--line", "127.0.0.1", "--set",
                                   "2000-01-01", "-o", dir.File("near.draydata")});
    ASSERT_EQ(set.ExitCode, 0) << set.Err;
    const TRunResult show = RunCli({"show", dir.File("near.draydata")});
    ASSERT_EQ(show.ExitCode, 0) << show.Err;
    EXPECT_NE(show.Out.find("Profile: 35B"), std::string::npos) << show.Out;
}

TEST(HistoryCli, UsageAndDatabaseErrorsSayWhatToDo) {
    TTempDir dir;
    const std::string newer = dir.File("newer.sqlite");
    RunCli({"watch", "127.0.0.1", "--port", "1", "--user", "admin", "--db", newer, "--count", "1"},
           WithPassword());
    ExecSql(newer, "UPDATE schema_version SET version = 7");
    const std::string before = ReadWholeFile(newer);
    WriteWholeFile(dir.File("notes.txt"), "not a database, but notes\n");
    struct TCase {
        std::vector<std::string> Args;
        int Exit;
        std::string Says;
    };
    const std::vector<TCase> cases = {
        {{"history", "--db", newer}, 3, "newer"},
        {{"watch", "127.0.0.1", "--user", "admin", "--db", newer}, 3, "newer"},
        {{"history", "--db", dir.File("notes.txt")}, 3, "not a history database"},
        {{"history", "--db", dir.File("none.sqlite")}, 3, "does not exist"},
        {{"watch", "127.0.0.1", "--user", "admin", "--db", dir.File("x.sqlite"), "--interval",
          "soon"},
         1,
         "not a duration"},
        {{"history", "--db", newer, "--from", "yesterday"}, 1, "not a time"},
        {{"watch", "127.0.0.1", "--user", "admin", "--password", "pw"}, 1, "VEXLORIN_PASSWORD"},
    };
    for (const TCase& c : cases) {
        const TRunResult result = RunCli(c.Args, WithPassword());
        EXPECT_EQ(result.ExitCode, c.Exit) << c.Args[0] << " " << result.Err;
        EXPECT_NE(result.Err.find(c.Says), std::string::npos) << result.Err;
    }
    EXPECT_EQ(ReadWholeFile(newer), before);
}

TEST(HistoryCli, SigtermEndsWatchWithinASecondAndExitsZero) {
    TRouterSimOptions options;
    options.AnswerDelay = 400ms; // a sample is always in progress
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    TTempDir dir;
    const std::string db = dir.File("h.sqlite");
    auto args = WatchArgs(port, db);
    args.insert(args.end(), {"--interval", "100ms"});
    TSignalledChild watch(args, dir.File("err.txt"), {"VEXLORIN_PASSWORD=admin"});
    std::this_thread::sleep_for(1500ms);
    const auto signalled = std::chrono::steady_clock::now();
    watch.Signal(SIGTERM);
    EXPECT_EQ(watch.Wait(), 0) << ReadWholeFile(dir.File("err.txt"));
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, 1s);
    EXPECT_EQ(Python({"integrity", db}), "ok\n");
}

// SIGKILL at random moments: at most the sample in progress is lost, the file stays sound.
TEST(HistoryCli, SigkillAtAnyMomentNeverDamagesTheDatabase) {
    TRouterSimOptions options;
    options.Profile = vp35b;
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    TTempDir dir;
    const std::string db = dir.File("h.sqlite");
    auto args = WatchArgs(port, db);
    args.insert(args.end(), {"--interval", "20ms", "--bins-every", "40ms"});
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delay(30, 300);
    // One whole sample first, so that every kill below meets stored data however slowly the
    // program starts (a sanitizer build may take longer than the longest delay to start).
    {
        auto once = args;
        once.insert(once.end(), {"--count", "1"});
        TSignalledChild watch(once, dir.File("err.txt"), {"VEXLORIN_PASSWORD=admin"});
        ASSERT_EQ(watch.Wait(), 0) << ReadWholeFile(dir.File("err.txt"));
    }
    int64_t stored = std::stoll(QuerySql(db, "SELECT count(*) FROM samples"));
    ASSERT_EQ(stored, 1);
    for (int kill = 0; kill < 20; ++kill) {
        {
            TSignalledChild watch(args, dir.File("err.txt"), {"VEXLORIN_PASSWORD=admin"});
            std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
            watch.Signal(SIGKILL);
            EXPECT_EQ(watch.Wait(), 128 + SIGKILL);
        }
        ASSERT_EQ(QuerySql(db, "PRAGMA integrity_check"), "ok") << "after kill " << kill;
        const int64_t now = std::stoll(QuerySql(db, "SELECT count(*) FROM samples"));
        EXPECT_GE(now, stored); // nothing stored before was lost
        stored = now;
    }
    EXPECT_GT(stored, 0);
    // Every stored set still opens.
    const TRunResult set =
        RunCli({"history", "--db", db, "--set", "0", "-o", dir.File("s.draydata")});
    EXPECT_EQ(set.ExitCode, 0) << set.Err;
    EXPECT_EQ(Python({"integrity", db}), "ok\n");
}

// A disk that fills up mid-watch, made by a file size limit on the program: watch ends with
// a message that says so, and every sample it reported is in the file, which stays sound.
TEST(HistoryCli, AFullDiskEndsWatchAndKeepsWhatWasStored) {
    TRouterSim sim;
    const uint16_t port = sim.Start();
    TTempDir dir;
    const std::string db = dir.File("h.sqlite");
    std::vector<std::string> args = {"/usr/bin/prlimit", "--fsize=262144", "--"};
    const auto watchArgs = WatchArgs(port, db);
    args.insert(args.end(), watchArgs.begin(), watchArgs.end());
    args.insert(args.end(), {"--interval", "10ms", "--no-bins", "--count", "100000"});
    TSignalledChild watch(args, dir.File("err.txt"), {"VEXLORIN_PASSWORD=admin"});
    const int exit = watch.Wait();
    const std::string err = ReadWholeFile(dir.File("err.txt"));
    EXPECT_EQ(exit, 3) << err;
    EXPECT_NE(err.find("disk"), std::string::npos) << err;
    EXPECT_NE(err.find("every sample stored before is kept"), std::string::npos) << err;
    ASSERT_EQ(Python({"integrity", db}), "ok\n");
    // Each sample reported on standard error (the simulator is always in showtime) is stored.
    std::size_t reported = 0;
    for (std::size_t at = err.find(" SHOWTIME "); at != std::string::npos;
         at = err.find(" SHOWTIME ", at + 1))
        ++reported;
    EXPECT_GT(reported, 3u) << err;
    EXPECT_EQ(QuerySql(db, "SELECT count(*) FROM samples"), std::to_string(reported)) << err;
}

// A file the program may not write: refused before the first sample, with what to do, and
// left as it was. Root may write any file, so as root the test gives that power up first.
TEST(HistoryCli, AReadOnlyDatabaseIsRefusedAtOnceAndLeftAsItIs) {
    TTempDir dir;
    const std::string db = dir.File("h.sqlite");
    ASSERT_EQ(
        RunCli({"watch", "127.0.0.1", "--port", "1", "--user", "admin", "--db", db, "--count", "1"},
               WithPassword())
            .ExitCode,
        0);
    chmod(db.c_str(), 0444);
    const std::string before = ReadWholeFile(db);
    std::vector<std::string> args;
    if (geteuid() == 0)
        args = {"/usr/bin/setpriv", "--inh-caps=-dac_override,-dac_read_search",
                "--bounding-set=-dac_override,-dac_read_search", "--"};
    const auto watchArgs = WatchArgs(1, db);
    args.insert(args.end(), watchArgs.begin(), watchArgs.end());
    args.insert(args.end(), {"--count", "1"});
    TSignalledChild watch(args, dir.File("err.txt"), {"VEXLORIN_PASSWORD=admin"});
    const int exit = watch.Wait();
    const std::string err = ReadWholeFile(dir.File("err.txt"));
    EXPECT_EQ(exit, 3) << err;
    EXPECT_NE(err.find("cannot be written (read-only file or folder)"), std::string::npos) << err;
    EXPECT_EQ(err.find("Recording"), std::string::npos) << err;
    EXPECT_EQ(ReadWholeFile(db), before);
}

TEST(HistoryCli, TwoRecordersShareOneDatabase) {
    TRouterSim first, second;
    const uint16_t portA = first.Start(), portB = second.Start();
    TTempDir dir;
    const std::string db = dir.File("h.sqlite");
    auto a = WatchArgs(portA, db), b = WatchArgs(portB, db);
    for (auto* args : {&a, &b})
        args->insert(args->end(), {"--interval", "30ms", "--bins-every", "60ms", "--count", "15"});
    TSignalledChild one(a, dir.File("a.txt"), {"VEXLORIN_PASSWORD=admin"});
    TSignalledChild two(b, dir.File("b.txt"), {"VEXLORIN_PASSWORD=admin"});
    EXPECT_EQ(one.Wait(), 0) << ReadWholeFile(dir.File("a.txt"));
    EXPECT_EQ(two.Wait(), 0) << ReadWholeFile(dir.File("b.txt"));
    EXPECT_EQ(QuerySql(db, "SELECT count(*) FROM samples WHERE outcome = 'completed'"), "30");
    EXPECT_EQ(QuerySql(db, "SELECT count(DISTINCT line_id) FROM samples"), "2");
    EXPECT_EQ(Python({"integrity", db}), "ok\n");
}

TEST(HistoryCli, EventsAndPrune) {
    TRouterSimOptions options;
    options.RetrainAtSession = 2;
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    TTempDir dir;
    const std::string db = dir.File("h.sqlite");
    ASSERT_EQ(RunCli({"watch", "127.0.0.1", "--port", std::to_string(port), "--user", "admin",
                      "--db", db, "--interval", "50ms", "--count", "3", "--no-bins"},
                     WithPassword())
                  .ExitCode,
              0);
    const TRunResult events = RunCli({"history", "--db", db, "--events", "--format", "csv"});
    ASSERT_EQ(events.ExitCode, 0) << events.Err;
    EXPECT_NE(events.Out.find(",retrain,link times 1 -> 2"), std::string::npos) << events.Out;
    EXPECT_NE(events.Out.find(",counter-reset,"), std::string::npos) << events.Out;
    const TRunResult prune = RunCli({"history", "--db", db, "--prune", "1ms"});
    ASSERT_EQ(prune.ExitCode, 0) << prune.Err;
    EXPECT_NE(prune.Err.find("Dropped 3 samples"), std::string::npos) << prune.Err;
    EXPECT_EQ(QuerySql(db, "SELECT count(*) FROM samples"), "0");
}

} // namespace
} // namespace vexlorin::test
