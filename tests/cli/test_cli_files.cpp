// vexlorin-cli show, export and import on real files, run as the real program.
#include "CliTestSupport.h"
#include "model/uDrayData.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vexlorin {
namespace {

using test::ReadWholeFile;
using test::RunCli;
using test::RunProgram;
using test::TTempDir;
using test::WriteWholeFile;

// Captures as a user copies them from a telnet session. HLog has other group sizes per
// direction, a missing value and a short line that is no value line; QLN has -150 (null).
const char* const HLogCapture = "vdsl status hlog\r\n"
                                "  GroupSize : 8 16\r\n"
                                " US: (dB)\r\n"
                                "bin=0: -25, -26, , -28, -29, -30, -31, -32,\r\n"
                                "bin=8: -33, -34, -35, -36, -37, -38, -39, -40,\r\n"
                                "\r\n"
                                " DS: (dB)\r\n"
                                "bin=2: -40, , -42, -43, -44, -45, -46, -47,\r\n"
                                "bin=10: 1, 2, 3,\r\n"
                                "DrayTek> \r\n";
const char* const QLNCapture = "vdsl status qln\n"
                               "  GroupSize : 8 8\n"
                               " US: (dBm/Hz)\n"
                               "bin=0: -150, -120, -121, -122, -123, -124, -125, -126,\n"
                               "\n"
                               " DS: (dBm/Hz)\n"
                               "bin=0: -130, -131, -132, -133, -134, -135, -136, -150,\n"
                               "DrayTek> \n";
const char* const SNRCapture = "vdsl status snr\n"
                               "  GroupSize : 4 4\n"
                               " US: (dB)\n"
                               "bin=0: 10, 11, 12, 13, 14, 15, 16, 17,\n"
                               "\n"
                               " DS: (dB)\n"
                               "bin=8: 40, 41, 42, 43, 44, 45, 46, 47,\n"
                               "DrayTek> \n";
const char* const BinsCapture = "vdsl showbins\n"
                                " DOWNSTREAM :\n"
                                " Bin  SNR  Gain Bi - Bin  SNR  Gain Bi\n"
                                "  33   42   -20  8    34   43   -21  9\n"
                                "  40   30   155 12\n"
                                "UPSTREAM :\n"
                                " Bin  SNR  Gain Bi\n"
                                " 100   20    -5  3\n"
                                " 8191   1     0  1\n"
                                "DrayTek> \n";

struct TCaptures {
    std::string HLog, QLN, SNR, Bins;
};

TCaptures WriteCaptures(const TTempDir& ADir) {
    TCaptures c{ADir.File("line.hlog"), ADir.File("line.qln"), ADir.File("line.snr"),
                ADir.File("line.bins")};
    WriteWholeFile(c.HLog, HLogCapture);
    WriteWholeFile(c.QLN, QLNCapture);
    WriteWholeFile(c.SNR, SNRCapture);
    WriteWholeFile(c.Bins, BinsCapture);
    return c;
}

std::unique_ptr<TDrayData> Load(const std::string& AFilename) {
    auto data = std::make_unique<TDrayData>();
    data->LoadFromFile(AFilename);
    return data;
}

// A set with a statistics text, as a retrieval leaves it.
std::string SaveSetWithText(const TTempDir& ADir, const std::string& AName,
                            const TStringList& AStats) {
    TDrayData data(AName);
    data.SetStats(AStats);
    data.LoadHLogFromFile(WriteCaptures(ADir).HLog);
    data.LoadBinsFromFile(ADir.File("line.bins"));
    const std::string file = ADir.File("set.draydata");
    data.SaveToFile(file);
    return file;
}

const TStringList StatusText = {" [ STATUS ]", "   Running Mode            :      17A",
                                "   DS Actual Rate          :  59590000 bps"};

TEST(CliImport, BuildsTheSetAsTheDialogDoes) {
    TTempDir dir;
    const TCaptures c = WriteCaptures(dir);
    const std::string out = dir.File("imported.draydata");
    const auto run = RunCli({"import", "--profile", "17a", "--hlog", c.HLog, "--qln", c.QLN,
                             "--snr", c.SNR, "--bins", c.Bins, "-o", out});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(run.Err, "");

    TDrayData expected("Loaded from file");
    expected.SetVDSLProfile(vp17a);
    expected.LoadHLogFromFile(c.HLog);
    expected.LoadQLNFromFile(c.QLN);
    expected.LoadSNRFromFile(c.SNR);
    expected.LoadBinsFromFile(c.Bins);

    const auto got = Load(out);
    EXPECT_EQ(got->Name(), "Loaded from file");
    EXPECT_EQ(got->VDSLProfile(), vp17a);
    EXPECT_TRUE(got->Stats().empty());
    EXPECT_EQ(got->HLogMultipliers(), (TStatMultipliers{8, 16}));
    EXPECT_EQ(got->HLogStatsUS(), expected.HLogStatsUS());
    EXPECT_EQ(got->HLogStatsDS(), expected.HLogStatsDS());
    EXPECT_EQ(got->QLNStatsUS(), expected.QLNStatsUS());
    EXPECT_EQ(got->QLNStatsDS(), expected.QLNStatsDS());
    EXPECT_EQ(got->SNRStatsUS(), expected.SNRStatsUS());
    EXPECT_EQ(got->SNRStatsDS(), expected.SNRStatsDS());
    EXPECT_EQ(got->ShowBinStatsUS(), expected.ShowBinStatsUS());
    EXPECT_EQ(got->ShowBinStatsDS(), expected.ShowBinStatsDS());
    EXPECT_EQ(got->ShowBinStatsDS()[33], (TDrayBinEntry{33, 42, -20, 8}));
    EXPECT_EQ(got->ShowBinStatsUS()[8191], (TDrayBinEntry{8191, 1, 0, 1}));
}

TEST(CliImport, NoCapturesGivesAnEmptySetOfTheProfile) {
    TTempDir dir;
    const std::string out = dir.File("empty.draydata");
    const auto run = RunCli({"import", "--profile", "N/A", "-o", out});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const auto got = Load(out);
    EXPECT_EQ(got->VDSLProfile(), vpNA);
    EXPECT_TRUE(got->HLogUSRaw().empty());
    EXPECT_TRUE(got->BinStatsDSRaw().empty());
}

TEST(CliShow, SummaryThenText) {
    TTempDir dir;
    const std::string file = SaveSetWithText(dir, "Line A", StatusText);
    const auto run = RunCli({"show", file});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    // DS tones 33, 34 and 40 carry bits; US 100 and 8191. The line summary reads the text.
    EXPECT_EQ(run.Out, "Name: Line A\n"
                       "Profile: 17A\n"
                       "File version: 2\n"
                       "Group sizes (US/DS): HLog 8/16, QLN 0/0, SNR 0/0\n"
                       "Tones with bits loaded: US 2, DS 3\n"
                       "\n"
                       "Running mode:                   17A\n"
                       "                                Downstream      Upstream\n"
                       "Actual rate                     59.590 Mbit/s   -\n"
                       "Tones with bits loaded          3               2\n"
                       "Bits per symbol                 29              4\n"
                       "Rate of the loaded bits         0.116 Mbit/s    0.016 Mbit/s\n"
                       "\n"
                       " [ STATUS ]\n"
                       "   Running Mode            :      17A\n"
                       "   DS Actual Rate          :  59590000 bps\n");
}

TEST(CliShow, ControlCharactersOfTheFileDoNotReachTheTerminal) {
    TTempDir dir;
    TStringList stats = StatusText;
    stats.push_back("\x1b]0;owned\x07\x1b[2J after \xc2\x9b"
                    "31m");
    const std::string file = SaveSetWithText(dir, "Name\x1b[31m", stats);
    const auto run = RunCli({"show", file});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.Out.find('\x07'), std::string::npos);
    EXPECT_EQ(run.Out.find("\xc2\x9b"), std::string::npos);
    EXPECT_NE(run.Out.find("Name: Name\xEF\xBF\xBD[31m\n"), std::string::npos);
    EXPECT_NE(run.Out.find(" after \xEF\xBF\xBD"
                           "31m\n"),
              std::string::npos);
}

