#include "ParadoxWriter.h"
#include "ProfileFiles.h"
#include "TestDir.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Counts the emissions of a signal.
struct Counter
{
    template <typename Signal>
    Counter(ProfileTable* t, Signal s) { QObject::connect(t, s, [this] { ++n; }); }
    int count() const { return n; }
    int n = 0;
};

ProfileRow sample(double depth, std::optional<bool> filtOk = std::nullopt)
{
    ProfileRow r;
    r.depth = depth;
    r.velocity = 1480.0 + depth;
    r.temp = 12.5;
    r.filtOk = filtOk;
    return r;
}

void appendRow(ProfileTable& t, const ProfileRow& r)
{
    t.append();
    t.setRow(r);
    t.post();
}

std::vector<double> depths(const ProfileTable& t)
{
    std::vector<double> out;
    for (const ProfileRow& r : t.visibleRows())
        out.push_back(r.depth.value_or(-1));
    return out;
}

class ProfileTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        table.setTableName(path);
        table.createTable();
    }
    void reopen()
    {
        table.close();
        table.open();
    }
    TestDir dir;
    QString path = dir.file("cast.db");
    ProfileTable table;
};

TEST_F(ProfileTableTest, PostedRowsComeBackWithEveryField)
{
    ProfileRow full = sample(1.25, true);
    full.dt = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 125));
    full.status = -32768;
    full.discrip = QStringLiteral("测站一 低电");
    appendRow(table, full);
    ProfileRow bare = sample(2.5);   // optional fields left empty
    appendRow(table, bare);
    reopen();
    ASSERT_EQ(table.recordCount(), 2);
    EXPECT_EQ(table.visibleRow(0), full);
    EXPECT_EQ(table.visibleRow(1), bare);
    EXPECT_EQ(table.recNo(), 1);
    EXPECT_TRUE(table.bof());
    EXPECT_FALSE(table.eof());
}

TEST_F(ProfileTableTest, InsertedRowsKeepTheirPlaceAcrossReopen)
{
    for (double d : {1.0, 2.0, 3.0})
        appendRow(table, sample(d));
    // Sixty inserts at one place exhaust the halving gaps and force a renumbering.
    table.moveTo(2);
    std::vector<double> expected{1.0};
    for (int i = 0; i < 60; ++i) {
        table.insert();
        EXPECT_EQ(table.recNo(), 2);
        table.setField(ProfileField::Depth, 100.0 + i);
        table.setField(ProfileField::Velocity, 1500);
        table.setField(ProfileField::Temp, 4);
        table.post();
        expected.insert(expected.begin() + 1, 100.0 + i);
    }
    expected.push_back(2.0);
    expected.push_back(3.0);
    table.first();
    table.insert();   // at the first row
    table.setRow(sample(0.5));
    table.post();
    expected.insert(expected.begin(), 0.5);
    EXPECT_EQ(depths(table), expected);
    reopen();
    EXPECT_EQ(depths(table), expected);
}

TEST_F(ProfileTableTest, FilterShowsOnlyMarkedRowsToWalksAndCounts)
{
    const std::vector<std::pair<double, std::optional<bool>>> rows{
        {0.5, true}, {1.0, false}, {1.5, std::nullopt}, {2.0, true}, {2.5, true}};
    for (const auto& [d, ok] : rows)
        appendRow(table, sample(d, ok));
    table.moveTo(4);
    Counter scrolls(&table, &ProfileTable::afterScroll);
    table.setFiltered(true);
    EXPECT_EQ(table.recNo(), 1);   // the switch goes to the first visible row
    EXPECT_EQ(table.recordCount(), 3);
    std::vector<double> walked;
    for (table.first(); !table.eof(); table.next())
        walked.push_back(*table.current().depth);
    EXPECT_EQ(walked, (std::vector<double>{0.5, 2.0, 2.5}));
    EXPECT_EQ(scrolls.count(), 1 + 1 + 3);   // switch, first, three nexts
    // A row whose mark is cleared while filtered leaves the view.
    table.moveTo(2);
    table.setField(ProfileField::FiltOk, false);
    table.post();
    EXPECT_EQ(depths(table), (std::vector<double>{0.5, 2.5}));
    table.setFiltered(false);
    EXPECT_EQ(table.recordCount(), 5);
}

