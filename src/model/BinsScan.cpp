#include "model/BinsScan.h"

#include <algorithm>
#include <cstdint>

namespace vexlorin {

namespace {

enum : uint8_t { Other, Blank, Digit };

constexpr std::array<uint8_t, 256> Classes = [] {
    std::array<uint8_t, 256> classes{};
    for (const char c : {' ', '\t', '\n', '\v', '\f', '\r'})
        classes[static_cast<unsigned char>(c)] = Blank;
    for (char c = '0'; c <= '9'; ++c)
        classes[static_cast<unsigned char>(c)] = Digit;
    return classes;
}();

constexpr int64_t Saturated = 10'000'000'000;

uint8_t ClassOf(char c) {
    return Classes[static_cast<unsigned char>(c)];
}

bool IsBlank(char c) {
    return ClassOf(c) == Blank;
}

bool IsDigit(char c) {
    return ClassOf(c) == Digit;
}

} // namespace

// Each part of the pattern is followed by a part that cannot match the same character
// (blanks, then digits, then blanks, ...), so a match attempt never backtracks: from a
// given start it either runs through or fails at one place. An attempt that starts
// inside the leading blanks or inside the first number meets the same characters from
// that number's end on as the attempt before it, so after a failure the search goes on
// at that number's end. This keeps the scan linear in the line's length.
bool FindBinQuadruple(std::string_view ALine, std::size_t AFrom, TBinQuadruple& AMatch) {
    const std::size_t n = ALine.size();
    std::size_t start = AFrom;
    while (start < n) {
        std::size_t i = start;
        while (i < n && IsBlank(ALine[i]))
            ++i;
        if (i == n)
            break;
        if (!IsDigit(ALine[i])) {
            start = i + 1;
            continue;
        }
        TBinQuadruple& match = AMatch;
        match.Start = start;
        bool complete = true;
        std::size_t firstEnd = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            if (k > 0) {
                const std::size_t blanks = i;
                while (i < n && IsBlank(ALine[i]))
                    ++i;
                if (i == blanks) {
                    complete = false;
                    break;
                }
            }
            const std::size_t numberStart = i;
            const bool negative = k == 2 && i < n && ALine[i] == '-';
            if (negative)
                ++i;
            const std::size_t digits = i;
            int64_t value = 0;
            for (; i < n && IsDigit(ALine[i]); ++i)
                if (value < Saturated)
                    value = value * 10 + (ALine[i] - '0');
            if (i == digits) {
                complete = false;
                break;
            }
            match.Numbers[k] = ALine.substr(numberStart, i - numberStart);
            match.Values[k] = negative ? -std::min(value, Saturated) : std::min(value, Saturated);
            if (k == 0)
                firstEnd = i;
        }
        if (complete) {
            match.End = i;
            return true;
        }
        start = firstEnd;
    }
    return false;
}

} // namespace vexlorin
