// Why the charts are QCustomPlot: one tick of a live chart (two lines of n
// points over a sliding two-minute time axis, both lines replaced, the axes
// moved, the widget repainted), in Qt Charts and in QCustomPlot. Built only
// where Qt Charts is installed; the client itself does not use it.
#include <QApplication>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <benchmark/benchmark.h>
#include <qcustomplot.h>
#include <cmath>

namespace {

constexpr double kT0 = 1.7e12;   // ms since the epoch

double velocity(int i, int k) { return 1500 + 5 * std::sin((i + k) * 0.01) + (i % 7) * 0.05; }
double temperature(int i, int k) { return 15 + std::cos((i + k) * 0.005); }

void BM_QtChartsTick(benchmark::State& state)
{
    const int n = int(state.range(0));
    auto* chart = new QChart;
    QChartView view(chart);
    view.resize(665, 393);
    view.setRenderHint(QPainter::Antialiasing);
    auto* time = new QDateTimeAxis;
    time->setFormat("hh:mm:ss");
    chart->addAxis(time, Qt::AlignBottom);
    auto* left = new QValueAxis;
    auto* right = new QValueAxis;
    chart->addAxis(left, Qt::AlignLeft);
    chart->addAxis(right, Qt::AlignRight);
    auto* sv = new QLineSeries;
    auto* temp = new QLineSeries;
    for (QLineSeries* s : {sv, temp})
        chart->addSeries(s);
    sv->attachAxis(time);
    sv->attachAxis(left);
    temp->attachAxis(time);
    temp->attachAxis(right);
    view.show();
    QApplication::processEvents();
    int k = 0;
    for (auto _ : state) {
        const double end = kT0 + 100.0 * k, start = end - 120000;
        QList<QPointF> a, b;
        a.reserve(n);
        b.reserve(n);
        for (int i = 0; i < n; ++i) {
            const double t = start + 120000.0 * i / n;
            a.append({t, velocity(i, k)});
            b.append({t, temperature(i, k)});
        }
        sv->replace(a);
        temp->replace(b);
        time->setRange(QDateTime::fromMSecsSinceEpoch(qint64(start)), QDateTime::fromMSecsSinceEpoch(qint64(end)));
        left->setRange(1494, 1506);
        right->setRange(13.9, 16.1);
        view.repaint();
        ++k;
    }
}
BENCHMARK(BM_QtChartsTick)->Arg(600)->Arg(2400)->Unit(benchmark::kMillisecond);

void BM_QCustomPlotTick(benchmark::State& state)
{
    const int n = int(state.range(0));
    QCustomPlot plot;
    plot.resize(665, 393);
    plot.setNotAntialiasedElements(QCP::aeAll);
    plot.setAntialiasedElements(QCP::aePlottables);
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat("hh:mm:ss");
    plot.xAxis->setTicker(ticker);
    plot.yAxis2->setVisible(true);
    QCPGraph* sv = plot.addGraph(plot.xAxis, plot.yAxis);
    QCPGraph* temp = plot.addGraph(plot.xAxis, plot.yAxis2);
    plot.show();
    QApplication::processEvents();
    int k = 0;
    for (auto _ : state) {
        const double end = (kT0 + 100.0 * k) / 1000, start = end - 120;
        QVector<QCPGraphData> a(n), b(n);
        for (int i = 0; i < n; ++i) {
            const double t = start + 120.0 * i / n;
            a[i] = QCPGraphData(t, velocity(i, k));
            b[i] = QCPGraphData(t, temperature(i, k));
        }
        sv->data()->set(a, true);
        temp->data()->set(b, true);
        plot.xAxis->setRange(start, end);
        plot.yAxis->setRange(1494, 1506);
        plot.yAxis2->setRange(13.9, 16.1);
        plot.replot(QCustomPlot::rpImmediateRefresh);
        ++k;
    }
}
BENCHMARK(BM_QCustomPlotTick)->Arg(600)->Arg(2400)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
