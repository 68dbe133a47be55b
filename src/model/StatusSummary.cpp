// SummarizeStatus: the items of the status answers wherever they stand in a text.
//
// The answers print "label : value" items, two to a line in "vdsl status", one counter row
// with a near-end and a far-end value in "vdsl status more" and "counts". Copies of them
// lose their padding, gain prefixes and suffixes from web pages, and break decimals
// ("0. 6 dB"). So a line is cut at its colons: the text before a colon ends with the
// item's label, found as the longest known label at the end of that text (letter case and
// runs of blanks ignored); the value runs from the colon to the next recognised label. A
// value is read from its start only, so whatever follows it (a label this parser does not
// know, a web page's " | |") is left alone. The first value found for an item is kept.
#include "model/LineSummary.h"
#include "model/SummaryValues.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexlorin {

namespace {

using summary::TStyle;

enum class TTarget : uint8_t { Line, Down, Up, Pair };
// The sections of the retrieval's own inventory headers.
enum class TSection : uint8_t { Any, CO, CPE };

struct TLabel {
    std::string Text; // lower case, single blanks
    TTarget Target;
    uint8_t Item; // TLineItem for TTarget::Line, TDirectionItem otherwise
    TSection Section = TSection::Any;
    // How the value is written, when not as the item's values usually are.
    std::optional<TStyle> Style = std::nullopt;
};

constexpr TStyle LineStyles[LineItemCount] = {TStyle::Word,      TStyle::Word,  TStyle::Word,
                                              TStyle::Bracketed, TStyle::Named, TStyle::Word,
                                              TStyle::Phrase,    TStyle::Count, TStyle::Count};
constexpr TStyle DirectionStyles[DirectionItemCount] = {
    TStyle::Rate,    TStyle::Rate,  TStyle::Decibel, TStyle::Decibel, TStyle::Decibel,
    TStyle::Decibel, TStyle::Word,  TStyle::Count,   TStyle::Decimal, TStyle::Delay,
    TStyle::Count,   TStyle::Count, TStyle::Count,   TStyle::Count,   TStyle::Count,
    TStyle::Count,   TStyle::Count, TStyle::Count};

// Labels longer than this are never known, so the search for one looks no further back.
constexpr std::size_t MaxLabelLength = 40;

std::vector<TLabel> BuildLabels() {
    std::vector<TLabel> labels = {
        {"running mode", TTarget::Line, liMode},
        {"dsl modulation", TTarget::Line, liMode},
        {"state", TTarget::Line, liState},
        {"firmware version", TTarget::Line, liFirmware},
        {"dslam chipset vendor", TTarget::Line, liVendor},
        {"itu t.35 vendor id", TTarget::Line, liVendor, TSection::CO, TStyle::Named},
        {"itu t.35 vendor id", TTarget::Line, liChipset, TSection::CPE},
        {"annex mode", TTarget::Line, liAnnex},
        {"vectoring", TTarget::Line, liVectoring},
        {"xdsl reset times", TTarget::Line, liResets},
        {"xdsl link times", TTarget::Line, liRetrains},
        {"ds actual rate", TTarget::Down, diActualRate},
        {"us actual rate", TTarget::Up, diActualRate},
        {"ds attainable rate", TTarget::Down, diAttainableRate},
        {"us attainable rate", TTarget::Up, diAttainableRate},
        {"ds path mode", TTarget::Down, diPathMode},
        {"us path mode", TTarget::Up, diPathMode},
        {"ds interleave depth", TTarget::Down, diInterleaveDepth},
        {"us interleave depth", TTarget::Up, diInterleaveDepth},
        {"ds actual psd", TTarget::Down, diActualPSD},
        {"us actual psd", TTarget::Up, diActualPSD},
        {"ne current attenuation", TTarget::Down, diAttenuation},
        {"far current attenuation", TTarget::Up, diAttenuation},
        {"fe current attenuation", TTarget::Up, diAttenuation},
        {"cur snr margin", TTarget::Down, diSNRMargin},
        {"ne snr margin", TTarget::Down, diSNRMargin},
        {"far snr margin", TTarget::Up, diSNRMargin},
        {"fe snr margin", TTarget::Up, diSNRMargin},
        // Counter rows: near end, far end.
        {"crc", TTarget::Pair, diCRC},
        {"fec", TTarget::Pair, diFEC},
        {"rscorrection", TTarget::Pair, diFEC},
        {"es", TTarget::Pair, diES},
        {"ses", TTarget::Pair, diSES},
        {"uas", TTarget::Pair, diUAS},
        {"loss", TTarget::Pair, diLOSS},
        {"fecs", TTarget::Pair, diFECS},
        {"hec", TTarget::Pair, diHEC},
        {"hecerror", TTarget::Pair, diHEC},
        {"inp", TTarget::Pair, diINP},
        {"actualinp", TTarget::Pair, diINP},
        {"interleavedelay", TTarget::Pair, diInterleaveDelay},
        {"actualdelay", TTarget::Pair, diInterleaveDelay},
        {"lineattenuation", TTarget::Pair, diAttenuation},
        {"signalattenuation", TTarget::Pair, diSignalAttenuation},
        {"snrmargin", TTarget::Pair, diSNRMargin},
    };
    // "NE CRC Count : 0 FE CRC Count : 63281", and the same for every counter.
    const std::pair<const char*, TDirectionItem> counters[] = {
        {"crc", diCRC}, {"fec", diFEC},   {"es", diES},     {"ses", diSES},
        {"uas", diUAS}, {"loss", diLOSS}, {"fecs", diFECS}, {"hec", diHEC}};
    for (const auto& [name, item] : counters) {
        labels.push_back({std::string("ne ") + name + " count", TTarget::Down, item});
        labels.push_back({std::string("fe ") + name + " count", TTarget::Up, item});
    }
    std::stable_sort(labels.begin(), labels.end(),
                     [](const TLabel& a, const TLabel& b) { return a.Text < b.Text; });
    return labels;
}

const std::vector<TLabel>& Labels() {
    static const std::vector<TLabel> labels = BuildLabels();
    return labels;
}

using summary::IsBlank;

class TStatusScan {
public:
    explicit TStatusScan(TLineSummary& ASummary) : FSummary(ASummary) {}
    void Line(std::string_view ALine);
    void Finish();

private:
    struct TFound {
        const TLabel* Label = nullptr;
        std::size_t Start = 0; // where the label starts in the line
    };
    TFound FindLabel(std::string_view ALine, std::size_t AFrom, std::size_t AColon,
                     bool AFirst) const;
    void Apply(const TLabel& ALabel, std::string_view AValue);
    void Set(TSummaryValue& ATarget, TSummaryValue AValue) {
        if (!ATarget.Has())
            ATarget = std::move(AValue);
    }
    void Bands(std::string_view ALine);

