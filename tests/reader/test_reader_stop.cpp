// Stop requests at several points of a run, and the reader's lifetime around its
// completion handler.
#include "ReaderTestSupport.h"

#include <atomic>

namespace vexlorin::test {
namespace {

const std::string Connecting = std::string("status:") + ReaderText::Connecting;
const std::string LoggingIn = std::string("status:") + ReaderText::LoggingIn;

TEST_F(ReaderFixture, StopBeforeStartEndsTheLogonAsAStoppedRun) {
    StartSim();
    auto Reader = MakeReader(true);
    Reader->Terminate();

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_TRUE(Record.Stopped);
    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.ErrorReason, ReaderText::UnableToLogin);
    EXPECT_EQ(Record.Ending, reStopped);
    // The connect is given up before it starts: nothing is shown, nothing reaches the
    // console.
    EXPECT_TRUE(View.Calls.empty()) << ::testing::PrintToString(View.Calls);
    EXPECT_EQ(Sim->ConnectionsAccepted(), 0u);
    EXPECT_TRUE(Sim->Commands().empty());
}

struct TLogonStopCase {
    const char* Name;
    bool SilentAccount;
    std::string StopOn;
    std::vector<std::string> Calls;
};

class StopDuringLogon : public ReaderFixture,
                        public ::testing::WithParamInterface<TLogonStopCase> {};

TEST_P(StopDuringLogon, EndsTheWaitAtOnce) {
    const auto& Case = GetParam();
    TRouterSimOptions Options;
    Options.SilentAccount = Case.SilentAccount;
    // Every prompt comes late, so the stop always finds the reader waiting.
    Options.AnswerDelay = 2s;
    StartSim(Options);
    auto Reader = MakeReader(true);
    Reader->SetTimeouts(Timeouts(30s));
    auto* R = Reader.get();
    View.OnCall = [&](const std::string& AEntry) {
        if (AEntry == Case.StopOn)
            R->Terminate();
    };

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_TRUE(Record.Stopped);
    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.ErrorReason, ReaderText::UnableToLogin);
    EXPECT_LT(Record.Duration, 20s);
    EXPECT_EQ(View.Calls, Case.Calls);
}

