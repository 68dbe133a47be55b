// Every answer of the simulated console, cut as the retrieval cuts it and read by the
// model's own parsers, must give a plausible statistics set for each profile.
#include "Console.h"
#include "RouterSim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace vexlorin;
using vexlorin::testing::TConsole;

namespace {

TStringList Cut(TStringList ALines, std::size_t AFirst, std::size_t ALast) {
    if (ALines.size() < AFirst + ALast)
        return {};
    ALines.erase(ALines.begin(), ALines.begin() + static_cast<std::ptrdiff_t>(AFirst));
    ALines.resize(ALines.size() - ALast);
    return ALines;
}

int CountValues(const TDrayStatArray& AArray) {
    return static_cast<int>(std::count_if(AArray.begin(), AArray.end(),
                                          [](const TStatSlot& s) { return s.HasValue(); }));
}

const char* const Commands[] = {"vdsl status bandinfo", "vdsl status",        "vdsl status more",
                                "vdsl status olr",      "vdsl status counts", "vdsl annex",
                                "vdsl inventory co",    "vdsl inventory cpe", "vdsl status hlog",
                                "vdsl status qln",      "vdsl status snr",    "vdsl showbins",
                                "vdsl showbins up"};

std::map<std::string, std::string> RunAll(TVDSLProfile AProfile, uint64_t ASeed) {
    TRouterSimOptions options;
    options.Profile = AProfile;
    options.Seed = ASeed;
    TRouterSim sim(options);
    TConsole console(sim.Start());
    EXPECT_TRUE(console.LogOn());
    std::map<std::string, std::string> answers;
    for (const char* command : Commands)
        answers[command] = console.Run(command);
    return answers;
}

class RouterSimAnswers : public ::testing::TestWithParam<TVDSLProfile> {};

TEST_P(RouterSimAnswers, SurviveTheCutsAndParse) {
    const TVDSLProfile profile = GetParam();
    const auto answers = RunAll(profile, 7);
    for (const auto& [command, answer] : answers) {
        const TStringList lines = SplitLines(answer);
        ASSERT_GE(lines.size(), 5u) << command;
        EXPECT_EQ(lines.front(), command) << "the echoed command comes first";
        EXPECT_EQ(lines.back(), "DrayTek> ") << "the prompt comes last";
        EXPECT_EQ(answer.find("% Valid subcommands are:"), std::string::npos) << command;
        for (std::size_t i = 0; i + 1 < answer.size(); ++i)
            ASSERT_TRUE(answer[i] != '\n' || (i > 0 && answer[i - 1] == '\r'))
                << command << ": lines end with CR LF";
    }

    // Status pages: cut 2 / 2 keeps the title and every row.
    for (const char* command : {"vdsl status bandinfo", "vdsl status", "vdsl status more",
                                "vdsl status olr", "vdsl status counts"}) {
        const TStringList cut = Cut(SplitLines(answers.at(command)), 2, 2);
        ASSERT_GE(cut.size(), 3u) << command;
        EXPECT_NE(cut.front().find("ATU-R Info"), std::string::npos) << command;
        EXPECT_FALSE(cut.back().empty()) << command << ": data lost at the end";
    }
    for (const char* command : {"vdsl annex", "vdsl inventory co", "vdsl inventory cpe"}) {
        const TStringList cut = Cut(SplitLines(answers.at(command)), 1, 2);
        ASSERT_GE(cut.size(), 2u) << command;
        EXPECT_FALSE(cut.front().empty()) << command;
        EXPECT_FALSE(cut.back().empty()) << command;
    }

    TDrayData data;
    const TStringList status = Cut(SplitLines(answers.at("vdsl status")), 2, 2);
    data.IdentifyVDSLProfile(status);
    EXPECT_EQ(data.VDSLProfile(), profile);
    const std::string text = JoinLines(status);
    for (const char* item :
         {"State", "DS Actual Rate", "US Actual Rate", "Attenuation", "SNR Margin", "CRC Count",
          "FE  ES Count", "ITU Version", "Firmware", "< BDCM >"})
        EXPECT_NE(text.find(item), std::string::npos) << item;

    data.SetHLogData(SplitLines(answers.at("vdsl status hlog")));
    data.SetQLNData(SplitLines(answers.at("vdsl status qln")));
    data.SetSNRData(SplitLines(answers.at("vdsl status snr")));
    const int tones = VDSLProfileTones[profile];
    const uint8_t groupSize = data.HLogMultipliers()[sdDown];
    EXPECT_GE(groupSize * 512, tones);
    EXPECT_LT(groupSize * 256, tones);
    for (const TStatMultipliers* sizes :
         {&data.HLogMultipliers(), &data.QLNMultipliers(), &data.SNRMultipliers()})
        EXPECT_EQ(*sizes, (TStatMultipliers{groupSize, groupSize}));
    EXPECT_EQ(data.HLogUSRaw().size(), 64u);
    EXPECT_EQ(data.HLogDSRaw().size(), 64u);
    for (const TDrayStatArray* array :
         {&data.HLogStatsUS(), &data.HLogStatsDS(), &data.QLNStatsUS(), &data.QLNStatsDS(),
          &data.SNRStatsUS(), &data.SNRStatsDS()})
        EXPECT_GT(CountValues(*array), 10);
    // Upstream and downstream never share a whole group's worth of tones, and values look
    // like a line: HLog falls with frequency, QLN sits near -140 dBm/Hz.
    int lastHLog = 1;
    for (int g = 0; g < 512; ++g) {
        const TStatSlot& slot = data.HLogStatsDS()[static_cast<std::size_t>(g)];
        if (!slot.HasValue())
            continue;
        EXPECT_LE(slot.Value(), 0);
        EXPECT_GE(slot.Value(), -96);
        if (lastHLog != 1) {
            EXPECT_LE(slot.Value(), lastHLog + 3) << "group " << g;
        }
        lastHLog = slot.Value();
        const TStatSlot& qln = data.QLNStatsDS()[static_cast<std::size_t>(g)];
        ASSERT_TRUE(qln.HasValue());
        EXPECT_NEAR(qln.Value(), -135, 10);
    }

    data.SetBinStatsDSRaw(Cut(SplitLines(answers.at("vdsl showbins")), 2, 2));
    data.SetBinStatsUSRaw(Cut(SplitLines(answers.at("vdsl showbins up")), 2, 2));
    EXPECT_EQ(data.BinStatsUSRaw().front(), " UPSTREAM :");
    EXPECT_EQ(data.BinStatsDSRaw().front(), " DOWNSTREAM :");
    int downBits = 0, upBits = 0;
    for (int t = 1; t < tones; ++t) {
        const auto index = static_cast<std::size_t>(t);
        ASSERT_EQ(data.ShowBinStatsDS()[index].Bin, t) << "every tone is listed";
        ASSERT_EQ(data.ShowBinStatsUS()[index].Bin, t);
        const bool down = data.ShowBinStatsDS()[index].ToneBits > 0;
        const bool up = data.ShowBinStatsUS()[index].ToneBits > 0;
        EXPECT_FALSE(down && up) << "tone " << t << " carries both directions";
        downBits += data.ShowBinStatsDS()[index].ToneBits;
        upBits += data.ShowBinStatsUS()[index].ToneBits;
    }
    EXPECT_GT(downBits, upBits / 2);
    EXPECT_GT(upBits, 0);
}

INSTANTIATE_TEST_SUITE_P(Profiles, RouterSimAnswers,
                         ::testing::Values(vp8a, vp8b, vp8c, vp12a, vp12b, vp17a, vp30a, vp35b),
                         [](const auto& AInfo) { return VDSLProfileNames[AInfo.param]; });

TEST(RouterSimAnswers, SameSeedSameLineOtherSeedOtherLine) {
    const auto first = RunAll(vp17a, 3);
    EXPECT_EQ(first, RunAll(vp17a, 3));
    const auto other = RunAll(vp17a, 4);
    EXPECT_NE(first.at("vdsl status hlog"), other.at("vdsl status hlog"));
    EXPECT_NE(first.at("vdsl showbins"), other.at("vdsl showbins"));
}

TEST(RouterSimAnswers, ProfileEightDIsPrintedButNotRecognised) {
    TRouterSimOptions options;
    options.Profile = vp8d;
    TRouterSim sim(options);
    TConsole console(sim.Start());
    ASSERT_TRUE(console.LogOn());
    TDrayData data;
    const TStringList status = Cut(SplitLines(console.Run("vdsl status")), 2, 2);
    EXPECT_NE(JoinLines(status).find("Running Mode            :      8D"), std::string::npos);
    EXPECT_THROW(data.IdentifyVDSLProfile(status), EDrayDataError);
}

} // namespace