TEST_F(ProfileTableTest, PostRefusesRowWithoutRequiredFieldAndWritesNothing)
{
    appendRow(table, sample(1.0));
    // The message names the field as the grid titles its column.
    table.setFieldCaption(ProfileField::Velocity, QStringLiteral("平均声速"));
    const struct { ProfileField missing; const char* name; } cases[] = {
        {ProfileField::Depth, "字段 深度 必须有值！"},
        {ProfileField::Velocity, "字段 平均声速 必须有值！"},
        {ProfileField::Temp, "字段 温度 必须有值！"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool inserting : {true, false}) {
            table.first();
            if (inserting)
                table.append();
            table.setRow(sample(7.0));
            table.setField(c.missing, QString());
            const ProfileTable::State pending = table.state();
            const int at = table.recNo();
            try {
                table.post();
                ADD_FAILURE() << "post accepted a row without " << c.name;
            } catch (const TableError& e) {
                EXPECT_EQ(e.message(), QString::fromUtf8(c.name));
            }
            EXPECT_EQ(table.state(), pending);
            EXPECT_THROW(table.next(), TableError);
            EXPECT_EQ(table.state(), pending);
            EXPECT_EQ(table.recNo(), at);
            table.cancel();
        }
    }
    reopen();
    ASSERT_EQ(table.recordCount(), 1);
    EXPECT_EQ(table.visibleRow(0), sample(1.0));
}

TEST_F(ProfileTableTest, DeleteRemovesTheCurrentRowFromFile)
{
    for (double d : {1.0, 2.0, 3.0})
        appendRow(table, sample(d));
    table.moveTo(2);
    table.deleteRow();
    EXPECT_EQ(table.recNo(), 2);
    EXPECT_EQ(*table.current().depth, 3.0);
    table.deleteRow();   // the last row: the cursor steps back
    EXPECT_EQ(table.recNo(), 1);
    reopen();
    EXPECT_EQ(depths(table), (std::vector<double>{1.0}));
    table.deleteRow();
    EXPECT_THROW(table.deleteRow(), TableError);
}

TEST_F(ProfileTableTest, EditNotifiesOnceAndMovesPostTheEdit)
{
    appendRow(table, sample(1.0));
    appendRow(table, sample(2.0));
    table.first();
    Counter edits(&table, &ProfileTable::afterEdit);
    table.setField(ProfileField::Depth, QStringLiteral(" 1.75 "));
    table.setField(ProfileField::Discrip, QString(300, QChar(u'深')));
    EXPECT_EQ(edits.count(), 1);
    EXPECT_THROW(table.setField(ProfileField::Temp, QStringLiteral("1,5")), TableError);
    EXPECT_THROW(table.setField(ProfileField::Status, 40000), TableError);
    table.next();
    EXPECT_EQ(table.state(), ProfileTable::State::Browse);
    reopen();
    EXPECT_EQ(*table.visibleRow(0).depth, 1.75);
    EXPECT_EQ(table.visibleRow(0).discrip->size(), 255);
}

TEST_F(ProfileTableTest, AppendedRowsAreStoredWholeOrNotAtAll)
{
    appendRow(table, sample(1.0));
    ProfileRow noTemp = sample(9.0);
    noTemp.temp.reset();
    ProfileRow wild = sample(9.0);
    wild.status = 70000;
    for (const ProfileRow& bad : {noTemp, wild}) {
        EXPECT_THROW(table.appendRows({sample(2.0), bad, sample(3.0)}), TableError);
        reopen();
        EXPECT_EQ(depths(table), (std::vector<double>{1.0}));
    }
    ProfileRow described = sample(2.0, true);
    described.discrip = QString(300, QChar(0x6DF1));
    table.appendRows({described, sample(3.0)});
    EXPECT_EQ(table.recNo(), 1);
    reopen();
    EXPECT_EQ(depths(table), (std::vector<double>{1.0, 2.0, 3.0}));
    EXPECT_EQ(table.visibleRow(1).discrip->size(), table.visibleRow(1).discrip->left(255).size());
    EXPECT_LT(table.visibleRow(1).discrip->size(), 300);
    // Rows appended one by one after them keep the order.
    table.last();
    appendRow(table, sample(4.0));
    table.setFiltered(true);
    EXPECT_EQ(depths(table), (std::vector<double>{2.0}));
}

