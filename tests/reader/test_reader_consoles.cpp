// Real consoles' habits, each played by the simulated router, alone and with every byte
// in a burst of its own: the set is complete and correct, or exactly the table whose
// answer came too late is empty, or the run fails clearly. No run files one command's
// answer under another: the tables are compared with what the router sent for them.
#include "FullListener.h"
#include "ReaderTestSupport.h"

#include <set>

namespace vexlorin::test {
namespace {

enum TTable { tbHLog, tbQLN, tbSNR, tbBinsDS, tbBinsUS };

class ConsoleFixture : public ReaderFixture {
protected:
    // Every table as the router sent it for its own command, but those in AEmpty, which
    // must hold nothing at all.
    void ExpectTables(const std::set<TTable>& AEmpty = {}) {
        TDrayData Ref;
        Ref.SetHLogData(Received("vdsl status hlog"));
        Ref.SetQLNData(Received("vdsl status qln"));
        Ref.SetSNRData(Received("vdsl status snr"));
        const auto Group = [&](TTable ATable, const char* AName, const TStatMultipliers& ASizes,
                               const TStringList& AUp, const TStringList& ADown,
                               const TStatMultipliers& ARefSizes, const TStringList& ARefUp,
                               const TStringList& ARefDown) {
            SCOPED_TRACE(AName);
            if (AEmpty.count(ATable)) {
                EXPECT_EQ(ASizes, (TStatMultipliers{0, 0}));
                EXPECT_TRUE(AUp.empty());
                EXPECT_TRUE(ADown.empty());
                return;
            }
            EXPECT_EQ(ASizes, ARefSizes);
            EXPECT_EQ(AUp, ARefUp);
            EXPECT_EQ(ADown, ARefDown);
        };
        Group(tbHLog, "hlog", Data.HLogMultipliers(), Data.HLogUSRaw(), Data.HLogDSRaw(),
              Ref.HLogMultipliers(), Ref.HLogUSRaw(), Ref.HLogDSRaw());
        Group(tbQLN, "qln", Data.QLNMultipliers(), Data.QLNUSRaw(), Data.QLNDSRaw(),
              Ref.QLNMultipliers(), Ref.QLNUSRaw(), Ref.QLNDSRaw());
        Group(tbSNR, "snr", Data.SNRMultipliers(), Data.SNRUSRaw(), Data.SNRDSRaw(),
              Ref.SNRMultipliers(), Ref.SNRUSRaw(), Ref.SNRDSRaw());
        EXPECT_EQ(Data.HLogStatsDS(),
                  AEmpty.count(tbHLog) ? TDrayData().HLogStatsDS() : Ref.HLogStatsDS());
        EXPECT_EQ(Data.BinStatsDSRaw(),
                  AEmpty.count(tbBinsDS) ? TStringList{} : Cut("vdsl showbins", 2, 2));
        EXPECT_EQ(Data.BinStatsUSRaw(),
                  AEmpty.count(tbBinsUS) ? TStringList{} : Cut("vdsl showbins up", 2, 2));
    }

