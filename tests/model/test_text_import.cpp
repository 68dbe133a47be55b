// Import of text captures: encodings, line ends, and how the capture's lines reach the
// tables.
#include "model/TextCodec.h"
#include "model/TextFile.h"
#include "model/uDrayData.h"

#include "../CaptureFixtures.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

namespace vexlorin {
namespace {

using test::Bytes;
using test::Concat;
using test::TBytes;
using test::TTempDir;

TEST(TextFileDecode, DetectsByteOrderMarksAndFallsBackToWindows1252) {
    const std::vector<std::pair<TBytes, std::string>> cases = {
        {Bytes("plain"), "plain"},
        {Bytes({'a', 0x80, 0xE9}), "a\xE2\x82\xAC\xC3\xA9"},
        {Bytes({0xEF, 0xBB, 0xBF, 'C', 'a', 'f', 0xC3, 0xA9}), "Caf\xC3\xA9"},
        {Bytes({0xEF, 0xBB, 0xBF, 'a', 0xE9, 'b'}), "a\xEF\xBF\xBD"
                                                    "b"},
        {Bytes({0xFF, 0xFE, 'a', 0, 0xE9, 0, 0xAC, 0x20}), "a\xC3\xA9\xE2\x82\xAC"},
        {Bytes({0xFE, 0xFF, 0, 'a', 0, 0xE9, 0x20, 0xAC}), "a\xC3\xA9\xE2\x82\xAC"},
        {Bytes({0xFF, 0xFE, 'a', 0, 'b'}), "a"},
        {Bytes({0xFF, 0xFE}), ""},
        {{}, ""},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(DecodeTextBytes({reinterpret_cast<const char*>(bytes.data()), bytes.size()}),
                  text);
}

// The check reads eight bytes at a time: one high byte anywhere, in a block or in the
// tail, and in texts around the block size, must be found.
TEST(TextFileDecode, AsciiCheckFindsAnyHighByte) {
    for (const std::size_t size : {0u, 1u, 7u, 8u, 63u, 64u, 65u, 200u}) {
        const std::string ascii(size, 'x');
        EXPECT_TRUE(IsAscii(ascii)) << size;
        for (std::size_t at = 0; at < size; ++at)
            for (const char high : {'\x80', '\xFF'}) {
                std::string text = ascii;
                text[at] = high;
                ASSERT_FALSE(IsAscii(text)) << size << " " << at;
            }
    }
    EXPECT_TRUE(IsAscii(std::string("\0\x7F\t", 3)));
}

TEST(TextFileRead, EndsLinesAtCrLfLoneCrAndLoneLf) {
    TTempDir dir;
    const std::string path = dir.File("lines.txt");
    const std::vector<std::pair<std::string, TStringList>> cases = {
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"a\r\n", {"a"}},
        {"a\n\n", {"a", ""}},
        {"\r\n\r", {"", ""}},
        {"", {}},
    };
    for (const auto& [text, lines] : cases) {
        test::WriteFile(path, text);
        EXPECT_EQ(ReadTextFileLines(path), lines);
    }
    // The same lines in UTF-16 big-endian.
    test::WriteFile(path, Bytes({0xFE, 0xFF, 0, 'x', 0, '\r', 0, 'y', 0, '\n'}));
    EXPECT_EQ(ReadTextFileLines(path), (TStringList{"x", "y"}));
}

const char* const HLogCapture = "vdsl status hlog\r\n"
                                "GroupSize : 8 8\r\n"
                                " US: (dB)\r\n"
                                "bin=0: -25, -26, -27, -28, -29, -30, -31, -32,\r\n"
                                "\r\n"
                                " DS: (dB)\r\n"
                                "bin=8: -40, , -42, -43, -44, -45, -46, -47,\r\n"
                                "bin=16: 1, 2, 3,\r\n"
                                "DrayTek>";

TEST(CaptureImport, PerGroupCapturesGoThroughTheAnswerParser) {
    TTempDir dir;
    const std::string path = dir.File("capture.hlog");
    // UTF-16 little-endian, as an editor on the desktop may save it.
    const std::u16string wide(HLogCapture,
                              HLogCapture + std::char_traits<char>::length(HLogCapture));
    TBytes utf16 = Bytes({0xFF, 0xFE});
    for (char16_t c : wide) {
        utf16.push_back(static_cast<uint8_t>(c & 0xFF));
        utf16.push_back(static_cast<uint8_t>(c >> 8));
    }
    test::WriteFile(path, utf16);

    TDrayData set("Loaded from file");
    set.LoadHLogFromFile(path);
    EXPECT_EQ(set.HLogMultipliers(), (TStatMultipliers{8, 8}));
    EXPECT_EQ(set.HLogUSRaw(), (TStringList{"bin=0: -25, -26, -27, -28, -29, -30, -31, -32,"}));
    EXPECT_EQ(set.HLogDSRaw().size(), 2u);
    EXPECT_EQ(set.HLogStatsUS()[7].Value(), -32);
    EXPECT_EQ(set.HLogStatsDS()[8].Value(), -40);
    EXPECT_TRUE(set.HLogStatsDS()[9].IsNull());

    std::string qln = HLogCapture;
    qln.replace(qln.find("(dB)"), 4, "(dBm/Hz)");
    qln.replace(qln.find("(dB)"), 4, "(dBm/Hz)");
    qln.replace(qln.find("-25"), 3, "-150");
    test::WriteFile(path, qln);
    set.LoadQLNFromFile(path);
    EXPECT_TRUE(set.QLNStatsUS()[0].IsNull());
    EXPECT_EQ(set.QLNStatsUS()[1].Value(), -26);
    set.LoadSNRFromFile(path);
    EXPECT_EQ(set.SNRMultipliers(), (TStatMultipliers{8, 8}));
    EXPECT_TRUE(set.SNRUSRaw().empty()); // QLN headers are no SNR headers
}

TEST(CaptureImport, CaptureEndingInAValueLineLosesThatLine) {
    TTempDir dir;
    const std::string path = dir.File("capture.snr");
    std::string text = HLogCapture;
    text.erase(text.rfind("\r\n"));
    test::WriteFile(path, text);
    TDrayData set;
    set.LoadSNRFromFile(path);
    EXPECT_EQ(set.SNRDSRaw(), (TStringList{"bin=8: -40, , -42, -43, -44, -45, -46, -47,"}));

    // Without the downstream header every line but the last is downstream.
    text = HLogCapture;
    text.erase(text.find(" DS: (dB)\r\n"), 11);
    test::WriteFile(path, text);
    TDrayData noHeader;
    noHeader.LoadSNRFromFile(path);
    EXPECT_TRUE(noHeader.SNRUSRaw().empty());
    EXPECT_EQ(noHeader.SNRDSRaw().size(), 7u);
    EXPECT_EQ(noHeader.SNRStatsDS()[0].Value(), -25);
}

struct TBinsCase {
    const char* What;
    std::string Capture;
    TStringList Down;
    TStringList Up;
};

TEST(CaptureImport, BinsCaptureSplitsAtUpstreamTitle) {
    const std::vector<TBinsCase> cases = {
        {"title on its own line",
         "  33 42 -20 8\r\nUPSTREAM :\r\n  40 10 -1 2\r\n",
         {"  33 42 -20 8"},
         {"UPSTREAM :", "  40 10 -1 2"}},
        {"text before the title",
         "  33 42 -20 8\nend UPSTREAM : 40 10 -1 2\n",
         {"  33 42 -20 8", "end "},
         {"UPSTREAM : 40 10 -1 2"}},
        {"capture begins with the title",
         "UPSTREAM :\r  40 10 -1 2\r",
         {},
         {"UPSTREAM :", "  40 10 -1 2"}},
        // Split at the first title: a second one stays in the upstream part.
        {"title twice",
         "  33 42 -20 8\r\nUPSTREAM :\r\n  40 10 -1 2\r\nUPSTREAM :\r\n  41 11 -2 3\r\n",
         {"  33 42 -20 8"},
         {"UPSTREAM :", "  40 10 -1 2", "UPSTREAM :", "  41 11 -2 3"}},
    };
    TTempDir dir;
    const std::string path = dir.File("capture.bins");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        test::WriteFile(path, c.Capture);
        TDrayData set;
        set.LoadBinsFromFile(path);
        EXPECT_EQ(set.BinStatsDSRaw(), c.Down);
        EXPECT_EQ(set.BinStatsUSRaw(), c.Up);
        EXPECT_EQ(set.ShowBinStatsUS()[40], (TDrayBinEntry{40, 10, -1, 2}));
        EXPECT_EQ(set.ShowBinStatsDS()[40], TDrayBinEntry{});
    }
}

TEST(CaptureImport, BinsCaptureWithDownstreamTitleOnlyFillsTheDownstreamTable) {
    // The pasted excerpt as it was found: web page line numbers, collapsed blanks, the
    // downstream answer alone.
    const std::string path = test::ConsoleFixture("vdsl-showbins-excerpt.txt");
    TDrayData set;
    set.SetBinStatsUSRaw({"UPSTREAM :", "  40 10 -1 2"});
    set.LoadBinsFromFile(path);
    EXPECT_EQ(set.BinStatsDSRaw(), ReadTextFileLines(path));
    EXPECT_EQ(set.BinStatsUSRaw(), (TStringList{"UPSTREAM :", "  40 10 -1 2"}))
        << "the upstream table stays as it was";
    EXPECT_EQ(set.ShowBinStatsDS()[5], (TDrayBinEntry{5, 47, 0, 0}));
    EXPECT_EQ(set.ShowBinStatsDS()[33], (TDrayBinEntry{33, 57, 15, 9}));
    EXPECT_EQ(set.ShowBinStatsDS()[39], (TDrayBinEntry{39, 59, -19, 11}));
    EXPECT_EQ(set.ShowBinStatsDS()[73], (TDrayBinEntry{73, 54, 0, 14}));
    EXPECT_EQ(set.ShowBinStatsDS()[74], TDrayBinEntry{});
    EXPECT_EQ(set.ShowBinStatsUS()[40], (TDrayBinEntry{40, 10, -1, 2}));
}

TEST(CaptureImport, BinsCaptureWithoutEitherTitleIsRefusedByName) {
    TTempDir dir;
    const std::string path = dir.File("capture.bins");
    test::WriteFile(path, "  33 42 -20 8\r\nupstream :\r\n  40 10 -1 2\r\n");
    TDrayData set;
    set.SetBinStatsDSRaw({"  7 1 1 1"});
    try {
        set.LoadBinsFromFile(path);
        ADD_FAILURE() << "no error";
    } catch (const EDrayDataError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The bins capture \"" + path +
                      "\" holds neither \"DOWNSTREAM :\" nor \"UPSTREAM :\"; give a capture of "
                      "the router's answers to \"vdsl showbins\" and \"vdsl showbins up\"");
    }
    EXPECT_EQ(set.BinStatsDSRaw(), (TStringList{"  7 1 1 1"}));
    EXPECT_TRUE(set.BinStatsUSRaw().empty());
    EXPECT_EQ(set.ShowBinStatsDS()[33], TDrayBinEntry{});
}

