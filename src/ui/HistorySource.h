// One line of a history file, read for the history charts: its samples as time series,
// errors per interval and events (THistorySeries), read a day at a time so that a month of
// samples never sits in memory as rows; newer samples as they arrive (a file another process
// is recording); and the per-tone envelope and waterfall of a time range (ToneViews.h).
#pragma once

#include "history/HistoryStore.h"
#include "history/ToneViews.h"
#include "model/ToneHistory.h"
#include "ui/HistorySeries.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

namespace vexlorin {

class THistorySource {
public:
    // Reads the line ALineId of AStore (ALineId 0: the line with the newest sample).
    THistorySource(std::unique_ptr<history::THistoryStore> AStore, int64_t ALineId = 0);
    // Opens APath read-only. EHistoryError (with what to do) for anything that is not a
    // history file this program can read; the file is not changed.
    static std::unique_ptr<THistorySource> Open(const std::string& APath);

    // The file opened by Open() ("" for a store handed over): threads that read the tone
    // views open it again, each on a connection of its own.
    const std::string& Path() const { return FPath; }

    int64_t LineId() const { return FLineId; }
    const history::TLineInfo* Line() const { return FLineId ? &FLine : nullptr; }
    history::THistoryStore& Store() const { return *FStore; }

    // Every sample of the line in AFromMs..AToMs.
    THistorySeries Read(int64_t AFromMs = std::numeric_limits<int64_t>::min(),
                        int64_t AToMs = std::numeric_limits<int64_t>::max());
    // Appends to ASeries the samples stored since ASeries' last one (the line chosen at
    // start; a file that had no line then gets the newest). True when any came.
    bool ReadNewer(THistorySeries& ASeries);
    // A sample was stored since the last look (cheap: polls the newest id).
    bool Changed();

    // The envelope and the waterfall of a range, now: on two threads for an opened file (see
    // TToneViewsJob), else on this one.
    TToneViews ToneViews(const TToneViewRequest& ARequest) const;
    // The stored set nearest to ATimeMs; null when the line has none.
    std::unique_ptr<TDrayData> NearestSet(double ATimeMs, int64_t* ASampleTimeMs = nullptr) const;

private:
    void ChooseLine();
    void Append(THistorySeries& ASeries, int64_t AFromMs, int64_t AToMs) const;

    std::unique_ptr<history::THistoryStore> FStore;
    int64_t FLineId = 0;
    history::TLineInfo FLine;
    int64_t FSeenId = 0;
    std::string FPath;
};

} // namespace vexlorin
