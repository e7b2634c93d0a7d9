// The window's export of several profile files at once: one file each, named
// after its input, the bad ones reported and skipped.
#include "ProfileFiles.h"
#include "WindowFixture.h"
#include "output/Export.h"
#include "storage/ProfileTable.h"
#include <QAction>
#include <QMenu>
#include <QtTest>

namespace {

ProfileRow row(double depth, double sv, double temp)
{
    ProfileRow r;
    r.depth = depth;
    r.velocity = sv;
    r.temp = temp;
    return r;
}

QString writeProfile(const TestDir& dir, const QString& name, std::vector<ProfileRow> rows, int kind = 0)
{
    const QString path = dir.file(name);
    rows[0].dt = QDateTime(QDate(2009, 3, 7), QTime(14, 5));
    rows[0].discrip = "S3";
    rows[0].status = kind;
    postRows(path, rows);
    return path;
}

// Down to 20 m in 0.5 m steps and back up, a thermocline at 8 m.
std::vector<ProfileRow> rawCast()
{
    std::vector<ProfileRow> rows;
    for (int i = 1; i <= 40; ++i)
        rows.push_back(row(i * 0.5, i < 16 ? 1510 - i * 0.02 : 1500 - i * 0.2, 20 - i * 0.1));
    for (int i = 39; i >= 1; --i)
        rows.push_back(row(i * 0.5 + 0.2, i < 16 ? 1510.1 - i * 0.02 : 1500.1 - i * 0.2, 20 - i * 0.1));
    return rows;
}

struct Batch
{
    WindowFixture f;
    QString out;
    QString a, bad, few, merged;

    Batch()
    {
        f.start();
        out = f.dir.file("out") + "/";
        QDir().mkpath(out);
        a = writeProfile(f.dir, "a.db", rawCast());
        bad = f.dir.file("b.db");
        TestDir::writeAll(bad, QByteArray("no profile file\n").repeated(50));
        few = writeProfile(f.dir, "c.db", {row(1, 1480, 15), row(2, 1481, 14), row(1, 1480, 15)});
        merged = writeProfile(f.dir, "d.db", rawCast(), 128);
    }
    void run(const QStringList& files, int format)
    {
        f.prompts.fileLists.push_back(files);
        f.prompts.choices.push_back(format);
        f.prompts.directories.push_back(out);
        f.window->BatchExport->trigger();
    }
};

}  // namespace

class ExportWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void batchSkipsBadFilesAndWritesTheOthers();
    void batchOfTheOwnLayouts();
    void batchStopsWhereTheUserCancels();
};

void ExportWindowTest::batchSkipsBadFilesAndWritesTheOthers()
{
    Batch b;
    TSvMain& w = *b.f.window;
    // The command sits in the chart menu after "打开".
    const QList<QAction*> menu = w.MenuChart->actions();
    QCOMPARE(menu[menu.indexOf(w.Load) + 1], w.BatchExport);
    QCOMPARE(w.BatchExport->text(), QStringLiteral("批量导出"));

    b.f.prompts.positions = {{"22.5", "114"}, {"23", "115"}};
    b.run({b.a, b.bad, b.few, b.merged}, 3);   // CARIS
    QCOMPARE(b.f.prompts.fileRequests.back().filter, QStringLiteral("数据库文件(*.db)|*.DB"));
    QVERIFY(b.f.prompts.choicePrompts.back().contains(QStringLiteral("|CARIS格式(*.svp)|Kongsberg格式(*.asvp)|")));
    QStringList files = QDir(b.out).entryList(QDir::Files);
    files.sort();
    QCOMPARE(files, QStringList({"a.SVP", "d.SVP"}));
    QCOMPARE(b.f.prompts.last(), QStringLiteral("已导出 2 个文件到 %1，2 个文件未导出：\n"
                                                "b.db：数据文件错误或空数据文件！\n"
                                                "c.db：数据量不够，不能绘制声速曲线！")
                                     .arg(QDir::toNativeSeparators(b.out)));
    // One export dialog per cast: each tells which profile it writes.
    QCOMPARE(int(b.f.prompts.surveyRequests.size()), 2);
    QCOMPARE(b.f.prompts.surveyRequests[0].fileName, b.a);
    QVERIFY(b.f.prompts.surveyRequests[0].profileText.startsWith(QStringLiteral("导出由原始数据合并、平滑得到的声速剖面")));
    QVERIFY(b.f.prompts.surveyRequests[1].profileText.startsWith(QStringLiteral("导出保存的声速剖面")));
    QVERIFY(TestDir::readAll(b.out + "a.SVP").contains(" 22:30:00.00 114:00:00.00 S3 VX4400"));
    QVERIFY(TestDir::readAll(b.out + "d.SVP").contains(" 23:00:00.00 115:00:00.00 S3 VX4400"));
    QVERIFY(w.StatusPanel[0]->text() != QStringLiteral("完成"));
}

void ExportWindowTest::batchOfTheOwnLayouts()
{
    Batch b;
    TSvMain& w = *b.f.window;
    // The open profile may be one of them; the others are only read.
    const QByteArray wantA = exportCommaCsv(readProfileRows(b.a), "0.0");
    const QByteArray wantD = exportCommaCsv(readProfileRows(b.merged), "0.0");
    b.f.prompts.files.push_back(ScriptedPrompts::file(b.merged));
    w.BtnOpenClick(w.BtnOpen);
    const QByteArray before = TestDir::readAll(b.a);
    b.run({b.a, b.merged}, 0);   // comma-separated
    QCOMPARE(b.f.prompts.last(), QStringLiteral("已导出 2 个文件到 %1。").arg(QDir::toNativeSeparators(b.out)));
    QCOMPARE(w.StatusPanel[0]->text(), QStringLiteral("完成"));
    QCOMPARE(TestDir::readAll(b.out + "a.CSV"), wantA);
    QCOMPARE(TestDir::readAll(b.out + "d.CSV"), wantD);
    QCOMPARE(TestDir::readAll(b.a), before);
    QVERIFY(b.f.prompts.surveyRequests.empty());

    // Files already there: asked once; "No" leaves them as they are.
    TestDir::writeAll(b.out + "a.CSV", "mine");
    b.f.prompts.answers.push_back(false);
    b.run({b.a, b.merged}, 0);
    QCOMPARE(b.f.prompts.questions.back(), QStringLiteral("文件夹中已有 2 个同名的导出文件，是否覆盖？"));
    QCOMPARE(TestDir::readAll(b.out + "a.CSV"), QByteArray("mine"));

    // An average layout only for average profiles.
    QVERIFY(QFile::remove(b.out + "a.CSV"));
    b.f.prompts.values.push_back(0.0f);
    b.run({b.a}, 2);
    QVERIFY(b.f.prompts.last().endsWith(QStringLiteral("a.db：Vantrel软件格式只用于平均声速剖面！")));
}

void ExportWindowTest::batchStopsWhereTheUserCancels()
{
    Batch b;
    b.f.prompts.positions = {{"22.5", "114"}};   // the second export dialog is cancelled
    b.run({b.a, b.merged, b.few}, 4);   // Kongsberg
    QCOMPARE(QDir(b.out).entryList(QDir::Files), QStringList({"a.ASVP"}));
    QVERIFY(b.f.prompts.last().endsWith(QStringLiteral("2 个文件未导出：\nd.db：已取消\nc.db：已取消")));
    QVERIFY(TestDir::readAll(b.out + "a.ASVP").contains(" 22.5000000 114.0000000 -1 0 0 VX4400"));
}

QTEST_MAIN(ExportWindowTest)
#include "export_window_test.moc"
