#include "storage/ProfileDatabase.h"
#include "storage/FileSystem.h"
#include "storage/Log.h"
#include "storage/StaleTempFiles.h"
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <QCoreApplication>

namespace {

// The main file alone as it lies on the disk, whatever journal lies beside it.
QString immutableUri(const QString& path) { return sqliteUri(path, "immutable=1"); }

// Checks the bytes, then the schema on a read-only connection. `recover`
// tells that a crash left a journal or log that only a writer can replay: the
// main file alone is checked then (the replay restores it to its last commit).
Status validate(const QString& path, ProfileHeader* header, bool* recover)
{
    if (Status s = checkProfileHeader(path, header); !s)
        return s;
    SqliteDb db;
    *recover = header->walMode && QFileInfo::exists(path + "-wal");
    // A read-only connection to a file in write-ahead-log mode would make -wal
    // and -shm files beside it: such a file is only read as it lies.
    if (!header->walMode) {
        if (db.open(path, SQLITE_OPEN_READONLY) != SQLITE_OK)
            return Status::failure(db.reason());
        const Status s = checkSchema(db);
        if (s || db.errorCode() != SQLITE_READONLY_ROLLBACK)
            return s;
        *recover = true;
    }
    if (db.open(immutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI) != SQLITE_OK)
        return Status::failure(db.reason());
    return checkSchema(db);
}

// The rows of one read transaction on `db`.
Status readAll(SqliteDb& db, std::vector<StoredRow>* rows)
{
    if (db.exec("BEGIN") != SQLITE_OK)
        return Status::failure(db.reason());
    Status s = checkSchema(db);
    if (s)
        s = loadRows(db, rows);
    db.exec(s ? "COMMIT" : "ROLLBACK");
    return s;
}

// A file with a journal to replay, read from a copy that SQLite recovers.
Result<std::vector<StoredRow>> readRecovered(const QString& path)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath("profile.db");
    if (!dir.isValid() || !QFile::copy(path, copy))
        return Status::failure(QCoreApplication::translate("Storage", "文件无法读取。"));
    for (const char* suffix : {"-journal", "-wal"})
        if (QFileInfo::exists(path + suffix) && !QFile::copy(path + suffix, copy + suffix))
            return Status::failure(QCoreApplication::translate("Storage", "文件无法读取。"));
    SqliteDb db;
    if (db.open(copy, SQLITE_OPEN_READWRITE) != SQLITE_OK)
        return Status::failure(db.reason());
    std::vector<StoredRow> rows;
    if (const Status s = readAll(db, &rows); !s)
        return s;
    return rows;
}

// A new profile file at `path` (an empty file) holding `rows`, in one transaction.
Status fill(const QString& path, const std::vector<StoredRow>& rows)
{
    SqliteDb db;
    if (db.open(path, SQLITE_OPEN_READWRITE) != SQLITE_OK)
        return Status::failure(db.reason());
    // Locked from the start: a cleaner of stale temporary files sees it held.
    if (db.exec("PRAGMA locking_mode=EXCLUSIVE; PRAGMA synchronous=FULL; BEGIN EXCLUSIVE") != SQLITE_OK
        || createSchema(db) != SQLITE_OK)
        return Status::failure(db.reason());
    {
        SqliteStatement insert = db.prepare(kInsertRowSql);
        if (!insert.isValid())
            return Status::failure(db.reason());
        for (const StoredRow& r : rows) {
            bindRow(insert, r.row, r.ord);
            if (const int rc = insert.run(); rc != SQLITE_OK) {
                db.fail(rc);
                return Status::failure(db.reason());
            }
        }
    }
    if (db.exec("COMMIT") != SQLITE_OK)
        return Status::failure(db.reason());
    return Status();
}

}  // namespace

struct ProfileDatabase::Statements
{
    SqliteStatement insert, update, remove, mark, order;
};

ProfileDatabase::ProfileDatabase() = default;

ProfileDatabase::~ProfileDatabase() { close(); }

