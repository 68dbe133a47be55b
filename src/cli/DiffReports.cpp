// vexlorin-cli diff as text for people and as CSV with export's columns.
#include "cli/Diff.h"

#include "cli/Reports.h"
#include "model/SetComparison.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace vexlorin::cli {

const char* const DiffFooter = R"(DESCRIPTION
  Compares two statistics files: A, the reference (before), and B (after). Every
  difference is B minus A, and exists only where both sets hold a value. Sets of
  different profiles are compared over the tones both have; per-group tables of
  other group sizes on the finer of the two.

TEXT (the default)
  Per direction and per band of "vdsl status bandinfo": the bits per symbol, the
  mean SNR (of the per-group SNR table) and the SNR margin, as A -> B (change); the
  tones that lost or gained more than 2 bits; the line summaries side by side.

CSV, JSON
  The columns and keys of "vexlorin-cli export", holding B minus A: empty (CSV) or
  null (JSON) where either set has no value. JSON adds "reference" and "selected"
  (name and profile of A and B), "tones" (common, all), "group_sizes" (of the
  difference grid), "directions", "bands" and "bit_changes" (lost, gained), and
  "summary" with the reference's, the selected set's and the difference's values
  under the keys of "show --format json".

EXAMPLES
  vexlorin-cli diff before.draydata after.draydata
  vexlorin-cli diff before.draydata after.draydata --format json | jq '.bins[100]'
)";

namespace {

// Differences of whole numbers print as whole numbers, gains with their one decimal.
std::string Whole(double AValue) {
    return std::to_string(std::llround(AValue));
}

std::string GainText(double AValue) {
    return FormatTenths(static_cast<int>(std::lround(AValue * 10)));
}

std::string Optional(const std::optional<double>& AValue) {
    return AValue ? Whole(*AValue) : std::string();
}

// "9050 -> 8800 (-250)": the reference's value, the selected set's and the change.
std::string FigureText(const TSummaryField& AField, const TSummaryValue& AReference,
                       const TSummaryValue& ASelected) {
    const auto value = [&AField](const TSummaryValue& AValue) {
        return AValue.Has() ? PrintableLine(FormatSummaryValue(AField, AValue)) : std::string("-");
    };
    std::string text = value(AReference) + " -> " + value(ASelected);
    if (AReference.IsText() && ASelected.IsText())
        return text + (AReference == ASelected ? " (same)" : " (changed)");
    const std::string change =
        FormatSummaryDifference(AField, SummaryDifference(AReference, ASelected));
    return change.empty() ? text : text + " (" + change + ")";
}

// Columns padded to their widest cell (counted in characters, not bytes).
void WriteTable(const std::vector<std::vector<std::string>>& ARows, std::ostream& AOut) {
    const auto width = [](const std::string& AText) {
        return static_cast<std::size_t>(std::count_if(AText.begin(), AText.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }));
    };
    std::vector<std::size_t> widths;
    for (const auto& row : ARows)
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths.resize(std::max(widths.size(), row.size()));
            widths[i] = std::max(widths[i], width(row[i]));
        }
    for (const auto& row : ARows) {
        std::string line = "  ";
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size())
                line += std::string(widths[i] - width(row[i]) + 3, ' ');
        }
        AOut << line << '\n';
    }
}

std::string DirectionName(TStatDirection ADirection) {
    return ADirection == sdUp ? "Upstream" : "Downstream";
}

std::vector<std::string> RangeRow(std::string AName, const TRangeComparison& ARange) {
    std::vector<std::string> row{std::move(AName)};
    for (std::size_t i = 0; i < RangeItemCount; ++i) {
        const auto item = static_cast<TRangeItem>(i);
        row.push_back(FigureText(RangeFields()[i], RangeValue(ARange.Reference, item),
                                 RangeValue(ARange.Selected, item)));
    }
    return row;
}

// "1200-1204, 2000": runs of neighbouring tones; at most AMost runs, then how many more.
std::string ToneRuns(const std::vector<int>& ATones, std::size_t AMost) {
    std::vector<std::string> runs;
    std::size_t shown = 0;
    for (std::size_t i = 0; i < ATones.size();) {
        std::size_t end = i;
        while (end + 1 < ATones.size() && ATones[end + 1] == ATones[end] + 1)
            ++end;
        if (runs.size() < AMost) {
            runs.push_back(end == i
                               ? std::to_string(ATones[i])
                               : std::to_string(ATones[i]) + "-" + std::to_string(ATones[end]));
            shown = end + 1;
        }
        i = end + 1;
    }
    std::string text;
    for (const std::string& run : runs)
        text += (text.empty() ? "" : ", ") + run;
    if (shown < ATones.size())
        text += ", and " + std::to_string(ATones.size() - shown) + " more";
    return text;
}

void WriteBitChanges(const TSetComparison& AComparison, std::ostream& AOut) {
    for (const bool lost : {true, false}) {
        AOut << "Tones that " << (lost ? "lost" : "gained") << " more than " << SignificantBitChange
             << " bits\n";
        for (const TStatDirection direction : {sdDown, sdUp}) {
            std::vector<int> tones;
            for (const TBitChange& change : AComparison.BitChanges[direction])
                if ((change.Change() < 0) == lost)
                    tones.push_back(change.Tone);
            AOut << "  " << DirectionName(direction) << ": ";
            if (AComparison.Tones[tvBits][direction].Values.empty())
                AOut << "not compared (a set has no bins table)\n";
            else if (tones.empty())
                AOut << "none\n";
            else
                AOut << tones.size() << (tones.size() == 1 ? " tone: " : " tones: ")
                     << ToneRuns(tones, 12) << '\n';
        }
    }
}

