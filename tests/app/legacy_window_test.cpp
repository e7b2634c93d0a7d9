// Old Paradox profile files through the window (opened read-only, converted
// before any change) and the survey formats of the export dialog.
#include "ProfileFiles.h"
#include "ParadoxWriter.h"
#include "WindowFixture.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include "document/ProfileTableModel.h"
#include "settings/IniFile.h"
#include "output/SurveyFormats.h"
#include <QtTest>
#include <functional>

namespace {

// A raw cast down to 10 m and back; description in Chinese, fnDT empty after row 1.
std::vector<ProfileRow> oldCast()
{
    std::vector<ProfileRow> rows = downUpCast(20);
    rows[0].discrip = QStringLiteral("深圳湾 S3");
    for (std::size_t i = 1; i < rows.size(); ++i)
        rows[i].dt.reset();
    return rows;
}

QString writeOld(const TestDir& dir, const QString& name, const std::vector<ProfileRow>& rows)
{
    const QString path = dir.file(name);
    QString error;
    if (!writeParadoxTable(path, rows, &error))
        qFatal("%s", qPrintable(error));
    return path;
}

void open(WindowFixture& f, const QString& path)
{
    f.prompts.files.push_back(ScriptedPrompts::file(path));
    f.window->BtnOpenClick(f.window->BtnOpen);
}

using Change = std::function<void(TSvMain&)>;

}  // namespace

class LegacyWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void oldCastWorksLikeAProfile();
    void changesConvertFirst_data();
    void changesConvertFirst();
    void conversionRefusedOrCancelledChangesNothing();
    void surveyFormatsAskThePositionAndRememberIt();
};

void LegacyWindowTest::oldCastWorksLikeAProfile()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const std::vector<ProfileRow> rows = oldCast();
    const QString path = writeOld(f.dir, "old.db", rows);
    const QByteArray before = TestDir::readAll(path);
    f.prompts.files.push_back(ScriptedPrompts::file(path));
    w.BtnOpenClick(w.Load);
    QVERIFY2(f.prompts.shown.isEmpty(), qPrintable(f.prompts.shown.join('|')));
    QVERIFY(w.svTable->isReadOnly());
    QCOMPARE(w.DBGrid->model()->rowCount(), int(rows.size()));
    QCOMPARE(w.StatusPanel[2]->text(), QStringLiteral("深圳湾 S3"));
    QCOMPARE(w.DBChart->title(), QStringLiteral("深圳湾 S3(09-3-7 14:05)"));
    QVERIFY(!w.document().parts().svDown->empty() && !w.document().parts().svUp->empty());
    w.PMSvClick();
    QVERIFY(w.document().hasMergedProfile());

    // Export gives the bytes of the same cast in the current format.
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("old.csv"), 1));
    w.BtnExportClick();
    const QString current = f.dir.file("current.db");
    postRows(current, rows);
    WindowFixture g;
    g.start();
    open(g, current);
    g.prompts.files.push_back(ScriptedPrompts::file(g.dir.file("new.csv"), 1));
    g.window->BtnExportClick();
    QCOMPARE(TestDir::readAll(f.dir.file("old.CSV")), TestDir::readAll(g.dir.file("new.CSV")));

    // A merged profile saved from it is a file of the current format.
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("merged.db")));
    w.PMSaveClick(w.PMSave);
    QCOMPARE(w.svTable->tableName(), f.dir.file("merged.db"));
    QVERIFY(isProfileFile(f.dir.file("merged.db")));
    QCOMPARE(TestDir::readAll(path), before);
}

