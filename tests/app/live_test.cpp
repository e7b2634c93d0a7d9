// A live cast through the window: power-on, recording in each mode, stop, the
// table page; on the simulated probe and clock.
#include "WindowFixture.h"
#include "probe/FrameReceiver.h"
#include "storage/ProfileTable.h"
#include "text/Format.h"
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

namespace {

// Runs the 100 ms timer for `seconds` of simulated time.
void run(WindowFixture& f, double seconds)
{
    const int ticks = int(seconds * 10);
    for (int i = 0; i < ticks && f.window->Timer.isActive(); ++i) {
        f.clock.advance(100);
        f.window->TimerTimer();
    }
}

bool pageEnabled(TSvMain& w, QWidget* page)
{
    return w.PgCtrl->isTabEnabled(w.PgCtrl->indexOf(page));
}

}  // namespace

class LiveTest : public QObject
{
    Q_OBJECT
private slots:
    void refusals();
    void wholeCastEndToEnd();
    void fixedDepthRecordsOnTheGrid();
    void fixedTimeRecordsOncePerStep();
    void stopWithoutSamplesTouchesNothing();
    void failedCalibrationStaysIdle();
    void powerOnKeepsExistingFileUntilRecording();
    void newCastStartsWithTheWatersVelocity();
    void wholeModeKeepsUpWithTheLineRate();
    void powerOnStartsANewLine();
};

void LiveTest::refusals()
{
    WindowFixture f;
    f.failOpen = true;
    TSvMain& w = f.start();
    f.prompts.shown.clear();
    w.BtnBeginClick();
    QCOMPARE(f.prompts.last(), QString("串行口工作不正常！"));

    WindowFixture g;
    TSvMain& v = g.start();
    v.BtnBeginClick();
    QCOMPARE(g.prompts.last(), QString("请先指定存储文件！"));
    QVERIFY(!v.Timer.isActive());
}

void LiveTest::wholeCastEndToEnd()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const QString file = f.dir.file("cast.txt");
    w.EdFileName->setText(file);
    w.Description->setText("测站A");
    w.BtnBeginClick();
    QVERIFY2(f.prompts.shown.isEmpty(), qPrintable(f.prompts.shown.join('|')));
    QCOMPARE(w.EdFileName->text(), f.dir.file("cast.db"));
    // Measuring.
    QVERIFY(w.Timer.isActive());
    QVERIFY(!w.BtnBegin->isEnabled() && w.btnRec->isEnabled() && w.BtnStop1->isEnabled());
    QVERIFY(w.gbPram->isHidden() && !w.Chart1->isHidden());
    QVERIFY(!pageEnabled(w, w.TablePg) && !pageEnabled(w, w.ChartPg) && !pageEnabled(w, w.SelfPg));
    QVERIFY(w.StatusPanel[2]->text().startsWith("设备号："));
    run(f, 8);
    QVERIFY(!w.stDepth->text().isEmpty());

    w.btnRecClick();
    QVERIFY(!w.btnRec->isEnabled());
    QVERIFY(w.windowTitle().startsWith("Sondix2.1 "));
    run(f, 60);
    QVERIFY(w.SerRealSv->dataCount() > 0);
    w.BtnStopClick();

    // Idle again, the recording on the table page.
    QVERIFY(!f.probe->powered());
    QVERIFY(!w.Timer.isActive());
    QVERIFY(w.BtnBegin->isEnabled() && !w.btnRec->isEnabled() && !w.BtnStop1->isEnabled());
    QVERIFY(!w.gbPram->isHidden() && w.Chart1->isHidden());
    QCOMPARE(w.PgCtrl->currentWidget(), w.TablePg);
    QVERIFY(pageEnabled(w, w.TablePg) && pageEnabled(w, w.ChartPg));
    QVERIFY(w.EdFileName->text().isEmpty());
    QVERIFY(w.ChartDirty());
    QCOMPARE(w.FileDescription(), QString("测站A"));

    ProfileTable& t = w.table();
    QVERIFY(t.recordCount() > 50);
    QCOMPARE(t.visibleRow(0).discrip.value_or(QString()), QString("测站A"));
    for (int i = 0; i < t.recordCount(); ++i) {
        const ProfileRow& r = t.visibleRow(i);
        QVERIFY(*r.velocity >= 1400 && *r.velocity <= 1600);
        QVERIFY(*r.depth >= 0.1);
        QCOMPARE(std::round(*r.depth * 100) / 100, *r.depth);   // two decimals stored
        QVERIFY(r.dt.has_value());
        if (i > 0)
            QVERIFY(!r.discrip || *r.discrip == "低电");
    }
}