TEST(CaptureImport, StatusCaptureBecomesTheTextAndNamesTheProfile) {
    const std::string collapsed = test::ConsoleFixture("vdsl-status-collapsed.txt");
    TDrayData set("Loaded from file");
    EXPECT_TRUE(set.LoadStatusFromFile(collapsed));
    EXPECT_EQ(set.VDSLProfile(), vp17a);
    EXPECT_EQ(set.Stats(), ReadTextFileLines(collapsed)) << "kept as it is";

    // "vdsl status more" names no profile: the one chosen stays.
    const std::string more = test::ConsoleFixture("vdsl-status-more.txt");
    TDrayData other;
    other.SetVDSLProfile(vp35b);
    EXPECT_FALSE(other.LoadStatusFromFile(more));
    EXPECT_EQ(other.VDSLProfile(), vp35b);
    EXPECT_EQ(other.Stats().front(), "> vdsl status more");

    // Byte-order marks as for every capture.
    TTempDir dir;
    const std::string utf16 = dir.File("status.txt");
    TBytes bytes{0xFF, 0xFE};
    for (const char c : std::string_view("Running Mode : 35B\r\n")) {
        bytes.push_back(static_cast<uint8_t>(c));
        bytes.push_back(0);
    }
    test::WriteFile(utf16, bytes);
    EXPECT_TRUE(other.LoadStatusFromFile(utf16));
    EXPECT_EQ(other.VDSLProfile(), vp35b);
    EXPECT_EQ(other.Stats(), (TStringList{"Running Mode : 35B"}));

    EXPECT_FALSE(other.LoadStatusFromFile(""));
    EXPECT_EQ(other.Stats(), (TStringList{"Running Mode : 35B"}));
    EXPECT_THROW(other.LoadStatusFromFile(dir.File("missing.txt")), EFOpenError);
}