template <std::size_t N>
void AddSummaryRows(std::vector<std::vector<std::string>>& ARows,
                    const std::array<TSummaryField, N>& AFields,
                    const std::array<TSummaryValue, N>& AReference,
                    const std::array<TSummaryValue, N>& ASelected, const std::string& ASuffix) {
    for (std::size_t i = 0; i < N; ++i)
        if (AReference[i].Has() || ASelected[i].Has())
            ARows.push_back({std::string(AFields[i].Label) + ASuffix,
                             FigureText(AFields[i], AReference[i], ASelected[i])});
}

void WriteSummaries(const TSetComparison& AComparison, std::ostream& AOut) {
    const TLineSummary& a = AComparison.Reference;
    const TLineSummary& b = AComparison.Selected;
    std::vector<std::vector<std::string>> rows;
    AddSummaryRows(rows, LineFields(), a.Line, b.Line, "");
    for (const TStatDirection direction : {sdDown, sdUp}) {
        const std::string suffix = direction == sdUp ? " (upstream)" : " (downstream)";
        AddSummaryRows(rows, DirectionFields(), a.Directions[direction], b.Directions[direction],
                       suffix);
        AddSummaryRows(rows, BitsFields(), a.Bits[direction], b.Bits[direction], suffix);
    }
    AOut << "Line summary, A -> B (change)\n";
    if (rows.empty())
        AOut << "  (neither statistics text holds line values)\n";
    WriteTable(rows, AOut);
}

} // namespace

void WriteDiffText(const TDrayData& AReference, const TDrayData& ASelected, std::ostream& AOut) {
    const TSetComparison comparison = CompareSets(AReference, ASelected);
    const auto describe = [](const TDrayData& AData) {
        return "\"" + PrintableLine(AData.Name()) + "\", profile " +
               VDSLProfileNames[SafeProfile(AData.VDSLProfile())];
    };
    AOut << "A (reference): " << describe(AReference) << '\n'
         << "B:             " << describe(ASelected) << '\n'
         << "Changes are B minus A, over the " << comparison.CommonTones()
         << " tones both profiles have.\n\n";

    std::vector<std::vector<std::string>> rows{{"Direction"}};
    for (const TSummaryField& field : RangeFields())
        rows[0].push_back(std::string(field.Label) + ", A -> B (change)");
    for (const TStatDirection direction : {sdDown, sdUp})
        rows.push_back(RangeRow(DirectionName(direction), comparison.Directions[direction]));
    WriteTable(rows, AOut);
    AOut << '\n';

    if (comparison.Bands.empty()) {
        AOut << "Bands: neither statistics text holds \"vdsl status bandinfo\"\n\n";
    } else {
        rows = {{"Band"}};
        for (const TSummaryField& field : RangeFields())
            rows[0].emplace_back(field.Label);
        for (const TRangeComparison& band : comparison.Bands) {
            std::string name = PrintableLine(band.Name);
            if (band.FirstTone && band.LastTone)
                name += " (" + std::to_string(*band.FirstTone) + "-" +
                        std::to_string(*band.LastTone) + ")";
            rows.push_back(RangeRow(std::move(name), band));
        }
        WriteTable(rows, AOut);
        AOut << '\n';
    }
    WriteBitChanges(comparison, AOut);
    AOut << '\n';
    WriteSummaries(comparison, AOut);
}

void WriteDiffCsv(const TDrayData& AReference, const TDrayData& ASelected, std::ostream& AOut) {
    const TSetComparison comparison = CompareTables(AReference, ASelected);
    // No field holds a comma, a quote or a line break, so none needs quoting.
    AOut << "table,group,first_tone_us,first_tone_ds,us,ds,"
            "tone,snr_us,gain_db_us,bits_us,snr_ds,gain_db_ds,bits_ds\r\n";
    const char* const names[GroupTableCount] = {"HLog", "QLN", "SNR"};
    for (int table = 0; table < GroupTableCount; ++table) {
        const auto& up = comparison.Groups[table][sdUp];
        const auto& down = comparison.Groups[table][sdDown];
        for (std::size_t g = 0; g < StatArraySize; ++g)
            AOut << names[table] << ',' << g << ',' << g * up.GroupSize << ',' << g * down.GroupSize
                 << ',' << Optional(up.Values[g]) << ',' << Optional(down.Values[g])
                 << ",,,,,,,\r\n";
    }
    for (std::size_t t = 0; t < BinArraySize; ++t) {
        AOut << "Bins,,,,,," << t;
        for (const TStatDirection direction : {sdUp, sdDown}) {
            for (int value = 0; value < ToneValueCount; ++value) {
                const std::vector<double>& values = comparison.Tones[value][direction].Values;
                AOut << ',';
                if (t < values.size())
                    AOut << (value == tvGain ? GainText(values[t]) : Whole(values[t]));
            }
        }
        AOut << "\r\n";
    }
}

} // namespace vexlorin::cli
