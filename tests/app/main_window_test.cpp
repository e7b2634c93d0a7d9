// The shell: construction offscreen, pages, status bar, settings load and save.
#include "WindowFixture.h"
#include "app/UpDown.h"
#include "text/Gbk.h"
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void opensWithoutSettingsFile();
    void selfPageAndFactoryRule();
    void writesSettingsAtClose();
    void closesWhenSettingsCannotBeWritten();
    void portThatCannotBeOpened();
    void portSeventeenLeavesNoSelection();
    void fixedSize();
    void dumpsTheExchange();
};

void MainWindowTest::opensWithoutSettingsFile()
{
    WindowFixture f;
    TSvMain& w = f.start();
    QVERIFY(w.windowTitle().startsWith("VX4400声速仪客户软件 ("));
    QCOMPARE(w.PgCtrl->count(), 4);
    const QStringList captions = {"自容方式", "工作参数", "数据表格", "声速曲线"};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(w.PgCtrl->tabText(i), captions[i]);
    QVERIFY(!w.PgCtrl->isTabVisible(0));   // Self is not "Yes"
    QVERIFY(w.PgCtrl->isTabVisible(1) && w.PgCtrl->isTabVisible(2) && w.PgCtrl->isTabVisible(3));
    QCOMPARE(w.PgCtrl->currentWidget(), w.CablePg);
    // Defaults: port 1, whole-record mode with its button hidden, steps, density, format.
    QCOMPARE(w.PortNo, 1);
    QVERIFY(w.PortOpened);
    QCOMPARE(w.PortNumber->currentText(), QString("COM1"));
    QCOMPARE(w.Mode, 0);
    QVERIFY(w.LogAll->isChecked());
    QVERIFY(w.LogAll->isHidden());
    QCOMPARE(w.EditDistance->text(), QString("0.5"));
    QCOMPARE(w.EditTime->text(), QString("1"));
    QCOMPARE(w.EdDensity->text(), QString("1.000"));
    QCOMPARE(w.OutputFormat, QString("0.0"));
    QCOMPARE(w.MemorySize, 32704);
    QVERIFY(!w.btnRec->isEnabled() && !w.BtnStop1->isEnabled() && !w.BtnStop->isEnabled());
    QVERIFY(!w.BtnExport->isEnabled() && !w.BtnPreview->isEnabled() && !w.BtnPrintTable->isEnabled());
    QVERIFY(w.Chart1->isHidden() && !w.gbPram->isHidden());
    QVERIFY(!w.PMSave->isEnabled() && !w.PMSaveAv->isEnabled());
    QVERIFY(w.SvTwo->isEnabled() && w.PMAv->isEnabled() && w.SaveBMP->isEnabled());
    QCOMPARE(w.lbTime->text(), QString("2001-12-12 20:20:20"));
    QVERIFY(w.Timer1s.isActive());
    QVERIFY(!w.Timer.isActive());
    QCOMPARE(w.Timer.interval(), 100);
    QVERIFY(f.prompts.shown.isEmpty());
    const int widths[] = {200, 50, 145, 200};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(w.StatusPanel[i]->width(), widths[i]);
    QVERIFY(!w.StatusPanel[3]->text().isEmpty());
}

void MainWindowTest::selfPageAndFactoryRule()
{
    WindowFixture f;
    f.writeIni("[Record]\r\nSelf=Yes\r\nFactory=Yes\r\nMode=0\r\nOutput Format=0.00\r\n[Depth]\r\nDensity=0.5\r\n");
    TSvMain& w = f.start();
    QVERIFY(w.PgCtrl->isTabVisible(0));
    QVERIFY(!w.LogAll->isHidden());
    QCOMPARE(w.Mode, 1);
    QVERIFY(w.LogDistance->isChecked());
    QVERIFY(w.EditDistance->isEnabled() && w.UpDownDistance->isEnabled());
    QVERIFY(!w.EditTime->isEnabled());
    QCOMPARE(w.OutputFormat, QString("0.00"));
    QCOMPARE(w.Density, 1.0f);
    QCOMPARE(w.PgCtrl->currentWidget(), w.CablePg);
}

