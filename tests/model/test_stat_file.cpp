// The statistics file: exact bytes of what is written, versions 1 and 2 read back, and
// every way a file can be refused.
#include "model/TypedValues.h"
#include "model/uDrayData.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

namespace vexlorin {
namespace {

using test::Bytes;
using test::Concat;
using test::GroupAnswer;
using test::TBytes;
using test::TTempDir;

// A short 8-bit string value as the file holds it.
TBytes Short(std::string_view AText) {
    return Concat({Bytes({0x06, static_cast<int>(AText.size())}), Bytes(AText)});
}

const TBytes EmptyText = Bytes({0x12, 0, 0, 0, 0});
const TBytes SignatureV2 = Short("ZORVANTIKDATA2");
const TBytes SignatureV1 = Short("ZORVANTIKDATA");

// A set with every table filled, a non-ASCII name and a text long enough for the 32-bit
// string form.
void FillSet(TDrayData& ASet) {
    ASet.SetName("Z\xC3\xBCrich 35b");
    ASet.SetStats(
        {"  Running Mode            :      35B       State   : SHOWTIME", std::string(300, '-')});
    ASet.SetHLogData(GroupAnswer(
        "dB", "16 16",
        {"bin=   0: -25, -26, -27, -28, -29, -30, -31, -32,",
         "bin=   8: -33, , -35, -36, -37, -38, -39, -40,"},
        {"bin=   0: -40, , -42, -43, -44, -45, -46, -47,", "bin= 504: 1, 2, 3, 4, 5, 6, 7, 8,"}));
    ASet.SetQLNData(GroupAnswer("dBm/Hz", "8 16",
                                {"bin=   0: -150, -140, -141, -142, -143, -144, -145, -146,"},
                                {"bin=  16: -120, -121, -150, , , , , ,"}));
    ASet.SetSNRData(GroupAnswer("dB", "4 8", {"bin=   0: 12, 13, 14, 15, 16, 17, 18, 19,"}, {}));
    ASet.SetBinStatsDSRaw({"  bin    SNR   gain  bits", "   33    42   -20    8     34 43 -21 9",
                           "  8191    1     0    2"});
    ASet.SetBinStatsUSRaw({"UPSTREAM :", "  870    30   -5    6"});
}

void ExpectSameSet(const TDrayData& AGot, const TDrayData& AWant) {
    EXPECT_EQ(AGot.Name(), AWant.Name());
    EXPECT_EQ(AGot.VDSLProfile(), AWant.VDSLProfile());
    EXPECT_EQ(AGot.Stats(), AWant.Stats());
    EXPECT_EQ(AGot.HLogUSRaw(), AWant.HLogUSRaw());
    EXPECT_EQ(AGot.HLogDSRaw(), AWant.HLogDSRaw());
    EXPECT_EQ(AGot.QLNUSRaw(), AWant.QLNUSRaw());
    EXPECT_EQ(AGot.QLNDSRaw(), AWant.QLNDSRaw());
    EXPECT_EQ(AGot.SNRUSRaw(), AWant.SNRUSRaw());
    EXPECT_EQ(AGot.SNRDSRaw(), AWant.SNRDSRaw());
    EXPECT_EQ(AGot.BinStatsUSRaw(), AWant.BinStatsUSRaw());
    EXPECT_EQ(AGot.BinStatsDSRaw(), AWant.BinStatsDSRaw());
    EXPECT_EQ(AGot.HLogMultipliers(), AWant.HLogMultipliers());
    EXPECT_EQ(AGot.QLNMultipliers(), AWant.QLNMultipliers());
    EXPECT_EQ(AGot.SNRMultipliers(), AWant.SNRMultipliers());
    EXPECT_TRUE(AGot.HLogStatsUS() == AWant.HLogStatsUS());
    EXPECT_TRUE(AGot.HLogStatsDS() == AWant.HLogStatsDS());
    EXPECT_TRUE(AGot.QLNStatsUS() == AWant.QLNStatsUS());
    EXPECT_TRUE(AGot.QLNStatsDS() == AWant.QLNStatsDS());
    EXPECT_TRUE(AGot.SNRStatsUS() == AWant.SNRStatsUS());
    EXPECT_TRUE(AGot.SNRStatsDS() == AWant.SNRStatsDS());
    EXPECT_TRUE(AGot.ShowBinStatsUS() == AWant.ShowBinStatsUS());
    EXPECT_TRUE(AGot.ShowBinStatsDS() == AWant.ShowBinStatsDS());
}

template <typename E> std::string ErrorOfLoading(const TBytes& ABytes) {
    TDrayData set;
    try {
        set.LoadFromBytes(ABytes);
    } catch (const E& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("unexpected error kind: ") + e.what();
    }
    return "no error";
}

TEST(StatFileSave, EmptySetIsExactly74Bytes) {
    TDrayData set;
    TBytes want = SignatureV2;
    for (int i = 0; i < 10; ++i)
        want = Concat({want, EmptyText});
    want = Concat({want, Bytes({0x02, 0x00, 0, 0, 0, 0, 0, 0})});
    ASSERT_EQ(want.size(), 74u);
    EXPECT_EQ(set.SaveToBytes(), want);
}

TEST(StatFileSave, WritesEveryItemInOrderByteForByte) {
    TDrayData set("Caf\xC3\xA9");
    const TStringList title = {"abc"};
    set.AddStatData(title, nullptr);
    set.SetVDSLProfile(vp35b);
    set.SetHLogData(GroupAnswer("dB", "8 16", {"bin=0: -1, -2, -3, -4, -5, -6, -7, -8,"},
                                {"bin=0: -9, , , , , , , ,"}));
    const TBytes want = Concat({
        SignatureV2,
        Bytes({0x06, 0x05, 0x61, 0x62, 0x63, 0x0D, 0x0A}),
        Short("bin=0: -1, -2, -3, -4, -5, -6, -7, -8,\r\n"),
        Short("bin=0: -9, , , , , , , ,\r\n"),
        EmptyText,
        EmptyText,
        EmptyText,
        EmptyText,
        EmptyText,
        EmptyText,
        Bytes({0x14, 0x05, 0x00, 0x00, 0x00, 0x43, 0x61, 0x66, 0xC3, 0xA9}),
        Bytes({0x02, 0x09}),
        Bytes({0x08, 0x10, 0x00, 0x00, 0x00, 0x00}),
    });
    EXPECT_EQ(set.SaveToBytes(), want);
}

TEST(StatFileSave, NameAndLongTextTakeTheirStringForms) {
    TDrayData set("\xC3\xA9");
    set.AddStatData({std::string(298, 'a')}, nullptr);
    const TBytes bytes = set.SaveToBytes();
    const TBytes longText =
        Concat({Bytes({0x0C, 0x2C, 0x01, 0x00, 0x00}), TBytes(298, 'a'), Bytes({0x0D, 0x0A})});
    EXPECT_TRUE(std::equal(longText.begin(), longText.end(), bytes.begin() + 16));
    const TBytes name = Bytes({0x12, 0x01, 0x00, 0x00, 0x00, 0xE9, 0x00, 0x02, 0x00});
    EXPECT_TRUE(std::equal(name.begin(), name.end(), bytes.end() - 6 - name.size()));

    TDrayData loaded;
    set.SetName("Loaded from file");
    loaded.LoadFromBytes(set.SaveToBytes());
    EXPECT_EQ(loaded.Name(), "Loaded from file");
}

TEST(StatFileRoundTrip, FullSetComesBackEqualThroughAFile) {
    TTempDir dir;
    TDrayData saved;
    FillSet(saved);
    const std::string path = dir.File("set.draydata");
    saved.SaveToFile(path);

    TDrayData loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.DataVersion(), 2u);
    ExpectSameSet(loaded, saved);
    EXPECT_EQ(loaded.SaveToBytes(), test::ReadFile(path));
    EXPECT_EQ(loaded.ShowBinStatsDS()[34], (TDrayBinEntry{34, 43, -21, 9}));
    EXPECT_TRUE(loaded.QLNStatsUS()[0].IsNull());
}

TEST(StatFileRoundTrip, TablesNeverBuiltComeBackNull) {
    TDrayData saved("only text");
    saved.SetStats({"Running Mode : 8B"});
    TDrayData loaded;
    loaded.LoadFromBytes(saved.SaveToBytes());
    EXPECT_EQ(loaded.VDSLProfile(), vp8b);
    for (const auto* array : {&loaded.HLogStatsUS(), &loaded.HLogStatsDS(), &loaded.QLNStatsUS(),
                              &loaded.QLNStatsDS(), &loaded.SNRStatsUS(), &loaded.SNRStatsDS()})
        for (const TStatSlot& slot : *array)
            ASSERT_TRUE(slot.IsNull());
}

// A version-1 file as an older program wrote it: 8-bit strings (Windows-1252), group
// sizes that the file does not store, and whatever trails the name.
TBytes VersionOneFile(std::string_view AStats) {
    const std::string hlogUp = "bin=   0: -25, -26, -27, -28, -29, -30, -31, -32,\r\n";
    return Concat(
        {SignatureV1,
         Concat({Bytes({0x0C}), Bytes({static_cast<int>(AStats.size()), 0, 0, 0}), Bytes(AStats)}),
         Short(hlogUp), Short("GroupSize : 16 16\r\n"), EmptyText, EmptyText, EmptyText, EmptyText,
         Short("   33    42   -20    8\r\n"), Short("   40    10     0    2\r\n"),
         Bytes({0x06, 0x04, 'C', 'a', 'f', 0xE9}), Bytes({0x02, 0x09, 0x10, 0x10, 0xFF})});
}

TEST(StatFileVersion1, TakesProfileFromTextAndDefaultGroupSizes) {
    TDrayData set;
    set.LoadFromBytes(VersionOneFile("Mode\r\n  Running Mode :  17A\r\n"));
    EXPECT_EQ(set.DataVersion(), 1u);
    EXPECT_EQ(set.VDSLProfile(), vp17a);
    EXPECT_EQ(set.Name(), "Caf\xC3\xA9");
    EXPECT_EQ(set.Stats(), (TStringList{"Mode", "  Running Mode :  17A"}));
    for (const auto* sizes : {&set.HLogMultipliers(), &set.QLNMultipliers(), &set.SNRMultipliers()})
        EXPECT_EQ(*sizes, DefaultMultipliers);
    EXPECT_EQ(set.HLogStatsUS()[7].Value(), -32);
    EXPECT_TRUE(set.HLogStatsUS()[8].IsNull());
    EXPECT_EQ(set.ShowBinStatsUS()[33], (TDrayBinEntry{33, 42, -20, 8}));
    EXPECT_EQ(set.ShowBinStatsDS()[40], (TDrayBinEntry{40, 10, 0, 2}));

    // Saved again it is a version-2 file with the identified profile and sizes 8 and 8.
    const TBytes again = set.SaveToBytes();
    EXPECT_TRUE(std::equal(SignatureV2.begin(), SignatureV2.end(), again.begin()));
    const TBytes tail = Bytes({0x02, 0x07, 8, 8, 8, 8, 8, 8});
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), again.end() - 8));
}

