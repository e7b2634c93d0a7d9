// Exchanges with the probe while the window stays alive: the probe's time
// moves only while the window's event loop runs (PacedClock), so a command
// that ends shows the loop ran all along. Held-back input, the upload's
// cancel, a probe that falls silent or is unplugged, the window closed in the
// middle of an exchange, and no dialog left on the screen while the work runs.
#include "PacedClock.h"
#include "WindowFixture.h"
#include "app/UpDown.h"
#include "storage/ProfileTable.h"
#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QTabBar>
#include <QtTest>

namespace {

constexpr uint32_t kStepMs = 5;   // the probe's time one run of the event loop lets pass

// A window on the self-contained page, its probe on a PacedClock that a
// zero-interval timer (started before any command) moves on.
struct PacedWindow
{
    PacedClock paced{kStepMs};
    WindowFixture f;
    QTimer pacer;
    int ticks = 0;
    std::function<void(TSvMain&)> hook;   // on every run of the loop

    PacedWindow()
    {
        f.useClock = &paced;
        pacer.setInterval(0);
        QObject::connect(&pacer, &QTimer::timeout, [this] {
            ++ticks;
            paced.step();
            if (hook && f.window)
                hook(*f.window);
        });
    }

    TSvMain& start()
    {
        f.writeIni("[Record]\r\nSelf=Yes\r\n");
        TSvMain& w = f.start();
        w.PgCtrl->setCurrentWidget(w.SelfPg);
        w.show();
        pacer.start();
        return w;
    }

    void upload(const QString& dir)
    {
        f.window->edPath->setText(dir);
        f.prompts.values.push_back(1.0f);
        f.window->btnUpLoadClick();
    }
};

std::vector<ProfileRow> rowsOf(const QString& file)
{
    ProfileTable t;
    t.setTableName(file);
    t.open();
    std::vector<ProfileRow> rows = t.storedRows();
    t.close();
    return rows;
}

QStringList profileFiles(const QString& dir)
{
    QStringList files = QDir(dir).entryList(QDir::Files, QDir::Name);
    return files;
}

bool received(const SimulatedProbe& p, uint8_t letter)
{
    const std::vector<uint8_t> bytes = p.received();
    return std::find(bytes.begin(), bytes.end(), letter) != bytes.end();
}

}  // namespace

class ExchangeTest : public QObject
{
    Q_OBJECT
private slots:
    void everyCommandNeedsTheEventLoopThroughout();
    void uploadHoldsInputShowsProgressAndCancels();
    void silentOrUnpluggedProbeEndsTheExchange();
    void closingTheWindowEndsTheExchange();
    void noDialogStaysOnScreenWhileTheWorkRuns();
};

// Every exchange, on a clock that only the window's event loop moves: each
// one ends, with its usual message, after at least one run of the loop per
// 5 ms of the probe's time.
void ExchangeTest::everyCommandNeedsTheEventLoopThroughout()
{
    PacedWindow p;
    TSvMain& w = p.start();
    w.udIntv->setPosition(20);
    w.udIntvClick();
    struct Case { const char* name; std::function<void()> run; QString message; };
    const Case cases[] = {
        {"power-on", [&] {
             w.EdFileName->setText(p.f.dir.file("live.db"));
             w.BtnBeginClick();
             QVERIFY(w.Timer.isActive());
             w.BtnStopClick();
         }, ""},
        {"clock read", [&] { w.btnQueryClick(); }, "^计算机时间为："},
        {"clock setting", [&] { w.btnSetTimeClick(); }, "写入正确！"},
        {"interval setting", [&] { w.btnSetIntvClick(); }, "写入正确！"},
        {"interval read", [&] { w.btnReadIntvClick(); }, ""},
        {"listing", [&] { w.btnFileClick(); }, "^共有 3 个文件剩余内存："},
        {"upload", [&] { p.upload(p.f.dir.file("casts")); }, "传输3个文件（传输完成）"},
        {"clearing", [&] {
             p.f.probe->setEraseDurationByte(0x40);   // 9 s of erasing
             p.f.prompts.answers.push_back(true);
             w.btnClearClick();
         }, "文件已经删除！"},
    };
    for (const Case& c : cases) {
        p.f.prompts.shown.clear();
        const uint32_t t0 = p.paced.now();
        const int ticks0 = p.ticks;
        c.run();
        const uint32_t probeTime = p.paced.now() - t0;
        const int runs = p.ticks - ticks0;
        QVERIFY2(probeTime >= 100, c.name);
        QVERIFY2(uint32_t(runs) >= probeTime / kStepMs,
                 qPrintable(QString("%1: %2 runs of the loop in %3 ms").arg(c.name).arg(runs).arg(probeTime)));
        QCOMPARE(p.paced.stalls.load(), 0);
        if (c.message.isEmpty())
            QVERIFY2(p.f.prompts.shown.isEmpty(), qPrintable(c.name + (": " + p.f.prompts.shown.join('|'))));
        else if (c.message.startsWith('^'))
            QVERIFY2(p.f.prompts.last().startsWith(c.message.mid(1)), qPrintable(p.f.prompts.last()));
        else
            QCOMPARE(p.f.prompts.last(), c.message);
        QVERIFY2(!p.f.probe->powered(), c.name);
        QVERIFY(!w.exchangeRunning());
    }
    QCOMPARE(w.edReadIntv->text(), QString("2.0"));
    QVERIFY(p.f.probe->recordings().empty());
}

