// vexlorin-cli retrieve against the simulated router on loopback, run as the real program.
#include "Answers.h"
#include "CliTestSupport.h"
#include "LineModel.h"
#include "RouterSim.h"
#include "cli/CliErrors.h"
#include "cli/Retrieve.h"
#include "model/uDrayData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <regex>
#include <set>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vexlorin {
namespace {

using test::RunCli;
using test::RunProgram;
using test::TRunOptions;
using test::TTempDir;
using test::WriteWholeFile;

TRunOptions WithPassword(const std::string& APassword, const std::string& AWorkingDir = "") {
    TRunOptions options;
    options.Env["VEXLORIN_PASSWORD"] = APassword;
    options.WorkingDir = AWorkingDir;
    return options;
}

std::vector<std::string> RetrieveArgs(uint16_t APort, const std::string& AOutput) {
    std::vector<std::string> args{"retrieve", "127.0.0.1", "--port", std::to_string(APort),
                                  "--user",   "admin"};
    if (!AOutput.empty()) {
        args.push_back("-o");
        args.push_back(AOutput);
    }
    return args;
}

std::unique_ptr<TDrayData> Load(const std::string& AFilename) {
    auto data = std::make_unique<TDrayData>();
    data->LoadFromFile(AFilename);
    return data;
}

std::size_t TonesWithBits(const TDrayBinArray& ABins) {
    return std::count_if(ABins.begin(), ABins.end(),
                         [](const TDrayBinEntry& e) { return e.ToneBits > 0; });
}

bool Contains(const std::vector<std::string>& AList, const std::string& AItem) {
    return std::find(AList.begin(), AList.end(), AItem) != AList.end();
}

// A local TCP port on which nothing listens while the socket lives: connections are refused.
class TClosedPort {
public:
    TClosedPort() {
        FSocket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(FSocket, reinterpret_cast<sockaddr*>(&address), size);
        getsockname(FSocket, reinterpret_cast<sockaddr*>(&address), &size);
        FPort = ntohs(address.sin_port);
    }
    ~TClosedPort() { close(FSocket); }
    uint16_t Port() const { return FPort; }

private:
    int FSocket = -1;
    uint16_t FPort = 0;
};

TEST(CliRetrieve, WithBinsWritesACompleteFileAndShowsProgress) {
    TRouterSimOptions options;
    options.Profile = vp35b;
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    TTempDir dir;
    auto args = RetrieveArgs(port, "x.draydata");
    args.push_back("--bins");
    const auto run = RunCli(args, WithPassword("admin", dir.Path().string()));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "Connecting to the router, please wait...\n"
                       "Connected to router, logging in...\n"
                       "Retrieving data...\n"
                       "Retrieving statistics, please wait...\n"
                       "Retrieving HLOG data, please wait...\n"
                       "Retrieving QLN data, please wait...\n"
                       "Retrieving SNR data, please wait...\n"
                       "Retrieving bins downstream, please wait...\n"
                       "Retrieving bins upstream, please wait...\n"
                       "Saved \"x.draydata\"\n");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"x.draydata"});

    const auto data = Load(dir.File("x.draydata"));
    EXPECT_TRUE(std::regex_match(data->Name(), std::regex(R"(\d{8}-\d{6}-DrayTek\.draydata)")))
        << data->Name();
    EXPECT_EQ(data->VDSLProfile(), vp35b);
    EXPECT_FALSE(data->Stats().empty());
    EXPECT_NE(data->HLogMultipliers()[sdDown], 0);
    const auto hasValues = [](const TDrayStatArray& AArray) {
        return std::count_if(AArray.begin(), AArray.end(),
                             [](const TStatSlot& s) { return s.HasValue(); }) > 10;
    };
    EXPECT_TRUE(hasValues(data->HLogStatsDS()));
    EXPECT_TRUE(hasValues(data->QLNStatsUS()));
    EXPECT_TRUE(hasValues(data->SNRStatsDS()));
    EXPECT_GT(TonesWithBits(data->ShowBinStatsDS()), 100u);
    EXPECT_GT(TonesWithBits(data->ShowBinStatsUS()), 100u);
    EXPECT_TRUE(Contains(sim.Commands(), "vdsl showbins up"));

    // The file reads back through the tool's own commands.
    const auto show = RunCli({"show", dir.File("x.draydata")});
    ASSERT_EQ(show.ExitCode, 0) << show.Err;
    EXPECT_NE(show.Out.find("Profile: 35B\n"), std::string::npos);
    EXPECT_NE(show.Out.find("Running Mode"), std::string::npos);
}

