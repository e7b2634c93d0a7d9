#pragma once
#include "storage/ProfileSchema.h"
#include "storage/Sqlite.h"
#include <memory>

// A profile file held open through SQLite's own interface.
//
// open() checks the file's bytes and then its schema on a read-only
// connection before any connection that may write is made, and writes nothing
// itself, so a file that is only looked at stays byte-identical. A file that
// may be written is then held exclusively until close(); a file without write
// permission, or in a folder that takes no new file (SQLite's journal), is
// opened read-only and held against writers.
//
// Each write is committed before it returns, in rollback-journal mode with a
// full sync: the .db file alone then holds it, whatever is copied or killed.
// close() leaves no journal beside the file.
class ProfileDatabase
{
public:
    ProfileDatabase();
    ~ProfileDatabase();
    ProfileDatabase(const ProfileDatabase&) = delete;
    ProfileDatabase& operator=(const ProfileDatabase&) = delete;

    // Opens `path` and reads its rows in stored order; the reason on refusal
    // (noRows() true when refused under OpenRows::Required for having none).
    Status open(const QString& path, std::vector<StoredRow>* rows, OpenRows need = OpenRows::Any);
    bool noRows() const { return m_noRows; }
    void close();
    bool isOpen() const { return m_db.isOpen(); }
    bool isReadOnly() const { return m_readOnly; }

    // Each is one committed transaction, unless between begin() and commit().
    // The reason on failure; a failed write inside begin() needs rollback().
    Status insert(StoredRow* row);   // sets its rowid
    Status update(const StoredRow& row);
    Status remove(qint64 rowid);
    Status setMark(qint64 rowid, bool mark);
    Status setOrder(qint64 rowid, double ord);
    Status begin();
    Status commit();
    void rollback();

    // Every row of a profile file, read on a read-only connection: nothing is
    // written to the file or beside it. A file a crash left with a journal to
    // replay is read as SQLite recovers it, from a private copy.
    static Result<std::vector<StoredRow>> read(const QString& path);

    // Builds a profile file holding `rows` whole: under a hidden temporary name
    // beside `path` (stale ones of ours are removed first), renamed over `path`
    // once every row is on the disk, so a failure leaves `path` as it was. A
    // profile file held open by another connection is not replaced.
    static Status build(const QString& path, const std::vector<StoredRow>& rows);

    // Whether another connection holds the profile file at `path` (a recording,
    // a window, a save in progress), found without writing anything near it.
    static bool isHeld(const QString& path);

private:
    struct Statements;
    Status writable();
    Status written(int rc);
    SqliteDb m_db;
    std::unique_ptr<Statements> m_sql;
    QString m_path;
    bool m_readOnly = false;
    bool m_noRows = false;
};
