// How a run ends when the router refuses, the logon fails, an answer cannot be used, the
// connection goes away or the router floods the reader: what the starter is left with and
// what the window was shown.
#include "ReaderTestSupport.h"

namespace vexlorin::test {
namespace {

const std::string Connecting = std::string("status:") + ReaderText::Connecting;
const std::string LoggingIn = std::string("status:") + ReaderText::LoggingIn;
const std::string RetrievingData = std::string("status:") + ReaderText::RetrievingData;
const std::string RetrievingStats = std::string("status:") + ReaderText::RetrievingStatistics;

TEST_F(ReaderFixture, RefusedConnectionEscapesTheBodyWithoutNotifications) {
    {
        // A port that was just free: nothing listens there any more.
        TRouterSim Gone;
        Port = Gone.Start();
    }
    const auto Record = RunToEnd(MakeReader(true));

    EXPECT_TRUE(Record.HasFatal);
    EXPECT_EQ(Record.Ending, reConnectFailed);
    EXPECT_NE(Record.Fatal.find("Cannot connect to 127.0.0.1:" + std::to_string(Port)),
              std::string::npos)
        << Record.Fatal;
    EXPECT_FALSE(Record.TelnetError);
    EXPECT_EQ(Record.ErrorReason, "");
    EXPECT_FALSE(Record.Stopped);
    EXPECT_TRUE(View.Calls.empty());
}

// Logon rows: what the router does, the wait that runs out (if any), the reason recorded
// and the notifications shown.
struct TLogonCase {
    const char* Name;
    std::function<void(TRouterSimOptions&)> Apply;
    std::string Password;
    std::string RouterName;
    const char* Reason;
    std::vector<std::string> Calls;
    TReadEnding Ending = reLogonFailed;
};

class LogonFailure : public ReaderFixture, public ::testing::WithParamInterface<TLogonCase> {};

TEST_P(LogonFailure, EndsWithTheReasonAndShowsOnlyTheLogon) {
    const auto& Case = GetParam();
    TRouterSimOptions Options;
    if (Case.Apply)
        Case.Apply(Options);
    StartSim(Options);
    auto Reader = MakeReader(true, Case.Password, Case.RouterName);
    Reader->SetTimeouts(Timeouts(300ms));

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.ErrorReason, Case.Reason);
    EXPECT_EQ(Record.Ending, Case.Ending);
    EXPECT_FALSE(Record.HasFatal);
    EXPECT_FALSE(Record.Stopped);
    EXPECT_EQ(View.Calls, Case.Calls);
    EXPECT_TRUE(Sim->Commands().empty());
    EXPECT_TRUE(Data.Stats().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LogonFailure,
    ::testing::Values(TLogonCase{"NoAccountPrompt",
                                 [](TRouterSimOptions& O) { O.SilentAccount = true; },
                                 "admin",
                                 "DrayTek",
                                 ReaderText::UnableToConnect,
                                 {Connecting},
                                 reNoLogonPrompt},
                      // The console's prompt shows another name: the reason says which.
                      TLogonCase{"WrongRouterName",
                                 {},
                                 "admin",
                                 "Vigor",
                                 "Unable to login: the console's prompt is \"DrayTek> \"; set "
                                 "Router name: to DrayTek",
                                 {Connecting, LoggingIn}},
                      TLogonCase{"ConsolePromptShowsAnotherName",
                                 [](TRouterSimOptions& O) { O.PromptName = "Vigor"; },
                                 "admin",
                                 "DrayTek",
                                 "Unable to login: the console's prompt is \"Vigor> \"; set "
                                 "Router name: to Vigor",
                                 {Connecting, LoggingIn}},
                      // The router asks for the password again: the more precise of the two texts.
                      TLogonCase{"WrongPassword",
                                 {},
                                 "secret",
                                 "DrayTek",
                                 ReaderText::InvalidLogin,
                                 {Connecting, LoggingIn}},
                      TLogonCase{"PasswordRejectedByRouter",
                                 [](TRouterSimOptions& O) { O.WrongPassword = true; },
                                 "admin",
                                 "DrayTek",
                                 ReaderText::InvalidLogin,
                                 {Connecting, LoggingIn}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(ReaderFixture, SecondConnectionIsRefusedByTheRouter) {
    TRouterSimOptions Options;
    Options.RejectSecondConnection = true;
    StartSim(Options);
    TTelnetClient First;
    First.SetHost("127.0.0.1");
    First.SetPort(Port);
    First.Connect();

    const auto Record = RunToEnd(MakeReader(true));

    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.Ending, reSingleConnection);
    EXPECT_EQ(Record.ErrorReason, ReaderText::SingleConnection);
    EXPECT_FALSE(Record.HasFatal);
    EXPECT_EQ(View.Calls, std::vector<std::string>{Connecting});
}

TEST_F(ReaderFixture, PasswordPromptWithoutItsSpaceIsNoPasswordPrompt) {
    TScriptedConsole Console("\r\nAccount:", {"Password:"});
    Port = Console.Port();
    auto Reader = MakeReader(true);
    Reader->SetTimeouts(Timeouts(300ms));

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.ErrorReason, ReaderText::UnableToLogin);
    EXPECT_GE(Record.Duration, 300ms);
    EXPECT_EQ(View.Calls, (std::vector<std::string>{Connecting, LoggingIn}));
}

// Errors inside the script end it where they happen; the status line is still emptied and
// the set keeps what was added before.
TEST_F(ReaderFixture, AnswerTooShortForItsCutEndsTheRun) {
    // The bandinfo answer is its echo and the prompt: two lines where cut 2 / 2 needs four.
    TScriptedConsole Console("Account:",
                             {"Password: ", "DrayTek> ", "vdsl status bandinfo\r\nDrayTek> "});
    Port = Console.Port();

    const auto Record = RunToEnd(MakeReader(true));

    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.Ending, reParseError);
    EXPECT_EQ(Record.ErrorReason, "List index out of bounds (-1)");
    EXPECT_FALSE(Record.HasFatal);
    EXPECT_EQ(View.Calls, (std::vector<std::string>{Connecting, LoggingIn, RetrievingData,
                                                    RetrievingStats, "status:"}));
    EXPECT_TRUE(Data.Stats().empty());
}

struct TProfileErrorCase {
    const char* Name;
    std::function<void(TRouterSimOptions&)> Apply;
};

class NoRunningMode : public ReaderFixture,
                      public ::testing::WithParamInterface<TProfileErrorCase> {};

TEST_P(NoRunningMode, EndsTheRunAfterTheStatusTextWasAdded) {
    TRouterSimOptions Options;
    GetParam().Apply(Options);
    StartSim(Options);

    const auto Record = RunToEnd(MakeReader(true));

    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.Ending, reParseError);
    EXPECT_EQ(Record.ErrorReason, "Unable to retrieve profile from VDSL data");
    EXPECT_FALSE(Record.Stopped);
    // No profile label: the error came first.
    EXPECT_EQ(View.Calls, (std::vector<std::string>{Connecting, LoggingIn, RetrievingData,
                                                    RetrievingStats, "status:"}));
    const auto& S = Data.Stats();
    ASSERT_FALSE(S.empty());
    // The status text was added before the profile was looked for.
    const auto Header = std::find(S.begin(), S.end(), " [ STATUS ]");
    ASSERT_NE(Header, S.end());
    EXPECT_GT(S.end() - Header, 1);
    EXPECT_EQ(Sim->Commands(), (std::vector<std::string>{"vdsl status bandinfo", "vdsl status"}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NoRunningMode,
    ::testing::Values(
        // "8D" is in the profile table but not a running mode the status line can name.
        TProfileErrorCase{"Profile8D", [](TRouterSimOptions& O) { O.Profile = vp8d; }},
        // A console error list that also says "% Command missing" is accepted, and holds
        // no running mode.
        TProfileErrorCase{"StatusCommandMissing",
                          [](TRouterSimOptions& O) { O.CommandMissing = "vdsl status"; }}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// The downstream bins are entered while the router prepares the upstream table. A table
// the model refuses still ends the run before the upstream step is shown to the view.
TEST_F(ReaderFixture, RefusedDownstreamBinsEndTheRunBeforeTheUpstreamStep) {
    TRouterSimOptions Options;
    Options.Profile = vp35b;
    Options.ExtraLineAfter = "vdsl showbins";
    Options.ExtraLine = "4294967296 1 1 1";
    StartSim(Options);

    const auto Record = RunToEnd(MakeReader(true));

    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.Ending, reParseError);
    EXPECT_EQ(Record.ErrorReason, "'4294967296' is not a valid integer value");
    EXPECT_FALSE(Record.Stopped);
    EXPECT_FALSE(Record.HasFatal);
    auto Calls = FullRunCalls(vp35b, true);
    const auto Downstream = std::find(Calls.begin(), Calls.end(),
                                      std::string("status:") + ReaderText::RetrievingBinsDS);
    ASSERT_NE(Downstream, Calls.end());
    Calls.erase(Downstream + 1, Calls.end());
    Calls.push_back("status:");
    EXPECT_EQ(View.Calls, Calls);
    ASSERT_FALSE(View.Progress.empty());
    EXPECT_EQ(View.Progress.back(), std::make_pair(12, 13));
    EXPECT_FALSE(Data.BinStatsDSRaw().empty());
    EXPECT_TRUE(Data.BinStatsUSRaw().empty());
}

// The router closing the connection ends the wait in progress at once and fails the run,
// wherever it happens.
struct TLostCase {
    const char* Name;
    unsigned CloseAfter;            // commands answered before the router closes
    std::vector<std::string> Calls; // notifications shown
};

class ConnectionLost : public ReaderFixture, public ::testing::WithParamInterface<TLostCase> {};

TEST_P(ConnectionLost, FailsTheRunWithoutWaitingOutTheTimeouts) {
    const auto& Case = GetParam();
    TRouterSimOptions Options;
    Options.Profile = vp35b;
    Options.CloseAfterCommands = Case.CloseAfter;
    StartSim(Options);
    auto Reader = MakeReader(true);
    Reader->SetTimeouts(Timeouts(30s));

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.Ending, reConnectionLost);
    EXPECT_EQ(Record.ErrorReason, ReaderText::ConnectionClosed);
    EXPECT_FALSE(Record.Stopped);
    EXPECT_FALSE(Record.HasFatal);
    EXPECT_LT(Record.Duration, 20s);
    EXPECT_EQ(View.Calls, Case.Calls);
    EXPECT_EQ(Sim->Commands().size(), Case.CloseAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Points, ConnectionLost,
    ::testing::Values(
        // Closed right after bandinfo was answered: status waits on a dead connection.
        TLostCase{"AfterFirstCommand",
                  1,
                  {Connecting, LoggingIn, RetrievingData, RetrievingStats, "status:"}},
        TLostCase{"AfterHLog",
                  9,
                  {Connecting, LoggingIn, RetrievingData, RetrievingStats, "profile:35B", "text",
                   std::string("status:") + ReaderText::RetrievingHLog, "hlog",
                   std::string("status:") + ReaderText::RetrievingQLN, "status:"}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(ReaderFixture, ConnectionLostDuringTheLogonFailsTheRun) {
    TRouterSimOptions Options;
    Options.SilentAccount = true;
    StartSim(Options);
    auto Reader = MakeReader(true);
    Reader->SetTimeouts(Timeouts(30s));
    // The router goes away while the reader waits for the account prompt.
    View.OnCall = [&](const std::string& AEntry) {
        if (AEntry == Connecting)
            Sim->Stop();
    };

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.Ending, reConnectionLost);
    EXPECT_EQ(Record.ErrorReason, ReaderText::ConnectionClosed);
    EXPECT_FALSE(Record.Stopped);
    EXPECT_LT(Record.Duration, 20s);
    EXPECT_EQ(View.Calls, std::vector<std::string>{Connecting});
}

TEST_F(ReaderFixture, TooMuchDataWithoutAPromptFailsTheRun) {
    TRouterSimOptions Options;
    Options.Profile = vp35b;
    StartSim(Options);
    auto Reader = MakeReader(true);
    // Every text answer fits, the first showbins answer does not.
    Reader->SetMaxAnswerBytes(64 * 1024);

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.Ending, reTooMuchData);
    EXPECT_EQ(Record.ErrorReason, ReaderText::TooMuchData);
    EXPECT_FALSE(Record.HasFatal);
    auto Calls = FullRunCalls(vp35b, true);
    Calls.erase(Calls.end() - 3, Calls.end() - 1); // no bins upstream, no per-tone charts
    EXPECT_EQ(View.Calls, Calls);
    EXPECT_TRUE(Data.BinStatsDSRaw().empty());
    EXPECT_EQ(Data.Stats(), ExpectedText());
}

TEST_F(ReaderFixture, TooMuchDataDuringTheLogonFailsTheRun) {
    // An endless banner instead of the account prompt.
    TScriptedConsole Console(std::string(5000, '*'), {});
    Port = Console.Port();
    auto Reader = MakeReader(true);
    Reader->SetMaxAnswerBytes(4096);
    Reader->SetTimeouts(Timeouts(30s));

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.Ending, reTooMuchData);
    EXPECT_EQ(Record.ErrorReason, ReaderText::TooMuchData);
    EXPECT_LT(Record.Duration, 20s);
    EXPECT_EQ(View.Calls, std::vector<std::string>{Connecting});
}

} // namespace
} // namespace vexlorin::test
