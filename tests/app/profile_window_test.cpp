// Opening, editing, filtering, drawing, averaging, saving, exporting and
// printing a profile through the window.
#include "ProfileFiles.h"
#include "WindowFixture.h"
#include "app/UpDown.h"
#include "storage/ProfileTable.h"
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <cmath>

namespace {

void postCast(const QString& path, std::vector<ProfileRow> rows, const QString& description = "S3")
{
    if (!rows.empty())
        rows[0].discrip = description;
    postRows(path, rows);
}

// A raw cast: down to 20 m in 0.5 m steps, then back up.
std::vector<ProfileRow> rawCast()
{
    return downUpCast(40);
}

// A press, a move in steps and a release of the left button, as a hand drags.
void drag(QWidget* w, QPoint from, QPoint to)
{
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
    for (int i = 1; i <= 4; ++i)
        QTest::mouseMove(w, from + (to - from) * i / 4);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to);
}

void open(WindowFixture& f, const QString& path, QObject* sender = nullptr)
{
    f.prompts.files.push_back(ScriptedPrompts::file(path));
    f.window->BtnOpenClick(sender ? sender : f.window->BtnOpen);
}

}  // namespace

class ProfileWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void openByKind_data();
    void openByKind();
    void openRefusesForeignAndEmptyFiles();
    void deleteAndInsertNeverTheFirstRow();
    void filterShowsMarkedRows();
    void rawCastDrawsMergesAndAverages();
    void savedProfilesAndRawProtection();
    void exportAndReport();
    void bitmapOfTheChart();
};

void ProfileWindowTest::openByKind_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("twoWay");
    QTest::addColumn<bool>("merged");
    QTest::addColumn<bool>("average");
    QTest::newRow("raw") << 0 << "声速" << true << false << false;
    QTest::newRow("average") << 64 << "平均声速" << false << false << true;
    QTest::newRow("merged") << 128 << "声速" << false << true << false;
}

void ProfileWindowTest::openByKind()
{
    QFETCH(int, status);
    QFETCH(QString, title);
    QFETCH(bool, twoWay);
    QFETCH(bool, merged);
    QFETCH(bool, average);
    WindowFixture f;
    TSvMain& w = f.start();
    std::vector<ProfileRow> rows = rawCast();
    rows[0].status = status;
    const QString path = f.dir.file("p.db");
    postCast(path, rows);
    open(f, path, w.Load);
    QVERIFY2(f.prompts.shown.isEmpty(), qPrintable(f.prompts.shown.join('|')));
    QCOMPARE(int(w.ProfileKind()), status);
    QCOMPARE(w.windowTitle(), "Sondix2.1 " + path);
    QCOMPARE(w.StatusPanel[2]->text(), QString("S3"));
    QVERIFY(w.BtnExport->isEnabled() && w.BtnPreview->isEnabled() && w.BtnPrintTable->isEnabled());
    QCOMPARE(w.DBGrid->model()->headerData(2, Qt::Horizontal).toString(), title);
    QCOMPARE(w.DBChart->title(), QString("S3(09-3-7 14:05)"));
    QCOMPARE(w.Path, f.dir.path() + "/");
    // Drawn at once from the chart's menu: the series and ticks by kind.
    QVERIFY(!w.ChartDirty());
    QCOMPARE(w.SvTwo->isChecked(), twoWay);
    QCOMPARE(w.SerSvDown->visible(), twoWay);
    QCOMPARE(w.PMSv->isChecked(), merged);
    QCOMPARE(w.SerSv->visible(), merged);
    QCOMPARE(w.PMAv->isChecked(), average);
    QCOMPARE(w.SerAvSv->visible(), average);
    QCOMPARE(w.PMAv->isEnabled(), true);
    QCOMPARE(w.PMSv->isEnabled(), !average);
    QVERIFY(!w.PMSave->isEnabled() && !w.PMSaveAv->isEnabled());
    // The right axis has grid lines only while no velocity curve is shown.
    QVERIFY(!w.DBChartRight->grid()->visible());
    if (twoWay) {
        // The deepest sample (20.0 m) is past the threshold 19.99: it starts the way up.
        QCOMPARE(w.document().parts().svDown->size(), size_t(39));
        QCOMPARE(w.document().parts().svUp->size(), size_t(40));
    }
}

