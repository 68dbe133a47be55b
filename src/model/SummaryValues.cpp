#include "model/SummaryValues.h"

#include "model/TextFile.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vexlorin::summary {

namespace {

// Longer texts are no value a router prints for these items.
constexpr std::size_t MaxTextLength = 64;
// Digits of a decimal number; more are no measurement.
constexpr std::size_t MaxDecimalLength = 32;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

std::size_t LeadingDigits(std::string_view AText) {
    std::size_t n = 0;
    while (n < AText.size() && IsDigit(AText[n]))
        ++n;
    return n;
}

// "-----" stands for a value the router does not have.
bool IsDashes(std::string_view AText) {
    return !AText.empty() && AText.find_first_not_of('-') == std::string_view::npos;
}

std::optional<int64_t> Digits(std::string_view AText) {
    if (AText.empty() || LeadingDigits(AText) != AText.size())
        return std::nullopt;
    int64_t value = 0;
    const auto result = std::from_chars(AText.data(), AText.data() + AText.size(), value);
    if (result.ec != std::errc() || result.ptr != AText.data() + AText.size())
        return std::nullopt;
    return value;
}

// A text value: printable, short, well-formed UTF-8; runs of blanks become one blank.
TSummaryValue TextValue(std::string_view AText) {
    std::string text;
    for (const char c : AText) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && !IsBlank(c))
            return {};
        if (u == 0x7F)
            return {};
        if (IsBlank(c)) {
            if (!text.empty() && text.back() != ' ')
                text += ' ';
            continue;
        }
        text += c;
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    if (text.empty() || text.size() > MaxTextLength || IsDashes(text))
        return {};
    text = SanitisedUtf8(text);
    // Nor the C1 controls, U+0080 to U+009F.
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '\xC2' && static_cast<unsigned char>(text[i + 1]) <= 0x9F)
            return {};
    return TSummaryValue::Text(std::move(text));
}

// The text after the opening character at AOpen up to the next AClose.
std::optional<std::string_view> Enclosed(std::string_view AText, std::size_t AOpen, char AClose) {
    if (AOpen == std::string_view::npos)
        return std::nullopt;
    const std::size_t close = AText.find(AClose, AOpen);
    if (close == std::string_view::npos)
        return std::nullopt;
    return AText.substr(AOpen + 1, close - AOpen - 1);
}

std::optional<int64_t> RateFactor(std::string_view AUnit) {
    static constexpr std::pair<std::string_view, int64_t> units[] = {
        {"bps", 1},       {"b/s", 1},        {"bit/s", 1},      {"kbps", 1000},     {"kb/s", 1000},
        {"kbit/s", 1000}, {"mbps", 1000000}, {"mb/s", 1000000}, {"mbit/s", 1000000}};
    for (const auto& [unit, factor] : units)
        if (SameIgnoringCase(AUnit, unit))
            return factor;
    return std::nullopt;
}

bool EndsWithIgnoringCase(std::string_view AText, std::string_view ASuffix) {
    return AText.size() >= ASuffix.size() &&
           SameIgnoringCase(AText.substr(AText.size() - ASuffix.size()), ASuffix);
}

bool LooksLikeRateUnit(std::string_view AText) {
    return EndsWithIgnoringCase(AText, "bps") || EndsWithIgnoringCase(AText, "/s");
}

TSummaryValue ReadRate(TCursor& ACursor) {
    const std::string_view token = ACursor.Next();
    const std::size_t digits = LeadingDigits(token);
    const std::optional<int64_t> number = Digits(token.substr(0, digits));
    if (!number)
        return {};
    std::optional<int64_t> factor = 1;
    if (digits < token.size()) {
        factor = RateFactor(token.substr(digits));
    } else if (const std::string_view unit = ACursor.Peek(); LooksLikeRateUnit(unit)) {
        // A word that is no unit may be the next item's label; a unit must be known.
        factor = RateFactor(unit);
        ACursor.Next();
    }
    if (!factor || *number > std::numeric_limits<int64_t>::max() / *factor)
        return {};
    return TSummaryValue::Integer(*number * *factor);
}

