// The simulator's fault switches, each seen from a client, and its bounds.
#include "Answers.h"
#include "Console.h"
#include "RouterSim.h"

#include <gtest/gtest.h>

#include <asio.hpp>

using namespace vexlorin;
using vexlorin::testing::TConsole;
using namespace std::chrono_literals;

namespace {

TEST(RouterSimFaults, SecondConnectionIsRejectedWhileTheFirstIsOpen) {
    TRouterSimOptions options;
    options.RejectSecondConnection = true;
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    auto first = std::make_unique<TConsole>(port);
    ASSERT_FALSE(first->Until("Account:").empty());
    TConsole second(port);
    EXPECT_FALSE(second.Until("Reject the connection request !!!\r\n").empty());
    EXPECT_TRUE(second.WaitForClose());
    first.reset();
    // Once the first is gone, a new connection is served again.
    for (int attempt = 0; attempt < 50; ++attempt) {
        TConsole third(port);
        if (third.LogOn())
            return;
        std::this_thread::sleep_for(20ms);
    }
    FAIL() << "no connection served after the first one closed";
}

TEST(RouterSimFaults, SilentAccountNeverPrompts) {
    TRouterSimOptions options;
    options.SilentAccount = true;
    TRouterSim sim(options);
    TConsole console(sim.Start());
    EXPECT_TRUE(console.Until("Account:", 300ms).empty());
}

TEST(RouterSimFaults, WrongPasswordAsksAgain) {
    for (bool fault : {true, false}) {
        TRouterSimOptions options;
        options.WrongPassword = fault;
        TRouterSim sim(options);
        TConsole console(sim.Start());
        ASSERT_FALSE(console.Until("Account:").empty());
        console.Send("admin\r");
        ASSERT_FALSE(console.Until("Password: ").empty());
        console.Send(fault ? "admin\r" : "secret\r"); // a wrong password asks again too
        EXPECT_FALSE(console.Until("\r\nPassword: ").empty());
        console.Send("admin\r");
        EXPECT_EQ(console.Until("DrayTek> ", 300ms).empty(), fault);
    }
}

TEST(RouterSimFaults, PromptInOtherLetterCase) {
    TRouterSimOptions options;
    options.PromptOtherCase = true;
    TRouterSim sim(options);
    EXPECT_EQ(sim.Prompt(), "draytek> ");
    TConsole console(sim.Start());
    EXPECT_TRUE(console.LogOn("draytek> "));
}

TEST(RouterSimFaults, DelayComesBeforeTheAnswer) {
    TRouterSimOptions options;
    options.AnswerDelay = 400ms;
    TRouterSim sim(options);
    TConsole console(sim.Start());
    ASSERT_TRUE(console.LogOn());
    console.Send("vdsl annex\r");
    EXPECT_TRUE(console.Until("DrayTek> ", 100ms).empty());
    EXPECT_FALSE(console.Until("DrayTek> ").empty());
}

TEST(RouterSimFaults, NoPromptAfterTheChosenCommandOnly) {
    TRouterSimOptions options;
    options.NoPromptAfter = "vdsl status qln";
    TRouterSim sim(options);
    TConsole console(sim.Start());
    ASSERT_TRUE(console.LogOn());
    console.Send("vdsl status qln\r");
    EXPECT_TRUE(console.Until("DrayTek> ", 300ms).empty());
    EXPECT_NE(console.Pending().find(" DS: (dBm/Hz)"), std::string::npos);
    // The answer without its prompt ends with a value line.
    EXPECT_FALSE(console.Until(",\r\n").empty());
    EXPECT_FALSE(console.Run("vdsl annex").empty());
}

TEST(RouterSimFaults, ClosesAfterTheChosenNumberOfCommands) {
    TRouterSimOptions options;
    options.CloseAfterCommands = 2;
    TRouterSim sim(options);
    TConsole console(sim.Start());
    ASSERT_TRUE(console.LogOn());
    EXPECT_FALSE(console.Run("vdsl annex").empty());
    EXPECT_FALSE(console.Run("vdsl status").empty());
    EXPECT_TRUE(console.WaitForClose());
    EXPECT_EQ(sim.Commands(), (std::vector<std::string>{"vdsl annex", "vdsl status"}));
}

TEST(RouterSimFaults, ChosenCommandsAnswerWithConsoleErrors) {
    TRouterSimOptions options;
    options.InvalidCommand = "vdsl status";
    options.CommandMissing = "vdsl status snr";
    TRouterSim sim(options);
    TConsole console(sim.Start());
    ASSERT_TRUE(console.LogOn());
    const std::string invalid = console.Run("vdsl status");
    EXPECT_NE(invalid.find("% Valid subcommands are:"), std::string::npos);
    EXPECT_EQ(invalid.find("% Command missing"), std::string::npos);
    EXPECT_EQ(invalid.find("Running Mode"), std::string::npos);
    const std::string missing = console.Run("vdsl status snr");
    EXPECT_NE(missing.find("% Command missing"), std::string::npos);
    const std::string unknown = console.Run("vdsl no such thing");
    EXPECT_NE(unknown.find("% Valid subcommands are:\r\n"), std::string::npos);
    EXPECT_NE(unknown.find("status"), std::string::npos);
    EXPECT_NE(console.Run("vdsl status bandinfo").find("ATU-R Info"), std::string::npos);
}

TEST(RouterSimFaults, MinusThirtyTwoForTonesWithoutData) {
    TRouterSimOptions options;
    options.SNRMinus32 = true;
    TRouterSim sim(options);
    TConsole console(sim.Start());
    ASSERT_TRUE(console.LogOn());
    TStringList lines = SplitLines(console.Run("vdsl showbins"));
    lines.erase(lines.begin(), lines.begin() + 2);
    lines.resize(lines.size() - 2);
    EXPECT_NE(JoinLines(lines).find("   0 -32    0  0 *"), std::string::npos);
    TDrayData data;
    data.SetBinStatsDSRaw(lines);
    EXPECT_EQ(data.ShowBinStatsDS()[100].Bin, 100) << "downstream tones still parse";
    EXPECT_GT(data.ShowBinStatsDS()[100].ToneBits, 0);
    EXPECT_EQ(data.ShowBinStatsDS()[1].Bin, 0) << "tones with -32 give no entry";
}

TEST(RouterSimFaults, ExtraLineGoesIntoThatAnswerOnly) {
    TRouterSimOptions options;
    options.ExtraLineAfter = "vdsl  showbins";
    options.ExtraLine = "4294967296 1 1 1";
    TRouterSim sim(options);
    TConsole console(sim.Start());
    ASSERT_TRUE(console.LogOn());
    EXPECT_EQ(console.Run("vdsl showbins up").find("4294967296"), std::string::npos);
    const std::string answer = console.Run("vdsl showbins");
    EXPECT_NE(answer.find("\r\n4294967296 1 1 1\r\n\r\n" + sim.Prompt()), std::string::npos);
}

TEST(RouterSimFaults, PagerWaitsForItsKeys) {
    TRouterSimOptions options;
    options.PagerLines = 5;
    TRouterSim sim(options);
    TConsole console(sim.Start());
    ASSERT_TRUE(console.LogOn());
    const std::string pager(routersim::PagerLine);
    const std::string erase = "\r" + std::string(pager.size(), ' ') + "\r";
    console.Send("vdsl status\r");
    // The echo and five lines, then the pager waits.
    const std::string first = console.Until(pager);
    EXPECT_EQ(SplitLines(first).size(), 7u) << first;
    EXPECT_TRUE(console.Until("DrayTek> ", 200ms).empty());
    console.Send(" "); // the next page
    const std::string second = console.Until(pager);
    EXPECT_EQ(second.rfind(erase, 0), 0u);
    EXPECT_EQ(SplitLines(second.substr(erase.size())).size(), 6u) << second;
    console.Send("\r"); // one more line
    EXPECT_EQ(SplitLines(console.Until(pager).substr(erase.size())).size(), 2u);
    console.Send("q"); // the rest of the answer is dropped
    EXPECT_EQ(console.Until("DrayTek> "), erase + "DrayTek> ");
    // Short answers are not paged.
    EXPECT_EQ(console.Run("vdsl annex").find(pager), std::string::npos);
}

TEST(RouterSimFaults, LateAnswerIsEchoedAtOnceAndAnsweredLate) {
    TRouterSimOptions options;
    options.LateAnswer = "vdsl annex";
    options.LateAfter = 400ms;
    TRouterSim sim(options);
    TConsole console(sim.Start());
    ASSERT_TRUE(console.LogOn());
    console.Send("vdsl annex\r");
    EXPECT_FALSE(console.Until("vdsl annex\r\n").empty());
    EXPECT_TRUE(console.Until("DrayTek> ", 100ms).empty());
    EXPECT_NE(console.Until("DrayTek> ").find("Annex Mode"), std::string::npos);
    // Other commands come at once; an empty line gets the prompt alone.
    EXPECT_FALSE(console.Run("vdsl status", "DrayTek> ").empty());
    EXPECT_EQ(console.Run(""), "\r\nDrayTek> ");
}

TEST(RouterSimFaults, SteadyRateSpreadsAnAnswer) {
    TRouterSimOptions options;
    options.Rate = 2000; // the status answer takes most of a second
    TRouterSim sim(options);
    TConsole console(sim.Start());
    ASSERT_TRUE(console.LogOn());
    console.Send("vdsl status\r");
    EXPECT_TRUE(console.Until("DrayTek> ", 300ms).empty());
    EXPECT_FALSE(console.Pending().empty()); // it is on its way
    EXPECT_NE(console.Until("DrayTek> ").find("DSLAM CHIPSET VENDOR"), std::string::npos);
}

TEST(RouterSimFaults, OtherConsoleTexts) {
    TRouterSimOptions options;
    options.UsernamePrompt = true;
    options.PromptName = "Vigor";
    options.CrNul = true;
    options.Training = true;
    TRouterSim sim(options);
    EXPECT_EQ(sim.Prompt(), "Vigor> ");
    TConsole console(sim.Start());
    ASSERT_FALSE(console.Until("Username:").empty());
    console.Send("admin\r");
    ASSERT_FALSE(console.Until("Password: ").empty());
    console.Send("admin\r");
    ASSERT_FALSE(console.Until("Vigor> ").empty());
    // The client reads CR NUL as a bare CR: no line ends with CR LF.
    const std::string status = console.Run("vdsl status", "Vigor> ");
    EXPECT_EQ(status.find("\r\n"), std::string::npos);
    EXPECT_NE(status.find("Running Mode            :      -----"), std::string::npos) << status;
    EXPECT_NE(status.find("State                : TRAINING\r"), std::string::npos) << status;
    // A training line has no tones to show.
    const TStringList bins = SplitLines(console.Run("vdsl showbins", "Vigor> "));
    EXPECT_EQ(bins.size(), 9u);
}

TEST(RouterSimLimits, LongInputLineIsCutAndTheSessionGoesOn) {
    TRouterSimOptions options;
    options.MaxLineLength = 64;
    TRouterSim sim(options);
    TConsole console(sim.Start());
    ASSERT_TRUE(console.LogOn());
    const std::string answer = console.Run(std::string(100000, 'x'));
    EXPECT_NE(answer.find("% Valid subcommands are:"), std::string::npos);
    EXPECT_LT(answer.size(), 400u);
    ASSERT_EQ(sim.Commands().size(), 1u);
    EXPECT_EQ(sim.Commands()[0].size(), 64u);
    EXPECT_FALSE(console.Run("vdsl annex").empty());
}

TEST(RouterSimLimits, ConnectionsBeyondTheBoundAreClosed) {
    TRouterSimOptions options;
    options.MaxConnections = 2;
    TRouterSim sim(options);
    const uint16_t port = sim.Start();
    TConsole first(port), second(port);
    ASSERT_FALSE(first.Until("Account:").empty());
    ASSERT_FALSE(second.Until("Account:").empty());
    TConsole third(port);
    EXPECT_TRUE(third.WaitForClose());
    EXPECT_TRUE(third.Pending().empty());
}

TEST(RouterSimLimits, ListensOnLoopbackOnlyAndStopsCleanly) {
    TRouterSim sim;
    const uint16_t port = sim.Start();
    EXPECT_EQ(sim.Port(), port);
    TConsole console(port);
    ASSERT_TRUE(console.LogOn());
    console.Send("vdsl sta"); // half a command: the session waits in a read
    sim.Stop();
    EXPECT_TRUE(console.WaitForClose());
    sim.Stop();
    // A second simulator cannot take a port that is in use.
    TRouterSim other;
    const uint16_t busy = other.Start();
    TRouterSimOptions options;
    options.Port = busy;
    TRouterSim clash(options);
    EXPECT_THROW(clash.Start(), std::runtime_error);
}

} // namespace
