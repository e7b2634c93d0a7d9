#include "storage/ProfileTable.h"
#include <cstdio>
#include <sqlite3.h>
#include <QSqlDriver>
#include "storage/LegacyProfile.h"
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtEndian>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>

namespace {

// "SVPF" in the SQLite header's application id tells our files from other databases.
constexpr quint32 kApplicationId = 0x53565046;
constexpr int kSchemaVersion = 1;
constexpr int kDiscripMax = 255;
const char* const kDateFormat = "yyyy-MM-dd HH:mm:ss.zzz";
const char* const kColumns[] = {"fnDT", "fnDepth", "fnVelocity", "fnTemp",
                                "fnStatus", "fnDiscrip", "fnFiltOk", "ord"};

QString openError(const QString& path, const QString& reason)
{
    return QStringLiteral("无法打开数据文件：%1\n%2").arg(path, reason);
}

QString createError(const QString& path, const QString& reason)
{
    return QStringLiteral("无法创建数据文件：%1\n%2").arg(path, reason);
}

bool isLockError(const QSqlError& e)
{
    const int code = e.nativeErrorCode().toInt() & 0xff;   // primary of an extended code
    return code == 5 || code == 6;                          // SQLITE_BUSY, SQLITE_LOCKED
}

// Reads the SQLite header without SQLite: a file that is not ours is refused
// before anything could write to it (not even a -wal file).
bool checkHeader(const QString& path, QString* why)
{
    auto fail = [why](const QString& text) {
        if (why)
            *why = text;
        return false;
    };
    QFile f(path);
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("文件不存在。"));
    if (!f.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("文件无法读取：%1").arg(f.errorString()));
    const QByteArray h = f.read(100);
    const qint64 size = f.size();
    static const QByteArray magic("SQLite format 3\0", 16);
    if (!h.startsWith(magic.left(std::min<qsizetype>(h.size(), magic.size()))) || h.size() < 16)
        return fail(QStringLiteral("不是剖面数据文件。"));
    if (h.size() < 100)
        return fail(QStringLiteral("文件已损坏（长度不足）。"));
    auto be32 = [&h](int at) { return qFromBigEndian<quint32>(h.constData() + at); };
    quint32 pageSize = qFromBigEndian<quint16>(h.constData() + 16);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return fail(QStringLiteral("文件已损坏（文件头无效）。"));
    if (be32(68) != kApplicationId)
        return fail(QStringLiteral("不是剖面数据文件（表结构不符）。"));
    // A pending write-ahead log may still grow the file; SQLite checks it then.
    const bool walPending = QFileInfo(path + "-wal").size() > 0;
    const quint32 pages = be32(28);
    if (!walPending && pages > 0 && be32(24) == be32(92)
        && (size < qint64(pages) * pageSize || size % pageSize != 0))
        return fail(QStringLiteral("文件已损坏（长度不符）。"));
    return true;
}

// The stored date text, read without the general parser: opening a long cast
// reads one per row.
QDateTime storedDate(const QString& t)
{
    auto num = [&t](int at, int n) {
        int v = 0;
        for (int i = at; i < at + n; ++i) {
            const char16_t c = t[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            v = v * 10 + (c - u'0');
        }
        return v;
    };
    if (t.size() == 23) {
        const QDate d(num(0, 4), num(5, 2), num(8, 2));
        const QTime tm(num(11, 2), num(14, 2), num(17, 2), num(20, 3));
        if (d.isValid() && tm.isValid())
            return QDateTime(d, tm);
    }
    return QDateTime::fromString(t, QString::fromLatin1(kDateFormat));
}

// The same text as QDateTime::toString(kDateFormat), without the general
// formatter: saving a long profile writes one per row.
QString storedDateText(const QDateTime& dt)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    if (!d.isValid() || !t.isValid() || d.year() < 1 || d.year() > 9999)
        return dt.toString(QString::fromLatin1(kDateFormat));
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", d.year(), d.month(), d.day(),
                  t.hour(), t.minute(), t.second(), t.msec());
    return QString::fromLatin1(text, 23);
}

bool has(const std::optional<bool>& b) { return b.has_value() && *b; }

// The error of a write the file refused, with the engine's reason.
TableError writeError(const QString& table, const QString& why)
{
    return TableError(QStringLiteral("数据无法写入文件：%1\n%2").arg(table, why));
}

