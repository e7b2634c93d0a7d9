// The profile chart on big casts (argument: rows): opening and drawing a cast
// from the chart menu (the file read whole, split, the chart fitted and
// painted), a repaint, a zoom step to a tenth of the depth range (what a drag
// does), hiding and showing the two-way velocity, drawing an open cast again.
// BM_OpenAndDraw also reports the part the table engine takes to read the
// file, and the growth of the process's resident memory per row. Offscreen,
// raster painting.
#include "ScriptedPrompts.h"
#include "app/ChartSeries.h"
#include "app/ProfilePlot.h"
#include "app/SvMain.h"
#include "storage/ProfileTable.h"
#include "text/LocalTime.h"
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <map>
#include <unistd.h>

namespace {

QTemporaryDir& dir()
{
    static QTemporaryDir d;
    return d;
}

// Down to `rows` / 200 m and back up, a sample every centimetre.
QString longCast(int rows)
{
    static std::map<int, QString> made;
    if (made.count(rows))
        return made[rows];
    std::vector<ProfileRow> cast(static_cast<size_t>(rows));
    const QDateTime start(QDate(2024, 3, 5), QTime(10, 0), Qt::UTC);
    for (int i = 0; i < rows; ++i) {
        const int down = i < rows / 2 ? i : rows - i;
        ProfileRow& r = cast[size_t(i)];
        r.dt = start.addMSecs(qint64(i) * 100).toLocalTime();
        r.depth = 0.01 * down;
        r.velocity = 1480.0 + 0.0137 * (down % 1000) + (i % 7) * 0.01;
        r.temp = 15.0 - 0.0001 * down;
        r.status = 0;
    }
    cast.front().discrip = QStringLiteral("长江口S3站");
    const QString p = dir().filePath(QString("long%1.db").arg(rows));
    ProfileTable t;
    t.setTableName(p);
    t.createTable();
    if (!t.isActive())
        t.open();
    t.appendRows(cast);
    t.close();
    return made[rows] = p;
}

long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
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
        QApplication::processEvents();
    }
    void open(const QString& path)
    {
        prompts.files.push_back(ScriptedPrompts::file(path));
        w->BtnOpenClick(w->Load);
        QApplication::processEvents();   // the queued replot: the chart painted
    }
};

void BM_OpenAndDraw(benchmark::State& state)
{
    const QString path = longCast(int(state.range(0)));
    Window win;
    const long before = residentBytes();
    long after = 0;
    double tableMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        win.w->svTable->close();
        win.w->svTable->setTableName(QString());
        // The table engine's share: the same file read on its own.
        {
            ProfileTable t;
            t.setTableName(path);
            QElapsedTimer e;
            e.start();
            t.open();
            tableMs += double(e.nsecsElapsed()) / 1e6;
        }
        state.ResumeTiming();
        win.open(path);
        state.PauseTiming();
        if (after == 0)
            after = residentBytes();
        state.ResumeTiming();
    }
    state.counters["table_open_ms"] = tableMs / double(state.iterations());
    state.counters["rss_bytes_per_row"] = double(after - before) / double(state.range(0));
    state.counters["drawn_points"] = double(win.w->SerSvDown->dataCount() + win.w->SerSvUp->dataCount());
}
BENCHMARK(BM_OpenAndDraw)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Drawing the open cast again (the page selected after a change): the rows
// split, the curves given their values and fitted, the chart painted; without
// the table engine's reading of the file.
void BM_Draw(benchmark::State& state)
{
    Window win;
    win.open(longCast(int(state.range(0))));
    for (auto _ : state) {
        win.w->document().markChanged();
        win.w->DrawProfile();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_Draw)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// One repaint of the chart as the screen gets it.
void BM_PaintWhole(benchmark::State& state)
{
    Window win;
    win.open(longCast(int(state.range(0))));
    for (auto _ : state)
        win.w->DBChart->replot(QCustomPlot::rpImmediateRefresh);
}
BENCHMARK(BM_PaintWhole)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A zoom step: the depth axis set to another tenth of the cast, the curves
// drawn again for it and the chart repainted.
void BM_ZoomStep(benchmark::State& state)
{
    Window win;
    win.open(longCast(int(state.range(0))));
    const QCPRange whole = win.w->DBChartBottom->range();
    int n = 0;
    for (auto _ : state) {
        const double from = whole.lower + whole.size() * (0.1 * (n++ % 9));
        win.w->DBChartBottom->setRange(from, from + whole.size() * 0.1);
        win.w->DBChart->replot(QCustomPlot::rpImmediateRefresh);
    }
}
BENCHMARK(BM_ZoomStep)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Hiding and showing the two-way velocity (two menu clicks), each repainted.
void BM_HideShow(benchmark::State& state)
{
    Window win;
    win.open(longCast(int(state.range(0))));
    for (auto _ : state) {
        for (int k = 0; k < 2; ++k) {
            win.w->SvTwoClick();
            win.w->DBChart->replot(QCustomPlot::rpImmediateRefresh);
        }
    }
}
BENCHMARK(BM_HideShow)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    fmt::pinLocalTimeZone();   // as the client's start does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
