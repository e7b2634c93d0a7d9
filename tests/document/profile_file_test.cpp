#include "ProfileFiles.h"
#include "TestDir.h"
#include "document/ProfileFile.h"
#include "storage/ProfileTable.h"
#include "document/ProfileTableModel.h"
#include <gtest/gtest.h>

namespace {

ProfileRow row(std::optional<double> depth, std::optional<int> status = std::nullopt)
{
    ProfileRow r;
    r.depth = depth;
    r.velocity = 1480.5;
    r.temp = -1.25;
    r.status = status;
    return r;
}

TEST(OpenProfileFile, ResultTellsFailureEmptinessAndKind)
{
    TestDir dir;
    TestDir::writeAll(dir.file("text.db"), "fnDepth\n1.0\n");
    postRows(dir.file("empty.db"), {});
    const struct { const char* name; std::optional<int> firstStatus; int expected; } cases[] = {
        {"missing.db", std::nullopt, -1},
        {"text.db", std::nullopt, -1},
        {"empty.db", std::nullopt, -2},
        {"nostatus.db", std::nullopt, 0},
        {"raw.db", 63, 0},
        {"average.db", 64, 1},
        {"merged.db", 128, 1},
        {"rawhigh.db", 200, 1},   // a raw status byte with bit 7 set counts as processed
    };
    ProfileTable table;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString p = dir.file(c.name);
        if (c.expected >= 0)
            postRows(p, {row(0.5, c.firstStatus), row(1.0, 0)});
        table.setFiltered(true);   // left on by the previous file
        EXPECT_EQ(openProfileFile(table, p), c.expected);
        EXPECT_EQ(table.isActive(), c.expected >= 0);
        EXPECT_FALSE(table.filtered());
        if (c.expected >= 0) {
            EXPECT_EQ(table.recNo(), 1);
            EXPECT_EQ(table.recordCount(), 2);
        }
    }
}

// An empty file is refused before the write lock: taking it, SQLite rewrites
// a header page count that does not match the file, and a refused file must be
// left as it was (found by fuzzing: an empty profile with a page count of 0).
TEST(OpenProfileFile, EmptyFileWithStalePageCountIsRefusedUntouched)
{
    TestDir dir;
    const QString p = dir.file("empty.db");
    postRows(p, {});
    QByteArray bytes = TestDir::readAll(p);
    ASSERT_GE(bytes.size(), 100);
    bytes.replace(28, 4, QByteArray(4, '\0'));   // header page count
    TestDir::writeAll(p, bytes);
    ProfileTable table;
    EXPECT_EQ(openProfileFile(table, p), -2);
    EXPECT_FALSE(table.isActive());
    EXPECT_EQ(TestDir::readAll(p), bytes);
    // Opened for a recording, the same file is taken (and its count mended).
    table.setTableName(p);
    EXPECT_NO_THROW(table.open());
    EXPECT_EQ(table.recordCount(), 0);
}

TEST(OpenProfileFile, FileHeldByAnotherTableCannotBeOpened)
{
    TestDir dir;
    const QString p = dir.file("held.db");
    postRows(p, {row(0.5)});
    ProfileTable holder;
    holder.setTableName(p);
    holder.open();
    ProfileTable table;
    EXPECT_EQ(openProfileFile(table, p), -1);
    EXPECT_FALSE(table.isActive());
}

TEST(ProfileKind, IsTheLowByteOfTheFirstStatus)
{
    const struct { std::optional<int> status; int kind; } cases[] = {
        {std::nullopt, 0}, {5, 5}, {64, 64}, {128, 128}, {0x1C0, 0xC0}, {-1, 255},
    };
    for (const auto& c : cases)
        EXPECT_EQ(profileKind(row(1.0, c.status)), c.kind) << c.status.value_or(-999);
}

class ProfileGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProfileRow first = row(12.25, 0);
        first.dt = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
        ProfileRow second = row(3.0);
        second.temp = 20.0;
        postRows(path, {first, second});
        table.setTableName(path);
        table.open();
    }
    QString text(int r, int c, int role = Qt::DisplayRole) const
    {
        return model.data(model.index(r, c), role).toString();
    }
    std::vector<double> storedDepths()
    {
        std::vector<double> out;
        for (const ProfileRow& r : table.visibleRows())
            out.push_back(*r.depth);
        return out;
    }
    TestDir dir;
    QString path = dir.file("grid.db");
    ProfileTable table;
    ProfileTableModel model{&table};
};

