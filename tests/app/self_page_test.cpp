// The probe's memory through the window, on the simulated probe and clock.
#include "WindowFixture.h"
#include "app/UpDown.h"
#include "storage/ProfileTable.h"
#include "probe/ProbeProtocol.h"
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

class SelfPageTest : public QObject
{
    Q_OBJECT
private slots:
    void listsAndUploads();
    void clearingAsksFirst();
    void clockAndInterval();
    void uploadRefusals();
};

namespace {
void startSelf(WindowFixture& f)
{
    f.writeIni("[Record]\r\nSelf=Yes\r\n");
    f.start();
    f.window->PgCtrl->setCurrentWidget(f.window->SelfPg);
}

bool sent(const SimulatedProbe& p, uint8_t letter)
{
    const std::vector<uint8_t> bytes = p.received();
    return std::find(bytes.begin(), bytes.end(), letter) != bytes.end();
}
}  // namespace

void SelfPageTest::listsAndUploads()
{
    WindowFixture f;
    startSelf(f);
    TSvMain& w = *f.window;
    QVERIFY(w.PgCtrl->isTabVisible(0));
    w.btnFileClick();
    const int n = int(f.probe->recordings().size());
    QCOMPARE(w.FileList->topLevelItemCount(), n);
    QVERIFY2(f.prompts.last().startsWith(QString("共有 %1 个文件剩余内存：").arg(n)), qPrintable(f.prompts.last()));
    QVERIFY(!f.probe->powered());
    // A probe that does not take the command leaves the list on screen; the
    // device number shows only after a calibration was read.
    w.StatusPanel[2]->clear();
    SimulatedProbe::Faults silent;
    silent.noEcho = "GI";
    f.probe->setFaults(silent);
    w.btnFileClick();
    QCOMPARE(w.FileList->topLevelItemCount(), n);
    w.edPath->setText(f.dir.file("refused"));
    f.prompts.values.push_back(1.025f);
    w.btnUpLoadClick();
    QCOMPARE(w.FileList->topLevelItemCount(), n);
    QVERIFY(w.pr->isHidden());
    QCOMPARE(w.StatusPanel[2]->text(), "设备号：" + w.SN);
    f.probe->setFaults({});

    const QString target = f.dir.file("casts");
    w.edPath->setText(target);
    f.prompts.values.push_back(1.025f);
    w.btnUpLoadClick();
    QVERIFY2(f.prompts.last() == QString("传输%1个文件（传输完成）").arg(n), qPrintable(f.prompts.last()));
    QCOMPARE(w.EdDensity->text(), QString("1.025"));
    QCOMPARE(w.Path, target + "/");
    QVERIFY(w.pr->isHidden());
    QVERIFY(w.table().tableName().isEmpty());
    QVERIFY(!w.table().isActive());
    const QStringList files = QDir(target).entryList({"*.db"}, QDir::Files);
    QCOMPARE(files.size(), n);
    for (const QString& name : files) {
        ProfileTable t;
        t.setTableName(QDir(target).filePath(name));
        t.open();
        QVERIFY(t.recordCount() > 0);
        QVERIFY(t.visibleRow(0).dt.has_value());
        QVERIFY(t.recordCount() < 2 || !t.visibleRow(1).dt.has_value());
    }
    // After an upload no profile is open: exporting says so.
    f.prompts.shown.clear();
    w.BtnExportClick();
    QCOMPARE(f.prompts.last(), QString("提示信息: 无数据文件！"));
}

void SelfPageTest::clearingAsksFirst()
{
    WindowFixture f;
    startSelf(f);
    TSvMain& w = *f.window;
    f.prompts.answers.push_back(false);
    w.btnClearClick();
    QCOMPARE(f.prompts.questions.size(), 1);
    QVERIFY(!sent(*f.probe, cmd::ClearMemory));
    QVERIFY(!f.probe->recordings().empty());

    f.probe->setEraseDurationByte(0x40);
    f.prompts.answers.push_back(true);
    const uint32_t before = f.clock.now();
    w.btnClearClick();
    QCOMPARE(f.prompts.last(), QString("文件已经删除！"));
    QVERIFY(f.clock.now() - before >= 9000);   // k = 2: 9 s of erasing
    QVERIFY(f.probe->recordings().empty());
    QCOMPARE(w.FileList->topLevelItemCount(), 0);
    QVERIFY(w.pr->isHidden());
    QVERIFY(!f.probe->powered());
}

void SelfPageTest::clockAndInterval()
{
    WindowFixture f;
    startSelf(f);
    TSvMain& w = *f.window;
    w.btnQueryClick();
    QVERIFY2(f.prompts.last().startsWith("计算机时间为："), qPrintable(f.prompts.last()));
    QVERIFY(f.prompts.last().contains("\n声速仪时间为："));
    w.btnSetTimeClick();
    QCOMPARE(f.prompts.last(), QString("写入正确！"));
    w.udIntv->setPosition(20);
    w.udIntvClick();
    QCOMPARE(w.edSetIntv->text(), QString("2.0"));
    w.btnSetIntvClick();
    QCOMPARE(f.prompts.last(), QString("写入正确！"));
    w.btnReadIntvClick();
    QCOMPARE(w.edReadIntv->text(), QString("2.0"));
    f.prompts.shown.clear();
    w.btnSetIntvClick();
    QCOMPARE(f.prompts.last(), QString("当前参数与要设置参数相同，不必重置！"));
    QVERIFY(!f.probe->powered());
}

void SelfPageTest::uploadRefusals()
{
    WindowFixture f;
    startSelf(f);
    TSvMain& w = *f.window;
    w.edPath->clear();
    w.btnUpLoadClick();
    QCOMPARE(f.prompts.last(), QString("清先指定存储路径！"));
    // A directory two levels down cannot be created: nothing is sent.
    w.edPath->setText(f.dir.file("a/b"));
    w.btnUpLoadClick();
    QVERIFY(f.prompts.last().contains("建立子目录出错:\n"));
    QVERIFY(!sent(*f.probe, cmd::Upload));
    // The density dialog closed without confirming: nothing is sent either.
    w.edPath->setText(f.dir.path());
    f.prompts.values.push_back(std::nullopt);
    w.btnUpLoadClick();
    QVERIFY(!sent(*f.probe, cmd::Upload));
}

QTEST_MAIN(SelfPageTest)
#include "self_page_test.moc"