void LegacyWindowTest::changesConvertFirst_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("rowsAfter");
    QTest::addColumn<QString>("description");
    const int n = int(oldCast().size());
    const QString d = QStringLiteral("深圳湾 S3");
    QTest::newRow("delete") << Change([](TSvMain& w) {
        w.svTable->moveTo(3);
        w.DeletRecClick();
    }) << n - 1 << d;
    QTest::newRow("insert") << Change([](TSvMain& w) {
        w.svTable->moveTo(3);
        w.InsertRecClick();
        w.svTable->setRow(castRow(1.2, 1499.0, 19.0));
        w.svTable->post();
    }) << n + 1 << d;
    QTest::newRow("grid edit") << Change([](TSvMain& w) {
        QAbstractItemModel* m = w.DBGrid->model();
        QVERIFY(m->setData(m->index(4, ProfileTableModel::ColVelocity), "1490.5"));
        w.svTable->post();
        QCOMPARE(w.svTable->visibleRow(4).velocity.value_or(0), 1490.5);
    }) << n << d;
    QTest::newRow("grid editor") << Change([](TSvMain& w) {
        // Through a real cell editor: the file is converted before it opens.
        w.show();
        const QModelIndex cell = w.DBGrid->model()->index(2, ProfileTableModel::ColTemp);
        w.setActivePage(w.TablePg);
        w.DBGrid->setCurrentIndex(cell);
        w.DBGrid->edit(cell);
        auto* editor = w.DBGrid->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText("11.25");
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        w.svTable->post();
        QCOMPARE(w.svTable->visibleRow(2).temp.value_or(0), 11.25);
    }) << n << d;
    QTest::newRow("description") << Change([](TSvMain& w) {
        w.svTable->first();
        w.DBEdit1->setText(QStringLiteral("新描述"));
        emit w.DBEdit1->editingFinished();
        QCOMPARE(w.DBEdit1->text(), QStringLiteral("新描述"));
    }) << n << QStringLiteral("新描述");
    QTest::newRow("filter marks") << Change([](TSvMain& w) {
        w.ChBoxFilter->setChecked(true);
        QVERIFY(w.ChBoxFilter->isChecked());
        QVERIFY(w.svTable->filtered());
    }) << n << d;
}

void LegacyWindowTest::changesConvertFirst()
{
    QFETCH(Change, change);
    QFETCH(int, rowsAfter);
    QFETCH(QString, description);
    WindowFixture f;
    TSvMain& w = f.start();
    const QString path = writeOld(f.dir, "S3.db", oldCast());
    const QByteArray before = TestDir::readAll(path);
    open(f, path);
    const QString converted = f.dir.file("S3-new.db");
    f.prompts.files.push_back(ScriptedPrompts::file(converted));
    change(w);
    QVERIFY2(!f.prompts.fileRequests.empty(), "no file name was asked");
    QCOMPARE(f.prompts.fileRequests.back().fileName, converted);
    QCOMPARE(w.svTable->tableName(), converted);
    QVERIFY(!w.svTable->isReadOnly());
    QCOMPARE(w.windowTitle(), "Sondix2.1 " + converted);
    QCOMPARE(TestDir::readAll(path), before);
    w.svTable->close();
    const std::vector<ProfileRow> rows = readProfileRows(converted);
    QCOMPARE(int(rows.size()), rowsAfter);
    QCOMPARE(rows.front().discrip.value_or(QString()), description);
    QCOMPARE(rows.front().dt, oldCast().front().dt);
    QVERIFY(!rows.back().dt);
}