    std::vector<std::string> AllCommands() const {
        return {std::begin(routersim::KnownCommands), std::end(routersim::KnownCommands)};
    }
};

std::string BurstName(bool AOneByte) {
    return AOneByte ? "_OneByteBursts" : "";
}

// Habits a retrieval copes with: the complete set, or, for an answer that comes after
// its time-out, exactly that table empty. The console is then brought back and every
// later command gets its own answer.
struct THabitCase {
    const char* Name;
    std::function<void(TRouterSimOptions&)> Apply;
    std::function<void(TReaderTimeouts&)> Waits;
    std::set<TTable> Empty;
};

class ConsoleHabit : public ConsoleFixture,
                     public ::testing::WithParamInterface<std::tuple<THabitCase, bool>> {};

TEST_P(ConsoleHabit, GivesEveryTableItsOwnAnswer) {
    const auto& [Case, OneByte] = GetParam();
    TRouterSimOptions Options;
    Options.Profile = vp17a;
    Options.OneBytePerBurst = OneByte;
    Case.Apply(Options);
    StartSim(Options);
    auto Reader = MakeReader(true);
    auto T = Timeouts();
    if (Case.Waits)
        Case.Waits(T);
    Reader->SetTimeouts(T);

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_EQ(Record.Ending, reCompleted) << Record.Message;
    EXPECT_FALSE(Record.TelnetError);
    EXPECT_EQ(View.Calls, FullRunCalls(vp17a, true));
    EXPECT_EQ(Data.Stats(), ExpectedText());
    EXPECT_EQ(Data.VDSLProfile(), vp17a);
    ExpectTables(Case.Empty);
    EXPECT_EQ(Sim->Commands(), AllCommands());
}

// A late answer within one more wait is awaited; one later still comes while the reader
// waits for the fresh prompt of an empty line, and must not pass for it.
THabitCase Late(const char* AName, const char* ACommand, std::chrono::milliseconds AAfter,
                std::set<TTable> AEmpty) {
    return {AName,
            [=](TRouterSimOptions& O) {
                O.LateAnswer = ACommand;
                O.LateAfter = AAfter;
            },
            [](TReaderTimeouts& T) { T.Command = T.Bins = 1000ms; }, std::move(AEmpty)};
}

INSTANTIATE_TEST_SUITE_P(
    Habits, ConsoleHabit,
    ::testing::Combine(
        ::testing::Values(
            THabitCase{"Pager", [](TRouterSimOptions& O) { O.PagerLines = 20; }, {}, {}},
            // The pager line stays standing; the next page follows it at once.
            THabitCase{"PagerNotErased",
                       [](TRouterSimOptions& O) {
                           O.PagerLines = 20;
                           O.PagerErase = false;
                       },
                       {},
                       {}},
            THabitCase{"CrNul", [](TRouterSimOptions& O) { O.CrNul = true; }, {}, {}},
            THabitCase{"PagerWithCrNul",
                       [](TRouterSimOptions& O) {
                           O.PagerLines = 20;
                           O.CrNul = true;
                       },
                       {},
                       {}},
            THabitCase{
                "UsernamePrompt", [](TRouterSimOptions& O) { O.UsernamePrompt = true; }, {}, {}},
            // Each bins answer takes about twice its wait: only silence counts.
            THabitCase{"SlowSteadyRate",
                       [](TRouterSimOptions& O) { O.Rate = 50000; },
                       [](TReaderTimeouts& T) { T.Command = T.Bins = 800ms; },
                       {}},
            Late("LateWithinItsTimeout", "vdsl status hlog", 400ms, {}),
            Late("LateHLog", "vdsl status hlog", 1500ms, {tbHLog}),
            Late("LateHLogAfterTwoWaits", "vdsl status hlog", 2500ms, {tbHLog}),
            Late("LateDownstreamBins", "vdsl showbins", 1500ms, {tbBinsDS}),
            Late("LateDownstreamBinsAfterTwoWaits", "vdsl showbins", 2500ms, {tbBinsDS})),
        ::testing::Bool()),
    [](const auto& AInfo) {
        return std::string(std::get<0>(AInfo.param).Name) + BurstName(std::get<1>(AInfo.param));
    });

// A console that prints a late answer only after the next command went out: the echo
// of that command tells the two apart, and the late text is not filed under it.
TEST_F(ConsoleFixture, ALateAnswerAfterTheNextCommandIsNotFiledUnderIt) {
    const auto Answer = [this](const char* ACommand) {
        return std::string(ACommand) + "\r\n" + JoinLines(Body(ACommand)) + "DrayTek> ";
    };
    std::vector<std::string> Replies = {"Password: ", "Type ? for command help\r\nDrayTek> "};
    for (const char* Command : {"vdsl status bandinfo", "vdsl status"})
        Replies.push_back(Answer(Command));
    // "vdsl status more" is echoed but not answered in time; the console comes back for the
    // empty line, and prints the "more" answer in front of the "olr" one.
    Replies.push_back("vdsl status more\r\n");
    Replies.push_back("\r\nDrayTek> ");
    const auto More = Body("vdsl status more");
    Replies.push_back(JoinLines(More) + "DrayTek> " + Answer("vdsl status olr"));
    for (const char* Command :
         {"vdsl status counts", "vdsl annex", "vdsl inventory co", "vdsl inventory cpe",
          "vdsl status hlog", "vdsl status qln", "vdsl status snr"})
        Replies.push_back(Answer(Command));
    TScriptedConsole Console("\r\nAccount:", Replies);
    Port = Console.Port();
    auto Reader = MakeReader(false);
    auto T = Timeouts();
    T.Command = 500ms;
    Reader->SetTimeouts(T);

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_EQ(Record.Ending, reCompleted) << Record.Message;
    // The text without the "more" answer and its header line.
    auto Text = ExpectedText();
    const auto MoreText = Cut("vdsl status more", 2, 2);
    const auto At = std::search(Text.begin(), Text.end(), MoreText.begin(), MoreText.end());
    ASSERT_NE(At, Text.end());
    Text.erase(At - 1, At + static_cast<std::ptrdiff_t>(MoreText.size()));
    EXPECT_EQ(Data.Stats(), Text);
    ExpectTables({tbBinsDS, tbBinsUS});
}

// A router that trickles on without end is cut off by the cap per answer, however
// steady it is.
TEST_F(ConsoleFixture, AnswersLongerThanTheCapAreCutOffAndLeaveTheirTablesEmpty) {
    TRouterSimOptions Options;
    Options.Profile = vp17a;
    // The text answers take about a quarter of a second, the per-group ones over one.
    Options.Rate = 6000;
    StartSim(Options);
    auto Reader = MakeReader(false);
    auto T = Timeouts();
    T.Command = 1500ms;
    T.AnswerCap = 800ms;
    Reader->SetTimeouts(T);

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_EQ(Record.Ending, reCompleted) << Record.Message;
    EXPECT_EQ(Data.Stats(), ExpectedText());
    ExpectTables({tbHLog, tbQLN, tbSNR, tbBinsDS, tbBinsUS});
    auto Sent = AllCommands();
    Sent.resize(11);
    EXPECT_EQ(Sim->Commands(), Sent);
}

class StoppedAnswering : public ConsoleFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(StoppedAnswering, FailsTheRunAfterTheCommandThatGotNoAnswer) {
    TRouterSimOptions Options;
    Options.Profile = vp17a;
    Options.OneBytePerBurst = GetParam();
    Options.LateAnswer = "vdsl status more";
    Options.LateAfter = 60s; // ends with the simulator
    StartSim(Options);
    auto Reader = MakeReader(true);
    auto T = Timeouts();
    T.Command = T.Bins = 300ms;
    Reader->SetTimeouts(T);

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_EQ(Record.Ending, reStoppedAnswering);
    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.ErrorReason, ReaderText::StoppedAnswering);
    EXPECT_TRUE(Record.LoggedOn);
    EXPECT_LT(Record.Duration, 20s);
    EXPECT_EQ(View.Calls,
              (std::vector<std::string>{std::string("status:") + ReaderText::Connecting,
                                        std::string("status:") + ReaderText::LoggingIn,
                                        std::string("status:") + ReaderText::RetrievingData,
                                        std::string("status:") + ReaderText::RetrievingStatistics,
                                        "profile:17A", "status:"}));
    EXPECT_EQ(Sim->Commands(), (std::vector<std::string>{"vdsl status bandinfo", "vdsl status",
                                                         "vdsl status more"}));
}

INSTANTIATE_TEST_SUITE_P(Bursts, StoppedAnswering, ::testing::Bool(),
                         [](const auto& AInfo) { return "Plain" + BurstName(AInfo.param); });

// A line that trains has no profile: the run still completes and keeps what the console
// said, with the notice instead of a profile.
class TrainingLine : public ConsoleFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(TrainingLine, IsShownWithProfileNAAndTheNotice) {
    TRouterSimOptions Options;
    Options.Profile = vp35b;
    Options.Training = true;
    Options.OneBytePerBurst = GetParam();
    StartSim(Options);

