#include "ProfileFiles.h"
#include "document/ProcessedProfiles.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include "TestDir.h"
#include <gtest/gtest.h>
#include <QDir>

namespace {

ProfileRow row(double depth, double velocity, double temp, std::optional<int> status = {},
               std::optional<QDateTime> dt = {}, std::optional<QString> discrip = {})
{
    ProfileRow r;
    r.depth = depth;
    r.velocity = velocity;
    r.temp = temp;
    r.status = status;
    r.dt = dt;
    r.discrip = discrip;
    return r;
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

const QDateTime kDate(QDate(2009, 3, 7), QTime(14, 5, 0));

// The merged profile of the average example: depths 0.5, 1.0, 2.0, 3.0.
const Series kSv = {{0.5, 1500.0}, {1.0, 1500.0}, {2.0, 1480.0}, {3.0, 1520.0}};
const Series kTemp = {{0.5, 15.1}, {1.0, 15.0}, {2.0, 14.2}, {3.0, 13.9}};

}  // namespace

TEST(SavedProfile, MergedProfileSavedAndReadBackRowByRow)
{
    TestDir dir;
    const QString path = dir.file("merged.db");
    const std::vector<ProfileRow> expected = {
        row(0.5, 1500.0, 15.1, 128, kDate, QStringLiteral("长江口S3站")),
        row(1.0, 1500.0, 15.0),
        row(2.0, 1480.0, 14.2),
        row(3.0, 1520.0, 13.9),
    };
    const auto rows = mergedProfileRows(kSv, kTemp, kDate, QStringLiteral("长江口S3站"));
    EXPECT_EQ(rows, expected);
    ASSERT_TRUE(writeProfile(path, rows).ok());
    EXPECT_EQ(readProfileRows(path), expected);
    EXPECT_EQ(entries(dir.path()), QStringList{"merged.db"});
}

TEST(SavedProfile, AverageProfileTakesTheTemperaturesOfItsDepths)
{
    TestDir dir;
    const QString path = dir.file("average.db");
    // Start depth 0.8: no average at 0.5 and 1.0, so point i is merged point i + 2.
    const Series avSv = {{2.0, 1483.2835820895523}, {3.0, 1499.8123}};
    const std::vector<ProfileRow> expected = {
        row(2.0, 1483.2835820895523, 14.2, 64, kDate, QStringLiteral("平均声速(0.80米起算)")),
        row(3.0, 1499.8123, 13.9),
    };
    const auto rows = averageProfileRows(avSv, kTemp, int(kSv.size()), 0.8f, kDate);
    EXPECT_EQ(rows, expected);
    ASSERT_TRUE(writeProfile(path, rows).ok());
    EXPECT_EQ(readProfileRows(path), expected);
}

TEST(SavedProfile, SeriesOutOfStepNeverInventTemperatures)
{
    EXPECT_EQ(mergedProfileRows(kSv, Series(kTemp.begin(), kTemp.begin() + 2), kDate, "S3").size(), 2u);
    // More average points than merged ones would reach in front of SerTemp.
    EXPECT_TRUE(averageProfileRows(kSv, kTemp, 2, 0.8f, kDate).empty());
    EXPECT_TRUE(averageProfileRows({}, kTemp, 4, 0.8f, kDate).empty());
    EXPECT_EQ(averageDescription(0.0f), QStringLiteral("平均声速(0.00米起算)"));
    EXPECT_EQ(averageDescription(12.345f), QStringLiteral("平均声速(12.35米起算)"));
}

TEST(SavedProfile, ReplacesAnOldFileAndAFailedSaveKeepsIt)
{
    TestDir dir;
    const QString path = dir.file("prof.db");
    const auto first = mergedProfileRows(kSv, kTemp, kDate, "first");
    ASSERT_TRUE(writeProfile(path, first).ok());
    const auto second = mergedProfileRows({{9.0, 1490.0}}, {{9.0, 5.0}}, kDate, "second");
    ASSERT_TRUE(writeProfile(path, second).ok());
    EXPECT_EQ(readProfileRows(path), second);

    // A row the engine refuses (no temperature) fails the save midway.
    std::vector<ProfileRow> broken = first;
    broken[2].temp.reset();
    const Status refused = writeProfile(path, broken);
    EXPECT_FALSE(refused.ok());
    EXPECT_FALSE(refused.message().isEmpty());
    EXPECT_EQ(readProfileRows(path), second);
    EXPECT_EQ(entries(dir.path()), QStringList{"prof.db"});

    const Status noDir = writeProfile(dir.file("missing/prof.db"), first);
    EXPECT_FALSE(noDir.ok());
    const QString error = noDir.message();
    EXPECT_TRUE(error.contains(dir.file("missing/prof.db"))) << error.toStdString();
}

TEST(SavedProfile, OnlySavedProfilesMayBeOverwritten)
{
    TestDir dir;
    const QDateTime t0 = kDate;
    auto recording = [&](int firstStatus, int laterStatus) {
        return std::vector<ProfileRow>{
            row(0.5, 1480.0, 15.0, firstStatus, t0, QStringLiteral("S3")),
            row(1.0, 1481.0, 14.9, laterStatus, t0.addSecs(1)),
            row(1.5, 1482.0, 14.8, laterStatus, t0.addSecs(2)),
        };
    };
    auto saved = [&](int kind) {
        return std::vector<ProfileRow>{row(0.5, 1480.0, 15.0, kind, t0, QStringLiteral("S3")),
                                       row(1.0, 1481.0, 14.9), row(1.5, 1482.0, 14.8)};
    };
    // An upload: a date on the first row only, a status byte on every row.
    auto upload = [&](int firstStatus) {
        return std::vector<ProfileRow>{row(0.5, 1480.0, 15.0, firstStatus, t0),
                                       row(1.0, 1481.0, 14.9, 0), row(1.5, 1482.0, 14.8, 1)};
    };
    struct Case { const char* name; std::vector<ProfileRow> rows; bool replaceable; };
    const Case cases[] = {
        {"kind 0 recording", recording(0, 0), false},
        {"kind 63 recording", recording(63, 1), false},
        {"kind 64 saved average", saved(64), true},
        {"kind 65 first row only", saved(65), false},
        {"kind 128 saved merged", saved(128), true},
        {"kind 200 first row only", saved(200), false},
        {"status byte 0x41 recording", recording(0x41, 1), false},
        {"status byte 0xC0 upload", upload(0xC0), false},
        {"status byte 64 recording", recording(64, 0), false},
        {"status byte 128 upload", upload(128), false},
        {"single saved row", {row(0.5, 1480.0, 15.0, 128, t0, "S3")}, true},
    };
    for (const Case& c : cases) {
        const QString path = dir.file(QString::fromUtf8(c.name) + ".db");
        ASSERT_TRUE(writeProfile(path, c.rows).ok());
        QString reason;
        EXPECT_EQ(mayOverwrite(path, &reason), c.replaceable) << c.name;
        if (!c.replaceable) {
            EXPECT_EQ(reason, path + QStringLiteral(" 是原始数据，不能被覆盖!")) << c.name;
        }
    }

    // Files that hold no profile to protect.
    QString reason;
    EXPECT_TRUE(mayOverwrite(dir.file("absent.db"), &reason));
    TestDir::writeAll(dir.file("garbage.db"), "not a database at all");
    EXPECT_TRUE(mayOverwrite(dir.file("garbage.db"), &reason));
    ProfileTable empty;
    empty.setTableName(dir.file("empty.db"));
    empty.createTable();
    empty.close();
    EXPECT_TRUE(mayOverwrite(dir.file("empty.db"), &reason));
}
