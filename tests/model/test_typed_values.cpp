#include "model/TypedValues.h"
#include "model/uDrayData.h"

#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace vexlorin {
namespace {

using test::Bytes;
using test::Concat;
using test::TBytes;

TBytes Written(const std::function<void(TTypedValueWriter&)>& AWrite) {
    TTypedValueWriter writer;
    AWrite(writer);
    return writer.Bytes();
}

struct TStringCase {
    std::string Text;
    TBytes Encoded;
};

TEST(TypedValueWriter, ChoosesStringFormByUtf8AgainstUtf16Length) {
    const std::vector<TStringCase> cases = {
        {"", Bytes({0x12, 0, 0, 0, 0})},
        {"abc\r\n", Bytes({0x06, 0x05, 'a', 'b', 'c', 0x0D, 0x0A})},
        {"Loaded from file", Concat({Bytes({0x06, 0x10}), Bytes("Loaded from file")})},
        {"DrayTek", Bytes({0x06, 0x07, 0x44, 0x72, 0x61, 0x79, 0x54, 0x65, 0x6B})},
        {"Caf\xC3\xA9", Bytes({0x14, 0x05, 0, 0, 0, 0x43, 0x61, 0x66, 0xC3, 0xA9})},
        {"\xC3\xA9", Bytes({0x12, 0x01, 0, 0, 0, 0xE9, 0x00})},
        {"Zo\xC3\xAB", Bytes({0x14, 0x04, 0, 0, 0, 0x5A, 0x6F, 0xC3, 0xAB})},
        {"\xC3\x9F", Bytes({0x12, 0x01, 0, 0, 0, 0xDF, 0x00})},
        // Euro sign: 3 UTF-8 bytes, 1 code unit.
        {"a\xE2\x82\xAC", Bytes({0x12, 0x02, 0, 0, 0, 'a', 0, 0xAC, 0x20})},
        // 5 bytes against 3 units: UTF-8 wins.
        {"ab\xE2\x82\xAC", Bytes({0x14, 0x05, 0, 0, 0, 'a', 'b', 0xE2, 0x82, 0xAC})},
        // Outside the basic plane: 4 bytes, a surrogate pair of 2 units.
        {"\xF0\x9F\x98\x80", Bytes({0x12, 0x02, 0, 0, 0, 0x3D, 0xD8, 0x00, 0xDE})},
        {std::string(255, 'x'), Concat({Bytes({0x06, 0xFF}), TBytes(255, 'x')})},
        {std::string(256, 'x'), Concat({Bytes({0x0C, 0x00, 0x01, 0, 0}), TBytes(256, 'x')})},
        {std::string(300, 'x'), Concat({Bytes({0x0C, 0x2C, 0x01, 0, 0}), TBytes(300, 'x')})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text.substr(0, 20));
        EXPECT_EQ(Written([&](auto& w) { w.WriteString(c.Text); }), c.Encoded);
        TTypedValueReader reader(c.Encoded);
        EXPECT_EQ(reader.ReadString(), c.Text);
        EXPECT_EQ(reader.Remaining(), 0u);
    }
}

TEST(TypedValueWriter, WritesIntegersInSmallestWidthAndReadsThemBack) {
    const std::vector<std::pair<int32_t, TBytes>> cases = {
        {0, Bytes({0x02, 0x00})},
        {23, Bytes({0x02, 0x17})},
        {9, Bytes({0x02, 0x09})},
        {-1, Bytes({0x02, 0xFF})},
        {127, Bytes({0x02, 0x7F})},
        {-128, Bytes({0x02, 0x80})},
        {128, Bytes({0x03, 0x80, 0x00})},
        {-129, Bytes({0x03, 0x7F, 0xFF})},
        {8023, Bytes({0x03, 0x57, 0x1F})},
        {32767, Bytes({0x03, 0xFF, 0x7F})},
        {-32768, Bytes({0x03, 0x00, 0x80})},
        {32768, Bytes({0x04, 0x00, 0x80, 0x00, 0x00})},
        {40000, Bytes({0x04, 0x40, 0x9C, 0x00, 0x00})},
        {-32769, Bytes({0x04, 0xFF, 0x7F, 0xFF, 0xFF})},
        {std::numeric_limits<int32_t>::max(), Bytes({0x04, 0xFF, 0xFF, 0xFF, 0x7F})},
        {std::numeric_limits<int32_t>::min(), Bytes({0x04, 0x00, 0x00, 0x00, 0x80})},
    };
    for (const auto& [value, encoded] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(Written([&](auto& w) { w.WriteInteger(value); }), encoded);
        TTypedValueReader reader(encoded);
        EXPECT_EQ(reader.ReadInteger(), value);
    }
}

TEST(TypedValueWriter, WritesBooleansAsSingleTags) {
    EXPECT_EQ(Written([](auto& w) {
                  w.WriteBoolean(true);
                  w.WriteBoolean(false);
              }),
              Bytes({0x09, 0x08}));
    const TBytes data = Bytes({0x09, 0x08});
    TTypedValueReader reader(data);
    EXPECT_TRUE(reader.ReadBoolean());
    EXPECT_FALSE(reader.ReadBoolean());
}

TEST(TypedValueReader, ReadsEightBitStringsAsWindows1252) {
    // 0x80 is the euro sign in Windows-1252, 0xE9 e-acute; both string tags alike.
    const TBytes data = Bytes({0x06, 0x02, 0x80, 0xE9, 0x0C, 0x02, 0, 0, 0, 0x80, 0xE9});
    TTypedValueReader reader(data);
    EXPECT_EQ(reader.ReadString(), "\xE2\x82\xAC\xC3\xA9");
    EXPECT_EQ(reader.ReadString(), "\xE2\x82\xAC\xC3\xA9");
}

TEST(TypedValueReader, ReplacesBrokenUtf8AndUnpairedSurrogates) {
    const TBytes data =
        Bytes({0x14, 0x03, 0, 0, 0, 'a', 0xFF, 'b', 0x12, 0x01, 0, 0, 0, 0x00, 0xD8});
    TTypedValueReader reader(data);
    EXPECT_EQ(reader.ReadString(), "a\xEF\xBF\xBD"
                                   "b");
    EXPECT_EQ(reader.ReadString(), "\xEF\xBF\xBD");
}

TEST(TypedValueReader, SignExtendsEveryIntegerWidth) {
    const TBytes data =
        Bytes({0x02, 0xFE, 0x03, 0xFE, 0xFF, 0x04, 0xFE, 0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x01});
    TTypedValueReader reader(data);
    EXPECT_EQ(reader.ReadInteger(), -2);
    EXPECT_EQ(reader.ReadInteger(), -2);
    EXPECT_EQ(reader.ReadInteger(), -2);
    EXPECT_EQ(reader.ReadInteger(), 256);
}

enum class TKind { String, Integer, Boolean };

struct TFailureCase {
    const char* What;
    TBytes Data;
    TKind Kind;
    const char* Message;
};

TEST(TypedValueReader, RefusesWrongTagsAndDataThatEndsOrLiesAboutItsLength) {
    const char* const invalid = "Invalid property value";
    const char* const readError = "Stream read error";
    const std::vector<TFailureCase> cases = {
        {"integer where a string belongs", Bytes({0x02, 0x00}), TKind::String, invalid},
        {"boolean where a string belongs", Bytes({0x09}), TKind::String, invalid},
        {"string where an integer belongs", Bytes({0x06, 0x00}), TKind::Integer, invalid},
        {"64-bit integer tag", Bytes({0x13, 0, 0, 0, 0, 0, 0, 0, 0}), TKind::Integer, invalid},
        {"integer where a boolean belongs", Bytes({0x02, 0x01}), TKind::Boolean, invalid},
        {"nothing at all", {}, TKind::String, readError},
        {"nothing after the tag", Bytes({0x02}), TKind::Integer, readError},
        {"16-bit cut short", Bytes({0x03, 0x01}), TKind::Integer, readError},
        {"32-bit cut short", Bytes({0x04, 0x01, 0x02}), TKind::Integer, readError},
        {"no boolean", {}, TKind::Boolean, readError},
        {"short string cut short", Bytes({0x06, 0x05, 'a'}), TKind::String, readError},
        {"long string length cut short", Bytes({0x0C, 0x01, 0x00}), TKind::String, readError},
        {"negative long string", Bytes({0x0C, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), TKind::String,
         readError},
        {"1 GiB long string", Bytes({0x0C, 0, 0, 0, 0x40, 'a'}), TKind::String, readError},
        {"negative UTF-16 count", Bytes({0x12, 0x00, 0x00, 0x00, 0x80}), TKind::String, readError},
        {"UTF-16 count beyond the data", Bytes({0x12, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0}), TKind::String,
         readError},
        {"half a UTF-16 unit", Bytes({0x12, 0x01, 0, 0, 0, 0xE9}), TKind::String, readError},
        {"UTF-8 length beyond the data", Bytes({0x14, 0x04, 0, 0, 0, 'a', 'b', 'c'}), TKind::String,
         readError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        TTypedValueReader reader(c.Data);
        try {
            switch (c.Kind) {
            case TKind::String:
                reader.ReadString();
                break;
            case TKind::Integer:
                reader.ReadInteger();
                break;
            case TKind::Boolean:
                reader.ReadBoolean();
                break;
            }
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), c.Message);
        }
    }
}

} // namespace
} // namespace vexlorin
