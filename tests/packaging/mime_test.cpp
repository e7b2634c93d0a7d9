// The MIME types of profile files, as a file manager sees them: the installed
// XML compiled with update-mime-database and read back through QMimeDatabase,
// which follows the shared-mime-info rules (globs, then magic).
#include "ParadoxWriter.h"
#include "TestDir.h"
#include "storage/ProfileTable.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

const char* const kProfile = "application/x-vx4400-profile";
const char* const kOldProfile = "application/x-vx4400-paradox-profile";

class ProfileMimeTypes : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // As installed: our XML beside the system's, compiled into one database
        // (the package's trigger runs update-mime-database on /usr/share/mime).
        // Set before the first QMimeDatabase; no user's own types.
        static TestDir share;
        const QString packages = share.file("mime/packages");
        ASSERT_TRUE(QDir().mkpath(packages));
        for (const QFileInfo& xml : QDir("/usr/share/mime/packages").entryInfoList({"*.xml"}, QDir::Files))
            ASSERT_TRUE(QFile::copy(xml.filePath(), packages + "/" + xml.fileName()));
        ASSERT_TRUE(QFile::copy(SV_MIME_XML, packages + "/org.vx4400.svclient.xml"));
        qputenv("XDG_DATA_DIRS", share.path().toUtf8());
        qputenv("XDG_DATA_HOME", share.file("nobody").toUtf8());
        QProcess update;
        update.start("update-mime-database", {share.file("mime")});
        ASSERT_TRUE(update.waitForFinished(60000));
        ASSERT_EQ(update.exitCode(), 0) << update.readAllStandardError().toStdString();
        // The XML is valid: update-mime-database warns on anything it drops.
        ASSERT_EQ(update.readAllStandardError(), QByteArray());
        ASSERT_TRUE(QFile::exists(share.file("mime/mime.cache")));
    }

    static std::string typeOf(const QString& path)
    {
        return QMimeDatabase().mimeTypeForFile(path).name().toStdString();
    }

    static void writeProfile(const QString& path)
    {
        ProfileTable t;
        t.setTableName(path);
        t.createTable();
        t.open();
        ProfileRow r;
        r.depth = 1.0;
        r.velocity = 1500.0;
        r.temp = 20.0;
        r.status = 0;
        t.append();
        t.setRow(r);
        t.post();
        t.close();
    }

    static void writeOtherDatabase(const QString& path)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t(x); INSERT INTO t VALUES(1);", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }

    TestDir dir;
};

TEST_F(ProfileMimeTypes, ProfileFilesAreToldByTheirContents)
{
    writeProfile(dir.file("cast.db"));
    QFile::copy(dir.file("cast.db"), dir.file("cast-without-extension"));
    QString error;
    ASSERT_TRUE(writeParadoxTable(dir.file("OLD.DB"), {ProfileRow{}}, &error)) << error.toStdString();
    ASSERT_TRUE(writeParadoxTable(dir.file("empty-old.db"), {}, &error)) << error.toStdString();

    // The same table as Paradox 3.5 wrote it: no data header, the field list at 88.
    const QByteArray v4 = TestDir::readAll(dir.file("OLD.DB"));
    const int headerSize = uchar(v4[2]) | uchar(v4[3]) << 8;
    QByteArray v35 = v4.left(88) + v4.mid(120, headerSize - 120) + QByteArray(32, '\0') + v4.mid(headerSize);
    v35[57] = 4;
    TestDir::writeAll(dir.file("OLD35.DB"), v35);

    EXPECT_EQ(typeOf(dir.file("cast.db")), kProfile);
    EXPECT_EQ(typeOf(dir.file("cast-without-extension")), kProfile);
    EXPECT_EQ(typeOf(dir.file("OLD.DB")), kOldProfile);
    EXPECT_EQ(typeOf(dir.file("empty-old.db")), kOldProfile);
    EXPECT_EQ(typeOf(dir.file("OLD35.DB")), kOldProfile);
    // A profile file is an SQLite database too: database tools are offered beside us.
    EXPECT_TRUE(QMimeDatabase().mimeTypeForName(kProfile).inherits("application/vnd.sqlite3"));
}

TEST_F(ProfileMimeTypes, OtherDbFilesAreNotClaimed)
{
    writeOtherDatabase(dir.file("other.db"));
    TestDir::writeAll(dir.file("notes.db"), "depth,velocity\n1,1500\n");
    TestDir::writeAll(dir.file("Thumbs.db"), QByteArray(600, '\x01'));
    QString error;
    // A Paradox table of another layout (three numbers).
    const std::vector<ParadoxField> foreign = {{"a", ParadoxType::Number, 8}, {"b", ParadoxType::Number, 8},
                                               {"c", ParadoxType::Number, 8}};
    ASSERT_TRUE(writeParadoxTable(dir.file("foreign.db"), {}, &error, foreign)) << error.toStdString();

    EXPECT_EQ(typeOf(dir.file("other.db")), "application/vnd.sqlite3");
    for (const char* name : {"notes.db", "Thumbs.db", "foreign.db"}) {
        const std::string type = typeOf(dir.file(name));
        EXPECT_NE(type, kProfile) << name;
        EXPECT_NE(type, kOldProfile) << name;
    }
}

}  // namespace