// [-+]digits[.digits], the fraction perhaps in the next token ("0. 6"), then a unit that
// belongs to the style.
TSummaryValue ReadDecimal(TCursor& ACursor, bool ADecibel) {
    std::string_view token = ACursor.Next();
    std::string number;
    std::size_t i = 0;
    if (i < token.size() && (token[i] == '-' || token[i] == '+')) {
        if (token[i] == '-')
            number += '-';
        ++i;
    }
    const std::size_t whole = LeadingDigits(token.substr(i));
    if (whole == 0)
        return {};
    number += token.substr(i, whole);
    i += whole;
    std::string_view suffix = token.substr(i);
    if (!suffix.empty() && suffix.front() == '.') {
        suffix.remove_prefix(1);
        std::size_t fraction = LeadingDigits(suffix);
        const std::string_view next = ACursor.Peek();
        if (fraction == 0 && suffix.empty() && !next.empty() && IsDigit(next.front())) {
            // Broken decimal: the digits after the point stand in the next token.
            suffix = ACursor.Next();
            fraction = LeadingDigits(suffix);
        }
        if (fraction > 0) {
            number += '.';
            number += suffix.substr(0, fraction);
        }
        suffix.remove_prefix(fraction);
    }
    if (!suffix.empty() && !(ADecibel && SameIgnoringCase(suffix, "dB")))
        return {};
    if (suffix.empty() && ADecibel) {
        // "dBm" or "dBm/Hz" is another quantity than the dB this item is.
        const std::string_view unit = ACursor.Peek();
        if (SameIgnoringCase(unit.substr(0, 2), "dB")) {
            if (unit.size() != 2)
                return {};
            ACursor.Next();
        }
    }
    if (number.size() > MaxDecimalLength)
        return {};
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return {};
    return TSummaryValue::Decimal(value);
}

TSummaryValue ReadBracketed(TCursor& ACursor) {
    const std::string_view rest = TrimBlanks(ACursor.Rest());
    if (!rest.empty() && rest.front() == '<') {
        while (!ACursor.Next().empty()) {
        }
        const auto name = Enclosed(rest, 0, '>');
        return name ? TextValue(*name) : TSummaryValue();
    }
    return TextValue(ACursor.Next());
}

TSummaryValue ReadNamed(TCursor& ACursor) {
    const std::string_view rest = ACursor.Rest();
    while (!ACursor.Next().empty()) {
    }
    const auto name = Enclosed(rest, rest.rfind('('), ')');
    return name ? TextValue(*name) : TSummaryValue();
}

} // namespace

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view AText) {
    while (!AText.empty() && IsBlank(AText.front()))
        AText.remove_prefix(1);
    while (!AText.empty() && IsBlank(AText.back()))
        AText.remove_suffix(1);
    return AText;
}

std::size_t TCursor::TokenStart() const {
    std::size_t p = FPos;
    while (p < FText.size() && IsBlank(FText[p]))
        ++p;
    return p;
}

std::string_view TCursor::Peek() const {
    const std::size_t start = TokenStart();
    std::size_t end = start;
    while (end < FText.size() && !IsBlank(FText[end]))
        ++end;
    return FText.substr(start, end - start);
}

std::string_view TCursor::Next() {
    const std::string_view token = Peek();
    FPos = static_cast<std::size_t>(token.data() - FText.data()) + token.size();
    return token;
}

TSummaryValue ReadValue(TStyle AStyle, TCursor& ACursor) {
    switch (AStyle) {
    case TStyle::Rate:
        return ReadRate(ACursor);
    case TStyle::Count: {
        const std::optional<int64_t> value = Digits(ACursor.Next());
        return value ? TSummaryValue::Integer(*value) : TSummaryValue();
    }
    case TStyle::Decibel:
        return ReadDecimal(ACursor, true);
    case TStyle::Decimal:
    case TStyle::Delay:
        return ReadDecimal(ACursor, false);
    case TStyle::Word:
        return TextValue(ACursor.Next());
    case TStyle::Bracketed:
        return ReadBracketed(ACursor);
    case TStyle::Named:
        return ReadNamed(ACursor);
    case TStyle::Phrase: {
        const std::string_view rest = ACursor.Rest();
        while (!ACursor.Next().empty()) {
        }
        return TextValue(rest);
    }
    }
    return {};
}

