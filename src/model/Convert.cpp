#include "model/Convert.h"

#include "model/uDrayData.h"

#include <string>

namespace vexlorin {

std::optional<int32_t> detail::TryStrToIntAnyLength(std::string_view AText) {
    std::size_t i = 0;
    const bool negative = !AText.empty() && AText[0] == '-';
    if (negative)
        i = 1;
    if (i == AText.size())
        return std::nullopt;
    // Bounded by the 32-bit limit, so any number of (leading zero) digits is safe.
    constexpr int64_t limit = int64_t{1} << 31; // |INT32_MIN|
    int64_t value = 0;
    for (; i < AText.size(); ++i) {
        const char c = AText[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

void detail::RaiseNotAnInteger(std::string_view AText) {
    throw EConvertError("'" + std::string(AText) + "' is not a valid integer value");
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

} // namespace vexlorin
