// Profile files on the disk: reading changes nothing, a posted row is in the
// .db file alone, a file we may not write opens read-only, stale temporary
// files of a killed save go.
#include "ProfileFiles.h"
#include "TestDir.h"
#include "WriteProtection.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include "storage/StaleTempFiles.h"
#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace {

ProfileRow sample(int i)
{
    ProfileRow r;
    r.dt = QDateTime(QDate(2024, 3, 5), QTime(10, 0)).addSecs(i);
    r.depth = 0.25 * (i + 1);
    r.velocity = 1480.0 + i;
    r.temp = 12.5;
    r.status = i % 4;
    return r;
}

std::vector<ProfileRow> cast(int n)
{
    std::vector<ProfileRow> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back(sample(i));
    rows.front().discrip = QStringLiteral("测站S3");
    return rows;
}

// Every file of a folder with its bytes.
std::map<QString, QByteArray> snapshot(const QString& dir)
{
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        files[name] = TestDir::readAll(QDir(dir).filePath(name));
    return files;
}

// Header bytes 18 and 19: 1 rollback journal, 2 write-ahead log.
int journalVersion(const QString& path) { return TestDir::readAll(path).at(19); }

void write(const QString& path, const std::vector<ProfileRow>& rows)
{
    ASSERT_TRUE(writeProfile(path, rows).ok()) << path.toStdString();
}

}  // namespace

// svptool's reading commands, the window's view and the save's may-overwrite
// check all read through these: none may leave a byte changed or a file behind.
TEST(ProfileFileReading, ReadingLeavesEveryFileAsItWas)
{
    const std::vector<ProfileRow> rows = cast(200);
    struct Case
    {
        const char* name;
        std::function<QString(const TestDir&)> make;   // the file, in its own folder
        size_t readRows;                               // 0: refused
        bool viewable;                                 // the table opens it without writing
    };
    const Case cases[] = {
        {"rollback journal", [&](const TestDir& d) {
             write(d.file("cast.db"), rows);
             return d.file("cast.db");
         }, rows.size(), true},
        {"earlier build, write-ahead log", [&](const TestDir& d) {
             // Read as it lies through a file: URI, which must carry any name.
             const QString path = d.file(QStringLiteral("长江口 #1 %20?.db"));
             write(path, rows);
             EXPECT_TRUE(runSql(path, {"PRAGMA journal_mode=WAL"}));
             EXPECT_EQ(journalVersion(path), 2);
             return path;
         }, rows.size(), true},
        {"earlier build killed, rows in the log", [&](const TestDir& d) {
             const QString live = d.file("live/cast.db");
             QDir().mkpath(d.file("live"));
             write(live, {rows.front()});
             SqliteDb db;
             EXPECT_EQ(db.open(live, SQLITE_OPEN_READWRITE), SQLITE_OK);
             EXPECT_EQ(db.exec("PRAGMA journal_mode=WAL; INSERT INTO profile (fnDepth, fnVelocity, fnTemp, ord) "
                               "VALUES (9.5, 1490, 8, 2)"),
                       SQLITE_OK);
             for (const char* suffix : {"", "-wal"})
                 EXPECT_TRUE(QFile::copy(live + suffix, d.file("cast.db") + suffix));
             return d.file("cast.db");
         }, 2, false},
        {"killed in the middle of a commit", [&](const TestDir& d) {
             const QString live = d.file("live/cast.db");
             QDir().mkpath(d.file("live"));
             write(live, rows);
             SqliteDb db;
             EXPECT_EQ(db.open(live, SQLITE_OPEN_READWRITE), SQLITE_OK);
             // A tiny cache spills the half-made change into the file itself.
             EXPECT_EQ(db.exec("PRAGMA locking_mode=EXCLUSIVE; PRAGMA cache_size=1; BEGIN; "
                               "UPDATE profile SET fnDiscrip = hex(randomblob(200))"),
                       SQLITE_OK);
             for (const char* suffix : {"", "-journal"})
                 EXPECT_TRUE(QFile::copy(live + suffix, d.file("cast.db") + suffix));
             return d.file("cast.db");
         }, rows.size(), false},   // as the commit before the kill left them
        {"held by a recording", [&](const TestDir& d) {
             write(d.file("cast.db"), rows);
             return d.file("cast.db");
         }, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        const QString path = c.make(dir);
        QDir(dir.file("live")).removeRecursively();
        ProfileTable holder;
        if (c.readRows == 0) {
            holder.setTableName(path);
            holder.open();
        }
        const auto before = snapshot(dir.path());
        const Result<StoredProfile> read = readProfile(path);
        EXPECT_EQ(read.ok(), c.readRows > 0) << read.message().toStdString();
        if (read.ok()) {
            EXPECT_EQ(read->rows.size(), c.readRows);
            EXPECT_EQ(read->rows.front(), rows.front());
            if (c.readRows == rows.size()) {
                EXPECT_EQ(read->rows, rows);
            }
        }
        if (c.viewable) {
            ProfileTable view;
            view.setTableName(path);
            view.open();
            view.setFiltered(true);
            view.setFiltered(false);
            for (view.first(); !view.eof(); view.next()) {
            }
            EXPECT_EQ(view.storedRows(), rows);
        }
        EXPECT_EQ(snapshot(dir.path()), before);
    }
}

// Users copy single .db files, also of a recording in progress.
TEST(ProfileFileWriting, EveryPostedRowIsInTheDbFileAlone)
{
    TestDir dir;
    QDir().mkpath(dir.file("copies"));
    const QString earlier = dir.file("earlier.db");
    write(earlier, {sample(0)});
    ASSERT_TRUE(runSql(earlier, {"PRAGMA journal_mode=WAL"}));
    for (const QString& path : {dir.file("new.db"), earlier}) {
        SCOPED_TRACE(path.toStdString());
        ProfileTable t;
        t.setTableName(path);
        if (path == earlier)
            t.open();
        else
            t.createTable();
        const int before = t.recordCount();
        for (int i = 0; i < 30; ++i) {
            t.append();
            t.setRow(sample(i));
            t.post();
            const QString copy = dir.file("copies/" + QString::number(i) + QFileInfo(path).fileName());
            ASSERT_TRUE(QFile::copy(path, copy));
            ASSERT_EQ(int(readProfileRows(copy).size()), before + i + 1);
        }
        // A second writer is refused while the file is held.
        ProfileTable second;
        second.setTableName(path);
        EXPECT_THROW(second.open(), TableError);
        t.close();
        EXPECT_EQ(journalVersion(path), 1);
    }
    QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, QStringList({"earlier.db", "new.db"}));
}

