// Upload of a full probe memory on the simulated clock: the client's own CPU
// time (decoding, converting, committing every row) against the time the
// 9600-baud line needs to carry the same frames. The line must be the limit.
#include "storage/ProfileTable.h"
#include "probe/MsClock.h"
#include "probe/ProbeProtocol.h"
#include "document/UploadFiles.h"
#include "probe/ProbeUpload.h"
#include "probe/SimulatedProbe.h"
#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>

namespace {

constexpr double kMsPerByte = 10.0 / 9.6;   // 10 bits per byte at 9600 baud

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

void BM_UploadFullMemory(benchmark::State& state)
{
    SimulatedClock setupClock;
    const SimulatedProbe setupProbe(setupClock);
    const auto recordings = SimulatedProbe::fullMemory(setupProbe.calibration());
    // Each recording: a marker, a header and its records; then the end frame.
    int64_t frames = 1, rows = 0;
    for (const auto& r : recordings) {
        frames += 2 + static_cast<int64_t>(r.samples.size());
        for (const auto& s : r.samples)
            rows += s.status != 0xFF;
    }
    const double lineMs = static_cast<double>(frames) * 10 * kMsPerByte;

    double cpuTotal = 0, wallTotal = 0;
    int64_t rowsDone = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        SimulatedClock clk;
        SimulatedProbe probe(clk);
        probe.open();
        probe.setBaud(9600);
        probe.setRecordings(recordings);
        ProbeProtocol protocol(probe);
        ProfileTable table;
        state.ResumeTiming();

        const double c0 = cpuMs();
        const auto w0 = std::chrono::steady_clock::now();
        probemem::TableUploadSink sink(table, dir.path() + '/');
        const auto r = probemem::upload(protocol, sink, {1.0f, 32704, 10400.0f});
        cpuTotal += cpuMs() - c0;
        wallTotal += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - w0).count();
        for (const auto& f : r.files)
            rowsDone += f.rows;
        if (r.status != probemem::ProbeStatus::Complete)
            state.SkipWithError("upload did not complete");
    }
    const double cpuPerUpload = cpuTotal / static_cast<double>(state.iterations());
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["rows_done"] = static_cast<double>(rowsDone) / static_cast<double>(state.iterations());
    state.counters["line_ms"] = lineMs;
    state.counters["cpu_ms"] = cpuPerUpload;
    state.counters["line_over_cpu"] = lineMs / cpuPerUpload;   // must stay >= 20
    // Wall time includes the disk's syncs of every committed row.
    state.counters["line_over_wall"] = lineMs * static_cast<double>(state.iterations()) / wallTotal;
}
BENCHMARK(BM_UploadFullMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