TEST(CliRetrieve, WithoutOutputUsesTheDefaultNameAndWithoutBinsSkipsThem) {
    TRouterSim sim;
    const uint16_t port = sim.Start();
    TTempDir dir;
    auto args = RetrieveArgs(port, "");
    args.push_back("--quiet");
    const auto run = RunCli(args, WithPassword("admin", dir.Path().string()));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "");

    const std::vector<std::string> entries = dir.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(std::regex_match(entries[0], std::regex(R"(\d{8}-\d{6}-DrayTek\.draydata)")))
        << entries[0];
    const auto data = Load(dir.File(entries[0]));
    EXPECT_EQ(data->Name(), entries[0]);
    EXPECT_EQ(data->VDSLProfile(), vp17a);
    EXPECT_EQ(TonesWithBits(data->ShowBinStatsDS()), 0u);
    EXPECT_FALSE(Contains(sim.Commands(), "vdsl showbins"));
}

TEST(CliRetrieve, PasswordSources) {
    TRouterSimOptions options;
    options.Password = "pa ss";
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    TTempDir dir;
    const std::string passwordFile = dir.File("password");
    WriteWholeFile(passwordFile, "pa ss\r\nnot this line\n");

    // The file wins over the environment.
    auto args = RetrieveArgs(port, dir.File("a.draydata"));
    args.insert(args.end(), {"--password-file", passwordFile});
    auto run = RunCli(args, WithPassword("wrong"));
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("a.draydata")));

    run = RunCli(RetrieveArgs(port, dir.File("b.draydata")), WithPassword("pa ss"));
    EXPECT_EQ(run.ExitCode, 0) << run.Err;

    // No source and no terminal: a usage error before any connection.
    const std::size_t connections = sim.ConnectionsAccepted();
    run = RunCli(RetrieveArgs(port, dir.File("c.draydata")));
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_NE(run.Err.find("VEXLORIN_PASSWORD"), std::string::npos) << run.Err;
    EXPECT_EQ(sim.ConnectionsAccepted(), connections);
    EXPECT_FALSE(std::filesystem::exists(dir.File("c.draydata")));
}

TEST(CliRetrieve, EmptyPasswordFromTheEnvironment) {
    TRouterSimOptions options;
    options.Password = "";
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    TTempDir dir;
    const auto run = RunCli(RetrieveArgs(port, dir.File("x.draydata")), WithPassword(""));
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
}

