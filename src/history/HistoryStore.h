// The line history: samples of any number of lines in one SQLite file. A line is a router
// console (host, port, router name). Each sample keeps its time, how the retrieval ended,
// the line summary's values as columns and, for samples that read the per-tone tables, the
// whole set in the statistics-file encoding, compressed with zstd, so any such sample opens
// as an ordinary set. Events (retrain, line down/up, counter reset, unreachable/reachable)
// are derived when a sample is stored.
//
// The file is kept in WAL mode with synchronous=NORMAL: a crash at any moment loses at most
// the sample being stored, never what was stored before. Each sample is one transaction.
#pragma once

#include "model/LineSummary.h"
#include "model/uDrayData.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexlorin::history {

struct TLineKey {
    std::string Host;
    uint16_t Port = 23;
    std::string RouterName = "DrayTek";
    friend bool operator==(const TLineKey&, const TLineKey&) = default;
};

struct TLineInfo {
    int64_t Id = 0;
    TLineKey Key;
    int64_t FirstMs = 0, LastMs = 0; // times of the first and last sample (0 when none)
    int64_t Samples = 0;
};

enum class TSampleOutcome : uint8_t { Completed, Failed };

// What the recorder stores.
struct TSampleInput {
    int64_t TimeMs = 0; // UTC ms since the epoch
    TSampleOutcome Outcome = TSampleOutcome::Completed;
    // The reader's ending as a stable key ("completed", "not-in-showtime", "connect-failed",
    // ...; see EndingKey in Recorder.h).
    std::string Ending = "completed";
    std::string Message; // the failure's message ("" when completed)
    double DurationSeconds = 0;
    // Completed samples: the set; its summary is computed by the store. Its per-tone tables
    // are stored when WithTables.
    const TDrayData* Set = nullptr;
    bool WithTables = false;
};

// What readers get back.
struct TSampleRow {
    int64_t Id = 0, LineId = 0, TimeMs = 0;
    TSampleOutcome Outcome = TSampleOutcome::Completed;
    std::string Ending, Message;
    double DurationSeconds = 0;
    TLineSummary Summary; // the values as stored (absent stay absent; bands left out)
    bool HasSet = false;  // a stored set (per-tone tables) exists for this sample
};

// A few values of a sample, read without the rest of its row (see VisitSampleValues).
struct TSampleValues {
    int64_t TimeMs = 0;
    TSampleOutcome Outcome = TSampleOutcome::Completed;
    bool HasSet = false;
    // As the items asked for: the value as a number; NaN when the sample holds none (absent,
    // or text).
    std::vector<double> Values;
};
// A direction's item: the summary value Get(Direction, Item).
struct TDirectionValue {
    TStatDirection Direction = sdDown;
    TDirectionItem Item = diActualRate;
};

enum class TEventKind : uint8_t { Retrain, LineDown, LineUp, CounterReset, Unreachable, Reachable };
struct THistoryEvent {
    int64_t LineId = 0, TimeMs = 0;
    TEventKind Kind = TEventKind::Retrain;
    std::string Detail;
};
// "retrain", "line-down", "line-up", "counter-reset", "unreachable", "reachable".
std::string_view EventKey(TEventKind AKind);

// Errors per interval from the cumulative counters of two completed samples in a row. A
// counter that went backwards was reset: its delta is its new value, never negative.
struct TIntervalRates {
    int64_t TimeMs = 0;     // the later sample
    int64_t IntervalMs = 0; // since the previous completed sample
    // Indexed by TStatDirection and TDirectionItem; only the counter items (skCounter) are
    // filled, and only when both samples hold the counter.
    std::array<std::array<std::optional<int64_t>, DirectionItemCount>, 2> Delta;
};

// The deltas between two summaries, as above; APrevious null gives no deltas.
TIntervalRates RatesBetween(const TLineSummary* APrevious, int64_t APreviousMs,
                            const TLineSummary& ACurrent, int64_t ACurrentMs);

