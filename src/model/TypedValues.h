// Typed values: the tagged little-endian encoding shared by the statistics file and the
// configuration file. The writer appends to a growing byte buffer; the reader is a cursor
// over a byte span that checks what is left before every read, so a length field in a
// hostile file can never make it allocate or read past the end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexlorin {

// Tag bytes of the typed values.
enum TValueTag : uint8_t {
    vtInt8 = 0x02,
    vtInt16 = 0x03,
    vtInt32 = 0x04,
    vtString = 0x06, // 8-bit length, then bytes (read as Windows-1252)
    vtFalse = 0x08,
    vtTrue = 0x09,
    vtLString = 0x0C,   // signed 32-bit length, then bytes (read as Windows-1252)
    vtWString = 0x12,   // signed 32-bit count of UTF-16 code units, then UTF-16LE
    vtUtf8String = 0x14 // signed 32-bit length, then UTF-8
};

class TTypedValueWriter {
public:
    TTypedValueWriter() = default;
    explicit TTypedValueWriter(std::size_t AReserve) { FBytes.reserve(AReserve); }

    // Picks the string form by the UTF-8 length against the UTF-16 length, then 8-bit
    // short or long form for plain ASCII. Text longer than a signed 32-bit count can
    // carry is refused with Exception.
    void WriteString(std::string_view AText);
    // The smallest of the 8-, 16- and 32-bit forms that holds the number.
    void WriteInteger(int32_t AValue);
    void WriteBoolean(bool AValue);
    // Bytes without a tag (the group-size pairs of the statistics file).
    void WriteRawByte(uint8_t AValue) { FBytes.push_back(AValue); }

    const std::vector<uint8_t>& Bytes() const { return FBytes; }
    std::vector<uint8_t> TakeBytes() { return std::move(FBytes); }

private:
    void WriteInt32LE(int32_t AValue);
    void WriteBytes(std::string_view ABytes);

    std::vector<uint8_t> FBytes;
};

class TTypedValueReader {
public:
    // The reader only borrows the bytes; they must outlive it.
    explicit TTypedValueReader(std::span<const uint8_t> ABytes) : FBytes(ABytes) {}
    explicit TTypedValueReader(std::vector<uint8_t>&&) = delete;

    // Tags 0x06, 0x0C, 0x12, 0x14; the result is UTF-8. EInvalidProperty for any other
    // tag, EReadError when the data ends inside the value or a declared length is
    // negative or larger than what is left.
    std::string ReadString();
    // Tags 0x02, 0x03, 0x04, sign-extended.
    int32_t ReadInteger();
    // Tags 0x08 and 0x09.
    bool ReadBoolean();
    uint8_t ReadRawByte();

    std::size_t Position() const { return FPos; }
    std::size_t Remaining() const { return FBytes.size() - FPos; }

private:
    std::span<const uint8_t> Take(std::size_t ACount);
    int32_t ReadInt32LE();
    // A signed 32-bit length followed by ABytesPerUnit bytes per unit, all proven present.
    std::string_view TakeCounted(std::size_t ABytesPerUnit);

    std::span<const uint8_t> FBytes;
    std::size_t FPos = 0;
};

} // namespace vexlorin