// The rows the export must hold, straight from the set's arrays, in read_export.py's form.
std::vector<std::string> ExpectedRows(const TDrayData& AData) {
    struct Table {
        const char* Name;
        const TDrayStatArray& Up;
        const TDrayStatArray& Down;
        TStatMultipliers Sizes;
    };
    const Table tables[] = {
        {"HLog", AData.HLogStatsUS(), AData.HLogStatsDS(), AData.HLogMultipliers()},
        {"QLN", AData.QLNStatsUS(), AData.QLNStatsDS(), AData.QLNMultipliers()},
        {"SNR", AData.SNRStatsUS(), AData.SNRStatsDS(), AData.SNRMultipliers()},
    };
    const auto slot = [](const TStatSlot& s) {
        return s.HasValue() ? std::to_string(s.Value()) : std::string();
    };
    std::vector<std::string> rows;
    for (const Table& t : tables)
        for (std::size_t g = 0; g < StatArraySize; ++g)
            rows.push_back(std::string(t.Name) + "," + std::to_string(g) + "," +
                           std::to_string(g * t.Sizes[sdUp]) + "," +
                           std::to_string(g * t.Sizes[sdDown]) + "," + slot(t.Up[g]) + "," +
                           slot(t.Down[g]));
    for (std::size_t i = 0; i < BinArraySize; ++i) {
        const TDrayBinEntry& u = AData.ShowBinStatsUS()[i];
        const TDrayBinEntry& d = AData.ShowBinStatsDS()[i];
        std::ostringstream row;
        row << "Bins," << i << ',' << u.SNR << ',' << u.Gain << ',' << int{u.ToneBits} << ','
            << d.SNR << ',' << d.Gain << ',' << int{d.ToneBits};
        rows.push_back(row.str());
    }
    return rows;
}