void LegacyWindowTest::conversionRefusedOrCancelledChangesNothing()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const std::vector<ProfileRow> cast = oldCast();
    const QString path = writeOld(f.dir, "S3.db", cast);
    const QString other = writeOld(f.dir, "other.db", cast);
    const QByteArray before = TestDir::readAll(path);
    open(f, path);
    w.svTable->moveTo(3);
    // Cancelled: no file, the row stays.
    w.DeletRecClick();
    QCOMPARE(w.svTable->recordCount(), int(cast.size()));
    // Another old file is never the target, nor the old file itself.
    for (const QString& target : {other, path}) {
        f.prompts.files.push_back(ScriptedPrompts::file(target));
        w.DeletRecClick();
        QVERIFY2(f.prompts.last().endsWith(QStringLiteral(" 是旧格式数据文件，不能被覆盖!")), qPrintable(f.prompts.last()));
    }
    // A new file that cannot be written is told, and the old one stays open.
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("missing/S3-new.db")));
    w.DeletRecClick();
    QVERIFY2(f.prompts.last().startsWith(QStringLiteral("建立数据文件时错误！")), qPrintable(f.prompts.last()));
    QVERIFY(w.svTable->isReadOnly());
    QCOMPARE(w.svTable->recNo(), 3);
    // A filter switched on and then refused comes back off.
    w.ChBoxFilter->setChecked(true);
    QVERIFY(!w.ChBoxFilter->isChecked());
    QVERIFY(!w.svTable->filtered());
    QCOMPARE(w.svTable->tableName(), path);
    QCOMPARE(w.svTable->recordCount(), int(cast.size()));
    QCOMPARE(TestDir::readAll(path), before);
    QStringList files = QDir(f.dir.path()).entryList({"*.db"}, QDir::Files);
    files.sort();
    QCOMPARE(files, QStringList({"S3.db", "other.db"}));
}

