// Bins tables and VDSL profile identification.
#include "model/BinsScan.h"
#include "model/Convert.h"
#include "model/Regex.h"
#include "model/uDrayData.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace vexlorin {
namespace {

TEST(BinsTables, QuadruplesPerLine) {
    struct Case {
        const char* Line;
        std::vector<TDrayBinEntry> Entries; // the entries that must be set; all others zero
    };
    const Case cases[] = {
        {"33 42 -20 8 34 43 -21 9", {{33, 42, -20, 8}, {34, 43, -21, 9}}},
        {"  40  30  5  2   7  7", {{40, 30, 5, 2}}}, // six numbers
        {"Bin SNR Gain Bits", {}},                   // heading only
        {"100 -5 -20 0", {}},                        // minus on the SNR
        {"100 -5 -20 0 7 1 2", {{20, 0, 7, 1}}},     // rescan pairs later numbers
        {" 1  36  -5  10 *  2  37  -4  11 *  3  38   0  12 *  4  0  0  0",
         {{1, 36, -5, 10}, {2, 37, -4, 11}, {3, 38, 0, 12}, {4, 0, 0, 0}}},
        {"8191 1 1 1 8192 2 2 2", {{8191, 1, 1, 1}}},    // beyond the table
        {"73728 9 9 9", {}},                             // 73728 & 0xFFFF = 8192
        {"65541 1 2 3", {{5, 1, 2, 3}}},                 // low 16 bits of the tone
        {"6 99999999999 70000 300", {{6, 0, 4464, 44}}}, // 0 / low 16 / low 8 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        TDrayData set;
        set.SetBinStatsDSRaw({c.Line});
        TDrayBinArray expected{};
        for (const TDrayBinEntry& e : c.Entries)
            expected[e.Bin] = e;
        for (std::size_t t = 0; t < expected.size(); ++t)
            ASSERT_EQ(set.ShowBinStatsDS()[t], expected[t]) << "tone " << t;
        EXPECT_EQ(set.ShowBinStatsUS()[c.Entries.empty() ? 0 : c.Entries[0].Bin], TDrayBinEntry{});
    }
}

// The direct scan must find exactly the matches the regex engine finds for the pattern,
// match after match from the end of the previous one: on lines of random blanks, digits,
// signs and other bytes, and with every byte value in every place of a quadruple.
TEST(BinsTables, ScanFindsWhatThePatternFinds) {
    const TRegex pattern(R"(\s*(\d+)\s+(\d+)\s+(-?\d+)\s+(\d+))");
    const auto describe = [](std::string_view ALine) {
        std::string text;
        for (const unsigned char c : ALine)
            text += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c))
                                          : "\\x" + std::to_string(c);
        return text;
    };
    const auto compare = [&](std::string_view ALine) {
        SCOPED_TRACE(describe(ALine));
        std::size_t from = 0;
        for (;;) {
            const auto expected = pattern.Find(ALine, from);
            TBinQuadruple quadruple;
            const TBinQuadruple* found =
                FindBinQuadruple(ALine, from, quadruple) ? &quadruple : nullptr;
            ASSERT_EQ(found != nullptr, expected.has_value()) << "from " << from;
            if (!expected)
                return;
            ASSERT_EQ(found->Start, expected->Start());
            ASSERT_EQ(found->End, expected->End());
            for (std::size_t k = 0; k < 4; ++k) {
                ASSERT_EQ(found->Numbers[k], *expected->Group(k + 1)) << "number " << k + 1;
                // The value read along agrees with the conversion of the text wherever
                // that fits 32 bits, and never passes for a fitting one where it does not.
                const auto converted = TryStrToInt(found->Numbers[k]);
                if (converted)
                    ASSERT_EQ(found->Values[k], *converted) << "number " << k + 1;
                else
                    ASSERT_TRUE(found->Values[k] < INT32_MIN || found->Values[k] > INT32_MAX);
            }
            from = found->End;
        }
    };

    std::mt19937 random(20261210);
    const std::string alphabet = std::string("  \t\r\n\v\f--0123456789*a+.") + "\x85\xA0\0";
    for (int i = 0; i < 20000; ++i) {
        std::string line(random() % 40, ' ');
        for (char& c : line)
            c = alphabet[random() % alphabet.size()];
        compare(line);
    }
    for (const char* line : {"2147483647 2147483648 -2147483648 -2147483649",
                             "0000000000000000000012 99999999999999999999999 -0 1",
                             "9999999999 10000000000 -10000000001 4294967296"})
        compare(line);
    const std::string quadruple = " 12  -3\t45 6 7";
    for (std::size_t at = 0; at <= quadruple.size(); ++at)
        for (int byte = 0; byte < 256; ++byte)
            compare(quadruple.substr(0, at) + static_cast<char>(byte) + quadruple.substr(at));
}

