// The line summary on arbitrary text: decoded and split as a status capture, and also
// handed over as one line with its line breaks inside (a list from outside may hold them).
// The summary must be the same both ways, bounded, and hold only readable values.
#include "model/LineSummary.h"
#include "model/TextFile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace vexlorin;

void CheckValue(const TSummaryField& AField, const TSummaryValue& AValue) {
    if (const auto text = AValue.AsText()) {
        if (text->empty() || text->size() > 3 * 64 || SanitisedUtf8(*text) != *text)
            __builtin_trap();
    }
    if (AValue.IsDecimal() && !std::isfinite(*AValue.AsNumber()))
        __builtin_trap();
    if (AField.Kind == skCounter && AValue.IsInteger() && *AValue.AsInteger() < 0)
        __builtin_trap();
    (void)FormatSummaryValue(AField, AValue);
}

void Check(const TLineSummary& ASummary) {
    for (std::size_t i = 0; i < LineItemCount; ++i)
        CheckValue(LineFields()[i], ASummary.Line[i]);
    for (const auto& direction : ASummary.Directions)
        for (std::size_t i = 0; i < DirectionItemCount; ++i)
            CheckValue(DirectionFields()[i], direction[i]);
    if (ASummary.Bands.size() > MaxSummaryBands)
        __builtin_trap();
    for (const TBandSummary& band : ASummary.Bands) {
        if (band.Name.size() < 3 || band.Name.size() > 5)
            __builtin_trap();
        for (std::size_t i = 0; i < BandItemCount; ++i)
            CheckValue(BandFields()[i], band.Values[i]);
        const auto first = band.Values[biFirstTone].AsInteger();
        const auto last = band.Values[biLastTone].AsInteger();
        if (first.has_value() != last.has_value() || (first && *first > *last))
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* AData, size_t ASize) {
    const std::string_view bytes(reinterpret_cast<const char*>(AData), ASize);
    const std::string text = DecodeTextBytes(bytes);
    const TLineSummary split = SummarizeStatus(SplitLines(text));
    Check(split);
    if (SummarizeStatus({text}) != split)
        __builtin_trap();
    return 0;
}
