// The statistics set itself: a new set, the text, Clear, raw-list writes, line helpers,
// number conversion.
#include "model/Convert.h"
#include "model/uDrayData.h"

#include <gtest/gtest.h>

namespace vexlorin {
namespace {

const TStringList StatusWith17A = {"  Running Mode            :      17A       State   : SHOWTIME"};

TEST(DrayDataNew, ReadsAsEmpty) {
    TDrayData unnamed;
    TDrayData named("router 1");
    EXPECT_EQ(unnamed.Name(), "");
    EXPECT_EQ(named.Name(), "router 1");
    for (const TDrayData* set : {&unnamed, &named}) {
        EXPECT_EQ(set->DataVersion(), 0u);
        EXPECT_EQ(set->VDSLProfile(), vpNA);
        EXPECT_STREQ(VDSLProfileNames[set->VDSLProfile()], "N/A");
        EXPECT_TRUE(set->Stats().empty());
        for (const auto* sizes :
             {&set->HLogMultipliers(), &set->QLNMultipliers(), &set->SNRMultipliers()})
            EXPECT_EQ(*sizes, (TStatMultipliers{0, 0}));
        for (const auto* array : {&set->HLogStatsUS(), &set->HLogStatsDS(), &set->QLNStatsUS(),
                                  &set->QLNStatsDS(), &set->SNRStatsUS(), &set->SNRStatsDS()}) {
            for (const TStatSlot& slot : *array) {
                ASSERT_TRUE(slot.IsEmpty());
                ASSERT_FALSE(slot.IsNull());
                ASSERT_EQ(slot.AsNumber(), 0);
            }
        }
        for (const auto* bins : {&set->ShowBinStatsUS(), &set->ShowBinStatsDS()})
            for (const TDrayBinEntry& entry : *bins)
                ASSERT_EQ(entry, TDrayBinEntry{});
    }
}

TEST(DrayDataText, AddStatDataAppendsHeaderThenData) {
    TDrayData set;
    set.AddStatData({}, nullptr);
    EXPECT_TRUE(set.Stats().empty());

    const TStringList data = {"a", "b", "c"};
    set.AddStatData({"", "Title"}, &data);
    EXPECT_EQ(set.Stats(), (TStringList{"", "Title", "a", "b", "c"}));
    set.AddStatData({"x"}, nullptr);
    EXPECT_EQ(set.Stats().back(), "x");
}

TEST(DrayDataText, WritingStatsIdentifiesTheProfileFirst) {
    TDrayData set;
    set.SetStats(StatusWith17A);
    EXPECT_EQ(set.VDSLProfile(), vp17a);
    EXPECT_EQ(set.Stats(), StatusWith17A);

    try {
        set.SetStats({"no mode here"});
        FAIL() << "expected an error";
    } catch (const EDrayDataError& e) {
        EXPECT_STREQ(e.what(), "Unable to retrieve profile from VDSL data");
    }
    EXPECT_EQ(set.Stats(), StatusWith17A);
    EXPECT_EQ(set.VDSLProfile(), vp17a);
}

TEST(DrayDataClear, EmptiesTextAndRawListsOnly) {
    TDrayData set("keep");
    set.SetStats(StatusWith17A);
    set.SetHLogData({"cmd", "GroupSize : 8 16", " US: (dB)",
                     "bin=0: -1, -2, -3, -4, -5, -6, -7, -8,", "", " DS: (dB)",
                     "bin=0: -9, -9, -9, -9, -9, -9, -9, -9,", "prompt>"});
    set.SetBinStatsUSRaw({"1 2 3 4"});
    set.SetBinStatsDSRaw({"5 6 7 8"});
    set.SetQLNUSRaw({"x"});
    set.SetSNRDSRaw({"y"});

    set.Clear();

    EXPECT_TRUE(set.Stats().empty());
    for (const auto* raw :
         {&set.HLogUSRaw(), &set.HLogDSRaw(), &set.QLNUSRaw(), &set.QLNDSRaw(), &set.SNRUSRaw(),
          &set.SNRDSRaw(), &set.BinStatsUSRaw(), &set.BinStatsDSRaw()})
        EXPECT_TRUE(raw->empty());
    EXPECT_EQ(set.Name(), "keep");
    EXPECT_EQ(set.VDSLProfile(), vp17a);
    EXPECT_EQ(set.HLogMultipliers(), (TStatMultipliers{8, 16}));
    EXPECT_EQ(set.HLogStatsUS()[7].Value(), -8);
    EXPECT_EQ(set.HLogStatsDS()[0].Value(), -9);
    EXPECT_EQ(set.ShowBinStatsUS()[1].ToneBits, 4);
    EXPECT_EQ(set.ShowBinStatsDS()[5].ToneBits, 8);
}

// Each raw-list write rebuilds exactly its own table and direction.
TEST(DrayDataRawLists, WriteRebuildsOnlyThatDirection) {
    using Setter = void (TDrayData::*)(TStringList);
    using Getter = const TDrayStatArray& (TDrayData::*)() const;
    struct Case {
        const char* Name;
        Setter Write;
        Getter Written;
        Getter Other;
    };
    const Case cases[] = {
        {"HLogUS", &TDrayData::SetHLogUSRaw, &TDrayData::HLogStatsUS, &TDrayData::HLogStatsDS},
        {"HLogDS", &TDrayData::SetHLogDSRaw, &TDrayData::HLogStatsDS, &TDrayData::HLogStatsUS},
        {"QLNUS", &TDrayData::SetQLNUSRaw, &TDrayData::QLNStatsUS, &TDrayData::QLNStatsDS},
        {"QLNDS", &TDrayData::SetQLNDSRaw, &TDrayData::QLNStatsDS, &TDrayData::QLNStatsUS},
        {"SNRUS", &TDrayData::SetSNRUSRaw, &TDrayData::SNRStatsUS, &TDrayData::SNRStatsDS},
        {"SNRDS", &TDrayData::SetSNRDSRaw, &TDrayData::SNRStatsDS, &TDrayData::SNRStatsUS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TDrayData set;
        (set.*c.Write)({"bin=8: 1, 2, 3, 4, 5, 6, 7, -150,"});
        const TDrayStatArray& written = (set.*c.Written)();
        EXPECT_TRUE(written[0].IsNull());
        EXPECT_EQ(written[8].Value(), 1);
        EXPECT_TRUE(written[16].IsNull());
        EXPECT_TRUE((set.*c.Other)()[8].IsEmpty()) << "the other direction was rebuilt";

        (set.*c.Write)({});
        EXPECT_TRUE((set.*c.Written)()[8].IsNull()) << "a write replaces, never patches";
    }
}

TEST(StringLists, SplitAndJoin) {
    struct Case {
        std::string_view Text;
        TStringList Lines;
    };
    const Case cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\nc\r\n", {"a", "b", "c"}},
        {"\r\n\r\n", {"", ""}},
        {"a\n\rb", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}},
        {"a\r", {"a"}},
        {"\n\nb\r", {"", "", "b"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Text));
        EXPECT_EQ(SplitLines(c.Text), c.Lines);
    }
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({"abc"}), "abc\r\n");
    EXPECT_EQ(JoinLines({"", "x"}), "\r\nx\r\n");
}

// Short numbers take a quicker way than long ones; both must agree at the 32-bit limits.
TEST(Conversion, SignedThirtyTwoBitIntegers) {
    struct Case {
        std::string_view Text;
        std::optional<int32_t> Value;
    };
    const Case cases[] = {
        {"0", 0},
        {"-0", 0},
        {"7", 7},
        {"999999999", 999999999},
        {"-999999999", -999999999},
        {"1000000000", 1000000000},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"0000000000012", 12},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"+1", std::nullopt},
        {"12a", std::nullopt},
        {"1-2", std::nullopt},
        {" 1", std::nullopt},
        {"12345678:", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Text));
        EXPECT_EQ(TryStrToInt(c.Text), c.Value);
        if (c.Value)
            EXPECT_EQ(StrToInt(c.Text), *c.Value);
        else
            EXPECT_THROW(StrToInt(c.Text), EConvertError);
    }
}

} // namespace
} // namespace vexlorin
