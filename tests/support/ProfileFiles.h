#pragma once
#include "storage/ProfileStore.h"
#include "storage/Sqlite.h"
#include <QString>
#include <QStringList>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

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