    const auto Record = RunToEnd(MakeReader(true));

    EXPECT_EQ(Record.Ending, reNotInShowtime);
    EXPECT_EQ(Record.Message, ReaderText::NotInShowtime);
    EXPECT_FALSE(Record.TelnetError);
    EXPECT_EQ(Record.ErrorReason, "");
    EXPECT_FALSE(Record.HasFatal);
    EXPECT_EQ(Data.VDSLProfile(), vpNA);
    EXPECT_EQ(View.Calls, FullRunCalls(vpNA, true));
    const auto Text = ExpectedText();
    EXPECT_EQ(Data.Stats(), Text);
    EXPECT_EQ(View.TextShown, Text);
    EXPECT_NE(std::find_if(Text.begin(), Text.end(),
                           [](const std::string& ALine) {
                               return ALine.find("TRAINING") != std::string::npos;
                           }),
              Text.end());
    // The tables hold what the console printed: their headings, no values.
    ExpectTables();
    EXPECT_TRUE(Data.HLogDSRaw().empty());
    EXPECT_EQ(Data.ShowBinStatsDS(), TDrayBinArray{});
    EXPECT_EQ(Sim->Commands(), AllCommands());
}

INSTANTIATE_TEST_SUITE_P(Bursts, TrainingLine, ::testing::Bool(),
                         [](const auto& AInfo) { return "Plain" + BurstName(AInfo.param); });

// The pager's text inside an answer's data is data: no key is sent, nothing is removed.
TEST_F(ConsoleFixture, APagerLineInsideTheDataStaysData) {
    TRouterSimOptions Options;
    Options.Profile = vp17a;
    Options.ExtraLineAfter = "vdsl annex";
    Options.ExtraLine = std::string(routersim::PagerLine);
    StartSim(Options);

    const auto Record = RunToEnd(MakeReader(true));

    EXPECT_EQ(Record.Ending, reCompleted) << Record.Message;
    auto Text = ExpectedText();
    Text.insert(std::find(Text.begin(), Text.end(), " [ CO ]"), std::string(routersim::PagerLine));
    EXPECT_EQ(Data.Stats(), Text);
    ExpectTables();
    // A stray key would have reached the console as part of the next command line.
    EXPECT_EQ(Sim->Commands(), AllCommands());
}

// Firmware that asks "Username: " with a blank after the colon logs on the same way.
TEST_F(ReaderFixture, UsernamePromptWithABlankIsAnAccountPromptToo) {
    TScriptedConsole Console("\r\nUsername: ", {"Password: ", "Type ? for help\r\nDrayTek> "});
    Telnet.SetHost("127.0.0.1");
    Telnet.SetPort(Console.Port());
    auto Reader = std::make_unique<TDrayTelnetReader>(Telnet, "admin", "admin", "DrayTek",
                                                      "vdsl status", Notifier, &View);
    Reader->SetTimeouts(Timeouts(300ms));

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_EQ(Record.Ending, reCompleted) << Record.Message;
    EXPECT_TRUE(Record.LoggedOn);
    EXPECT_EQ(View.Calls,
              (std::vector<std::string>{std::string("status:") + ReaderText::Connecting,
                                        std::string("status:") + ReaderText::LoggingIn}));
}

TEST_F(ReaderFixture, StopEndsAConnectThatWaitsAtOnce) {
    TFullListener Listener;
    Port = Listener.Port();
    auto Reader = MakeReader(true);
    TRunRecord Record;
    Reader->SetOnTerminate([&](TDrayTelnetReader& R) {
        Record.HandlerRan = true;
        Record.Ending = R.Outcome().Ending;
    });
    const auto Begin = std::chrono::steady_clock::now();
    Reader->Start();
    // The connect waits: the listener never answers it.
    EXPECT_FALSE(Notifier.WaitAndRunUntil([&] { return Record.HandlerRan; }, 300ms));
    Reader->Terminate();
    ASSERT_TRUE(Notifier.WaitAndRunUntil([&] { return Record.HandlerRan; }, 60s));

    EXPECT_EQ(Record.Ending, reStopped);
    EXPECT_TRUE(Reader->Stopped());
    EXPECT_FALSE(Reader->FatalException());
    // Far below the 10 s the connect would wait by itself.
    EXPECT_LT(std::chrono::steady_clock::now() - Begin, 5s);
}

} // namespace
} // namespace vexlorin::test
