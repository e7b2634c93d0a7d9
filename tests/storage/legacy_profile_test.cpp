// Old Paradox profile files, written here by pxlib's own writer.
#include "ParadoxWriter.h"
#include "ProfileFiles.h"
#include "TestDir.h"
#include "storage/LegacyProfile.h"
#include "storage/PxlibTable.h"
#include <QCryptographicHash>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace {

QDateTime at(int h, int m, int s) { return QDateTime(QDate(2009, 3, 7), QTime(h, m, s)); }

ProfileRow row(std::optional<QDateTime> dt, double depth, double velocity, double temp,
               std::optional<int> status, std::optional<QString> discrip = {},
               std::optional<bool> filtOk = {})
{
    return {dt, depth, velocity, temp, status, discrip, filtOk};
}

// A raw cast as recorded: every row timed, the probe's status byte (bit 6 and 7
// set on the third), "低电" on a low-battery row; 0.0 and negative values are
// values, not empty fields.
std::vector<ProfileRow> rawCast()
{
    return {row(at(14, 5, 0), 0.0, 1480.26, 15.31, 0, QString::fromUtf8("长江口S3站"), true),
            row(at(14, 5, 1), 0.52, 1480.53, -1.5, 1, QString::fromUtf8("低电"), false),
            row(at(14, 5, 2), -0.3, 1479.9, 15.27, 0xC2)};
}

// Saved profiles: header row with kind and description, the later rows with no
// date, status or description.
std::vector<ProfileRow> savedProfile(int kind, const char* description)
{
    std::vector<ProfileRow> rows{row(at(9, 30, 15), 0.8, 1481.123456, 12.0, kind, QString::fromUtf8(description))};
    for (int i = 1; i < 4; ++i)
        rows.push_back(row({}, 0.8 + i, 1481.0 + i / 3.0, 12.0 - i, {}));
    return rows;
}

QByteArray checksum(const QString& path)
{
    return QCryptographicHash::hash(TestDir::readAll(path), QCryptographicHash::Sha256);
}

std::vector<ParadoxField> layoutWith(const std::function<void(std::vector<ParadoxField>&)>& change)
{
    std::vector<ParadoxField> layout = paradoxProfileLayout();
    change(layout);
    return layout;
}

void expectRowsEqual(const std::vector<ProfileRow>& got, const std::vector<ProfileRow>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(got[i].dt, want[i].dt);
        EXPECT_EQ(got[i].depth, want[i].depth);
        EXPECT_EQ(got[i].velocity, want[i].velocity);
        EXPECT_EQ(got[i].temp, want[i].temp);
        EXPECT_EQ(got[i].status, want[i].status);
        EXPECT_EQ(got[i].discrip, want[i].discrip);
        EXPECT_EQ(got[i].filtOk, want[i].filtOk);
    }
}

}  // namespace

