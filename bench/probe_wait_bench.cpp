// A wait for the probe's bytes on a silent port, on the real clock: the
// handshake's 500 ms stream check when the probe does not answer. It must
// sleep, not poll: goal < 2 ms of CPU per 0.5 s wait. The polling wait the
// ports had before (one look per millisecond) runs beside it for comparison.
#include "probe/MsClock.h"
#include "probe/ProbeProtocol.h"
#include "probe/QtSerialPortBackend.h"
#include "probe/SimulatedProbe.h"
#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

long wakeUps()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw;   // voluntary context switches: each sleep that ended
}

// Runs `wait` once per iteration and reports its wake-ups beside the CPU time.
template <typename Wait>
void measure(benchmark::State& state, Wait wait)
{
    long woken = 0;
    for (auto _ : state) {
        const long before = wakeUps();
        benchmark::DoNotOptimize(wait());
        woken += wakeUps() - before;
    }
    state.counters["wake_ups"] = benchmark::Counter(double(woken), benchmark::Counter::kAvgIterations);
}

void BM_SilentSimulatedProbe(benchmark::State& state)
{
    SteadyClock clock;
    SimulatedProbe probe(clock);   // open, switched off: not a byte comes
    probe.open();
    ProbeProtocol protocol(probe);
    measure(state, [&] { return protocol.waitForBytes(2, 500); });
}
BENCHMARK(BM_SilentSimulatedProbe)->Unit(benchmark::kMillisecond)->Iterations(6)->MeasureProcessCPUTime();

void BM_SilentSimulatedProbePolling(benchmark::State& state)
{
    SteadyClock clock;
    SimulatedProbe probe(clock);
    probe.open();
    measure(state, [&] { return probe.SerialPort::waitForBytes(2, 500); });
}
BENCHMARK(BM_SilentSimulatedProbePolling)->Unit(benchmark::kMillisecond)->Iterations(6)->MeasureProcessCPUTime();

// A real serial device through QSerialPort: the far end of a pseudo-terminal
// that nobody writes to. `polling` looks once per millisecond instead.
void silentPty(benchmark::State& state, bool polling)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    SteadyClock clock;
    QtSerialPortBackend port(QString::fromLocal8Bit(ptsname(master)), clock);
    if (port.open() < 0 || port.setBaud(9600) < 0) {
        state.SkipWithError("the pseudo-terminal does not open as a serial port");
        close(master);
        return;
    }
    ProbeProtocol protocol(port);
    if (polling)
        measure(state, [&] { return port.SerialPort::waitForBytes(2, 500); });
    else
        measure(state, [&] { return protocol.waitForBytes(2, 500); });
    port.close();
    close(master);
}

void BM_SilentPtyPort(benchmark::State& state)
{
    silentPty(state, false);
}
BENCHMARK(BM_SilentPtyPort)->Unit(benchmark::kMillisecond)->Iterations(6)->MeasureProcessCPUTime();

void BM_SilentPtyPortPolling(benchmark::State& state)
{
    silentPty(state, true);
}
BENCHMARK(BM_SilentPtyPortPolling)->Unit(benchmark::kMillisecond)->Iterations(6)->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
