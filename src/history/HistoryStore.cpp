#include "history/HistoryStore.h"

#include "history/Compression.h"
#include "history/Sqlite.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <system_error>

namespace vexlorin::history {

namespace {

using sql::TDatabase;
using sql::TStatement;
using sql::TTransaction;

// What a summary column holds.
struct TColumn {
    std::string Name;
    enum TGroup : uint8_t { Line, Direction, Bits } Group;
    TStatDirection Dir;
    uint8_t Item;
    TSummaryKind Kind;
};

// The summary's columns, in the order of the descriptor tables: the line's values, then
// downstream and upstream ("ds_", "us_" with the field key), then the bit loading
// ("bits_ds_", "bits_us_").
const std::vector<TColumn>& SummaryColumns() {
    static const std::vector<TColumn> columns = [] {
        std::vector<TColumn> list;
        for (std::size_t i = 0; i < LineFields().size(); ++i)
            list.push_back({std::string(LineFields()[i].Key), TColumn::Line, sdDown,
                            static_cast<uint8_t>(i), LineFields()[i].Kind});
        for (TStatDirection dir : {sdDown, sdUp})
            for (std::size_t i = 0; i < DirectionFields().size(); ++i)
                list.push_back(
                    {std::string(DirectionKey(dir)) + "_" + std::string(DirectionFields()[i].Key),
                     TColumn::Direction, dir, static_cast<uint8_t>(i), DirectionFields()[i].Kind});
        for (TStatDirection dir : {sdDown, sdUp})
            for (std::size_t i = 0; i < BitsFields().size(); ++i)
                list.push_back({"bits_" + std::string(DirectionKey(dir)) + "_" +
                                    std::string(BitsFields()[i].Key),
                                TColumn::Bits, dir, static_cast<uint8_t>(i), BitsFields()[i].Kind});
        return list;
    }();
    return columns;
}

const TSummaryValue& ColumnValue(const TLineSummary& ASummary, const TColumn& AColumn) {
    switch (AColumn.Group) {
    case TColumn::Line:
        return ASummary.Line[AColumn.Item];
    case TColumn::Direction:
        return ASummary.Directions[AColumn.Dir][AColumn.Item];
    case TColumn::Bits:
        return ASummary.Bits[AColumn.Dir][AColumn.Item];
    }
    return ASummary.Line[0];
}

TSummaryValue& ColumnValue(TLineSummary& ASummary, const TColumn& AColumn) {
    return const_cast<TSummaryValue&>(
        ColumnValue(static_cast<const TLineSummary&>(ASummary), AColumn));
}

std::string Quoted(const std::string& AName) {
    return "\"" + AName + "\"";
}

std::string ColumnList() {
    std::string list;
    for (const TColumn& column : SummaryColumns())
        list += ", " + Quoted(column.Name);
    return list;
}

// The schema, one step per version: a file of version N runs the steps after N. The
// summary columns are typeless so that every value keeps its kind (integer, decimal, text).
std::vector<std::function<void(TDatabase&)>> Migrations() {
    return {
        [](TDatabase& ADb) {
            std::string samples =
                "CREATE TABLE samples ("
                "id INTEGER PRIMARY KEY, "
                "line_id INTEGER NOT NULL REFERENCES lines(id) ON DELETE CASCADE, "
                "time_ms INTEGER NOT NULL, "
                "outcome TEXT NOT NULL, "
                "ending TEXT NOT NULL, "
                "message TEXT NOT NULL, "
                "duration_s REAL NOT NULL, "
                "has_set INTEGER NOT NULL DEFAULT 0";
            for (const TColumn& column : SummaryColumns())
                samples += ", " + Quoted(column.Name);
            samples += ")";
            ADb.Exec("CREATE TABLE lines (id INTEGER PRIMARY KEY, host TEXT NOT NULL, "
                     "port INTEGER NOT NULL, router_name TEXT NOT NULL, "
                     "UNIQUE (host, port, router_name))");
            ADb.Exec(samples);
            ADb.Exec("CREATE INDEX samples_by_time ON samples (line_id, time_ms)");
            ADb.Exec("CREATE INDEX samples_with_sets ON samples (line_id, time_ms) "
                     "WHERE has_set = 1");
            // kind "set": the statistics-file encoding of the whole set; "status": the
            // statistics text alone (lines joined by LF), for samples without tables.
            // base_id: the stored set (of the same line, with no base itself) the data was
            // compressed against; a base is kept as long as data refers to it.
            ADb.Exec("CREATE TABLE sample_data (sample_id INTEGER PRIMARY KEY "
                     "REFERENCES samples(id) ON DELETE CASCADE, kind TEXT NOT NULL, "
                     "raw_size INTEGER NOT NULL, data BLOB NOT NULL, "
                     "base_id INTEGER REFERENCES samples(id))");
            ADb.Exec("CREATE INDEX sample_data_by_base ON sample_data (base_id)");
            ADb.Exec("CREATE TABLE events (id INTEGER PRIMARY KEY, "
                     "line_id INTEGER NOT NULL REFERENCES lines(id) ON DELETE CASCADE, "
                     "sample_id INTEGER REFERENCES samples(id) ON DELETE CASCADE, "
                     "time_ms INTEGER NOT NULL, kind TEXT NOT NULL, detail TEXT NOT NULL)");
            ADb.Exec("CREATE INDEX events_by_time ON events (line_id, time_ms)");
            ADb.Exec("CREATE INDEX events_by_sample ON events (sample_id)");
        },
    };
}

std::string Lower(std::string AText) {
    std::transform(AText.begin(), AText.end(), AText.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return AText;
}

bool InShowtime(const TLineSummary& ASummary) {
    const auto state = ASummary[liState].AsText();
    return state && Lower(*state) == "showtime";
}

std::string Show(const TSummaryValue& AValue) {
    if (auto i = AValue.AsInteger())
        return std::to_string(*i);
    if (auto t = AValue.AsText())
        return *t;
    if (auto n = AValue.AsNumber())
        return std::to_string(*n);
    return "-";
}

const char* OutcomeKey(TSampleOutcome AOutcome) {
    return AOutcome == TSampleOutcome::Completed ? "completed" : "failed";
}

class TSqliteStore final : public THistoryStore {
public:
    TSqliteStore(const std::string& APath, TMode AMode);

    int64_t LineId(const TLineKey& AKey) override;
    int64_t AddSample(int64_t ALineId, const TSampleInput& ASample) override;
    std::vector<TLineInfo> Lines() const override;
    std::vector<TSampleRow> Samples(int64_t ALineId, int64_t AFromMs, int64_t AToMs) const override;
    void VisitSamples(
        int64_t ALineId, int64_t AFromMs, int64_t AToMs,
        const std::function<void(const TSampleRow&, const TIntervalRates*)>& AVisit) const override;
    void VisitSampleValues(int64_t ALineId, int64_t AFromMs, int64_t AToMs,
                           const std::vector<TDirectionValue>& AItems,
                           const std::function<void(const TSampleValues&)>& AVisit) const override;
    std::vector<TIntervalRates> Rates(int64_t ALineId, int64_t AFromMs,
                                      int64_t AToMs) const override;
    std::vector<THistoryEvent> Events(int64_t ALineId, int64_t AFromMs,
                                      int64_t AToMs) const override;
    std::vector<std::pair<int64_t, int64_t>> SetTimes(int64_t ALineId, int64_t AFromMs,
                                                      int64_t AToMs) const override;
    std::unique_ptr<TDrayData> LoadSet(int64_t ASampleId) const override;
    std::unique_ptr<TDrayData> NearestSet(int64_t ALineId, int64_t ATimeMs,
                                          int64_t* ASampleTimeMs) const override;
    std::vector<uint8_t> SetBytes(int64_t ASampleId) const override;
    int64_t Prune(int64_t AOlderThanMs) override;
    int64_t LastSampleId() const override;
    std::vector<TSampleRow> SamplesAfter(int64_t AAfterId) const override;
    std::string IntegrityCheck() const override;

private:
    void CheckSchema(bool AReadWrite);
    void RequireWritable() const;
    // AExpected: the number of rows the query gives, when known (saves moving the rows).
    std::vector<TSampleRow> ReadRows(TStatement& AQuery, std::size_t AExpected = 0) const;
    static void ReadRow(const TStatement& AQuery, TSampleRow& ARow);
    std::size_t CountInRange(int64_t ALineId, int64_t AFromMs, int64_t AToMs,
                             bool ACompletedOnly) const;
    std::optional<TSampleRow> LastSample(int64_t ALineId, bool ACompletedOnly) const;
    // The events of a sample about to be stored, from the samples stored before it.
    std::vector<std::pair<TEventKind, std::string>> DeriveEvents(int64_t ALineId, bool ACompleted,
                                                                 const TSampleInput& ASample,
                                                                 const TLineSummary& ASummary);

    // A stored set without a base, in its encoding: what later samples are compressed
    // against.
    struct TBase {
        int64_t Id = 0, TimeMs = 0;
        std::vector<uint8_t> Bytes;
    };
    // The base for a sample of the line at ATimeMs: the line's newest base when it is less
    // than BaseSetEvery away; null when a new base is due.
    const TBase* BaseFor(int64_t ALineId, int64_t ATimeMs);
    std::vector<uint8_t> SetBytesLocked(int64_t ASampleId) const;

    TMode FMode;
    mutable TDatabase FDb;
    mutable std::mutex FLock;
    std::map<int64_t, TBase> FWriteBases; // by line
    mutable TBase FReadBase;              // the base read last
};

// A new base set once a day: each stored set is compressed against the line's base, so
// that what stays the same from one sample to the next is stored once a day.
constexpr int64_t BaseSetEvery = 24 * 3600 * 1000;

// A counter that went backwards started again from zero: the delta is its new value.
int64_t CounterDelta(int64_t AWas, int64_t ANow) {
    return ANow >= AWas ? ANow - AWas : ANow;
}

std::string SelectSamples() {
    return "SELECT id, line_id, time_ms, outcome, ending, message, duration_s, has_set" +
           ColumnList() + " FROM samples ";
}

TDatabase OpenDatabase(const std::string& APath, THistoryStore::TMode AMode) {
    namespace fs = std::filesystem;
    std::error_code error;
    const bool readOnly = AMode == THistoryStore::TMode::ReadOnly;
    if (!fs::exists(APath, error)) {
        if (readOnly)
            throw EHistoryError("The history database \"" + APath +
                                "\" does not exist; record into it first with \"vexlorin-cli "
                                "watch --db " +
                                APath + "\", or give another file with --db.");
        const fs::path folder = fs::path(APath).parent_path();
        if (!folder.empty() && !fs::exists(folder, error) && !fs::create_directories(folder, error))
            throw EHistoryError("Cannot create the folder of the history database \"" + APath +
                                "\": " + error.message() + ". Give another file with --db.");
    } else if (fs::is_directory(APath, error)) {
        throw EHistoryError("\"" + APath +
                            "\" is a folder, not a history database; give a file with --db.");
    }
    return TDatabase(APath, readOnly, !readOnly);
}

TSqliteStore::TSqliteStore(const std::string& APath, TMode AMode)
    : FMode(AMode), FDb(OpenDatabase(APath, AMode)) {
    // Reading the schema first: a file that is not a history database, or one of a newer
    // version, is refused before anything could change it.
    CheckSchema(AMode == TMode::ReadWrite);
}

namespace {

// The schema version of the file: 0 for a file without tables (a new one). Refuses a file
// with tables but no version (not ours), without a valid version, or of a newer one.
int SchemaVersion(TDatabase& ADb) {
    const std::string& path = ADb.Path();
    int64_t tables = 0;
    bool hasVersion = false;
    {
        TStatement query(ADb, "SELECT name FROM sqlite_master WHERE type = 'table'");
        while (query.Step()) {
            ++tables;
            if (query.Text(0) == "schema_version")
                hasVersion = true;
        }
    }
    if (tables > 0 && !hasVersion)
        throw EHistoryError("\"" + path +
                            "\" is an SQLite database but not a history database (it has no "
                            "history tables); it was left as it is. Give another file with --db.");
    int version = 0;
    if (hasVersion) {
        TStatement query(ADb, "SELECT max(version) FROM schema_version");
        if (query.Step() && !query.IsNull(0))
            version = static_cast<int>(query.Int(0));
        if (version < 1)
            throw EHistoryError("The history database \"" + path +
                                "\" has no valid schema version; it was left as it is. Give "
                                "another file with --db.");
    }
    if (version > HistorySchemaVersion)
        throw EHistoryError("The history database \"" + path + "\" was written by a newer " +
                            "vexlorin (schema version " + std::to_string(version) +
                            ", this one reads up to " + std::to_string(HistorySchemaVersion) +
                            "); it was left as it is. Use the newer vexlorin to read it.");
    return version;
}

} // namespace

void TSqliteStore::CheckSchema(bool AReadWrite) {
    const std::string& path = FDb.Path();
    // Read first: a file that is not a history database, or one of a newer version, is
    // refused before anything could change it.
    int version = SchemaVersion(FDb);
    FDb.Exec("PRAGMA foreign_keys = ON");
    // Reads of long ranges go through the page cache of the system, not through copies.
    FDb.Exec("PRAGMA mmap_size = 268435456");
    if (!AReadWrite) {
        if (version == 0)
            throw EHistoryError("\"" + path +
                                "\" holds no history yet; record into it first with "
                                "\"vexlorin-cli watch\".");
        if (version < HistorySchemaVersion)
            throw EHistoryError("The history database \"" + path +
                                "\" is of an older schema version; open it once for recording "
                                "(\"vexlorin-cli watch\") to bring it up to date.");
        return;
    }
    FDb.ExecWaitingWhileBusy("PRAGMA journal_mode = WAL");
    FDb.Exec("PRAGMA synchronous = NORMAL");
    if (version == HistorySchemaVersion)
        return;
    // Forward migrations, all in one write transaction: a file is either of its old
    // version or of the new one. Another recorder may have created or migrated the file
    // since it was read, so the version is read again once the file is ours.
    TTransaction transaction(FDb);
    version = SchemaVersion(FDb);
    if (version == HistorySchemaVersion)
        return;
    if (version == 0)
        FDb.Exec("CREATE TABLE schema_version (version INTEGER NOT NULL)");
    const auto steps = Migrations();
    for (int step = version; step < HistorySchemaVersion; ++step)
        steps[static_cast<std::size_t>(step)](FDb);
    FDb.Exec("DELETE FROM schema_version");
    FDb.Exec("INSERT INTO schema_version (version) VALUES (" +
             std::to_string(HistorySchemaVersion) + ")");
    transaction.Commit();
}

void TSqliteStore::RequireWritable() const {
    if (FMode != TMode::ReadWrite)
        throw EHistoryError("The history database \"" + FDb.Path() +
                            "\" was opened for reading only.");
}

int64_t TSqliteStore::LineId(const TLineKey& AKey) {
    std::lock_guard lock(FLock);
    {
        TStatement find(FDb,
                        "SELECT id FROM lines WHERE host = ? AND port = ? AND router_name = ?");
        find.Bind(1, AKey.Host).Bind(2, int64_t{AKey.Port}).Bind(3, AKey.RouterName);
        if (find.Step())
            return find.Int(0);
    }
    RequireWritable();
    TStatement add(FDb, "INSERT INTO lines (host, port, router_name) VALUES (?, ?, ?)");
    add.Bind(1, AKey.Host).Bind(2, int64_t{AKey.Port}).Bind(3, AKey.RouterName);
    add.Run();
    return FDb.LastInsertId();
}

std::size_t TSqliteStore::CountInRange(int64_t ALineId, int64_t AFromMs, int64_t AToMs,
                                       bool ACompletedOnly) const {
    TStatement count(FDb, std::string("SELECT count(*) FROM samples WHERE line_id = ? AND "
                                      "time_ms BETWEEN ? AND ?") +
                              (ACompletedOnly ? " AND outcome = 'completed'" : ""));
    count.Bind(1, ALineId).Bind(2, AFromMs).Bind(3, AToMs);
    return count.Step() ? static_cast<std::size_t>(count.Int(0)) : 0;
}

void TSqliteStore::ReadRow(const TStatement& AQuery, TSampleRow& ARow) {
    const auto& columns = SummaryColumns();
    ARow.Id = AQuery.Int(0);
    ARow.LineId = AQuery.Int(1);
    ARow.TimeMs = AQuery.Int(2);
    ARow.Outcome =
        AQuery.TextView(3) == "completed" ? TSampleOutcome::Completed : TSampleOutcome::Failed;
    ARow.Ending.assign(AQuery.TextView(4));
    ARow.Message.assign(AQuery.TextView(5));
    ARow.DurationSeconds = AQuery.Real(6);
    ARow.HasSet = AQuery.Int(7) != 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int at = static_cast<int>(i) + 8;
        TSummaryValue& value = ColumnValue(ARow.Summary, columns[i]);
        const TStatement::TValue column = AQuery.Value(at);
        switch (column.Type) {
        case 1: // SQLITE_INTEGER
            value = TSummaryValue::Integer(column.Int);
            break;
        case 2: // SQLITE_FLOAT
            value = TSummaryValue::Decimal(column.Real);
            break;
        case 3: // SQLITE_TEXT
            value = TSummaryValue::Text(std::string(column.Text));
            break;
        default:
            value = TSummaryValue();
            break;
        }
    }
}

std::vector<TSampleRow> TSqliteStore::ReadRows(TStatement& AQuery, std::size_t AExpected) const {
    std::vector<TSampleRow> rows;
    rows.reserve(AExpected);
    while (AQuery.Step())
        ReadRow(AQuery, rows.emplace_back());
    return rows;
}

void TSqliteStore::VisitSamples(
    int64_t ALineId, int64_t AFromMs, int64_t AToMs,
    const std::function<void(const TSampleRow&, const TIntervalRates*)>& AVisit) const {
    std::lock_guard lock(FLock);
    // The completed sample before the range gives the first interval.
    TSampleRow previous;
    bool hasPrevious = false;
    {
        TStatement before(FDb, SelectSamples() +
                                   "WHERE line_id = ? AND time_ms < ? AND outcome = 'completed' "
                                   "ORDER BY time_ms DESC, id DESC LIMIT 1");
        before.Bind(1, ALineId).Bind(2, AFromMs);
        if (before.Step()) {
            ReadRow(before, previous);
            hasPrevious = true;
        }
    }
    TStatement query(FDb, SelectSamples() + "WHERE line_id = ? AND time_ms BETWEEN ? AND ? "
                                            "ORDER BY time_ms, id");
    query.Bind(1, ALineId).Bind(2, AFromMs).Bind(3, AToMs);
    TSampleRow row;
    while (query.Step()) {
        ReadRow(query, row);
        if (row.Outcome != TSampleOutcome::Completed) {
            AVisit(row, nullptr);
            continue;
        }
        if (hasPrevious) {
            const TIntervalRates rates =
                RatesBetween(&previous.Summary, previous.TimeMs, row.Summary, row.TimeMs);
            AVisit(row, &rates);
        } else {
            AVisit(row, nullptr);
        }
        // Every value of the row is read again into what was the previous one.
        std::swap(previous, row);
        hasPrevious = true;
    }
}

std::optional<TSampleRow> TSqliteStore::LastSample(int64_t ALineId, bool ACompletedOnly) const {
    TStatement query(FDb, SelectSamples() + "WHERE line_id = ?" +
                              (ACompletedOnly ? " AND outcome = 'completed'" : "") +
                              " ORDER BY time_ms DESC, id DESC LIMIT 1");
    query.Bind(1, ALineId);
    auto rows = ReadRows(query);
    if (rows.empty())
        return std::nullopt;
    return std::move(rows.front());
}

std::vector<std::pair<TEventKind, std::string>>
TSqliteStore::DeriveEvents(int64_t ALineId, bool ACompleted, const TSampleInput& ASample,
                           const TLineSummary& ASummary) {
    std::vector<std::pair<TEventKind, std::string>> events;
    const auto add = [&events](TEventKind AKind, std::string ADetail) {
        events.emplace_back(AKind, std::move(ADetail));
    };
    const auto previous = LastSample(ALineId, false);
    const bool completed = ACompleted;
    const bool wasReachable = !previous || previous->Outcome == TSampleOutcome::Completed;
    if (!completed) {
        if (wasReachable)
            add(TEventKind::Unreachable,
                ASample.Ending + (ASample.Message.empty() ? "" : ": " + ASample.Message));
        return events;
    }
    if (!wasReachable)
        add(TEventKind::Reachable, "");
    const auto last = previous && previous->Outcome == TSampleOutcome::Completed
                          ? previous
                          : LastSample(ALineId, true);
    if (!last)
        return events;
    const TLineSummary& before = last->Summary;
    const bool wasUp = InShowtime(before), isUp = InShowtime(ASummary);
    if (wasUp && !isUp)
        add(TEventKind::LineDown, "state " + Show(ASummary[liState]));
    bool cameBack = false;
    if (!wasUp && isUp) {
        add(TEventKind::LineUp, "state " + Show(before[liState]) + " -> SHOWTIME");
        TStatement earlier(FDb, "SELECT 1 FROM samples WHERE line_id = ? AND "
                                "lower(\"state\") = 'showtime' LIMIT 1");
        earlier.Bind(1, ALineId);
        cameBack = earlier.Step();
    }
    // Counters that went backwards: the line came up again since the last sample.
    std::string resets;
    for (const TColumn& column : SummaryColumns()) {
        if (column.Kind != skCounter || column.Name == "retrains")
            continue;
        const auto was = ColumnValue(before, column).AsInteger();
        const auto now = ColumnValue(ASummary, column).AsInteger();
        if (was && now && *now < *was)
            resets += (resets.empty() ? "" : ", ") + column.Name + " " + std::to_string(*was) +
                      " -> " + std::to_string(*now);
    }
    const auto linksWas = before[liRetrains].AsInteger();
    const auto linksNow = ASummary[liRetrains].AsInteger();
    if (linksWas && linksNow && *linksNow < *linksWas)
        resets += (resets.empty() ? "" : ", ") + std::string("retrains ") +
                  std::to_string(*linksWas) + " -> " + std::to_string(*linksNow);
    if (!resets.empty())
        add(TEventKind::CounterReset, resets);
    if (linksWas && linksNow && *linksNow > *linksWas)
        add(TEventKind::Retrain,
            "link times " + std::to_string(*linksWas) + " -> " + std::to_string(*linksNow));
    else if (cameBack)
        add(TEventKind::Retrain, "the line left showtime and came back");
    else if (!resets.empty())
        add(TEventKind::Retrain, "the counters started again");
    return events;
}

int64_t TSqliteStore::AddSample(int64_t ALineId, const TSampleInput& ASample) {
    std::lock_guard lock(FLock);
    RequireWritable();
    const bool completed = ASample.Outcome == TSampleOutcome::Completed && ASample.Set;
    TLineSummary summary;
    std::vector<uint8_t> raw;
    const char* kind = "status";
    if (completed) {
        if (ASample.WithTables) {
            summary = SummarizeSet(*ASample.Set);
            raw = ASample.Set->SaveToBytes();
            kind = "set";
        } else {
            // The bins tables were not read: the summary is the status text's, and the
            // text is kept so that it can be read again by a later summary.
            summary = SummarizeStatus(ASample.Set->Stats());
            const std::string text = JoinLines(ASample.Set->Stats());
            raw.assign(text.begin(), text.end());
        }
    }
    const TBase* base = raw.empty() ? nullptr : BaseFor(ALineId, ASample.TimeMs);
    const bool newBase = !raw.empty() && !base && std::string_view(kind) == "set";
    const auto compressed = raw.empty() ? std::vector<uint8_t>()
                                        : Compress(raw, base ? std::span<const uint8_t>(base->Bytes)
                                                             : std::span<const uint8_t>());

    TTransaction transaction(FDb);
    const auto& columns = SummaryColumns();
    std::string insert = "INSERT INTO samples (line_id, time_ms, outcome, ending, message, "
                         "duration_s, has_set" +
                         ColumnList() + ") VALUES (?, ?, ?, ?, ?, ?, ?";
    for (std::size_t i = 0; i < columns.size(); ++i)
        insert += ", ?";
    insert += ")";
    TStatement add(FDb, insert);
    const bool hasSet = completed && ASample.WithTables;
    add.Bind(1, ALineId)
        .Bind(2, ASample.TimeMs)
        .Bind(3, OutcomeKey(completed ? TSampleOutcome::Completed : TSampleOutcome::Failed));
    add.Bind(4, ASample.Ending).Bind(5, ASample.Message).Bind(6, ASample.DurationSeconds);
    add.Bind(7, int64_t{hasSet ? 1 : 0});
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int at = static_cast<int>(i) + 8;
        const TSummaryValue& value = ColumnValue(summary, columns[i]);
        if (auto integer = value.AsInteger())
            add.Bind(at, *integer);
        else if (auto text = value.AsText())
            add.Bind(at, *text);
        else if (auto number = value.AsNumber())
            add.Bind(at, *number);
        else
            add.BindNull(at);
    }
    // Events compare with the samples stored before this one.
    const auto events = DeriveEvents(ALineId, completed, ASample, summary);
    add.Run();
    const int64_t id = FDb.LastInsertId();
    if (!compressed.empty()) {
        TStatement data(FDb, "INSERT INTO sample_data (sample_id, kind, raw_size, data, base_id) "
                             "VALUES (?, ?, ?, ?, ?)");
        data.Bind(1, id).Bind(2, kind).Bind(3, static_cast<int64_t>(raw.size()));
        data.BindBlob(4, compressed);
        if (base)
            data.Bind(5, base->Id);
        else
            data.BindNull(5);
        data.Run();
    }
    if (!events.empty()) {
        TStatement add(FDb, "INSERT INTO events (line_id, sample_id, time_ms, kind, detail) "
                            "VALUES (?, ?, ?, ?, ?)");
        for (const auto& [eventKind, detail] : events) {
            add.Bind(1, ALineId).Bind(2, id).Bind(3, ASample.TimeMs).Bind(4, EventKey(eventKind));
            add.Bind(5, detail);
            add.Run();
            add.Reset();
        }
    }
    transaction.Commit();
    // Only a committed set can be a base.
    if (newBase)
        FWriteBases[ALineId] = {id, ASample.TimeMs, std::move(raw)};
    return id;
}

const TSqliteStore::TBase* TSqliteStore::BaseFor(int64_t ALineId, int64_t ATimeMs) {
    const auto near = [ATimeMs](const TBase& ABase) {
        return ATimeMs >= ABase.TimeMs && ATimeMs - ABase.TimeMs < BaseSetEvery;
    };
    if (auto found = FWriteBases.find(ALineId); found != FWriteBases.end() && near(found->second))
        return &found->second;
    TStatement query(FDb, "SELECT s.id, s.time_ms FROM samples s JOIN sample_data d ON "
                          "d.sample_id = s.id WHERE s.line_id = ? AND d.kind = 'set' AND "
                          "d.base_id IS NULL ORDER BY s.time_ms DESC LIMIT 1");
    query.Bind(1, ALineId);
    if (!query.Step())
        return nullptr;
    TBase base{query.Int(0), query.Int(1), {}};
    if (!near(base))
        return nullptr;
    base.Bytes = SetBytesLocked(base.Id);
    return &(FWriteBases[ALineId] = std::move(base));
}

std::vector<TLineInfo> TSqliteStore::Lines() const {
    std::lock_guard lock(FLock);
    TStatement query(FDb, "SELECT l.id, l.host, l.port, l.router_name, min(s.time_ms), "
                          "max(s.time_ms), count(s.id) FROM lines l LEFT JOIN samples s ON "
                          "s.line_id = l.id GROUP BY l.id ORDER BY l.id");
    std::vector<TLineInfo> lines;
    while (query.Step()) {
        TLineInfo& line = lines.emplace_back();
        line.Id = query.Int(0);
        line.Key.Host = query.Text(1);
        line.Key.Port = static_cast<uint16_t>(query.Int(2));
        line.Key.RouterName = query.Text(3);
        line.FirstMs = query.Int(4);
        line.LastMs = query.Int(5);
        line.Samples = query.Int(6);
    }
    return lines;
}

std::vector<TSampleRow> TSqliteStore::Samples(int64_t ALineId, int64_t AFromMs,
                                              int64_t AToMs) const {
    std::lock_guard lock(FLock);
    TStatement query(FDb, SelectSamples() + "WHERE line_id = ? AND time_ms BETWEEN ? AND ? "
                                            "ORDER BY time_ms, id");
    query.Bind(1, ALineId).Bind(2, AFromMs).Bind(3, AToMs);
    return ReadRows(query, CountInRange(ALineId, AFromMs, AToMs, false));
}

void TSqliteStore::VisitSampleValues(
    int64_t ALineId, int64_t AFromMs, int64_t AToMs, const std::vector<TDirectionValue>& AItems,
    const std::function<void(const TSampleValues&)>& AVisit) const {
    std::string names;
    for (const TDirectionValue& item : AItems) {
        if (static_cast<std::size_t>(item.Item) >= DirectionFields().size())
            throw EHistoryError("No such value of the line summary.");
        names += ", " + Quoted(std::string(DirectionKey(item.Direction)) + "_" +
                               std::string(DirectionFields()[item.Item].Key));
    }
    std::lock_guard lock(FLock);
    TStatement query(FDb, "SELECT time_ms, outcome = 'completed', has_set" + names +
                              " FROM samples WHERE line_id = ? AND time_ms BETWEEN ? AND ? "
                              "ORDER BY time_ms, id");
    query.Bind(1, ALineId).Bind(2, AFromMs).Bind(3, AToMs);
    TSampleValues sample;
    sample.Values.resize(AItems.size());
    while (query.Step()) {
        sample.TimeMs = query.Int(0);
        sample.Outcome = query.Int(1) != 0 ? TSampleOutcome::Completed : TSampleOutcome::Failed;
        sample.HasSet = query.Int(2) != 0;
        for (std::size_t i = 0; i < AItems.size(); ++i) {
            const int at = static_cast<int>(i) + 3;
            const int type = query.ColumnType(at);
            // SQLITE_INTEGER, SQLITE_FLOAT: numbers as the row's values read them.
            sample.Values[i] = type == 1   ? static_cast<double>(query.Int(at))
                               : type == 2 ? query.Real(at)
                                           : std::numeric_limits<double>::quiet_NaN();
        }
        AVisit(sample);
    }
}

std::vector<TIntervalRates> TSqliteStore::Rates(int64_t ALineId, int64_t AFromMs,
                                                int64_t AToMs) const {
    // Only the counters are read: a month of samples is tens of thousands of rows.
    using TCounters = std::array<std::array<std::optional<int64_t>, DirectionItemCount>, 2>;
    std::vector<const TColumn*> counters;
    std::string names;
    for (const TColumn& column : SummaryColumns())
        if (column.Group == TColumn::Direction && column.Kind == skCounter) {
            counters.push_back(&column);
            names += ", " + Quoted(column.Name);
        }
    std::vector<std::pair<int64_t, TCounters>> rows;
    {
        std::lock_guard lock(FLock);
        const auto read = [&](TStatement& AQuery) {
            while (AQuery.Step()) {
                auto& [time, values] = rows.emplace_back();
                time = AQuery.Int(0);
                for (std::size_t i = 0; i < counters.size(); ++i) {
                    const TStatement::TValue value = AQuery.Value(static_cast<int>(i) + 1);
                    if (value.Type == 1) // SQLITE_INTEGER
                        values[counters[i]->Dir][counters[i]->Item] = value.Int;
                }
            }
        };
        rows.reserve(CountInRange(ALineId, AFromMs, AToMs, true) + 1);
        // The completed sample before the range gives the first interval.
        TStatement before(FDb, "SELECT time_ms" + names +
                                   " FROM samples WHERE line_id = ? AND time_ms < ? AND "
                                   "outcome = 'completed' ORDER BY time_ms DESC, id DESC LIMIT 1");
        before.Bind(1, ALineId).Bind(2, AFromMs);
        read(before);
        TStatement query(FDb, "SELECT time_ms" + names +
                                  " FROM samples WHERE line_id = ? AND time_ms BETWEEN ? AND ? "
                                  "AND outcome = 'completed' ORDER BY time_ms, id");
        query.Bind(1, ALineId).Bind(2, AFromMs).Bind(3, AToMs);
        read(query);
    }
    std::vector<TIntervalRates> rates;
    rates.reserve(rows.size());
    for (std::size_t i = 1; i < rows.size(); ++i) {
        TIntervalRates& rate = rates.emplace_back();
        rate.TimeMs = rows[i].first;
        rate.IntervalMs = rows[i].first - rows[i - 1].first;
        for (const TColumn* column : counters) {
            const auto was = rows[i - 1].second[column->Dir][column->Item];
            const auto now = rows[i].second[column->Dir][column->Item];
            if (was && now)
                rate.Delta[column->Dir][column->Item] = CounterDelta(*was, *now);
        }
    }
    return rates;
}

std::vector<THistoryEvent> TSqliteStore::Events(int64_t ALineId, int64_t AFromMs,
                                                int64_t AToMs) const {
    std::lock_guard lock(FLock);
    TStatement query(FDb, "SELECT line_id, time_ms, kind, detail FROM events WHERE line_id = ? "
                          "AND time_ms BETWEEN ? AND ? ORDER BY time_ms, id");
    query.Bind(1, ALineId).Bind(2, AFromMs).Bind(3, AToMs);
    std::vector<THistoryEvent> events;
    while (query.Step()) {
        const std::string key = query.Text(2);
        for (TEventKind kind :
             {TEventKind::Retrain, TEventKind::LineDown, TEventKind::LineUp,
              TEventKind::CounterReset, TEventKind::Unreachable, TEventKind::Reachable})
            if (EventKey(kind) == key) {
                events.push_back({query.Int(0), query.Int(1), kind, query.Text(3)});
                break;
            }
    }
    return events;
}

std::vector<std::pair<int64_t, int64_t>> TSqliteStore::SetTimes(int64_t ALineId, int64_t AFromMs,
                                                                int64_t AToMs) const {
    std::lock_guard lock(FLock);
    TStatement query(FDb, "SELECT id, time_ms FROM samples WHERE line_id = ? AND has_set = 1 "
                          "AND time_ms BETWEEN ? AND ? ORDER BY time_ms, id");
    query.Bind(1, ALineId).Bind(2, AFromMs).Bind(3, AToMs);
    std::vector<std::pair<int64_t, int64_t>> times;
    while (query.Step())
        times.emplace_back(query.Int(0), query.Int(1));
    return times;
}

std::vector<uint8_t> TSqliteStore::SetBytes(int64_t ASampleId) const {
    std::lock_guard lock(FLock);
    return SetBytesLocked(ASampleId);
}

std::vector<uint8_t> TSqliteStore::SetBytesLocked(int64_t ASampleId) const {
    TStatement query(FDb, "SELECT raw_size, data, base_id FROM sample_data WHERE sample_id = ? "
                          "AND kind = 'set'");
    query.Bind(1, ASampleId);
    if (!query.Step())
        return {};
    const auto compressed = query.Blob(1);
    const auto size = static_cast<uint64_t>(query.Int(0));
    if (query.IsNull(2))
        return Decompress(compressed, size);
    const int64_t baseId = query.Int(2);
    if (FReadBase.Id != baseId || FReadBase.Bytes.empty()) {
        TStatement base(FDb, "SELECT raw_size, data FROM sample_data WHERE sample_id = ? AND "
                             "kind = 'set' AND base_id IS NULL");
        base.Bind(1, baseId);
        if (!base.Step())
            throw EHistoryError("A stored set of the history database is damaged (the set it "
                                "was stored against is missing); the other samples can still "
                                "be read. Choose another time.");
        FReadBase = {baseId, 0, Decompress(base.Blob(1), static_cast<uint64_t>(base.Int(0)))};
    }
    return Decompress(compressed, size, FReadBase.Bytes);
}

std::unique_ptr<TDrayData> TSqliteStore::LoadSet(int64_t ASampleId) const {
    const auto bytes = SetBytes(ASampleId);
    if (bytes.empty())
        return nullptr;
    auto set = std::make_unique<TDrayData>();
    try {
        set->LoadFromBytes(bytes);
    } catch (const std::exception& AError) {
        throw EHistoryError(std::string("The stored set of sample ") + std::to_string(ASampleId) +
                            " cannot be read (" + AError.what() +
                            "); the other samples can still be read. Choose another time.");
    }
    return set;
}

std::unique_ptr<TDrayData> TSqliteStore::NearestSet(int64_t ALineId, int64_t ATimeMs,
                                                    int64_t* ASampleTimeMs) const {
    std::optional<std::pair<int64_t, int64_t>> best;
    {
        std::lock_guard lock(FLock);
        // The nearest on either side, each found through the index of samples with sets.
        const auto consider = [&](const char* ASql) {
            TStatement query(FDb, ASql);
            query.Bind(1, ALineId).Bind(2, ATimeMs);
            if (!query.Step())
                return;
            const std::pair<int64_t, int64_t> found{query.Int(0), query.Int(1)};
            const auto distance = [ATimeMs](int64_t AAt) {
                return AAt > ATimeMs ? AAt - ATimeMs : ATimeMs - AAt;
            };
            if (!best || distance(found.second) < distance(best->second))
                best = found;
        };
        consider("SELECT id, time_ms FROM samples WHERE line_id = ? AND has_set = 1 AND "
                 "time_ms <= ? ORDER BY time_ms DESC LIMIT 1");
        consider("SELECT id, time_ms FROM samples WHERE line_id = ? AND has_set = 1 AND "
                 "time_ms > ? ORDER BY time_ms LIMIT 1");
    }
    if (!best)
        return nullptr;
    if (ASampleTimeMs)
        *ASampleTimeMs = best->second;
    return LoadSet(best->first);
}

int64_t TSqliteStore::Prune(int64_t AOlderThanMs) {
    std::lock_guard lock(FLock);
    RequireWritable();
    FWriteBases.clear();
    TTransaction transaction(FDb);
    {
        TStatement events(FDb, "DELETE FROM events WHERE time_ms < ?");
        events.Bind(1, AOlderThanMs);
        events.Run();
        // Twice: the data of old samples first, then the old bases nothing refers to any
        // more. A base that newer data refers to stays, with its sample.
        TStatement data(FDb, "DELETE FROM sample_data WHERE sample_id IN "
                             "(SELECT id FROM samples WHERE time_ms < ?) AND sample_id NOT IN "
                             "(SELECT base_id FROM sample_data WHERE base_id IS NOT NULL)");
        for (int pass = 0; pass < 2; ++pass) {
            data.Bind(1, AOlderThanMs);
            data.Run();
            data.Reset();
        }
    }
    TStatement samples(FDb, "DELETE FROM samples WHERE time_ms < ? AND id NOT IN "
                            "(SELECT sample_id FROM sample_data)");
    samples.Bind(1, AOlderThanMs);
    samples.Run();
    const int64_t removed = FDb.Changes();
    transaction.Commit();
    return removed;
}

int64_t TSqliteStore::LastSampleId() const {
    std::lock_guard lock(FLock);
    TStatement query(FDb, "SELECT coalesce(max(id), 0) FROM samples");
    return query.Step() ? query.Int(0) : 0;
}

std::vector<TSampleRow> TSqliteStore::SamplesAfter(int64_t AAfterId) const {
    std::lock_guard lock(FLock);
    TStatement query(FDb, SelectSamples() + "WHERE id > ? ORDER BY id");
    query.Bind(1, AAfterId);
    return ReadRows(query);
}

std::string TSqliteStore::IntegrityCheck() const {
    std::lock_guard lock(FLock);
    TStatement query(FDb, "PRAGMA integrity_check");
    return query.Step() ? query.Text(0) : std::string("no answer");
}

} // namespace