// While the upload runs no click or key reaches another control, the bar shows
// its percentage and the hourglass is up; the cancel switches the probe off,
// keeps every file whole and the last one with the rows received so far, and
// the port answers the next upload.
void ExchangeTest::uploadHoldsInputShowsProgressAndCancels()
{
    PacedWindow p;
    TSvMain& w = p.start();
    const QString cancelled = p.f.dir.file("cancelled");
    bool poked = false, cancelShown = false, hourglass = false;
    QStringList percents;
    int64_t secondBegun = -1;
    p.hook = [&](TSvMain& w) {
        if (!w.exchangeRunning() || w.pr->isHidden())
            return;
        cancelShown = cancelShown || w.btnCancel->isVisible();
        hourglass = hourglass || (QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        if (!percents.contains(w.pr->text()))
            percents << w.pr->text();
        if (!poked) {
            poked = true;
            QTest::mouseClick(w.btnFile, Qt::LeftButton);
            QTest::mouseClick(w.btnClear, Qt::LeftButton);
            QTabBar* tabs = w.PgCtrl->findChild<QTabBar*>();
            QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
            QTest::keyClicks(w.edPath, "xyz");
        }
        if (w.FileList->topLevelItemCount() == 2 && secondBegun < 0)
            secondBegun = p.paced.now();
        // Some 25 rows of the second recording in (a frame takes 11 ms): cancel.
        if (secondBegun >= 0 && p.paced.now() - secondBegun >= 300 && w.btnCancel->isEnabled())
            QTest::mouseClick(w.btnCancel, Qt::LeftButton);
    };
    p.upload(cancelled);
    p.hook = {};
    QVERIFY(poked && cancelShown && hourglass);
    QCOMPARE(p.f.prompts.last(), QString("传输2个文件（传输已取消）"));
    QVERIFY(!received(*p.f.probe, 'G') && !received(*p.f.probe, 'J'));
    QVERIFY(p.f.prompts.questions.isEmpty());
    QCOMPARE(w.PgCtrl->currentWidget(), w.SelfPg);
    QCOMPARE(w.edPath->text(), cancelled);
    QVERIFY(percents.size() > 3);
    for (const QString& t : percents)
        QVERIFY2(t.contains(QRegularExpression("^\\d{1,3}%$")), qPrintable(t));
    QVERIFY(!p.f.probe->powered());
    QVERIFY(w.btnCancel->isHidden() && w.pr->isHidden());
    QVERIFY(!QApplication::overrideCursor());

    // The same recordings whole, through the same port.
    const QString whole = p.f.dir.file("whole");
    p.upload(whole);
    QCOMPARE(p.f.prompts.last(), QString("传输3个文件（传输完成）"));
    const QStringList cut = profileFiles(cancelled);
    const QStringList full = profileFiles(whole);
    QCOMPARE(cut.size(), 2);
    QCOMPARE(full.size(), 3);
    QCOMPARE(cut, full.mid(0, 2));
    QVERIFY(rowsOf(cancelled + "/" + cut[0]) == rowsOf(whole + "/" + full[0]));
    const std::vector<ProfileRow> part = rowsOf(cancelled + "/" + cut[1]);
    const std::vector<ProfileRow> all = rowsOf(whole + "/" + full[1]);
    QVERIFY2(part.size() > 10 && part.size() < all.size(), qPrintable(QString::number(part.size())));
    QVERIFY(std::equal(part.begin(), part.end(), all.begin()));
}

// A probe that falls silent or whose adapter is pulled out in the middle: the
// bounded waits end the exchange with its message while the window runs on,
// and the port works again once the probe answers.
void ExchangeTest::silentOrUnpluggedProbeEndsTheExchange()
{
    enum Command { Upload, Clear, Listing };
    struct Case { const char* name; Command command; bool unplug; int stopAfter; QString message; };
    const Case cases[] = {
        {"upload, silent", Upload, false, 30, "传输1个文件（非正常结束）"},
        {"upload, unplugged", Upload, true, -1, "传输1个文件（非正常结束）"},
        {"listing, silent", Listing, false, 2, "共有 2 个文件（非正常结束）"},
        {"listing, unplugged", Listing, true, -1, "共有 1 个文件（非正常结束）"},
        {"clearing, silent", Clear, false, 0, "声速仪无应答，请检查电缆连接和电池电量！"},
        {"clearing, unplugged", Clear, true, -1, "文件删除时出错！"},
    };
    for (const Case& c : cases) {
        PacedWindow p;
        TSvMain& w = p.start();
        const uint8_t letter = c.command == Upload ? 'I' : c.command == Clear ? 'J' : 'G';
        if (c.stopAfter >= 0)
            p.f.probe->faults().stopAfter = {letter, c.stopAfter};
        if (c.unplug) {
            // Out once the first recording is on the list, or the erase has begun.
            p.hook = [&](TSvMain& w) {
                if (w.FileList->topLevelItemCount() == 1 || (c.command == Clear && !w.pr->isHidden()))
                    p.f.probe->setUnplugged(true);
            };
        }
        const int ticks0 = p.ticks;
        const uint32_t t0 = p.paced.now();
        switch (c.command) {
        case Upload: p.upload(p.f.dir.file("casts")); break;
        case Listing: w.btnFileClick(); break;
        case Clear:
            p.f.prompts.answers.push_back(true);
            w.btnClearClick();
            break;
        }
        p.hook = {};
        QCOMPARE(p.f.prompts.last(), c.message);
        QVERIFY2(uint32_t(p.ticks - ticks0) >= (p.paced.now() - t0) / kStepMs, c.name);
        QCOMPARE(p.paced.stalls.load(), 0);
        QVERIFY(!p.f.probe->powered());
        QVERIFY(w.pr->isHidden() && !QApplication::overrideCursor());

        p.f.probe->setUnplugged(false);
        p.f.probe->setFaults({});
        p.f.prompts.shown.clear();
        w.btnFileClick();
        QVERIFY2(p.f.prompts.last().startsWith(c.command == Clear ? "共有 " : "共有 3 个文件剩余内存："),
                 qPrintable(c.name + (": " + p.f.prompts.last())));
    }
}

// Closing the window in the middle of an upload or an erase: the exchange
// ends, the probe goes off, the settings are written, and every file is whole.
void ExchangeTest::closingTheWindowEndsTheExchange()
{
    for (const bool upload : {true, false}) {
        PacedWindow p;
        TSvMain& w = p.start();
        bool asked = false;
        p.hook = [&](TSvMain& w) {
            const bool midway = upload ? w.FileList->topLevelItemCount() == 2 : !w.pr->isHidden() && w.pr->value() > 10;
            if (midway && !asked) {
                asked = true;
                QVERIFY(!w.close());   // not yet: the exchange ends first
            }
        };
        const QString dir = p.f.dir.file("casts");
        const uint32_t t0 = p.paced.now();
        if (upload) {
            p.upload(dir);
        } else {
            p.f.prompts.answers.push_back(true);
            w.btnClearClick();
        }
        p.hook = {};
        QVERIFY(asked);
        QTRY_VERIFY(!w.isVisible());
        // Ended at the cancel, not at the end of the work.
        QVERIFY(p.paced.now() - t0 < (upload ? 6000u : 5000u));
        QVERIFY(!p.f.probe->powered());
        QVERIFY2(p.f.prompts.shown.isEmpty(), qPrintable(p.f.prompts.shown.join('|')));
        const QByteArray ini = TestDir::readAll(p.f.ini());
        QVERIFY(ini.contains("Port No.=1") && ini.contains("Atmosphere="));
        if (upload) {
            // Two files, each a profile that opens; no journal or temporary file beside them.
            const QStringList files = profileFiles(dir);
            QCOMPARE(files.size(), 2);
            QVERIFY(!rowsOf(dir + "/" + files[0]).empty());
            QVERIFY(ProfileTable::isProfileFile(dir + "/" + files[1]));
            rowsOf(dir + "/" + files[1]);
        } else {
            QVERIFY(!p.f.probe->recordings().empty());
        }
    }
}

// With the real message boxes: the question is gone before the erase starts,
// and the window paints while it runs.
void ExchangeTest::noDialogStaysOnScreenWhileTheWorkRuns()
{
    PacedWindow p;
    p.f.realPrompts = true;
    int dialogsDuringWork = 0, paintsDuringWork = 0, answered = 0;
    struct PaintCounter : QObject
    {
        int* count;
        TSvMain** window;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint && (*window)->exchangeRunning())
                ++*count;
            return false;
        }
    } counter;
    TSvMain* window = nullptr;
    counter.count = &paintsDuringWork;
    counter.window = &window;
    p.hook = [&](TSvMain& w) {
        // Answers the question and the closing message as a user would.
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            QAbstractButton* b = box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes) : box->button(QMessageBox::Ok);
            if (b) {
                ++answered;
                b->click();
            }
            return;
        }
        if (!w.exchangeRunning())
            return;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != &w && top->isVisible() && qobject_cast<QDialog*>(top))
                ++dialogsDuringWork;
        w.StatusPanel[3]->update();
    };
    TSvMain& w = p.start();
    window = &w;
    w.StatusPanel[3]->installEventFilter(&counter);
    p.f.probe->setEraseDurationByte(0x20);
    w.btnClearClick();
    QCOMPARE(answered, 2);   // the question, then "文件已经删除！"
    QVERIFY(p.f.probe->recordings().empty());
    QCOMPARE(dialogsDuringWork, 0);
    QVERIFY2(paintsDuringWork > 10, qPrintable(QString::number(paintsDuringWork)));
}

QTEST_MAIN(ExchangeTest)
#include "exchange_test.moc"