TEST(CaptureImport, EmptyNamesLeaveTheSetAsCreated) {
    TDrayData set("Loaded from file");
    set.SetVDSLProfile(vp17a);
    set.LoadHLogFromFile("");
    set.LoadQLNFromFile("");
    set.LoadSNRFromFile("");
    set.LoadBinsFromFile("");
    EXPECT_FALSE(set.LoadStatusFromFile(""));
    EXPECT_EQ(set.Name(), "Loaded from file");
    EXPECT_EQ(set.VDSLProfile(), vp17a);
    EXPECT_TRUE(set.Stats().empty());
    EXPECT_TRUE(set.HLogUSRaw().empty());
    EXPECT_TRUE(set.HLogStatsUS()[0].IsEmpty());
    EXPECT_EQ(set.SNRMultipliers(), (TStatMultipliers{0, 0}));
}

TEST(CaptureImport, MissingFileIsAnOpenError) {
    TTempDir dir;
    const std::string path = dir.File("missing.hlog");
    TDrayData set;
    for (auto load : {&TDrayData::LoadHLogFromFile, &TDrayData::LoadQLNFromFile,
                      &TDrayData::LoadSNRFromFile, &TDrayData::LoadBinsFromFile}) {
        try {
            (set.*load)(path);
            ADD_FAILURE() << "no error";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot open file \"" + path + "\". No such file or directory");
        }
    }
}

} // namespace
} // namespace vexlorin