void ProfileWindowTest::openRefusesForeignAndEmptyFiles()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const QString good = f.dir.file("good.db");
    postCast(good, rawCast());
    open(f, good);
    const QString text = f.dir.file("text.db");
    TestDir::writeAll(text, "not a profile");
    const QString empty = f.dir.file("empty.db");
    postCast(empty, {});
    for (const QString& bad : {text, empty}) {
        f.prompts.shown.clear();
        open(f, bad);
        QCOMPARE(f.prompts.last(), QString("数据文件错误或空数据文件！"));
        QCOMPARE(w.table().tableName(), good);   // the previous file is open again
        QVERIFY(w.table().isActive());
    }
    QCOMPARE(TestDir::readAll(text), QByteArray("not a profile"));
    // Choosing the open file again reloads nothing.
    w.ChBoxFilter->setChecked(true);
    open(f, good);
    QVERIFY(w.ChBoxFilter->isChecked());
}

void ProfileWindowTest::deleteAndInsertNeverTheFirstRow()
{
    WindowFixture f;
    TSvMain& w = f.start();
    w.DeletRecClick();
    QCOMPARE(f.prompts.last(), QString("空数据文件不能进行这个操作！"));
    const QString path = f.dir.file("p.db");
    postCast(path, rawCast());
    open(f, path);
    ProfileTable& t = w.table();
    t.first();
    w.DeletRecClick();
    QCOMPARE(f.prompts.last(), QString("不能删除第一个记录！"));
    w.InsertRecClick();
    QCOMPARE(f.prompts.last(), QString("不能插入第一个记录！"));
    QCOMPARE(f.prompts.beeps, 3);
    QCOMPARE(t.recordCount(), 79);
    t.moveTo(3);
    w.DeletRecClick();
    QCOMPARE(t.recordCount(), 78);
    QVERIFY(w.ChartDirty());
    t.moveTo(3);
    w.InsertRecClick();
    QCOMPARE(t.state(), ProfileTable::State::Insert);
    QCOMPARE(t.recNo(), 3);
    // Nothing typed in: moving on drops the new row; Esc in the grid drops it too.
    t.next();
    QCOMPARE(t.state(), ProfileTable::State::Browse);
    QCOMPARE(t.recordCount(), 78);
    t.moveTo(3);
    w.InsertRecClick();
    t.setField(ProfileField::Depth, 1.0);
    QTest::keyClick(w.DBGrid, Qt::Key_Escape);
    QCOMPARE(t.state(), ProfileTable::State::Browse);
    QCOMPARE(t.recordCount(), 78);
    // The grid's own delete key asks, and may take the first row.
    t.first();
    QTest::keyClick(w.DBGrid, Qt::Key_Delete, Qt::ControlModifier);   // answered No
    QCOMPARE(t.recordCount(), 78);
    QVERIFY(f.prompts.questions.last().startsWith("删除第一个记录？"));
    f.prompts.answers.push_back(true);
    QTest::keyClick(w.DBGrid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(t.recordCount(), 77);
}

void ProfileWindowTest::filterShowsMarkedRows()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const QString path = f.dir.file("layers.db");
    postCast(path, {castRow(0.3, 1500, 10), castRow(0.7, 1500, 10), castRow(1.1, 1500, 10),
                    castRow(1.3, 1500, 10), castRow(1.9, 1500, 10), castRow(2.2, 1500, 10)});
    open(f, path);
    QCOMPARE(w.EditZone->text(), QString("0.5"));
    w.ChBoxFilter->setChecked(true);
    ProfileTable& t = w.table();
    QVERIFY(t.filtered());
    QCOMPARE(t.recordCount(), 4);
    const double expected[] = {0.3, 1.1, 1.3, 1.9};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(*t.visibleRow(i).depth, expected[i]);
    QCOMPARE(w.StatusPanel[0]->text(), QString("完成"));
    QVERIFY(w.ChartDirty());
    w.ChBoxFilter->setChecked(false);
    QCOMPARE(t.recordCount(), 6);
    QVERIFY(t.visibleRow(2).filtOk.value_or(false));   // the marks stay in the file
    // Thicker layers only after switching off and on again.
    w.UpDownZone->setPosition(2);
    w.UpDownZoneClick();
    QCOMPARE(w.EditZone->text(), QString("1.0"));
}

