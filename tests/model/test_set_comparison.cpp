// Comparing two sets: every difference checked against a direct computation from the two
// sets' own tables, nulls and missing tables, sets of different profiles and group sizes,
// the band and direction figures, the tones that moved by more than 2 bits, and the
// summary values side by side.
#include "model/SetComparison.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace vexlorin {
namespace {

using TValueOf = std::function<int(int AGroup, bool AUp)>;

// A per-group answer as the router prints it; groups in ANull are left empty.
TStringList GroupAnswer(const std::string& AUnit, int AUSSize, int ADSSize, const TValueOf& AValue,
                        const std::set<int>& ANull = {}) {
    TStringList lines{"vdsl status x",
                      "GroupSize : " + std::to_string(AUSSize) + " " + std::to_string(ADSSize)};
    for (const bool up : {true, false}) {
        lines.push_back((up ? " US: (" : " DS: (") + AUnit + ")");
        for (int first = 0; first < 512; first += 8) {
            std::string line = "bin=" + std::to_string(first) + ": ";
            for (int group = first; group < first + 8; ++group)
                line +=
                    (ANull.count(group) ? std::string() : std::to_string(AValue(group, up))) + ", ";
            lines.push_back(line);
        }
        lines.push_back("");
    }
    lines.push_back("DrayTek> ");
    return lines;
}

TStringList BinLines(int ACount, int ASeed, bool AUp) {
    TStringList lines{AUp ? "UPSTREAM :" : "DOWNSTREAM :", " BIN    SNR   GAIN   BITS"};
    for (int t = 0; t < ACount; ++t) {
        const int snr = (t * 7 + ASeed * 13) % 50;
        const int gain = ((t * 11 + ASeed * 5) % 61) - 30;
        const int bits = (t * 3 + ASeed * (AUp ? 5 : 3)) % 16;
        lines.push_back("  " + std::to_string(t) + "  " + std::to_string(snr) + "  " +
                        std::to_string(gain) + "  " + std::to_string(bits));
    }
    return lines;
}

struct TMade {
    TVDSLProfile Profile = vp17a;
    int Seed = 1;
    int USSize = 8, DSSize = 8;
    std::set<int> Null;
    bool Groups = true;
    bool Bins = true;
    TStringList Stats;
};

std::unique_ptr<TDrayData> Make(const TMade& AMade) {
    auto set = std::make_unique<TDrayData>("seed " + std::to_string(AMade.Seed));
    const int seed = AMade.Seed;
    if (AMade.Groups) {
        set->SetHLogData(GroupAnswer(
            "dB", AMade.USSize, AMade.DSSize,
            [seed](int g, bool up) { return -20 - (g * seed) % 40 - (up ? 3 : 0); }, AMade.Null));
        set->SetQLNData(GroupAnswer(
            "dBm/Hz", AMade.USSize, AMade.DSSize,
            [seed](int g, bool up) { return -100 - (g + seed) % 30 - (up ? 1 : 0); }, AMade.Null));
        set->SetSNRData(GroupAnswer(
            "dB", AMade.USSize, AMade.DSSize,
            [seed](int g, bool up) { return 10 + (g * 3 + seed) % 30 + (up ? 2 : 0); },
            AMade.Null));
    }
    if (AMade.Bins) {
        set->SetBinStatsUSRaw(BinLines(BinArraySize, seed, true));
        set->SetBinStatsDSRaw(BinLines(BinArraySize, seed, false));
    }
    set->AddStatData(AMade.Stats, nullptr);
    set->SetVDSLProfile(AMade.Profile);
    return set;
}

// B - A per group, straight from the tables: both on the finer grid, at the group's
// first tone.
void ExpectGroupDifferences(const TSetComparison& AComparison, const TDrayData& A,
                            const TDrayData& B) {
    const int common =
        std::min(ProfileToneCount(A.VDSLProfile()), ProfileToneCount(B.VDSLProfile()));
    for (int table = 0; table < GroupTableCount; ++table) {
        for (const TStatDirection dir : {sdUp, sdDown}) {
            SCOPED_TRACE(testing::Message() << "table " << table << " direction " << int{dir});
            const auto id = static_cast<TGroupTableId>(table);
            const int sizeA = GroupSize(A, id, dir);
            const int sizeB = GroupSize(B, id, dir);
            const TGroupDifference& d = AComparison.Groups[id][dir];
            ASSERT_EQ(d.GroupSize, std::min(sizeA, sizeB));
            for (int g = 0; g < 512; ++g) {
                const int tone = g * d.GroupSize;
                const TStatSlot& a = GroupValues(A, id, dir)[tone / sizeA < 512 ? tone / sizeA : 0];
                const TStatSlot& b = GroupValues(B, id, dir)[tone / sizeB < 512 ? tone / sizeB : 0];
                const bool inside = tone < common && tone / sizeA < 512 && tone / sizeB < 512;
                if (inside && a.HasValue() && b.HasValue()) {
                    ASSERT_EQ(d.Values[g], double(b.Value() - a.Value())) << g;
                } else {
                    ASSERT_FALSE(d.Values[g].has_value()) << g;
                }
            }
        }
    }
}

void ExpectToneDifferences(const TSetComparison& AComparison, const TDrayData& A,
                           const TDrayData& B) {
    const int common =
        std::min(ProfileToneCount(A.VDSLProfile()), ProfileToneCount(B.VDSLProfile()));
    for (const TStatDirection dir : {sdUp, sdDown}) {
        const TDrayBinArray& a = BinValues(A, dir);
        const TDrayBinArray& b = BinValues(B, dir);
        const TToneDifference& snr = AComparison.Tones[tvSNR][dir];
        const TToneDifference& gain = AComparison.Tones[tvGain][dir];
        const TToneDifference& bits = AComparison.Tones[tvBits][dir];
        ASSERT_EQ(static_cast<int>(snr.Values.size()), common);
        ASSERT_EQ(gain.Values.size(), snr.Values.size());
        ASSERT_EQ(bits.Values.size(), snr.Values.size());
        for (int t = 0; t < common; ++t) {
            ASSERT_EQ(snr.Values[t], b[t].SNR - a[t].SNR) << t;
            ASSERT_DOUBLE_EQ(gain.Values[t], b[t].Gain / 10.0 - a[t].Gain / 10.0) << t;
            ASSERT_EQ(bits.Values[t], b[t].ToneBits - a[t].ToneBits) << t;
        }
    }
}

TEST(SetComparison, DifferencesEqualTheDirectComputation) {
    TMade made;
    made.Null = {3, 40, 41};
    const auto a = Make(made);
    made.Seed = 7;
    made.Null = {41, 42, 300};
    const auto b = Make(made);
    const TSetComparison c = CompareSets(*a, *b);
    EXPECT_EQ(c.CommonTones(), 4096);
    ExpectGroupDifferences(c, *a, *b);
    ExpectToneDifferences(c, *a, *b);
    // Either null gives none.
    for (const int g : {3, 40, 41, 42, 300})
        EXPECT_FALSE(c.Groups[gtSNR][sdDown].Values[g].has_value()) << g;
    EXPECT_TRUE(c.Groups[gtSNR][sdDown].Values[4].has_value());

    // The other way round every difference changes its sign.
    const TSetComparison back = CompareSets(*b, *a);
    for (int g = 0; g < 512; ++g)
        ASSERT_EQ(back.Groups[gtHLog][sdUp].Values[g].value_or(0),
                  -c.Groups[gtHLog][sdUp].Values[g].value_or(0));
}

TEST(SetComparison, ASetComparedWithItselfIsZeroWhereItHoldsValues) {
    TMade made;
    made.Profile = vp35b;
    made.USSize = made.DSSize = 16;
    made.Null = {7};
    made.Stats = {"  DS:", "   DS1: Limits=[  33-  859]  LATN=  5.6 dB  SNRM= 12.1 dB",
                  "  DS Actual Rate    : 50000 Kbps   US Actual Rate   : 10000 Kbps"};
    const auto a = Make(made);
    const TSetComparison c = CompareSets(*a, *a);
    for (int table = 0; table < GroupTableCount; ++table)
        for (const TStatDirection dir : {sdUp, sdDown})
            for (int g = 0; g < 512; ++g)
                ASSERT_EQ(c.Groups[table][dir].Values[g],
                          g == 7 ? std::nullopt : std::optional<double>(0.0));
    for (int value = 0; value < ToneValueCount; ++value)
        for (const TStatDirection dir : {sdUp, sdDown}) {
            ASSERT_EQ(c.Tones[value][dir].Values.size(), 8192u);
            for (const double d : c.Tones[value][dir].Values)
                ASSERT_EQ(d, 0.0);
        }
    EXPECT_TRUE(c.BitChanges[sdUp].empty());
    EXPECT_TRUE(c.BitChanges[sdDown].empty());
    ASSERT_EQ(c.Bands.size(), 1u);
    EXPECT_EQ(c.Bands[0].Reference, c.Bands[0].Selected);
    EXPECT_EQ(Change(c.Bands[0].Reference.Margin, c.Bands[0].Selected.Margin), 0.0);
    EXPECT_EQ(c.Directions[sdDown].Reference, c.Directions[sdDown].Selected);
}

// 17a with 8 tones per group against 35b with 16: the tone axis is the larger, the
// differences stop at 4096 tones, and each 35b group meets two 17a groups.
TEST(SetComparison, DifferentProfilesAndGroupSizes) {
    TMade made;
    made.Profile = vp17a;
    const auto a = Make(made);
    made.Profile = vp35b;
    made.Seed = 3;
    made.USSize = 16;
    made.DSSize = 4;
    const auto b = Make(made);
    const TSetComparison c = CompareSets(*a, *b);
    EXPECT_EQ(c.CommonTones(), 4096);
    EXPECT_EQ(c.AllTones(), 8192);
    EXPECT_EQ(c.Groups[gtQLN][sdUp].GroupSize, 8);
    EXPECT_EQ(c.Groups[gtQLN][sdDown].GroupSize, 4);
    ExpectGroupDifferences(c, *a, *b);
    ExpectToneDifferences(c, *a, *b);
    // Entry 3 of upstream: tone 24, group 3 of the 17a set, group 1 of the 35b set.
    EXPECT_EQ(c.Groups[gtQLN][sdUp].Values[3],
              double(b->QLNStatsUS()[1].Value() - a->QLNStatsUS()[3].Value()));
    // Downstream, 512 groups of 4 tones end at tone 2048: the 17a set's group 255.
    EXPECT_EQ(c.Groups[gtQLN][sdDown].Values[511],
              double(b->QLNStatsDS()[511].Value() - a->QLNStatsDS()[255].Value()));
}

TEST(SetComparison, MissingTablesGiveNoDifference) {
    TMade made;
    const auto full = Make(made);
    made.Groups = false;
    made.Bins = false;
    const auto bare = Make(made);
    for (const auto& [ref, sel] :
         {std::pair{full.get(), bare.get()}, std::pair{bare.get(), full.get()}}) {
        const TSetComparison c = CompareSets(*ref, *sel);
        for (int table = 0; table < GroupTableCount; ++table)
            for (const TStatDirection dir : {sdUp, sdDown}) {
                EXPECT_EQ(c.Groups[table][dir].GroupSize, 8);
                for (const auto& value : c.Groups[table][dir].Values)
                    ASSERT_FALSE(value.has_value());
            }
        for (int value = 0; value < ToneValueCount; ++value)
            for (const TStatDirection dir : {sdUp, sdDown})
                EXPECT_TRUE(c.Tones[value][dir].Values.empty());
        EXPECT_TRUE(c.BitChanges[sdDown].empty());
        EXPECT_FALSE(c.Directions[sdDown].Reference.Bits.has_value() &&
                     c.Directions[sdDown].Selected.Bits.has_value());
    }
    // Two sets without anything: nothing to compare, and no failure.
    const TSetComparison none = CompareSets(*bare, *bare);
    EXPECT_EQ(none.Groups[gtHLog][sdUp].GroupSize, 0);
    EXPECT_TRUE(none.Bands.empty());
}

TEST(SetComparison, TonesThatMovedByMoreThanTwoBits) {
    auto a = std::make_unique<TDrayData>("a");
    auto b = std::make_unique<TDrayData>("b");
    a->SetVDSLProfile(vp8a);
    b->SetVDSLProfile(vp17a);
    // Tone 10: -3, tone 11: +2 (not more than 2), tone 12: +5, tone 3000 beyond 8a.
    a->SetBinStatsDSRaw({"  10  30  0  9", "  11  30  0  4", "  12  30  0  1", "  3000 30 0 1"});
    b->SetBinStatsDSRaw({"  10  30  0  6", "  11  30  0  6", "  12  30  0  6", "  3000 30 0 12"});
    const TSetComparison c = CompareSets(*a, *b);
    EXPECT_EQ(c.BitChanges[sdDown], (std::vector<TBitChange>{{10, 9, 6}, {12, 1, 6}}));
    EXPECT_EQ(c.BitChanges[sdDown][0].Change(), -3);
    EXPECT_TRUE(c.BitChanges[sdUp].empty()) << "no upstream bins in either set";
}

TEST(SetComparison, BandsAndDirections) {
    TMade made;
    made.Stats = {"  DS:",
                  "   DS1: Limits=[  33-  859]  LATN=  5.6 dB  SNRM= 12.1 dB",
                  "   DS2: Limits=[1206- 1971]  LATN= 20.0 dB  SNRM= 11.0 dB",
                  "  US:",
                  "   US1: Limits=[ 860- 1205]  LATN= 14.0 dB  SNRM=  7.5 dB",
                  "  NE Current Attenuation : 11 dB Cur SNR Margin : 12.3 dB"};
    const auto a = Make(made);
    made.Seed = 5;
    made.Stats = {"  DS:", "   DS1: Limits=[  33-  859]  LATN=  5.0 dB  SNRM= 10.0 dB",
                  "  US:", "   US1: Limits=[ 860- 1205]  LATN= 14.0 dB  SNRM=  8.0 dB",
                  "   US2: Limits=[1972- 2700]  LATN= 30.0 dB  SNRM=  6.0 dB"};
    const auto b = Make(made);
    const TSetComparison c = CompareSets(*a, *b);

    // The selected set's bands first, then the reference's that it lacks.
    std::vector<std::string> names;
    for (const TRangeComparison& band : c.Bands)
        names.push_back(band.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"DS1", "US1", "US2", "DS2"}));

    const auto direct = [](const TDrayData& S, TStatDirection D, int First, int Last) {
        TRangeFigures f;
        int64_t bits = 0;
        double snr = 0;
        int count = 0;
        for (int t = First; t <= Last; ++t) {
            bits += BinValues(S, D)[t].ToneBits;
            const TStatSlot& slot = GroupValues(S, gtSNR, D)[t / GroupSize(S, gtSNR, D)];
            if (slot.HasValue()) {
                snr += slot.Value();
                ++count;
            }
        }
        f.Bits = bits;
        if (count > 0)
            f.MeanSNR = snr / count;
        return f;
    };
    const TRangeComparison& ds1 = c.Bands[0];
    EXPECT_EQ(ds1.Direction, sdDown);
    EXPECT_EQ(ds1.FirstTone, 33);
    EXPECT_EQ(ds1.LastTone, 859);
    EXPECT_EQ(ds1.Reference.Bits, direct(*a, sdDown, 33, 859).Bits);
    EXPECT_EQ(ds1.Selected.Bits, direct(*b, sdDown, 33, 859).Bits);
    EXPECT_DOUBLE_EQ(*ds1.Reference.MeanSNR, *direct(*a, sdDown, 33, 859).MeanSNR);
    EXPECT_DOUBLE_EQ(*ds1.Selected.MeanSNR, *direct(*b, sdDown, 33, 859).MeanSNR);
    EXPECT_DOUBLE_EQ(*Change(ds1.Reference.Margin, ds1.Selected.Margin), 10.0 - 12.1);

    // A band one set's text lacks is measured over the other's limits; its margin is
    // the one set's alone.
    const TRangeComparison& us2 = c.Bands[2];
    EXPECT_EQ(us2.Reference.Bits, direct(*a, sdUp, 1972, 2700).Bits);
    EXPECT_FALSE(us2.Reference.Margin.has_value());
    EXPECT_EQ(us2.Selected.Margin, 6.0);
    const TRangeComparison& ds2 = c.Bands[3];
    EXPECT_EQ(ds2.Selected.Bits, direct(*b, sdDown, 1206, 1971).Bits);
    EXPECT_FALSE(Change(ds2.Reference.Margin, ds2.Selected.Margin).has_value());

    // Whole directions: every tone of the profile, and the summary's SNR margin.
    const TRangeComparison& down = c.Directions[sdDown];
    EXPECT_TRUE(down.Name.empty());
    EXPECT_EQ(down.Reference.Bits, direct(*a, sdDown, 0, 4095).Bits);
    EXPECT_EQ(down.Selected.Bits, direct(*b, sdDown, 0, 4095).Bits);
    EXPECT_DOUBLE_EQ(*down.Selected.MeanSNR, *direct(*b, sdDown, 0, 4095).MeanSNR);
    EXPECT_EQ(down.Reference.Margin, 12.3);
    EXPECT_FALSE(down.Selected.Margin.has_value());
}

