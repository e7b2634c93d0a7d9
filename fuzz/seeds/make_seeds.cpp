// Writes seed inputs for the fuzz targets into <dir>/<target>/: live streams and
// session replies recorded from the simulated probe, profile files and old
// Paradox files from the writers. Run by scripts/fuzz.sh before each run.
#include "FuzzPort.h"
#include "ParadoxWriter.h"
#include "probe/ProbeClock.h"
#include "probe/ProbeMemory.h"
#include "probe/ProbeProtocol.h"
#include "probe/ProbeUpload.h"
#include "probe/SimulatedProbe.h"
#include "storage/ProfileStore.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <functional>

namespace {

QString g_root;

void save(const char* target, const char* name, const QByteArray& bytes)
{
    QDir().mkpath(g_root + '/' + target);
    QFile f(g_root + '/' + target + '/' + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s/%s\n", target, name);
        std::exit(1);
    }
}

// Appends `bytes` as records of at most 255 bytes (an empty record when empty).
void appendRecords(QByteArray* out, const QByteArray& bytes)
{
    qsizetype at = 0;
    do {
        const qsizetype n = std::min<qsizetype>(255, bytes.size() - at);
        out->append(char(n));
        out->append(bytes.mid(at, n));
        at += n;
    } while (at < bytes.size());
}

// The simulated probe, with what the client reads cut into records at every
// flush and every byte sent: the input FuzzPort plays back.
class RecordingPort : public SerialPort
{
public:
    explicit RecordingPort(SimulatedProbe& probe) : m_p(probe) {}
    int open() override { return m_p.open(); }
    int close() override { return m_p.close(); }
    int setBaud(int rate) override { return m_p.setBaud(rate); }
    int setPower(int on) override { return m_p.setPower(on); }
    int setTransmit(int on) override { return m_p.setTransmit(on); }
    int putByte(int value) override
    {
        cut();
        return m_p.putByte(value);
    }
    int flush(int mode) override
    {
        // What a discarding flush drops was there: a few of those bytes go
        // into this record (the client waits for them before it flushes), not
        // so many that the record splits and the split shifts the replay.
        if (mode == 2) {
            QByteArray waiting(std::max(0, m_p.inputCount()), '\0');
            waiting.resize(std::max(0, m_p.read(waiting.data(), int(waiting.size()))));
            m_chunk += waiting.right(8);
            cut();
        }
        return m_p.flush(mode);
    }
    int inputCount() override { return m_p.inputCount(); }
    int getByte() override
    {
        const int b = m_p.getByte();
        if (b >= 0)
            m_chunk.append(char(b));
        return b;
    }
    int read(char* buffer, int length) override
    {
        const int n = m_p.read(buffer, length);
        if (n > 0)
            m_chunk.append(buffer, n);
        return n;
    }
    bool waitForBytes(int count, int ms) override { return m_p.waitForBytes(count, ms); }
    MsClock& clock() override { return m_p.clock(); }
    QString deviceName() const override { return m_p.deviceName(); }

