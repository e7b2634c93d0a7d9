#pragma once
#include <QString>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// Thin owners of SQLite's own handles: one connection, its prepared
// statements. Every call returns SQLite's result code; nothing throws.

class SqliteStatement
{
public:
    SqliteStatement() = default;
    explicit SqliteStatement(sqlite3_stmt* stmt) : m_stmt(stmt) {}
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }

    // Binding (1-based); an empty optional binds NULL. A failed bind shows in step().
    void bindReal(int at, const std::optional<double>& v);
    void bindInt(int at, const std::optional<int>& v);
    void bindInt64(int at, qint64 v);
    void bindText(int at, const std::optional<QString>& v);

    int step();      // SQLITE_ROW, SQLITE_DONE or the error
    int run();       // one step and a reset: SQLITE_OK when done, else the error
    void reset();    // ready to run again, bindings kept

    // Columns of the current row (0-based).
    bool isNull(int col) const;
    double real(int col) const;
    qint64 int64(int col) const;
    QString text(int col) const;

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_bindError = 0;
};

class SqliteDb
{
public:
    SqliteDb() = default;
    ~SqliteDb() { close(); }
    SqliteDb(const SqliteDb&) = delete;
    SqliteDb& operator=(const SqliteDb&) = delete;

    // sqlite3_open_v2 with `flags` (SQLITE_OPEN_*); on failure the connection
    // stays closed and reason() tells why.
    int open(const QString& pathOrUri, int flags);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    sqlite3* handle() const { return m_db; }

    int exec(const char* sql);
    SqliteStatement prepare(const char* sql);   // invalid on failure
    qint64 lastInsertRowid() const;
    bool isReadOnly() const;                    // the main file refuses writes

    int errorCode() const { return m_error; }   // of the last failed call
    QString reason() const { return m_reason; }

    // Remembers a failure of a statement of this connection; returns `rc`.
    int fail(int rc);

private:
    sqlite3* m_db = nullptr;
    int m_error = 0;
    QString m_reason;
};

// The user's words for SQLite's result `rc` on `db` (may be null), with the
// system's own reason where the failure came from the system.
QString sqliteReason(sqlite3* db, int rc);

// "file:" URI of a local path with a query ("immutable=1").
QString sqliteUri(const QString& path, const char* query);

// True for SQLite's "locked by another connection" results.
bool isBusy(int rc);