void LiveTest::fixedDepthRecordsOnTheGrid()
{
    WindowFixture f;
    TSvMain& w = f.start();
    w.LogDistanceClick();
    w.EdFileName->setText(f.dir.file("depth.db"));
    w.BtnBeginClick();
    w.btnRecClick();
    run(f, 50);
    w.BtnStopClick();
    ProfileTable& t = w.table();
    QVERIFY(t.recordCount() > 10);
    // On the way down (0.1 m a frame) one sample per 0.5 m level, each at the
    // first frame within 0.04 m of its level; depths are stored to 0.01 m.
    double previous = -1, level = 0;
    for (int i = 0; i < t.recordCount(); ++i) {
        const double d = *t.visibleRow(i).depth;
        if (d < previous)
            break;
        if (i == 0) {
            level = -1.0 + std::floor((d + 1.04) / 0.5) * 0.5;
        } else {
            level += 0.5;
            QVERIFY2(d > level - 0.045 && d < level - 0.04 + 0.105,
                     qPrintable(QString("%1 after %2 for level %3").arg(d).arg(previous).arg(level)));
        }
        previous = d;
    }
    QVERIFY(level >= 29.5);
}

void LiveTest::fixedTimeRecordsOncePerStep()
{
    WindowFixture f;
    TSvMain& w = f.start();
    w.LogTimeClick();
    w.EdFileName->setText(f.dir.file("time.db"));
    w.BtnBeginClick();
    w.btnRecClick();
    run(f, 40);
    w.BtnStopClick();
    ProfileTable& t = w.table();
    // Not every frame: about one per second of the cast spent under water.
    QVERIFY(t.recordCount() > 5);
    QVERIFY(t.recordCount() <= 41);
}

void LiveTest::stopWithoutSamplesTouchesNothing()
{
    WindowFixture f;
    TSvMain& w = f.start();
    w.EdFileName->setText(f.dir.file("none.db"));
    w.BtnBeginClick();
    run(f, 2);
    w.BtnStopClick();
    QCOMPARE(w.PgCtrl->currentWidget(), w.CablePg);
    QCOMPARE(w.EdFileName->text(), f.dir.file("none.db"));
    QVERIFY(!w.ChartDirty());
    QVERIFY(w.BtnBegin->isEnabled());
}

void LiveTest::failedCalibrationStaysIdle()
{
    WindowFixture f;
    TSvMain& w = f.start();
    SimulatedProbe::Faults faults;
    faults.calibrationLine = QByteArray(79, 'x') + "\n";
    f.probe->setFaults(faults);
    w.EdFileName->setText(f.dir.file("x.db"));
    w.BtnBeginClick();
    QCOMPARE(f.prompts.last(), QString("标定参数读出错误，需要厂家维修！"));
    QVERIFY(!w.Timer.isActive());
    QVERIFY(w.BtnBegin->isEnabled() && !w.btnRec->isEnabled());
    QVERIFY(!f.probe->powered());
}

void LiveTest::powerOnKeepsExistingFileUntilRecording()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const QString file = f.dir.file("keep.db");
    TestDir::writeAll(file, "an earlier cast");
    w.EdFileName->setText(file);
    w.BtnBeginClick();
    run(f, 1);
    w.BtnStopClick();
    QCOMPARE(TestDir::readAll(file), QByteArray("an earlier cast"));
}

