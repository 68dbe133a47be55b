// The quadruples of a showbins line, "\s*(\d+)\s+(\d+)\s+(-?\d+)\s+(\d+)", found by a
// direct scan. A complete retrieval holds thousands of them per direction, and a call
// into the regex engine per quadruple cost more than the rest of the parse together.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexlorin {

struct TBinQuadruple {
    std::size_t Start = 0; // where the match starts (its leading blanks included)
    std::size_t End = 0;   // one past its last digit; the next search starts here
    std::array<std::string_view, 4> Numbers;
    // Their values, read along: exact up to ten digits, beyond that held at +-10^10 so
    // that they never pass for a number that fits 32 bits.
    std::array<int64_t, 4> Values;
};

// The first match at or after AFrom, exactly as the pattern above (no options: "\s" is
// tab, line feed, vertical tab, form feed, carriage return or space; "\d" is 0 to 9).
// False when there is none (AMatch is then undefined).
bool FindBinQuadruple(std::string_view ALine, std::size_t AFrom, TBinQuadruple& AMatch);

} // namespace vexlorin