TEST(LegacyProfile, ReadsEveryKindFieldByField)
{
    struct Case
    {
        const char* name;
        std::vector<ProfileRow> rows;
        std::vector<ParadoxField> layout;
    };
    const Case cases[] = {
        {"raw cast", rawCast(), paradoxProfileLayout()},
        {"average", savedProfile(64, "平均声速(0.80米起算)"), paradoxProfileLayout()},
        {"merged", savedProfile(128, "合并剖面 S3"), paradoxProfileLayout()},
        {"empty table", {}, paradoxProfileLayout()},
        {"names in other case, short text field", rawCast(),
         layoutWith([](auto& l) {
             l[1].name = "FNDEPTH";
             l[5].length = 40;
         })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        const QString path = dir.file("old.db");
        QString error;
        ASSERT_TRUE(writeParadoxTable(path, c.rows, &error, c.layout)) << error.toStdString();
        EXPECT_TRUE(isLegacyProfileFile(path));
        const QByteArray before = checksum(path);
        std::vector<ProfileRow> rows;
        ASSERT_TRUE(readLegacyProfile(path, &rows, &error)) << error.toStdString();
        expectRowsEqual(rows, c.rows);
        EXPECT_EQ(checksum(path), before);
    }
}

TEST(LegacyProfile, TimeStampsCountMillisecondsFromYearOne)
{
    // 2009-03-07 is day 733473 counting 0001-01-01 as day 1 (Paradox's
    // timestamp): 733473 * 86400000 + 14:05 in ms. Stored big-endian with the
    // sign bit set, at the first record of the first block.
    TestDir dir;
    QString error;
    ASSERT_TRUE(writeParadoxTable(dir.file("t.db"), rawCast(), &error)) << error.toStdString();
    QByteArray field = TestDir::readAll(dir.file("t.db")).mid(0x800 + 6, 8);
    field[0] = char(field[0] ^ 0x80);
    quint64 bits = 0;
    for (char c : field)
        bits = (bits << 8) | uchar(c);
    double ms = 0;
    std::memcpy(&ms, &bits, sizeof ms);
    EXPECT_EQ(ms, 63372117900000.0);
}

TEST(LegacyProfile, ReadsACastSpanningManyBlocks)
{
    std::vector<ProfileRow> rows;
    for (int i = 0; i < 300; ++i)   // 56 rows a block
        rows.push_back(row(at(10, i / 60, i % 60), i * 0.5, 1480 + i * 0.01, 15 - i * 0.01, i % 3));
    TestDir dir;
    QString error;
    ASSERT_TRUE(writeParadoxTable(dir.file("long.db"), rows, &error)) << error.toStdString();
    std::vector<ProfileRow> got;
    ASSERT_TRUE(readLegacyProfile(dir.file("long.db"), &got, &error)) << error.toStdString();
    expectRowsEqual(got, rows);
}

TEST(LegacyProfile, RefusesDamagedFilesAndLeavesThemAsTheyWere)
{
    // Offsets: header size 0x800, first block header at 0x800 (next block,
    // previous block, offset of the last record), record count at 6.
    struct Case
    {
        const char* name;
        std::vector<ParadoxField> layout;
        std::function<void(QByteArray&)> damage;
        bool stillLooksLegacy;
    };
    const auto none = [](QByteArray&) {};
    const Case cases[] = {
        {"truncated in the data block", paradoxProfileLayout(), [](QByteArray& b) { b.chop(4000); }, true},
        {"truncated in the header", paradoxProfileLayout(), [](QByteArray& b) { b.truncate(0x100); }, true},
        {"header bytes: block size", paradoxProfileLayout(), [](QByteArray& b) { b[5] = 5; }, false},
        // A header size that is no whole number of KiB is taken as it stands: the blocks then lie elsewhere.
        {"header bytes: header size", paradoxProfileLayout(), [](QByteArray& b) { b[2] = 0x13; }, true},
        {"header counts another row", paradoxProfileLayout(), [](QByteArray& b) { b[6] = char(b[6] + 1); }, true},
        {"block holds more than fits", paradoxProfileLayout(),
         [](QByteArray& b) {
             b[0x804] = char(0xFF);
             b[0x805] = 0x7F;
         },
         true},
        {"block chain loops", paradoxProfileLayout(), [](QByteArray& b) { b[0x800] = 1; }, true},
        {"six fields", layoutWith([](auto& l) { l.pop_back(); }), none, true},
        {"temperature as a short", layoutWith([](auto& l) { l[3] = {"fnTemp", ParadoxType::Short, 2}; }), none, true},
        {"renamed field", layoutWith([](auto& l) { l[2].name = "fnSpeed"; }), none, true},
        {"fields in another order",
         layoutWith([](auto& l) { std::swap(l[1], l[2]); }), none, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        const QString path = dir.file("bad.db");
        QString error;
        ASSERT_TRUE(writeParadoxTable(path, rawCast(), &error, c.layout)) << error.toStdString();
        QByteArray bytes = TestDir::readAll(path);
        c.damage(bytes);
        TestDir::writeAll(path, bytes);
        const QByteArray before = checksum(path);

        EXPECT_EQ(isLegacyProfileFile(path), c.stillLooksLegacy);
        std::vector<ProfileRow> rows{ProfileRow{}};
        error.clear();
        EXPECT_FALSE(readLegacyProfile(path, &rows, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(rows.empty());
        EXPECT_EQ(checksum(path), before);
    }
}

TEST(LegacyProfile, OtherFilesAreNotLegacy)
{
    TestDir dir;
    ASSERT_TRUE(runSql(dir.file("current.db"), {"CREATE TABLE profile (fnDT TEXT, fnDepth REAL)"}));
    TestDir::writeAll(dir.file("export.csv"), "S3(09-3-7 14:05)\nDepth,Sound Velocity,Temperature\n0.5,1480.3,15.3\n");
    TestDir::writeAll(dir.file("empty.db"), "");
    for (const char* name : {"current.db", "export.csv", "empty.db", "missing.db"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(isLegacyProfileFile(dir.file(name)));
        std::vector<ProfileRow> rows;
        QString error;
        EXPECT_FALSE(readLegacyProfile(dir.file(name), &rows, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

// Tables written at an older Paradox level have a header that is no whole
// number of KiB: read when pxlib reads them and the layout is the profile's.
TEST(LegacyProfile, OlderLevelHeadersAreReadWhenTheLayoutMatches)
{
    struct Case
    {
        const char* name;
        std::vector<ParadoxField> layout;
        const char* reason;   // empty: read
    };
    const Case cases[] = {
        {"profile layout", paradoxProfileLayout(), ""},
        {"six fields", layoutWith([](auto& l) { l.pop_back(); }), "6 fields, the profile table has 7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDir dir;
        const QString path = dir.file("old.db");
        QString error;
        ASSERT_TRUE(writeParadoxTable(path, rawCast(), &error, c.layout)) << error.toStdString();
        // The same table with a header of 0xA00 bytes: 0x200 more before the first block.
        QByteArray bytes = TestDir::readAll(path);
        ASSERT_EQ(bytes[2], '\0');
        ASSERT_EQ(bytes[3], '\x08');
        bytes.insert(0x800, QByteArray(0x200, '\0'));
        bytes[3] = '\x0A';
        TestDir::writeAll(path, bytes);
        EXPECT_TRUE(isLegacyProfileFile(path));
        std::vector<ProfileRow> rows;
        const bool read = readLegacyProfile(path, &rows, &error);
        if (*c.reason == '\0') {
            ASSERT_TRUE(read) << error.toStdString();
            expectRowsEqual(rows, rawCast());
        } else {
            EXPECT_FALSE(read);
            EXPECT_EQ(error, QString::fromUtf8(c.reason));
        }
        EXPECT_EQ(TestDir::readAll(path), bytes);
    }
}

// pxlib refuses this header (found by fuzzing), and its PX_delete after the
// failed PX_open_fp freed the same memory twice: the clean-up must not crash.
TEST(LegacyProfile, FailedPxlibOpenIsCleanedUpOnce)
{
    const QString fixture = SV_TEST_DATA "/fuzz/paradox-double-free.db";
    QByteArray bytes = TestDir::readAll(fixture);
    ASSERT_EQ(bytes.size(), 92);
    for (int round = 0; round < 3; ++round) {
        PxlibTable table(bytes);
        EXPECT_FALSE(table.open().ok());
    }
    std::vector<ProfileRow> rows;
    QString error;
    EXPECT_FALSE(readLegacyProfile(fixture, &rows, &error));
    EXPECT_FALSE(error.isEmpty());
}
