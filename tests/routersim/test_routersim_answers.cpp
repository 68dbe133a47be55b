// Every answer of the simulated console, cut as the retrieval cuts it and read by the
// model's own parsers, must give a plausible statistics set for each profile.
#include "Console.h"
#include "LineModel.h"
#include "RouterSim.h"
#include "model/LineSummary.h"

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

// The status answers, cut and put together as a retrieval does, summarise to the line
// model's own figures, and every answer that prints a counter prints the same count.
TEST_P(RouterSimAnswers, SummaryMatchesTheLineModel) {
    const TVDSLProfile profile = GetParam();
    const auto answers = RunAll(profile, 7);
    const auto status = [&](const char* ACommand) {
        return Cut(SplitLines(answers.at(ACommand)), 2, 2);
    };
    TStringList text;
    for (const char* command : {"vdsl status bandinfo", "vdsl status", "vdsl status more",
                                "vdsl status olr", "vdsl status counts"}) {
        const TStringList lines = status(command);
        text.insert(text.end(), lines.begin(), lines.end());
    }
    for (const auto& [header, command] :
         {std::pair{" [ INVENTORY ]", "vdsl annex"}, std::pair{" [ CO ]", "vdsl inventory co"},
          std::pair{" [ CPE ]", "vdsl inventory cpe"}}) {
        text.push_back(header);
        const TStringList lines = Cut(SplitLines(answers.at(command)), 1, 2);
        text.insert(text.end(), lines.begin(), lines.end());
    }
    const TLineSummary s = SummarizeStatus(text);
    const routersim::TLineModel model(profile, 7);

    EXPECT_EQ(s[liState].AsText(), "SHOWTIME");
    EXPECT_EQ(s[liMode].AsText(), VDSLProfileNames[profile]);
    EXPECT_EQ(s[liFirmware].AsText(), "08-0B-02-06-00-07");
    EXPECT_EQ(s[liVendor].AsText(), "BDCM");
    EXPECT_EQ(s[liChipset].AsText(), "IFTN");
    EXPECT_EQ(s[liAnnex].AsText(), "A");
    EXPECT_EQ(s[liVectoring].AsText(), "G.993.5 friendly");
    EXPECT_EQ(s[liResets].AsInteger(), 0);
    EXPECT_EQ(s[liRetrains].AsInteger(), 1);
    for (const TStatDirection d : {sdUp, sdDown}) {
        SCOPED_TRACE(DirectionKey(d));
        EXPECT_EQ(s.Get(d, diActualRate).AsInteger(), int64_t{model.RateKbps(d)} * 1000);
        EXPECT_EQ(s.Get(d, diAttainableRate).AsInteger(), int64_t{model.AttainableKbps(d)} * 1000);
        EXPECT_EQ(s.Get(d, diAttenuation).AsNumber(), static_cast<int>(model.Attenuation(d)));
        EXPECT_EQ(s.Get(d, diSNRMargin).AsNumber(), static_cast<int>(model.SNRMargin(d)));
        EXPECT_EQ(s.Get(d, diPathMode).AsText(), "Fast");
        EXPECT_EQ(s.Get(d, diInterleaveDepth).AsInteger(), 1);
        EXPECT_EQ(s.Get(d, diInterleaveDelay).AsNumber(), 0.0);
        EXPECT_TRUE(s.Get(d, diActualPSD).Has());
        EXPECT_TRUE(s.Get(d, diINP).Has());
        for (const TDirectionItem counter : {diCRC, diFEC, diES, diSES, diUAS, diLOSS, diFECS})
            EXPECT_TRUE(s.Get(d, counter).IsInteger()) << DirectionFields()[counter].Key;
        // Severely errored seconds are errored seconds, which saw CRC errors.
        EXPECT_LE(*s.Get(d, diSES).AsInteger(), *s.Get(d, diES).AsInteger());
        EXPECT_LE(*s.Get(d, diES).AsInteger(), *s.Get(d, diCRC).AsInteger());
        EXPECT_LE(*s.Get(d, diFECS).AsInteger(), *s.Get(d, diFEC).AsInteger());
    }
    const TLineSummary inStatus = SummarizeStatus(status("vdsl status"));
    const TLineSummary inMore = SummarizeStatus(status("vdsl status more"));
    const TLineSummary inCounts = SummarizeStatus(status("vdsl status counts"));
    for (const TStatDirection d : {sdUp, sdDown}) {
        for (const TDirectionItem counter : {diCRC, diES}) {
            EXPECT_EQ(inStatus.Get(d, counter), s.Get(d, counter));
            EXPECT_EQ(inMore.Get(d, counter), s.Get(d, counter));
        }
        for (const TDirectionItem counter : {diCRC, diFEC, diES, diSES, diUAS, diLOSS})
            EXPECT_EQ(inCounts.Get(d, counter), s.Get(d, counter))
                << DirectionFields()[counter].Key;
    }

    // The bands cover the profile's tones in turn, upstream and downstream alternating.
    std::vector<TBandSummary> bands = s.Bands;
    ASSERT_GE(bands.size(), 3u);
    std::sort(bands.begin(), bands.end(), [](const TBandSummary& a, const TBandSummary& b) {
        return *a.Values[biFirstTone].AsInteger() < *b.Values[biFirstTone].AsInteger();
    });
    EXPECT_EQ(bands.front().Name, "US0");
    for (std::size_t i = 1; i < bands.size(); ++i) {
        EXPECT_NE(bands[i].Direction, bands[i - 1].Direction);
        EXPECT_EQ(*bands[i].Values[biFirstTone].AsInteger(),
                  *bands[i - 1].Values[biLastTone].AsInteger() + 1);
        // Attenuation grows with frequency (the model floors HLog at -96 dB).
        EXPECT_GE(*bands[i].Values[biLATN].AsNumber(), *bands[i - 1].Values[biLATN].AsNumber());
    }
    EXPECT_LT(*bands.back().Values[biLastTone].AsInteger(), VDSLProfileTones[profile]);
    for (const TBandSummary& band : bands)
        EXPECT_NEAR(*band.Values[biSNRM].AsNumber(), model.SNRMargin(band.Direction), 0.05);

    // The bits loaded carry the reported rate plus its framing overhead.
    TDrayData data;
    data.SetStats(status("vdsl status"));
    data.SetBinStatsDSRaw(Cut(SplitLines(answers.at("vdsl showbins")), 2, 2));
    data.SetBinStatsUSRaw(Cut(SplitLines(answers.at("vdsl showbins up")), 2, 2));
    const TLineSummary withBits = SummarizeSet(data);
    for (const TStatDirection d : {sdUp, sdDown}) {
        const int64_t reported = *withBits.Get(d, diActualRate).AsInteger();
        const int64_t loaded = *withBits.Bits[d][btRate].AsInteger();
        EXPECT_LE(reported, loaded);
        EXPECT_GE(reported, loaded * 85 / 100);
    }
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