std::vector<std::string> Lines(const std::string& AText) {
    std::vector<std::string> lines;
    std::istringstream in(AText);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The export as Python's csv or json module reads it.
std::vector<std::string> ReadWithPython(const std::string& AFormat, const std::string& AFile) {
    const auto run = RunProgram({VEXLORIN_PYTHON, VEXLORIN_READ_EXPORT, AFormat, AFile});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    return Lines(run.Out);
}

std::string Imported(const TTempDir& ADir) {
    const TCaptures c = WriteCaptures(ADir);
    const std::string file = ADir.File("imported.draydata");
    TDrayData data("Loaded from file");
    data.SetVDSLProfile(vp35b);
    data.LoadHLogFromFile(c.HLog);
    data.LoadQLNFromFile(c.QLN);
    data.LoadSNRFromFile(c.SNR);
    data.LoadBinsFromFile(c.Bins);
    data.SaveToFile(file);
    return file;
}

TEST(CliExport, CsvReadByPythonMatchesTheArrays) {
    TTempDir dir;
    const std::string file = Imported(dir);
    const std::string csv = dir.File("out.csv");
    const auto run = RunCli({"export", file, "--format", "csv", "-o", csv});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "");

    const std::vector<std::string> rows = ReadWithPython("csv", csv);
    const std::vector<std::string> expected = ExpectedRows(*Load(file));
    ASSERT_EQ(rows.size(), expected.size());
    EXPECT_EQ(rows, expected);
    // A few rows by hand: null upstream with both first tones, QLN -150 as null, gains in dB.
    EXPECT_EQ(rows[2], "HLog,2,16,32,,-40");
    EXPECT_EQ(rows[512], "QLN,0,0,0,,-130");
    EXPECT_EQ(rows[3 * 512 + 33], "Bins,33,0,0,0,42,-20,8");
    EXPECT_EQ(rows[3 * 512 + 100], "Bins,100,20,-5,3,0,0,0");

    // Standard output carries the same bytes as the file.
    const auto toStdout = RunCli({"export", file, "--format", "CSV"});
    ASSERT_EQ(toStdout.ExitCode, 0) << toStdout.Err;
    EXPECT_EQ(toStdout.Out, ReadWholeFile(csv));
    EXPECT_NE(toStdout.Out.find("Bins,,,,,,100,20,-0.5,3,0,0.0,0\r\n"), std::string::npos);
}

