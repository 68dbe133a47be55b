#include "monitor/ProbeMetrics.h"

#include "monitor/Exposition.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace vexlorin::monitor {

namespace {

// Near end is downstream, far end upstream.
const char* DirectionName(TStatDirection ADirection) {
    return ADirection == sdDown ? "down" : "up";
}
const char* LocName(TStatDirection ADirection) {
    return ADirection == sdDown ? "near" : "far";
}
constexpr TStatDirection BothDirections[] = {sdDown, sdUp};

std::string Text(const TSummaryValue& AValue) {
    if (auto text = AValue.AsText())
        return *text;
    if (auto number = AValue.AsInteger())
        return std::to_string(*number);
    return {};
}

// How a value of one direction is exported under the dashboards' names.
enum class TShape : uint8_t {
    Split,     // NAME_down and NAME_up, no label
    Direction, // NAME{direction="down|up"}
    ErrLoc,    // NAME{err="...",loc="near|far"}
    Loc,       // NAME{loc="near|far"}
};

struct TDirectionMetric {
    TDirectionItem Item;
    std::string_view Name;
    TShape Shape;
    std::string_view Err; // ErrLoc only
    std::string_view Help;
};

constexpr TDirectionMetric DirectionMetrics[] = {
    {diActualRate, "dsl_data_rate", TShape::Split, "", "Actual data rate in bit/s"},
    {diAttainableRate, "dsl_max_data_rate", TShape::Split, "", "Attainable data rate in bit/s"},
    {diAttenuation, "dsl_line_attenuation_db", TShape::Direction, "", "Line attenuation in dB"},
    {diSignalAttenuation, "dsl_signal_attenuation_db", TShape::Direction, "",
     "Signal attenuation in dB"},
    {diSNRMargin, "dsl_signal_to_noise_margin_db", TShape::Direction, "",
     "Signal to noise margin in dB"},
    {diFECS, "dsl_error_seconds_total", TShape::ErrLoc, "forward error correction",
     "Error seconds by kind and end (near: downstream, far: upstream)"},
    {diES, "dsl_error_seconds_total", TShape::ErrLoc, "errored", ""},
    {diSES, "dsl_error_seconds_total", TShape::ErrLoc, "severely errored", ""},
    {diLOSS, "dsl_error_seconds_total", TShape::ErrLoc, "loss of signal", ""},
    {diUAS, "dsl_error_seconds_total", TShape::ErrLoc, "unavailable", ""},
    {diCRC, "dsl_errors_total", TShape::ErrLoc, "non pre-emptive crc error",
     "Errors by kind and end (near: downstream, far: upstream)"},
    {diHEC, "dsl_errors_total", TShape::ErrLoc, "header error code error", ""},
    {diFEC, "dsl_fec_corrections_total", TShape::Loc, "",
     "Corrections by forward error correction (near: downstream, far: upstream)"},
};

const TDirectionMetric* FindDirectionMetric(TDirectionItem AItem) {
    for (const TDirectionMetric& metric : DirectionMetrics)
        if (metric.Item == AItem)
            return &metric;
    return nullptr;
}

void WriteDirectionMetrics(const TLineSummary& ASummary, TExposition& AOut) {
    // Families that share a name (the error kinds) are written as one.
    std::string_view open;
    for (const TDirectionMetric& metric : DirectionMetrics) {
        if (metric.Shape == TShape::Split) {
            for (const TStatDirection direction : BothDirections) {
                const auto value = ASummary.Get(direction, metric.Item).AsNumber();
                if (!value)
                    continue;
                const std::string name = std::string(metric.Name) + "_" + DirectionName(direction);
                AOut.Family(name,
                            std::string(metric.Help) + ", " + DirectionName(direction) + "stream",
                            "gauge");
                AOut.Sample(*value);
            }
            continue;
        }
        if (metric.Name != open) {
            const bool counter = metric.Shape != TShape::Direction;
            AOut.Family(metric.Name, metric.Help, counter ? "counter" : "gauge");
            open = metric.Name;
        }
        for (const TStatDirection direction : BothDirections) {
            const auto value = ASummary.Get(direction, metric.Item).AsNumber();
            if (!value)
                continue;
            switch (metric.Shape) {
            case TShape::Direction:
                AOut.Sample({{"direction", DirectionName(direction)}}, *value);
                break;
            case TShape::ErrLoc:
                AOut.Sample({{"err", std::string(metric.Err)}, {"loc", LocName(direction)}},
                            *value);
                break;
            case TShape::Loc:
                AOut.Sample({{"loc", LocName(direction)}}, *value);
                break;
            case TShape::Split:
                break;
            }
        }
    }
}

// The values the dashboards' names leave out, named after the summary's own keys: a
// key in milliseconds becomes seconds, a counter gets "_total".
void WriteOtherDirectionValues(const TLineSummary& ASummary, TExposition& AOut) {
    const auto& fields = DirectionFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto item = static_cast<TDirectionItem>(i);
        const TSummaryField& field = fields[i];
        if (field.Kind == skInfo || FindDirectionMetric(item))
            continue;
        std::string name = "vexlorin_line_" + std::string(field.Key);
        double scale = 1;
        if (field.Unit == "ms") {
            name = name.substr(0, name.size() - 3) + "_seconds";
            scale = 0.001;
        }
        if (field.Kind == skCounter)
            name += "_total";
        AOut.Family(name,
                    std::string(field.Label) + (field.Unit.empty() || field.Unit == "ms"
                                                    ? std::string()
                                                    : " in " + std::string(field.Unit)),
                    field.Kind == skCounter ? "counter" : "gauge");
        for (const TStatDirection direction : BothDirections)
            if (const auto value = ASummary.Get(direction, item).AsNumber())
                AOut.Sample({{"direction", DirectionName(direction)}}, *value * scale);
    }
}

