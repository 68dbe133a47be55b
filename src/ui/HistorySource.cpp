#include "ui/HistorySource.h"

#include <algorithm>

namespace vexlorin {

using namespace history;

namespace {

constexpr int64_t DayMs = 86'400'000;

double Number(const TSummaryValue& AValue) {
    const std::optional<double> number = AValue.AsNumber();
    return number ? *number : NoValue;
}

constexpr TDirectionItem CounterItems[ErrorCounterCount] = {diCRC, diFEC, diES, diSES};

void Push(TTimeSeries& ASeries, double AKey, double AValue) {
    ASeries.Keys.push_back(AKey);
    ASeries.Values.push_back(AValue);
}

} // namespace

THistorySource::THistorySource(std::unique_ptr<THistoryStore> AStore, int64_t ALineId)
    : FStore(std::move(AStore)), FLineId(ALineId) {
    FSeenId = FStore->LastSampleId();
    ChooseLine();
}

std::unique_ptr<THistorySource> THistorySource::Open(const std::string& APath) {
    return std::make_unique<THistorySource>(
        THistoryStore::Open(APath, THistoryStore::TMode::ReadOnly));
}

void THistorySource::ChooseLine() {
    const std::vector<TLineInfo> lines = FStore->Lines();
    const TLineInfo* chosen = nullptr;
    for (const TLineInfo& line : lines) {
        if (FLineId != 0 ? line.Id == FLineId : (!chosen || line.LastMs > chosen->LastMs))
            chosen = &line;
    }
    if (chosen) {
        FLine = *chosen;
        FLineId = chosen->Id;
    }
}

THistorySeries THistorySource::Read(int64_t AFromMs, int64_t AToMs) {
    THistorySeries series;
    ChooseLine();
    if (FLineId == 0)
        return series;
    const int64_t from = std::max(AFromMs, FLine.FirstMs);
    const int64_t to = std::min(AToMs, FLine.LastMs);
    // A day at a time: the rows of a whole month would hold every summary value at once.
    for (int64_t start = from; start <= to; start += DayMs)
        Append(series, start, std::min(to, start + DayMs - 1));
    return series;
}

bool THistorySource::Changed() {
    const int64_t last = FStore->LastSampleId();
    if (last == FSeenId)
        return false;
    FSeenId = last;
    return true;
}

bool THistorySource::ReadNewer(THistorySeries& ASeries) {
    const std::size_t before = ASeries.SampleTimesMs.size();
    ChooseLine();
    if (FLineId == 0)
        return false;
    const int64_t from = ASeries.Empty() ? FLine.FirstMs : ASeries.SampleTimesMs.back() + 1;
    for (int64_t start = from; start <= FLine.LastMs; start += DayMs)
        Append(ASeries, start, std::min(FLine.LastMs, start + DayMs - 1));
    return ASeries.SampleTimesMs.size() > before;
}

void THistorySource::Append(THistorySeries& ASeries, int64_t AFromMs, int64_t AToMs) const {
    for (const TSampleRow& row : FStore->Samples(FLineId, AFromMs, AToMs)) {
        const auto key = static_cast<double>(row.TimeMs);
        ASeries.SampleTimesMs.push_back(row.TimeMs);
        const bool completed = row.Outcome == TSampleOutcome::Completed;
        for (TStatDirection direction : {sdDown, sdUp}) {
            // A failed sample has no values: the lines break there.
            auto value = [&](TDirectionItem AItem) {
                return completed ? Number(row.Summary.Get(direction, AItem)) : NoValue;
            };
            Push(ASeries.ActualRate[direction], key, value(diActualRate));
            Push(ASeries.AttainableRate[direction], key, value(diAttainableRate));
            Push(ASeries.SNRMargin[direction], key, value(diSNRMargin));
            Push(ASeries.Attenuation[direction], key, value(diAttenuation));
        }
        if (row.HasSet)
            ASeries.SetTimesMs.push_back(row.TimeMs);
    }
    for (const TIntervalRates& rates : FStore->Rates(FLineId, AFromMs, AToMs))
        for (int counter = 0; counter < ErrorCounterCount; ++counter)
            for (TStatDirection direction : {sdDown, sdUp}) {
                const auto& delta = rates.Delta[direction][CounterItems[counter]];
                if (delta)
                    Push(ASeries.Errors[static_cast<std::size_t>(counter)][direction],
                         static_cast<double>(rates.TimeMs), static_cast<double>(*delta));
            }
    for (const THistoryEvent& event : FStore->Events(FLineId, AFromMs, AToMs))
        ASeries.Events.push_back(
            {static_cast<double>(event.TimeMs), std::string(EventKey(event.Kind)), event.Detail});
}

TToneViews THistorySource::ToneViews(const TToneViewRequest& ARequest) const {
    TToneViews views;
    if (FLineId == 0)
        return views;
    const auto sets = FStore->SetTimes(FLineId, static_cast<int64_t>(ARequest.FromMs),
                                       static_cast<int64_t>(ARequest.ToMs));
    std::optional<TWaterfallBuilder> waterfall;
    for (const auto& [sampleId, timeMs] : sets) {
        // One set at a time: a month of sets never sits in memory.
        const std::unique_ptr<TDrayData> set = FStore->LoadSet(sampleId);
        if (!set)
            continue;
        if (!waterfall) {
            int tones = std::min<int>(VDSLProfileTones[SafeProfile(set->VDSLProfile())],
                                      static_cast<int>(BinArraySize));
            if (ARequest.Quantity == TToneQuantity::SNR && ARequest.SNROnlyFirst512)
                tones = std::min(tones, 512);
            views.DS = TToneEnvelope(tones, ARequest.Quantity);
            views.US = TToneEnvelope(tones, ARequest.Quantity);
            waterfall.emplace(ARequest.FromMs, ARequest.ToMs, tones, ARequest.Quantity,
                              ARequest.Rows, ARequest.Columns, static_cast<int64_t>(sets.size()));
        }
        views.DS.Add(set->ShowBinStatsDS());
        views.US.Add(set->ShowBinStatsUS());
        waterfall->Add(static_cast<double>(timeMs), ARequest.WaterfallDirection == sdDown
                                                        ? set->ShowBinStatsDS()
                                                        : set->ShowBinStatsUS());
    }
    if (waterfall)
        views.Waterfall = waterfall->Take();
    return views;
}

std::unique_ptr<TDrayData> THistorySource::NearestSet(double ATimeMs,
                                                      int64_t* ASampleTimeMs) const {
    if (FLineId == 0)
        return nullptr;
    return FStore->NearestSet(FLineId, static_cast<int64_t>(ATimeMs), ASampleTimeMs);
}

} // namespace vexlorin
