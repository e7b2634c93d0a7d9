// The profile chart under the mouse and with big or bad casts: a click reads
// the point of a curve, a drag zooms, the curves hold what the screen shows.
#include "WindowFixture.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include <QtTest>
#include <cmath>
#include <limits>

namespace {

// A merged profile (kind 128) down to 20 m: the velocity rises with depth and
// the temperature falls, so the two curves lie far apart near either end.
std::vector<ProfileRow> mergedProfile()
{
    std::vector<ProfileRow> rows;
    for (int i = 1; i <= 40; ++i) {
        ProfileRow r;
        r.dt = QDateTime(QDate(2009, 3, 7), QTime(14, 5));
        r.depth = i * 0.5;
        r.velocity = 1480 + i * 0.5 + 0.03;
        r.temp = 20 - i * 0.1 + 0.02;
        r.status = i == 1 ? 128 : 0;
        rows.push_back(r);
    }
    rows.front().discrip = QStringLiteral("S3");
    return rows;
}

void storeRows(const QString& path, const std::vector<ProfileRow>& rows)
{
    ProfileTable t;
    t.setTableName(path);
    t.createTable();
    if (!t.isActive())
        t.open();
    t.appendRows(rows);
    t.close();
}

void openOnChart(WindowFixture& f, const QString& path)
{
    f.prompts.files.push_back(ScriptedPrompts::file(path));
    f.window->BtnOpenClick(f.window->Load);
    f.window->PgCtrl->setCurrentWidget(f.window->ChartPg);
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QApplication::processEvents();
}

QPoint pixelOf(ChartSeries* s, double x, double y)
{
    return QPoint(qRound(s->keyAxis()->coordToPixel(x)), qRound(s->valueAxis()->coordToPixel(y)));
}

}  // namespace

class ProfileChartTest : public QObject
{
    Q_OBJECT
private slots:
    void clickReadsThePointDragZooms_data();
    void clickReadsThePointDragZooms();
    void bigCastHoldsWhatTheScreenShows();
    void badDepthsDrawWhatIsFinite();
    void printIsThePictureOfTheScreen();
};

void ProfileChartTest::clickReadsThePointDragZooms_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("temperature");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::newRow("temperature") << QByteArray() << true << 4 << "2.5m,19.5℃";
    QTest::newRow("velocity") << QByteArray() << false << 30 << "15.5m,1495.5m/s";
    QTest::newRow("two decimals") << QByteArray("[Record]\r\nOutput Format=0.00\r\n") << true << 30
                                  << "15.50m,16.92℃";
}

