// vexlorin-cli diff, run as the real program on sets the simulated router gave with
// different seeds and profiles: the CSV and JSON read back with Python's csv and json and
// checked against B minus A of the two sets' own exports; the text; self-comparison and
// sets without bins; and the refusals.
#include "CliTestSupport.h"
#include "model/uDrayData.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace vexlorin {
namespace {

using test::ReadWholeFile;
using test::RetrievedFile;
using test::RunCli;
using test::RunProgram;
using test::TTempDir;
using test::WriteWholeFile;

std::string Exported(const std::string& ASet, const std::string& AFormat) {
    const std::string out = ASet + "." + AFormat;
    const auto run = RunCli({"export", ASet, "--format", AFormat, "-o", out});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    return out;
}

// Python checks every value of the diff against the exports of A and B.
std::string CheckedWithPython(const std::string& A, const std::string& B,
                              const std::string& AFormat, int ACommonTones) {
    const std::string diff = A + "-" + AFormat + ".diff";
    const auto run = RunCli({"diff", A, B, "--format", AFormat, "-o", diff});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "");
    std::vector<std::string> args{VEXLORIN_PYTHON,      VEXLORIN_CHECK_DIFF,  AFormat,
                                  Exported(A, AFormat), Exported(B, AFormat), diff};
    if (AFormat == "csv") {
        args.push_back("--tones");
        args.push_back(std::to_string(ACommonTones));
    }
    const auto check = RunProgram(args);
    EXPECT_EQ(check.ExitCode, 0) << check.Err;
    return check.Out;
}

struct TPairCase {
    const char* Name;
    TVDSLProfile ProfileA, ProfileB;
    int CommonTones;
    bool BinsA = true;
};

void PrintTo(const TPairCase& ACase, std::ostream* AStream) {
    *AStream << ACase.Name;
}

class CliDiff : public ::testing::TestWithParam<TPairCase> {};

TEST_P(CliDiff, IsBMinusAOfTheExports) {
    const TPairCase& c = GetParam();
    TTempDir dir;
    const std::string a = RetrievedFile(dir, "a.draydata", c.ProfileA, 1, c.BinsA);
    const std::string b = RetrievedFile(dir, "b.draydata", c.ProfileB, 2);
    for (const std::string format : {"json", "csv"}) {
        SCOPED_TRACE(format);
        const std::string out = CheckedWithPython(a, b, format, c.CommonTones);
        // Python found values to compare, per group and (with both bins tables) per tone.
        EXPECT_EQ(out.find("groups=0 "), std::string::npos) << out;
        EXPECT_EQ(out.find("tone values=0\n") == std::string::npos, c.BinsA) << out;
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, CliDiff,
                         ::testing::Values(TPairCase{"SameProfile", vp35b, vp35b, 8192},
                                           TPairCase{"OtherProfiles", vp17a, vp35b, 4096},
                                           TPairCase{"ReferenceWithoutBins", vp17a, vp17a, 4096,
                                                     false}),
                         [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(CliDiffOutput, ASetAgainstItselfIsZero) {
    TTempDir dir;
    const std::string a = RetrievedFile(dir, "a.draydata", vp35b, 3);
    const auto run = RunCli({"diff", a, a, "--format", "json"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto doc = nlohmann::json::parse(run.Out);
    int values = 0;
    for (const char* table : {"hlog", "qln", "snr", "bins"})
        for (const auto& row : doc[table])
            for (const auto& [key, value] : row.items())
                if (key != "group" && key != "tone" && key.rfind("first_tone", 0) != 0 &&
                    !value.is_null()) {
                    ASSERT_EQ(value.get<double>(), 0) << table << " " << key;
                    ++values;
                }
    EXPECT_GT(values, 8192 * 6);
    EXPECT_TRUE(doc["bit_changes"]["ds"]["lost"].empty());
    EXPECT_EQ(doc["directions"]["ds"]["bits"]["change"], 0);
    EXPECT_EQ(doc["summary"]["difference"]["ds"]["actual_rate_bps"], 0);
    EXPECT_FALSE(doc["summary"]["difference"].contains("state")) << "a text has no difference";
}

// The text: per direction and band, A -> B with the change, and the tones that moved.
TEST(CliDiffOutput, TextPerDirectionBandAndTone) {
    TTempDir dir;
    TDrayData a("before"), b("after");
    a.SetVDSLProfile(vp17a);
    b.SetVDSLProfile(vp17a);
    const TStringList bands = {"  DS:", "   DS1: Limits=[  10-   13]  SNRM= 12.0 dB",
                               "   DS2: Limits=[  14-   20]  SNRM=  9.5 dB"};
    a.AddStatData(bands, nullptr);
    b.AddStatData({"  DS:", "   DS1: Limits=[  10-   13]  SNRM= 10.5 dB"}, nullptr);
    // Tone 10 loses 4 bits, 11 and 12 lose 3, 13 gains 1, 15 gains 5.
    a.SetBinStatsDSRaw({"  10 30 0 9", "  11 30 0 8", "  12 30 0 8", "  13 30 0 2", "  15 30 0 1"});
    b.SetBinStatsDSRaw({"  10 30 0 5", "  11 30 0 5", "  12 30 0 5", "  13 30 0 3", "  15 30 0 6"});
    a.SaveToFile(dir.File("a.draydata"));
    b.SaveToFile(dir.File("b.draydata"));
    const auto run = RunCli({"diff", dir.File("a.draydata"), dir.File("b.draydata")});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const std::string& text = run.Out;
    for (const char* wanted :
         {"A (reference): \"before\", profile 17A", "B:             \"after\", profile 17A",
          "Downstream   28 -> 24 (-4)", "DS1 (10-13)   27 -> 18 (-9)", "12 dB -> 10.5 dB (-1.5 dB)",
          "DS2 (14-20)   1 -> 6 (+5)", "9.5 dB -> -\n",
          "Tones that lost more than 2 bits\n  Downstream: 3 tones: 10-12\n"
          "  Upstream: not compared",
          "Tones that gained more than 2 bits\n  Downstream: 1 tone: 15\n"})
        EXPECT_NE(text.find(wanted), std::string::npos) << wanted << "\n" << text;
}

TEST(CliDiffOutput, Refusals) {
    TTempDir dir;
    const std::string good = RetrievedFile(dir, "a.draydata", vp8a, 1, false);
    WriteWholeFile(dir.File("notes.draydata"), "notes\n");
    struct Case {
        std::vector<std::string> Args;
        int Code;
        std::string Message;
    };
    const Case cases[] = {
        {{"diff", good}, 1, "B is required"},
        {{"diff", good, dir.File("missing.draydata")}, 3, "Cannot open file"},
        {{"diff", dir.File("notes.draydata"), good}, 3, "notes.draydata"},
        {{"diff", good, good, "--format", "xml"}, 1, "--format"},
        {{"diff", good, good, "-o", dir.File("no/such/folder/out.txt")}, 3, "Cannot create file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Args.back());
        const auto run = RunCli(c.Args);
        EXPECT_EQ(run.ExitCode, c.Code);
        EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
        EXPECT_EQ(run.Out, "");
    }
    const auto help = RunCli({"diff", "--help"});
    EXPECT_NE(help.Out.find("Usage: vexlorin-cli diff"), std::string::npos) << help.Out;
    EXPECT_NE(help.Out.find("B minus A"), std::string::npos);
}

} // namespace
} // namespace vexlorin
