// The main commands' keys and F1 by real key events, a profile file named on
// the command line, and the settings of a program installed where it may not write.
#include "ProfileFiles.h"
#include "WindowFixture.h"
#include "ParadoxWriter.h"
#include "document/ProfileTableModel.h"
#include "storage/ProfileTable.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

void writeProfile(const QString& path)
{
    std::vector<ProfileRow> rows;
    for (int i = 1; i <= 10; ++i)
        rows.push_back(castRow(i * 0.5, 1500 - i * 0.2, 20 - i * 0.1));
    rows[0].discrip = "S3";
    postRows(path, rows);
}

// Shown and active: window-wide keys reach only the active window.
void activate(TSvMain& w)
{
    w.show();
    w.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w));
}

void key(TSvMain& w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QTest::keyClick(&w, k, m);
}

}  // namespace

class ShellKeysTest : public QObject
{
    Q_OBJECT
private slots:
    void tooltipsNameTheKeys();
    void tableKeysOpenExportPreviewPrint();
    void liveKeysPowerRecordStop();
    void f1ShowsKeysAndVersion();
    void fileArgumentOpensOnTheTablePage_data();
    void fileArgumentOpensOnTheTablePage();
    void fileArgumentThatIsNoProfileStaysUntouched();
    void installedProgramKeepsSettingsInTheUsersDirectory();
};

void ShellKeysTest::tooltipsNameTheKeys()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const struct { QPushButton* button; const char* tip; } cases[] = {
        {w.BtnBegin, "声速测量 (F5)"}, {w.btnRec, "开始记录 (F6)"}, {w.BtnStop1, "停！ (F7)"},
        {w.BtnOpen, "打开 (Ctrl+O)"}, {w.BtnExport, "导出 (Ctrl+E)"},
        {w.BtnPreview, "打印预览 (Ctrl+Shift+P)"}, {w.BtnPrintTable, "打印 (Ctrl+P)"},
    };
    for (const auto& c : cases)
        QCOMPARE(c.button->toolTip(), QString::fromUtf8(c.tip));
    // The captions and places stay those of the layout.
    QCOMPARE(w.BtnOpen->text(), QString("打开"));
    QCOMPARE(w.BtnOpen->geometry(), QRect(496, 328, 89, 49));
    QCOMPARE(w.BtnBegin->geometry(), QRect(680, 24, 89, 73));
}