INSTANTIATE_TEST_SUITE_P(
    Points, StopDuringLogon,
    ::testing::Values(TLogonStopCase{"WaitingForAccount", true, Connecting, {Connecting}},
                      TLogonStopCase{
                          "AfterAccountPrompt", false, LoggingIn, {Connecting, LoggingIn}}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// The router never finishes the answer to Command; the stop comes with the last
// notification before that command's wait. The run ends at the next stop check, with
// every notification up to it and the emptied status line.
struct TScriptStopCase {
    const char* Name;
    const char* Command;
    std::size_t StopOn;      // entry of the complete run that asks for the stop
    std::size_t CallsBefore; // entries of the complete run shown before the closing one
};

class StopDuringScript : public ReaderFixture,
                         public ::testing::WithParamInterface<TScriptStopCase> {};

TEST_P(StopDuringScript, EndsAtTheNextStopCheckAndKeepsWhatWasRead) {
    const auto& Case = GetParam();
    TRouterSimOptions Options;
    Options.Profile = vp35b;
    Options.NoPromptAfter = Case.Command;
    StartSim(Options);
    auto Reader = MakeReader(true);
    Reader->SetTimeouts(Timeouts(30s));
    const auto Full = FullRunCalls(vp35b, true);
    const std::string StopOn = Full[Case.StopOn];
    auto* R = Reader.get();
    View.OnCall = [&](const std::string& AEntry) {
        if (AEntry == StopOn)
            R->Terminate();
    };

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_TRUE(Record.Stopped);
    EXPECT_FALSE(Record.TelnetError);
    EXPECT_EQ(Record.ErrorReason, "");
    EXPECT_FALSE(Record.HasFatal);
    EXPECT_LT(Record.Duration, 20s);
    std::vector<std::string> Calls(Full.begin(),
                                   Full.begin() + static_cast<std::ptrdiff_t>(Case.CallsBefore));
    Calls.push_back("status:");
    EXPECT_EQ(View.Calls, Calls);
    // Progress went as far as the command that never finished.
    const auto Step = std::find(std::begin(routersim::KnownCommands),
                                std::end(routersim::KnownCommands), std::string(Case.Command)) -
                      std::begin(routersim::KnownCommands) + 1;
    ASSERT_FALSE(View.Progress.empty());
    EXPECT_EQ(View.Progress.back(), std::make_pair(static_cast<int>(Step), 13));

    // The stuck command added nothing; what came before stays.
    const std::string Command = Case.Command;
    if (Command == "vdsl status bandinfo") {
        EXPECT_TRUE(Data.Stats().empty());
    } else {
        EXPECT_EQ(Data.Stats(), ExpectedText());
        EXPECT_EQ(Data.VDSLProfile(), vp35b);
    }
    const bool ReachedBins = Command == "vdsl showbins" || Command == "vdsl showbins up";
    EXPECT_EQ(Data.HLogDSRaw().empty(), !ReachedBins);
    EXPECT_EQ(Data.SNRUSRaw().empty(), !ReachedBins);
    EXPECT_TRUE(Data.BinStatsUSRaw().empty());
    EXPECT_EQ(Data.BinStatsDSRaw().empty(), Command != "vdsl showbins up");
}

INSTANTIATE_TEST_SUITE_P(
    Points, StopDuringScript,
    ::testing::Values(TScriptStopCase{"Bandinfo", "vdsl status bandinfo", 3, 4},
                      TScriptStopCase{"HLog", "vdsl status hlog", 6, 8},
                      TScriptStopCase{"Showbins", "vdsl showbins", 12, 13},
                      // After the last command: every step ran, still a stopped run.
                      TScriptStopCase{"ShowbinsUp", "vdsl showbins up", 13, 15}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(ReaderFixture, ReaderMayBeDestroyedInsideItsCompletionHandler) {
    StartSim();
    auto Reader = MakeReader(false);
    bool Done = false;
    Reader->SetOnTerminate([&](TDrayTelnetReader& R) {
        EXPECT_FALSE(R.TelnetError());
        Reader.reset();
        Done = true;
    });
    Reader->Start();
    ASSERT_TRUE(Notifier.WaitAndRunUntil([&] { return Done; }, 60s));
    EXPECT_EQ(Reader, nullptr);
    EXPECT_EQ(View.Calls, FullRunCalls(vp17a, false));
}

TEST_F(ReaderFixture, FreeOnTerminateDeletesTheReaderAfterItsHandler) {
    StartSim();
    // Owned by nobody once started: a leak would show under the address sanitizer.
    auto* Reader = MakeReader(false).release();
    Reader->SetFreeOnTerminate(true);
    bool Done = false;
    TDrayData* Handed = nullptr;
    Reader->SetOnTerminate([&](TDrayTelnetReader& R) {
        Handed = R.DrayData();
        Done = true;
    });
    Reader->Start();
    ASSERT_TRUE(Notifier.WaitAndRunUntil([&] { return Done; }, 60s));
    EXPECT_EQ(Handed, &Data);
    EXPECT_EQ(Data.VDSLProfile(), vp17a);
}

TEST_F(ReaderFixture, DestroyingARunningReaderStopsItWithoutItsHandler) {
    TRouterSimOptions Options;
    Options.NoPromptAfter = "vdsl status hlog";
    StartSim(Options);
    auto Reader = MakeReader(true);
    Reader->SetTimeouts(Timeouts(30s));
    bool HandlerRan = false;
    Reader->SetOnTerminate([&](TDrayTelnetReader&) { HandlerRan = true; });
    Reader->Start();
    const std::string Waiting = std::string("status:") + ReaderText::RetrievingHLog;
    ASSERT_TRUE(Notifier.WaitAndRunUntil(
        [&] { return !View.Calls.empty() && View.Calls.back() == Waiting; }, 60s));

    const auto Begin = std::chrono::steady_clock::now();
    Reader.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - Begin, 20s);
    EXPECT_FALSE(Telnet.Connected());
    Notifier.RunPending();
    EXPECT_FALSE(HandlerRan);
    EXPECT_EQ(View.Calls.back(), "status:");
}

TEST_F(ReaderFixture, AReaderRunsOnce) {
    StartSim();
    auto Reader = MakeReader(false);
    Run(*Reader);
    EXPECT_THROW(Reader->Start(), std::logic_error);
}

TEST_F(ReaderFixture, CustomReaderSendsItsCommandOnce) {
    StartSim();
    Telnet.SetHost("127.0.0.1");
    Telnet.SetPort(Port);
    auto Reader = std::make_unique<TDrayTelnetReader>(Telnet, "admin", "admin", "DrayTek",
                                                      "vdsl status", Notifier, &View);
    Reader->SetTimeouts(Timeouts());
    EXPECT_EQ(Reader->TelnetOp(), troCustom);
    EXPECT_EQ(Reader->DrayData(), nullptr);

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_FALSE(Record.TelnetError);
    EXPECT_FALSE(Record.Stopped);
    EXPECT_EQ(View.Calls, (std::vector<std::string>{Connecting, LoggingIn}));
    EXPECT_EQ(Sim->Commands(), std::vector<std::string>{"vdsl status"});
}

} // namespace
} // namespace vexlorin::test