// Limits beyond the profile and the tables are cut to the profile's tones.
TEST(SetComparison, BandLimitsBeyondTheProfile) {
    TMade made;
    made.Profile = vp8a;
    made.Stats = {"  DS:", "   DS1: Limits=[ 1000- 99999]  SNRM= 1.0 dB"};
    const auto a = Make(made);
    const TSetComparison c = CompareSets(*a, *a);
    ASSERT_EQ(c.Bands.size(), 1u);
    EXPECT_EQ(c.Bands[0].LastTone, 8192);
    int64_t bits = 0;
    for (int t = 1000; t < 2048; ++t)
        bits += a->ShowBinStatsDS()[t].ToneBits;
    EXPECT_EQ(c.Bands[0].Selected.Bits, bits);
}

TEST(SetComparison, SummaryDifferences) {
    const TSummaryField rate{"actual_rate_bps", "Actual rate", "bit/s", skGauge};
    const TSummaryField margin{"snr_margin_db", "SNR margin", "dB", skGauge};
    const TSummaryField count{"crc", "CRC errors", "", skCounter};
    const TSummaryField seconds{"es", "Errored seconds (ES)", "s", skCounter};
    const TSummaryField state{"state", "Line state", "", skInfo};
    using V = TSummaryValue;
    struct Case {
        const TSummaryField* Field;
        V Reference, Selected;
        std::string Text;
    };
    const Case cases[] = {
        {&rate, V::Integer(30000000), V::Integer(32397000), "+2.397 Mbit/s"},
        {&rate, V::Integer(32397000), V::Integer(30000000), "-2.397 Mbit/s"},
        {&margin, V::Decimal(12.0), V::Decimal(12.1), "+0.1 dB"},
        {&margin, V::Decimal(12.1), V::Decimal(12.1), "0 dB"},
        {&margin, V::Integer(8), V::Decimal(6.5), "-1.5 dB"},
        {&count, V::Integer(63281), V::Integer(63281), "0"},
        {&seconds, V::Integer(5), V::Integer(7557), "+7552 s"},
        {&state, V::Text("SHOWTIME"), V::Text("TRAINING"), ""},
        {&margin, V(), V::Decimal(12.1), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        const V difference = SummaryDifference(c.Reference, c.Selected);
        EXPECT_EQ(FormatSummaryDifference(*c.Field, difference), c.Text);
        EXPECT_EQ(difference.Has(), !c.Text.empty());
    }
    EXPECT_TRUE(SummaryDifference(V::Integer(3), V::Integer(5)).IsInteger());
}

} // namespace
} // namespace vexlorin
