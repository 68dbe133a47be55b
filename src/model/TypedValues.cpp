#include "model/TypedValues.h"

#include "model/TextCodec.h"
#include "model/TextFile.h"
#include "model/uDrayData.h"

#include <limits>

namespace vexlorin {

namespace {

constexpr std::size_t MaxCount = static_cast<std::size_t>(std::numeric_limits<int32_t>::max());

std::string_view AsChars(std::span<const uint8_t> ABytes) {
    return {reinterpret_cast<const char*>(ABytes.data()), ABytes.size()};
}

} // namespace

// ---------------------------------------------------------------------------------------
// Writer

void TTypedValueWriter::WriteInt32LE(int32_t AValue) {
    const auto v = static_cast<uint32_t>(AValue);
    FBytes.push_back(static_cast<uint8_t>(v));
    FBytes.push_back(static_cast<uint8_t>(v >> 8));
    FBytes.push_back(static_cast<uint8_t>(v >> 16));
    FBytes.push_back(static_cast<uint8_t>(v >> 24));
}

void TTypedValueWriter::WriteBytes(std::string_view ABytes) {
    // Same element type on both sides, so the insert is one block copy.
    const auto* first = reinterpret_cast<const uint8_t*>(ABytes.data());
    FBytes.insert(FBytes.end(), first, first + ABytes.size());
}

void TTypedValueWriter::WriteString(std::string_view AText) {
    if (AText.size() > MaxCount)
        throw Exception("Text too long to be stored");
    const bool ascii = IsAscii(AText);
    // Plain ASCII has as many UTF-16 units as bytes, so only the empty text takes the
    // UTF-16 form; skipping the conversion keeps large raw tables cheap to write.
    if (AText.empty() || !ascii) {
        const std::u16string units = ascii ? std::u16string() : Utf8ToUtf16(AText);
        if (AText.size() >= 2 * units.size()) {
            FBytes.push_back(vtWString);
            WriteInt32LE(static_cast<int32_t>(units.size()));
            FBytes.reserve(FBytes.size() + 2 * units.size());
            for (char16_t u : units) {
                FBytes.push_back(static_cast<uint8_t>(u & 0xFF));
                FBytes.push_back(static_cast<uint8_t>(u >> 8));
            }
            return;
        }
        FBytes.push_back(vtUtf8String);
        WriteInt32LE(static_cast<int32_t>(AText.size()));
        WriteBytes(AText);
        return;
    }
    if (AText.size() <= 255) {
        FBytes.push_back(vtString);
        FBytes.push_back(static_cast<uint8_t>(AText.size()));
    } else {
        FBytes.push_back(vtLString);
        WriteInt32LE(static_cast<int32_t>(AText.size()));
    }
    WriteBytes(AText);
}

void TTypedValueWriter::WriteInteger(int32_t AValue) {
    if (AValue >= std::numeric_limits<int8_t>::min() &&
        AValue <= std::numeric_limits<int8_t>::max()) {
        FBytes.push_back(vtInt8);
        FBytes.push_back(static_cast<uint8_t>(AValue));
    } else if (AValue >= std::numeric_limits<int16_t>::min() &&
               AValue <= std::numeric_limits<int16_t>::max()) {
        const auto v = static_cast<uint16_t>(AValue);
        FBytes.push_back(vtInt16);
        FBytes.push_back(static_cast<uint8_t>(v));
        FBytes.push_back(static_cast<uint8_t>(v >> 8));
    } else {
        FBytes.push_back(vtInt32);
        WriteInt32LE(AValue);
    }
}

void TTypedValueWriter::WriteBoolean(bool AValue) {
    FBytes.push_back(AValue ? vtTrue : vtFalse);
}

// ---------------------------------------------------------------------------------------
// Reader

std::span<const uint8_t> TTypedValueReader::Take(std::size_t ACount) {
    if (ACount > Remaining())
        throw EReadError();
    const auto part = FBytes.subspan(FPos, ACount);
    FPos += ACount;
    return part;
}

uint8_t TTypedValueReader::ReadRawByte() {
    return Take(1)[0];
}

int32_t TTypedValueReader::ReadInt32LE() {
    const auto b = Take(4);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                                (static_cast<uint32_t>(b[2]) << 16) |
                                (static_cast<uint32_t>(b[3]) << 24));
}

std::string_view TTypedValueReader::TakeCounted(std::size_t ABytesPerUnit) {
    const int32_t count = ReadInt32LE();
    if (count < 0 || static_cast<std::size_t>(count) > Remaining() / ABytesPerUnit)
        throw EReadError();
    return AsChars(Take(static_cast<std::size_t>(count) * ABytesPerUnit));
}

std::string TTypedValueReader::ReadString() {
    switch (ReadRawByte()) {
    case vtString: {
        const uint8_t length = ReadRawByte();
        return Cp1252ToUtf8(AsChars(Take(length)));
    }
    case vtLString:
        return Cp1252ToUtf8(TakeCounted(1));
    case vtWString:
        return Utf16ToUtf8(TakeCounted(2), false);
    case vtUtf8String:
        // A file can claim UTF-8 and still hold anything.
        return SanitisedUtf8(TakeCounted(1));
    default:
        throw EInvalidProperty();
    }
}

int32_t TTypedValueReader::ReadInteger() {
    switch (ReadRawByte()) {
    case vtInt8:
        return static_cast<int8_t>(ReadRawByte());
    case vtInt16: {
        const auto b = Take(2);
        return static_cast<int16_t>(static_cast<uint16_t>(b[0] | (b[1] << 8)));
    }
    case vtInt32:
        return ReadInt32LE();
    default:
        throw EInvalidProperty();
    }
}

bool TTypedValueReader::ReadBoolean() {
    switch (ReadRawByte()) {
    case vtFalse:
        return false;
    case vtTrue:
        return true;
    default:
        throw EInvalidProperty();
    }
}

} // namespace vexlorin
