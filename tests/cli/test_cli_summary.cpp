// The line summary through vexlorin-cli: sets imported from real captures of status
// answers, shown and exported as JSON and read back with Python's json module.
#include "../CaptureFixtures.h"
#include "CliTestSupport.h"
#include "model/TextFile.h"
#include "model/uDrayData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace vexlorin {
namespace {

using test::ReadWholeFile;
using test::RunCli;
using test::RunProgram;
using test::TTempDir;
using test::WriteWholeFile;

std::string Fixture(const std::string& AName) {
    return test::ConsoleFixture(AName);
}

// The collapsed capture as a file without its web page's suffixes.
std::string WithoutWebSuffixes(const std::string& AText) {
    return JoinLines(test::WithoutWebSuffixes(SplitLines(AText)));
}

// The leaves of a JSON document as Python's json reads them: "path=value".
std::vector<std::string> ReadJson(const std::string& AFile, const std::string& AKey = "") {
    std::vector<std::string> args{VEXLORIN_PYTHON, VEXLORIN_READ_SUMMARY, AFile};
    if (!AKey.empty())
        args.push_back(AKey);
    const auto run = RunProgram(args);
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    std::vector<std::string> lines;
    std::istringstream in(run.Out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> ShowJson(const TTempDir& ADir, const std::string& ASet) {
    const auto run = RunCli({"show", ASet, "--format", "json"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    const std::string json = ADir.File("show.json");
    WriteWholeFile(json, run.Out);
    return ReadJson(json);
}

void ExpectLeaves(const std::vector<std::string>& ALines, const std::vector<std::string>& AWanted) {
    for (const std::string& wanted : AWanted)
        EXPECT_NE(std::find(ALines.begin(), ALines.end(), wanted), ALines.end()) << wanted;
}

// What a user sees of a line from a text capture alone: the capture's own numbers.
TEST(CliSummary, CollapsedStatusCaptureImportedAndShownAsJson) {
    TTempDir dir;
    const std::string capture = dir.File("status.txt");
    WriteWholeFile(capture,
                   WithoutWebSuffixes(ReadWholeFile(Fixture("vdsl-status-collapsed.txt"))));
    const std::string set = dir.File("x.draydata");
    const auto import = RunCli({"import", "--status", capture, "--profile", "17a", "-o", set});
    ASSERT_EQ(import.ExitCode, 0) << import.Err;
    EXPECT_EQ(import.Err, "");

    const std::vector<std::string> lines = ShowJson(dir, set);
    ExpectLeaves(lines, {
                            "name=\"Loaded from file\"",
                            "profile=\"17A\"",
                            "summary.state=\"SHOWTIME\"",
                            "summary.mode=\"17A\"",
                            "summary.firmware=\"05-07-06-0D-01-07\"",
                            "summary.vendor=\"BDCM\"",
                            "summary.annex=\"A\"",
                            "summary.ds.actual_rate_bps=32397000",
                            "summary.us.actual_rate_bps=17000000",
                            "summary.ds.attainable_rate_bps=41041052",
                            "summary.us.attainable_rate_bps=21214000",
                            "summary.ds.snr_margin_db=12.0",
                            "summary.us.snr_margin_db=8.0",
                            "summary.ds.attenuation_db=11.0",
                            "summary.us.attenuation_db=13.0",
                            "summary.ds.actual_psd_db=0.6",
                            "summary.us.actual_psd_db=12.5",
                            "summary.ds.interleave_depth=1",
                            "summary.ds.crc=0",
                            "summary.us.crc=63281",
                            "summary.ds.es=0",
                            "summary.us.es=7557",
                            "summary.resets=0",
                            "summary.retrains=2",
                            "summary.bands=[]",
                            "summary.bits={}",
                        });
    // What the capture does not hold is left out, not written as 0.
    for (const std::string& line : lines)
        for (const char* absent : {".fec=", ".ses=", ".uas=", ".loss=", "signal_attenuation"})
            EXPECT_EQ(line.find(absent), std::string::npos) << line;

    // The same capture as it was found, web page suffixes and all, gives the same summary.
    const std::string raw = dir.File("raw.draydata");
    ASSERT_EQ(
        RunCli({"import", "--status", Fixture("vdsl-status-collapsed.txt"), "-o", raw}).ExitCode,
        0);
    std::vector<std::string> rawLines = ShowJson(dir, raw);
    EXPECT_EQ(rawLines, lines);
}

TEST(CliSummary, StatusMoreCaptureNeedsTheProfileAndGivesTheCounters) {
    TTempDir dir;
    const std::string set = dir.File("x.draydata");
    const std::string capture = Fixture("vdsl-status-more.txt");

    // "vdsl status more" names no profile.
    const auto refused = RunCli({"import", "--status", capture, "-o", set});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_NE(refused.Err.find("names no VDSL profile"), std::string::npos) << refused.Err;
    EXPECT_NE(refused.Err.find("--profile"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(set));

    const auto import = RunCli({"import", "--status", capture, "--profile", "17a", "-o", set});
    ASSERT_EQ(import.ExitCode, 0) << import.Err;
    const std::vector<std::string> lines = ShowJson(dir, set);
    ExpectLeaves(lines, {
                            "profile=\"17A\"",
                            "summary.ds.fecs=0",
                            "summary.us.fecs=2575",
                            "summary.ds.es=35",
                            "summary.us.es=3",
                            "summary.ds.ses=3",
                            "summary.us.ses=1",
                            "summary.ds.loss=0",
                            "summary.us.loss=0",
                            "summary.ds.uas=27",
                            "summary.us.uas=1861",
                            "summary.ds.crc=126",
                            "summary.us.crc=31",
                            "summary.ds.fec=0",
                            "summary.ds.hec=0",
                            "summary.ds.inp_symbols=230.0",
                            "summary.us.inp_symbols=160.0",
                            "summary.ds.interleave_delay_ms=0.0",
                            "summary.us.interleave_delay_ms=0.62",
                        });
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("actual_rate_bps"), std::string::npos) << line;

    // The text view of the same set: statistics text as the capture holds it.
    const auto show = RunCli({"show", set});
    ASSERT_EQ(show.ExitCode, 0);
    EXPECT_NE(show.Out.find("Errored seconds (ES)            35 s            3 s\n"),
              std::string::npos)
        << show.Out;
    EXPECT_NE(show.Out.find("\n> vdsl status more\n"), std::string::npos);
}

TEST(CliSummary, ExportCarriesTheSameSummaryAsShow) {
    TTempDir dir;
    const std::string set = dir.File("x.draydata");
    WriteWholeFile(dir.File("status.txt"),
                   WithoutWebSuffixes(ReadWholeFile(Fixture("vdsl-status-collapsed.txt"))));
    ASSERT_EQ(RunCli({"import", "--status", dir.File("status.txt"), "--bins",
                      Fixture("vdsl-showbins-excerpt.txt"), "-o", set})
                  .ExitCode,
              0);
    const std::string exported = dir.File("export.json");
    const auto run = RunCli({"export", set, "--format", "json", "-o", exported});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const std::vector<std::string> fromExport = ReadJson(exported, "summary");
    std::vector<std::string> fromShow;
    for (const std::string& line : ShowJson(dir, set))
        if (line.starts_with("summary."))
            fromShow.push_back(line);
    EXPECT_EQ(fromExport, fromShow);
    // The pasted showbins excerpt holds downstream tones 0 to 73 only.
    ExpectLeaves(fromExport, {"summary.bits.ds.loaded_tones=42", "summary.bits.ds.total_bits=517",
                              "summary.bits.ds.rate_bps=2068000"});
    for (const std::string& line : fromExport)
        EXPECT_FALSE(line.starts_with("summary.bits.us")) << line;
}

TEST(CliSummary, ImportProfileRulesAndRefusedBinsCapture) {
    TTempDir dir;
    const std::string set = dir.File("x.draydata");
    const std::string collapsed = Fixture("vdsl-status-collapsed.txt");

    // The capture's "Running Mode" beats --profile, and the user is told.
    const auto both = RunCli({"import", "--status", collapsed, "--profile", "35b", "-o", set});
    ASSERT_EQ(both.ExitCode, 0) << both.Err;
    EXPECT_NE(both.Err.find("names the profile 17A; it is used instead of --profile 35B"),
              std::string::npos)
        << both.Err;
    TDrayData loaded;
    loaded.LoadFromFile(set);
    EXPECT_EQ(loaded.VDSLProfile(), vp17a);
    EXPECT_EQ(loaded.Stats(), ReadTextFileLines(collapsed));
    std::filesystem::remove(set);

    // Neither: refused before anything is written.
    const auto none = RunCli({"import", "-o", set});
    EXPECT_EQ(none.ExitCode, 1);
    EXPECT_NE(none.Err.find("A VDSL profile is needed"), std::string::npos) << none.Err;

    // A bins capture without either title names the file once.
    const std::string bins = dir.File("notes.bins");
    WriteWholeFile(bins, "some notes\n 33 42 -20 8\n");
    const auto refused = RunCli({"import", "--profile", "17a", "--bins", bins, "-o", set});
    EXPECT_EQ(refused.ExitCode, 3);
    EXPECT_NE(refused.Err.find("The bins capture \"" + bins +
                               "\" holds neither \"DOWNSTREAM :\" nor \"UPSTREAM :\""),
              std::string::npos)
        << refused.Err;
    EXPECT_EQ(refused.Err.find(bins), refused.Err.rfind(bins)) << refused.Err;
    EXPECT_FALSE(std::filesystem::exists(set));
    EXPECT_EQ(refused.Out, "");
}

TEST(CliSummary, SetWithoutStatusTextShowsEmptySummary) {
    TTempDir dir;
    const std::string set = dir.File("x.draydata");
    ASSERT_EQ(RunCli({"import", "--profile", "N/A", "-o", set}).ExitCode, 0);
    EXPECT_EQ(
        ShowJson(dir, set),
        (std::vector<std::string>{"name=\"Loaded from file\"", "profile=\"N/A\"", "summary.ds={}",
                                  "summary.us={}", "summary.bands=[]", "summary.bits={}"}));
}

} // namespace
} // namespace vexlorin