Status ProfileDatabase::open(const QString& path, std::vector<StoredRow>* rows, OpenRows need)
{
    close();
    auto refuse = [&](const QString& why) {
        close();
        qCInfo(lcStorage) << "refused" << path << why;
        return Status::failure(why);
    };
    ProfileHeader header;
    bool recover = false;
    if (const Status s = validate(path, &header, &recover); !s)
        return refuse(s.message());
    // Writable only where SQLite can also make its journal beside the file.
    m_readOnly = !checkCreatable(path).ok();
    if (!m_readOnly) {
        if (m_db.open(path, SQLITE_OPEN_READWRITE) != SQLITE_OK)
            return refuse(m_db.reason());
        m_readOnly = m_db.isReadOnly();   // no write permission on the file
    }
    if (m_readOnly && recover)
        return refuse(sqliteReason(nullptr, SQLITE_READONLY_ROLLBACK));
    if (m_readOnly) {
        const int opened = header.walMode ? m_db.open(immutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI)
                                          : m_db.open(path, SQLITE_OPEN_READONLY);
        if (opened != SQLITE_OK)
            return refuse(m_db.reason());
    }
    // The rows are read before the write lock is taken: taking it, SQLite
    // rewrites a header page count that does not match the file (and so the
    // change counter), and a file refused must be left as it was. In exclusive
    // locking mode the shared lock of that read is kept: no other writer comes
    // in before the lock. The lock, kept until close, is exclusive on a
    // writable file and shared (against writers) on a read-only one.
    if (m_db.exec("PRAGMA locking_mode=EXCLUSIVE; PRAGMA synchronous=FULL") != SQLITE_OK
        || m_db.exec("BEGIN") != SQLITE_OK)
        return refuse(m_db.reason());
    std::vector<StoredRow> loaded;
    Status s = checkSchema(m_db);
    if (s)
        s = loadRows(m_db, &loaded);
    m_db.exec(s ? "COMMIT" : "ROLLBACK");
    if (!s)
        return refuse(s.message());
    if (need == OpenRows::Required && loaded.empty()) {
        const Status refused = refuse(QCoreApplication::translate("Storage", "文件中没有数据。"));
        m_noRows = true;
        return refused;
    }
    if (!m_readOnly && m_db.exec("BEGIN EXCLUSIVE; COMMIT") != SQLITE_OK)
        return refuse(m_db.reason());
    m_path = path;
    *rows = std::move(loaded);
    qCDebug(lcStorage) << "opened" << path << (m_readOnly ? "read-only" : "exclusive") << rows->size() << "rows";
    return Status();
}

void ProfileDatabase::close()
{
    if (m_db.isOpen())
        qCDebug(lcStorage) << "closed" << m_path;
    m_sql.reset();
    // In exclusive locking mode SQLite deletes the journal as the connection closes.
    m_db.close();
    m_readOnly = false;
    m_noRows = false;
    m_path.clear();
}

Status ProfileDatabase::writable()
{
    if (m_readOnly)
        return Status::failure(sqliteReason(nullptr, SQLITE_READONLY));
    if (m_sql)
        return Status();
    // A file an earlier build left in write-ahead-log mode goes over to the
    // rollback journal before its first change: then the .db alone holds every row.
    {
        SqliteStatement mode = m_db.prepare("PRAGMA journal_mode");
        if (!mode.isValid() || mode.step() != SQLITE_ROW)
            return Status::failure(m_db.reason());
        const bool wal = mode.text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
        mode = SqliteStatement();
        if (wal && m_db.exec("PRAGMA journal_mode=DELETE") != SQLITE_OK)
            return written(m_db.errorCode());
    }
    auto sql = std::make_unique<Statements>();
    sql->insert = m_db.prepare(kInsertRowSql);
    sql->update = m_db.prepare(kUpdateRowSql);
    sql->remove = m_db.prepare(kDeleteRowSql);
    sql->mark = m_db.prepare(kSetMarkSql);
    sql->order = m_db.prepare(kSetOrderSql);
    for (const SqliteStatement* s : {&sql->insert, &sql->update, &sql->remove, &sql->mark, &sql->order})
        if (!s->isValid())
            return Status::failure(m_db.reason());
    m_sql = std::move(sql);
    return Status();
}

Status ProfileDatabase::written(int rc)
{
    if (rc == SQLITE_OK)
        return Status();
    m_db.fail(rc);
    qCWarning(lcStorage) << "write not committed" << m_path << m_db.reason();
    return Status::failure(m_db.reason());
}

Status ProfileDatabase::insert(StoredRow* row)
{
    if (Status s = writable(); !s)
        return s;
    bindRow(m_sql->insert, row->row, row->ord);
    const int rc = m_sql->insert.run();
    if (rc == SQLITE_OK)
        row->rowid = m_db.lastInsertRowid();
    return written(rc);
}