// SQLite's own connection behind the driver; null when the driver is another.
sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    const QVariant h = db.driver()->handle();
    if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3* const*>(h.constData());
    return nullptr;
}

// A statement prepared on SQLite's own connection; null without a handle or
// when it cannot be prepared (the caller then goes through the driver).
using DirectStatement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;
DirectStatement prepareDirect(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (db && sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    return DirectStatement(stmt, &sqlite3_finalize);
}

// One row through a prepared INSERT of the eight columns; throws TableError.
void insertDirect(sqlite3* db, sqlite3_stmt* stmt, const ProfileRow& r, double ord, const QString& table)
{
    auto real = [stmt](int at, const std::optional<double>& d) {
        return d ? sqlite3_bind_double(stmt, at, *d) : sqlite3_bind_null(stmt, at);
    };
    auto integer = [stmt](int at, const std::optional<int>& v) {
        return v ? sqlite3_bind_int(stmt, at, *v) : sqlite3_bind_null(stmt, at);
    };
    auto text = [stmt](int at, const std::optional<QString>& t) {
        if (!t)
            return sqlite3_bind_null(stmt, at);
        const QByteArray utf8 = t->toUtf8();
        return sqlite3_bind_text(stmt, at, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    };
    int rc = r.dt ? text(1, storedDateText(*r.dt)) : sqlite3_bind_null(stmt, 1);
    for (int step : {real(2, r.depth), real(3, r.velocity), real(4, r.temp), integer(5, r.status),
                     text(6, r.discrip),
                     r.filtOk ? sqlite3_bind_int(stmt, 7, int(*r.filtOk)) : sqlite3_bind_null(stmt, 7),
                     sqlite3_bind_double(stmt, 8, ord)})
        if (rc == SQLITE_OK)
            rc = step;
    if (rc == SQLITE_OK)
        rc = sqlite3_step(stmt) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
    sqlite3_reset(stmt);
    if (rc != SQLITE_OK)
        throw writeError(table, QString::fromUtf8(sqlite3_errmsg(db)));
}

QVariant nullOf(QMetaType::Type t) { return QVariant(QMetaType(t)); }

}  // namespace

TableError::TableError(const QString& message, bool readOnlyLegacy)
    : std::runtime_error(message.toStdString()), m_readOnlyLegacy(readOnlyLegacy)
{
}

QString TableError::message() const { return QString::fromUtf8(what()); }

struct ProfileTable::Statements
{
    QSqlQuery insert, update, remove, reorder;
};

ProfileTable::ProfileTable(QObject* parent) : QObject(parent)
{
    static std::atomic<int> counter{0};
    m_connection = QStringLiteral("ProfileTable-%1").arg(++counter);
}

ProfileTable::~ProfileTable()
{
    if (m_batch)
        QSqlQuery(m_db).exec(QStringLiteral("COMMIT"));   // batched posts are kept
    closeDatabase();
}

void ProfileTable::setTableName(const QString& path)
{
    if (isActive())
        throw TableError(QStringLiteral("数据表打开时不能更改表名。"));
    m_tableName = path;
}

bool ProfileTable::exists() const { return isActive() || QFileInfo(m_tableName).isFile(); }

bool ProfileTable::isProfileFile(const QString& path, QString* why)
{
    return checkHeader(path, why);
}

void ProfileTable::exec(const QString& sql)
{
    QSqlQuery q(m_db);
    if (!q.exec(sql))
        throw q.lastError();
}

void ProfileTable::openDatabase()
{
    closeDatabase();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_tableName);
    // No waiting on a lock: a file held elsewhere is refused at once.
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
    if (!m_db.open())
        throw m_db.lastError();
}

void ProfileTable::closeDatabase()
{
    m_sql.reset();
    if (m_db.isValid())
        m_db.close();
    m_db = QSqlDatabase();
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::removeDatabase(m_connection);
}

