#include "model/TextCodec.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace vexlorin {

namespace {

constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& AOut, char32_t c) {
    if (c < 0x80) {
        AOut += static_cast<char>(c);
    } else if (c < 0x800) {
        AOut += static_cast<char>(0xC0 | (c >> 6));
        AOut += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        AOut += static_cast<char>(0xE0 | (c >> 12));
        AOut += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        AOut += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        AOut += static_cast<char>(0xF0 | (c >> 18));
        AOut += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        AOut += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        AOut += static_cast<char>(0x80 | (c & 0x3F));
    }
}

constexpr char32_t Replacement = 0xFFFD;

} // namespace

bool IsAscii(std::string_view AText) {
    // Answers run to hundreds of kilobytes: eight bytes at a time, the high bits or-ed
    // together, which the compiler turns into vector code.
    constexpr uint64_t HighBits = 0x8080808080808080u;
    const char* p = AText.data();
    std::size_t n = AText.size();
    uint64_t any = 0;
    for (; n >= 64; n -= 64, p += 64) {
        for (int k = 0; k < 8; ++k) {
            uint64_t word;
            std::memcpy(&word, p + 8 * k, sizeof word);
            any |= word;
        }
        if (any & HighBits)
            return false;
    }
    for (; n > 0; --n, ++p)
        any |= static_cast<unsigned char>(*p);
    return (any & HighBits) == 0;
}

std::string Cp1252ToUtf8(std::string_view ABytes) {
    if (IsAscii(ABytes))
        return std::string(ABytes);
    std::string out;
    out.reserve(ABytes.size() + ABytes.size() / 2);
    for (unsigned char c : ABytes) {
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c < 0xA0)
            AppendUtf8(out, Cp1252High[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view ABytes, bool ABigEndian) {
    std::string out;
    out.reserve(ABytes.size());
    const std::size_t units = ABytes.size() / 2;
    auto unit = [&](std::size_t i) -> char16_t {
        const auto a = static_cast<unsigned char>(ABytes[2 * i]);
        const auto b = static_cast<unsigned char>(ABytes[2 * i + 1]);
        return static_cast<char16_t>(ABigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const char16_t v = unit(i + 1);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (v - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? Replacement : char32_t(u));
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view AText) {
    std::u16string out;
    out.reserve(AText.size());
    std::size_t i = 0;
    const std::size_t n = AText.size();
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(AText[k]); };
    auto cont = [&](std::size_t k) { return k < n && (byte(k) & 0xC0) == 0x80; };
    while (i < n) {
        const unsigned char c = byte(i);
        char32_t cp = Replacement;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && c >= 0xC2 && cont(i + 1)) {
            cp = ((c & 0x1F) << 6) | (byte(i + 1) & 0x3F);
            len = 2;
        } else if ((c & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
            cp = ((c & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F);
            len = 3;
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
                cp = Replacement;
        } else if ((c & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
            cp = ((c & 0x07) << 18) | ((byte(i + 1) & 0x3F) << 12) | ((byte(i + 2) & 0x3F) << 6) |
                 (byte(i + 3) & 0x3F);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF)
                cp = Replacement;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

} // namespace vexlorin