void MainWindowTest::writesSettingsAtClose()
{
    WindowFixture f;
    f.writeIni("; kept\r\n[Other]\r\nKey=value\r\n[Record]\r\nPath=/data/casts/\r\n");
    TSvMain& w = f.start();
    w.Cal.pa1 = 2.2f;
    w.Draught = 0.8f;
    w.EdDensity->setText("1.025");
    w.SN = "VX-0042";
    // Edited by hand while the client runs: kept at close.
    f.writeIni(TestDir::readAll(f.ini()) + "[Record]\r\nOutput Format=2\r\n[Serial Port]\r\nDevice 3=/dev/ttyUSB0\r\n");
    w.close();
    QVERIFY(!w.SettingsWriteFailed);
    const QString text = fromGbk(TestDir::readAll(f.ini()));
    QVERIFY(text.contains("Output Format=2"));
    QVERIFY(text.contains("Device 3=/dev/ttyUSB0"));
    QVERIFY(text.contains("; kept"));
    QVERIFY(text.contains("Key=value"));
    QVERIFY(text.contains("Path=/data/casts/"));
    QVERIFY(text.contains("PA1=2.20000004768372"));
    QVERIFY(text.contains("PA2=2.08000002999142E-7"));
    QVERIFY(text.contains("Draught=0.800000011920929"));
    QVERIFY(text.contains("Density=1.025"));
    QVERIFY(text.contains("Atmosphere=10400"));
    QVERIFY(text.contains("TA5=-7.5"));
    QVERIFY(text.contains("LF2048=0"));
    QVERIFY(text.contains("Port No.=1"));
    QVERIFY(text.contains("SN=VX-0042"));
    // Write order: Mode before Size, Density last.
    QVERIFY(text.indexOf("Mode=") < text.indexOf("Size="));
    QVERIFY(text.indexOf("PA0=") < text.indexOf("TA0="));
}

void MainWindowTest::closesWhenSettingsCannotBeWritten()
{
    WindowFixture f;
    TSvMain& w = f.start();
    w.show();
    // A directory where the settings file should be: it cannot be written.
    QDir().mkpath(f.ini());
    QVERIFY(w.close());
    QVERIFY(w.SettingsWriteFailed);
    QVERIFY(f.prompts.last().startsWith("error: "));
    QVERIFY(!w.isVisible());
}

void MainWindowTest::portThatCannotBeOpened()
{
    WindowFixture f;
    f.failOpen = true;
    TSvMain& w = f.start();
    QVERIFY(!w.PortOpened);
    QCOMPARE(f.prompts.shown, QStringList{"打开串行口时出错！"});
    f.failOpen = false;
    w.PortNumber->setCurrentIndex(2);
    QCOMPARE(w.PortNo, 3);
    QVERIFY(w.PortOpened);
}

void MainWindowTest::portSeventeenLeavesNoSelection()
{
    WindowFixture f;
    f.writeIni("[Serial Port]\r\nPort No.=17\r\n");
    TSvMain& w = f.start();
    QCOMPARE(w.PortNo, 17);
    QCOMPARE(w.PortNumber->currentIndex(), -1);
}

void MainWindowTest::fixedSize()
{
    WindowFixture f;
    TSvMain& w = f.start();
    w.show();
    w.resize(1000, 700);
    QCOMPARE(w.size(), QSize(800, 600));
}

void MainWindowTest::dumpsTheExchange()
{
    WindowFixture f;
    f.dumpFile = f.dir.file("exchange.txt");
    TSvMain& w = f.start();
    w.btnQueryClick();
    const QList<QByteArray> lines = TestDir::readAll(f.dumpFile).split('\n');
    QVERIFY(lines.size() > 4);
    QVERIFY(lines.contains("> 43"));   // the clock query
    QVERIFY(std::any_of(lines.begin(), lines.end(), [](const QByteArray& l) { return l.startsWith("< "); }));

    // A dump that cannot be written is told once; the probe still answers.
    WindowFixture g;
    g.dumpFile = g.dir.file("missing/exchange.txt");
    TSvMain& w2 = g.start();
    QVERIFY(w2.PortOpened);
    QCOMPARE(g.prompts.shown.count(), 1);
    QVERIFY(g.prompts.last().startsWith("不能建立通讯记录文件："));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