void ProfileTable::open()
{
    if (isActive())
        return;
    const QString path = m_tableName;
    QString why;
    if (path.isEmpty())
        throw TableError(openError(path, QStringLiteral("未指定文件名。")));
    if (isLegacyProfileFile(path)) {
        std::vector<ProfileRow> rows;
        if (!readLegacyProfile(path, &rows, &why))
            throw TableError(openError(path, why));
        m_rows.clear();
        m_rows.reserve(rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            m_rows.push_back(Stored{0, double(i + 1), std::move(rows[i])});
        m_readOnly = true;
    } else if (!checkHeader(path, &why)) {
        throw TableError(openError(path, why));
    } else {
        openSqlite();
    }
    m_state = State::Browse;
    resetView(0, true);
    scrolled();
}

void ProfileTable::openSqlite()
{
    const QString path = m_tableName;
    try {
        openDatabase();
        // Exclusive before the first read: the lock is then held until close
        // and no shared-memory index is made.
        exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
        exec(QStringLiteral("BEGIN EXCLUSIVE"));
        exec(QStringLiteral("COMMIT"));
        loadRows();   // checks the columns before anything may be written
        exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        // Each commit reaches the disk before Post returns: a cast survives a crash.
        exec(QStringLiteral("PRAGMA synchronous=FULL"));
        m_sql = std::make_unique<Statements>(Statements{QSqlQuery(m_db), QSqlQuery(m_db),
                                                        QSqlQuery(m_db), QSqlQuery(m_db)});
        m_sql->insert.prepare(QStringLiteral(
            "INSERT INTO profile (fnDT, fnDepth, fnVelocity, fnTemp, fnStatus, fnDiscrip, "
            "fnFiltOk, ord) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        m_sql->update.prepare(QStringLiteral(
            "UPDATE profile SET fnDT=?, fnDepth=?, fnVelocity=?, fnTemp=?, fnStatus=?, "
            "fnDiscrip=?, fnFiltOk=?, ord=? WHERE rowid=?"));
        m_sql->remove.prepare(QStringLiteral("DELETE FROM profile WHERE rowid=?"));
        m_sql->reorder.prepare(QStringLiteral("UPDATE profile SET ord=? WHERE rowid=?"));
    } catch (const QSqlError& e) {
        m_rows.clear();
        closeDatabase();
        throw TableError(openError(path, isLockError(e) ? QStringLiteral("文件正被其他程序使用。")
                                                        : e.text()));
    } catch (const TableError& e) {
        m_rows.clear();
        closeDatabase();
        throw TableError(openError(path, e.message()));
    }
}

void ProfileTable::loadRows()
{
    QSqlQuery info(m_db);
    if (!info.exec(QStringLiteral("PRAGMA table_info(profile)")))
        throw info.lastError();
    int n = 0;
    while (info.next()) {
        if (n >= 8 || info.value(1).toString() != QLatin1String(kColumns[n]))
            throw TableError(QStringLiteral("不是剖面数据文件（表结构不符）。"));
        ++n;
    }
    if (n != 8)
        throw TableError(QStringLiteral("不是剖面数据文件（表结构不符）。"));

    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT rowid, ord, fnDT, fnDepth, fnVelocity, fnTemp, fnStatus, "
                               "fnDiscrip, fnFiltOk FROM profile ORDER BY ord, rowid")))
        throw q.lastError();
    std::vector<Stored> rows;
    auto real = [&q](int i) -> std::optional<double> {
        const QVariant v = q.value(i);
        return v.isNull() ? std::nullopt : std::optional<double>(v.toDouble());
    };
    while (q.next()) {
        Stored s{q.value(0).toLongLong(), q.value(1).toDouble(), {}};
        const QVariant dt = q.value(2);
        if (!dt.isNull())
            s.row.dt = storedDate(dt.toString());
        s.row.depth = real(3);
        s.row.velocity = real(4);
        s.row.temp = real(5);
        if (!q.value(6).isNull())
            s.row.status = q.value(6).toInt();
        if (!q.value(7).isNull())
            s.row.discrip = q.value(7).toString();
        if (!q.value(8).isNull())
            s.row.filtOk = q.value(8).toInt() != 0;
        rows.push_back(std::move(s));
    }
    // A damaged page ends the walk with an error: never take half a file.
    if (q.lastError().isValid())
        throw q.lastError();
    m_rows = std::move(rows);
}

void ProfileTable::close()
{
    if (!isActive())
        return;
    // An unposted row is dropped, as closing a dataset does.
    m_state = State::Inactive;
    m_rows.clear();
    m_view.clear();
    m_pos = -1;
    m_eof = m_bof = true;
    m_buffer = {};
    m_insertAt = -1;
    m_readOnly = false;
    if (m_batch) {
        m_batch = false;
        QSqlQuery(m_db).exec(QStringLiteral("COMMIT"));
    }
    closeDatabase();
    emit rowsReset();
}

