// What the reader makes of the console's text: the echo that ties an answer to its
// command, the pager and its erase sequence, the prompt name a logon met.
#include "reader/ConsoleText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace vexlorin {
namespace {

const std::string Prompt = "DrayTek> ";

struct TEchoCase {
    const char* Name;
    std::string Command;
    std::string Buffer;                  // ends with the prompt
    std::optional<std::size_t> BodyFrom; // where the body starts; none: not this command's
};

class CommandEcho : public ::testing::TestWithParam<TEchoCase> {};

TEST_P(CommandEcho, TiesTheAnswerToItsCommandOrRefusesIt) {
    const auto& Case = GetParam();
    EXPECT_EQ(FindCommandEcho(Case.Buffer, Case.Command, Prompt), Case.BodyFrom);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandEcho,
    ::testing::Values(
        TEchoCase{"Plain", "vdsl status", "vdsl status\r\n\r\n body\r\nDrayTek> ", 13},
        TEchoCase{"CommandWithItsCR", "vdsl status\r", "vdsl status\r\nbody\r\nDrayTek> ", 13},
        // The console's line editing before and inside the echo.
        TEchoCase{"CarriageReturnFirst", "vdsl status", "\rvdsl status\r\nbody\r\nDrayTek> ", 14},
        TEchoCase{"PromptPrintedAgain", "vdsl status",
                  "\r\nDrayTek> vdsl status\r\nbody\r\nDrayTek> ", 24},
        TEchoCase{"LineRedrawn", "vdsl status",
                  "vdsl stat\rDrayTek> vdsl status\r\nbody\r\nDrayTek> ", 32},
        TEchoCase{"Backspaces", "vdsl status", "vdsl statx\b \bus\r\nbody\r\nDrayTek> ", 17},
        TEchoCase{"CarriageReturnsBeforeTheLineFeed", "vdsl status",
                  "vdsl status\r\r\nbody\r\nDrayTek> ", 14},
        // Lines ended by a bare CR (CR NUL on the wire).
        TEchoCase{"BareCarriageReturn", "vdsl status", "vdsl status\rbody\rDrayTek> ", 12},
        TEchoCase{"BareCarriageReturnThenAnEmptyLine", "vdsl status",
                  "vdsl status\r\rbody\rDrayTek> ", 12},
        // The late answer of the previous command, its prompt, then this command's echo.
        TEchoCase{"LateAnswerFirst", "vdsl status qln",
                  " DS: (dB)\r\n bin=   0: -20,\r\nDrayTek> vdsl status qln\r\n qln\r\nDrayTek> ",
                  54},
        TEchoCase{"OnlyALateAnswer", "vdsl status qln",
                  "vdsl status hlog\r\n HLOG\r\n bin=   0: -20,\r\nDrayTek> ", std::nullopt},
        TEchoCase{"EchoOfALongerCommand", "vdsl showbins",
                  "vdsl showbins up\r\n UPSTREAM :\r\nDrayTek> ", std::nullopt},
        TEchoCase{"NoLineEndAfterTheEcho", "vdsl status", "vdsl statusDrayTek> ", std::nullopt},
        TEchoCase{"PromptAlone", "vdsl status", "DrayTek> ", std::nullopt},
        // An empty line sent for a fresh prompt: only blank lines may come before it.
        TEchoCase{"EmptyLine", "", "\r\nDrayTek> ", 2},
        TEchoCase{"EmptyLineAfterALatePrompt", "", " tail\r\nDrayTek> \r\nDrayTek> ", 18},
        TEchoCase{"EmptyLineBareFreshPrompt", "", "DrayTek> ", 0},
        TEchoCase{"EmptyLineButLateData", "", " DS: (dB)\r\n bin=   0: -20,\r\nDrayTek> ",
                  std::nullopt}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

struct TEraseCase {
    const char* Name;
    std::string After; // what follows the pager line once it got its key
    std::optional<std::size_t> Length;
};

class PagerErase : public ::testing::TestWithParam<TEraseCase> {};

TEST_P(PagerErase, MeasuresTheEraseSequenceOrWaitsForMore) {
    EXPECT_EQ(PagerEraseLength(GetParam().After), GetParam().Length);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PagerErase,
    ::testing::Values(TEraseCase{"CarriageReturnBlanksCarriageReturn", "\r     \r Mode", 7},
                      // A line end is the next page's: the console did not erase.
                      TEraseCase{"LineEnd", "\r\n\r\nWAN5", 0},
                      TEraseCase{"EraseInLine", "\r\x1b[2K Mode", 5},
                      TEraseCase{"EraseInLineAlone", "\x1b[K Mode", 3},
                      TEraseCase{"BackspacesOverBlanks", "\b\b\b   \b\b\bMode", 9},
                      TEraseCase{"BackspacesOnly", "\b\b Mode", 2},
                      // The console writes the next page over the pager line.
                      TEraseCase{"CarriageReturnOnly", "\r  Mode", 1},
                      TEraseCase{"NothingToErase", " Mode", 0},
                      TEraseCase{"NoData", "", std::nullopt},
                      TEraseCase{"CarriageReturnSoFar", "\r", std::nullopt},
                      TEraseCase{"BlanksSoFar", "\r    ", std::nullopt},
                      TEraseCase{"InsideTheEscape", "\r\x1b[", std::nullopt}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

// Bursts as the console sends them; every prefix of the stream is one burst's end.
std::vector<std::string> Bytewise(const std::string& AText) {
    std::vector<std::string> Bursts;
    for (const char C : AText)
        Bursts.emplace_back(1, C);
    return Bursts;
}

struct TIntakeRun {
    std::string Buffer;
    int Keys = 0;
    bool Complete = false;
};

TIntakeRun TakeIn(const std::vector<std::string>& ABursts, const std::string& AEcho) {
    TIntakeRun Run;
    TAnswerIntake Intake;
    Intake.Echo = AEcho;
    for (const auto& Burst : ABursts) {
        EXPECT_FALSE(Run.Complete) << "data after the prompt";
        Run.Buffer += Burst;
        switch (TakeInAnswer(Run.Buffer, Intake, &Prompt)) {
        case TIntakeStep::More:
            break;
        case TIntakeStep::PagerKey:
            ++Run.Keys;
            break;
        case TIntakeStep::Complete:
            Run.Complete = true;
            break;
        }
    }
    return Run;
}

const std::string Pager(PagerLine);
const std::string Erase = "\r" + std::string(PagerLine.size(), ' ') + "\r";

TEST(AnswerIntake, APagedAnswerIsTheAnswerWithoutPaging) {
    const std::string Unpaged = "vdsl showbins\r\n l1\r\n l2\r\n l3\r\nDrayTek> ";
    struct TCase {
        const char* Name;
        std::vector<std::string> Bursts;
    };
    const TCase Cases[] = {
        {"ErasedAfterItsKey",
         {"vdsl showbins\r\n l1\r\n", Pager, Erase + " l2\r\n", Pager, Erase, " l3\r\nDrayTek> "}},
        // The console leaves the pager line standing and goes on at once.
        {"NotErased", {"vdsl showbins\r\n l1\r\n", Pager, " l2\r\n", Pager, " l3\r\nDrayTek> "}},
        // Every byte a burst of its own: the pager line and its erase arrive piece by piece.
        {"ByteByByte", Bytewise("vdsl showbins\r\n l1\r\n" + Pager + Erase + " l2\r\n" + Pager +
                                Erase + " l3\r\nDrayTek> ")},
        // The last page ends right after the pager's erase.
        {"ErasedBeforeThePrompt",
         {"vdsl showbins\r\n l1\r\n l2\r\n l3\r\n", Pager, Erase + "DrayTek> "}},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const auto Run = TakeIn(Case.Bursts, "vdsl showbins");
        EXPECT_TRUE(Run.Complete);
        EXPECT_EQ(Run.Keys, 2 - (std::string(Case.Name) == "ErasedBeforeThePrompt"));
        EXPECT_EQ(Run.Buffer, Unpaged);
    }
}

TEST(AnswerIntake, APagerLineInsideTheDataIsData) {
    // Followed by more data in the same burst, or not at the start of a line.
    const std::string Answer =
        "vdsl annex\r\n" + Pager + "\r\n x " + Pager + "\r\n more\r\nDrayTek> ";
    const auto Run = TakeIn({Answer}, "vdsl annex");
    EXPECT_TRUE(Run.Complete);
    EXPECT_EQ(Run.Keys, 0);
    EXPECT_EQ(Run.Buffer, Answer);
}

TEST(AnswerIntake, ALateAnswerIsThrownAwayAndTheEchoStartsTheAnswer) {
    const auto Run = TakeIn({"\r\n late\r\nDrayTek> ", "vdsl status qln\r\n", " qln\r\nDrayTek> "},
                            "vdsl status qln");
    EXPECT_TRUE(Run.Complete);
    EXPECT_EQ(Run.Buffer, "vdsl status qln\r\n qln\r\nDrayTek> ");

    // Line editing in the echo line goes; the echo is handed on as it was sent.
    const auto Edited =
        TakeIn({"\rDrayTek> vdsl statx\b \bus\r\r\n body\r\nDrayTek> "}, "vdsl status");
    EXPECT_TRUE(Edited.Complete);
    EXPECT_EQ(Edited.Buffer, "vdsl status\r\n body\r\nDrayTek> ");
}

TEST(ConsoleText, PromptNameAtTheEnd) {
    EXPECT_EQ(PromptNameAtEnd("Type ? for command help\r\nVigor> "), "Vigor");
    EXPECT_EQ(PromptNameAtEnd("\r\n  Vigor>"), "Vigor");
    EXPECT_EQ(PromptNameAtEnd("Welcome\r\n"), "");
    EXPECT_EQ(PromptNameAtEnd("a b> "), "");
    EXPECT_EQ(PromptNameAtEnd("> "), "");
    EXPECT_EQ(PromptNameAtEnd(std::string(65, 'x') + "> "), "");
    EXPECT_EQ(PromptNameAtEnd("x\x01y> "), "");
}

TEST(ConsoleText, RouterNamesInTheConsolesCodePage) {
    EXPECT_EQ(Utf8ToCp1252("Caf\xC3\xA9> "), "Caf\xE9> ");
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC"), "\x80");
    EXPECT_EQ(Utf8ToCp1252("\xE6\x97\xA5"), std::nullopt); // no byte in Windows-1252
}

} // namespace
} // namespace vexlorin
