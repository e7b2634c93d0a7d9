// The live chart's axis rule: a band while the values spread little, their own
// range once they spread much, the mode kept in between.
#include "app/LiveAxes.h"
#include <qcustomplot.h>
#include <QtTest>
#include <algorithm>

class LiveAxesTest : public QObject
{
    Q_OBJECT
private slots:
    void modesFollowTheSpread();
};

void LiveAxesTest::modesFollowTheSpread()
{
    QCustomPlot plot;
    QCPAxis* axis = plot.yAxis;
    auto step = [&](std::initializer_list<double> values) {
        const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
        rescaleLiveAxis(axis, *lo, *hi, 1.0, 1.2, 0.2);   // the velocity axis
        return qMakePair(axis->range().lower, axis->range().upper);
    };
    using R = QPair<double, double>;
    QCOMPARE(step({1500.0, 1500.5}), R(1499.8, 1500.7));            // spread < 1: band
    QCOMPARE(step({1500.0, 1501.1}), R(1499.8, 1500.7));            // 1 .. 1.2: band kept
    QCOMPARE(step({1500.0, 1502.0}), R(1500.0, 1502.0));            // > 1.2: automatic
    QCOMPARE(step({1500.5, 1501.6}), R(1500.5, 1501.6));            // 1 .. 1.2: still automatic, following
    QCOMPARE(step({1500.5, 1501.0}), R(1500.3, 1501.2));            // < 1: band again
    QCOMPARE(step({1500.5, 1501.6}), R(1500.3, 1501.2));            // and kept
}

QTEST_MAIN(LiveAxesTest)
#include "live_axes_test.moc"
