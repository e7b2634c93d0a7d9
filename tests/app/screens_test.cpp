// The window as a surveyor sees it: each page rendered offscreen in its typical
// state. The pictures are kept when SV_SCREENSHOT_DIR names a directory.
#include "WindowFixture.h"
#include "app/Splash.h"
#include "storage/ProfileTable.h"
#include <QtTest>

namespace {

void keep(QWidget& w, const QString& name)
{
    QTest::qWait(100);   // the chart lays out its legend on the event loop
    const QImage image = w.grab().toImage();
    QVERIFY(!image.isNull());
    // A page that rendered is not one flat colour.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7)
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    QVERIFY(colours.size() > 8);
    const QString dir = qEnvironmentVariable("SV_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        image.save(QDir(dir).filePath(name + ".png"));
}

void run(WindowFixture& f, double seconds)
{
    for (int i = 0; i < int(seconds * 10) && f.window->Timer.isActive(); ++i) {
        f.clock.advance(100);
        f.window->TimerTimer();
    }
}

}  // namespace

class ScreensTest : public QObject
{
    Q_OBJECT
private slots:
    void pages();
};

void ScreensTest::pages()
{
    Tlogo logo;
    keep(logo, "0-splash");

    WindowFixture f;
    f.writeIni("[Record]\r\nSelf=Yes\r\n");
    TSvMain& w = f.start();
    w.show();
    keep(w, "1-cable-idle");

    w.EdFileName->setText(f.dir.file("cast.db"));
    w.BtnBeginClick();
    run(f, 10);
    w.btnRecClick();
    run(f, 45);
    keep(w, "2-cable-recording");
    run(f, 50);
    w.BtnStopClick();
    keep(w, "3-table");

    w.PgCtrl->setCurrentWidget(w.ChartPg);
    keep(w, "4-chart-raw");
    w.PMSvClick();
    w.PMTempClick();
    keep(w, "5-chart-merged");
    f.prompts.values.push_back(0.8f);
    w.PMAvClick();
    keep(w, "6-chart-average");

    // The report of the recorded cast and the chart printed in landscape, as PDF.
    f.prompts.pdfDirectory = qEnvironmentVariable("SV_SCREENSHOT_DIR", f.dir.path());
    w.BtnPreviewClick();
    w.PMPrintClick();
    QCOMPARE(f.prompts.pdfFiles.size(), 2);
    for (const QString& pdf : f.prompts.pdfFiles)
        QVERIFY(TestDir::readAll(pdf).startsWith("%PDF"));

    w.PgCtrl->setCurrentWidget(w.SelfPg);
    w.btnFileClick();
    keep(w, "7-self");
}

QTEST_MAIN(ScreensTest)
#include "screens_test.moc"
