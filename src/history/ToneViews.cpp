#include "history/ToneViews.h"

#include <algorithm>

namespace vexlorin::history {

namespace {

using TSetTimes = std::vector<std::pair<int64_t, int64_t>>;
using TBinTables = TDrayData::TBinTables;

// The bins tables of a stored set, decoded without the rest of it; none when the sample
// has no stored set.
std::optional<TBinTables> LoadTables(const THistoryStore& AStore, int64_t ASampleId) {
    const std::vector<uint8_t> bytes = AStore.SetBytes(ASampleId);
    if (bytes.empty())
        return std::nullopt;
    try {
        return TDrayData::ReadBinTables(bytes);
    } catch (const std::exception& AError) {
        throw EHistoryError(std::string("The stored set of sample ") + std::to_string(ASampleId) +
                            " cannot be read (" + AError.what() +
                            "); the other samples can still be read. Choose another time.");
    }
}

// What one thread gathers from its share of the sets.
struct TPartial {
    TToneEnvelope DS, US;
    TWaterfallBuilder Waterfall;

    TPartial(const TToneViewRequest& ARequest, int ATones, int64_t ASets)
        : DS(ATones, ARequest.Quantity), US(ATones, ARequest.Quantity),
          Waterfall(ARequest.FromMs, ARequest.ToMs, ATones, ARequest.Quantity, ARequest.Rows,
                    ARequest.Columns, ASets) {}