void ProfileTable::removeFile()
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        const QString p = m_tableName + QLatin1String(suffix);
        if (QFileInfo::exists(p) && !QFile::remove(p))
            throw TableError(createError(m_tableName, QStringLiteral("原文件无法删除。")));
    }
}

void ProfileTable::createTable()
{
    close();
    if (m_tableName.isEmpty())
        throw TableError(createError(m_tableName, QStringLiteral("未指定文件名。")));
    try {
        // A profile file held by another table or program is not pulled away from it.
        if (checkHeader(m_tableName, nullptr)) {
            openDatabase();
            exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"));
            exec(QStringLiteral("BEGIN EXCLUSIVE"));
            exec(QStringLiteral("COMMIT"));
            closeDatabase();
        }
        removeFile();
        openDatabase();
        // Schema and marker are committed before the switch to the log, so
        // the main file alone always tells a profile file.
        exec(QStringLiteral("BEGIN"));
        exec(QStringLiteral("CREATE TABLE profile (fnDT TEXT, fnDepth REAL NOT NULL, "
                            "fnVelocity REAL NOT NULL, fnTemp REAL NOT NULL, fnStatus INTEGER, "
                            "fnDiscrip TEXT, fnFiltOk INTEGER, ord REAL NOT NULL)"));
        exec(QStringLiteral("PRAGMA application_id=%1").arg(qint32(kApplicationId)));
        exec(QStringLiteral("PRAGMA user_version=%1").arg(kSchemaVersion));
        exec(QStringLiteral("COMMIT"));
        exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        closeDatabase();
    } catch (const QSqlError& e) {
        closeDatabase();
        if (isLockError(e))
            throw TableError(createError(m_tableName, QStringLiteral("文件正被其他程序使用。")));
        QFile::remove(m_tableName);
        QFile::remove(m_tableName + "-journal");
        throw TableError(createError(m_tableName, e.text()));
    }
    open();
}

void ProfileTable::rebuildView()
{
    m_view.clear();
    m_view.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (!m_filtered || has(m_rows[i].row.filtOk))
            m_view.push_back(int(i));
}

void ProfileTable::resetView(int pos, bool atFirst)
{
    rebuildView();
    m_pos = m_view.empty() ? -1 : std::clamp(pos, 0, int(m_view.size()) - 1);
    m_bof = atFirst || m_view.empty();
    m_eof = m_view.empty();
    emit rowsReset();
}

void ProfileTable::setFiltered(bool on)
{
    if (!isActive()) {
        m_filtered = on;
        return;
    }
    postPending();
    m_filtered = on;
    resetView(0, true);
    scrolled();
}

void ProfileTable::checkWritable(const char* what) const
{
    checkActive(what);
    if (m_readOnly)
        throw TableError(QStringLiteral("旧格式数据文件只能查看，不能%1：%2").arg(QString::fromUtf8(what), m_tableName),
                         true);
}

void ProfileTable::checkActive(const char* what) const
{
    if (!isActive())
        throw TableError(QStringLiteral("数据表未打开，不能%1。").arg(QString::fromUtf8(what)));
}

void ProfileTable::scrolled() { emit afterScroll(); }

bool ProfileTable::dropEmptyNewRow()
{
    if (m_state != State::Insert || m_buffer != ProfileRow{})
        return false;
    cancel();
    return true;
}

void ProfileTable::postPending()
{
    // A new row nothing was typed into is dropped, not refused: leaving it
    // must not hold the cursor.
    if (!dropEmptyNewRow() && (m_state == State::Edit || m_state == State::Insert))
        post();
}

void ProfileTable::first()
{
    checkActive("移动记录");
    postPending();
    m_pos = m_view.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.empty();
    scrolled();
}

void ProfileTable::last()
{
    checkActive("移动记录");
    postPending();
    m_pos = int(m_view.size()) - 1;
    m_eof = true;
    m_bof = m_view.empty();
    scrolled();
}

void ProfileTable::next()
{
    checkActive("移动记录");
    postPending();
    if (m_eof)
        return;
    if (m_pos + 1 < int(m_view.size()))
        ++m_pos;
    else
        m_eof = true;
    m_bof = false;
    scrolled();
}

void ProfileTable::prior()
{
    checkActive("移动记录");
    postPending();
    if (m_bof)
        return;
    if (m_pos > 0)
        --m_pos;
    else
        m_bof = true;
    m_eof = false;
    scrolled();
}

