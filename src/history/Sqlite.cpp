#include "history/Sqlite.h"

#include <sqlite3.h>

#include <chrono>
#include <thread>
#include <utility>

namespace vexlorin::history::sql {

namespace {

// How long a writer waits for another one to finish its transaction.
constexpr int BusyTimeoutMs = 5000;

std::string Advice(int ACode, const std::string& APath) {
    switch (ACode & 0xff) {
    case SQLITE_NOTADB:
        return "\"" + APath +
               "\" is not a history database. Give another file with --db, or move this one "
               "away.";
    case SQLITE_CORRUPT:
        return "The history database \"" + APath +
               "\" is damaged. Keep a copy, then recover what it holds with \"sqlite3 " + APath +
               " .recover\" into a new file.";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "The history database \"" + APath +
               "\" is in use by another recorder that keeps it busy; wait for it to finish or "
               "stop it, then try again.";
    case SQLITE_FULL:
        return "The disk holding \"" + APath +
               "\" is full; what was stored before is kept. Free some space and start again.";
    case SQLITE_READONLY:
        return "The history database \"" + APath +
               "\" cannot be written (read-only file or folder); what was stored before is "
               "kept. Give a writable file with --db.";
    case SQLITE_CANTOPEN:
        return "The history database \"" + APath +
               "\" cannot be opened; check that the path exists and may be read (and written, "
               "for recording).";
    case SQLITE_IOERR:
        return "Reading or writing \"" + APath +
               "\" failed (disk error or disk full); what was stored before is kept. Check the "
               "disk and try again.";
    default:
        return "Check the history database \"" + APath + "\" and try again.";
    }
}

} // namespace

TDatabase::TDatabase(const std::string& APath, bool AReadOnly, bool ACreate) : FPath(APath) {
    int flags = AReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (ACreate && !AReadOnly)
        flags |= SQLITE_OPEN_CREATE;
    flags |= SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(APath.c_str(), &FDb, flags, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = FDb ? sqlite3_errmsg(FDb) : "out of memory";
        sqlite3_close_v2(FDb);
        FDb = nullptr;
        throw EHistoryError("Cannot open the history database \"" + APath + "\": " + message +
                            ". " + Advice(rc, APath));
    }
    sqlite3_extended_result_codes(FDb, 1);
    sqlite3_busy_timeout(FDb, BusyTimeoutMs);
    // SQLite opens a file it may not write read-only without a word; a recorder would learn
    // it only at its first sample.
    if (!AReadOnly && sqlite3_db_readonly(FDb, "main") == 1) {
        sqlite3_close_v2(FDb);
        FDb = nullptr;
        throw EHistoryError(Advice(SQLITE_READONLY, APath));
    }
}

TDatabase::~TDatabase() {
    sqlite3_close_v2(FDb);
}

void TDatabase::Fail(int ACode, std::string_view AWhat) const {
    throw EHistoryError("History database error while " + std::string(AWhat) + ": " +
                        sqlite3_errmsg(FDb) + ". " + Advice(ACode, FPath));
}

void TDatabase::Exec(std::string_view ASql) {
    const std::string sqlText(ASql);
    char* error = nullptr;
    const int rc = sqlite3_exec(FDb, sqlText.c_str(), nullptr, nullptr, &error);
    sqlite3_free(error);
    if (rc != SQLITE_OK)
        Fail(rc, "running \"" + sqlText.substr(0, 40) + "\"");
}

void TDatabase::ExecWaitingWhileBusy(std::string_view ASql) {
    const std::string sqlText(ASql);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(BusyTimeoutMs);
    for (;;) {
        const int rc = sqlite3_exec(FDb, sqlText.c_str(), nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            return;
        if ((rc & 0xff) != SQLITE_BUSY || std::chrono::steady_clock::now() >= giveUp)
            Fail(rc, "running \"" + sqlText.substr(0, 40) + "\"");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int64_t TDatabase::LastInsertId() const {
    return sqlite3_last_insert_rowid(FDb);
}
int64_t TDatabase::Changes() const {
    return sqlite3_changes64(FDb);
}

TStatement::TStatement(TDatabase& ADb, std::string_view ASql) : FDb(&ADb) {
    const int rc = sqlite3_prepare_v2(ADb.Handle(), ASql.data(), static_cast<int>(ASql.size()),
                                      &FStmt, nullptr);
    if (rc != SQLITE_OK)
        ADb.Fail(rc, "preparing a query");
}

TStatement::~TStatement() {
    sqlite3_finalize(FStmt);
}

TStatement::TStatement(TStatement&& AOther) noexcept
    : FDb(AOther.FDb), FStmt(std::exchange(AOther.FStmt, nullptr)) {}

TStatement& TStatement::Bind(int AIndex, int64_t AValue) {
    sqlite3_bind_int64(FStmt, AIndex, AValue);
    return *this;
}
TStatement& TStatement::Bind(int AIndex, double AValue) {
    sqlite3_bind_double(FStmt, AIndex, AValue);
    return *this;
}
TStatement& TStatement::Bind(int AIndex, std::string_view AValue) {
    sqlite3_bind_text64(FStmt, AIndex, AValue.data(), AValue.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    return *this;
}
TStatement& TStatement::BindBlob(int AIndex, std::span<const uint8_t> AValue) {
    sqlite3_bind_blob64(FStmt, AIndex, AValue.data(), AValue.size(), SQLITE_TRANSIENT);
    return *this;
}
TStatement& TStatement::BindNull(int AIndex) {
    sqlite3_bind_null(FStmt, AIndex);
    return *this;
}

bool TStatement::Step() {
    const int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    FDb->Fail(rc, "reading or writing samples");
}

void TStatement::Run() {
    while (Step()) {
    }
}

void TStatement::Reset() {
    sqlite3_reset(FStmt);
    sqlite3_clear_bindings(FStmt);
}

bool TStatement::IsNull(int AColumn) const {
    return sqlite3_column_type(FStmt, AColumn) == SQLITE_NULL;
}
int TStatement::ColumnType(int AColumn) const {
    return sqlite3_column_type(FStmt, AColumn);
}
int64_t TStatement::Int(int AColumn) const {
    return sqlite3_column_int64(FStmt, AColumn);
}
double TStatement::Real(int AColumn) const {
    return sqlite3_column_double(FStmt, AColumn);
}
std::string TStatement::Text(int AColumn) const {
    const auto* text = sqlite3_column_text(FStmt, AColumn);
    const int size = sqlite3_column_bytes(FStmt, AColumn);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size))
                : std::string();
}
std::string_view TStatement::TextView(int AColumn) const {
    const auto* text = sqlite3_column_text(FStmt, AColumn);
    const int size = sqlite3_column_bytes(FStmt, AColumn);
    return text ? std::string_view(reinterpret_cast<const char*>(text),
                                   static_cast<std::size_t>(size))
                : std::string_view();
}
TStatement::TValue TStatement::Value(int AColumn) const {
    sqlite3_value* value = sqlite3_column_value(FStmt, AColumn);
    TValue out;
    out.Type = sqlite3_value_type(value);
    switch (out.Type) {
    case SQLITE_INTEGER:
        out.Int = sqlite3_value_int64(value);
        break;
    case SQLITE_FLOAT:
        out.Real = sqlite3_value_double(value);
        break;
    case SQLITE_TEXT:
        if (const auto* text = sqlite3_value_text(value))
            out.Text = std::string_view(reinterpret_cast<const char*>(text),
                                        static_cast<std::size_t>(sqlite3_value_bytes(value)));
        break;
    default:
        break;
    }
    return out;
}
std::vector<uint8_t> TStatement::Blob(int AColumn) const {
    const auto* data = static_cast<const uint8_t*>(sqlite3_column_blob(FStmt, AColumn));
    const int size = sqlite3_column_bytes(FStmt, AColumn);
    return data ? std::vector<uint8_t>(data, data + size) : std::vector<uint8_t>();
}
int TStatement::ColumnCount() const {
    return sqlite3_column_count(FStmt);
}
std::string TStatement::ColumnName(int AColumn) const {
    return sqlite3_column_name(FStmt, AColumn);
}

TTransaction::TTransaction(TDatabase& ADb) : FDb(ADb) {
    FDb.Exec("BEGIN IMMEDIATE");
}

TTransaction::~TTransaction() {
    if (!FDone)
        sqlite3_exec(FDb.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TTransaction::Commit() {
    FDb.Exec("COMMIT");
    FDone = true;
}

} // namespace vexlorin::history::sql
