// The line summary's tables, the summary of a whole set (bit loading from the bins tables)
// and the values as the user reads them.
#include "model/LineSummary.h"

#include <charconv>
#include <cmath>

namespace vexlorin {

std::optional<int64_t> TSummaryValue::AsInteger() const {
    if (const auto* value = std::get_if<int64_t>(&FValue))
        return *value;
    return std::nullopt;
}

std::optional<double> TSummaryValue::AsNumber() const {
    if (const auto* value = std::get_if<int64_t>(&FValue))
        return static_cast<double>(*value);
    if (const auto* value = std::get_if<double>(&FValue))
        return *value;
    return std::nullopt;
}

std::optional<std::string> TSummaryValue::AsText() const {
    if (const auto* value = std::get_if<std::string>(&FValue))
        return *value;
    return std::nullopt;
}

const std::array<TSummaryField, LineItemCount>& LineFields() {
    static constexpr std::array<TSummaryField, LineItemCount> fields = {{
        {"state", "Line state", "", skInfo},
        {"mode", "Running mode", "", skInfo},
        {"firmware", "Firmware version", "", skInfo},
        {"vendor", "DSLAM chipset vendor", "", skInfo},
        {"chipset", "Modem chipset vendor", "", skInfo},
        {"annex", "Annex", "", skInfo},
        {"vectoring", "Vectoring", "", skInfo},
        {"resets", "Resets", "", skCounter},
        {"retrains", "Link times (retrains)", "", skCounter},
    }};
    return fields;
}

const std::array<TSummaryField, DirectionItemCount>& DirectionFields() {
    static constexpr std::array<TSummaryField, DirectionItemCount> fields = {{
        {"actual_rate_bps", "Actual rate", "bit/s", skGauge},
        {"attainable_rate_bps", "Attainable rate", "bit/s", skGauge},
        {"snr_margin_db", "SNR margin", "dB", skGauge},
        {"attenuation_db", "Line attenuation", "dB", skGauge},
        {"signal_attenuation_db", "Signal attenuation", "dB", skGauge},
        {"actual_psd_db", "Actual PSD", "dB", skGauge},
        {"path_mode", "Path mode", "", skInfo},
        {"interleave_depth", "Interleave depth", "", skGauge},
        {"inp_symbols", "Impulse noise protection (INP)", "symbols", skGauge},
        {"interleave_delay_ms", "Interleave delay", "ms", skGauge},
        {"crc", "CRC errors", "", skCounter},
        {"fec", "FEC corrections", "", skCounter},
        {"es", "Errored seconds (ES)", "s", skCounter},
        {"ses", "Severely errored seconds (SES)", "s", skCounter},
        {"uas", "Unavailable seconds (UAS)", "s", skCounter},
        {"loss", "Loss-of-signal seconds (LOSS)", "s", skCounter},
        {"fecs", "FEC seconds (FECS)", "s", skCounter},
        {"hec", "HEC errors", "", skCounter},
    }};
    return fields;
}

const std::array<TSummaryField, BandItemCount>& BandFields() {
    static constexpr std::array<TSummaryField, BandItemCount> fields = {{
        {"first_tone", "First tone", "", skInfo},
        {"last_tone", "Last tone", "", skInfo},
        {"latn_db", "LATN", "dB", skGauge},
        {"satn_db", "SATN", "dB", skGauge},
        {"snrm_db", "SNRM", "dB", skGauge},
    }};
    return fields;
}

const std::array<TSummaryField, BitsItemCount>& BitsFields() {
    static constexpr std::array<TSummaryField, BitsItemCount> fields = {{
        {"loaded_tones", "Tones with bits loaded", "", skGauge},
        {"total_bits", "Bits per symbol", "", skGauge},
        {"rate_bps", "Rate of the loaded bits", "bit/s", skGauge},
    }};
    return fields;
}

std::string_view DirectionKey(TStatDirection ADirection) {
    return ADirection == sdUp ? "us" : "ds";
}

bool TLineSummary::Empty() const {
    const auto none = [](const auto& AValues) {
        for (const TSummaryValue& value : AValues)
            if (value.Has())
                return false;
        return true;
    };
    return none(Line) && none(Directions[sdUp]) && none(Directions[sdDown]) && Bands.empty() &&
           none(Bits[sdUp]) && none(Bits[sdDown]);
}

namespace {

void SummarizeBits(const TDrayBinArray& ABins, TVDSLProfile AProfile,
                   std::array<TSummaryValue, BitsItemCount>& ABits) {
    bool holdsData = false;
    int64_t tones = 0;
    int64_t bits = 0;
    for (const TDrayBinEntry& entry : ABins) {
        holdsData = holdsData || !(entry == TDrayBinEntry{});
        if (entry.ToneBits > 0) {
            ++tones;
            bits += entry.ToneBits;
        }
    }
    if (!holdsData)
        return;
    ABits[btLoadedTones] = TSummaryValue::Integer(tones);
    ABits[btTotalBits] = TSummaryValue::Integer(bits);
    // 30a doubles the tone spacing and with it the symbol rate; without a profile the rate
    // would be a guess.
    if (AProfile != vpNA)
        ABits[btRate] = TSummaryValue::Integer(bits * (AProfile == vp30a ? 8000 : 4000));
}

// Up to two decimals, trailing zeros dropped; the same in every locale.
std::string DecimalText(double AValue) {
    if (!std::isfinite(AValue))
        return {};
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, AValue, std::chars_format::fixed, 2);
    if (result.ec != std::errc())
        return {};
    std::string text(buffer, result.ptr);
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return text == "-0" ? "0" : text;
}

} // namespace

TLineSummary SummarizeSet(const TDrayData& AData) {
    TLineSummary summary = SummarizeStatus(AData.Stats());
    const TVDSLProfile profile = SafeProfile(AData.VDSLProfile());
    SummarizeBits(AData.ShowBinStatsUS(), profile, summary.Bits[sdUp]);
    SummarizeBits(AData.ShowBinStatsDS(), profile, summary.Bits[sdDown]);
    return summary;
}

std::string FormatSummaryValue(const TSummaryField& AField, const TSummaryValue& AValue) {
    if (const auto text = AValue.AsText())
        return *text;
    const auto number = AValue.AsNumber();
    if (!number)
        return {};
    if (AField.Unit == "bit/s") {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, *number / 1e6,
                                          std::chars_format::fixed, 3);
        return result.ec == std::errc() ? std::string(buffer, result.ptr) + " Mbit/s"
                                        : std::string();
    }
    const std::string digits =
        AValue.IsInteger() ? std::to_string(*AValue.AsInteger()) : DecimalText(*number);
    return AField.Unit.empty() ? digits : digits + " " + std::string(AField.Unit);
}

} // namespace vexlorin