Status ProfileDatabase::update(const StoredRow& row)
{
    if (Status s = writable(); !s)
        return s;
    bindRow(m_sql->update, row.row, row.ord);
    m_sql->update.bindInt64(9, row.rowid);
    return written(m_sql->update.run());
}

Status ProfileDatabase::remove(qint64 rowid)
{
    if (Status s = writable(); !s)
        return s;
    m_sql->remove.bindInt64(1, rowid);
    return written(m_sql->remove.run());
}

Status ProfileDatabase::setMark(qint64 rowid, bool mark)
{
    if (Status s = writable(); !s)
        return s;
    m_sql->mark.bindInt(1, mark ? 1 : 0);
    m_sql->mark.bindInt64(2, rowid);
    return written(m_sql->mark.run());
}

Status ProfileDatabase::setOrder(qint64 rowid, double ord)
{
    if (Status s = writable(); !s)
        return s;
    m_sql->order.bindReal(1, ord);
    m_sql->order.bindInt64(2, rowid);
    return written(m_sql->order.run());
}

Status ProfileDatabase::begin()
{
    if (Status s = writable(); !s)
        return s;
    return written(m_db.exec("BEGIN"));
}

Status ProfileDatabase::commit() { return written(m_db.exec("COMMIT")); }

void ProfileDatabase::rollback()
{
    if (m_db.isOpen() && !sqlite3_get_autocommit(m_db.handle()))
        m_db.exec("ROLLBACK");
}

Result<std::vector<StoredRow>> ProfileDatabase::read(const QString& path)
{
    ProfileHeader header;
    if (Status s = checkProfileHeader(path, &header); !s)
        return s;
    std::vector<StoredRow> rows;
    SqliteDb db;
    bool recover = header.walMode && QFileInfo::exists(path + "-wal");
    if (!header.walMode) {
        if (db.open(path, SQLITE_OPEN_READONLY) != SQLITE_OK)
            return Status::failure(db.reason());
        const Status s = readAll(db, &rows);
        if (s)
            return rows;
        if (db.errorCode() != SQLITE_READONLY_ROLLBACK)
            return s;
        recover = true;
    }
    if (recover)
        return readRecovered(path);
    if (db.open(immutableUri(path), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI) != SQLITE_OK)
        return Status::failure(db.reason());
    if (const Status s = readAll(db, &rows); !s)
        return s;
    return rows;
}

bool ProfileDatabase::isHeld(const QString& path)
{
    // Every connection to a file in write-ahead-log mode keeps its -wal file;
    // a read-only connection would make -shm and -wal files to find out.
    ProfileHeader header;
    if (checkProfileHeader(path, &header) && header.walMode)
        return QFileInfo::exists(path + "-wal");
    // Anything else (a file being built is still empty) by its lock.
    SqliteDb probe;
    return probe.open(path, SQLITE_OPEN_READONLY) == SQLITE_OK
           && isBusy(probe.exec("BEGIN; SELECT count(*) FROM sqlite_master; COMMIT"));
}

Status ProfileDatabase::build(const QString& path, const std::vector<StoredRow>& rows)
{
    const QFileInfo target(path);
    removeStaleTempFiles(target.absolutePath());
    if (target.isDir())
        return Status::failure(systemReason(EISDIR));
    // A profile file in use (a recording, another window) is not pulled away from its holder.
    if (isHeld(path))
        return Status::failure(sqliteReason(nullptr, SQLITE_BUSY));
    const Result<QString> temp = reserveTempFile(path);
    if (!temp)
        return temp.status();
    Status s = fill(temp.value(), rows);
    // A journal of the replaced file would be replayed into the new one.
    for (const char* suffix : kSidecarSuffixes)
        if (s && QFileInfo::exists(path + suffix) && !QFile::remove(path + suffix))
            s = Status::failure(systemReason(EACCES));
    if (s)
        s = renameOver(temp.value(), path);
    if (!s) {
        removeWithSidecars(temp.value());
        qCWarning(lcStorage) << "not built" << path << s.message();
        return s;
    }
    // The new name reaches the disk too.
    if (const Status synced = syncToDisk(target.absolutePath()); !synced)
        qCInfo(lcStorage) << "folder not synced" << target.absolutePath() << synced.message();
    qCDebug(lcStorage) << "built" << path << rows.size() << "rows";
    return Status();
}