TEST_F(ProfileTableTest, MarksAreWrittenForEveryStoredRow)
{
    for (double d : {1.0, 2.0, 3.0, 4.0})
        appendRow(table, sample(d, d == 2.0));
    table.setFiltered(true);   // marks cover the stored rows, not the view
    table.setMarks({true, false, true, true});
    EXPECT_EQ(depths(table), (std::vector<double>{1.0, 3.0, 4.0}));
    EXPECT_THROW(table.setMarks({true}), TableError);
    reopen();
    EXPECT_EQ(depths(table), (std::vector<double>{1.0, 3.0, 4.0}));
    table.setMarks({false, true, false, true});
    reopen();
    EXPECT_EQ(depths(table), (std::vector<double>{2.0, 4.0}));
    table.setFiltered(false);
    EXPECT_EQ(table.storedRows().size(), 4u);
}

TEST_F(ProfileTableTest, SecondOpenOfAHeldFileIsRefused)
{
    appendRow(table, sample(1.0));
    ProfileTable second;
    second.setTableName(path);
    EXPECT_THROW(second.open(), TableError);
    EXPECT_THROW(second.createTable(), TableError);
    EXPECT_FALSE(second.isActive());
    appendRow(table, sample(2.0));   // the holder goes on undisturbed
    table.close();
    second.open();
    EXPECT_EQ(depths(second), (std::vector<double>{1.0, 2.0}));
}

TEST(ProfileTableFiles, ForeignFilesAreRefusedAndLeftUntouched)
{
    TestDir dir;
    const QString ours = dir.file("ours.db");
    {
        ProfileTable t;
        t.setTableName(ours);
        t.createTable();
        for (int i = 0; i < 200; ++i)
            appendRow(t, sample(i));
    }
    auto sqlite = [&](const QString& name, const QStringList& sql) {
        const QString p = dir.file(name);
        EXPECT_TRUE(runSql(p, sql)) << name.toStdString();
        return TestDir::readAll(p);
    };
    const QByteArray whole = TestDir::readAll(ours);
    const struct { const char* name; QByteArray bytes; } cases[] = {
        {"text.db", "fnDT,fnDepth\r\n24-3-5 10:00:00,1.00\r\n"},
        {"empty.db", ""},
        {"other.db", sqlite("other_src.db", {"CREATE TABLE t (a INTEGER, b TEXT)",
                                             "INSERT INTO t VALUES (1, 'x')"})},
        // Our marker but not our columns.
        {"marked.db", sqlite("marked_src.db", {"PRAGMA application_id=1398165574",
                                               "CREATE TABLE profile (fnDT TEXT, fnDepth REAL)"})},
        {"header.db", whole.left(60)},
        {"half.db", whole.left(whole.size() / 2)},
        {"cut.db", whole.left(whole.size() - 1)},
        {"tail.db", whole + QByteArray(100, '\0')},   // no whole number of pages
        // A bare header that announces pages it does not have (found by fuzzing).
        {"bare.db", TestDir::readAll(SV_TEST_DATA "/fuzz/refused-but-rewritten.db")},
        // A free-page list that starts beyond the file: found by fuzzing; the write
        // lock rewrote the header before the rows showed the damage.
        {"freelist.db", TestDir::readAll(SV_TEST_DATA "/fuzz/freelist-beyond-file.db")},
        // Our schema with a page count of 0 in its header and rows that do not
        // read (found by fuzzing): the write lock would rewrite that count.
        {"stale.db", TestDir::readAll(SV_TEST_DATA "/fuzz/refused-after-write-lock.db")},
    };
    ASSERT_EQ(cases[std::size(cases) - 3].bytes.size(), 100);
    ASSERT_EQ(cases[std::size(cases) - 2].bytes.size(), 8192);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString p = dir.file(c.name);
        TestDir::writeAll(p, c.bytes);
        ProfileTable t;
        t.setTableName(p);
        try {
            t.open();
            ADD_FAILURE() << "opened";
        } catch (const TableError& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("无法打开数据文件：") + p)) << e.what();
        }
        EXPECT_FALSE(t.isActive());
        EXPECT_FALSE(readProfile(p).ok());
        EXPECT_EQ(TestDir::readAll(p), c.bytes);
        EXPECT_FALSE(QFile::exists(p + "-wal"));
        EXPECT_FALSE(QFile::exists(p + "-shm"));
        EXPECT_FALSE(QFile::exists(p + "-journal"));
    }
    EXPECT_TRUE(isProfileFile(ours));
    EXPECT_FALSE(isProfileFile(dir.file("other.db")));
    EXPECT_FALSE(isProfileFile(dir.file("missing.db")));
    ProfileTable missing;
    missing.setTableName(dir.file("missing.db"));
    EXPECT_THROW(missing.open(), TableError);
    EXPECT_FALSE(missing.exists());
}