void LegacyWindowTest::surveyFormatsAskThePositionAndRememberIt()
{
    WindowFixture f;
    TSvMain& w = f.start();
    // Two rows cannot be merged: refused with the chart's message before any dialog.
    std::vector<ProfileRow> two = {castRow(0.52, 1480.26, 15.31), castRow(1.04, 1480.53, 15.27)};
    two[0].discrip = "S3";
    open(f, writeOld(f.dir, "two.db", two));
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("cast"), 3));
    w.BtnExportClick();
    QCOMPARE(f.prompts.last(), QStringLiteral("数据量不够，不能绘制声速曲线！"));
    QVERIFY(f.prompts.surveyRequests.empty());
    QVERIFY(!QFile::exists(f.dir.file("cast.SVP")));

    const std::vector<ProfileRow> rows = oldCast();
    const QString path = writeOld(f.dir, "p.db", rows);
    open(f, path);

    // The dialog offers the survey formats after the client's own two.
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("cast"), 3));
    w.BtnExportClick();   // the export dialog cancelled: nothing written
    QVERIFY(f.prompts.fileRequests.back().filter.startsWith(QStringLiteral(
        "逗号分隔符文件(*.csv)|*.CSV|HYPACK格式(*.vel)|*.VEL|CARIS格式(*.svp)|*.SVP|Kongsberg格式(*.asvp)|*.ASVP|"
        "HYPACK含位置格式(*.vel)|*.VEL|Sonardyne格式(*.pro)|*.PRO|QPS格式(*.bsvp)|*.BSVP|ELAC格式(*.sva)|*.SVA|")));
    QVERIFY(!QFile::exists(f.dir.file("cast.SVP")));
    // It says which profile is written and how many points.
    const SurveyExportRequest& asked = f.prompts.surveyRequests.back();
    QCOMPARE(asked.format, QStringLiteral("CARIS格式"));
    QVERIFY(asked.positionRequired);
    QVERIFY2(asked.profileText.startsWith(QStringLiteral("导出由原始数据合并、平滑得到的声速剖面，共 ")),
             qPrintable(asked.profileText));

    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("cast"), 3));
    f.prompts.positions.push_back({"", ""});
    w.BtnExportClick();
    QCOMPARE(f.prompts.last(), QStringLiteral("这种格式需要测点位置，请输入纬度和经度！"));
    QVERIFY(!QFile::exists(f.dir.file("cast.SVP")));

    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("cast"), 3));
    f.prompts.positions.push_back({"north", "114"});
    w.BtnExportClick();
    QVERIFY(f.prompts.last().startsWith(QStringLiteral("测点位置格式错误：north, 114")));
    QVERIFY(!QFile::exists(f.dir.file("cast.SVP")));

    // The date is the first row's, turned into UTC in this computer's zone
    // (the zone offered), the position to a hundredth of a second.
    const QDateTime utc = castTimeUtc(*rows[0].dt, std::nullopt);
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("cast"), 3));
    f.prompts.positions.push_back({"22.5", "-114.25"});
    w.BtnExportClick();
    QCOMPARE(f.prompts.surveyRequests.back().utcOffset, utcOffsetSetting(computerUtcOffset(*rows[0].dt)));
    const QByteArray caris = TestDir::readAll(f.dir.file("cast.SVP"));
    QVERIFY2(caris.startsWith("[SVP_VERSION_2]\r\ncast.SVP\r\nSection " + utc.toString("yyyy-").toLatin1()
                              + QByteArray::number(utc.date().dayOfYear()).rightJustified(3, '0') + " "
                              + utc.toString("HH:mm:ss").toLatin1() + " 22:30:00.00 -114:15:00.00 S3 VX4400"),
             caris.constData());
    QCOMPARE(w.StatusPanel[0]->text(), QStringLiteral("完成"));

    // Kongsberg and HYPACK with position; the dialog offers the last position.
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("cast"), 4));
    f.prompts.positions.push_back({"22.5", "-114.25"});
    w.BtnExportClick();
    QCOMPARE(f.prompts.offeredPositions.back(), std::make_pair(QString("22.5"), QString("-114.25")));
    QVERIFY(TestDir::readAll(f.dir.file("cast.ASVP")).startsWith("( SoundVelocity 1.0 0 " + utc.toString("yyyyMMddHHmm").toLatin1()));
    QVERIFY(TestDir::readAll(f.dir.file("cast.ASVP")).contains(" 22.5000000 -114.2500000 -1 0 0 VX4400"));
    // A zone given in the dialog is kept; one that is no zone is refused.
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("cast.vel"), 5));
    f.prompts.positions.push_back({"22.5", "-114.25"});
    f.prompts.utcOffsets.push_back("15");
    w.BtnExportClick();
    QVERIFY(f.prompts.last().startsWith(QStringLiteral("探头时钟时区错误：15")));
    QVERIFY(!QFile::exists(f.dir.file("cast.VEL")));
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("cast.vel"), 5));
    f.prompts.positions.push_back({"22.5", "-114.25"});
    f.prompts.utcOffsets.push_back("-3.5");
    w.BtnExportClick();
    const QDateTime west = castTimeUtc(*rows[0].dt, -210);
    QVERIFY(TestDir::readAll(f.dir.file("cast.VEL")).startsWith("FTP NEW 3 22.500000 -114.250000 "
                                                                 + west.toString("HH:mm MM/dd/yyyy").toLatin1() + "\r\n"));

    // Position and zone are written to the settings file at close and offered by the next window.
    w.close();
    IniFile ini(f.ini());
    ini.load();
    QCOMPARE(ini.readString("Position", "Latitude", QString()), QString("22.5"));
    QCOMPARE(ini.readString("Position", "Longitude", QString()), QString("-114.25"));
    QCOMPARE(ini.readString("Probe Clock", "UTC Offset", QString()), QString("-03:30"));
    WindowFixture g;
    g.writeIni(TestDir::readAll(f.ini()));
    TSvMain& w2 = g.start();
    open(g, path);
    g.prompts.files.push_back(ScriptedPrompts::file(g.dir.file("again"), 4));
    w2.BtnExportClick();   // the export dialog cancelled: nothing written
    QCOMPARE(g.prompts.offeredPositions.back(), std::make_pair(QString("22.5"), QString("-114.25")));
    QCOMPARE(g.prompts.surveyRequests.back().utcOffset, QString("-03:30"));
    QVERIFY(!QFile::exists(g.dir.file("again.ASVP")));
}

QTEST_MAIN(LegacyWindowTest)
#include "legacy_window_test.moc"