void ShellKeysTest::tableKeysOpenExportPreviewPrint()
{
    WindowFixture f;
    TSvMain& w = f.start();
    const QString file = f.dir.file("S3.db");
    writeProfile(file);
    f.prompts.pdfDirectory = f.dir.path();
    activate(w);

    // Nothing open: export, preview and print are disabled and take no key.
    for (const auto& [k, m] : {std::pair{Qt::Key_E, Qt::ControlModifier}, std::pair{Qt::Key_P, Qt::ControlModifier}})
        key(w, k, m);
    key(w, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(f.prompts.fileRequests.empty() && f.prompts.pdfFiles.isEmpty());
    QCOMPARE(w.PgCtrl->currentWidget(), w.CablePg);

    // Ctrl+O from the parameter page: the table page and the open dialog.
    f.prompts.files.push_back(ScriptedPrompts::file(file));
    key(w, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(w.PgCtrl->currentWidget(), w.TablePg);
    QCOMPARE(f.prompts.fileRequests.back().title, QString("选择要打开的文件"));
    QCOMPARE(w.windowTitle(), "Sondix2.1 " + file);

    key(w, Qt::Key_E, Qt::ControlModifier);   // the export dialog, cancelled
    QCOMPARE(f.prompts.fileRequests.size(), size_t(2));
    QCOMPARE(f.prompts.fileRequests.back().title, QString("导出文件"));

    key(w, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.prompts.pdfFiles.size(), 1);   // the preview
    key(w, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(f.prompts.pdfFiles.size(), 2);   // the print
    QVERIFY(!f.prompts.lastPrintLandscape);
}

void ShellKeysTest::liveKeysPowerRecordStop()
{
    WindowFixture f;
    TSvMain& w = f.start();
    w.EdFileName->setText(f.dir.file("cast.db"));
    activate(w);
    w.PgCtrl->setCurrentWidget(w.TablePg);

    key(w, Qt::Key_F5);   // power on, from another page
    QVERIFY2(f.prompts.shown.isEmpty(), qPrintable(f.prompts.shown.join('|')));
    QCOMPARE(w.PgCtrl->currentWidget(), w.CablePg);
    QVERIFY(w.Timer.isActive());

    key(w, Qt::Key_O, Qt::ControlModifier);   // the table page is disabled while measuring
    QCOMPARE(w.PgCtrl->currentWidget(), w.CablePg);
    QVERIFY(f.prompts.fileRequests.empty());

    key(w, Qt::Key_F6);   // start recording
    QVERIFY(!w.btnRec->isEnabled());
    QVERIFY(QFileInfo::exists(f.dir.file("cast.db")));
    // Until the probe, lowered into the water, gives its first sample (at most a minute).
    for (int i = 0; i < 600 && w.table().recordCount() == 0; ++i) {
        f.clock.advance(100);
        w.TimerTimer();
    }
    key(w, Qt::Key_F7);   // stop
    QVERIFY(!w.Timer.isActive());
    QVERIFY(w.BtnBegin->isEnabled());
    QVERIFY(w.table().recordCount() > 0);   // shown on the table page
}

void ShellKeysTest::f1ShowsKeysAndVersion()
{
    WindowFixture f;
    TSvMain& w = f.start();
    activate(w);
    key(w, Qt::Key_F1);
    QCOMPARE(f.prompts.shown.size(), 1);
    const QString help = f.prompts.shown.front();
    QVERIFY2(help.startsWith("帮助: " + TSvMain::firstCaption() + "\n版本 "), qPrintable(help));
    for (const char* line : {"F5\t电源开", "F6\t开始记录", "F7\t停！", "Ctrl+O\t打开", "Ctrl+E\t导出",
                             "Ctrl+Shift+P\t打印预览", "Ctrl+P\t打印", "F1\t帮助"})
        QVERIFY2(help.contains(QString::fromUtf8(line)), line);
    QVERIFY(help.endsWith("设置文件：" + f.ini()));
}

void ShellKeysTest::fileArgumentOpensOnTheTablePage_data()
{
    QTest::addColumn<bool>("legacy");
    QTest::addColumn<bool>("relative");
    QTest::newRow("profile file") << false << false;
    QTest::newRow("relative name") << false << true;
    QTest::newRow("old Paradox file") << true << false;
}

void ShellKeysTest::fileArgumentOpensOnTheTablePage()
{
    QFETCH(bool, legacy);
    QFETCH(bool, relative);
    WindowFixture f;
    const QString file = f.dir.file("S3.db");
    QString error;
    if (legacy)
        QVERIFY2(writeParadoxTable(file, {castRow(0.5, 1500, 20), castRow(1.0, 1499.5, 19.8)}, &error), qPrintable(error));
    else
        writeProfile(file);
    const QByteArray before = TestDir::readAll(file);
    TSvMain& w = f.start();
    const QString cwd = QDir::currentPath();
    if (relative)
        QDir::setCurrent(f.dir.path());
    w.OpenFileArgument(relative ? QString("S3.db") : file);
    QDir::setCurrent(cwd);
    QVERIFY2(f.prompts.shown.isEmpty(), qPrintable(f.prompts.shown.join('|')));
    QCOMPARE(w.PgCtrl->currentWidget(), w.TablePg);
    QCOMPARE(w.windowTitle(), "Sondix2.1 " + file);
    QCOMPARE(w.Path, f.dir.path() + "/");
    QVERIFY(w.BtnExport->isEnabled() && w.BtnPreview->isEnabled());
    QCOMPARE(w.GridModel->rowCount(), legacy ? 2 : 10);
    QVERIFY(!w.Timer1s.isActive());   // as after the user's own page change
    QCOMPARE(TestDir::readAll(file), before);
}

void ShellKeysTest::fileArgumentThatIsNoProfileStaysUntouched()
{
    WindowFixture f;
    const QByteArray text = "depth,velocity\n1,1500\n";
    TestDir::writeAll(f.dir.file("notes.db"), text);
    const QByteArray sqlite = QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\0') + QByteArray(924, 'x');
    TestDir::writeAll(f.dir.file("other.db"), sqlite);
    TSvMain& w = f.start();
    const QString title = w.windowTitle();
    for (const QString& name : {QString("notes.db"), QString("other.db"), QString("missing.db")}) {
        f.prompts.shown.clear();
        w.OpenFileArgument(f.dir.file(name));
        QCOMPARE(f.prompts.shown.join("|"), QStringList{"数据文件错误或空数据文件！"}.join("|"));
        QCOMPARE(w.PgCtrl->currentWidget(), w.CablePg);
        QCOMPARE(w.windowTitle(), title);
        QVERIFY(!w.BtnExport->isEnabled());
    }
    QCOMPARE(TestDir::readAll(f.dir.file("notes.db")), text);
    QCOMPARE(TestDir::readAll(f.dir.file("other.db")), sqlite);
    QVERIFY(!QFileInfo::exists(f.dir.file("missing.db")));
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList({"notes.db", "other.db"}));
}

void ShellKeysTest::installedProgramKeepsSettingsInTheUsersDirectory()
{
    TestDir home;
    qputenv("XDG_CONFIG_HOME", home.file("config").toUtf8());
    qputenv("XDG_DATA_HOME", home.file("share").toUtf8());
    WindowFixture f;
    SvMainOptions o;
    o.executablePath = "/usr/bin/svclient";   // even root must not write beside it
    o.clock = &f.clock;
    o.prompts = &f.prompts;
    o.portFactory = [&f](int, const QString&) -> std::unique_ptr<SerialPort> {
        return std::make_unique<SimulatedProbe>(f.clock);
    };
    {
        TSvMain w(o);
        QCOMPARE(w.settingsPath(), home.file("config/svclient/svclient.INI"));
        QCOMPARE(w.dataDirectory(), home.file("share/svclient/SVPData/"));
        w.Draught = 2.5f;
        w.close();
        QVERIFY(!w.SettingsWriteFailed);
    }
    QVERIFY(TestDir::readAll(home.file("config/svclient/svclient.INI")).contains("Draught=2.5\n"));
    QVERIFY(!QFileInfo::exists("/usr/bin/svclient.INI"));
    {
        TSvMain w(o);   // read back from there
        QCOMPARE(w.Draught, 2.5f);
    }
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
}

QTEST_MAIN(ShellKeysTest)
#include "shell_keys_test.moc"
