// The line summary as plain text: what vexlorin-cli shows and what the window copies.
#include "model/LineSummary.h"

#include <algorithm>

namespace vexlorin {

namespace {

constexpr std::size_t ValueWidth = 16;

std::string Padded(std::string AText, std::size_t AWidth) {
    // Width in characters: the units are ASCII, texts from the router may not be.
    std::size_t characters = 0;
    for (const char c : AText)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (characters < AWidth)
        AText.append(AWidth - characters, ' ');
    return AText;
}

std::string WithoutTrailingBlanks(std::string AText) {
    while (!AText.empty() && AText.back() == ' ')
        AText.pop_back();
    return AText;
}

std::string Shown(const TSummaryField& AField, const TSummaryValue& AValue) {
    return AValue.Has() ? FormatSummaryValue(AField, AValue) : std::string("-");
}

// Rows of both directions: label, downstream, upstream; only rows with a value.
template <std::size_t N>
void DirectionRows(const std::array<TSummaryField, N>& AFields,
                   const std::array<std::array<TSummaryValue, N>, 2>& AValues,
                   std::size_t ALabelWidth, std::string& AOut) {
    for (std::size_t i = 0; i < N; ++i) {
        if (!AValues[sdDown][i].Has() && !AValues[sdUp][i].Has())
            continue;
        AOut += WithoutTrailingBlanks(Padded(std::string(AFields[i].Label), ALabelWidth) +
                                      Padded(Shown(AFields[i], AValues[sdDown][i]), ValueWidth) +
                                      Shown(AFields[i], AValues[sdUp][i])) +
                "\n";
    }
}

} // namespace

std::string SummaryText(const TLineSummary& ASummary) {
    if (ASummary.Empty())
        return {};
    std::size_t labelWidth = 0;
    for (const auto& field : LineFields())
        labelWidth = std::max(labelWidth, field.Label.size() + 1);
    for (const auto& field : DirectionFields())
        labelWidth = std::max(labelWidth, field.Label.size() + 2);
    for (const auto& field : BitsFields())
        labelWidth = std::max(labelWidth, field.Label.size() + 2);

    std::string out;
    for (std::size_t i = 0; i < LineItemCount; ++i)
        if (ASummary.Line[i].Has())
            out += Padded(std::string(LineFields()[i].Label) + ":", labelWidth) +
                   FormatSummaryValue(LineFields()[i], ASummary.Line[i]) + "\n";
    std::string directions;
    DirectionRows(DirectionFields(), ASummary.Directions, labelWidth, directions);
    DirectionRows(BitsFields(), ASummary.Bits, labelWidth, directions);
    if (!directions.empty())
        out += WithoutTrailingBlanks(Padded("", labelWidth) + Padded("Downstream", ValueWidth) +
                                     "Upstream") +
               "\n" + directions;
    if (!ASummary.Bands.empty()) {
        std::string header = Padded("Band", 6);
        for (const auto& field : BandFields())
            header += Padded(std::string(field.Label), 12);
        out += WithoutTrailingBlanks(header) + "\n";
        for (const TBandSummary& band : ASummary.Bands) {
            std::string row = Padded(band.Name, 6);
            for (std::size_t i = 0; i < BandItemCount; ++i)
                row += Padded(Shown(BandFields()[i], band.Values[i]), 12);
            out += WithoutTrailingBlanks(row) + "\n";
        }
    }
    return out;
}

} // namespace vexlorin
