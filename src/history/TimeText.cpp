#include "history/TimeText.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace vexlorin::history {

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t AYear, unsigned AMonth, unsigned ADay) {
    AYear -= AMonth <= 2;
    const int64_t era = (AYear >= 0 ? AYear : AYear - 399) / 400;
    const auto yoe = static_cast<unsigned>(AYear - era * 400);
    const unsigned doy = (153 * (AMonth + (AMonth > 2 ? -3 : 9)) + 2) / 5 + ADay - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// The civil date of a day count since 1970-01-01 (the inverse of DaysFromCivil).
void CivilFromDays(int64_t ADays, int64_t& AYear, unsigned& AMonth, unsigned& ADay) {
    ADays += 719468;
    const int64_t era = (ADays >= 0 ? ADays : ADays - 146096) / 146097;
    const auto doe = static_cast<unsigned>(ADays - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    ADay = doy - (153 * mp + 2) / 5 + 1;
    AMonth = mp < 10 ? mp + 3 : mp - 9;
    AYear = static_cast<int64_t>(yoe) + era * 400 + (AMonth <= 2);
}

void PutDigits(char* AAt, unsigned AValue, int ACount) {
    for (int i = ACount - 1; i >= 0; --i) {
        AAt[i] = static_cast<char>('0' + AValue % 10);
        AValue /= 10;
    }
}

bool Digits(std::string_view AText, std::size_t AAt, std::size_t ACount, int& AValue) {
    if (AAt + ACount > AText.size())
        return false;
    AValue = 0;
    for (std::size_t i = AAt; i < AAt + ACount; ++i) {
        if (AText[i] < '0' || AText[i] > '9')
            return false;
        AValue = AValue * 10 + (AText[i] - '0');
    }
    return true;
}

} // namespace

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::string FormatTimeMs(int64_t ATimeMs) {
    // Plain arithmetic: an export formats one time a row, and gmtime_r takes a lock each time.
    constexpr int64_t DayMs = 86'400'000;
    const int64_t days = (ATimeMs >= 0 ? ATimeMs : ATimeMs - (DayMs - 1)) / DayMs;
    const auto inDay = static_cast<unsigned>(ATimeMs - days * DayMs);
    int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    const unsigned ms = inDay % 1000, second = inDay / 1000 % 60, minute = inDay / 60000 % 60,
                   hour = inDay / 3'600'000;
    if (year < 0 || year > 9999) {
        char text[80];
        std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02u:%02u:%02u.%03uZ",
                      static_cast<long long>(year), month, day, hour, minute, second, ms);
        return text;
    }
    std::string text = "0000-00-00T00:00:00.000Z";
    PutDigits(&text[0], static_cast<unsigned>(year), 4);
    PutDigits(&text[5], month, 2);
    PutDigits(&text[8], day, 2);
    PutDigits(&text[11], hour, 2);
    PutDigits(&text[14], minute, 2);
    PutDigits(&text[17], second, 2);
    PutDigits(&text[20], ms, 3);
    return text;
}

std::optional<int64_t> ParseTime(std::string_view AText) {
    if (!AText.empty() && AText.find_first_not_of("0123456789") == std::string_view::npos) {
        int64_t value = 0;
        const auto [end, error] = std::from_chars(AText.data(), AText.data() + AText.size(), value);
        if (error != std::errc() || end != AText.data() + AText.size())
            return std::nullopt;
        return value;
    }
    if (!AText.empty() && (AText.back() == 'Z' || AText.back() == 'z'))
        AText.remove_suffix(1);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    if (!Digits(AText, 0, 4, year) || AText.size() < 10 || AText[4] != '-' || AText[7] != '-' ||
        !Digits(AText, 5, 2, month) || !Digits(AText, 8, 2, day))
        return std::nullopt;
    std::size_t at = 10;
    if (at < AText.size()) {
        if ((AText[at] != 'T' && AText[at] != ' ') || !Digits(AText, at + 1, 2, hour) ||
            AText.size() < at + 6 || AText[at + 3] != ':' || !Digits(AText, at + 4, 2, minute))
            return std::nullopt;
        at += 6;
        if (at < AText.size()) {
            if (AText[at] != ':' || !Digits(AText, at + 1, 2, second))
                return std::nullopt;
            at += 3;
            if (at < AText.size()) {
                if (AText[at] != '.' || !Digits(AText, at + 1, 3, ms) || AText.size() != at + 4)
                    return std::nullopt;
            }
        }
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    const int64_t days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return ((days * 24 + hour) * 60 + minute) * 60000 + int64_t{second} * 1000 + ms;
}

std::optional<std::chrono::milliseconds> ParseDuration(std::string_view AText) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(AText.data(), AText.data() + AText.size(), value);
    if (error != std::errc() || end == AText.data() || value <= 0)
        return std::nullopt;
    const std::string_view unit(end, static_cast<std::size_t>(AText.data() + AText.size() - end));
    int64_t factor = 0;
    if (unit == "ms")
        factor = 1;
    else if (unit.empty() || unit == "s")
        factor = 1000;
    else if (unit == "m" || unit == "min")
        factor = 60000;
    else if (unit == "h")
        factor = 3600000;
    else if (unit == "d")
        factor = 86400000;
    else
        return std::nullopt;
    if (value > INT64_MAX / factor)
        return std::nullopt;
    return std::chrono::milliseconds(value * factor);
}

} // namespace vexlorin::history
