// The configuration file codec: exact bytes, versions 1 and 2, and what a reader of the
// settings sees when a file is refused partway.
#include "model/ConfigFile.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

namespace vexlorin {
namespace {

using test::Bytes;
using test::Concat;
using test::TBytes;
using test::TTempDir;

// Records every setting handed over, in order, as the window's fields would take them.
class TRecordingVisitor final : public IConfigFileVisitor {
public:
    std::vector<std::string> Calls;
    void RouterAddressRead(const std::string& AValue) override {
        Calls.push_back("address=" + AValue);
    }
    void PortRead(int32_t AValue) override { Calls.push_back("port=" + std::to_string(AValue)); }
    void UserRead(const std::string& AValue) override { Calls.push_back("user=" + AValue); }
    void IncludeBinsRead(bool AValue) override { Calls.push_back(AValue ? "bins=1" : "bins=0"); }
    void SNROnlyFirst512BinsRead(bool AValue) override {
        Calls.push_back(AValue ? "snr512=1" : "snr512=0");
    }
    void RouterNameRead(const std::string& AValue) override { Calls.push_back("name=" + AValue); }
};

const TBytes Signature2 =
    Bytes({0x06, 0x0A, 0x5A, 0x4F, 0x52, 0x56, 0x41, 0x4E, 0x54, 0x49, 0x4B, 0x32});
const TBytes Signature1 = Bytes({0x06, 0x09, 0x5A, 0x4F, 0x52, 0x56, 0x41, 0x4E, 0x54, 0x49, 0x4B});

TConfigSettings Example() {
    TConfigSettings settings;
    settings.RouterAddress = "10.0.0.1";
    settings.Port = 23;
    settings.User = "monitor";
    settings.IncludeBins = true;
    settings.SNROnlyFirst512Bins = true;
    settings.RouterName = "DrayTek";
    return settings;
}

// address 10.0.0.1, port 23, user monitor: the head shared by the hand-made files below.
TBytes Head(const TBytes& ASignature) {
    return Concat({ASignature, Bytes({0x06, 0x08, 0x31, 0x30, 0x2E, 0x30, 0x2E, 0x30, 0x2E, 0x31}),
                   Bytes({0x02, 0x17}),
                   Bytes({0x06, 0x07, 0x6D, 0x6F, 0x6E, 0x69, 0x74, 0x6F, 0x72})});
}

const TBytes Tail = Bytes({0x09, 0x08, 0x06, 0x01, 'R'});

TConfigSettings Read(const TBytes& ABytes) {
    TConfigSettings settings;
    TConfigSettingsCollector collector(settings);
    ReadConfigBytes(ABytes, collector);
    return settings;
}

TEST(ConfigFileWrite, WorkedExampleIs44Bytes) {
    const TBytes want = Concat({Head(Signature2), Bytes({0x09, 0x09}),
                                Bytes({0x06, 0x07, 0x44, 0x72, 0x61, 0x79, 0x54, 0x65, 0x6B})});
    ASSERT_EQ(want.size(), 44u);
    EXPECT_EQ(ConfigToBytes(Example()), want);
    EXPECT_EQ(Read(want), Example());
}

TEST(ConfigFileWrite, EncodesPortsTextsAndFlags) {
    TConfigSettings settings;
    settings.RouterAddress = "";
    settings.User = "Zo\xC3\xAB";
    settings.RouterName = "\xC3\x9F";
    settings.IncludeBins = false;
    settings.SNROnlyFirst512Bins = true;
    for (const auto& [port, encoded] :
         std::vector<std::pair<int32_t, TBytes>>{{23, Bytes({0x02, 0x17})},
                                                 {8023, Bytes({0x03, 0x57, 0x1F})},
                                                 {40000, Bytes({0x04, 0x40, 0x9C, 0x00, 0x00})}}) {
        SCOPED_TRACE(port);
        settings.Port = port;
        const TBytes want = Concat({Signature2, Bytes({0x12, 0, 0, 0, 0}), encoded,
                                    Bytes({0x14, 0x04, 0, 0, 0, 0x5A, 0x6F, 0xC3, 0xAB}),
                                    Bytes({0x08, 0x09}), Bytes({0x12, 0x01, 0, 0, 0, 0xDF, 0x00})});
        EXPECT_EQ(ConfigToBytes(settings), want);
        EXPECT_EQ(Read(want), settings);
    }
}

TEST(ConfigFileWrite, EmptyFieldsAndLongNamesRoundTrip) {
    TConfigSettings empty;
    empty.RouterAddress = empty.User = empty.RouterName = "";
    const TBytes bytes = ConfigToBytes(empty);
    EXPECT_EQ(bytes, Concat({Signature2, Bytes({0x12, 0, 0, 0, 0, 0x02, 0x17, 0x12, 0, 0, 0, 0,
                                                0x08, 0x09, 0x12, 0, 0, 0, 0})}));
    TConfigSettings filled = Example();
    TConfigSettingsCollector collector(filled);
    ReadConfigBytes(bytes, collector);
    EXPECT_EQ(filled, empty);

    TConfigSettings longName = Example();
    longName.RouterName = std::string(300, 'r');
    const TBytes longBytes = ConfigToBytes(longName);
    EXPECT_EQ(longBytes[longBytes.size() - 305], 0x0C);
    EXPECT_EQ(Read(longBytes), longName);
}

TEST(ConfigFileRead, VersionOneSkipsTheExtraInteger) {
    for (const TBytes& extra :
         {Bytes({0x02, 0x05}), Bytes({0x03, 0x00, 0x10}), Bytes({0x04, 1, 2, 3, 4})}) {
        TRecordingVisitor visitor;
        ReadConfigBytes(Concat({Head(Signature1), extra, Tail}), visitor);
        EXPECT_EQ(visitor.Calls,
                  (std::vector<std::string>{"address=10.0.0.1", "port=23", "user=monitor", "bins=1",
                                            "snr512=0", "name=R"}));
    }
}

TEST(ConfigFileRead, HandsOverEachValueBeforeAFailureLaterInTheFile) {
    struct TCase {
        const char* What;
        TBytes Data;
        const char* Message;
    };
    const std::vector<TCase> cases = {
        {"version 2 with the version-1 integer",
         Concat({Head(Signature2), Bytes({0x02, 0x05}), Tail}), "Invalid property value"},
        {"ends after the user", Head(Signature2), "Stream read error"},
        {"version 1 ends before its integer", Head(Signature1), "Stream read error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TRecordingVisitor visitor;
        try {
            ReadConfigBytes(c.Data, visitor);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), c.Message);
        }
        EXPECT_EQ(visitor.Calls,
                  (std::vector<std::string>{"address=10.0.0.1", "port=23", "user=monitor"}));
    }
}

TEST(ConfigFileRead, WrongSignatureHandsOverNothing) {
    for (const TBytes& signature :
         {Concat({Bytes({0x06, 0x0A}), Bytes("zorvantik2")}),
          Concat({Bytes({0x06, 0x0D}), Bytes("ZORVANTIKDATA")}), Bytes({0x12, 0, 0, 0, 0})}) {
        TRecordingVisitor visitor;
        EXPECT_THROW(
            {
                try {
                    ReadConfigBytes(Concat({signature, Head({}), Tail}), visitor);
                } catch (const EConfigFileError& e) {
                    EXPECT_STREQ(e.what(), "Invalid configuration file");
                    throw;
                }
            },
            EConfigFileError);
        EXPECT_TRUE(visitor.Calls.empty());
    }
}

TEST(ConfigFileRead, ClampsPortIntoTheFieldsRange) {
    const std::vector<std::pair<TBytes, int32_t>> cases = {
        {Bytes({0x02, 0x00}), 1},
        {Bytes({0x02, 0xFB}), 1},
        {Bytes({0x04, 0x00, 0x00, 0x00, 0x80}), 1},
        {Bytes({0x02, 0x01}), 1},
        {Bytes({0x04, 0xFF, 0xFF, 0x00, 0x00}), 65535},
        {Bytes({0x04, 0x00, 0x00, 0x01, 0x00}), 65535},
        {Bytes({0x04, 0x70, 0x11, 0x01, 0x00}), 65535},
    };
    for (const auto& [encoded, port] : cases) {
        const TBytes bytes = Concat(
            {Signature2, Bytes({0x12, 0, 0, 0, 0}), encoded, Bytes({0x12, 0, 0, 0, 0}), Tail});
        EXPECT_EQ(Read(bytes).Port, port);
    }
}

TEST(ConfigFileFiles, SavesAndLoadsThroughRealFiles) {
    TTempDir dir;
    const std::string path = dir.File("router.conf");
    SaveConfigFile(path, Example());
    EXPECT_EQ(test::ReadFile(path).size(), 44u);
    TRecordingVisitor visitor;
    LoadConfigFile(path, visitor);
    EXPECT_EQ(visitor.Calls.back(), "name=DrayTek");

    // Trailing bytes are not read.
    test::WriteFile(path, Concat({ConfigToBytes(Example()), Bytes("trailing junk")}));
    TConfigSettings loaded;
    TConfigSettingsCollector collector(loaded);
    LoadConfigFile(path, collector);
    EXPECT_EQ(loaded, Example());
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"router.conf"}));
}

TEST(ConfigFileFiles, ReportsFilesThatCannotBeOpenedOrCreated) {
    TTempDir dir;
    TRecordingVisitor visitor;
    for (const std::string& name : {std::string(), dir.File("nothing.conf")}) {
        try {
            LoadConfigFile(name, visitor);
            ADD_FAILURE() << "no error";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot open file \"" + name + "\". No such file or directory");
        }
    }
    try {
        SaveConfigFile("", Example());
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_STREQ(e.what(), "Cannot create file \"\". No such file or directory");
    }
    EXPECT_TRUE(visitor.Calls.empty());
}

} // namespace
} // namespace vexlorin
