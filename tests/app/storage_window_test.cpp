// Profile files through the window: a look changes nothing, a file we may not
// write is viewed and converted before a change, a failed open or create
// leaves the window coherent, a bad storage place is found early, a missing
// field is named as the grid names it, stale temporary files go at start.
#include "ProfileFiles.h"
#include "WindowFixture.h"
#include "WriteProtection.h"
#include "document/ProfileTableModel.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include <QtTest>
#include <map>

namespace {

// A raw cast down to 10 m and back, described "S3" (or `kind` on its first row).
std::vector<ProfileRow> cast(int kind = 0, const QString& description = "S3")
{
    std::vector<ProfileRow> rows = downUpCast(20);
    rows[0].status = kind;
    rows[0].discrip = description;
    return rows;
}

QString write(const TestDir& dir, const QString& name, const std::vector<ProfileRow>& rows)
{
    const QString path = dir.file(name);
    if (!writeProfile(path, rows))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void open(WindowFixture& f, const QString& path, QObject* sender = nullptr)
{
    f.prompts.files.push_back(ScriptedPrompts::file(path));
    f.window->BtnOpenClick(sender ? sender : f.window->BtnOpen);
}

std::map<QString, QByteArray> snapshot(const QString& dir)
{
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        files[name] = TestDir::readAll(QDir(dir).filePath(name));
    return files;
}

}  // namespace

class StorageWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void lookingChangesNothing();
    void fileWeMayNotWriteIsViewedAndCopiedBeforeAChange();
    void failedCreateOrOpenLeavesTheWindowCoherent();
    void badStoragePlaceIsFoundWhenChosenAndAtPowerOn();
    void missingFieldIsNamedAsTheGridNamesIt();
    void startRemovesStaleTemporaryFiles();
};

// Open, draw, merge, export, print, close: the profile file keeps every byte,
// also one an earlier build left in write-ahead-log mode.
void StorageWindowTest::lookingChangesNothing()
{
    for (bool earlierBuild : {false, true}) {
        WindowFixture f;
        TSvMain& w = f.start();
        QDir().mkpath(f.dir.file("casts"));
        QDir().mkpath(f.dir.file("out"));
        const QString path = write(f.dir, "casts/S3.db", cast());
        if (earlierBuild)
            QVERIFY(runSql(path, {"PRAGMA journal_mode=WAL"}));
        const auto before = snapshot(f.dir.file("casts"));
        open(f, path, w.Load);
        QVERIFY2(f.prompts.shown.isEmpty(), qPrintable(f.prompts.shown.join('|')));
        QVERIFY(!w.svTable->isReadOnly());
        QVERIFY(w.SerSvDown->count() > 0);
        w.PMSvClick();
        f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("out/S3.csv"), 1));
        w.BtnExportClick();
        f.prompts.pdfDirectory = f.dir.file("out");
        w.BtnPreviewClick();
        open(f, write(f.dir, "other.db", cast()));   // closes it
        QCOMPARE(w.svTable->tableName(), f.dir.file("other.db"));
        QVERIFY(snapshot(f.dir.file("casts")) == before);
    }
}