// The password typed at a terminal is asked for on that terminal and never echoed.
TEST(CliRetrieve, PromptsWithoutEchoOnATerminal) {
    TRouterSimOptions options;
    options.Password = "s3cret-pw";
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    TTempDir dir;
    const char* const script = R"(
import os, pty, sys
cli, port, out = sys.argv[1:4]
env = {k: v for k, v in os.environ.items() if k != "VEXLORIN_PASSWORD"}
try:
    pid, fd = pty.fork()
except OSError:
    sys.exit(77)
if pid == 0:
    os.execve(cli, [cli, "retrieve", "127.0.0.1", "--port", port, "--user", "admin", "-o", out], env)
seen = b""
def read():
    global seen
    try:
        chunk = os.read(fd, 4096)
    except OSError:
        return False
    seen += chunk
    return bool(chunk)
while b"Password for admin@127.0.0.1: " not in seen:
    if not read():
        break
os.write(fd, b"s3cret-pw\n")
while read():
    pass
_, status = os.waitpid(pid, 0)
sys.stdout.write(seen.decode("utf-8", "replace"))
sys.exit(os.waitstatus_to_exitcode(status))
)";
    const auto run = RunProgram({VEXLORIN_PYTHON, "-c", script, VEXLORIN_CLI_PATH,
                                 std::to_string(port), dir.File("x.draydata")});
    if (run.ExitCode == 77)
        GTEST_SKIP() << "no pseudo-terminal available";
    EXPECT_EQ(run.ExitCode, 0) << run.Out << run.Err;
    EXPECT_NE(run.Out.find("Password for admin@127.0.0.1: "), std::string::npos) << run.Out;
    EXPECT_EQ(run.Out.find("s3cret-pw"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("Retrieving data..."), std::string::npos) << run.Out;
    EXPECT_TRUE(std::filesystem::exists(dir.File("x.draydata")));
}