    void Add(const TToneViewRequest& ARequest, double ATimeMs, const TBinTables& ASet) {
        DS.Add(ASet.DS);
        US.Add(ASet.US);
        Waterfall.Add(ATimeMs, ARequest.WaterfallDirection == sdDown ? ASet.DS : ASet.US);
    }
};

// The tones the views cover: the first set's profile decides.
int TonesOf(const TBinTables& ASet, const TToneViewRequest& ARequest) {
    int tones =
        std::min<int>(VDSLProfileTones[SafeProfile(ASet.Profile)], static_cast<int>(BinArraySize));
    if (ARequest.Quantity == TToneQuantity::SNR && ARequest.SNROnlyFirst512)
        tones = std::min(tones, 512);
    return tones;
}

bool IsCancelled(const TToneViewsProgress* AProgress) {
    return AProgress && AProgress->Cancelled.load(std::memory_order_relaxed);
}

void Count(TToneViewsProgress* AProgress) {
    if (AProgress)
        AProgress->SetsDone.fetch_add(1, std::memory_order_relaxed);
}

// Sets ABegin..AEnd of ASets into APartial, one at a time.
void AddSets(const THistoryStore& AStore, const TSetTimes& ASets, std::size_t ABegin,
             std::size_t AEnd, const TToneViewRequest& ARequest, TPartial& APartial,
             TToneViewsProgress* AProgress) {
    for (std::size_t i = ABegin; i < AEnd && !IsCancelled(AProgress); ++i) {
        const std::optional<TBinTables> set = LoadTables(AStore, ASets[i].first);
        if (set)
            APartial.Add(ARequest, static_cast<double>(ASets[i].second), *set);
        Count(AProgress);
    }
}

// The first set of ASets that loads (its index in AAt); null when none does.
std::optional<TBinTables> FirstSet(const THistoryStore& AStore, const TSetTimes& ASets,
                                   std::size_t& AAt, TToneViewsProgress* AProgress) {
    for (AAt = 0; AAt < ASets.size() && !IsCancelled(AProgress); ++AAt) {
        std::optional<TBinTables> set = LoadTables(AStore, ASets[AAt].first);
        Count(AProgress);
        if (set)
            return set;
    }
    return std::nullopt;
}

TToneViews Finish(TPartial& APartial) {
    TToneViews views;
    views.DS = std::move(APartial.DS);
    views.US = std::move(APartial.US);
    views.Waterfall = APartial.Waterfall.Take();
    return views;
}

// The views of ASets, read from AStore on this thread and from connections of their own to
// APath on AThreads - 1 more.
TToneViews Compute(const THistoryStore& AStore, const std::string& APath, const TSetTimes& ASets,
                   const TToneViewRequest& ARequest, int AThreads, TToneViewsProgress* AProgress) {
    if (AProgress)
        AProgress->SetsTotal = static_cast<int64_t>(ASets.size());
    std::size_t first = 0;
    const std::optional<TBinTables> set = FirstSet(AStore, ASets, first, AProgress);
    if (!set)
        return {};
    const int tones = TonesOf(*set, ARequest);
    const auto sets = static_cast<int64_t>(ASets.size());
    TPartial mine(ARequest, tones, sets);
    mine.Add(ARequest, static_cast<double>(ASets[first].second), *set);

    // The rest in one contiguous share per thread: neighbouring sets share the set they were
    // compressed against, which each connection keeps decoded.
    const std::size_t rest = ASets.size() - first - 1;
    const auto threads = static_cast<std::size_t>(
        std::clamp<int64_t>(AThreads, 1, std::max<int64_t>(1, static_cast<int64_t>(rest) / 8)));
    std::vector<std::size_t> bounds(threads + 1);
    for (std::size_t k = 0; k <= threads; ++k)
        bounds[k] = first + 1 + rest * k / threads;

    std::vector<std::optional<TPartial>> others(threads);
    std::vector<std::exception_ptr> errors(threads);
    std::vector<std::thread> workers;
    for (std::size_t k = 1; k < threads; ++k) {
        others[k].emplace(ARequest, tones, sets);
        workers.emplace_back([&, k] {
            try {
                const auto store = THistoryStore::Open(APath, THistoryStore::TMode::ReadOnly);
                AddSets(*store, ASets, bounds[k], bounds[k + 1], ARequest, *others[k], AProgress);
            } catch (...) {
                errors[k] = std::current_exception();
                if (AProgress)
                    AProgress->Cancelled = true; // the others need not go on
            }
        });
    }
    try {
        AddSets(AStore, ASets, bounds[0], bounds[1], ARequest, mine, AProgress);
    } catch (...) {
        errors[0] = std::current_exception();
        if (AProgress)
            AProgress->Cancelled = true;
    }
    for (std::thread& worker : workers)
        worker.join();
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
    // In time order, as one thread would have added them.
    for (std::size_t k = 1; k < threads; ++k) {
        mine.DS.Merge(others[k]->DS);
        mine.US.Merge(others[k]->US);
        mine.Waterfall.Merge(others[k]->Waterfall);
    }
    return Finish(mine);
}

} // namespace

TToneViews ComputeToneViews(const THistoryStore& AStore, int64_t ALineId,
                            const TToneViewRequest& ARequest, TToneViewsProgress* AProgress) {
    if (ALineId == 0)
        return {};
    const TSetTimes sets = AStore.SetTimes(ALineId, static_cast<int64_t>(ARequest.FromMs),
                                           static_cast<int64_t>(ARequest.ToMs));
    return Compute(AStore, std::string(), sets, ARequest, 1, AProgress);
}

TToneViewsJob::TToneViewsJob(std::string APath, int64_t ALineId, TToneViewRequest ARequest,
                             int AThreads, std::function<void()> AOnDone)
    : FPath(std::move(APath)), FLineId(ALineId), FRequest(ARequest), FOnDone(std::move(AOnDone)) {
    FThread = std::thread([this, AThreads] { Run(AThreads); });
}

TToneViewsJob::~TToneViewsJob() {
    Cancel();
    if (FThread.joinable())
        FThread.join();
}

void TToneViewsJob::Run(int AThreads) {
    std::optional<TToneViews> result;
    std::exception_ptr error;
    try {
        if (FLineId == 0) {
            result.emplace();
        } else {
            const auto store = THistoryStore::Open(FPath, THistoryStore::TMode::ReadOnly);
            const TSetTimes sets = store->SetTimes(FLineId, static_cast<int64_t>(FRequest.FromMs),
                                                   static_cast<int64_t>(FRequest.ToMs));
            result = Compute(*store, FPath, sets, FRequest, AThreads, &FProgress);
        }
    } catch (...) {
        error = std::current_exception();
    }
    {
        std::lock_guard lock(FLock);
        FResult = std::move(result);
        FError = error;
    }
    FDone = true;
    if (FOnDone)
        FOnDone();
}

TToneViews TToneViewsJob::Take() {
    if (FThread.joinable())
        FThread.join();
    std::lock_guard lock(FLock);
    if (FError)
        std::rethrow_exception(FError);
    TToneViews views = FResult ? std::move(*FResult) : TToneViews{};
    FResult.reset();
    return views;
}

} // namespace vexlorin::history
