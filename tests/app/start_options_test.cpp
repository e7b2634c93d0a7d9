// svclient started as a process: a frame rate that is no rate stops it with a
// message and exit code 2 before anything is shown.
#include "TestDir.h"
#include <QFile>
#include <QProcess>
#include <QtTest>

class StartOptionsTest : public QObject
{
    Q_OBJECT
private slots:
    void badFrameRateStopsBeforeTheWindow();
};

void StartOptionsTest::badFrameRateStopsBeforeTheWindow()
{
    // A copy of the client beside its own settings file.
    TestDir dir;
    const QString exe = dir.file("svclient");
    QVERIFY(QFile::copy(SVCLIENT_PATH, exe));
    QVERIFY(QFile::setPermissions(exe, QFile::permissions(exe) | QFile::ExeOwner));

    struct Case { QStringList args; QByteArray ini; QByteArray says; } cases[] = {
        {{"--simulate", "--frame-rate", "fast"}, "", "--frame-rate \"fast\""},
        {{"--frame-rate", "0"}, "", "from 1 to 96"},
        {{"--simulate", "--frame-rate=97"}, "[Simulator]\nFrame Rate=50\n", "--frame-rate \"97\""},
        {{"--simulate"}, "[Simulator]\nFrame Rate=200\n", "[Simulator] Frame Rate = \"200\""},
    };
    for (const Case& c : cases) {
        TestDir::writeAll(dir.file("svclient.INI"), c.ini);
        QProcess p;
        p.start(exe, c.args);
        // The window would run until closed: an exit at all shows none was started.
        QVERIFY2(p.waitForFinished(20000), qPrintable(c.args.join(' ')));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 2);
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(err.contains(c.says), err.constData());
        QCOMPARE(TestDir::readAll(dir.file("svclient.INI")), c.ini);   // a window writes it back at close
    }
}

QTEST_GUILESS_MAIN(StartOptionsTest)
#include "start_options_test.moc"
