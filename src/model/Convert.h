// Integer conversions of the router's digits, as the parsers need them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vexlorin {

namespace detail {
std::optional<int32_t> TryStrToIntAnyLength(std::string_view AText);
[[noreturn]] void RaiseNotAnInteger(std::string_view AText);
} // namespace detail

// Digits with an optional leading minus sign as a signed 32-bit integer; none when the
// text is no such number or the number does not fit. The parsers convert numbers by the
// thousand, so the common case is inline: up to nine digits cannot overflow.
inline std::optional<int32_t> TryStrToInt(std::string_view AText) {
    const bool negative = !AText.empty() && AText[0] == '-';
    const std::size_t digits = AText.size() - (negative ? 1 : 0);
    if (digits == 0 || digits > 9)
        return detail::TryStrToIntAnyLength(AText);
    int32_t value = 0;
    for (std::size_t i = negative ? 1 : 0; i < AText.size(); ++i) {
        const auto digit = static_cast<unsigned char>(AText[i] - '0');
        if (digit > 9)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

// As TryStrToInt, but a text that does not fit raises EConvertError
// "'<text>' is not a valid integer value".
inline int32_t StrToInt(std::string_view AText) {
    if (const auto value = TryStrToInt(AText))
        return *value;
    detail::RaiseNotAnInteger(AText);
}

// Compares without regard to ASCII letter case.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

} // namespace vexlorin