TEST(StatFileVersion1, WithoutRunningModeIsRefused) {
    EXPECT_EQ(ErrorOfLoading<EDrayDataError>(VersionOneFile("no mode\r\n")),
              "Unable to retrieve profile from VDSL data");
}

TBytes VersionTwoWithProfile(const TBytes& AProfile) {
    TBytes bytes = SignatureV2;
    for (int i = 0; i < 10; ++i)
        bytes = Concat({bytes, EmptyText});
    return Concat({bytes, AProfile, Bytes({8, 8, 8, 8, 8, 8})});
}

TEST(StatFileVersion2, AcceptsProfileInAnyIntegerForm) {
    for (const TBytes& profile :
         {Bytes({0x02, 0x09}), Bytes({0x03, 0x09, 0x00}), Bytes({0x04, 0x09, 0, 0, 0})}) {
        TDrayData set;
        set.LoadFromBytes(VersionTwoWithProfile(profile));
        EXPECT_EQ(set.VDSLProfile(), vp35b);
        EXPECT_EQ(set.HLogMultipliers(), DefaultMultipliers);
    }
}

struct TRefusal {
    const char* What;
    TBytes Data;
    const char* Message;
};

TEST(StatFileLoad, RefusesFilesThatAreNotStatisticsFiles) {
    const char* const notAFile = "Not a valida 'DrayData' file";
    const TBytes empty74 = VersionTwoWithProfile(Bytes({0x02, 0x00}));
    const std::vector<TRefusal> cases = {
        {"signature in lower case", Short("zorvantikdata2"), notAFile},
        {"unknown version", Short("ZORVANTIKDATA3"), notAFile},
        {"configuration file", Short("ZORVANTIK2"), notAFile},
        {"profile 10", VersionTwoWithProfile(Bytes({0x02, 0x0A})), notAFile},
        {"profile -1", VersionTwoWithProfile(Bytes({0x02, 0xFF})), notAFile},
        {"profile 256", VersionTwoWithProfile(Bytes({0x03, 0x00, 0x01})), notAFile},
        {"profile as a string", VersionTwoWithProfile(Short("9")), "Invalid property value"},
        {"plain text", Bytes("hello world\r\n"), "Invalid property value"},
        {"empty file", {}, "Stream read error"},
        {"signature only", SignatureV2, "Stream read error"},
        {"last group size missing", TBytes(empty74.begin(), empty74.end() - 1),
         "Stream read error"},
        {"text claims 2 GiB",
         Concat({SignatureV2, Bytes({0x14, 0xFF, 0xFF, 0xFF, 0x7F}), Bytes("abc")}),
         "Stream read error"},
        {"text length negative", Concat({SignatureV2, Bytes({0x0C, 0x00, 0x00, 0x00, 0xF0})}),
         "Stream read error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(ErrorOfLoading<Exception>(c.Data), c.Message);
    }
    EXPECT_EQ(ErrorOfLoading<EDrayDataError>(Short("zorvantikdata2")), notAFile);
    EXPECT_EQ(ErrorOfLoading<EDrayDataError>(VersionTwoWithProfile(Bytes({0x02, 0x0A}))), notAFile);
}

TEST(StatFileLoad, StoredNumberTooLargeIsAConversionError) {
    TBytes bytes = Concat({SignatureV2, EmptyText, Short("bin=0: 99999999999, , , , , , , ,\r\n")});
    for (int i = 0; i < 8; ++i)
        bytes = Concat({bytes, EmptyText});
    bytes = Concat({bytes, Bytes({0x02, 0x00, 8, 8, 8, 8, 8, 8})});
    EXPECT_EQ(ErrorOfLoading<EConvertError>(bytes), "'99999999999' is not a valid integer value");
}

TEST(StatFileFiles, EmptyNameChangesNothing) {
    TDrayData set("keep");
    set.LoadFromFile("");
    EXPECT_EQ(set.Name(), "keep");
    EXPECT_EQ(set.DataVersion(), 0u);
}

TEST(StatFileFiles, ReportsFilesThatCannotBeOpenedOrCreated) {
    TTempDir dir;
    TDrayData set;
    const std::string missing = dir.File("missing.draydata");
    try {
        set.LoadFromFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + missing + "\". No such file or directory");
    }
    const std::string noFolder = dir.File("no/such/folder.draydata");
    try {
        set.SaveToFile(noFolder);
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + noFolder + "\". No such file or directory");
    }
    EXPECT_TRUE(dir.Entries().empty());
}

} // namespace
} // namespace vexlorin
