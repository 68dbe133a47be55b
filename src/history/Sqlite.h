// A thin RAII layer over SQLite's C interface: a connection, prepared statements with
// bound parameters, and a transaction that rolls back unless committed. Every SQLite
// error becomes an EHistoryError whose message says what to do.
#pragma once

#include "history/HistoryStore.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vexlorin::history::sql {

class TDatabase;

class TStatement {
public:
    TStatement(TDatabase& ADb, std::string_view ASql);
    ~TStatement();
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;
    TStatement(TStatement&& AOther) noexcept;

    // Parameters count from 1.
    TStatement& Bind(int AIndex, int64_t AValue);
    TStatement& Bind(int AIndex, double AValue);
    TStatement& Bind(int AIndex, std::string_view AValue);
    TStatement& BindBlob(int AIndex, std::span<const uint8_t> AValue);
    TStatement& BindNull(int AIndex);

    // Steps once: true when a row is ready.
    bool Step();
    // Steps to the end (a statement without rows).
    void Run();
    void Reset();

    bool IsNull(int AColumn) const;
    int ColumnType(int AColumn) const; // SQLITE_INTEGER, SQLITE_FLOAT, SQLITE_TEXT, ...
    int64_t Int(int AColumn) const;
    double Real(int AColumn) const;
    std::string Text(int AColumn) const;
    // The text without a copy: valid until the next Step, Reset or column call of AColumn.
    std::string_view TextView(int AColumn) const;
    std::vector<uint8_t> Blob(int AColumn) const;
    // A column's type and value in one call (ColumnType and then Int are two, each taking the
    // connection's mutex). Text is valid as for TextView. Only for a statement used by one
    // thread at a time, as all of ours are.
    struct TValue {
        int Type = 5; // SQLITE_NULL
        int64_t Int = 0;
        double Real = 0;
        std::string_view Text;
    };
    TValue Value(int AColumn) const;
    int ColumnCount() const;
    std::string ColumnName(int AColumn) const;

private:
    TDatabase* FDb;
    sqlite3_stmt* FStmt = nullptr;
};

class TDatabase {
public:
    // Opens APath; AReadOnly opens it without write access; ACreate creates it when missing.
    TDatabase(const std::string& APath, bool AReadOnly, bool ACreate);
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    void Exec(std::string_view ASql);
    // As Exec, for the statements SQLite answers "busy" at once, without waiting for the
    // other connection (a change of the journal mode while another process opens the same
    // new file): tried again for as long as a writer waits for another.
    void ExecWaitingWhileBusy(std::string_view ASql);
    int64_t LastInsertId() const;
    int64_t Changes() const;
    sqlite3* Handle() const { return FDb; }
    const std::string& Path() const { return FPath; }

    // Raises the error of the last call, with AWhat ("storing a sample") in the message.
    [[noreturn]] void Fail(int ACode, std::string_view AWhat) const;

private:
    sqlite3* FDb = nullptr;
    std::string FPath;
};

// BEGIN IMMEDIATE at construction; ROLLBACK at destruction unless Commit() ran.
class TTransaction {
public:
    explicit TTransaction(TDatabase& ADb);
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;
    void Commit();

private:
    TDatabase& FDb;
    bool FDone = false;
};

} // namespace vexlorin::history::sql
