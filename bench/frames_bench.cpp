// The live path at the probe's line rate (96 frames/s at 9600 baud): receiving
// and checking frames, converting them, choosing and building sample rows,
// and committing each row to a profile file. Must stay far below 1 % of a core.
#include "storage/ProfileTable.h"
#include "probe/FrameReceiver.h"
#include "probe/LiveRecording.h"
#include "probe/MsClock.h"
#include "probe/SerialPort.h"
#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

// The input queue of a port holding one tick's worth of frames.
class QueuePort : public SerialPort
{
public:
    void load(const std::vector<uint8_t>& bytes)
    {
        m_bytes = &bytes;
        m_pos = 0;
    }
    int open() override { return 0; }
    int close() override { return 0; }
    int setBaud(int) override { return 0; }
    int setPower(int) override { return 0; }
    int setTransmit(int) override { return 0; }
    int putByte(int) override { return 0; }
    int flush(int) override { m_pos = m_bytes->size(); return 0; }
    int inputCount() override { return static_cast<int>(m_bytes->size() - m_pos); }
    int getByte() override { return m_pos < m_bytes->size() ? (*m_bytes)[m_pos++] : -1; }
    int read(char* buffer, int length) override
    {
        int n = 0;
        for (; n < length && m_pos < m_bytes->size(); ++n)
            buffer[n] = static_cast<char>((*m_bytes)[m_pos++]);
        return n;
    }
    MsClock& clock() override { return m_clock; }
    QString deviceName() const override { return QStringLiteral("queue"); }

private:
    const std::vector<uint8_t>* m_bytes = nullptr;
    size_t m_pos = 0;
    SimulatedClock m_clock;
};

// A descent: frames of varying counts, so the conversions do real work. The
// bytes start after a sync byte and end with one, so a locked receiver reads
// the buffer over and over without losing step.
std::vector<uint8_t> castBytes(int frames)
{
    std::vector<uint8_t> out;
    for (int i = 0; i < frames; ++i) {
        const int sv = 4900 + (i % 7), p = 10000 + 20 * i, t = 26214 - 3 * i;
        uint8_t f[10] = {0xAA, uint8_t(sv >> 8), uint8_t(sv), uint8_t(p >> 8), uint8_t(p),
                         uint8_t(t >> 8), uint8_t(t), 0, 0, 0};
        unsigned sum = 0;
        for (int k = 0; k < 9; ++k)
            sum += f[k];
        f[9] = uint8_t(sum);
        out.insert(out.end(), f + 1, f + 10);
        out.push_back(0xAA);
    }
    return out;
}

struct Live
{
    Calibration cal;
    float atmosphere = 10400.0f, density = 1.0f;
    FrameReceiver rx{ConversionInputs{cal, atmosphere, density}};
    QueuePort port;
    Live()
    {
        cal.lf2048 = 50000.0f;
        cal.tf2048 = 1000.0f;
    }
};

// Receive, check, convert and build the row of every frame (whole-record mode).
void BM_ReceiveConvertRows(benchmark::State& state)
{
    const std::vector<uint8_t> bytes = castBytes(960);
    Live live;
    LiveRecording rec;
    SimulatedClock clock;
    const QDateTime now = QDateTime::currentDateTime();
    const QString station = QStringLiteral("测点1");
    int64_t frames = 0;
    for (auto _ : state) {
        live.port.load(bytes);
        bool first = true;
        while (live.port.inputCount() >= 10) {
            live.rx.tick(live.port, [&](const FrameResult& f) {
                ++frames;
                if (f.passedGate && rec.shouldAppend(true, f.sv, f.depth, clock)) {
                    benchmark::DoNotOptimize(
                        LiveRecording::sampleRow(now, f.status, f.temp, f.sv, f.depth, first, station));
                    first = false;
                }
                return true;
            });
        }
    }
    state.counters["frames_per_cpu_s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReceiveConvertRows);

// The same with every row appended and posted (committed) to a profile file.
void BM_ReceiveConvertCommit(benchmark::State& state)
{
    QTemporaryDir dir;
    ProfileTable table;
    table.setTableName(dir.filePath(QStringLiteral("bench.db")));
    table.createTable();
    table.open();
    const std::vector<uint8_t> bytes = castBytes(96);
    Live live;
    LiveRecording rec;
    SimulatedClock clock;
    const QString station = QStringLiteral("测点1");
    int64_t frames = 0;
    bool first = true;
    for (auto _ : state) {
        live.port.load(bytes);
        while (live.port.inputCount() >= 10) {
            live.rx.tick(live.port, [&](const FrameResult& f) {
                ++frames;
                if (f.passedGate && rec.shouldAppend(true, f.sv, f.depth, clock)) {
                    table.append();
                    table.setRow(LiveRecording::sampleRow(QDateTime::currentDateTime(), f.status, f.temp,
                                                          f.sv, f.depth, first, station));
                    table.post();
                    first = false;
                }
                return true;
            });
        }
    }
    state.counters["rows_per_cpu_s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    table.close();
}
BENCHMARK(BM_ReceiveConvertCommit)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);   // Qt SQL needs one
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