TEST(CliExport, JsonReadByPythonMatchesTheSet) {
    TTempDir dir;
    const std::string file = SaveSetWithText(dir, "Line \"A\" \\ \xc3\xa9", StatusText);
    const auto run = RunCli({"export", file, "--format", "json"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const std::string json = dir.File("out.json");
    WriteWholeFile(json, run.Out);

    const std::vector<std::string> lines = ReadWithPython("json", json);
    std::vector<std::string> expected = {"name=Line \"A\" \\ \xc3\xa9",
                                         "profile=17A",
                                         "version=2",
                                         "sizes hlog=8/16",
                                         "sizes qln=0/0",
                                         "sizes snr=0/0"};
    for (const std::string& line : StatusText)
        expected.push_back("stats=" + line);
    const std::vector<std::string> rows = ExpectedRows(*Load(file));
    expected.insert(expected.end(), rows.begin(), rows.end());
    EXPECT_EQ(lines, expected);
}

// Every way a file command can fail: the exit status, a message that names the problem,
// nothing on standard output and no output file left behind.
TEST(CliFiles, FailuresByClass) {
    TTempDir dir;
    const std::string good = Imported(dir);
    const std::string missing = dir.File("missing.draydata");
    const std::string text = dir.File("notes.draydata");
    WriteWholeFile(text, "these are my notes\n");
    const std::string lower = dir.File("lower.draydata");
    WriteWholeFile(lower, std::string("\x06\x0e", 2) + "zorvantikdata2");
    const std::string truncated = dir.File("truncated.draydata");
    WriteWholeFile(truncated, ReadWholeFile(good).substr(0, 40));
    const std::string out = dir.File("out");
    const std::string noFolder = dir.File("no/such/folder/out.csv");

    struct Case {
        std::vector<std::string> Args;
        int Code;
        std::string Message;
    };
    const Case cases[] = {
        {{"show", missing}, 3, "Cannot open file"},
        {{"export", missing, "--format", "csv"}, 3, "Check the file name"},
        {{"show", text}, 3, "Invalid property value"},
        {{"export", text, "--format", "json", "-o", out}, 3, "not one, or it is damaged"},
        {{"show", lower}, 3, "Not a valida 'DrayData' file"},
        {{"show", truncated}, 3, "Stream read error"},
        {{"export", good, "--format", "csv", "-o", noFolder}, 3, "Cannot create file"},
        {{"import", "--profile", "17a", "--qln", missing, "-o", out}, 3, "Cannot open file"},
        {{"import", "--profile", "17a", "-o", noFolder}, 3, "Cannot create file"},
        {{}, 1, "A command is required"},
        {{"frobnicate"}, 1, "frobnicate"},
        {{"show"}, 1, "FILE is required"},
        {{"show", ""}, 1, "must not be empty"},
        {{"export", good}, 1, "--format is required"},
        {{"export", good, "--format", "xml"}, 1, "xml"},
        {{"import", "--profile", "17x", "-o", out}, 1, "unknown profile"},
        {{"import", "--profile", "17a"}, 1, "--output is required"},
        {{"import", "--profile", "17a", "--hlog", "", "-o", out}, 1, "must not be empty"},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const std::string& a : c.Args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        const auto run = RunCli(c.Args);
        EXPECT_EQ(run.ExitCode, c.Code);
        EXPECT_NE(run.Err.find(c.Message), std::string::npos) << run.Err;
        EXPECT_EQ(run.Out, "");
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST(CliHelp, EveryCommandExplainsItself) {
    struct Case {
        std::vector<std::string> Args;
        std::vector<std::string> Sections;
    };
    const Case cases[] = {
        {{"--help"}, {"Usage: vexlorin-cli", "retrieve", "EXIT STATUS", "VEXLORIN_PASSWORD"}},
        {{"retrieve", "--help"},
         {"Usage: vexlorin-cli retrieve", "--password-file", "PASSWORD", "OUTPUT", "EXAMPLES"}},
        {{"show", "--help"}, {"Usage: vexlorin-cli show", "Tones with bits loaded"}},
        {{"export", "--help"}, {"Usage: vexlorin-cli export", "CSV", "JSON", "RFC 4180"}},
        {{"import", "--help"}, {"Usage: vexlorin-cli import", "CAPTURES", "UPSTREAM :"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Args[0]);
        const auto run = RunCli(c.Args);
        EXPECT_EQ(run.ExitCode, 0);
        EXPECT_EQ(run.Err, "");
        for (const std::string& section : c.Sections)
            EXPECT_NE(run.Out.find(section), std::string::npos) << section;
    }
}

} // namespace
} // namespace vexlorin