TEST(BinsTables, RewriteKeepsEntriesNotNamedAgain) {
    TDrayData set;
    set.SetBinStatsUSRaw({"1 10 -1 2 2 20 -2 4", "3 30 -3 6"});
    set.SetBinStatsUSRaw({"1 11 -1 3"});
    EXPECT_EQ(set.BinStatsUSRaw(), (TStringList{"1 11 -1 3"}));
    EXPECT_EQ(set.ShowBinStatsUS()[1], (TDrayBinEntry{1, 11, -1, 3}));
    EXPECT_EQ(set.ShowBinStatsUS()[2], (TDrayBinEntry{2, 20, -2, 4}));
    EXPECT_EQ(set.ShowBinStatsUS()[3], (TDrayBinEntry{3, 30, -3, 6}));
}

TEST(BinsTables, ToneTooLargeRaisesAfterEarlierEntries) {
    TDrayData set;
    try {
        set.SetBinStatsDSRaw({"5 1 1 1", "6 2 2 2 99999999999 3 3 3 7 4 4 4"});
        FAIL() << "expected a conversion error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'99999999999' is not a valid integer value");
    }
    EXPECT_EQ(set.BinStatsDSRaw().size(), 2u);
    EXPECT_EQ(set.ShowBinStatsDS()[5].SNR, 1);
    EXPECT_EQ(set.ShowBinStatsDS()[6].SNR, 2);
    EXPECT_EQ(set.ShowBinStatsDS()[7].SNR, 0);
}

TEST(Profile, RunningModeLine) {
    struct Case {
        TStringList Lines;
        TVDSLProfile Profile; // vpNA: expect "Unable to retrieve profile from VDSL data"
    };
    const Case cases[] = {
        {{"  Running Mode            :      35B       State   : SHOWTIME"}, vp35b},
        {{"Running Mode : 12A"}, vp12a},
        {{"Running Mode : 8B"}, vp8b},
        {{"Running Mode : 30A"}, vp30a},
        {{"Running Mode : 17AX"}, vp17a},
        {{"Running Mode : 35BC"}, vp35b},
        {{"Running Mode", ":", "8C"}, vp8c}, // line breaks count as blanks
        {{"Running Mode : 8A", "Running Mode : 35B"}, vp8a},
        {{"xx Running Mode  :  12B yy"}, vp12b},
        {{"Running Mode : 17a"}, vpNA},
        {{"Running Mode : 8D"}, vpNA},
        {{"Running Mode: 17A"}, vpNA},
        {{"running mode : 17A"}, vpNA},
        {{}, vpNA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(JoinLines(c.Lines));
        TDrayData set;
        set.SetVDSLProfile(vp8d);
        if (c.Profile == vpNA) {
            try {
                set.IdentifyVDSLProfile(c.Lines);
                ADD_FAILURE() << "expected an error";
            } catch (const EDrayDataError& e) {
                EXPECT_STREQ(e.what(), "Unable to retrieve profile from VDSL data");
            }
            EXPECT_EQ(set.VDSLProfile(), vp8d) << "profile changed on failure";
        } else {
            set.IdentifyVDSLProfile(c.Lines);
            EXPECT_EQ(set.VDSLProfile(), c.Profile);
        }
    }
}

TEST(Profile, TablesAgree) {
    for (std::size_t i = 0; i < VDSLProfileCount; ++i)
        EXPECT_EQ(SafeProfile(static_cast<unsigned>(i)), static_cast<TVDSLProfile>(i));
    EXPECT_EQ(SafeProfile(10), vpNA);
    EXPECT_EQ(SafeProfile(255), vpNA);
    EXPECT_EQ(VDSLProfileTones[vp8c], 1972);
    EXPECT_EQ(VDSLProfileTones[vp12a], 2783);
    EXPECT_EQ(VDSLProfileTones[vp30a], 3479);
    EXPECT_STREQ(VDSLProfileNames[vp35b], "35B");
}

} // namespace
} // namespace vexlorin
