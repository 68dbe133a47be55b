// Conversions between the text encodings that reach the program (Windows-1252 from the
// router and old files, UTF-16 from files) and the UTF-8 it uses inside.
#pragma once

#include <string>
#include <string_view>

namespace vexlorin {

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined map to the
// C1 control of the same number, so nothing is lost.
std::string Cp1252ToUtf8(std::string_view ABytes);

// UTF-16 code units (given as bytes, little- or big-endian) to UTF-8. An odd last byte is
// dropped; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::string_view ABytes, bool ABigEndian);

// UTF-8 to UTF-16 code units; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view AText);

// True when every byte is below 0x80.
bool IsAscii(std::string_view AText);

} // namespace vexlorin