void ProfileWindowTest::rawCastDrawsMergesAndAverages()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const QString path = f.dir.file("p.db");
    postCast(path, rawCast());
    open(f, path);
    w.PgCtrl->setCurrentWidget(w.ChartPg);   // the page change draws a dirty chart
    QVERIFY(!w.ChartDirty());
    const ProfileDocument& doc = w.document();
    QCOMPARE(doc.parts().svDown->size(), size_t(39));
    w.PMSvClick();
    QVERIFY(w.PMSv->isChecked());
    QCOMPARE(doc.mergedSv()->size(), size_t(79));
    QCOMPARE(doc.mergedTemp()->size(), size_t(79));
    QVERIFY(w.PMSave->isEnabled());
    // Depths of the merged profile stay in order.
    const Series& merged = *doc.mergedSv();
    for (size_t i = 1; i < merged.size(); ++i)
        QVERIFY(merged[i].x >= merged[i - 1].x);

    f.prompts.values.push_back(2.0f);
    w.PMAvClick();
    QVERIFY(w.PMAv->isChecked());
    QVERIFY(w.PMSaveAv->isEnabled());
    QCOMPARE(w.Draught, 2.0f);
    QVERIFY(doc.averageSv()->size() > 10);
    QVERIFY(f.prompts.last().startsWith("最大深度："));
    QVERIFY(f.prompts.last().contains("m\n平均声速："));
    // Toggling off only hides; a start depth below every point is refused.
    w.PMAvClick();
    QVERIFY(!w.PMAv->isChecked() && !w.SerAvSv->visible());
    f.prompts.values.push_back(500.0f);
    w.PMAvClick();
    QCOMPARE(f.prompts.last(), QString("声速剖面数据不足！"));
    // Showing or hiding a curve keeps a zoom made by dragging to the right and down.
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect area = w.DBChart->axisRect()->rect();
    drag(w.DBChart, area.topLeft() + QPoint(area.width() / 4, area.height() / 4), area.center());
    QVERIFY(w.DBChart->isZoomed());
    const double zoomedMax = w.DBChartBottom->range().upper;
    QVERIFY(zoomedMax < doc.mergedSv()->back().x);
    w.SvTwoClick();
    QCOMPARE(w.DBChartBottom->range().upper, zoomedMax);
    w.SvTwoClick();
    // A drag to the left undoes the zoom.
    drag(w.DBChart, area.center(), area.center() - QPoint(60, 0));
    QVERIFY(!w.DBChart->isZoomed());
    QVERIFY(w.DBChartBottom->range().upper >= doc.mergedSv()->back().x);
    // A cast whose first row is its deepest has no downward part.
    std::vector<ProfileRow> up = rawCast();
    up.erase(up.begin(), up.begin() + 39);
    const QString upPath = f.dir.file("up.db");
    postCast(upPath, up);
    open(f, upPath, w.Load);
    w.PMSvClick();
    QCOMPARE(f.prompts.last(), QString("数据量不够，不能绘制声速曲线！"));
    QVERIFY(!w.PMSv->isChecked());
}

