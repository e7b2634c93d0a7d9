// The probe's memory through the window, on the simulated probe and clock.
#include "WindowFixture.h"
#include "app/UpDown.h"
#include "storage/ProfileTable.h"
#include "probe/ProbeProtocol.h"
#include <QDir>
#include <QRegularExpression>
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
    void messagesOfEveryCommand();
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

// Every text a probe command of the page shows, against a probe with a fault.
void SelfPageTest::messagesOfEveryCommand()
{
    using Faults = SimulatedProbe::Faults;
    using Setup = std::function<void(SimulatedProbe&, TSvMain&)>;
    const QString noAnswer = "声速仪无应答，请检查电缆连接和电池电量！";
    const QString notSupported = "该设备不支持此命令！";
    const QString badCalibration = "标定参数读出错误，需要厂家维修！";
    auto fault = [](std::function<void(Faults&)> set) -> Setup {
        return [set](SimulatedProbe& p, TSvMain&) { set(p.faults()); };
    };
    auto intervals = [](QString read, QString set) -> Setup {
        return [read, set](SimulatedProbe&, TSvMain& w) {
            w.edReadIntv->setText(read);
            w.edSetIntv->setText(set);
        };
    };
    auto twoRecordings = [](SimulatedProbe& p, TSvMain&) {
        SimulatedProbe::Recording a, b;
        a.number = 1;
        a.start = QDateTime(QDate(2025, 12, 31), QTime(23, 59));
        a.samples = {{5000, 10000, 26214, 0}, {5000, 10000, 26214, 1}, {5000, 10000, 26214, 0}};
        b = a;
        b.number = 2;
        b.start = QDateTime(QDate(2026, 1, 2), QTime(8, 30));
        p.setRecordings({a, b});
        p.setMemorySize(1000);
        p.setMemoryUsed(564);
    };
    enum Button { Query, SetTime, ReadIntv, SetIntv, Clear, List, Upload };
    struct Case { const char* name; Button button; Setup setup; QString message; };
    const Case cases[] = {
        {"clock", Query, [](SimulatedProbe& p, TSvMain&) { p.setClock(QDateTime(QDate(2025, 6, 14), QTime(10, 20, 30))); },
         "^计算机时间为：\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\n声速仪时间为：25-06-14 10:20:3\\d$"},
        {"clock checksum", Query, fault([](Faults& f) { f.badChecksum = {'C', 0}; }), "接收数据校验和错误！"},
        {"clock unknown", Query, fault([](Faults& f) { f.unknown = "C"; }), notSupported},
        {"clock no handshake", Query, fault([](Faults& f) { f.ignoreAttention = true; }), noAnswer},
        {"clock set", SetTime, {}, "写入正确！"},
        {"clock set unknown", SetTime, fault([](Faults& f) { f.unknown = "D"; }), "写入错误或该设备不支持此命令！"},
        {"clock set no echo", SetTime, fault([](Faults& f) { f.noEcho = "D"; }), noAnswer},
        {"interval read", ReadIntv, {}, ""},
        {"interval read unknown", ReadIntv, fault([](Faults& f) { f.unknown = "E"; }), notSupported},
        {"interval read calibration", ReadIntv, fault([](Faults& f) { f.calibrationLine = QByteArray(79, 'x') + "\n"; }), badCalibration},
        {"interval read no handshake", ReadIntv, fault([](Faults& f) { f.ignoreAttention = true; }), noAnswer},
        {"interval set", SetIntv, intervals("", "1.0"), "写入正确！"},
        {"interval same", SetIntv, intervals("1.0", "1.0"), "当前参数与要设置参数相同，不必重置！"},
        {"interval not chosen", SetIntv, intervals("", ""), "请先选择要设置的记录间距！"},
        {"interval no number", SetIntv, intervals("", "x"), "记录间距数值错误！"},
        {"interval unknown", SetIntv, [=](SimulatedProbe& p, TSvMain& w) { intervals("", "1.0")(p, w); p.faults().unknown = "F"; }, notSupported},
        {"interval no echo", SetIntv, [=](SimulatedProbe& p, TSvMain& w) { intervals("", "1.0")(p, w); p.faults().noEcho = "F"; }, noAnswer},
        {"clear unknown", Clear, fault([](Faults& f) { f.unknown = "J"; }), notSupported},
        {"clear no handshake", Clear, fault([](Faults& f) { f.ignoreAttention = true; }), noAnswer},
        {"clear", Clear, [](SimulatedProbe& p, TSvMain&) { p.setEraseDurationByte(0x1F); }, "文件已经删除！"},
        {"list", List, twoRecordings, "共有 2 个文件剩余内存：50.0%"},
        {"list checksum", List, [=](SimulatedProbe& p, TSvMain& w) { twoRecordings(p, w); p.faults().badChecksum = {'G', 1}; }, "共有 1 个文件（校验和错误）;"},
        {"list silent", List, [=](SimulatedProbe& p, TSvMain& w) { twoRecordings(p, w); p.faults().stopAfter = {'G', 1}; }, "共有 1 个文件（非正常结束）"},
        {"list unknown", List, fault([](Faults& f) { f.unknown = "G"; }), notSupported},
        {"list no handshake", List, fault([](Faults& f) { f.ignoreAttention = true; }), noAnswer},
        {"upload", Upload, twoRecordings, "传输2个文件（传输完成）"},
        {"upload checksum", Upload, [=](SimulatedProbe& p, TSvMain& w) { twoRecordings(p, w); p.faults().badChecksum = {'I', 3}; }, "传输1个文件（因校验和错误中断了传输）"},
        {"upload silent", Upload, [=](SimulatedProbe& p, TSvMain& w) { twoRecordings(p, w); p.faults().stopAfter = {'I', 3}; }, "传输1个文件（非正常结束）"},
        {"upload unknown", Upload, fault([](Faults& f) { f.unknown = "I"; }), notSupported},
        {"upload calibration", Upload, fault([](Faults& f) { f.calibrationLine = QByteArray("B,1\n"); }), badCalibration},
        {"upload no handshake", Upload, fault([](Faults& f) { f.ignoreAttention = true; }), noAnswer},
    };
    WindowFixture f;
    startSelf(f);
    TSvMain& w = *f.window;
    int uploads = 0;
    for (const Case& c : cases) {
        f.probe->setFaults({});
        f.prompts.shown.clear();
        if (c.setup)
            c.setup(*f.probe, w);
        switch (c.button) {
        case Query: w.btnQueryClick(); break;
        case SetTime: w.btnSetTimeClick(); break;
        case ReadIntv: w.btnReadIntvClick(); break;
        case SetIntv: w.btnSetIntvClick(); break;
        case Clear:
            f.prompts.answers.push_back(true);
            w.btnClearClick();
            break;
        case List: w.btnFileClick(); break;
        case Upload:
            w.edPath->setText(f.dir.file(QString("up%1").arg(++uploads)));
            f.prompts.values.push_back(1.0f);
            w.btnUpLoadClick();
            break;
        }
        if (c.message.isEmpty())
            QVERIFY2(f.prompts.shown.isEmpty(), c.name);
        else if (c.message.startsWith('^'))
            QVERIFY2(f.prompts.last().contains(QRegularExpression(c.message)), qPrintable(c.name + (": " + f.prompts.last())));
        else
            QVERIFY2(f.prompts.shown == QStringList{c.message}, qPrintable(c.name + (": " + f.prompts.shown.join('|'))));
        QVERIFY2(!f.probe->powered(), c.name);
        QVERIFY2(w.pr->isHidden(), c.name);
    }
}

QTEST_MAIN(SelfPageTest)
#include "self_page_test.moc"