TEST(ProfileTableFiles, CreateReplacesAFileAndFailsWhereNoFileCanBe)
{
    TestDir dir;
    const QString p = dir.file("cast.db");
    TestDir::writeAll(p, "not a database");
    ProfileTable t;
    t.setTableName(p);
    t.createTable();
    EXPECT_TRUE(t.isActive());
    EXPECT_EQ(t.recordCount(), 0);
    t.close();
    TestDir::writeAll(dir.file("plain"), "x");
    for (const QString& bad : {dir.file("no/such/dir/cast.db"), dir.file("plain/cast.db")}) {
        ProfileTable u;
        u.setTableName(bad);
        EXPECT_THROW(u.createTable(), TableError) << bad.toStdString();
        EXPECT_FALSE(u.isActive());
    }
}

TEST(ProfileTableFiles, OldParadoxFileOpensReadOnlyAndStaysUntouched)
{
    TestDir dir;
    const QString p = dir.file("old.db");
    std::vector<ProfileRow> rows{sample(0.5, true), sample(1.0, false), sample(1.5, true)};
    rows[0].status = 64;
    rows[0].discrip = QStringLiteral("平均声速(0.50米起算)");
    QString error;
    ASSERT_TRUE(writeParadoxTable(p, rows, &error)) << error.toStdString();
    const QByteArray before = TestDir::readAll(p);
    ProfileTable t;
    t.setTableName(p);
    t.open();
    EXPECT_TRUE(t.isReadOnly());
    EXPECT_EQ(t.visibleRows(), rows);
    t.setFiltered(true);   // the view is no change to the file
    EXPECT_EQ(depths(t), (std::vector<double>{0.5, 1.5}));
    t.next();
    EXPECT_EQ(t.recNo(), 2);
    const std::function<void()> changes[] = {
        [&] { t.append(); },
        [&] { t.insert(); },
        [&] { t.edit(); },
        [&] { t.setField(ProfileField::Depth, 2.0); },
        [&] { t.setRow(sample(2.0)); },
        [&] { t.post(); },
        [&] { t.deleteRow(); },
        [&] { t.setMarks({true, true, true}); },
        [&] { t.appendRows({sample(2.0)}); },
    };
    for (size_t i = 0; i < std::size(changes); ++i) {
        try {
            changes[i]();
            ADD_FAILURE() << "change " << i << " accepted";
        } catch (const TableError& e) {
            EXPECT_TRUE(e.isReadOnlyFile()) << i;
        }
        EXPECT_EQ(t.state(), ProfileTable::State::Browse) << i;
    }
    t.close();
    EXPECT_FALSE(t.isReadOnly());
    EXPECT_EQ(TestDir::readAll(p), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.db"});
}

// A recording process holds its file against others and, killed at a random
// moment, keeps every row it reported posted.
TEST(ProfileTableFiles, KilledRecorderKeepsEveryPostedRow)
{
    TestDir dir;
    const QString p = dir.file("killed.db");
    QProcess child;
    child.start(QCoreApplication::applicationDirPath() + "/record_child", {p});
    ASSERT_TRUE(child.waitForStarted());
    int reported = 0;
    QByteArray pending;
    while (reported < 300 && child.waitForReadyRead(20000)) {
        pending += child.readAllStandardOutput();
        while (pending.contains('\n')) {
            const int nl = int(pending.indexOf('\n'));
            reported = pending.left(nl).toInt();
            pending.remove(0, nl + 1);
        }
    }
    ASSERT_GE(reported, 300) << child.readAllStandardError().toStdString();
    ProfileTable t;
    t.setTableName(p);
    EXPECT_THROW(t.open(), TableError);   // held by the recording process
    child.kill();   // SIGKILL: no chance to close the file
    child.waitForFinished();
    t.open();
    ASSERT_GE(t.recordCount(), reported);
    for (int i = 0; i < reported; ++i)
        ASSERT_EQ(*t.visibleRow(i).depth, (i + 1) * 0.25) << i;
}

}  // namespace