std::string_view EventKey(TEventKind AKind) {
    switch (AKind) {
    case TEventKind::Retrain:
        return "retrain";
    case TEventKind::LineDown:
        return "line-down";
    case TEventKind::LineUp:
        return "line-up";
    case TEventKind::CounterReset:
        return "counter-reset";
    case TEventKind::Unreachable:
        return "unreachable";
    case TEventKind::Reachable:
        return "reachable";
    }
    return "unknown";
}

TIntervalRates RatesBetween(const TLineSummary* APrevious, int64_t APreviousMs,
                            const TLineSummary& ACurrent, int64_t ACurrentMs) {
    TIntervalRates rates;
    rates.TimeMs = ACurrentMs;
    if (!APrevious)
        return rates;
    rates.IntervalMs = ACurrentMs - APreviousMs;
    for (TStatDirection dir : {sdUp, sdDown})
        for (std::size_t item = 0; item < DirectionFields().size(); ++item) {
            if (DirectionFields()[item].Kind != skCounter)
                continue;
            const auto was = APrevious->Directions[dir][item].AsInteger();
            const auto now = ACurrent.Directions[dir][item].AsInteger();
            if (!was || !now)
                continue;
            rates.Delta[dir][item] = CounterDelta(*was, *now);
        }
    return rates;
}

std::unique_ptr<THistoryStore> THistoryStore::Open(const std::string& APath, TMode AMode) {
    return std::make_unique<TSqliteStore>(APath, AMode);
}

std::string DefaultHistoryPath() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        return std::string(xdg) + "/vexlorin/history.sqlite";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.local/share/vexlorin/history.sqlite";
}

} // namespace vexlorin::history