// Each way a retrieval can fail: the exit status, the reason, a hint, and no file.
TEST(CliRetrieve, FailuresByClass) {
    struct Case {
        const char* Name;
        std::function<void(TRouterSimOptions&)> Setup;
        std::string Password;
        int Code;
        std::vector<std::string> Messages;
    };
    // The reader names a rejected password "Invalid login" or "Unable to login".
    const Case cases[] = {
        {"wrong password",
         [](TRouterSimOptions&) {},
         "nope",
         2,
         {" login (127.0.0.1:", "--password-file"}},
        {"password always refused",
         [](TRouterSimOptions& o) { o.WrongPassword = true; },
         "admin",
         2,
         {" login (127.0.0.1:"}},
        {"console closes after logon",
         [](TRouterSimOptions& o) { o.CloseAfterCommands = 1; },
         "admin",
         3,
         {"nothing was saved"}},
        {"profile the program does not know",
         [](TRouterSimOptions& o) { o.Profile = vp8d; },
         "admin",
         3,
         {"Unable to retrieve profile from VDSL data"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TRouterSimOptions options;
        c.Setup(options);
        TRouterSim sim(options);
        const uint16_t port = sim.Start();
        TTempDir dir;
        const auto run =
            RunCli(RetrieveArgs(port, "x.draydata"), WithPassword(c.Password, dir.Path().string()));
        EXPECT_EQ(run.ExitCode, c.Code) << run.Err;
        EXPECT_NE(run.Err.find("vexlorin-cli: "), std::string::npos) << run.Err;
        for (const std::string& message : c.Messages)
            EXPECT_NE(run.Err.find(message), std::string::npos) << run.Err;
        EXPECT_EQ(run.Out, "");
        EXPECT_TRUE(dir.Entries().empty());
    }
}

TEST(CliRetrieve, RefusedPort) {
    TClosedPort closed;
    TTempDir dir;
    const auto run = RunCli(RetrieveArgs(closed.Port(), "x.draydata"),
                            WithPassword("admin", dir.Path().string()));
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_NE(run.Err.find("Connection refused"), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find("--port"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(CliRetrieve, SecondSessionIsRefusedByTheRouter) {
    TRouterSimOptions options;
    options.RejectSecondConnection = true;
    TRouterSim sim(options);
    const uint16_t port = sim.Start();

    // Another session holds the console.
    const int other = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    ASSERT_EQ(connect(other, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (int i = 0; i < 500 && sim.ConnectionsAccepted() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    TTempDir dir;
    const auto run =
        RunCli(RetrieveArgs(port, "x.draydata"), WithPassword("admin", dir.Path().string()));
    close(other);
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_NE(run.Err.find("Only a single connection is allowed"), std::string::npos) << run.Err;
    EXPECT_TRUE(dir.Entries().empty());
}

// No account prompt: the logon gives up after the reader's 10 s.
TEST(CliRetrieve, SilentConsole) {
    TRouterSimOptions options;
    options.SilentAccount = true;
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    TTempDir dir;
    const auto run =
        RunCli(RetrieveArgs(port, "x.draydata"), WithPassword("admin", dir.Path().string()));
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_NE(run.Err.find("Unable to connect"), std::string::npos) << run.Err;
    EXPECT_TRUE(dir.Entries().empty());
}

// Checks that need no router: a missing output folder or a router name that cannot be part
// of the default file name end the command before it connects.
TEST(CliRetrieve, RefusedBeforeConnecting) {
    TRouterSim sim;
    const uint16_t port = sim.Start();
    TTempDir dir;
    struct Case {
        std::vector<std::string> Extra;
        int Code;
        std::string Message;
    };
    const Case cases[] = {
        {{"-o", dir.File("no/folder/x.draydata")}, 3, "does not exist"},
        {{"--router-name", "a/b"}, 1, "-o FILE"},
        {{"--password", "admin"}, 1, "not taken from the command line"},
        {{"--password-file", dir.File("missing")}, 3, "Cannot open file"},
        {{"--port", "0"}, 1, "--port"},
        {{"--port", "65536"}, 1, "--port"},
        {{"--user", ""}, 1, "must not be empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Extra[0] + " " + c.Extra[1]);
        auto args = RetrieveArgs(port, "");
        args.insert(args.end(), c.Extra.begin(), c.Extra.end());
        const auto run = RunCli(args, WithPassword("admin", dir.Path().string()));
        EXPECT_EQ(run.ExitCode, c.Code);
        EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
    }
    EXPECT_EQ(sim.ConnectionsAccepted(), 0u);
    EXPECT_TRUE(dir.Entries().empty());
}

// The simulator as its own program, as a user would start it beside the tool.
TEST(CliRetrieve, AgainstTheRouterSimProgram) {
    test::TChildProcess simulator(
        {VEXLORIN_ROUTERSIM_PATH, "--port", "0", "--profile", "12a", "--seed", "7"});
    const std::string line = simulator.ReadLine();
    std::smatch match;
    ASSERT_TRUE(std::regex_search(line, match, std::regex(R"(127\.0\.0\.1:(\d+))"))) << line;
    const auto port = static_cast<uint16_t>(std::stoi(match[1]));

    TTempDir dir;
    auto args = RetrieveArgs(port, dir.File("x.draydata"));
    args.push_back("--bins");
    const auto run = RunCli(args, WithPassword("admin"));
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto data = Load(dir.File("x.draydata"));
    EXPECT_EQ(data->VDSLProfile(), vp12a);
    EXPECT_GT(TonesWithBits(data->ShowBinStatsDS()), 0u);
}

// Real consoles' habits, played by the simulator: the saved file holds every table as
// the router sent it for its own command, or exactly the late one empty.
enum TTable { tbHLog, tbQLN, tbSNR, tbBins };

TStringList ReceivedAnswer(const TRouterSimOptions& AOptions, const TRouterSim& ASim,
                           const char* ACommand) {
    const routersim::TLineModel model(AOptions.Profile, AOptions.Seed);
    TStringList lines{ACommand};
    const auto body =
        *routersim::CommandAnswer(model, ACommand, {AOptions.SNRMinus32, AOptions.Training});
    lines.insert(lines.end(), body.begin(), body.end());
    lines.push_back(ASim.Prompt());
    return lines;
}

TStringList CutAnswer(TStringList ALines) {
    ALines.erase(ALines.begin(), ALines.begin() + 2);
    ALines.resize(ALines.size() - 2);
    return ALines;
}

void ExpectAsSent(const TDrayData& AData, const TRouterSimOptions& AOptions, const TRouterSim& ASim,
                  const std::set<TTable>& AEmpty) {
    TDrayData sent;
    sent.SetHLogData(ReceivedAnswer(AOptions, ASim, "vdsl status hlog"));
    sent.SetQLNData(ReceivedAnswer(AOptions, ASim, "vdsl status qln"));
    sent.SetSNRData(ReceivedAnswer(AOptions, ASim, "vdsl status snr"));
    const auto expect = [&](TTable ATable, const TStringList& AGot, const TStringList& ASent) {
        EXPECT_EQ(AGot, AEmpty.count(ATable) ? TStringList{} : ASent);
    };
    expect(tbHLog, AData.HLogUSRaw(), sent.HLogUSRaw());
    expect(tbHLog, AData.HLogDSRaw(), sent.HLogDSRaw());
    expect(tbQLN, AData.QLNDSRaw(), sent.QLNDSRaw());
    expect(tbSNR, AData.SNRUSRaw(), sent.SNRUSRaw());
    expect(tbSNR, AData.SNRDSRaw(), sent.SNRDSRaw());
    expect(tbBins, AData.BinStatsDSRaw(),
           CutAnswer(ReceivedAnswer(AOptions, ASim, "vdsl showbins")));
    expect(tbBins, AData.BinStatsUSRaw(),
           CutAnswer(ReceivedAnswer(AOptions, ASim, "vdsl showbins up")));
    // The status text under its header, as the status command answered it.
    const auto status = CutAnswer(ReceivedAnswer(AOptions, ASim, "vdsl status"));
    const auto& stats = AData.Stats();
    const auto header = std::find(stats.begin(), stats.end(), " [ STATUS ]");
    ASSERT_NE(header, stats.end());
    EXPECT_TRUE(std::equal(status.begin(), status.end(), header + 1));
}

// One run of vexlorin-cli retrieve from a started simulator, into x.draydata in ADir.
test::TRunResult RetrieveInto(TRouterSim& ASim, const TTempDir& ADir,
                              const std::vector<std::string>& AExtra = {}) {
    auto args = RetrieveArgs(ASim.Start(), "x.draydata");
    args.insert(args.end(), AExtra.begin(), AExtra.end());
    return RunCli(args, WithPassword("admin", ADir.Path().string()));
}

struct THabitRun {
    const char* Name;
    std::function<void(TRouterSimOptions&)> Setup;
    std::set<TTable> Empty;
};

class CliRetrieveHabit : public ::testing::TestWithParam<THabitRun> {};

TEST_P(CliRetrieveHabit, SavesWhatTheRouterSentForEachCommand) {
    TRouterSimOptions options;
    options.Profile = vp17a;
    GetParam().Setup(options);
    TRouterSim sim(options);
    TTempDir dir;
    const auto run = RetrieveInto(sim, dir, {"--bins"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_NE(run.Err.find("Saved \"x.draydata\""), std::string::npos) << run.Err;
    const auto data = Load(dir.File("x.draydata"));
    EXPECT_EQ(data->VDSLProfile(), vp17a);
    ExpectAsSent(*data, options, sim, GetParam().Empty);
}

INSTANTIATE_TEST_SUITE_P(
    Habits, CliRetrieveHabit,
    ::testing::Values(
        THabitRun{"PagerInOneByteBursts",
                  [](TRouterSimOptions& o) {
                      o.PagerLines = 24;
                      o.OneBytePerBurst = true;
                  },
                  {}},
        THabitRun{"CrNul", [](TRouterSimOptions& o) { o.CrNul = true; }, {}},
        THabitRun{"UsernamePrompt", [](TRouterSimOptions& o) { o.UsernamePrompt = true; }, {}},
        THabitRun{"SlowSteadyRate", [](TRouterSimOptions& o) { o.Rate = 100000; }, {}},
        THabitRun{"LateWithinItsTimeout",
                  [](TRouterSimOptions& o) {
                      o.LateAnswer = "vdsl status hlog";
                      o.LateAfter = std::chrono::milliseconds(1500);
                  },
                  {}},
        // Past the reader's 10 s: HLog stays empty, QLN and SNR get their own answers.
        THabitRun{"LateBeyondItsTimeout",
                  [](TRouterSimOptions& o) {
                      o.LateAnswer = "vdsl status hlog";
                      o.LateAfter = std::chrono::milliseconds(13000);
                  },
                  {tbHLog}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(CliRetrieve, LineNotInShowtimeIsSavedWithItsNotice) {
    TRouterSimOptions options;
    options.Training = true;
    TRouterSim sim(options);
    TTempDir dir;
    const auto run = RetrieveInto(sim, dir);
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_NE(run.Err.find("Line not in showtime: profile unknown\nSaved \"x.draydata\"\n"),
              std::string::npos)
        << run.Err;
    const auto data = Load(dir.File("x.draydata"));
    EXPECT_EQ(data->VDSLProfile(), vpNA);
    ExpectAsSent(*data, options, sim, {tbBins});
    const auto& stats = data->Stats();
    EXPECT_NE(std::find_if(stats.begin(), stats.end(),
                           [](const std::string& ALine) {
                               return ALine.find("State                : TRAINING") !=
                                      std::string::npos;
                           }),
              stats.end());
}

// The logon waits out its 10 s at a prompt of another name, and says which name it saw.
TEST(CliRetrieve, ConsolePromptOfAnotherNameIsNamed) {
    TRouterSimOptions options;
    options.PromptName = "Vigor";
    TRouterSim sim(options);
    TTempDir dir;
    const auto run = RetrieveInto(sim, dir);
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_NE(run.Err.find("Unable to login: the console's prompt is \"Vigor> \"; set Router "
                           "name: to Vigor (127.0.0.1:"),
              std::string::npos)
        << run.Err;
    EXPECT_NE(run.Err.find("--router-name"), std::string::npos) << run.Err;
    EXPECT_TRUE(dir.Entries().empty());
}

// Each ending the reader can report, as the tool's exit status and hint (the tool's own
// retrieval, with short waits; the program maps ECliError's code to its exit status).
TEST(CliRetrieve, EachEndingGivesItsStatusAndHint) {
    struct Case {
        const char* Name;
        std::function<void(TRouterSimOptions&)> Setup;
        cli::TExitCode Code;
        std::string Message;
        std::string Hint;
    };
    const Case cases[] = {
        {"stopped answering",
         [](TRouterSimOptions& o) {
             o.LateAnswer = "vdsl status more";
             o.LateAfter = std::chrono::minutes(1);
         },
         cli::ecFailure, "The router stopped answering", "did not come back"},
        {"password asked for again", [](TRouterSimOptions& o) { o.WrongPassword = true; },
         cli::ecUnreachable, "Invalid login", "--password-file"},
        {"no account prompt", [](TRouterSimOptions& o) { o.SilentAccount = true; },
         cli::ecUnreachable, "Unable to connect", "no logon prompt"},
        {"unknown profile", [](TRouterSimOptions& o) { o.Profile = vp8d; }, cli::ecFailure,
         "Unable to retrieve profile from VDSL data", "import"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TRouterSimOptions options;
        c.Setup(options);
        TRouterSim sim(options);
        cli::TRetrieveRequest request;
        request.Host = "127.0.0.1";
        request.Port = sim.Start();
        request.User = "admin";
        request.Password = "admin";
        request.SetName = "x.draydata";
        TReaderTimeouts waits;
        waits.Account = waits.Password = waits.Banner = waits.Command = waits.Bins =
            std::chrono::milliseconds(300);
        request.Timeouts = waits;
        try {
            cli::RetrieveSet(request, nullptr);
            ADD_FAILURE() << "no error";
        } catch (const cli::ECliError& e) {
            EXPECT_EQ(e.Code(), c.Code);
            EXPECT_EQ(std::string(e.what()).rfind(c.Message, 0), 0u) << e.what();
            EXPECT_NE(e.Hint().find(c.Hint), std::string::npos) << e.Hint();
        }
    }
}

} // namespace
} // namespace vexlorin
