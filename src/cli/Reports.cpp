#include "cli/Reports.h"

#include "model/LineSummary.h"
#include "model/TextFile.h"

#include <array>
#include <cstdlib>

namespace vexlorin::cli {

namespace {

struct TGroupTable {
    const char* CsvName;
    const char* JsonName;
    const TDrayStatArray& Up;
    const TDrayStatArray& Down;
    const TStatMultipliers& Sizes;
};

std::array<TGroupTable, 3> GroupTables(const TDrayData& AData) {
    return {{
        {"HLog", "hlog", AData.HLogStatsUS(), AData.HLogStatsDS(), AData.HLogMultipliers()},
        {"QLN", "qln", AData.QLNStatsUS(), AData.QLNStatsDS(), AData.QLNMultipliers()},
        {"SNR", "snr", AData.SNRStatsUS(), AData.SNRStatsDS(), AData.SNRMultipliers()},
    }};
}

std::size_t TonesWithBits(const TDrayBinArray& ABins) {
    std::size_t count = 0;
    for (const TDrayBinEntry& entry : ABins)
        if (entry.ToneBits > 0)
            ++count;
    return count;
}

// An empty slot (table never built) has no value either, so both print as missing.
std::string SlotText(const TStatSlot& ASlot, const char* AMissing) {
    return ASlot.HasValue() ? std::to_string(ASlot.Value()) : std::string(AMissing);
}

std::size_t FirstTone(std::size_t AGroup, const TStatMultipliers& ASizes, TStatDirection ADir) {
    return AGroup * ASizes[ADir];
}

constexpr const char* ReplacementChar = "\xEF\xBF\xBD";

} // namespace

std::string PrintableLine(const std::string& ALine) {
    const std::string text = SanitisedUtf8(ALine);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            out += ReplacementChar;
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            out += ReplacementChar;
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

namespace {

std::string SizesText(const TStatMultipliers& ASizes) {
    return std::to_string(ASizes[sdUp]) + "/" + std::to_string(ASizes[sdDown]);
}

} // namespace

std::string FormatTenths(int ATenths) {
    const int magnitude = std::abs(ATenths);
    return (ATenths < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." +
           std::to_string(magnitude % 10);
}

std::string FormatSummary(const TDrayData& AData) {
    std::string out;
    out += "Name: " + PrintableLine(AData.Name()) + "\n";
    out += std::string("Profile: ") + VDSLProfileNames[SafeProfile(AData.VDSLProfile())] + "\n";
    out += "File version: " + std::to_string(AData.DataVersion()) + "\n";
    out += "Group sizes (US/DS): HLog " + SizesText(AData.HLogMultipliers()) + ", QLN " +
           SizesText(AData.QLNMultipliers()) + ", SNR " + SizesText(AData.SNRMultipliers()) + "\n";
    out += "Tones with bits loaded: US " + std::to_string(TonesWithBits(AData.ShowBinStatsUS())) +
           ", DS " + std::to_string(TonesWithBits(AData.ShowBinStatsDS())) + "\n";
    return out;
}

void WriteShow(const TDrayData& AData, std::ostream& AOut) {
    AOut << FormatSummary(AData) << '\n';
    // Texts of the summary come from the file too.
    if (const std::string summary = SummaryText(SummarizeSet(AData)); !summary.empty()) {
        for (const std::string& line : SplitLines(summary))
            AOut << PrintableLine(line) << '\n';
        AOut << '\n';
    }
    for (const std::string& line : AData.Stats())
        AOut << PrintableLine(line) << '\n';
}

void WriteCsv(const TDrayData& AData, std::ostream& AOut) {
    // No field holds a comma, a quote or a line break, so none needs quoting.
    AOut << "table,group,first_tone_us,first_tone_ds,us,ds,"
            "tone,snr_us,gain_db_us,bits_us,snr_ds,gain_db_ds,bits_ds\r\n";
    for (const TGroupTable& table : GroupTables(AData)) {
        for (std::size_t g = 0; g < StatArraySize; ++g) {
            AOut << table.CsvName << ',' << g << ',' << FirstTone(g, table.Sizes, sdUp) << ','
                 << FirstTone(g, table.Sizes, sdDown) << ',' << SlotText(table.Up[g], "") << ','
                 << SlotText(table.Down[g], "") << ",,,,,,,\r\n";
        }
    }
    const TDrayBinArray& up = AData.ShowBinStatsUS();
    const TDrayBinArray& down = AData.ShowBinStatsDS();
    for (std::size_t t = 0; t < BinArraySize; ++t) {
        AOut << "Bins,,,,,," << t << ',' << up[t].SNR << ',' << FormatTenths(up[t].Gain) << ','
             << int{up[t].ToneBits} << ',' << down[t].SNR << ',' << FormatTenths(down[t].Gain)
             << ',' << int{down[t].ToneBits} << "\r\n";
    }
}

} // namespace vexlorin::cli
