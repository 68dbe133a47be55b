// The values of the status answers' items, read from the start of an item's value text.
// Everything here takes text from outside: a value that cannot be read exactly is absent.
#pragma once

#include "model/LineSummary.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexlorin::summary {

// How an item's value is written.
enum class TStyle : uint8_t {
    Rate,      // 32397000 bps (also kbps, Mbps)
    Count,     // 63281
    Decibel,   // 12 dB, -4.3 dB, 0. 6 dB
    Decimal,   // 230, 0.0
    Delay,     // a number whose unit the row names: "(1/100 ms)"
    Word,      // SHOWTIME, 17A, 05-07-06-0D-01-07
    Bracketed, // < BDCM >, or a word
    Named,     // B5 00 49 46 54 4E 00 00 (IFTN): the name in brackets at the end
    Phrase,    // the whole value: G.993.5 friendly
};

// Blanks and tabs separate the words of the router's answers.
bool IsBlank(char c);
std::string_view TrimBlanks(std::string_view AText);

// A read position in one value text; tokens are runs of anything but blanks and tabs.
class TCursor {
public:
    explicit TCursor(std::string_view AText) : FText(AText) {}
    // The next token, consumed; empty at the end.
    std::string_view Next();
    std::string_view Peek() const;
    // What has not been consumed yet.
    std::string_view Rest() const { return FText.substr(FPos); }

private:
    std::size_t TokenStart() const;
    std::string_view FText;
    std::size_t FPos = 0;
};

// One value of the given style from the cursor, which moves past it (also past a value
// that cannot be read, so the next one can be).
TSummaryValue ReadValue(TStyle AStyle, TCursor& ACursor);

// "[with Vectoring support]" of a firmware version, as a text.
TSummaryValue VectoringNote(std::string_view AValue);

// How many of a row's "(1/100 ms)" units make a millisecond; 1 without a note, none for a
// unit that is no time.
std::optional<double> DelayDivisor(std::string_view ARest);
TSummaryValue Divided(const TSummaryValue& AValue, double ADivisor);

// The letters of a title's "hw: annex A, ...".
TSummaryValue ReadAnnexLetters(TCursor& ACursor);

// A band name (US0, DS1, ...) in the text before "Limits=[", if one stands there.
struct TBandName {
    std::optional<TStatDirection> Direction;
    std::string Name;
};
TBandName FindBandName(std::string_view AText);

// "  33-  859]" after "Limits=["; Rest is what follows the bracket (the whole text when the
// limits cannot be read).
struct TBandLimits {
    std::optional<int64_t> First, Last;
    std::string_view Rest;
};
TBandLimits ReadBandLimits(std::string_view AText);

// "LATN=  11.2 dB" or "LATN : 11.2" in a band's text.
TSummaryValue ReadLabelledDecibel(std::string_view AText, std::string_view ALabel);

} // namespace vexlorin::summary