// Every failure of the store, with a message that says what happened and what to do: not a
// history database, damaged, of a newer schema version, busy, disk full, read-only.
class EHistoryError : public Exception {
public:
    using Exception::Exception;
};

class THistoryStore {
public:
    enum class TMode { ReadWrite, ReadOnly };
    // ReadWrite creates the file (and its folder) when missing. A file that is not SQLite,
    // SQLite without the history's tables, or a newer schema version raise EHistoryError;
    // the file is then left as it was.
    static std::unique_ptr<THistoryStore> Open(const std::string& APath, TMode AMode);
    virtual ~THistoryStore() = default;

    // Finds the line, or adds it (ReadWrite).
    virtual int64_t LineId(const TLineKey& AKey) = 0;
    // Stores one sample in one transaction and derives its events; returns its id.
    virtual int64_t AddSample(int64_t ALineId, const TSampleInput& ASample) = 0;

    virtual std::vector<TLineInfo> Lines() const = 0;
    // Samples with AFromMs <= time <= AToMs, in time order.
    virtual std::vector<TSampleRow> Samples(int64_t ALineId, int64_t AFromMs,
                                            int64_t AToMs) const = 0;
    // The same rows one at a time, without keeping them (long exports), each with the rates
    // of the interval it ends, as Rates gives them (null for a failed sample and for one with
    // no completed sample before it), from the same reading of the rows.
    virtual void VisitSamples(
        int64_t ALineId, int64_t AFromMs, int64_t AToMs,
        const std::function<void(const TSampleRow&, const TIntervalRates*)>& AVisit) const = 0;
    // The samples with AFromMs <= time <= AToMs in time order, each with the values of
    // AItems alone: the time charts of a month read a few of the summary's columns.
    virtual void
    VisitSampleValues(int64_t ALineId, int64_t AFromMs, int64_t AToMs,
                      const std::vector<TDirectionValue>& AItems,
                      const std::function<void(const TSampleValues&)>& AVisit) const = 0;
    // One entry per completed sample in the range that has a completed sample before it.
    virtual std::vector<TIntervalRates> Rates(int64_t ALineId, int64_t AFromMs,
                                              int64_t AToMs) const = 0;
    virtual std::vector<THistoryEvent> Events(int64_t ALineId, int64_t AFromMs,
                                              int64_t AToMs) const = 0;
    // (sample id, time) of the samples with stored sets, in time order.
    virtual std::vector<std::pair<int64_t, int64_t>> SetTimes(int64_t ALineId, int64_t AFromMs,
                                                              int64_t AToMs) const = 0;
    // The stored set of a sample, decoded from the statistics-file encoding; null when the
    // sample has none.
    virtual std::unique_ptr<TDrayData> LoadSet(int64_t ASampleId) const = 0;
    // The stored set nearest to ATimeMs (either side); null when the line has none.
    virtual std::unique_ptr<TDrayData> NearestSet(int64_t ALineId, int64_t ATimeMs,
                                                  int64_t* ASampleTimeMs = nullptr) const = 0;
    // The encoded bytes of a stored set as they were written (decompressed); empty when none.
    virtual std::vector<uint8_t> SetBytes(int64_t ASampleId) const = 0;
    // Drops samples (and their sets and events) older than AOlderThanMs; returns how many.
    virtual int64_t Prune(int64_t AOlderThanMs) = 0;
    // The newest sample id (0 when none): followers poll it and read newer samples.
    virtual int64_t LastSampleId() const = 0;
    // Samples with an id above AAfterId, in id order (for followers).
    virtual std::vector<TSampleRow> SamplesAfter(int64_t AAfterId) const = 0;
    // "ok" when SQLite's integrity check finds nothing, else its first finding.
    virtual std::string IntegrityCheck() const = 0;
};

// $XDG_DATA_HOME/vexlorin/history.sqlite, else ~/.local/share/vexlorin/history.sqlite.
std::string DefaultHistoryPath();

// The schema version this build writes; a file with a higher one is refused.
inline constexpr int HistorySchemaVersion = 1;

} // namespace vexlorin::history
