#include "storage/Sqlite.h"
#include "storage/FileSystem.h"
#include <QFileInfo>
#include <QUrl>
#include <sqlite3.h>
#include <utility>
#include <QCoreApplication>

SqliteStatement::~SqliteStatement() { sqlite3_finalize(m_stmt); }

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr)), m_bindError(other.m_bindError)
{
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_bindError = other.m_bindError;
    }
    return *this;
}

void SqliteStatement::bindReal(int at, const std::optional<double>& v)
{
    const int rc = v ? sqlite3_bind_double(m_stmt, at, *v) : sqlite3_bind_null(m_stmt, at);
    if (rc != SQLITE_OK && !m_bindError)
        m_bindError = rc;
}

void SqliteStatement::bindInt(int at, const std::optional<int>& v)
{
    const int rc = v ? sqlite3_bind_int(m_stmt, at, *v) : sqlite3_bind_null(m_stmt, at);
    if (rc != SQLITE_OK && !m_bindError)
        m_bindError = rc;
}

void SqliteStatement::bindInt64(int at, qint64 v)
{
    const int rc = sqlite3_bind_int64(m_stmt, at, v);
    if (rc != SQLITE_OK && !m_bindError)
        m_bindError = rc;
}

void SqliteStatement::bindText(int at, const std::optional<QString>& v)
{
    int rc = SQLITE_OK;
    if (v) {
        const QByteArray utf8 = v->toUtf8();
        rc = sqlite3_bind_text(m_stmt, at, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    } else {
        rc = sqlite3_bind_null(m_stmt, at);
    }
    if (rc != SQLITE_OK && !m_bindError)
        m_bindError = rc;
}

int SqliteStatement::step()
{
    if (m_bindError) {
        const int rc = m_bindError;
        m_bindError = 0;
        return rc;
    }
    return sqlite3_step(m_stmt);
}

int SqliteStatement::run()
{
    const int rc = step();
    sqlite3_reset(m_stmt);
    return rc == SQLITE_DONE || rc == SQLITE_ROW ? SQLITE_OK : rc;
}

void SqliteStatement::reset() { sqlite3_reset(m_stmt); }

bool SqliteStatement::isNull(int col) const { return sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }

double SqliteStatement::real(int col) const { return sqlite3_column_double(m_stmt, col); }

qint64 SqliteStatement::int64(int col) const { return sqlite3_column_int64(m_stmt, col); }

QString SqliteStatement::text(int col) const
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
    return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, col));
}

int SqliteDb::open(const QString& pathOrUri, int flags)
{
    close();
    const int rc = sqlite3_open_v2(pathOrUri.toUtf8().constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc);
        sqlite3_close(m_db);
        m_db = nullptr;
        return rc;
    }
    sqlite3_extended_result_codes(m_db, 1);
    // No waiting on a lock: a file held elsewhere is refused at once.
    sqlite3_busy_timeout(m_db, 0);
    return rc;
}

void SqliteDb::close()
{
    // Statements are owned by the caller and finalized before this.
    sqlite3_close(m_db);
    m_db = nullptr;
}

int SqliteDb::exec(const char* sql)
{
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? rc : fail(rc);
}

SqliteStatement SqliteDb::prepare(const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        fail(rc);
        return SqliteStatement();
    }
    return SqliteStatement(stmt);
}

qint64 SqliteDb::lastInsertRowid() const { return sqlite3_last_insert_rowid(m_db); }

bool SqliteDb::isReadOnly() const { return sqlite3_db_readonly(m_db, "main") == 1; }

int SqliteDb::fail(int rc)
{
    m_error = rc;
    m_reason = sqliteReason(m_db, rc);
    return rc;
}

bool isBusy(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

QString sqliteReason(sqlite3* db, int rc)
{
    const int system = db ? sqlite3_system_errno(db) : 0;
    if (rc == SQLITE_READONLY_ROLLBACK)
        return QCoreApplication::translate("Storage", "文件上次没有正常关闭，只读时无法恢复。");
    switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return QCoreApplication::translate("Storage", "文件正被其他程序使用。");
    case SQLITE_READONLY: return QCoreApplication::translate("Storage", "文件是只读的。");
    case SQLITE_FULL: return systemReason(ENOSPC);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return QCoreApplication::translate("Storage", "文件已损坏。");
    case SQLITE_NOMEM: return QCoreApplication::translate("Storage", "内存不足。");
    case SQLITE_PERM:
    case SQLITE_AUTH: return systemReason(EACCES);
    case SQLITE_CANTOPEN:
        return system ? systemReason(system) : QCoreApplication::translate("Storage", "文件无法打开。");
    case SQLITE_IOERR:
        return system ? systemReason(system) : QCoreApplication::translate("Storage", "读写错误。");
    default: break;
    }
    return QCoreApplication::translate("Storage", "数据库错误（代码 %1）。").arg(rc);
}

QString sqliteUri(const QString& path, const char* query)
{
    QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    url.setQuery(QString::fromLatin1(query));
    return QString::fromUtf8(url.toEncoded());
}
