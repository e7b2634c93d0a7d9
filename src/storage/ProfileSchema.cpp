#include "storage/ProfileSchema.h"
#include "storage/Sqlite.h"
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <QCoreApplication>

namespace {

constexpr quint32 kApplicationId = 0x53565046;   // "SVPF"
constexpr int kSchemaVersion = 1;
const char* const kDateFormat = "yyyy-MM-dd HH:mm:ss.zzz";
const char* const kColumns[] = {"fnDT", "fnDepth", "fnVelocity", "fnTemp",
                                "fnStatus", "fnDiscrip", "fnFiltOk", "ord"};
const QByteArray kMagic("SQLite format 3\0", 16);

quint32 be32(const QByteArray& h, int at) { return qFromBigEndian<quint32>(h.constData() + at); }

QString notOurs() { return QCoreApplication::translate("Storage", "不是剖面数据文件（表结构不符）。"); }

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

}  // namespace

const char* const kInsertRowSql = "INSERT INTO profile (fnDT, fnDepth, fnVelocity, fnTemp, fnStatus, "
                                  "fnDiscrip, fnFiltOk, ord) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)";
const char* const kUpdateRowSql = "UPDATE profile SET fnDT=?1, fnDepth=?2, fnVelocity=?3, fnTemp=?4, "
                                  "fnStatus=?5, fnDiscrip=?6, fnFiltOk=?7, ord=?8 WHERE rowid=?9";
const char* const kDeleteRowSql = "DELETE FROM profile WHERE rowid=?1";
const char* const kSetMarkSql = "UPDATE profile SET fnFiltOk=?1 WHERE rowid=?2";
const char* const kSetOrderSql = "UPDATE profile SET ord=?1 WHERE rowid=?2";

bool hasProfileMarker(const QByteArray& h)
{
    return h.size() >= 72 && h.startsWith(kMagic) && be32(h, 68) == kApplicationId;
}

Status checkProfileHeader(const QString& path, ProfileHeader* header)
{
    auto fail = [](const QString& text) { return Status::failure(text); };
    if (!QFileInfo(path).isFile())
        return fail(QCoreApplication::translate("Storage", "文件不存在。"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return fail(QCoreApplication::translate("Storage", "文件无法读取：%1").arg(f.errorString()));
    const QByteArray h = f.read(100);
    const qint64 size = f.size();
    if (!h.startsWith(kMagic))
        return fail(QCoreApplication::translate("Storage", "不是剖面数据文件。"));
    if (h.size() < 100)
        return fail(QCoreApplication::translate("Storage", "文件已损坏（长度不足）。"));
    quint32 pageSize = qFromBigEndian<quint16>(h.constData() + 16);
    if (pageSize == 1)
        pageSize = 65536;
    const int writeVersion = quint8(h[18]), readVersion = quint8(h[19]);
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0 || writeVersion < 1 || writeVersion > 2
        || readVersion < 1 || readVersion > 2)
        return fail(QCoreApplication::translate("Storage", "文件已损坏（文件头无效）。"));
    if (be32(h, 68) != kApplicationId)
        return fail(notOurs());
    // Whole pages only: SQLite would otherwise write to a torn file when it opens it.
    if (size % pageSize != 0)
        return fail(QCoreApplication::translate("Storage", "文件已损坏（长度不符）。"));
    // A pending write-ahead log may still grow the file; SQLite checks it then.
    const bool walPending = QFileInfo::exists(path + "-wal");
    const quint32 pages = be32(h, 28);
    if (!walPending && pages > 0 && be32(h, 24) == be32(h, 92) && size < qint64(pages) * pageSize)
        return fail(QCoreApplication::translate("Storage", "文件已损坏（长度不符）。"));
    // A free-page list must lie within the file: SQLite finds one that does not
    // only after it has taken the write lock and rewritten the header.
    const quint64 filePages = quint64(size) / pageSize;
    const quint32 freeTrunk = be32(h, 32), freePages = be32(h, 36);
    if (!walPending && (freeTrunk > filePages || freePages >= qMax<quint64>(filePages, 1)
                        || (freeTrunk == 0) != (freePages == 0)))
        return fail(QCoreApplication::translate("Storage", "文件已损坏（文件头无效）。"));
    if (header)
        header->walMode = readVersion == 2;
    return Status();
}

int createSchema(SqliteDb& db)
{
    const QByteArray sql = QStringLiteral("CREATE TABLE profile (fnDT TEXT, fnDepth REAL NOT NULL, "
                                          "fnVelocity REAL NOT NULL, fnTemp REAL NOT NULL, fnStatus INTEGER, "
                                          "fnDiscrip TEXT, fnFiltOk INTEGER, ord REAL NOT NULL);"
                                          "PRAGMA application_id=%1; PRAGMA user_version=%2;")
                               .arg(qint32(kApplicationId))
                               .arg(kSchemaVersion)
                               .toLatin1();
    return db.exec(sql.constData());
}

Status checkSchema(SqliteDb& db)
{
    SqliteStatement info = db.prepare("PRAGMA table_info(profile)");
    if (!info.isValid())
        return Status::failure(db.reason());
    int n = 0;
    int rc = SQLITE_ROW;
    while ((rc = info.step()) == SQLITE_ROW) {
        if (n >= 8 || info.text(1) != QLatin1String(kColumns[n]))
            return Status::failure(notOurs());
        ++n;
    }
    if (rc != SQLITE_DONE) {
        db.fail(rc);
        return Status::failure(db.reason());
    }
    if (n != 8)
        return Status::failure(notOurs());
    return Status();
}

Status loadRows(SqliteDb& db, std::vector<StoredRow>* out)
{
    SqliteStatement q = db.prepare("SELECT rowid, ord, fnDT, fnDepth, fnVelocity, fnTemp, fnStatus, "
                                   "fnDiscrip, fnFiltOk FROM profile ORDER BY ord, rowid");
    if (!q.isValid())
        return Status::failure(db.reason());
    std::vector<StoredRow> rows;
    auto real = [&q](int i) { return q.isNull(i) ? std::nullopt : std::optional<double>(q.real(i)); };
    int rc = SQLITE_ROW;
    while ((rc = q.step()) == SQLITE_ROW) {
        StoredRow s{q.int64(0), q.real(1), {}};
        if (!q.isNull(2))
            s.row.dt = storedDate(q.text(2));
        s.row.depth = real(3);
        s.row.velocity = real(4);
        s.row.temp = real(5);
        if (!q.isNull(6))
            s.row.status = int(q.int64(6));
        if (!q.isNull(7))
            s.row.discrip = q.text(7);
        if (!q.isNull(8))
            s.row.filtOk = q.int64(8) != 0;
        rows.push_back(std::move(s));
    }
    // A damaged page ends the walk with an error: never take half a file.
    if (rc != SQLITE_DONE) {
        db.fail(rc);
        return Status::failure(db.reason());
    }
    *out = std::move(rows);
    return Status();
}

void bindRow(SqliteStatement& stmt, const ProfileRow& r, double ord)
{
    stmt.bindText(1, r.dt ? std::optional<QString>(storedDateText(*r.dt)) : std::nullopt);
    stmt.bindReal(2, r.depth);
    stmt.bindReal(3, r.velocity);
    stmt.bindReal(4, r.temp);
    stmt.bindInt(5, r.status);
    stmt.bindText(6, r.discrip);
    stmt.bindInt(7, r.filtOk ? std::optional<int>(int(*r.filtOk)) : std::nullopt);
    stmt.bindReal(8, ord);
}
