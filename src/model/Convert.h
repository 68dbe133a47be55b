// Integer conversions of the router's digits, as the parsers need them.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vexlorin {

// Digits with an optional leading minus sign as a signed 32-bit integer; none when the
// text is no such number or the number does not fit.
std::optional<int32_t> TryStrToInt(std::string_view AText);

// As TryStrToInt, but a text that does not fit raises EConvertError
// "'<text>' is not a valid integer value".
int32_t StrToInt(std::string_view AText);

// Compares without regard to ASCII letter case.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

} // namespace vexlorin
