// The statistics file against a committed golden file in which every table holds lines of
// its own. The file's layout is checked by a reader written here, apart from the
// program's, so a change that moves an item in both the program's writer and its reader
// (and so still reads back what it wrote) cannot pass: files of other programs that read
// the format would no longer load.
#include "model/TypedValues.h"
#include "model/uDrayData.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vexlorin {
namespace {

using test::TBytes;

const std::string GoldenFile = std::string(VEXLORIN_FIXTURES) + "/statfile/every-table.draydata";

// What the golden file holds, item by item. Each table's lines carry values no other
// table uses, and each table has group sizes of its own.
const TStringList Stats = {
    " [ STATUS ]",
    "  Running Mode            :      35B       State   : SHOWTIME",
    "  DS Actual Rate          : 245000000 bps  US Actual Rate     :  45000000 bps",
    "  DS Attainable Rate      : 260000000 bps  US Attainable Rate :  50000000 bps",
    "  NE Current Attenuation  :       12 dB    Cur SNR Margin     :        8  dB",
};
const TStringList HLogUS = {"bin=   0: -21, -22, -23, -24, -25, -26, -27, -28,",
                            "bin=   8: -29, , -31, -32, -33, -34, -35, -36,"};
const TStringList HLogDS = {"bin=   0: -61, -62, -63, -64, -65, -66, -67, -68,"};
const TStringList QLNUS = {"bin=   0: -101, -102, -103, -104, -105, -106, -107, -108,"};
const TStringList QLNDS = {"bin=   0: -131, -132, -150, -134, -135, -136, -137, -138,",
                           "bin=  16: -139, , , , , , , ,"};
const TStringList SNRUS = {"bin=   0: 11, 12, 13, 14, 15, 16, 17, 18,"};
const TStringList SNRDS = {"bin=   0: 41, 42, 43, 44, 45, 46, 47, 48,",
                           "bin=   8: 49, 50, , , , , , ,"};
const TStringList BinsUS = {"UPSTREAM :", "  100    22   -12    5"};
const TStringList BinsDS = {"  bin    SNR   gain  bits", "   40    45   -30    9     41 46 -31 10"};
const std::string Name = "Z\xC3\xBCrich golden 35b";
constexpr int Profile = 9;                                 // vp35b
const std::vector<int> GroupSizes = {8, 16, 4, 8, 16, 32}; // HLog, QLN, SNR; up, then down

// The golden set as a retrieval fills it.
void FillGoldenSet(TDrayData& ASet) {
    ASet.SetName(Name);
    ASet.SetStats(Stats);
    ASet.SetHLogData(test::GroupAnswer("dB", "8 16", HLogUS, HLogDS));
    ASet.SetQLNData(test::GroupAnswer("dBm/Hz", "4 8", QLNUS, QLNDS));
    ASet.SetSNRData(test::GroupAnswer("dB", "16 32", SNRUS, SNRDS));
    ASet.SetBinStatsUSRaw(BinsUS);
    ASet.SetBinStatsDSRaw(BinsDS);
}

// --- a reader of the layout, independent of the program's ------------------------------

class TLayoutReader {
public:
    explicit TLayoutReader(const TBytes& ABytes) : FBytes(ABytes) {}

    bool AtEnd() const { return FPos == FBytes.size(); }

    uint8_t Byte() {
        if (FPos >= FBytes.size())
            throw std::runtime_error("the file ends inside an item");
        return FBytes[FPos++];
    }

    uint32_t Length32() {
        uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8)
            value |= static_cast<uint32_t>(Byte()) << shift;
        return value;
    }

    // A string item: tag 0x06 (8-bit length), 0x0C (32-bit length) or 0x14 (UTF-8, 32-bit
    // length); the golden file holds no other kind.
    std::string String() {
        const uint8_t tag = Byte();
        uint32_t length = 0;
        if (tag == 0x06)
            length = Byte();
        else if (tag == 0x0C || tag == 0x14)
            length = Length32();
        else
            throw std::runtime_error("tag " + std::to_string(tag) + " where a string belongs");
        std::string text;
        for (uint32_t i = 0; i < length; ++i)
            text += static_cast<char>(Byte());
        return text;
    }

private:
    const TBytes& FBytes;
    std::size_t FPos = 0;
};

// A text item: every line followed by CR LF.
std::string Text(const TStringList& ALines) {
    std::string text;
    for (const std::string& line : ALines)
        text += line + "\r\n";
    return text;
}

TEST(StatFileGolden, LayoutHoldsEveryItemInItsPlace) {
    const TBytes bytes = test::ReadFile(GoldenFile);
    ASSERT_FALSE(bytes.empty()) << "missing " << GoldenFile;
    TLayoutReader reader(bytes);
    EXPECT_EQ(reader.String(), "ZORVANTIKDATA2");
    const std::pair<const char*, const TStringList*> texts[] = {
        {"statistics text", &Stats}, {"HLog upstream", &HLogUS}, {"HLog downstream", &HLogDS},
        {"QLN upstream", &QLNUS},    {"QLN downstream", &QLNDS}, {"SNR upstream", &SNRUS},
        {"SNR downstream", &SNRDS},  {"bins upstream", &BinsUS}, {"bins downstream", &BinsDS},
    };
    for (const auto& [what, lines] : texts) {
        SCOPED_TRACE(what);
        EXPECT_EQ(reader.String(), Text(*lines));
    }
    EXPECT_EQ(reader.String(), Name);
    EXPECT_EQ(reader.Byte(), 0x02);
    EXPECT_EQ(reader.Byte(), Profile);
    for (int size : GroupSizes)
        EXPECT_EQ(reader.Byte(), size);
    EXPECT_TRUE(reader.AtEnd());
}