// A good file of another user, or in a folder we may not write: viewed, drawn,
// exported, printed; a change asks for a new name, as for an old Paradox file.
void StorageWindowTest::fileWeMayNotWriteIsViewedAndCopiedBeforeAChange()
{
    WindowFixture f;
    TSvMain& w = f.start();
    QDir().mkpath(f.dir.file("archive"));
    QDir().mkpath(f.dir.file("out"));
    const std::vector<ProfileRow> rows = cast();
    const QString path = write(f.dir, "archive/S3.db", rows);
    const auto before = snapshot(f.dir.file("archive"));
    WriteProtection protect(f.dir.path(), {f.dir.file("archive")}, {f.dir.file("out")});

    open(f, path, w.Load);
    QVERIFY2(f.prompts.shown.isEmpty(), qPrintable(f.prompts.shown.join('|')));
    QVERIFY(w.svTable->isReadOnly());
    QCOMPARE(w.windowTitle(), "Sondix2.1 " + path);
    QCOMPARE(w.DBGrid->model()->rowCount(), int(rows.size()));
    QVERIFY(w.SerSvDown->count() > 0 && w.SerSvUp->count() > 0);
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("out/S3.csv"), 1));
    w.BtnExportClick();
    QVERIFY(QFile::exists(f.dir.file("out/S3.CSV")));
    f.prompts.pdfDirectory = f.dir.file("out");
    w.BtnPrintTableClick();
    QCOMPARE(f.prompts.pdfFiles.size(), 1);

    // Deleting row 3 asks for a new name first and acts on the copy.
    const QString copy = f.dir.file("out/S3-new.db");
    f.prompts.files.push_back(ScriptedPrompts::file(copy));
    w.svTable->moveTo(3);
    w.DeletRecClick();
    QCOMPARE(f.prompts.fileRequests.back().title, QString("数据文件只读，修改前请另存为新文件"));
    QCOMPARE(f.prompts.fileRequests.back().fileName, f.dir.file("archive/S3-new.db"));
    QCOMPARE(w.svTable->tableName(), copy);
    QVERIFY(!w.svTable->isReadOnly());
    QCOMPARE(w.svTable->recordCount(), int(rows.size()) - 1);
    QCOMPARE(w.windowTitle(), "Sondix2.1 " + copy);
    w.svTable->close();
    QCOMPARE(int(readProfileRows(copy).size()), int(rows.size()) - 1);
    QVERIFY(snapshot(f.dir.file("archive")) == before);
}

// A recording whose file cannot be made, and an open that fails, leave the
// profile that was open in place: caption, 备注 and grid name the same file.
void StorageWindowTest::failedCreateOrOpenLeavesTheWindowCoherent()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const QString cast1 = write(f.dir, "cast1.db", cast(0, "测站一"));
    open(f, cast1);
    const int rows = w.DBGrid->model()->rowCount();
    auto showsCast1 = [&] {
        QVERIFY(w.svTable->isActive());
        QCOMPARE(w.svTable->tableName(), cast1);
        QCOMPARE(w.windowTitle(), "Sondix2.1 " + cast1);
        QCOMPARE(w.DBGrid->model()->rowCount(), rows);
        QCOMPARE(w.DBEdit1->text(), QString("测站一"));
    };
    // The storage folder goes away (a memory stick pulled) after power-on.
    QDir().mkpath(f.dir.file("stick"));
    const QString target = f.dir.file("stick/cast2.db");
    w.EdFileName->setText(target);
    w.BtnBeginClick();
    QVERIFY(w.Timer.isActive());
    QVERIFY(QDir(f.dir.file("stick")).removeRecursively());
    w.btnRecClick();
    QCOMPARE(f.prompts.last(),
             "建立数据文件时错误！\n无法创建数据文件：" + QDir::toNativeSeparators(target) + "\n文件夹不存在。");
    showsCast1();
    w.BtnStopClick();
    showsCast1();
    // A later failed open brings back cast1, not the place that failed.
    TestDir::writeAll(f.dir.file("bad.db"), "not a profile");
    open(f, f.dir.file("bad.db"));
    QCOMPARE(f.prompts.last(), QString("数据文件错误或空数据文件！"));
    showsCast1();
    // When cast1 itself has gone meanwhile, the window says that none is open.
    QVERIFY(QFile::rename(cast1, f.dir.file("moved.db")));
    open(f, f.dir.file("bad.db"));
    QVERIFY(f.prompts.last().startsWith("error: 无法打开数据文件：" + cast1));
    QVERIFY(!w.svTable->isActive());
    QCOMPARE(w.windowTitle(), QString("Sondix2.1"));
    QVERIFY(w.DBEdit1->text().isEmpty());
    QCOMPARE(w.DBGrid->model()->rowCount(), 0);
}