void LiveTest::newCastStartsWithTheWatersVelocity()
{
    // A cast stopped at 21 m, where the water is some 27 m/s slower than at
    // the surface; the next cast, powered on at the surface, must not start
    // with that velocity.
    WindowFixture f;
    TSvMain& w = f.start();
    w.LogAllClick();
    w.EdFileName->setText(f.dir.file("cast1.db"));
    w.BtnBeginClick();
    w.btnRecClick();
    run(f, 25);   // 4 s in air, then 1 m/s down
    ProfileTable& t = w.table();
    const ProfileRow last = t.visibleRow(t.recordCount() - 1);
    QVERIFY(*last.depth > 20.0);
    const double deepVelocity = *last.velocity;
    w.BtnStopClick();

    w.EdFileName->setText(f.dir.file("cast2.db"));
    w.BtnBeginClick();
    w.btnRecClick();
    run(f, 7);
    w.BtnStopClick();
    QCOMPARE(w.windowTitle(), QString("Sondix2.1 ") + f.dir.file("cast2.db"));
    QVERIFY(t.recordCount() > 20);
    // The first rows hold the water near the surface, as the rows after them.
    const double surface = *t.visibleRow(10).velocity;
    QVERIFY2(surface - deepVelocity > 20, qPrintable(QString("%1 / %2").arg(surface).arg(deepVelocity)));
    for (int i = 0; i < 5; ++i) {
        const ProfileRow r = t.visibleRow(i);
        QVERIFY2(std::fabs(*r.velocity - surface) < 1.0,
                 qPrintable(QString("row %1 at %2 m: %3 m/s").arg(i).arg(*r.depth).arg(*r.velocity)));
    }
}

void LiveTest::wholeModeKeepsUpWithTheLineRate()
{
    // 96 frames a second, the line full: every frame in the water is a row.
    WindowFixture f;
    f.frameRate = 96;
    TSvMain& w = f.start();
    w.LogAllClick();
    w.EdFileName->setText(f.dir.file("fast.db"));
    w.BtnBeginClick();
    w.btnRecClick();
    run(f, 14);   // 4 s in air, 10 s in the water
    ProfileTable& t = w.table();
    // The read-outs and the status bar show the tick's last frame and row.
    QCOMPARE(w.stDepth->text(), fmt::formatFloat(w.OutputFormat, w.Receiver->lastDepth()));
    QCOMPARE(w.StatusPanel[1]->text(), QString::number(t.recordCount()));
    w.BtnStopClick();
    // The grid, held while recording, shows every row after the stop.
    QCOMPARE(w.DBGrid->verticalHeader()->count(), t.recordCount());
    // 10 s at 96 frames/s, less the frames with a wrong checksum (1 in 251,
    // each costing the receiver its lock for one frame more) and the first
    // 0.1 m of water.
    QVERIFY2(t.recordCount() >= 930 && t.recordCount() <= 960, qPrintable(QString::number(t.recordCount())));
    for (int i = 1; i < t.recordCount(); ++i)
        QVERIFY(*t.visibleRow(i).depth >= *t.visibleRow(i - 1).depth);
    // The live chart holds the two minutes at most four points a pixel column.
    QVERIFY(w.SerRealSv->dataCount() > 0);
    QVERIFY2(w.SerRealSv->dataCount() <= 4 * std::max(w.Chart1->width(), 100),
             qPrintable(QString::number(w.SerRealSv->dataCount())));
}

void LiveTest::powerOnStartsANewLine()
{
    // Two casts a few seconds apart: the second is a line of its own, the
    // first one's points stay to its left within the two minutes.
    WindowFixture f;
    TSvMain& w = f.start();
    w.EdFileName->setText(f.dir.file("a.db"));
    w.BtnBeginClick();
    run(f, 30);
    w.BtnStopClick();
    f.clock.advance(5000);
    w.BtnBeginClick();
    run(f, 30);
    QCPGraphDataContainer& data = *w.SerRealTemp->data();
    int breaks = 0;
    double before = 0, after = 0;
    for (int i = 1; i < data.size(); ++i) {
        QVERIFY(data.at(i)->key >= data.at(i - 1)->key);
        if (std::isnan(data.at(i)->value)) {
            ++breaks;
            before = data.at(i - 1)->key;
            after = data.at(i + 1)->key;
        }
    }
    QCOMPARE(breaks, 1);
    // 5 s of pause between the last frame of one and the first of the next.
    QVERIFY2(after - before >= 5.0 && after - before < 6.0, qPrintable(QString::number(after - before)));
    QVERIFY(data.at(data.size() - 1)->key - data.at(0)->key > 60.0);
    w.BtnStopClick();
}

QTEST_MAIN(LiveTest)
#include "live_test.moc"
