// The line summary: the values of the router's status answers ("vdsl status", "... more",
// "... olr", "... counts", "... bandinfo", annex and inventory) as typed values, read from a
// set's statistics text whenever they are needed and never stored beside it.
//
// Every value is optional: absent when the text does not hold it (or holds it in a form
// that cannot be read), never 0 for "unknown". The values are kept in arrays indexed by
// small enumerations, and each array has a table of descriptors (key, label, unit, kind),
// so that every user (text, JSON, window, metrics, history) walks the same tables instead
// of listing the values by hand. The keys are the JSON keys of vexlorin-cli.
#pragma once

#include "model/uDrayData.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vexlorin {

// One value: absent, an integer, a decimal number or a text.
class TSummaryValue {
public:
    TSummaryValue() = default;
    static TSummaryValue Integer(int64_t AValue) { return TSummaryValue(AValue); }
    static TSummaryValue Decimal(double AValue) { return TSummaryValue(AValue); }
    static TSummaryValue Text(std::string AValue) { return TSummaryValue(std::move(AValue)); }

    bool Has() const { return FValue.index() != 0; }
    bool IsInteger() const { return std::holds_alternative<int64_t>(FValue); }
    bool IsDecimal() const { return std::holds_alternative<double>(FValue); }
    bool IsText() const { return std::holds_alternative<std::string>(FValue); }

    // The integer; none for absent, decimal and text values.
    std::optional<int64_t> AsInteger() const;
    // The number, integer or decimal; none for absent and text values.
    std::optional<double> AsNumber() const;
    // The text; none for absent and numeric values.
    std::optional<std::string> AsText() const;

    friend bool operator==(const TSummaryValue&, const TSummaryValue&) = default;

private:
    template <typename T> explicit TSummaryValue(T AValue) : FValue(std::move(AValue)) {}
    std::variant<std::monostate, int64_t, double, std::string> FValue;
};

// How a value behaves over time, for users that keep or export series of them.
enum TSummaryKind : uint8_t {
    skInfo,    // a text that names something (state, firmware, vendor)
    skGauge,   // a measurement that goes up and down (rate, margin, attenuation)
    skCounter, // a count since the line came up, never falling while it stays up
};

struct TSummaryField {
    std::string_view Key;   // JSON key, also the column name of later stores
    std::string_view Label; // shown to the user
    std::string_view Unit;  // "bit/s", "dB", "s", "ms", "symbols" or "" (a plain count)
    TSummaryKind Kind;
};

// Values of the line as a whole.
enum TLineItem : uint8_t {
    liState,     // SHOWTIME, TRAINING, READY, ...
    liMode,      // "Running Mode" (17A) or "DSL Modulation" (ADSL2+(G.992.5))
    liFirmware,  // modem firmware version
    liVendor,    // DSLAM chipset vendor (ATU-C), e.g. BDCM
    liChipset,   // modem chipset vendor (ATU-R), from the CPE inventory
    liAnnex,     // annex of the line, or of the modem's hardware
    liVectoring, // vectoring as the router describes it
    liResets,    // "Xdsl Reset Times"
    liRetrains,  // "Xdsl Link Times": how often the line came up
    LineItemCount
};

// Values of one direction. Downstream is the near end (measured at the modem), upstream
// the far end.
enum TDirectionItem : uint8_t {
    diActualRate,        // bit/s
    diAttainableRate,    // bit/s
    diSNRMargin,         // dB
    diAttenuation,       // line attenuation, dB
    diSignalAttenuation, // dB
    diActualPSD,         // dB as the router prints it
    diPathMode,          // Fast, Interleave
    diInterleaveDepth,
    diINP,             // impulse noise protection, symbols
    diInterleaveDelay, // ms
    diCRC,
    diFEC,
    diES,   // errored seconds
    diSES,  // severely errored seconds
    diUAS,  // unavailable seconds
    diLOSS, // loss-of-signal seconds
    diFECS, // seconds with FEC corrections
    diHEC,
    DirectionItemCount
};

// Values of one band of "vdsl status bandinfo".
enum TBandItem : uint8_t { biFirstTone, biLastTone, biLATN, biSATN, biSNRM, BandItemCount };

// Bit loading of one direction, from its bins table.
enum TBitsItem : uint8_t {
    btLoadedTones, // tones with at least one bit
    btTotalBits,   // bits per symbol over all tones
    btRate,        // bit/s those bits carry at the profile's symbol rate
    BitsItemCount
};

const std::array<TSummaryField, LineItemCount>& LineFields();
const std::array<TSummaryField, DirectionItemCount>& DirectionFields();
const std::array<TSummaryField, BandItemCount>& BandFields();
const std::array<TSummaryField, BitsItemCount>& BitsFields();

// "ds" for downstream, "us" for upstream.
std::string_view DirectionKey(TStatDirection ADirection);

struct TBandSummary {
    TStatDirection Direction = sdDown;
    std::string Name; // US0, DS1, ... as printed, or numbered in order when not printed
    std::array<TSummaryValue, BandItemCount> Values;
    friend bool operator==(const TBandSummary&, const TBandSummary&) = default;
};

// At most this many bands are kept; a text with more is not a router's answer.
inline constexpr std::size_t MaxSummaryBands = 32;

struct TLineSummary {
    std::array<TSummaryValue, LineItemCount> Line;
    // Indexed by TStatDirection.
    std::array<std::array<TSummaryValue, DirectionItemCount>, 2> Directions;
    std::vector<TBandSummary> Bands;
    std::array<std::array<TSummaryValue, BitsItemCount>, 2> Bits;

    const TSummaryValue& operator[](TLineItem AItem) const { return Line[AItem]; }
    const TSummaryValue& Get(TStatDirection ADirection, TDirectionItem AItem) const {
        return Directions[ADirection][AItem];
    }
    // True when no value at all was found.
    bool Empty() const;

    friend bool operator==(const TLineSummary&, const TLineSummary&) = default;
};

// The values of a statistics text. Lines it does not know are skipped; nothing in the
// text can make it fail, and its time and memory grow with the text's length only.
TLineSummary SummarizeStatus(const TStringList& AStats);

// The summary of a set: its statistics text, and the bit loading of each bins table that
// holds data, at 4000 symbols per second (8000 for 30a; no rate for profile N/A).
TLineSummary SummarizeSet(const TDrayData& AData);

// The value as the user reads it, with its unit: "32.397 Mbit/s", "12.5 dB", "35 s",
// "SHOWTIME"; "" for an absent value.
std::string FormatSummaryValue(const TSummaryField& AField, const TSummaryValue& AValue);

// The summary as text for people, one item a line: the line values, the values of both
// directions side by side, the bands and the bit loading, each with its unit; only the
// items that hold a value ("-" for the other direction's). "" for an empty summary.
std::string SummaryText(const TLineSummary& ASummary);

} // namespace vexlorin