    TLineSummary& FSummary;
    TSection FSection = TSection::Any;
    std::optional<TStatDirection> FBandDirection;
    int FNextBand[2] = {-1, 1}; // by TStatDirection; US0 only when the band starts low
    TSummaryValue FTitleAnnex;
    TSummaryValue FFirmwareVectoring;
};

TStatusScan::TFound TStatusScan::FindLabel(std::string_view ALine, std::size_t AFrom,
                                           std::size_t AColon, bool AFirst) const {
    std::size_t end = AColon;
    while (end > AFrom && IsBlank(ALine[end - 1]))
        --end;
    std::size_t start = end > AFrom + MaxLabelLength ? end - MaxLabelLength : AFrom;
    // Whole words only: a word cut by the limit is no part of a label.
    if (start > AFrom && !IsBlank(ALine[start - 1]))
        while (start < end && !IsBlank(ALine[start]))
            ++start;
    // The words in lower case, single blanks; where each one begins in the line.
    char text[MaxLabelLength + 1];
    std::size_t length = 0;
    std::size_t wordAt[MaxLabelLength];     // offset in text
    std::size_t wordInLine[MaxLabelLength]; // offset in the line
    std::size_t words = 0;
    for (std::size_t i = start; i < end; ++i) {
        const char c = ALine[i];
        if (IsBlank(c))
            continue;
        if (i == start || IsBlank(ALine[i - 1])) {
            if (length > 0)
                text[length++] = ' ';
            wordAt[words] = length;
            wordInLine[words++] = i;
        }
        text[length++] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    const std::vector<TLabel>& labels = Labels();
    for (std::size_t w = 0; w < words; ++w) {
        const std::string_view candidate(text + wordAt[w], length - wordAt[w]);
        auto it = std::lower_bound(labels.begin(), labels.end(), candidate,
                                   [](const TLabel& l, std::string_view c) { return l.Text < c; });
        for (; it != labels.end() && it->Text == candidate; ++it) {
            // Counter rows stand alone at the start of their line.
            if (it->Target == TTarget::Pair && !AFirst)
                continue;
            if (it->Section != TSection::Any && it->Section != FSection)
                continue;
            return {&*it, wordInLine[w]};
        }
    }
    return {};
}

void TStatusScan::Apply(const TLabel& ALabel, std::string_view AValue) {
    summary::TCursor cursor(AValue);
    if (ALabel.Target == TTarget::Line) {
        const auto item = static_cast<TLineItem>(ALabel.Item);
        Set(FSummary.Line[item],
            summary::ReadValue(ALabel.Style.value_or(LineStyles[item]), cursor));
        if (item == liFirmware)
            Set(FFirmwareVectoring, summary::VectoringNote(AValue));
        return;
    }
    const auto item = static_cast<TDirectionItem>(ALabel.Item);
    const TStyle style = DirectionStyles[item];
    if (ALabel.Target != TTarget::Pair) {
        const TStatDirection direction = ALabel.Target == TTarget::Up ? sdUp : sdDown;
        Set(FSummary.Directions[direction][item], summary::ReadValue(style, cursor));
        return;
    }
    TSummaryValue nearEnd = summary::ReadValue(style, cursor);
    TSummaryValue farEnd = summary::ReadValue(style, cursor);
    if (style == TStyle::Delay) {
        // The row's unit says what the numbers count: "(1/100 ms)".
        const std::optional<double> divisor = summary::DelayDivisor(cursor.Rest());
        nearEnd = divisor ? summary::Divided(nearEnd, *divisor) : TSummaryValue();
        farEnd = divisor ? summary::Divided(farEnd, *divisor) : TSummaryValue();
    }
    Set(FSummary.Directions[sdDown][item], std::move(nearEnd));
    Set(FSummary.Directions[sdUp][item], std::move(farEnd));
}

void TStatusScan::Bands(std::string_view ALine) {
    static constexpr std::string_view limits = "Limits=[";
    std::size_t nameFrom = 0;
    std::size_t at = ALine.find(limits);
    while (at != std::string_view::npos) {
        const std::size_t next = ALine.find(limits, at + limits.size());
        const std::size_t spanEnd = next == std::string_view::npos ? ALine.size() : next;
        TBandSummary band;
        const summary::TBandName name =
            summary::FindBandName(ALine.substr(nameFrom, at - nameFrom));
        std::string_view rest = ALine.substr(at + limits.size(), spanEnd - at - limits.size());
        const summary::TBandLimits tones = summary::ReadBandLimits(rest);
        nameFrom = spanEnd;
        at = next;
        const std::optional<TStatDirection> direction =
            name.Direction ? name.Direction : FBandDirection;
        if (!direction)
            continue;
        band.Direction = *direction;
        if (tones.First) {
            band.Values[biFirstTone] = TSummaryValue::Integer(*tones.First);
            band.Values[biLastTone] = TSummaryValue::Integer(*tones.Last);
        }
        int& counter = FNextBand[band.Direction];
        if (counter < 0)
            counter = tones.First && *tones.First < 32 ? 0 : 1;
        band.Name = name.Name.empty()
                        ? (band.Direction == sdUp ? "US" : "DS") + std::to_string(counter)
                        : name.Name;
        ++counter;
        band.Values[biLATN] = summary::ReadLabelledDecibel(tones.Rest, "LATN");
        band.Values[biSATN] = summary::ReadLabelledDecibel(tones.Rest, "SATN");
        band.Values[biSNRM] = summary::ReadLabelledDecibel(tones.Rest, "SNRM");
        const bool known =
            std::any_of(FSummary.Bands.begin(), FSummary.Bands.end(), [&](const TBandSummary& b) {
                return b.Direction == band.Direction && b.Name == band.Name;
            });
        if (!known && FSummary.Bands.size() < MaxSummaryBands)
            FSummary.Bands.push_back(std::move(band));
    }
}

void TStatusScan::Line(std::string_view ALine) {
    const std::string_view trimmed = summary::TrimBlanks(ALine);
    if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
        FSection = trimmed == "[ CO ]"    ? TSection::CO
                   : trimmed == "[ CPE ]" ? TSection::CPE
                                          : TSection::Any;
        return;
    }
    if (trimmed.starts_with("US:"))
        FBandDirection = sdUp;
    else if (trimmed.starts_with("DS:"))
        FBandDirection = sdDown;
    if (const std::size_t at = ALine.find("hw: annex "); at != std::string_view::npos) {
        summary::TCursor cursor(ALine.substr(at + 10));
        Set(FTitleAnnex, summary::ReadAnnexLetters(cursor));
    }
    if (ALine.find("Limits=[") != std::string_view::npos) {
        Bands(ALine);
        return;
    }

    // Each colon ends a label; an item's value ends where the next recognised label starts.
    const TLabel* pending = nullptr;
    std::size_t valueFrom = 0;
    std::size_t segmentFrom = 0;
    bool first = true;
    for (std::size_t colon = ALine.find(':'); colon != std::string_view::npos;
         colon = ALine.find(':', colon + 1)) {
        const TFound found = FindLabel(ALine, segmentFrom, colon, first);
        if (pending)
            Apply(*pending,
                  ALine.substr(valueFrom, (found.Label ? found.Start : colon) - valueFrom));
        pending = found.Label;
        valueFrom = colon + 1;
        segmentFrom = colon + 1;
        first = false;
    }
    if (pending)
        Apply(*pending, ALine.substr(valueFrom));
}

void TStatusScan::Finish() {
    // The answer's own items say more than the notes beside them.
    Set(FSummary.Line[liAnnex], std::move(FTitleAnnex));
    Set(FSummary.Line[liVectoring], std::move(FFirmwareVectoring));
}

} // namespace

TLineSummary SummarizeStatus(const TStringList& AStats) {
    TLineSummary summary;
    TStatusScan scan(summary);
    for (const std::string& line : AStats) {
        // A list from outside may still hold line breaks of any kind inside its lines.
        std::string_view rest(line);
        for (std::size_t cut = rest.find_first_of("\r\n"); cut != std::string_view::npos;
             cut = rest.find_first_of("\r\n")) {
            scan.Line(rest.substr(0, cut));
            rest.remove_prefix(cut + 1);
        }
        scan.Line(rest);
    }
    scan.Finish();
    return summary;
}

} // namespace vexlorin