// A good file of another user (mode 644), or any file in a folder we may not
// write (read-only media, an archive share), is viewed, not refused.
TEST(ProfileFileOpening, FileWeMayNotWriteOpensReadOnly)
{
    const std::vector<ProfileRow> rows = cast(20);
    for (bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "read-only folder" : "file without write permission");
        TestDir dir;
        QDir().mkpath(dir.file("media"));
        const QString path = dir.file("media/cast.db");
        write(path, rows);
        const auto before = snapshot(dir.file("media"));
        // The file alone, or the whole folder.
        WriteProtection protect(dir.path(), {folder ? dir.file("media") : path},
                                folder ? QStringList() : QStringList{dir.file("media")});
        EXPECT_EQ(readProfileRows(path), rows);
        ProfileTable t;
        t.setTableName(path);
        t.open();
        EXPECT_TRUE(t.isReadOnly());
        EXPECT_FALSE(t.isLegacy());
        EXPECT_EQ(t.storedRows(), rows);
        t.setFiltered(true);
        t.setFiltered(false);
        t.moveTo(3);
        for (const auto& change : std::vector<std::function<void()>>{
                 [&] { t.append(); }, [&] { t.edit(); }, [&] { t.deleteRow(); },
                 [&] { t.setField(ProfileField::Depth, 2.0); }, [&] { t.setMarks(std::vector<bool>(20, true)); }}) {
            try {
                change();
                ADD_FAILURE() << "a change was accepted";
            } catch (const TableError& e) {
                EXPECT_TRUE(e.isReadOnlyFile()) << e.what();
            }
        }
        EXPECT_EQ(t.state(), ProfileTable::State::Browse);
        t.close();
        EXPECT_EQ(snapshot(dir.file("media")), before);
    }
}

// A killed save leaves "." + name + ".XXXXXX" beside its target; the next save
// removes ours that nobody holds, and nothing else.
TEST(StaleTempFiles, NextSaveRemovesOursAndNothingElse)
{
    TestDir dir;
    // One in use by a save in progress.
    ProfileTable held;
    held.setTableName(dir.file(".held.db.Zz9Zz9"));
    held.createTable();
    ASSERT_TRUE(isTempFileName(".held.db.Zz9Zz9"));
    const QString ours = dir.file("ours.db");
    write(ours, cast(5));
    const QByteArray profile = TestDir::readAll(ours);
    const std::map<QString, QByteArray> stale = {
        {".cast.db.Ab12Cd", profile},
        {".cast.db.Ab12Cd-journal", QByteArray(512, '\0')},
        {".new.db.x9Y8z7", ""},                          // killed before SQLite wrote
        {".gone.db.QQQQQQ-journal", QByteArray(28, '\1')},  // its file is gone
    };
    const std::map<QString, QByteArray> kept = {
        {".bashrc.backup", "alias ll='ls -l'\n"},         // the pattern, not ours
        {".notes.db.abcdef", "SQLite format 3"},           // no header of ours
        {".notes.txt.abcdef", ""},                         // empty, not a profile's temp
        {".cast.db.Ab12C", profile},                       // five letters
        {"cast.db.Ab12Cd", profile},                       // not hidden
        {"old.db-journal", QByteArray(28, '\1')},          // a journal of another file
    };
    for (const auto* files : {&stale, &kept})
        for (const auto& [name, bytes] : *files)
            TestDir::writeAll(dir.file(name), bytes);
    // One being built by another save: still empty, but locked.
    const QString building = dir.file(".building.db.Bb1Bb1");
    TestDir::writeAll(building, "");
    SqliteDb builder;
    ASSERT_EQ(builder.open(building, SQLITE_OPEN_READWRITE), SQLITE_OK);
    ASSERT_EQ(builder.exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE"), SQLITE_OK);

    write(dir.file("new.db"), cast(3));

    const auto after = snapshot(dir.path());
    for (const auto& [name, bytes] : stale)
        EXPECT_EQ(after.count(name), 0u) << name.toStdString();
    for (const auto& [name, bytes] : kept) {
        ASSERT_EQ(after.count(name), 1u) << name.toStdString();
        EXPECT_EQ(after.at(name), bytes) << name.toStdString();
    }
    EXPECT_EQ(after.count(".held.db.Zz9Zz9"), 1u);
    EXPECT_EQ(after.count(".building.db.Bb1Bb1"), 1u);
    EXPECT_EQ(after.count(".building.db.Bb1Bb1-journal"), 1u);
    EXPECT_EQ(after.count("new.db"), 1u);
    EXPECT_EQ(after.size(), kept.size() + 5);   // + ours, new, the two held ones, a journal
}
