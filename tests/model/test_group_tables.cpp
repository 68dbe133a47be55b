// Per-group tables: router answers to raw lines, group sizes and arrays.
#include "model/uDrayData.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>

namespace vexlorin {
namespace {

// The router's HLog answer in its smallest complete shape: echo, group sizes, headers,
// separating line, a short value line and the prompt.
TStringList HLogAnswer(std::string AUpHeader = " US: (dB)", std::string ADownHeader = " DS: (dB)",
                       std::string AFirstValue = "-25") {
    return {
        "vdsl status hlog",
        "GroupSize : 8 8",
        AUpHeader,
        "bin=0: " + AFirstValue + ", -26, -27, -28, -29, -30, -31, -32,",
        "",
        ADownHeader,
        "bin=8: -40, , -42, -43, -44, -45, -46, -47,",
        "bin=16: 1, 2, 3,",
        "DrayTek> ",
    };
}

void ExpectOnly(const TDrayStatArray& AArray, const std::map<int, std::optional<int>>& AExpected) {
    for (int i = 0; i < static_cast<int>(AArray.size()); ++i) {
        SCOPED_TRACE("slot " + std::to_string(i));
        const auto it = AExpected.find(i);
        if (it == AExpected.end() || !it->second) {
            ASSERT_TRUE(AArray[i].IsNull());
        } else {
            ASSERT_TRUE(AArray[i].HasValue());
            ASSERT_EQ(AArray[i].Value(), *it->second);
        }
    }
}

const std::map<int, std::optional<int>> UpSlots = {{0, -25}, {1, -26}, {2, -27}, {3, -28},
                                                   {4, -29}, {5, -30}, {6, -31}, {7, -32}};
const std::map<int, std::optional<int>> DownSlots = {{8, -40},  {10, -42}, {11, -43}, {12, -44},
                                                     {13, -45}, {14, -46}, {15, -47}};

TEST(GroupTables, NineLineHLogAnswer) {
    TDrayData set;
    set.SetHLogData(HLogAnswer());
    EXPECT_EQ(set.HLogMultipliers(), (TStatMultipliers{8, 8}));
    EXPECT_EQ(set.HLogUSRaw(), (TStringList{HLogAnswer()[3]}));
    EXPECT_EQ(set.HLogDSRaw(), (TStringList{HLogAnswer()[6], HLogAnswer()[7]}));
    ExpectOnly(set.HLogStatsUS(), UpSlots);
    ExpectOnly(set.HLogStatsDS(), DownSlots);
    // The other tables are untouched.
    EXPECT_TRUE(set.QLNStatsUS()[0].IsEmpty());
    EXPECT_EQ(set.SNRMultipliers(), (TStatMultipliers{0, 0}));
}

// The three tables share one scheme; only QLN turns -150 into null.
TEST(GroupTables, MinusOneFiftyIsNullOnlyForQLN) {
    struct Case {
        const char* Name;
        std::function<void(TDrayData&, const TStringList&)> Set;
        std::function<const TDrayStatArray&(const TDrayData&)> Up;
        std::string UpHeader, DownHeader;
        bool Null;
    };
    const Case cases[] = {
        {"HLog", &TDrayData::SetHLogData, &TDrayData::HLogStatsUS, " US: (dB)", " DS: (dB)", false},
        {"QLN", &TDrayData::SetQLNData, &TDrayData::QLNStatsUS, " US: (dBm/Hz)", " DS: (dBm/Hz)",
         true},
        {"SNR", &TDrayData::SetSNRData, &TDrayData::SNRStatsUS, " US: (dB)", " DS: (dB)", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TDrayData set;
        c.Set(set, HLogAnswer(c.UpHeader, c.DownHeader, "-150"));
        const TStatSlot slot = c.Up(set)[0];
        if (c.Null)
            EXPECT_TRUE(slot.IsNull());
        else
            EXPECT_EQ(slot, TStatSlot::Of(-150));
        EXPECT_EQ(c.Up(set)[1], TStatSlot::Of(-26));
    }
}

TEST(GroupTables, ValueLineShapes) {
    struct Case {
        const char* Line;
        std::map<int, std::optional<int>> Slots;
    };
    const Case cases[] = {
        {"bin=0:1, 2, 3, 4, 5, 6, 7, 8,", {}}, // no blank after the colon
        {"bin=0: 1,2,3,4,5,6,7,8,",
         {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}}},
        {"bin=0: 1.5, 2, 3, 4, 5, 6, 7, 8,", {}},                   // a decimal point
        {"bin=0: 1 , 2, 3, 4, 5, 6, 7, 8,", {}},                    // blank before a comma
        {"bin= 16: 1, 2, , , , , , ,", {{16, 1}, {17, 2}}},         // blank after "bin="
        {"bin=0: , , , , , , , ,", {}},                             // all empty: nothing
        {"xx bin=0: 7, , , , , , , 9, trailing", {{0, 7}, {7, 9}}}, // unanchored
        {"bin=508: 1, 2, 3, 4, 5, 6, 7, 8,", {{508, 1}, {509, 2}, {510, 3}, {511, 4}}},
        {"bin=4294967300: 1, 2, 3, 4, 5, 6, 7, 8,", {}}, // see the error test
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        TDrayData set;
        try {
            set.SetSNRDSRaw({c.Line});
        } catch (const EConvertError&) {
        }
        ExpectOnly(set.SNRStatsDS(), c.Slots);
    }
}

// Later lines overwrite earlier ones, but trailing absent values keep what was there.
TEST(GroupTables, LaterLinesWinExceptTrailingAbsentValues) {
    TDrayData set;
    set.SetHLogUSRaw(
        {"bin=0: 1, 2, 3, 4, 5, 6, 7, 8,", "bin=0: 9, , 10, , , , , ,", "bin=4: 11, 12,"});
    ExpectOnly(set.HLogStatsUS(),
               {{0, 9}, {1, std::nullopt}, {2, 10}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}});
}

TEST(GroupTables, GroupSizeStatement) {
    struct Case {
        const char* Line;
        TStatMultipliers Sizes;
    };
    const Case cases[] = {
        {"GroupSize : 8 16", {8, 16}},
        {"GroupSize\t:\r\n 2   4", {2, 4}},
        {"groupsize : 8 8", {0, 0}},
        {"GroupSize: 8 8", {0, 0}},
        {"GroupSize : 264 8", {8, 8}},         // low 8 bits
        {"GroupSize : 99999999999 7", {0, 7}}, // does not fit: 0
        // The first statement counts, also when a later one is well-formed too.
        {"GroupSize : 8 16\r\nGroupSize : 2 4", {8, 16}},
        {"GroupSize : 8\r\nGroupSize : 2 4", {2, 4}}, // the first one is incomplete
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Line);
        TDrayData set;
        set.SetQLNData({"echo", c.Line, "prompt"});
        EXPECT_EQ(set.QLNMultipliers(), c.Sizes);
    }
}