TSummaryValue VectoringNote(std::string_view AValue) {
    const auto note = Enclosed(AValue, AValue.find('['), ']');
    if (!note || note->find("ectoring") == std::string_view::npos)
        return {};
    return TextValue(*note);
}

std::optional<double> DelayDivisor(std::string_view ARest) {
    const std::size_t open = ARest.find('(');
    if (open == std::string_view::npos)
        return 1.0;
    const std::size_t close = ARest.find(')', open);
    std::string_view unit = TrimBlanks(
        ARest.substr(open + 1, close == std::string_view::npos ? close : close - open - 1));
    double divisor = 1.0;
    if (unit.starts_with("1/")) {
        unit.remove_prefix(2);
        const std::size_t digits = LeadingDigits(unit);
        const std::optional<int64_t> parts = Digits(unit.substr(0, digits));
        if (!parts || *parts == 0)
            return std::nullopt;
        divisor = static_cast<double>(*parts);
        unit = TrimBlanks(unit.substr(digits));
    }
    if (SameIgnoringCase(unit, "ms"))
        return divisor;
    if (SameIgnoringCase(unit, "us"))
        return divisor * 1000.0;
    return std::nullopt;
}

TSummaryValue Divided(const TSummaryValue& AValue, double ADivisor) {
    // One division, so that 62 hundredths come out as the 0.62 they were.
    const std::optional<double> number = AValue.AsNumber();
    return number ? TSummaryValue::Decimal(*number / ADivisor) : TSummaryValue();
}

TSummaryValue ReadAnnexLetters(TCursor& ACursor) {
    std::string_view token = ACursor.Next();
    std::size_t n = 0;
    while (n < token.size() && ((token[n] >= 'A' && token[n] <= 'Z') || token[n] == '/'))
        ++n;
    return n > 0 ? TextValue(token.substr(0, n)) : TSummaryValue();
}

TBandName FindBandName(std::string_view AText) {
    TBandName found;
    TCursor cursor(AText);
    for (std::string_view token = cursor.Next(); !token.empty(); token = cursor.Next()) {
        if (token.back() == ':')
            token.remove_suffix(1);
        if (token.size() < 3 || token.size() > 4 ||
            LeadingDigits(token.substr(2)) != token.size() - 2)
            continue;
        const std::string_view prefix = token.substr(0, 2);
        if (SameIgnoringCase(prefix, "US"))
            found.Direction = sdUp;
        else if (SameIgnoringCase(prefix, "DS"))
            found.Direction = sdDown;
        else
            continue;
        found.Name =
            std::string(found.Direction == sdUp ? "US" : "DS") + std::string(token.substr(2));
    }
    return found;
}

TBandLimits ReadBandLimits(std::string_view AText) {
    TBandLimits limits;
    limits.Rest = AText;
    std::size_t i = 0;
    const auto blanks = [&] {
        while (i < AText.size() && IsBlank(AText[i]))
            ++i;
    };
    const auto tone = [&]() -> std::optional<int64_t> {
        const std::size_t digits = LeadingDigits(AText.substr(i));
        if (digits == 0 || digits > 5)
            return std::nullopt;
        const std::optional<int64_t> value = Digits(AText.substr(i, digits));
        i += digits;
        return value;
    };
    blanks();
    const std::optional<int64_t> first = tone();
    blanks();
    if (!first || i >= AText.size() || AText[i] != '-')
        return limits;
    ++i;
    blanks();
    const std::optional<int64_t> last = tone();
    blanks();
    if (!last || i >= AText.size() || AText[i] != ']' || *first > *last)
        return limits;
    limits.First = first;
    limits.Last = last;
    limits.Rest = AText.substr(i + 1);
    return limits;
}

TSummaryValue ReadLabelledDecibel(std::string_view AText, std::string_view ALabel) {
    const std::size_t at = AText.find(ALabel);
    if (at == std::string_view::npos)
        return {};
    std::string_view rest = TrimBlanks(AText.substr(at + ALabel.size()));
    if (rest.empty() || (rest.front() != '=' && rest.front() != ':'))
        return {};
    rest.remove_prefix(1);
    TCursor cursor(rest);
    return ReadValue(TStyle::Decibel, cursor);
}

} // namespace vexlorin::summary