void ProfileChartTest::clickReadsThePointDragZooms()
{
    QFETCH(QByteArray, ini);
    QFETCH(bool, temperature);
    QFETCH(int, row);
    QFETCH(QString, text);
    WindowFixture f;
    if (!ini.isEmpty())
        f.writeIni(ini);
    TSvMain& w = f.start();
    const QString path = f.dir.file("merged.db");
    const std::vector<ProfileRow> rows = mergedProfile();
    storeRows(path, rows);
    openOnChart(f, path);
    QVERIFY(w.SerSv->visible() && w.SerTemp->visible());
    ChartSeries* curve = temperature ? w.SerTemp : w.SerSv;
    const ProfileRow& r = rows[size_t(row)];
    // A press and release a pixel off the point: the point nearest to it is read.
    const QPoint at = pixelOf(curve, *r.depth, temperature ? *r.temp : *r.velocity) + QPoint(1, 1);
    // Over the curve the pointer is a cross.
    QTest::mouseMove(w.DBChart, at);
    QCOMPARE(w.DBChart->cursor().shape(), Qt::CrossCursor);
    QTest::mouseClick(w.DBChart, Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(w.StatusPanel[0]->text(), text);
    QVERIFY(!w.DBChart->isZoomed());

    // A click away from both curves (they cross in the middle) reads nothing.
    w.StatusPanel[0]->clear();
    const QRect area = w.DBChart->axisRect()->rect();
    const QPoint empty(area.left() + area.width() / 4, area.center().y());
    QTest::mouseMove(w.DBChart, empty);
    QCOMPARE(w.DBChart->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(w.DBChart, Qt::LeftButton, Qt::NoModifier, empty);
    QVERIFY(w.StatusPanel[0]->text().isEmpty());

    // A press on the point that drags zooms into the rectangle and reads nothing.
    const QPoint to = at + QPoint(40, 30);
    const double lower = w.DBChartBottom->pixelToCoord(at.x()), upper = w.DBChartBottom->pixelToCoord(to.x());
    QTest::mousePress(w.DBChart, Qt::LeftButton, Qt::NoModifier, at);
    for (int i = 1; i <= 3; ++i)
        QTest::mouseMove(w.DBChart, at + (to - at) * i / 3);
    QTest::mouseRelease(w.DBChart, Qt::LeftButton, Qt::NoModifier, to);
    QVERIFY(w.DBChart->isZoomed());
    QVERIFY(w.StatusPanel[0]->text().isEmpty());
    QCOMPARE(w.DBChartBottom->range().lower, lower);
    QCOMPARE(w.DBChartBottom->range().upper, upper);
}

void ProfileChartTest::bigCastHoldsWhatTheScreenShows()
{
    // 60,000 rows down to 300 m and back: far more points than pixel columns.
    WindowFixture f;
    TSvMain& w = f.start();
    const int n = 60000;
    std::vector<ProfileRow> rows(n);
    for (int i = 0; i < n; ++i) {
        const int down = i < n / 2 ? i : n - i;
        rows[size_t(i)].depth = 0.01 * down;
        rows[size_t(i)].velocity = 1480.0 + 0.0137 * (down % 1000) + (i % 7) * 0.01;
        rows[size_t(i)].temp = 15.0 - 0.0001 * down;
        rows[size_t(i)].status = 0;
    }
    const QString path = f.dir.file("long.db");
    storeRows(path, rows);
    openOnChart(f, path);
    const int columns = w.DBChart->axisRect()->width();
    QVERIFY(columns > 100);
    QCOMPARE(w.SerSvDown->count() + w.SerSvUp->count(), size_t(n));
    for (ChartSeries* s : {w.SerSvDown, w.SerSvUp, w.SerTempDown, w.SerTempUp})
        QVERIFY2(s->dataCount() <= 4 * columns + 2, qPrintable(QString::number(s->dataCount())));
    // The whole depth range drawn: the deepest and shallowest points are there.
    QCOMPARE(w.SerSvDown->data()->at(0)->key, 0.0);
    QVERIFY(w.DBChartBottom->range().upper >= 299.9);
    // Zoomed to a tenth: the curve holds that tenth, at screen resolution,
    // and the nearest point beyond each edge.
    w.DBChartBottom->setRange(100, 130);
    const QCPGraphDataContainer& zoomed = *w.SerSvDown->data();
    QVERIFY(zoomed.size() <= 4 * columns + 2);
    QVERIFY(zoomed.at(0)->key < 100 && zoomed.at(1)->key >= 100);
    QVERIFY(zoomed.at(zoomed.size() - 1)->key > 130 && zoomed.at(zoomed.size() - 2)->key <= 130);
    // Hidden curves hold nothing; shown again they are drawn again.
    w.SvTwoClick();
    QCOMPARE(w.SerSvDown->dataCount(), 0);
    w.SvTwoClick();
    QVERIFY(w.SerSvDown->dataCount() > 0);
}

void ProfileChartTest::badDepthsDrawWhatIsFinite()
{
    // Depths no probe gives: NaN, infinities, 1e30 either way, among good rows.
    WindowFixture f;
    TSvMain& w = f.start();
    const double inf = std::numeric_limits<double>::infinity();
    const double bad[] = {std::nan(""), 1e30, -1e30, inf, -inf, 1e30};
    StoredProfile stored;
    for (int i = 0; i < 60; ++i) {
        ProfileRow r;
        r.depth = i % 10 == 5 ? bad[(i / 10) % 6] : 0.5 * (i < 30 ? i : 60 - i);
        r.velocity = 1490 + i * 0.1;
        r.temp = 15 - i * 0.01;
        r.status = 0;
        stored.rows.push_back(r);
    }
    stored.rows.front().discrip = QStringLiteral("bad");
    QVERIFY(w.document().load(std::move(stored)).ok());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.PgCtrl->setCurrentWidget(w.ChartPg);
    w.DrawProfile();
    QApplication::processEvents();
    for (QCPAxis* axis : {w.DBChartBottom, w.DBChartLeft, w.DBChartRight})
        QVERIFY(std::isfinite(axis->range().lower) && std::isfinite(axis->range().upper));
    for (ChartSeries* s : w.chartSeries())
        for (int i = 0; i < s->dataCount(); ++i)
            QVERIFY(std::isfinite(s->data()->at(i)->key) && std::isfinite(s->data()->at(i)->value));
    // Every finite row is drawn; NaN and the infinities are left out.
    QCOMPARE(w.document().parts().svDown->size() + w.document().parts().svUp->size(), size_t(57));
    QVERIFY(w.SerSvDown->dataCount() > 0);
    // Zooming, panning, clicking and merging all finish.
    const QRect area = w.DBChart->axisRect()->rect();
    for (int k = 0; k < 6; ++k) {
        QTest::mousePress(w.DBChart, Qt::LeftButton, Qt::NoModifier, area.center());
        QTest::mouseMove(w.DBChart, area.center() + QPoint(20, 20));
        QTest::mouseRelease(w.DBChart, Qt::LeftButton, Qt::NoModifier, area.center() + QPoint(20, 20));
        QTest::mouseClick(w.DBChart, Qt::LeftButton, Qt::NoModifier, area.center());
    }
    QTest::mousePress(w.DBChart, Qt::RightButton, Qt::NoModifier, area.center());
    QTest::mouseMove(w.DBChart, area.center() + QPoint(-100, 0));
    QTest::mouseRelease(w.DBChart, Qt::RightButton, Qt::NoModifier, area.center() + QPoint(-100, 0));
    w.PMSvClick();
    w.DBChart->zoomReset();
    QVERIFY(!w.DBChart->toPixmap().isNull());
}

void ProfileChartTest::printIsThePictureOfTheScreen()
{
    // Printed at three times the screen's resolution and size, then shrunk
    // back: the same picture as the screen's (fonts, margins and curves keep
    // their places when the printer's resolution grows).
    WindowFixture f;
    TSvMain& w = f.start();
    const QString path = f.dir.file("merged.db");
    storeRows(path, mergedProfile());
    openOnChart(f, path);
    const QImage screen = w.DBChart->toPixmap().toImage().convertToFormat(QImage::Format_RGB32);
    QImage page(screen.size() * 3, QImage::Format_RGB32);
    page.setDotsPerMeterX(screen.dotsPerMeterX() * 3);
    page.setDotsPerMeterY(screen.dotsPerMeterY() * 3);
    page.fill(Qt::white);
    w.DBChart->printTo(&page, QRectF(QPointF(0, 0), QSizeF(page.size())));
    const QImage shrunk = page.scaled(screen.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double difference = 0;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const QRgb a = screen.pixel(x, y), b = shrunk.pixel(x, y);
            difference += std::abs(qGray(a) - qGray(b));
        }
    difference /= double(screen.width()) * screen.height();
    QVERIFY2(difference < 4.0, qPrintable(QString::number(difference)));
}

QTEST_MAIN(ProfileChartTest)
#include "profile_chart_test.moc"
