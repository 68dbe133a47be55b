// Complete retrievals from the simulated router: what the set holds afterwards and what
// the window was shown on the way.
#include "ReaderTestSupport.h"

namespace vexlorin::test {
namespace {

struct TRetrievalCase {
    TVDSLProfile Profile;
    bool Bins;
};

class FullRetrieval : public ReaderFixture, public ::testing::WithParamInterface<TRetrievalCase> {};

TEST_P(FullRetrieval, FillsTheSetAndShowsEveryStepInOrder) {
    const auto [Profile, Bins] = GetParam();
    TRouterSimOptions Options;
    Options.Profile = Profile;
    Options.Seed = 7;
    StartSim(Options);

    const auto Record = RunToEnd(MakeReader(Bins));

    EXPECT_FALSE(Record.Stopped);
    EXPECT_FALSE(Record.TelnetError);
    EXPECT_EQ(Record.ErrorReason, "");
    EXPECT_FALSE(Record.HasFatal);
    EXPECT_EQ(View.Calls, FullRunCalls(Profile, Bins));
    // One progress step per command sent, out of 11 or 13.
    const int Steps = Bins ? 13 : 11;
    std::vector<std::pair<int, int>> Progress;
    for (int Step = 1; Step <= Steps; ++Step)
        Progress.emplace_back(Step, Steps);
    EXPECT_EQ(View.Progress, Progress);

    const auto Text = ExpectedText();
    EXPECT_EQ(Data.Stats(), Text);
    EXPECT_EQ(View.TextShown, Text); // complete before the text view was drawn
    EXPECT_EQ(Data.VDSLProfile(), Profile);
    EXPECT_EQ(Data.Name(), "test set");

    // The per-group tables get the whole answer, echo and prompt included.
    TDrayData Ref;
    Ref.SetHLogData(Received("vdsl status hlog"));
    Ref.SetQLNData(Received("vdsl status qln"));
    Ref.SetSNRData(Received("vdsl status snr"));
    const routersim::TLineModel Model(Profile, 7);
    const TStatMultipliers Sizes = {static_cast<uint8_t>(Model.GroupSize()),
                                    static_cast<uint8_t>(Model.GroupSize())};
    EXPECT_EQ(Data.HLogMultipliers(), Sizes);
    EXPECT_EQ(Data.QLNMultipliers(), Sizes);
    EXPECT_EQ(Data.SNRMultipliers(), Sizes);
    EXPECT_EQ(Data.HLogUSRaw(), Ref.HLogUSRaw());
    EXPECT_EQ(Data.HLogDSRaw(), Ref.HLogDSRaw());
    EXPECT_EQ(Data.QLNDSRaw(), Ref.QLNDSRaw());
    EXPECT_EQ(Data.SNRUSRaw(), Ref.SNRUSRaw());
    EXPECT_EQ(Data.HLogStatsUS(), Ref.HLogStatsUS());
    EXPECT_EQ(Data.HLogStatsDS(), Ref.HLogStatsDS());
    EXPECT_EQ(Data.QLNStatsUS(), Ref.QLNStatsUS());
    EXPECT_EQ(Data.QLNStatsDS(), Ref.QLNStatsDS());
    EXPECT_EQ(Data.SNRStatsUS(), Ref.SNRStatsUS());
    EXPECT_EQ(Data.SNRStatsDS(), Ref.SNRStatsDS());
    EXPECT_EQ(Data.HLogUSRaw().size(), 64u); // 512 groups, eight per line
    EXPECT_EQ(Data.SNRDSRaw().size(), 64u);

    if (Bins) {
        EXPECT_EQ(Data.BinStatsDSRaw(), Cut("vdsl showbins", 2, 2));
        EXPECT_EQ(Data.BinStatsUSRaw(), Cut("vdsl showbins up", 2, 2));
        int DownTones = 0;
        for (int T = 0; T < Model.ToneCount(); ++T) {
            const auto& Tone = Model.Tone(T);
            const auto& Down = Data.ShowBinStatsDS()[static_cast<std::size_t>(T)];
            const auto& Up = Data.ShowBinStatsUS()[static_cast<std::size_t>(T)];
            EXPECT_EQ(Down.Bin, T);
            EXPECT_EQ(Down.ToneBits, Tone.Down ? Tone.Bits : 0) << "tone " << T;
            EXPECT_EQ(Up.ToneBits, Tone.Up ? Tone.Bits : 0) << "tone " << T;
            EXPECT_EQ(Down.Gain, Tone.Down ? Tone.Gain : 0) << "tone " << T;
            DownTones += Tone.Down && Tone.Bits > 0;
        }
        EXPECT_GT(DownTones, 100);
    } else {
        EXPECT_TRUE(Data.BinStatsDSRaw().empty());
        EXPECT_TRUE(Data.BinStatsUSRaw().empty());
        EXPECT_EQ(Data.ShowBinStatsDS(), TDrayBinArray{});
    }

    const std::vector<std::string> Sent(std::begin(routersim::KnownCommands),
                                        std::end(routersim::KnownCommands) - (Bins ? 0 : 2));
    EXPECT_EQ(Sim->Commands(), Sent);
}

INSTANTIATE_TEST_SUITE_P(Profiles, FullRetrieval,
                         ::testing::Values(TRetrievalCase{vp35b, true},
                                           TRetrievalCase{vp35b, false},
                                           TRetrievalCase{vp17a, true}, TRetrievalCase{vp8b, false},
                                           TRetrievalCase{vp12a, true},
                                           TRetrievalCase{vp30a, false}),
                         [](const auto& AInfo) {
                             return std::string(VDSLProfileNames[AInfo.param.Profile]) +
                                    (AInfo.param.Bins ? "_bins" : "_nobins");
                         });

// Console quirks that a retrieval copes with: each still yields the complete set.
struct TQuirkCase {
    const char* Name;
    std::function<void(TRouterSimOptions&)> Apply;
};

class ConsoleQuirk : public ReaderFixture, public ::testing::WithParamInterface<TQuirkCase> {};

TEST_P(ConsoleQuirk, StillYieldsTheCompleteSet) {
    TRouterSimOptions Options;
    Options.Profile = vp17a;
    GetParam().Apply(Options);
    StartSim(Options);

    const auto Record = RunToEnd(MakeReader(true));

    EXPECT_FALSE(Record.TelnetError) << Record.ErrorReason;
    EXPECT_EQ(View.Calls, FullRunCalls(vp17a, true));
    EXPECT_EQ(Data.Stats(), ExpectedText());
    EXPECT_EQ(Data.BinStatsUSRaw(), Cut("vdsl showbins up", 2, 2));
}

INSTANTIATE_TEST_SUITE_P(
    Quirks, ConsoleQuirk,
    ::testing::Values(
        // Every prompt split over as many bursts as it has bytes.
        TQuirkCase{"OneBytePerBurst", [](TRouterSimOptions& O) { O.OneBytePerBurst = true; }},
        // The router name in the prompt in other letter case still counts as the prompt.
        TQuirkCase{"PromptOtherCase", [](TRouterSimOptions& O) { O.PromptOtherCase = true; }},
        TQuirkCase{"SlowAnswers",
                   [](TRouterSimOptions& O) { O.AnswerDelay = std::chrono::milliseconds(20); }}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// A single command that fails adds nothing to the set; the script goes on and the run
// counts as complete.
struct TFailedCommandCase {
    const char* Name;
    const char* Command;
    bool TimesOut; // no prompt after the answer; otherwise turned away as a console error
};

class FailedCommand : public ReaderFixture,
                      public ::testing::WithParamInterface<TFailedCommandCase> {};

TEST_P(FailedCommand, AddsNothingAndTheScriptGoesOn) {
    const auto& Case = GetParam();
    TRouterSimOptions Options;
    Options.Profile = vp35b;
    if (Case.TimesOut)
        Options.NoPromptAfter = Case.Command;
    else
        Options.InvalidCommand = Case.Command;
    StartSim(Options);
    auto Reader = MakeReader(true);
    auto T = Timeouts();
    if (Case.TimesOut)
        T.Command = T.Bins = 300ms;
    Reader->SetTimeouts(T);

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_FALSE(Record.TelnetError) << Record.ErrorReason;
    EXPECT_FALSE(Record.Stopped);
    const std::string Command = Case.Command;
    // Without its status answer the set keeps the profile it had.
    EXPECT_EQ(View.Calls, FullRunCalls(Command == "vdsl status" ? vpNA : vp35b, true));
    EXPECT_EQ(Sim->Commands().size(), 13u);
    if (Command == "vdsl status bandinfo") {
        // Neither the answer nor its note lines.
        auto Text = ExpectedText();
        const auto Band = Cut("vdsl status bandinfo", 2, 2);
        Text.erase(Text.begin(), Text.begin() + static_cast<std::ptrdiff_t>(Band.size()) + 2);
        EXPECT_EQ(Data.Stats(), Text);
    } else if (Command == "vdsl status") {
        // No " [ STATUS ]" either, and the profile stays as it was.
        const auto& S = Data.Stats();
        EXPECT_EQ(std::count(S.begin(), S.end(), " [ STATUS ]"), 0);
        EXPECT_EQ(Data.VDSLProfile(), vpNA);
        EXPECT_EQ(S.size(), ExpectedText().size() - Cut("vdsl status", 2, 2).size() - 2);
    } else if (Command == "vdsl status qln") {
        EXPECT_EQ(Data.Stats(), ExpectedText());
        EXPECT_TRUE(Data.QLNUSRaw().empty());
        EXPECT_TRUE(Data.QLNDSRaw().empty());
        EXPECT_EQ(Data.QLNMultipliers(), (TStatMultipliers{0, 0}));
        EXPECT_FALSE(Data.SNRDSRaw().empty()); // the next command got its own answer
    } else if (Command == "vdsl showbins") {
        EXPECT_TRUE(Data.BinStatsDSRaw().empty());
        EXPECT_EQ(Data.BinStatsUSRaw(), Cut("vdsl showbins up", 2, 2));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FailedCommand,
    ::testing::Values(TFailedCommandCase{"BandinfoTurnedAway", "vdsl status bandinfo", false},
                      TFailedCommandCase{"StatusTurnedAway", "vdsl status", false},
                      TFailedCommandCase{"QLNTurnedAway", "vdsl status qln", false},
                      TFailedCommandCase{"BandinfoTimesOut", "vdsl status bandinfo", true},
                      TFailedCommandCase{"StatusTimesOut", "vdsl status", true},
                      TFailedCommandCase{"QLNTimesOut", "vdsl status qln", true},
                      TFailedCommandCase{"ShowbinsTurnedAway", "vdsl showbins", false},
                      TFailedCommandCase{"ShowbinsTimesOut", "vdsl showbins", true}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// "% Command missing" makes a console error list an answer after all: it is cut and
// added like any other answer.
TEST_F(ReaderFixture, AnswerWithCommandMissingIsAccepted) {
    TRouterSimOptions Options;
    Options.Profile = vp35b;
    Options.CommandMissing = "vdsl status more";
    StartSim(Options);

    const auto Record = RunToEnd(MakeReader(false));

    ASSERT_FALSE(Record.TelnetError) << Record.ErrorReason;
    const auto Missing = routersim::InvalidCommandAnswer("vdsl status more", true);
    const TStringList Added(Missing.begin() + 1, Missing.end() - 1); // cut 2 / 2
    const auto& S = Data.Stats();
    const auto At = std::search(S.begin(), S.end(), Added.begin(), Added.end());
    ASSERT_NE(At, S.end());
    EXPECT_EQ(*(At - 1), ""); // under its empty header line
    EXPECT_EQ(*At, "% Valid subcommands are:");
}

// A console that answers nothing after the logon does not come back after the first
// command timed out either: the run fails, and nothing is added after that command.
TEST_F(ReaderFixture, ConsoleSilentAfterTheLogonEndsAsStoppedAnswering) {
    TScriptedConsole Console("\r\nAccount:", {"Password: ", "Type ? for help\r\nDrayTek> "});
    Port = Console.Port();
    auto Reader = MakeReader(true);
    auto T = Timeouts();
    T.Command = T.Bins = 100ms;
    Reader->SetTimeouts(T);

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_TRUE(Record.TelnetError);
    EXPECT_EQ(Record.Ending, reStoppedAnswering);
    EXPECT_EQ(Record.ErrorReason, ReaderText::StoppedAnswering);
    EXPECT_TRUE(Data.Stats().empty());
    EXPECT_EQ(View.Calls,
              (std::vector<std::string>{std::string("status:") + ReaderText::Connecting,
                                        std::string("status:") + ReaderText::LoggingIn,
                                        std::string("status:") + ReaderText::RetrievingData,
                                        std::string("status:") + ReaderText::RetrievingStatistics,
                                        "status:"}));
    // The command's own wait, the wait for its late prompt, the wait for a fresh one.
    EXPECT_GE(Record.Duration, 3 * 100ms);
}

// Router text is Windows-1252; the set and the window get UTF-8, and a router name with
// letters beyond ASCII is found in the prompt in that code page.
TEST_F(ReaderFixture, RouterTextIsDecodedFromWindows1252) {
    const std::string Prompt = "Caf\xE9> ";
    std::vector<std::string> Replies = {
        "Password: ", Prompt,
        "vdsl status bandinfo\r\ne2\r\n band \xB5 line \x80\r\nl1\r\n" + Prompt,
        "vdsl status\r\ne2\r\n Running Mode : 17A caf\xE9\r\nl1\r\n" + Prompt};
    // The later commands are turned away as console errors: they add nothing.
    for (const char* Command : {"vdsl status more", "vdsl status olr", "vdsl status counts",
                                "vdsl annex", "vdsl inventory co", "vdsl inventory cpe",
                                "vdsl status hlog", "vdsl status qln", "vdsl status snr"})
        Replies.push_back(std::string(Command) + "\r\n% Valid subcommands are:\r\n" + Prompt);
    TScriptedConsole Console("Account:", Replies);
    Port = Console.Port();
    auto Reader = MakeReader(false, "admin", "Caf\xC3\xA9");

    const auto Record = RunToEnd(std::move(Reader));

    EXPECT_FALSE(Record.TelnetError) << Record.ErrorReason;
    EXPECT_EQ(Data.VDSLProfile(), vp17a);
    const TStringList Text = {" band \xC2\xB5 line \xE2\x82\xAC",
                              "",
                              ReaderText::LatnSatnNote,
                              "",
                              " [ STATUS ]",
                              " Running Mode : 17A caf\xC3\xA9",
                              " [ INVENTORY ]"};
    EXPECT_EQ(Data.Stats(), Text);
    EXPECT_EQ(View.TextShown, Text);
}

} // namespace
} // namespace vexlorin::test