void ProfileTable::moveTo(int recNo)
{
    checkActive("移动记录");
    postPending();
    if (m_view.empty())
        return;
    m_pos = std::clamp(recNo, 1, int(m_view.size())) - 1;
    m_bof = m_eof = false;
    scrolled();
}

int ProfileTable::recordCount() const { return int(m_view.size()); }

int ProfileTable::recNo() const
{
    if (m_state == State::Insert)
        return m_insertAt + 1;
    return m_pos + 1;
}

const ProfileRow& ProfileTable::current() const
{
    static const ProfileRow empty;
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer;
    return m_pos >= 0 ? m_rows[size_t(m_view[size_t(m_pos)])].row : empty;
}

const ProfileRow& ProfileTable::visibleRow(int i) const { return m_rows[size_t(m_view.at(size_t(i)))].row; }

std::vector<ProfileRow> ProfileTable::visibleRows() const
{
    std::vector<ProfileRow> out;
    out.reserve(m_view.size());
    for (int i : m_view)
        out.push_back(m_rows[size_t(i)].row);
    return out;
}

void ProfileTable::beginBatch()
{
    checkWritable("保存记录");
    if (m_batch)
        return;
    try {
        exec(QStringLiteral("BEGIN"));
    } catch (const QSqlError& e) {
        throw writeError(m_tableName, e.text());
    }
    m_batch = true;
}

void ProfileTable::commitBatch()
{
    if (!m_batch)
        return;
    m_batch = false;
    try {
        exec(QStringLiteral("COMMIT"));
    } catch (const QSqlError& e) {
        throw writeError(m_tableName, e.text());
    }
}

void ProfileTable::disableControls() { ++m_disableCount; }

void ProfileTable::enableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0)
        emit controlsEnabled();
}

// ---- editing ----

