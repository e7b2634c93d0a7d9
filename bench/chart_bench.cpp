// The profile chart on a 100,000-row cast: opening and drawing it from the
// chart menu, repainting it, and a zoom step to a tenth of its depth range
// (what a drag-to-zoom does). Offscreen, raster painting.
#include "ScriptedPrompts.h"
#include "app/SvMain.h"
#include "storage/ProfileTable.h"
#include <QApplication>
#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <benchmark/benchmark.h>

namespace {

constexpr int kRows = 100000;

QTemporaryDir& dir()
{
    static QTemporaryDir d;
    return d;
}

// Down to 500 m and back up, a sample every centimetre.
QString longCast()
{
    static const QString path = [] {
        std::vector<ProfileRow> rows(kRows);
        for (int i = 0; i < kRows; ++i) {
            const int down = i < kRows / 2 ? i : kRows - i;
            ProfileRow& r = rows[size_t(i)];
            r.dt = QDateTime(QDate(2024, 3, 5), QTime(10, 0)).addMSecs(qint64(i) * 100);
            r.depth = 0.01 * down;
            r.velocity = 1480.0 + 0.0137 * (down % 1000) + (i % 7) * 0.01;
            r.temp = 15.0 - 0.0001 * down;
            r.status = 0;
        }
        rows.front().discrip = QStringLiteral("长江口S3站");
        const QString p = dir().filePath("long.db");
        ProfileTable t;
        t.setTableName(p);
        t.createTable();
        if (!t.isActive())
            t.open();
        t.appendRows(rows);
        return p;
    }();
    return path;
}

struct Window
{
    ScriptedPrompts prompts;
    std::unique_ptr<TSvMain> w;
    Window()
    {
        SvMainOptions o;
        o.executablePath = dir().filePath("svclient");
        o.simulate = true;
        o.prompts = &prompts;
        w = std::make_unique<TSvMain>(o);
        w->show();
    }
    void open()
    {
        prompts.files.push_back(ScriptedPrompts::file(longCast()));
        w->BtnOpenClick(w->Load);
    }
};

void BM_OpenAndDraw(benchmark::State& state)
{
    Window win;
    for (auto _ : state) {
        win.w->svTable->close();
        win.w->svTable->setTableName(QString());
        win.open();
        QApplication::processEvents();
    }
    state.counters["points"] = double(win.w->SerSvDown->count() + win.w->SerSvUp->count());
}
BENCHMARK(BM_OpenAndDraw)->Unit(benchmark::kMillisecond)->UseRealTime();

// One repaint of the chart widget as the screen gets it.
void BM_PaintWhole(benchmark::State& state)
{
    Window win;
    win.open();
    QApplication::processEvents();
    for (auto _ : state)
        benchmark::DoNotOptimize(win.w->DBChart->grab());
}
BENCHMARK(BM_PaintWhole)->Unit(benchmark::kMillisecond)->UseRealTime();

// A zoom step: the depth axis set to another tenth of the cast, the chart laid
// out again and repainted.
void BM_ZoomStep(benchmark::State& state)
{
    Window win;
    win.open();
    QApplication::processEvents();
    const double lo = win.w->DBChartBottom->min(), hi = win.w->DBChartBottom->max();
    int n = 0;
    for (auto _ : state) {
        const double from = lo + (hi - lo) * (0.1 * (n++ % 9));
        win.w->DBChartBottom->setRange(from, from + (hi - lo) * 0.1);
        QApplication::processEvents();
        benchmark::DoNotOptimize(win.w->DBChart->grab());
    }
}
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMillisecond)->UseRealTime();

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
