#include "ui/HistorySource.h"

#include <algorithm>

namespace vexlorin {

using namespace history;

namespace {

constexpr int64_t DayMs = 86'400'000;

constexpr TDirectionItem CounterItems[ErrorCounterCount] = {diCRC, diFEC, diES, diSES};
// The line series of each direction, in this order.
constexpr int SeriesItemCount = 4;
constexpr TDirectionItem SeriesItems[SeriesItemCount] = {diActualRate, diAttainableRate,
                                                         diSNRMargin, diAttenuation};

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
    auto source = std::make_unique<THistorySource>(
        THistoryStore::Open(APath, THistoryStore::TMode::ReadOnly));
    source->FPath = APath;
    return source;
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
    // Only the columns the charts draw: a whole row holds every value of the summary.
    static const std::vector<TDirectionValue> items = [] {
        // Indexed by direction * SeriesItemCount + the item's place in SeriesItems.
        std::vector<TDirectionValue> list(2 * SeriesItemCount);
        for (TStatDirection direction : {sdDown, sdUp})
            for (int item = 0; item < SeriesItemCount; ++item)
                list[static_cast<std::size_t>(direction * SeriesItemCount + item)] = {
                    direction, SeriesItems[item]};
        return list;
    }();
    FStore->VisitSampleValues(FLineId, AFromMs, AToMs, items, [&](const TSampleValues& ASample) {
        const auto key = static_cast<double>(ASample.TimeMs);
        ASeries.SampleTimesMs.push_back(ASample.TimeMs);
        const bool completed = ASample.Outcome == TSampleOutcome::Completed;
        for (TStatDirection direction : {sdDown, sdUp}) {
            // A failed sample has no values: the lines break there.
            auto value = [&](int AItem) {
                return completed ? ASample.Values[static_cast<std::size_t>(
                                       direction * SeriesItemCount + AItem)]
                                 : NoValue;
            };
            Push(ASeries.ActualRate[direction], key, value(0));
            Push(ASeries.AttainableRate[direction], key, value(1));
            Push(ASeries.SNRMargin[direction], key, value(2));
            Push(ASeries.Attenuation[direction], key, value(3));
        }
        if (ASample.HasSet)
            ASeries.SetTimesMs.push_back(ASample.TimeMs);
    });
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
    if (FLineId == 0)
        return {};
    if (FPath.empty())
        return ComputeToneViews(*FStore, FLineId, ARequest);
    return TToneViewsJob(FPath, FLineId, ARequest).Take();
}

std::unique_ptr<TDrayData> THistorySource::NearestSet(double ATimeMs,
                                                      int64_t* ASampleTimeMs) const {
    if (FLineId == 0)
        return nullptr;
    return FStore->NearestSet(FLineId, static_cast<int64_t>(ATimeMs), ASampleTimeMs);
}

} // namespace vexlorin