TEST(GroupTables, HeaderLinesDecideTheSplit) {
    {
        SCOPED_TRACE("header in lower case still counts");
        TDrayData set;
        set.SetHLogData(HLogAnswer(" us: (db)"));
        EXPECT_EQ(set.HLogUSRaw().size(), 1u);
        ExpectOnly(set.HLogStatsUS(), UpSlots);
    }
    {
        SCOPED_TRACE("header without its leading blank is no header");
        TDrayData set;
        set.SetHLogData(HLogAnswer("US: (dB)"));
        // No upstream header: upstream takes lines 0 to d - 2.
        const TStringList answer = HLogAnswer("US: (dB)");
        EXPECT_EQ(set.HLogUSRaw(), (TStringList(answer.begin(), answer.begin() + 4)));
        ExpectOnly(set.HLogStatsUS(), UpSlots);
    }
    {
        SCOPED_TRACE("no downstream header");
        TDrayData set;
        set.SetHLogData(HLogAnswer(" US: (dB)", "nothing"));
        EXPECT_TRUE(set.HLogUSRaw().empty());
        EXPECT_EQ(set.HLogDSRaw().size(), 8u);
        auto both = UpSlots;
        both.insert(DownSlots.begin(), DownSlots.end());
        ExpectOnly(set.HLogStatsDS(), both);
    }
}