void WriteLineMetrics(const TSample& ASample, TExposition& AOut) {
    const TLineSummary& summary = ASample.Summary;
    if (const auto state = summary[liState].AsText()) {
        std::string upper = *state;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        AOut.Family("dsl_up", "1 when the line is in showtime, 0 otherwise", "gauge");
        AOut.Sample({{"detail", *state}}, upper == "SHOWTIME" ? 1 : 0);
    }
    if (const auto retrains = summary[liRetrains].AsNumber()) {
        AOut.Family("dsl_retrains_total", "How often the line came up (Xdsl Link Times)",
                    "counter");
        AOut.Sample(*retrains);
    }
    if (const auto resets = summary[liResets].AsNumber()) {
        AOut.Family("vexlorin_line_resets_total", "Modem resets (Xdsl Reset Times)", "counter");
        AOut.Sample(*resets);
    }
    const std::string chipset = Text(summary[liChipset]);
    const std::string firmware = Text(summary[liFirmware]);
    const std::string vendor = Text(summary[liVendor]);
    if (!chipset.empty() || !firmware.empty() || !vendor.empty()) {
        AOut.Family("dsl_info", "Modem and DSLAM of the line (value 1)", "gauge");
        AOut.Sample(
            {{"atuc_vendor_id", vendor}, {"chipset", chipset}, {"firmware_version", firmware}}, 1);
    }
    const std::string annex = Text(summary[liAnnex]);
    const std::string mode = Text(summary[liMode]);
    const std::string profile =
        ASample.Profile == vpNA ? std::string() : VDSLProfileNames[ASample.Profile];
    if (!annex.empty() || !mode.empty() || !profile.empty()) {
        AOut.Family("dsl_line_info", "Annex, running mode and VDSL profile of the line (value 1)",
                    "gauge");
        AOut.Sample({{"annex", annex}, {"mode", mode}, {"profile", profile}}, 1);
    }
    const std::string vectoring = Text(summary[liVectoring]);
    if (!vectoring.empty()) {
        AOut.Family("vexlorin_line_vectoring_info",
                    "Vectoring as the router describes it (value 1)", "gauge");
        AOut.Sample({{"vectoring", vectoring}}, 1);
    }
}

void WriteBandMetrics(const TLineSummary& ASummary, TExposition& AOut) {
    struct TBandMetric {
        TBandItem Item;
        std::string_view Name, Help;
    };
    static constexpr TBandMetric metrics[] = {
        {biSNRM, "dsl_band_snr_margin_db", "SNR margin of one band in dB"},
        {biLATN, "dsl_band_line_attenuation_db", "Line attenuation of one band in dB"},
        {biSATN, "dsl_band_signal_attenuation_db", "Signal attenuation of one band in dB"},
    };
    for (const TBandMetric& metric : metrics) {
        AOut.Family(metric.Name, metric.Help, "gauge");
        for (const TBandSummary& band : ASummary.Bands)
            if (const auto value = band.Values[metric.Item].AsNumber())
                AOut.Sample({{"direction", DirectionName(band.Direction)}, {"band", band.Name}},
                            *value);
    }
}

void WriteBitsMetrics(const TLineSummary& ASummary, TExposition& AOut) {
    // promtool's lint wants no "bits" in a name: bytes are the base unit it knows.
    static constexpr std::string_view names[BitsItemCount] = {
        "vexlorin_loaded_tones", "vexlorin_loading_per_symbol", "vexlorin_loading_rate"};
    static constexpr std::string_view helps[BitsItemCount] = {
        "Tones with at least one bit loaded (from the bins table)",
        "Bits per symbol over all tones (from the bins table)",
        "Bit/s the loaded bits carry at the profile's symbol rate (from the bins table)"};
    for (std::size_t i = 0; i < BitsItemCount; ++i) {
        AOut.Family(names[i], helps[i], "gauge");
        for (const TStatDirection direction : BothDirections)
            if (const auto value = ASummary.Bits[direction][i].AsNumber())
                AOut.Sample({{"direction", DirectionName(direction)}}, *value);
    }
}

} // namespace

std::string RenderProbe(const TSample& ASample) {
    TExposition out;
    out.Family("vexlorin_sample_success",
               "1 when the latest console session delivered the line's values", "gauge");
    out.Sample(ASample.Completed ? 1 : 0);
    out.Family("vexlorin_sample_duration_seconds", "How long the latest console session took",
               "gauge");
    out.Sample(ASample.DurationSeconds);
    out.Family("vexlorin_sample_timestamp_seconds",
               "When the latest console session started, in seconds since the epoch", "gauge");
    out.Sample(static_cast<double>(ASample.TimeMs) / 1000.0);
    out.Family("vexlorin_sample_ending_info", "How the latest console session ended (value 1)",
               "gauge");
    out.Sample({{"ending", std::string(EndingKey(ASample.Ending))}}, 1);
    if (!ASample.Completed)
        return out.Take();
    WriteLineMetrics(ASample, out);
    WriteDirectionMetrics(ASample.Summary, out);
    WriteOtherDirectionValues(ASample.Summary, out);
    WriteBandMetrics(ASample.Summary, out);
    WriteBitsMetrics(ASample.Summary, out);
    return out.Take();
}

} // namespace vexlorin::monitor
