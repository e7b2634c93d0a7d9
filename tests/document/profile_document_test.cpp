// The open profile as a document: its values by kind, the merged and average
// profiles, the save rules, and the read-only form the command line uses.
#include "ProfileFiles.h"
#include "TestDir.h"
#include "analysis/AverageVelocity.h"
#include "analysis/CastSplit.h"
#include "analysis/MergedProfile.h"
#include "document/ProcessedProfiles.h"
#include "document/ProfileDocument.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include <gtest/gtest.h>

namespace {

const QDateTime kDate(QDate(2009, 3, 7), QTime(14, 5));

ProfileRow row(double depth, double velocity, double temp, std::optional<int> status = 0)
{
    ProfileRow r;
    r.depth = depth;
    r.velocity = velocity;
    r.temp = temp;
    r.status = status;
    return r;
}

// Down to 10 m and back up, the first row carrying kind, date and description.
std::vector<ProfileRow> cast(int kind = 0)
{
    std::vector<ProfileRow> rows;
    for (int i = 1; i <= 20; ++i)
        rows.push_back(row(i * 0.5, 1480.0 + i * 0.1, 15.0 - i * 0.05));
    for (int i = 19; i >= 1; --i)
        rows.push_back(row(i * 0.5 + 0.2, 1480.1 + i * 0.1, 15.1 - i * 0.05));
    rows.front().status = kind;
    rows.front().dt = kDate;
    rows.front().discrip = QStringLiteral("长江口S3");
    return rows;
}

std::vector<ProfileSample> samples(const std::vector<ProfileRow>& rows)
{
    std::vector<ProfileSample> out;
    for (const ProfileRow& r : rows)
        out.push_back({*r.depth, *r.velocity, *r.temp});
    return out;
}

class ProfileDocumentTest : public ::testing::Test
{
protected:
    QString write(const QString& name, const std::vector<ProfileRow>& rows)
    {
        const QString path = dir.file(name);
        EXPECT_TRUE(writeProfile(path, rows).ok());
        return path;
    }
    TestDir dir;
    ProfileDocument doc;
};

TEST_F(ProfileDocumentTest, ValuesByKindAreSharedSnapshots)
{
    const struct { int kind; int openResult; } cases[] = {{0, 0}, {kKindAverage, 1}, {kKindMerged, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        ASSERT_EQ(doc.open(write(QStringLiteral("k%1.db").arg(c.kind), cast(c.kind))), c.openResult);
        EXPECT_EQ(doc.kind(), c.kind);
        EXPECT_EQ(doc.description(), QStringLiteral("长江口S3"));
        EXPECT_EQ(doc.date(), kDate);
        EXPECT_TRUE(doc.isStale());
        doc.draw();
        EXPECT_FALSE(doc.isStale());
        ASSERT_TRUE(doc.tableSv());
        EXPECT_EQ(doc.tableSv()->size(), cast().size());
        // A stored profile's line is the table-bound series itself, not a copy.
        EXPECT_EQ(doc.averageSv() == doc.tableSv(), c.kind == kKindAverage);
        EXPECT_EQ(doc.mergedSv() == doc.tableSv(), c.kind == kKindMerged);
        EXPECT_EQ(doc.mergedTemp() == doc.tableTemp(), c.kind == kKindMerged);
        const CastParts parts = splitCast(samples(cast()));
        EXPECT_EQ(doc.parts().svDown ? *doc.parts().svDown : Series{}, c.kind ? Series{} : parts.svDown);
        EXPECT_EQ(doc.parts().tempUp ? *doc.parts().tempUp : Series{}, c.kind ? Series{} : parts.tempUp);
    }
}

TEST_F(ProfileDocumentTest, ChangesDropEveryValue)
{
    ASSERT_EQ(doc.open(write("raw.db", cast())), 0);
    doc.draw();
    ASSERT_TRUE(doc.buildMergedProfile().ok());
    ASSERT_TRUE(doc.computeAverage(0.8f).ok());
    int changes = 0;
    QObject::connect(&doc, &ProfileDocument::changed, [&] { ++changes; });
    doc.markChanged();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(doc.isStale());
    EXPECT_FALSE(doc.tableSv() || doc.parts().svDown || doc.mergedSv() || doc.averageSv());
    EXPECT_FALSE(doc.hasMergedProfile());
    EXPECT_FALSE(doc.mergeReady().ok());
}

TEST_F(ProfileDocumentTest, MergedAndAverageAreTheAnalysisResults)
{
    ASSERT_EQ(doc.open(write("raw.db", cast())), 0);
    doc.draw();
    Series sv, temp;
    ASSERT_TRUE(buildMergedProfile(splitCast(samples(cast())), &sv, &temp));
    int merged = 0;
    QObject::connect(&doc, &ProfileDocument::mergedChanged, [&] { ++merged; });
    ASSERT_TRUE(doc.buildMergedProfile().ok());
    EXPECT_EQ(merged, 1);
    EXPECT_EQ(*doc.mergedSv(), sv);
    EXPECT_EQ(*doc.mergedTemp(), temp);

    const Result<SeriesPoint> last = doc.computeAverage(0.8f);
    ASSERT_TRUE(last.ok());
    const AverageResult expected = averageSoundVelocity(sv, 0.8f);
    EXPECT_EQ(*doc.averageSv(), expected.points);
    EXPECT_EQ(last.value(), expected.points.back());
    const Result<SeriesPoint> none = doc.computeAverage(50.0f);
    EXPECT_EQ(none.message(), QStringLiteral("声速剖面数据不足！"));
    EXPECT_FALSE(doc.averageSv());

    // Too few rows to merge: refused with the window's message, nothing made.
    ProfileDocument few;
    ASSERT_EQ(few.open(write("few.db", {row(1, 1480, 15), row(2, 1481, 14), row(1, 1480, 15)})), 0);
    few.draw();
    EXPECT_EQ(few.buildMergedProfile().message(), QStringLiteral("数据量不够，不能绘制声速曲线！"));
    EXPECT_FALSE(few.hasMergedProfile());
}

TEST_F(ProfileDocumentTest, SaveReplacesOnlyProcessedFilesAndOpensTheResult)
{
    const QString raw = write("raw.db", cast());
    ASSERT_EQ(doc.open(raw), 0);
    doc.draw();
    ASSERT_TRUE(doc.buildMergedProfile().ok());
    ASSERT_TRUE(doc.markDepthLayers(2.0f).ok());
    ASSERT_TRUE(doc.setFiltered(true).ok());
    const int marked = doc.rowCount();
    ASSERT_LT(marked, int(cast().size()));
    const std::vector<ProfileRow> rawRows = doc.table().storedRows();

    // Refused or failed: the profile open before stays open, as it was.
    const QString targets[] = {raw, dir.file("missing/m.db")};
    for (const QString& target : targets) {
        const SaveOutcome refused = doc.saveMerged(target);
        EXPECT_FALSE(refused.ok());
        EXPECT_FALSE(refused.openFailed);
        EXPECT_EQ(doc.table().tableName(), raw);
        EXPECT_TRUE(doc.table().isActive());
    }
    EXPECT_EQ(doc.saveMerged(raw).status.message(), raw + QStringLiteral(" 是原始数据，不能被覆盖!"));
    EXPECT_TRUE(doc.saveMerged(dir.file("missing/m.db")).status.message().startsWith(QStringLiteral("建立数据文件时错误！\n")));
    EXPECT_TRUE(doc.table().filtered());
    EXPECT_EQ(doc.rowCount(), marked);
    EXPECT_TRUE(doc.hasMergedProfile());
    EXPECT_EQ(doc.table().storedRows(), rawRows);

    const std::vector<ProfileRow> expected =
        mergedProfileRows(*doc.mergedSv(), *doc.mergedTemp(), kDate, QStringLiteral("长江口S3"));
    const QString merged = dir.file("merged.db");
    ASSERT_TRUE(doc.saveMerged(merged).ok());
    EXPECT_EQ(doc.table().tableName(), merged);
    EXPECT_FALSE(doc.table().filtered());
    EXPECT_EQ(doc.kind(), kKindMerged);
    EXPECT_TRUE(doc.isStale());
    EXPECT_FALSE(doc.hasMergedProfile());
    EXPECT_EQ(doc.table().visibleRows(), expected);

    // The open merged profile may be replaced by its own average.
    doc.draw();
    ASSERT_TRUE(doc.computeAverage(0.8f).ok());
    ASSERT_TRUE(doc.saveAverage(merged).ok());
    EXPECT_EQ(doc.kind(), kKindAverage);
    EXPECT_EQ(doc.table().visibleRow(0).discrip, QStringLiteral("平均声速(0.80米起算)"));
}

// The command line reads a profile whole and gets the values the window gets.
TEST_F(ProfileDocumentTest, LoadedProfileGivesTheWindowsValues)
{
    const QString path = write("raw.db", cast());
    const QByteArray before = TestDir::readAll(path);
    ASSERT_EQ(doc.open(path), 0);
    doc.draw();
    ASSERT_TRUE(doc.buildMergedProfile().ok());
    ASSERT_TRUE(doc.computeAverage(0.8f).ok());
    doc.table().close();

    ProfileDocument loaded;
    Result<StoredProfile> read = readProfile(path);
    ASSERT_TRUE(read.ok());
    ASSERT_TRUE(loaded.load(std::move(read.value())).ok());
    EXPECT_FALSE(loaded.table().isActive());
    EXPECT_EQ(*loaded.shownRows(), readProfileRows(path));
    loaded.draw();
    ASSERT_TRUE(loaded.buildMergedProfile().ok());
    ASSERT_TRUE(loaded.computeAverage(0.8f).ok());
    EXPECT_EQ(*loaded.mergedSv(), *doc.mergedSv());
    EXPECT_EQ(*loaded.averageSv(), *doc.averageSv());
    const QString out = dir.file("av.db");
    ASSERT_TRUE(loaded.saveAverage(out).ok());
    EXPECT_EQ(loaded.kind(), kKindAverage);
    EXPECT_EQ(*loaded.shownRows(), readProfileRows(out));
    EXPECT_EQ(TestDir::readAll(path), before);

    EXPECT_EQ(ProfileDocument().load(StoredProfile{}).message(), QStringLiteral("数据文件错误或空数据文件！"));
}

}  // namespace