void ProfileWindowTest::savedProfilesAndRawProtection()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const QString raw = f.dir.file("raw.db");
    postCast(raw, rawCast());
    open(f, raw, w.Load);
    w.PMSvClick();
    // The raw recording itself cannot be the target.
    f.prompts.files.push_back(ScriptedPrompts::file(raw));
    w.PMSaveClick(w.PMSave);
    QCOMPARE(f.prompts.last(), raw + " 是原始数据，不能被覆盖!");
    QCOMPARE(w.table().tableName(), raw);
    QVERIFY(w.table().isActive());
    // A new name without extension gets ".db" and becomes the open profile.
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("merged")));
    w.PMSaveClick(w.PMSave);
    QCOMPARE(w.table().tableName(), f.dir.file("merged.db"));
    QCOMPARE(int(w.ProfileKind()), 128);
    QCOMPARE(*w.table().visibleRow(0).status, 128);
    QCOMPARE(*w.table().visibleRow(0).discrip, QString("S3"));
    QVERIFY(!w.table().visibleRow(1).status.has_value());
    QVERIFY(w.PMSv->isChecked());
    // The average of the stored merged profile, saved as kind 64.
    f.prompts.values.push_back(0.8f);
    w.PMAvClick();
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("avg.db")));
    w.PMSaveClick(w.PMSaveAv);
    QCOMPARE(int(w.ProfileKind()), 64);
    QCOMPARE(*w.table().visibleRow(0).discrip, QString("平均声速(0.80米起算)"));
    QCOMPARE(w.DBGrid->model()->headerData(2, Qt::Horizontal).toString(), QString("平均声速"));
    QVERIFY(w.PMAv->isChecked() && w.SerAvSv->visible());
}

void ProfileWindowTest::exportAndReport()
{
    WindowFixture f;
    TSvMain& w = f.start();
    w.BtnExportClick();
    QCOMPARE(f.prompts.last(), QString("提示信息: 无数据文件！"));
    const QString path = f.dir.file("p.db");
    postCast(path, {castRow(0.52, 1480.26, 15.31), castRow(1.04, 1480.53, 15.27)});
    open(f, path);
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("out.txt"), 1));
    w.BtnExportClick();
    QCOMPARE(TestDir::readAll(f.dir.file("out.CSV")),
             QByteArray("S3(09-3-7 14:05)\nDepth,Sound Velocity,Temperature\n0.5,1480.3,15.3\n1.0,1480.5,15.3\n"));
    QCOMPARE(w.StatusPanel[0]->text(), QString("完成"));
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("out"), 2));
    w.BtnExportClick();
    QCOMPARE(TestDir::readAll(f.dir.file("out.VEL")), QByteArray("FTP NEW\n000.5 1480.3\n001.0 1480.5\n"));
    // A target that cannot be written is reported, not called done.
    QDir().mkpath(f.dir.file("blocked.CSV"));
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("blocked.CSV"), 1));
    w.BtnExportClick();
    QVERIFY(f.prompts.last().startsWith("error: "));
    QVERIFY(w.StatusPanel[0]->text() != "完成");
    // The report previews and prints to PDF.
    f.prompts.pdfDirectory = f.dir.path();
    w.BtnPreviewClick();
    w.BtnPrintTableClick();
    w.PMPrintClick();
    QCOMPARE(f.prompts.pdfFiles.size(), 3);
    // The preview saves the report as text too.
    f.prompts.saveTextInPreview = true;
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("report")));
    w.BtnPreviewClick();
    QVERIFY(TestDir::readAll(f.dir.file("report.txt")).startsWith("Sound Velocity Data  Report    S3(09-3-7 14:05)\n"));
    QVERIFY(TestDir::readAll(f.dir.file("report.txt")).contains("     0.5  1480.3    15.3\n"));
    QVERIFY(f.prompts.lastPrintLandscape);
    for (const QString& pdf : f.prompts.pdfFiles)
        QVERIFY(TestDir::readAll(pdf).startsWith("%PDF"));
}

void ProfileWindowTest::bitmapOfTheChart()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const QString path = f.dir.file("p.db");
    postCast(path, rawCast());
    open(f, path, w.Load);
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("chart.bmp")));
    w.SaveBMPClick();
    const QByteArray bmp = TestDir::readAll(f.dir.file("chart.bmp"));
    QVERIFY(bmp.startsWith("BM"));
    QImage image;
    QVERIFY(image.loadFromData(bmp, "BMP"));
    QCOMPARE(image.size(), w.DBChart->size());
}

QTEST_MAIN(ProfileWindowTest)
#include "profile_window_test.moc"
