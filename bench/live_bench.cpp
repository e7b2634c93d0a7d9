// The live path at the line's full rate: the real main window, shown
// offscreen, on a simulated probe streaming 96 frames a second on the
// simulated clock, for 10 simulated minutes. Every 100 ms tick the timer
// handler runs and the event loop paints what it changed. Reported: the
// process's CPU time per second of live data in minute 1 and in minute 10.
// Argument 1: measuring and recording in the whole mode (a committed row per
// frame in the water); 0: measuring only, so the difference is the recording.
#include "ScriptedPrompts.h"
#include "app/SvMain.h"
#include "probe/MsClock.h"
#include "probe/SimulatedProbe.h"
#include "storage/ProfileTable.h"
#include "text/LocalTime.h"
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <qcustomplot.h>
#include <string>
#include <sys/resource.h>

namespace {

// Where the recording goes: SV_BENCH_DIR (a tmpfs takes the disk's syncing
// out of the figure), else the system's temporary directory.
QString benchDir()
{
    return qEnvironmentVariable("SV_BENCH_DIR", QDir::tempPath()) + "/live-XXXXXX";
}

// The process's CPU time so far, user and system (the kernel's share is
// mostly the file system syncing each committed row), in ms.
struct Cpu
{
    double user = 0, system = 0;
    static Cpu now()
    {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
        return {ms(u.ru_utime), ms(u.ru_stime)};
    }
};

void BM_LiveAtLineRate(benchmark::State& state)
{
    const bool recording = state.range(0) != 0;
    for (auto _ : state) {
        QTemporaryDir dir(benchDir());
        SimulatedClock clock;
        ScriptedPrompts prompts;
        SvMainOptions o;
        o.executablePath = dir.filePath("svclient");
        o.clock = &clock;
        o.prompts = &prompts;
        o.portFactory = [&clock](int, const QString&) -> std::unique_ptr<SerialPort> {
            auto p = std::make_unique<SimulatedProbe>(clock);
            p->setFrameRate(96);
            SimulatedProbe::CastScript cast;
            cast.maxDepth = 1000;   // in the water the whole ten minutes
            p->setCastScript(cast);
            return p;
        };
        TSvMain w(o);
        w.show();
        QApplication::processEvents();
        w.LogAllClick();
        w.EdFileName->setText(dir.filePath("fast.db"));
        w.BtnBeginClick();
        if (recording)
            w.btnRecClick();
        Cpu start;
        for (int tick = 0; tick < 6000; ++tick) {
            if (tick == 0 || tick == 5400)
                start = Cpu::now();
            clock.advance(100);
            w.TimerTimer();
            QApplication::processEvents();
            if (tick == 599 || tick == 5999) {
                const Cpu end = Cpu::now();
                const std::string minute = tick == 599 ? "min1" : "min10";
                state.counters[minute + "_ms_per_s"] = (end.user + end.system - start.user - start.system) / 60;
                state.counters[minute + "_sys_ms_per_s"] = (end.system - start.system) / 60;
            }
        }
        state.counters["rows"] = w.table().recordCount();
        state.counters["chart_points"] = w.SerRealSv->dataCount();
        w.BtnStopClick();
    }
}
BENCHMARK(BM_LiveAtLineRate)->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond);

// The recording's commits on their own: one second of rows at 96 a second
// appended and posted (each committed) to a profile file as the recording
// does, after `state.range(0)` rows are already in it.
void BM_CommitSecondOfRows(benchmark::State& state)
{
    QTemporaryDir dir(benchDir());
    ProfileTable t;
    t.setTableName(dir.filePath("rows.db"));
    t.createTable();
    if (!t.isActive())
        t.open();
    ProfileRow row;
    row.dt = QDateTime::currentDateTime();
    row.depth = 12.34;
    row.velocity = 1500.12;
    row.temp = 15.67;
    row.status = 0;
    std::vector<ProfileRow> earlier(size_t(state.range(0)), row);
    if (!earlier.empty())
        t.appendRows(earlier);
    Cpu before = Cpu::now();
    for (auto _ : state) {
        for (int i = 0; i < 96; ++i) {
            t.append();
            t.setRow(row);
            t.post();
        }
    }
    const Cpu after = Cpu::now();
    const double seconds = double(state.iterations());
    state.counters["cpu_ms_per_s"] = (after.user + after.system - before.user - before.system) / seconds;
    state.counters["sys_ms_per_s"] = (after.system - before.system) / seconds;
}
BENCHMARK(BM_CommitSecondOfRows)->Arg(0)->Arg(50000)->Unit(benchmark::kMillisecond);

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
