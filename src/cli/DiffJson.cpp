// vexlorin-cli diff as JSON: export's keys holding B minus A, and the comparison's figures.
#include "cli/Diff.h"
#include "cli/SummaryJson.h"

#include "model/SetComparison.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace vexlorin::cli {

namespace {

using TJson = nlohmann::ordered_json;

TJson SetJson(const TDrayData& AData) {
    return {{"name", AData.Name()},
            {"profile", VDSLProfileNames[SafeProfile(AData.VDSLProfile())]}};
}

// Whole differences as integers, gains in dB with their one decimal.
TJson NumberJson(double AValue, bool AGain) {
    if (AGain)
        return std::lround(AValue * 10) / 10.0;
    return std::llround(AValue);
}

TJson SummaryValueJson(const TSummaryValue& AValue) {
    if (const auto integer = AValue.AsInteger())
        return *integer;
    if (const auto number = AValue.AsNumber())
        return *number;
    return nullptr;
}

// {"bits": {"reference": ..., "selected": ..., "change": ...}, "mean_snr_db": ..., ...}
TJson RangeJson(const TRangeComparison& ARange) {
    TJson figures = TJson::object();
    for (std::size_t i = 0; i < RangeItemCount; ++i) {
        const auto item = static_cast<TRangeItem>(i);
        const TSummaryValue reference = RangeValue(ARange.Reference, item);
        const TSummaryValue selected = RangeValue(ARange.Selected, item);
        figures[std::string(RangeFields()[i].Key)] = {
            {"reference", SummaryValueJson(reference)},
            {"selected", SummaryValueJson(selected)},
            {"change", SummaryValueJson(SummaryDifference(reference, selected))}};
    }
    return figures;
}

TJson BitChangesJson(const std::vector<TBitChange>& AChanges) {
    TJson changes = {{"lost", TJson::array()}, {"gained", TJson::array()}};
    for (const TBitChange& change : AChanges)
        changes[change.Change() < 0 ? "lost" : "gained"].push_back({{"tone", change.Tone},
                                                                    {"reference", change.Reference},
                                                                    {"selected", change.Selected},
                                                                    {"change", change.Change()}});
    return changes;
}

} // namespace

void WriteDiffJson(const TDrayData& AReference, const TDrayData& ASelected, std::ostream& AOut) {
    const TSetComparison comparison = CompareSets(AReference, ASelected);
    TJson document = TJson::object();
    document["reference"] = SetJson(AReference);
    document["selected"] = SetJson(ASelected);
    document["tones"] = {{"common", comparison.CommonTones()}, {"all", comparison.AllTones()}};

    const char* const names[GroupTableCount] = {"hlog", "qln", "snr"};
    TJson sizes = TJson::object();
    for (int table = 0; table < GroupTableCount; ++table)
        sizes[names[table]] = {{"us", comparison.Groups[table][sdUp].GroupSize},
                               {"ds", comparison.Groups[table][sdDown].GroupSize}};
    document["group_sizes"] = std::move(sizes);
    for (int table = 0; table < GroupTableCount; ++table) {
        const TGroupDifference& up = comparison.Groups[table][sdUp];
        const TGroupDifference& down = comparison.Groups[table][sdDown];
        const auto value = [](const std::optional<double>& AValue) {
            return AValue ? NumberJson(*AValue, false) : TJson(nullptr);
        };
        TJson rows = TJson::array();
        for (std::size_t g = 0; g < StatArraySize; ++g)
            rows.push_back({{"group", g},
                            {"first_tone_us", g * up.GroupSize},
                            {"first_tone_ds", g * down.GroupSize},
                            {"us", value(up.Values[g])},
                            {"ds", value(down.Values[g])}});
        document[names[table]] = std::move(rows);
    }

    // Keys as export writes them: per direction SNR, gain and bits.
    const char* const keys[2][ToneValueCount] = {{"snr_us", "gain_db_us", "bits_us"},
                                                 {"snr_ds", "gain_db_ds", "bits_ds"}};
    TJson bins = TJson::array();
    for (std::size_t t = 0; t < BinArraySize; ++t) {
        TJson row = {{"tone", t}};
        for (const TStatDirection direction : {sdUp, sdDown}) {
            const int keyRow = direction == sdUp ? 0 : 1;
            for (int value = 0; value < ToneValueCount; ++value) {
                const std::vector<double>& values = comparison.Tones[value][direction].Values;
                row[keys[keyRow][value]] =
                    t < values.size() ? NumberJson(values[t], value == tvGain) : TJson(nullptr);
            }
        }
        bins.push_back(std::move(row));
    }
    document["bins"] = std::move(bins);

    TJson directions = TJson::object();
    TJson bitChanges = TJson::object();
    for (const TStatDirection direction : {sdDown, sdUp}) {
        const std::string key(DirectionKey(direction));
        directions[key] = RangeJson(comparison.Directions[direction]);
        bitChanges[key] = BitChangesJson(comparison.BitChanges[direction]);
    }
    document["directions"] = std::move(directions);
    TJson bands = TJson::array();
    for (const TRangeComparison& band : comparison.Bands) {
        TJson entry = {{"direction", DirectionKey(band.Direction)}, {"name", band.Name}};
        entry["first_tone"] = band.FirstTone ? TJson(*band.FirstTone) : TJson(nullptr);
        entry["last_tone"] = band.LastTone ? TJson(*band.LastTone) : TJson(nullptr);
        entry.update(RangeJson(band));
        bands.push_back(std::move(entry));
    }
    document["bands"] = std::move(bands);
    document["bit_changes"] = std::move(bitChanges);
    document["summary"] = {
        {"reference", SummaryJson(comparison.Reference)},
        {"selected", SummaryJson(comparison.Selected)},
        {"difference", SummaryJson(SummaryDifferences(comparison.Reference, comparison.Selected))}};
    AOut << JsonText(document);
}

} // namespace vexlorin::cli
