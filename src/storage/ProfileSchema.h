#pragma once
#include "model/ProfileRow.h"
#include "model/Status.h"
#include <QString>
#include <vector>

class SqliteDb;
class SqliteStatement;

// The profile file's layout in SQLite: one table "profile" with the seven
// fields in order plus a hidden order column "ord" (rows are kept in order of
// ord, then rowid), "SVPF" as the application id. Dates are stored as text
// "yyyy-MM-dd HH:mm:ss.zzz", texts as UTF-8.

// A row as the file holds it.
struct StoredRow
{
    qint64 rowid = 0;
    double ord = 0;
    ProfileRow row;
};

// Which files an open takes: any profile file, or only one with rows. A file
// refused for having none is refused before the write lock is taken, so that
// it is left as it was (the lock rewrites a stale header page count).
enum class OpenRows { Any, Required };

// What the header bytes tell beyond "ours".
struct ProfileHeader
{
    bool walMode = false;   // written by an earlier build in write-ahead-log mode
};

// Checks the file's bytes without SQLite, so that nothing can write to it: it
// exists, is a non-zero whole number of pages with a valid header, and carries
// our application id. The reason on failure.
Status checkProfileHeader(const QString& path, ProfileHeader* header = nullptr);

// Whether the first bytes are those of one of our files (also a file still
// being built: empty or header only).
bool hasProfileMarker(const QByteArray& firstBytes);

// Makes the empty table and the marks of a profile file (inside the caller's transaction).
int createSchema(SqliteDb& db);

// The columns must be exactly ours; the reason on failure.
Status checkSchema(SqliteDb& db);

// Every row in stored order.
Status loadRows(SqliteDb& db, std::vector<StoredRow>* rows);

// The SQL of the writes, for statements prepared once per open file.
extern const char* const kInsertRowSql;   // the eight columns, ?1..?8
extern const char* const kUpdateRowSql;   // the eight columns, rowid ?9
extern const char* const kDeleteRowSql;   // rowid ?1
extern const char* const kSetMarkSql;     // fnFiltOk ?1, rowid ?2
extern const char* const kSetOrderSql;    // ord ?1, rowid ?2

// Binds a row and its order key to the columns ?1..?8.
void bindRow(SqliteStatement& stmt, const ProfileRow& row, double ord);