// A table read again into a set that already holds one takes the group sizes of the new
// answer only: an answer without a statement leaves both sizes 0, not the old ones.
TEST(GroupTables, ReadingAgainStartsTheGroupSizesAfresh) {
    struct Case {
        const char* Name;
        std::function<void(TDrayData&, const TStringList&)> Set;
        std::function<const TStatMultipliers&(const TDrayData&)> Sizes;
    };
    const Case cases[] = {
        {"HLog", &TDrayData::SetHLogData, &TDrayData::HLogMultipliers},
        {"QLN", &TDrayData::SetQLNData, &TDrayData::QLNMultipliers},
        {"SNR", &TDrayData::SetSNRData, &TDrayData::SNRMultipliers},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TDrayData set;
        c.Set(set, {"echo", "GroupSize : 8 16", "prompt"});
        ASSERT_EQ(c.Sizes(set), (TStatMultipliers{8, 16}));
        c.Set(set, {"echo", "GroupSize : 4 2", "prompt"});
        EXPECT_EQ(c.Sizes(set), (TStatMultipliers{4, 2}));
        c.Set(set, {"echo", "no statement here", "prompt"});
        EXPECT_EQ(c.Sizes(set), (TStatMultipliers{0, 0}));
    }
}

TEST(GroupTables, SettingTwiceAppendsRawLinesWithSameArrays) {
    TDrayData set;
    set.SetHLogData(HLogAnswer());
    set.SetHLogData(HLogAnswer());
    EXPECT_EQ(set.HLogUSRaw().size(), 2u);
    EXPECT_EQ(set.HLogDSRaw().size(), 4u);
    ExpectOnly(set.HLogStatsUS(), UpSlots);
    ExpectOnly(set.HLogStatsDS(), DownSlots);
}

TEST(GroupTables, NumberTooLargeStopsTheRebuild) {
    TDrayData set;
    set.SetHLogDSRaw({"bin=0: 1, 1, 1, 1, 1, 1, 1, 1,"});
    TStringList answer = HLogAnswer();
    answer[6] = "bin=8: -40, 2147483648, -42, -43, -44, -45, -46, -47,";
    answer.insert(answer.begin() + 6, "bin=0: 5, , , , , , , ,");
    answer[3] = "bin=0: -25, -26, -27, -28, -29, -30, -31, -32,";
    try {
        set.SetHLogData(answer);
        FAIL() << "expected a conversion error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'2147483648' is not a valid integer value");
    }
    // Raw lines were stored; the failing line wrote nothing; earlier lines stand.
    EXPECT_EQ(set.HLogDSRaw().size(), 4u);
    ExpectOnly(set.HLogStatsUS(), UpSlots);
    const TDrayStatArray& down = set.HLogStatsDS();
    EXPECT_EQ(down[0], TStatSlot::Of(5));
    EXPECT_EQ(down[1], TStatSlot::Of(1)) << "slots were cleared although the rebuild failed?";
    EXPECT_TRUE(down[8].IsNull());
}

TEST(GroupTables, UpstreamFailureLeavesDownstreamAsItWas) {
    TDrayData set;
    set.SetHLogDSRaw({"bin=0: 1, , , , , , , ,"});
    TStringList answer = HLogAnswer();
    answer[3] = "bin=99999999999: 1, , , , , , , ,";
    EXPECT_THROW(set.SetHLogData(answer), EConvertError);
    EXPECT_EQ(set.HLogStatsDS()[0], TStatSlot::Of(1));
    EXPECT_EQ(set.HLogDSRaw().size(), 3u);
}

TEST(GroupTables, ExtremeValuesFit) {
    TDrayData set;
    set.SetSNRUSRaw({"bin=0: -2147483648, 2147483647, 0000000000012, -0, , , , ,"});
    ExpectOnly(set.SNRStatsUS(), {{0, INT32_MIN}, {1, INT32_MAX}, {2, 12}, {3, 0}});
}

} // namespace
} // namespace vexlorin