TEST_F(ProfileGridTest, CellsShowTheDisplayFormats)
{
    const struct { const char* format; const char* cells[2][4]; } cases[] = {
        {"0.0", {{"24-3-5 14:07:09", "12.3", "1480.5", "-1.3"}, {"", "3.0", "1480.5", "20.0"}}},
        {"0.00", {{"24-3-5 14:07:09", "12.25", "1480.50", "-1.25"}, {"", "3.00", "1480.50", "20.00"}}},
    };
    for (const auto& c : cases) {
        model.setNumberFormat(QString::fromLatin1(c.format));
        ASSERT_EQ(model.rowCount(), 2);
        for (int r = 0; r < 2; ++r)
            for (int col = 0; col < 4; ++col)
                EXPECT_EQ(text(r, col), QString::fromUtf8(c.cells[r][col])) << c.format << " " << r << "," << col;
    }
    EXPECT_EQ(text(0, ProfileTableModel::ColDepth, Qt::EditRole), "12.25");
    const char* titles[] = {"时间", "深度", "声速", "温度"};
    for (int col = 0; col < 4; ++col)
        EXPECT_EQ(model.headerData(col, Qt::Horizontal).toString(), QString::fromUtf8(titles[col]));
    model.setVelocityTitle(QStringLiteral("平均声速"));
    EXPECT_EQ(model.headerData(ProfileTableModel::ColVelocity, Qt::Horizontal).toString(), "平均声速");
    table.close();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(ProfileGridTest, InsertedRowShowsAtItsPlaceAndIsStoredWhenLeft)
{
    table.moveTo(2);
    table.insert();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.currentRow(), 1);
    EXPECT_EQ(text(1, ProfileTableModel::ColDepth), "");
    EXPECT_EQ(text(2, ProfileTableModel::ColDepth), "3.0");
    EXPECT_FALSE(model.setData(model.index(1, ProfileTableModel::ColDepth), "abc"));
    EXPECT_TRUE(model.setData(model.index(1, ProfileTableModel::ColDepth), " 7.5 "));
    EXPECT_TRUE(model.setData(model.index(1, ProfileTableModel::ColVelocity), "1500"));
    QString refused;
    QObject::connect(&model, &ProfileTableModel::editFailed, [&](const QString& m) { refused = m; });
    // Leaving the row without a temperature is refused; the row stays pending.
    EXPECT_FALSE(model.setData(model.index(0, ProfileTableModel::ColDepth), "1"));
    EXPECT_EQ(refused, QStringLiteral("字段 温度 必须有值！"));   // the column's title, not the field's name
    EXPECT_EQ(table.state(), ProfileTable::State::Insert);
    EXPECT_TRUE(model.setData(model.index(1, ProfileTableModel::ColTemp), "4"));
    EXPECT_TRUE(model.setData(model.index(1, ProfileTableModel::ColDT), "2024-03-05 10:00:00"));
    EXPECT_TRUE(model.setData(model.index(2, ProfileTableModel::ColDT), "24-3-6 9:05:00"));
    table.post();
    EXPECT_EQ(storedDepths(), (std::vector<double>{12.25, 7.5, 3.0}));
    EXPECT_EQ(table.visibleRow(1).dt, QDateTime(QDate(2024, 3, 5), QTime(10, 0)));
    EXPECT_EQ(table.visibleRow(2).dt, QDateTime(QDate(2024, 3, 6), QTime(9, 5)));
    EXPECT_TRUE(model.setData(model.index(2, ProfileTableModel::ColDT), ""));   // empties the field
    table.post();
    EXPECT_FALSE(table.visibleRow(2).dt.has_value());
}

TEST(ProfileGridDates, DateTextsOfTheGrid)
{
    const struct { const char* text; std::optional<QDateTime> expected; } cases[] = {
        {"24-3-5 14:07:09", QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))},
        {"2024-03-05 14:07:09", QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))},
        {"99-12-31 23:59:59", QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))},
        {"24-3-5", QDateTime(QDate(2024, 3, 5), QTime(0, 0))},
        {"24-2-30 10:00:00", std::nullopt},
        {"24-3-5 25:00:00", std::nullopt},
        {"5.3.24", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProfileTableModel::parseDateText(c.text), c.expected) << c.text;
}

}  // namespace