void StorageWindowTest::badStoragePlaceIsFoundWhenChosenAndAtPowerOn()
{
    WindowFixture f;
    TSvMain& w = f.start();
    QDir().mkpath(f.dir.file("locked"));
    struct Case
    {
        QString chosen;
        QString reason;
    };
    const Case cases[] = {
        {f.dir.file("missing/cast.db"), "文件夹不存在。"},
        {f.dir.file("locked/cast.db"), "没有写入权限。"},
    };
    for (const Case& c : cases) {
        WriteProtection protect(f.dir.path(), {f.dir.file("locked")});
        const QString expected = "无法创建数据文件：" + QDir::toNativeSeparators(c.chosen) + "\n" + c.reason;
        // When it is chosen: told, and not taken.
        w.EdFileName->clear();
        f.prompts.files.push_back(ScriptedPrompts::file(c.chosen));
        w.BtnFileNameClick();
        QCOMPARE(f.prompts.last(), expected);
        QVERIFY(w.EdFileName->text().isEmpty());
        // Typed in, or gone bad since: told at power-on, before the probe is switched on.
        f.prompts.shown.clear();
        w.EdFileName->setText(c.chosen);
        w.BtnBeginClick();
        QCOMPARE(f.prompts.last(), expected);
        QVERIFY(!f.probe->powered());
        QVERIFY(!w.Timer.isActive());
        QVERIFY(w.BtnBegin->isEnabled());
    }
    // A good place is taken.
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("cast")));
    w.BtnFileNameClick();
    QCOMPARE(w.EdFileName->text(), f.dir.file("cast"));
}

// "字段 … 必须有值！" names the column as the grid titles it.
void StorageWindowTest::missingFieldIsNamedAsTheGridNamesIt()
{
    WindowFixture f;
    TSvMain& w = f.start();
    open(f, write(f.dir, "avg.db", cast(64, "平均声速(0.80米起算)")));
    QCOMPARE(w.DBGrid->model()->headerData(ProfileTableModel::ColVelocity, Qt::Horizontal).toString(),
             QString("平均声速"));
    QAbstractItemModel* m = w.DBGrid->model();
    w.svTable->moveTo(3);
    w.InsertRecClick();
    QVERIFY(m->setData(m->index(2, ProfileTableModel::ColDepth), "1.2"));
    QVERIFY(m->setData(m->index(2, ProfileTableModel::ColTemp), "19.0"));
    // Leaving the new row stores it: refused for the missing velocity.
    QVERIFY(!m->setData(m->index(6, ProfileTableModel::ColTemp), "18.0"));
    QCOMPARE(f.prompts.last(), QString("字段 平均声速 必须有值！"));
}

// A save killed midway leaves "." + name + ".XXXXXX": the next start clears
// ours from the data folder and the Path folder, and nothing else.
void StorageWindowTest::startRemovesStaleTemporaryFiles()
{
    WindowFixture f;
    QDir().mkpath(f.dir.file("SVPData"));
    QDir().mkpath(f.dir.file("casts"));
    f.writeIni("[Record]\r\nPath=" + f.dir.file("casts/").toUtf8() + "\r\n");
    const QByteArray profile = TestDir::readAll(write(f.dir, "casts/S3.db", cast()));
    for (const char* dir : {"SVPData", "casts"}) {
        TestDir::writeAll(f.dir.file(QString(dir) + "/.S3.db.k1Ll3d"), profile);
        TestDir::writeAll(f.dir.file(QString(dir) + "/.S3.db.k1Ll3d-journal"), QByteArray(512, '\0'));
        TestDir::writeAll(f.dir.file(QString(dir) + "/.notes.db.keepMe"), "my notes");
    }
    f.start();
    for (const char* dir : {"SVPData", "casts"}) {
        QStringList left = QDir(f.dir.file(dir)).entryList(QDir::Files | QDir::Hidden);
        left.sort();
        QCOMPARE(left, QString(dir) == "casts" ? QStringList({".notes.db.keepMe", "S3.db"})
                                               : QStringList({".notes.db.keepMe"}));
    }
}

QTEST_MAIN(StorageWindowTest)
#include "storage_window_test.moc"
