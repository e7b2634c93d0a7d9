// The project's small dialogs: the one-value dialog, the density dialog, the directory dialog.
#include "ScriptedPrompts.h"
#include "TestDir.h"
#include "dialogs/CsDialog.h"
#include "dialogs/DensityDialog.h"
#include "dialogs/DeviceDialog.h"
#include "dialogs/PathDialog.h"
#include <QLineEdit>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

class DialogsTest : public QObject
{
    Q_OBJECT
private slots:
    void oneValueRefusesWhatIsNoNumber();
    void densityRange_data();
    void densityRange();
    void directoryDialog();
    void deviceDialog();
};

void DialogsTest::oneValueRefusesWhatIsNoNumber()
{
    ScriptedPrompts prompts;
    float value = 0.8f;
    Tcs cs(&value, nullptr, &prompts);
    QCOMPARE(cs.windowTitle(), QString("计算平均声速"));
    QCOMPARE(cs.Edit1->text(), QString("0.80"));
    for (const char* bad : {"", "abc", "1,5"}) {
        cs.Edit1->setText(bad);
        cs.Button1Click();
        QCOMPARE(prompts.last(), QString("输入数据中有非法字符!"));
        QCOMPARE(cs.Tag, 0);
        QCOMPARE(value, 0.8f);
    }
    cs.Edit1->setText("2.5");
    cs.Button1Click();
    QCOMPARE(cs.Tag, 1);
    QCOMPARE(value, 2.5f);
}

void DialogsTest::densityRange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1.025") << "1.025" << true;
    QTest::newRow("1.500") << "1.500" << true;
    QTest::newRow("1.501") << "1.501" << false;
    QTest::newRow("blank") << "1.   " << true;   // "1." reads as 1
    QTest::newRow("fresh water") << "0.998" << true;
    QTest::newRow("0.750") << "0.750" << false;
}

void DialogsTest::densityRange()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    ScriptedPrompts prompts;
    float density = 1.0f;
    TDlgDensity dlg(&density, nullptr, &prompts);
    QCOMPARE(dlg.EdDensity->text(), QString("1.000"));
    dlg.EdDensity->setText(text);
    dlg.Button1Click();
    QCOMPARE(dlg.Tag == 1, accepted);
    if (!accepted) {
        QCOMPARE(prompts.last(), QString("密度值不正确!"));
        QCOMPARE(density, 1.0f);   // a refused value is not kept
    } else {
        QCOMPARE(density, float(text.trimmed().toDouble()));
    }
    // A density below 1 is shown as it is, not bent into the edit's mask.
    float fresh = 0.998f;
    TDlgDensity again(&fresh, nullptr, &prompts);
    QCOMPARE(again.EdDensity->text(), QString("0.998"));
}

void DialogsTest::directoryDialog()
{
    TestDir dir;
    TestDir::writeAll(dir.file("a.db"), "x");
    TestDir::writeAll(dir.file("b.txt"), "x");
    TPathDlg dlg(nullptr, dir.path());
    QCOMPARE(dlg.windowTitle(), QString("Dialog"));
    QCOMPARE(dlg.FileListBox->count(), 1);
    QCOMPARE(dlg.FileListBox->item(0)->text(), QString("a.db"));
    dlg.OKBtnClick();
    QCOMPARE(dlg.result(), 1);
    QCOMPARE(dlg.chosen(), QDir::toNativeSeparators(dir.path()) + QDir::separator());
}

// The devices present in a table; a row chosen (or a name typed) and a port
// number make the answer; nothing chosen, no OK.
void DialogsTest::deviceDialog()
{
    const std::vector<SerialDeviceInfo> present = {
        {"ttyUSB0", "/dev/ttyUSB0", "CP2102 USB to UART Bridge Controller", "Silicon Labs", "0001"},
        {"ttyACM0", "/dev/ttyACM0", "VX4400 interface", "Sondix", "A1B2"}};
    TDeviceDlg dlg(present, 3, nullptr);
    QCOMPARE(dlg.windowTitle(), QString("串行口设备"));
    QCOMPARE(dlg.DeviceList->rowCount(), 2);
    QCOMPARE(dlg.DeviceList->columnCount(), 4);
    QCOMPARE(dlg.DeviceList->horizontalHeaderItem(2)->text(), QString("制造商"));
    QCOMPARE(dlg.DeviceList->item(1, 1)->text(), QString("VX4400 interface"));
    QCOMPARE(dlg.DeviceList->item(1, 3)->text(), QString("A1B2"));
    QCOMPARE(dlg.portNo(), 3);
    QVERIFY(!dlg.OKBtn->isEnabled());
    dlg.DeviceList->selectRow(1);
    QCOMPARE(dlg.device(), QString("/dev/ttyACM0"));
    QVERIFY(dlg.OKBtn->isEnabled());
    dlg.PortNumber->setCurrentIndex(6);
    QCOMPARE(dlg.portNo(), 7);
    dlg.EdDevice->setText("  simulator ");
    QCOMPARE(dlg.device(), QString("simulator"));
    dlg.EdDevice->clear();
    QVERIFY(!dlg.OKBtn->isEnabled());
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