    QByteArray records()
    {
        cut();
        return m_out;
    }

private:
    void cut()
    {
        appendRecords(&m_out, m_chunk);
        m_chunk.clear();
    }
    SimulatedProbe& m_p;
    QByteArray m_chunk, m_out;
};

class NullSink : public probemem::UploadSink
{
public:
    bool beginRecording(const probemem::RecordingHeader& h, QString* name) override
    {
        *name = h.baseName;
        return true;
    }
    bool appendRow(const ProfileRow&) override { return true; }
    bool finish() override { return true; }
};

void sessionSeed(const char* name, uint8_t session, const std::function<void(SimulatedProbe&)>& setup,
                 const std::function<void(ProbeProtocol&)>& run)
{
    SimulatedClock clock;
    SimulatedProbe probe(clock);
    probe.setClock(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
    if (setup)
        setup(probe);
    RecordingPort port(probe);
    port.open();
    ProbeProtocol protocol(port);
    run(protocol);
    save("sessions", name, QByteArray(1, char(session)) + port.records());
}

void sessionSeeds()
{
    const QDateTime now(QDate(2024, 5, 6), QTime(7, 8, 9));
    auto small = [](SimulatedProbe& p) {
        auto recs = SimulatedProbe::defaultRecordings(p.calibration());
        for (auto& r : recs)
            if (r.samples.size() > 40)
                r.samples.resize(40);
        if (recs.size() > 2)
            recs.resize(2);
        p.setRecordings(recs);
    };
    sessionSeed("listing", 0, small, [](ProbeProtocol& p) { (void)probemem::listRecordings(p); });
    sessionSeed("upload", 1, small, [](ProbeProtocol& p) {
        NullSink sink;
        (void)probemem::upload(p, sink, probemem::UploadRequest{});
    });
    sessionSeed("clock-read", 2, {}, [&](ProbeProtocol& p) { (void)probemem::readClock(p, now); });
    sessionSeed("clock-set", 3, {}, [&](ProbeProtocol& p) { (void)probemem::setClock(p, now); });
    sessionSeed("interval-read", 4, {}, [](ProbeProtocol& p) { (void)probemem::readInterval(p, 1.0f); });
    sessionSeed("interval-set", 5, {}, [](ProbeProtocol& p) {
        (void)probemem::setInterval(p, 1.0f, QStringLiteral("1.0"), QStringLiteral("2.0"));
    });
    sessionSeed("clearing", 6, [](SimulatedProbe& p) { p.setEraseDurationByte(0); },
                [](ProbeProtocol& p) { (void)probemem::clearMemory(p); });
}

// The calibration exchange as command B sees it.
void calibrationSeeds()
{
    SimulatedClock clock;
    SimulatedProbe probe(clock);
    save("calibration", "probe-line", probe.calibrationLine());
    RecordingPort port(probe);
    port.open();
    port.setPower(1);
    ProbeProtocol protocol(port);
    Calibration cal;
    QString sn;
    (void)protocol.readCalibration(&cal, &sn);
    save("calibration", "probe-exchange", port.records());
}

// A powered probe's stream, tick by tick, as the live window takes it.
void frameSeeds()
{
    struct Run { const char* name; uint8_t pick; double seconds; SimulatedProbe::CastScript script; };
    SimulatedProbe::CastScript quick;
    quick.airSeconds = 0.5;
    quick.descentRate = 4.0;
    quick.ascentRate = 4.0;
    quick.maxDepth = 6.0;
    quick.bottomSeconds = 0.2;
    quick.spikeEvery = 17;
    quick.badChecksumEvery = 23;
    quick.lowBatteryAfter = 2.0;
    const Run runs[] = {{"cast-whole", 0, 4.0, quick}, {"cast-depth", 1 | (1 << 2), 4.0, quick},
                        {"cast-time", 2 | (1 << 4), 4.0, quick}};
    for (const Run& r : runs) {
        SimulatedClock clock;
        SimulatedProbe probe(clock);
        probe.setCastScript(r.script);
        probe.setFrameRate(24.0);
        probe.open();
        probe.setPower(1);
        QByteArray out(1, char(r.pick));
        for (int t = 0; t < int(r.seconds * 10); ++t) {
            clock.advance(100);
            QByteArray tick(probe.inputCount(), '\0');
            tick.resize(probe.read(tick.data(), int(tick.size())));
            appendRecords(&out, tick.left(255));
        }
        save("frames", r.name, out);
    }
}

std::vector<ProfileRow> someRows()
{
    std::vector<ProfileRow> rows;
    for (int i = 0; i < 6; ++i) {
        ProfileRow r;
        r.depth = 0.5 * (i + 1);
        r.velocity = 1500.25 - i;
        r.temp = 20.5 - 0.25 * i;
        r.status = i == 5 ? 1 : 0;
        if (i == 0) {
            r.dt = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
            r.discrip = QStringLiteral("站 1");
        }
        rows.push_back(r);
    }
    return rows;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void fileSeeds()
{
    const QString tmp = g_root + "/.tmp";
    QDir().mkpath(tmp);
    if (!writeProfile(tmp + "/cast.db", someRows()).ok())
        std::exit(1);
    save("profile", "cast.db", fileBytes(tmp + "/cast.db"));
    QString error;
    if (!writeParadoxTable(tmp + "/old.db", someRows(), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::exit(1);
    }
    save("paradox", "old.db", fileBytes(tmp + "/old.db"));
    QDir(tmp).removeRecursively();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    sessionSeeds();
    calibrationSeeds();
    frameSeeds();
    fileSeeds();
    return 0;
}
