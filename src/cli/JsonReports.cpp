// Every JSON document vexlorin-cli writes, built with nlohmann-json.
#include "cli/Reports.h"
#include "cli/SummaryJson.h"

#include <nlohmann/json.hpp>

namespace vexlorin::cli {

namespace {

using TJson = nlohmann::ordered_json;

void AddValue(TJson& AObject, std::string_view AKey, const TSummaryValue& AValue) {
    if (const auto integer = AValue.AsInteger())
        AObject[std::string(AKey)] = *integer;
    else if (const auto text = AValue.AsText())
        AObject[std::string(AKey)] = *text;
    else if (const auto number = AValue.AsNumber())
        AObject[std::string(AKey)] = *number;
}

template <std::size_t N>
TJson ValuesJson(const std::array<TSummaryField, N>& AFields,
                 const std::array<TSummaryValue, N>& AValues) {
    TJson object = TJson::object();
    for (std::size_t i = 0; i < N; ++i)
        AddValue(object, AFields[i].Key, AValues[i]);
    return object;
}

TJson SlotJson(const TStatSlot& ASlot) {
    return ASlot.HasValue() ? TJson(ASlot.Value()) : TJson(nullptr);
}

// Gains are tenths of a dB; as JSON numbers in dB.
double GainDb(int16_t ATenths) {
    return ATenths / 10.0;
}

} // namespace

TJson SummaryJson(const TLineSummary& ASummary) {
    TJson summary = TJson::object();
    const auto& lineFields = LineFields();
    for (std::size_t i = 0; i < LineItemCount; ++i)
        if (lineFields[i].Kind == skInfo)
            AddValue(summary, lineFields[i].Key, ASummary.Line[i]);
    for (const TStatDirection direction : {sdDown, sdUp})
        summary[std::string(DirectionKey(direction))] =
            ValuesJson(DirectionFields(), ASummary.Directions[direction]);
    for (std::size_t i = 0; i < LineItemCount; ++i)
        if (lineFields[i].Kind != skInfo)
            AddValue(summary, lineFields[i].Key, ASummary.Line[i]);
    TJson bands = TJson::array();
    for (const TBandSummary& band : ASummary.Bands) {
        TJson entry = {{"direction", DirectionKey(band.Direction)}, {"name", band.Name}};
        entry.update(ValuesJson(BandFields(), band.Values));
        bands.push_back(std::move(entry));
    }
    summary["bands"] = std::move(bands);
    TJson bits = TJson::object();
    for (const TStatDirection direction : {sdDown, sdUp}) {
        TJson values = ValuesJson(BitsFields(), ASummary.Bits[direction]);
        if (!values.empty())
            bits[std::string(DirectionKey(direction))] = std::move(values);
    }
    summary["bits"] = std::move(bits);
    return summary;
}

std::string JsonText(const TJson& ADocument) {
    return ADocument.dump(2, ' ', false, TJson::error_handler_t::replace) + "\n";
}

void WriteShowJson(const TDrayData& AData, std::ostream& AOut) {
    TJson document = TJson::object();
    document["name"] = AData.Name();
    document["profile"] = VDSLProfileNames[SafeProfile(AData.VDSLProfile())];
    document["summary"] = SummaryJson(SummarizeSet(AData));
    AOut << JsonText(document);
}

void WriteJson(const TDrayData& AData, std::ostream& AOut) {
    TJson document = TJson::object();
    document["name"] = AData.Name();
    document["profile"] = VDSLProfileNames[SafeProfile(AData.VDSLProfile())];
    document["version"] = AData.DataVersion();
    document["stats"] = AData.Stats();

    const struct {
        const char* Name;
        const TDrayStatArray& Up;
        const TDrayStatArray& Down;
        const TStatMultipliers& Sizes;
    } tables[] = {
        {"hlog", AData.HLogStatsUS(), AData.HLogStatsDS(), AData.HLogMultipliers()},
        {"qln", AData.QLNStatsUS(), AData.QLNStatsDS(), AData.QLNMultipliers()},
        {"snr", AData.SNRStatsUS(), AData.SNRStatsDS(), AData.SNRMultipliers()},
    };
    TJson sizes = TJson::object();
    for (const auto& table : tables)
        sizes[table.Name] = {{"us", table.Sizes[sdUp]}, {"ds", table.Sizes[sdDown]}};
    document["group_sizes"] = std::move(sizes);
    for (const auto& table : tables) {
        TJson rows = TJson::array();
        for (std::size_t g = 0; g < StatArraySize; ++g)
            rows.push_back({{"group", g},
                            {"first_tone_us", g * table.Sizes[sdUp]},
                            {"first_tone_ds", g * table.Sizes[sdDown]},
                            {"us", SlotJson(table.Up[g])},
                            {"ds", SlotJson(table.Down[g])}});
        document[table.Name] = std::move(rows);
    }
    const TDrayBinArray& up = AData.ShowBinStatsUS();
    const TDrayBinArray& down = AData.ShowBinStatsDS();
    TJson bins = TJson::array();
    for (std::size_t t = 0; t < BinArraySize; ++t)
        bins.push_back({{"tone", t},
                        {"snr_us", up[t].SNR},
                        {"gain_db_us", GainDb(up[t].Gain)},
                        {"bits_us", up[t].ToneBits},
                        {"snr_ds", down[t].SNR},
                        {"gain_db_ds", GainDb(down[t].Gain)},
                        {"bits_ds", down[t].ToneBits}});
    document["bins"] = std::move(bins);
    document["summary"] = SummaryJson(SummarizeSet(AData));
    AOut << JsonText(document);
}

} // namespace vexlorin::cli