TEST(StatFileGolden, LoadsEveryItemIntoItsTable) {
    TDrayData set;
    set.LoadFromFile(GoldenFile);
    EXPECT_EQ(set.DataVersion(), 2u);
    EXPECT_EQ(set.Stats(), Stats);
    EXPECT_EQ(set.HLogUSRaw(), HLogUS);
    EXPECT_EQ(set.HLogDSRaw(), HLogDS);
    EXPECT_EQ(set.QLNUSRaw(), QLNUS);
    EXPECT_EQ(set.QLNDSRaw(), QLNDS);
    EXPECT_EQ(set.SNRUSRaw(), SNRUS);
    EXPECT_EQ(set.SNRDSRaw(), SNRDS);
    EXPECT_EQ(set.BinStatsUSRaw(), BinsUS);
    EXPECT_EQ(set.BinStatsDSRaw(), BinsDS);
    EXPECT_EQ(set.Name(), Name);
    EXPECT_EQ(set.VDSLProfile(), vp35b);
    EXPECT_EQ(set.HLogMultipliers(), (TStatMultipliers{8, 16}));
    EXPECT_EQ(set.QLNMultipliers(), (TStatMultipliers{4, 8}));
    EXPECT_EQ(set.SNRMultipliers(), (TStatMultipliers{16, 32}));
    // The arrays are rebuilt from the lines of their own table.
    EXPECT_EQ(set.HLogStatsUS()[0], TStatSlot::Of(-21));
    EXPECT_EQ(set.HLogStatsDS()[0], TStatSlot::Of(-61));
    EXPECT_EQ(set.QLNStatsUS()[0], TStatSlot::Of(-101));
    EXPECT_TRUE(set.QLNStatsDS()[2].IsNull());
    EXPECT_EQ(set.SNRStatsUS()[7], TStatSlot::Of(18));
    EXPECT_EQ(set.SNRStatsDS()[9], TStatSlot::Of(50));
    EXPECT_EQ(set.ShowBinStatsUS()[100], (TDrayBinEntry{100, 22, -12, 5}));
    EXPECT_EQ(set.ShowBinStatsDS()[41], (TDrayBinEntry{41, 46, -31, 10}));
}

TEST(StatFileGolden, WriterProducesTheFileByteForByte) {
    TDrayData set;
    FillGoldenSet(set);
    EXPECT_EQ(set.VDSLProfile(), vp35b);
    EXPECT_EQ(set.SaveToBytes(), test::ReadFile(GoldenFile));
}

// The bins tables read alone are those a whole load gives: the golden file, a version 1
// file (its profile in the status text), lines broken by CR, LF or both (a quadruple never
// spans a break), a set without tables; a damaged file fails as a whole load does.
TEST(StatFileGolden, BinTablesReadAloneAreThoseOfAWholeLoad) {
    const auto encode = [](const char* ASignature, const std::string& ABinsDS, bool AVersion2) {
        TTypedValueWriter writer;
        writer.WriteString(ASignature);
        writer.WriteString(Text(Stats));
        for (int table = 0; table < 6; ++table)
            writer.WriteString("bin=   0: 1, 2,\r\n");
        writer.WriteString("  7 20 -1 4\n  8 21 -2 5\r\n");
        writer.WriteString(ABinsDS);
        writer.WriteString("name");
        if (AVersion2) {
            writer.WriteInteger(7); // vp17a
            for (int i = 0; i < 6; ++i)
                writer.WriteRawByte(8);
        }
        return writer.TakeBytes();
    };
    const std::string breaks = "  1 10 -2 3\r  2 11 -3 4\n  3 12 -4 5 4\r\n13 -5 6\r"
                               "  5 14 -6 7";
    struct TCase {
        const char* Name;
        TBytes Bytes;
        TVDSLProfile Profile;
    };
    TDrayData empty;
    const TCase cases[] = {
        {"golden", test::ReadFile(GoldenFile), vp35b},
        {"version 2, mixed breaks", encode(StatFileSignatures[1], breaks, true), vp17a},
        {"version 1", encode(StatFileSignatures[0], breaks, false), vp35b},
        {"no tables", empty.SaveToBytes(), empty.VDSLProfile()},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDrayData whole;
        whole.LoadFromBytes(c.Bytes);
        const TDrayData::TBinTables alone = TDrayData::ReadBinTables(c.Bytes);
        EXPECT_EQ(alone.Profile, c.Profile);
        EXPECT_EQ(alone.Profile, whole.VDSLProfile());
        EXPECT_EQ(alone.DS, whole.ShowBinStatsDS());
        EXPECT_EQ(alone.US, whole.ShowBinStatsUS());
    }
    // The breaks decide the quadruples: "4\r\n13 -5 6" is none.
    const auto broken = TDrayData::ReadBinTables(cases[1].Bytes);
    EXPECT_EQ(broken.DS[2], (TDrayBinEntry{2, 11, -3, 4}));
    EXPECT_EQ(broken.DS[5], (TDrayBinEntry{5, 14, -6, 7}));
    EXPECT_EQ(broken.DS[4], TDrayBinEntry{});
    EXPECT_EQ(broken.US[8], (TDrayBinEntry{8, 21, -2, 5}));

    TBytes cut = test::ReadFile(GoldenFile);
    cut.resize(cut.size() - 20);
    TDrayData whole;
    EXPECT_THROW(whole.LoadFromBytes(cut), std::exception);
    EXPECT_THROW(TDrayData::ReadBinTables(cut), std::exception);
    TBytes foreign = cases[1].Bytes;
    foreign[3] ^= 0x20; // another signature
    EXPECT_THROW(TDrayData::ReadBinTables(foreign), EDrayDataError);
}

} // namespace
} // namespace vexlorin