namespace {

QString fieldText(ProfileField f) { return QString::fromLatin1(profileFieldName(f)); }

TableError badValue(ProfileField f, const QVariant& v)
{
    return TableError(QStringLiteral("“%1”不是字段 %2 的有效值。").arg(v.toString(), fieldText(f)));
}

bool isText(const QVariant& v) { return v.typeId() == QMetaType::QString; }

double toReal(ProfileField f, const QVariant& v)
{
    bool ok = false;
    const double d = isText(v) ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        throw badValue(f, v);
    return d;
}

// Puts one value into a row, converting as the typed field accessors do.
void assign(ProfileRow& r, ProfileField f, const QVariant& v)
{
    if (v.isNull() || (isText(v) && v.toString().isEmpty())) {
        switch (f) {
        case ProfileField::DT: r.dt.reset(); break;
        case ProfileField::Depth: r.depth.reset(); break;
        case ProfileField::Velocity: r.velocity.reset(); break;
        case ProfileField::Temp: r.temp.reset(); break;
        case ProfileField::Status: r.status.reset(); break;
        case ProfileField::Discrip: r.discrip.reset(); break;
        case ProfileField::FiltOk: r.filtOk.reset(); break;
        }
        return;
    }
    switch (f) {
    case ProfileField::DT: {
        QDateTime dt = isText(v) ? QDateTime::fromString(v.toString().trimmed(), QString::fromLatin1(kDateFormat))
                                 : v.toDateTime();
        if (!dt.isValid() && isText(v))
            dt = QDateTime::fromString(v.toString().trimmed(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid())
            throw badValue(f, v);
        r.dt = dt;
        break;
    }
    case ProfileField::Depth: r.depth = toReal(f, v); break;
    case ProfileField::Velocity: r.velocity = toReal(f, v); break;
    case ProfileField::Temp: r.temp = toReal(f, v); break;
    case ProfileField::Status: {
        bool ok = false;
        const qlonglong n = isText(v) ? v.toString().trimmed().toLongLong(&ok) : v.toLongLong(&ok);
        if (!ok || n < -32768 || n > 32767)
            throw badValue(f, v);
        r.status = int(n);
        break;
    }
    case ProfileField::Discrip: r.discrip = v.toString().left(kDiscripMax); break;
    case ProfileField::FiltOk: {
        if (v.typeId() == QMetaType::Bool) {
            r.filtOk = v.toBool();
            break;
        }
        const QString t = v.toString().trimmed().toLower();
        if (t == "1" || t == "true")
            r.filtOk = true;
        else if (t == "0" || t == "false")
            r.filtOk = false;
        else
            throw badValue(f, v);
        break;
    }
    }
}

QVariant fieldOf(const ProfileRow& r, ProfileField f)
{
    switch (f) {
    case ProfileField::DT: return r.dt ? QVariant(*r.dt) : QVariant();
    case ProfileField::Depth: return r.depth ? QVariant(*r.depth) : QVariant();
    case ProfileField::Velocity: return r.velocity ? QVariant(*r.velocity) : QVariant();
    case ProfileField::Temp: return r.temp ? QVariant(*r.temp) : QVariant();
    case ProfileField::Status: return r.status ? QVariant(*r.status) : QVariant();
    case ProfileField::Discrip: return r.discrip ? QVariant(*r.discrip) : QVariant();
    case ProfileField::FiltOk: return r.filtOk ? QVariant(*r.filtOk) : QVariant();
    }
    return {};
}

void bindRow(QSqlQuery& q, const ProfileRow& r, double ord)
{
    auto real = [](const std::optional<double>& d) {
        return d ? QVariant(*d) : nullOf(QMetaType::Double);
    };
    q.addBindValue(r.dt ? QVariant(storedDateText(*r.dt)) : nullOf(QMetaType::QString));
    q.addBindValue(real(r.depth));
    q.addBindValue(real(r.velocity));
    q.addBindValue(real(r.temp));
    q.addBindValue(r.status ? QVariant(*r.status) : nullOf(QMetaType::Int));
    q.addBindValue(r.discrip ? QVariant(*r.discrip) : nullOf(QMetaType::QString));
    q.addBindValue(r.filtOk ? QVariant(int(*r.filtOk)) : nullOf(QMetaType::Int));
    q.addBindValue(ord);
}

}  // namespace

QVariant ProfileTable::field(ProfileField f) const { return fieldOf(current(), f); }

void ProfileTable::append()
{
    checkWritable("添加记录");
    postPending();
    m_buffer = {};
    m_insertAt = int(m_view.size());
    m_insertStored = m_rows.size();
    m_state = State::Insert;
    emit rowsReset();
    scrolled();
}

void ProfileTable::insert()
{
    checkWritable("插入记录");
    postPending();
    if (m_pos < 0) {
        append();
        return;
    }
    m_buffer = {};
    m_insertAt = m_pos;
    m_insertStored = size_t(m_view[size_t(m_pos)]);
    m_state = State::Insert;
    emit rowsReset();
    scrolled();
}

void ProfileTable::edit()
{
    checkWritable("编辑记录");
    if (m_state != State::Browse)
        return;
    if (m_pos < 0) {
        append();   // editing an empty table starts a new row
        return;
    }
    m_buffer = current();
    m_state = State::Edit;
    emit afterEdit();
}

void ProfileTable::setField(ProfileField f, const QVariant& v)
{
    checkWritable("编辑记录");
    ProfileRow r = m_state == State::Browse ? current() : m_buffer;
    assign(r, f, v);   // a bad value throws before the row enters editing
    edit();
    m_buffer = r;
    emit rowChanged(m_state == State::Insert ? m_insertAt : m_pos);
}

// A row is stored only with its depth, velocity and temperature.
static void checkRequired(const ProfileRow& r)
{
    for (ProfileField f : {ProfileField::Depth, ProfileField::Velocity, ProfileField::Temp})
        if (!fieldOf(r, f).isValid())
            throw TableError(QStringLiteral("字段 %1 必须有值！").arg(fieldText(f)));
}

// A whole row as the fields take it: the status within its 16 bits, the
// description cut to its length, finite numbers.
static ProfileRow storableRow(const ProfileRow& r)
{
    if (r.status && (*r.status < -32768 || *r.status > 32767))
        throw badValue(ProfileField::Status, *r.status);
    ProfileRow copy = r;
    // No date and no text are empty fields, as the engine's own setField makes them.
    if (copy.dt && !copy.dt->isValid())
        copy.dt.reset();
    if (copy.discrip && copy.discrip->isEmpty())
        copy.discrip.reset();
    if (copy.discrip)
        copy.discrip = copy.discrip->left(kDiscripMax);
    for (const auto* d : {&copy.depth, &copy.velocity, &copy.temp})
        if (*d && !std::isfinite(**d))
            throw TableError(QStringLiteral("数值无效。"));
    return copy;
}

void ProfileTable::setRow(const ProfileRow& r)
{
    checkWritable("编辑记录");
    const ProfileRow copy = storableRow(r);
    edit();
    m_buffer = copy;
    emit rowChanged(m_state == State::Insert ? m_insertAt : m_pos);
}

void ProfileTable::writeRow(Stored& s, bool isNew)
{
    QSqlQuery& q = isNew ? m_sql->insert : m_sql->update;
    bindRow(q, s.row, s.ord);
    if (!isNew)
        q.addBindValue(s.rowid);
    if (!q.exec())
        throw writeError(m_tableName, q.lastError().text());
    if (isNew)
        s.rowid = q.lastInsertId().toLongLong();
    q.finish();
}

void ProfileTable::renumber()
{
    try {
        if (!m_batch)
            exec(QStringLiteral("BEGIN"));
        for (size_t i = 0; i < m_rows.size(); ++i) {
            m_sql->reorder.addBindValue(double(i + 1));
            m_sql->reorder.addBindValue(m_rows[i].rowid);
            if (!m_sql->reorder.exec())
                throw m_sql->reorder.lastError();
        }
        if (!m_batch)
            exec(QStringLiteral("COMMIT"));
    } catch (const QSqlError& e) {
        if (!m_batch)
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        throw writeError(m_tableName, e.text());
    }
    for (size_t i = 0; i < m_rows.size(); ++i)
        m_rows[i].ord = double(i + 1);
}

// Order key for a row stored in front of m_rows[at] (at == size: at the end).
double ProfileTable::ordFor(size_t at)
{
    if (m_rows.empty())
        return 1.0;
    if (at >= m_rows.size())
        return m_rows.back().ord + 1.0;
    if (at == 0)
        return m_rows.front().ord - 1.0;
    const double lo = m_rows[at - 1].ord, hi = m_rows[at].ord;
    const double mid = lo + (hi - lo) / 2;
    if (mid > lo && mid < hi)
        return mid;
    renumber();   // the gap between the neighbours is used up
    return double(at) + 0.5;
}

void ProfileTable::post()
{
    checkWritable("保存记录");
    if (m_state == State::Browse)
        return;
    checkRequired(m_buffer);
    if (m_state == State::Insert) {
        Stored s{0, ordFor(m_insertStored), m_buffer};
        writeRow(s, true);
        const bool atEnd = m_insertStored == m_rows.size();
        m_rows.insert(m_rows.begin() + std::ptrdiff_t(m_insertStored), std::move(s));
        m_state = State::Browse;
        // A row appended at the end (every recorded sample) shifts no index:
        // the view grows by it instead of being rebuilt over every row.
        if (!atEnd)
            rebuildView();
        else if (!m_filtered || has(m_rows.back().row.filtOk))
            m_view.push_back(int(m_insertStored));
        const auto it = std::lower_bound(m_view.begin(), m_view.end(), int(m_insertStored));
        const bool shown = it != m_view.end() && *it == int(m_insertStored);
        m_pos = m_view.empty() ? -1 : std::min(int(it - m_view.begin()), int(m_view.size()) - 1);
        m_bof = m_eof = m_view.empty();
        emit rowsReset();
        if (!shown)
            scrolled();
        return;
    }
    Stored& stored = m_rows[size_t(m_view[size_t(m_pos)])];
    Stored s{stored.rowid, stored.ord, m_buffer};
    writeRow(s, false);
    stored.row = m_buffer;
    m_state = State::Browse;
    if (m_filtered && !has(stored.row.filtOk)) {
        rebuildView();   // the row left the view
        m_pos = std::min(m_pos, int(m_view.size()) - 1);
        m_bof = m_eof = m_view.empty();
        emit rowsReset();
        scrolled();
        return;
    }
    emit rowChanged(m_pos);
}

void ProfileTable::appendRows(const std::vector<ProfileRow>& rows)
{
    checkWritable("添加记录");
    if (m_batch)
        throw TableError(QStringLiteral("appendRows inside a batch"));
    postPending();
    std::vector<ProfileRow> checked;
    checked.reserve(rows.size());
    for (const ProfileRow& r : rows) {
        checked.push_back(storableRow(r));
        checkRequired(r);
    }
    const size_t before = m_rows.size();
    try {
        exec(QStringLiteral("BEGIN"));
        m_rows.reserve(before + checked.size());
        // Straight through SQLite's own interface when the driver hands out
        // its handle: binding through the driver costs more than the insert.
        sqlite3* handle = sqliteHandle(m_db);
        const DirectStatement stmt = prepareDirect(
            handle, "INSERT INTO profile (fnDT, fnDepth, fnVelocity, fnTemp, fnStatus, fnDiscrip, "
                    "fnFiltOk, ord) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        for (ProfileRow& r : checked) {
            Stored s{0, ordFor(m_rows.size()), std::move(r)};
            if (stmt) {
                insertDirect(handle, stmt.get(), s.row, s.ord, m_tableName);
                s.rowid = sqlite3_last_insert_rowid(handle);
            } else {
                writeRow(s, true);
            }
            m_rows.push_back(std::move(s));
        }
        exec(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        m_rows.resize(before);
        try {
            throw;
        } catch (const QSqlError& e) {
            throw writeError(m_tableName, e.text());
        }
    }
    rebuildView();
    m_pos = m_view.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.empty();
    emit rowsReset();
    scrolled();
}

void ProfileTable::setMarks(const std::vector<bool>& marks)
{
    checkWritable("保存记录");
    postPending();
    if (marks.size() != m_rows.size())
        throw TableError(QStringLiteral("setMarks: %1 marks for %2 rows").arg(marks.size()).arg(m_rows.size()));
    const bool ownTransaction = !m_batch;
    sqlite3* handle = sqliteHandle(m_db);
    const DirectStatement stmt = prepareDirect(handle, "UPDATE profile SET fnFiltOk=? WHERE rowid=?");
    // Rows changed so far with their old marks: the rows in memory follow the
    // file row by row, and a failed transaction of our own puts them back.
    std::vector<std::pair<size_t, std::optional<bool>>> changed;
    try {
        if (ownTransaction)
            exec(QStringLiteral("BEGIN"));
        for (size_t i = 0; i < m_rows.size(); ++i) {
            Stored& st = m_rows[i];
            const bool mark = marks[i];
            if (st.row.filtOk == std::optional<bool>(mark))
                continue;   // already so: nothing to write
            if (stmt) {
                sqlite3_bind_int(stmt.get(), 1, mark ? 1 : 0);
                sqlite3_bind_int64(stmt.get(), 2, st.rowid);
                const int rc = sqlite3_step(stmt.get());
                sqlite3_reset(stmt.get());
                if (rc != SQLITE_DONE)
                    throw writeError(m_tableName, QString::fromUtf8(sqlite3_errmsg(handle)));
            } else {
                Stored s2 = st;
                s2.row.filtOk = mark;
                writeRow(s2, false);
            }
            changed.emplace_back(i, st.row.filtOk);
            st.row.filtOk = mark;
        }
        if (ownTransaction)
            exec(QStringLiteral("COMMIT"));
    } catch (...) {
        if (ownTransaction) {
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
            for (const auto& [i, old] : changed)
                m_rows[i].row.filtOk = old;
        }
        resetView(m_pos, false);
        try {
            throw;
        } catch (const QSqlError& e) {
            throw writeError(m_tableName, e.text());
        }
    }
    resetView(m_pos, false);
    scrolled();
}

std::vector<ProfileRow> ProfileTable::storedRows() const
{
    std::vector<ProfileRow> out;
    out.reserve(m_rows.size());
    for (const Stored& s : m_rows)
        out.push_back(s.row);
    return out;
}

void ProfileTable::cancel()
{
    if (m_state == State::Insert) {
        m_state = State::Browse;
        m_buffer = {};
        emit rowsReset();
        scrolled();
    } else if (m_state == State::Edit) {
        m_state = State::Browse;
        m_buffer = {};
        emit rowChanged(m_pos);
    }
}

void ProfileTable::deleteRow()
{
    checkWritable("删除记录");
    if (m_state == State::Insert) {
        cancel();   // deleting an unposted row just drops it
        return;
    }
    if (m_pos < 0)
        throw TableError(QStringLiteral("空数据表不能进行这个操作。"));
    const size_t at = size_t(m_view[size_t(m_pos)]);
    m_sql->remove.addBindValue(m_rows[at].rowid);
    if (!m_sql->remove.exec())
        throw writeError(m_tableName, m_sql->remove.lastError().text());
    m_sql->remove.finish();
    m_state = State::Browse;
    m_buffer = {};
    m_rows.erase(m_rows.begin() + std::ptrdiff_t(at));
    rebuildView();
    m_pos = std::min(m_pos, int(m_view.size()) - 1);
    m_bof = m_view.empty();
    m_eof = m_view.empty();
    emit rowsReset();
    scrolled();
}
