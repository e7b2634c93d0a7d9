#pragma once
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include "storage/Sqlite.h"
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

// A row of a test cast, taken 2009-03-07 14:05.
inline ProfileRow castRow(double depth, double sv, double temp, std::optional<int> status = 0)
{
    ProfileRow r;
    r.dt = QDateTime(QDate(2009, 3, 7), QTime(14, 5));
    r.depth = depth;
    r.velocity = sv;
    r.temp = temp;
    r.status = status;
    return r;
}

// A raw cast down to steps x 0.5 m and back up, the up cast 0.2 m deeper,
// 0.3 m/s faster and 0.05 degrees warmer level for level.
inline std::vector<ProfileRow> downUpCast(int steps)
{
    std::vector<ProfileRow> rows;
    for (int i = 1; i <= steps; ++i)
        rows.push_back(castRow(i * 0.5, 1500 - i * 0.2, 20 - i * 0.1));
    for (int i = steps - 1; i >= 1; --i)
        rows.push_back(castRow(i * 0.5 + 0.2, 1500 - i * 0.2 + 0.3, 20 - i * 0.1 + 0.05));
    return rows;
}

// Writes `rows` as a new profile file through the table cursor, a post per
// row, as the window writes a recording; throws TableError.
inline void postRows(const QString& path, const std::vector<ProfileRow>& rows)
{
    ProfileTable t;
    t.setTableName(path);
    t.createTable();
    t.open();
    for (const ProfileRow& r : rows) {
        t.append();
        t.setRow(r);
        t.post();
    }
    t.close();
}

// Every row of a profile file as readProfile reads it, in stored order; throws
// when the file cannot be read.
inline std::vector<ProfileRow> readProfileRows(const QString& path)
{
    Result<StoredProfile> read = readProfile(path);
    if (!read)
        throw std::runtime_error(read.message().toStdString());
    return std::move(read.value().rows);
}

// Runs SQL statements on an SQLite file (made when missing), for fixtures of
// files that are not ours or are ours in an older shape; false on an error.
inline bool runSql(const QString& path, const QStringList& statements)
{
    SqliteDb db;
    if (db.open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) != SQLITE_OK)
        return false;
    for (const QString& s : statements)
        if (db.exec(s.toUtf8().constData()) != SQLITE_OK)
            return false;
    return true;
}
