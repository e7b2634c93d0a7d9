// The port's own thread and the end of an exchange from outside: a cancel
// ends every session as cancelled with the probe off, an unplugged adapter
// ends it at once, and the port lives and dies on its thread.
#include "probe/MsClock.h"
#include "probe/ProbeClock.h"
#include "probe/ProbeLink.h"
#include "probe/ProbeMemory.h"
#include "probe/ProbeProtocol.h"
#include "probe/ProbeUpload.h"
#include "probe/QtSerialPortBackend.h"
#include "probe/SimulatedProbe.h"
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <thread>
#include <stdlib.h>
#include <unistd.h>

using namespace probemem;
using S = ProbeStatus;

namespace probemem {
static void PrintTo(ProbeStatus s, std::ostream* os) { *os << statusName(s); }
}

namespace {

struct Rig
{
    SimulatedClock clk;
    SimulatedProbe probe{clk};
    ProbeProtocol protocol{probe};
    Rig()
    {
        probe.open();
        probe.setBaud(9600);
    }
};

// Keeps the rows of each recording.
struct RowSink : UploadSink
{
    std::vector<std::vector<ProfileRow>> files;
    bool beginRecording(const RecordingHeader&, QString* name) override
    {
        files.emplace_back();
        *name = QString::number(files.size());
        return true;
    }
    bool appendRow(const ProfileRow& row) override
    {
        files.back().push_back(row);
        return true;
    }
    bool finish() override { return true; }
};

}  // namespace

// Interrupted at some point of its run, each session ends as cancelled, with
// the probe off, long before its work would have ended.
TEST(SessionCancel, EverySessionEndsCancelledWithTheProbeOff)
{
    struct Case { const char* name; std::function<S(Rig&)> run; };
    const Case cases[] = {
        {"power-on, before it starts", [](Rig& r) {
             r.probe.setInterrupted(true);
             return powerOn(r.protocol).status;
         }},
        {"listing, after its first entry", [](Rig& r) {
             SessionEvents e;
             e.entry = [&r](const DirectoryEntry&) { r.probe.setInterrupted(true); };
             const ListingResult l = listRecordings(r.protocol, e);
             EXPECT_EQ(l.entries.size(), 1u);
             return l.status;
         }},
        {"interval read, once calibrated", [](Rig& r) {
             SessionEvents e;
             e.calibrated = [&r](const CalibrationRead&) { r.probe.setInterrupted(true); };
             return readInterval(r.protocol, 1.0f, e).status;
         }},
        {"clearing, a tenth into the erase", [](Rig& r) {
             SessionEvents e;
             e.percent = [&r](int p) {
                 if (p >= 10)
                     r.probe.setInterrupted(true);
             };
             const S s = clearMemory(r.protocol, e);
             EXPECT_FALSE(r.probe.recordings().empty());
             return s;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.probe.setEraseDurationByte(0x40);
        const uint32_t t0 = rig.clk.now();
        EXPECT_EQ(c.run(rig), S::Cancelled);
        EXPECT_FALSE(rig.probe.powered());
        EXPECT_LT(rig.clk.now() - t0, 3000u);
    }
}

// A cancelled upload keeps every file it began, each with exactly the rows a
// complete upload gives them up to the cancel.
TEST(SessionCancel, UploadKeepsTheRowsReceived)
{
    RowSink whole;
    {
        Rig rig;
        ASSERT_EQ(upload(rig.protocol, whole, {}).status, S::Complete);
    }
    Rig rig;
    RowSink cut;
    SessionEvents e;
    int rowsOfSecond = -1;
    e.recNo = [&](int) { rowsOfSecond = cut.files.size() == 2 ? 0 : -1; };
    e.percent = [&](int) {
        if (rowsOfSecond >= 0 && ++rowsOfSecond == 20)
            rig.probe.setInterrupted(true);
    };
    const UploadResult r = upload(rig.protocol, cut, {}, e);
    EXPECT_EQ(r.status, S::Cancelled);
    EXPECT_FALSE(rig.probe.powered());
    ASSERT_EQ(cut.files.size(), 2u);
    ASSERT_EQ(r.files.size(), 2u);
    EXPECT_EQ(cut.files[0], whole.files[0]);
    ASSERT_GE(cut.files[1].size(), 19u);
    ASSERT_LT(cut.files[1].size(), whole.files[1].size());
    EXPECT_TRUE(std::equal(cut.files[1].begin(), cut.files[1].end(), whole.files[1].begin()));
    EXPECT_EQ(r.files[1].rows, int(cut.files[1].size()));
}

// An adapter pulled out mid-upload ends it at once as an abnormal end; back
// in, the next upload is whole.
TEST(SessionCancel, UnpluggedAdapterEndsAtOnceAndWorksWhenBack)
{
    Rig rig;
    RowSink sink;
    SessionEvents e;
    uint32_t pulledAt = 0;
    e.entry = [&](const DirectoryEntry&) {
        rig.probe.setUnplugged(true);
        pulledAt = rig.clk.now();
    };
    const UploadResult r = upload(rig.protocol, sink, {}, e);
    EXPECT_EQ(r.status, S::AbnormalEnd);
    EXPECT_EQ(r.files.size(), 1u);
    EXPECT_LT(rig.clk.now() - pulledAt, 5u);   // no wait for bytes that cannot come
    rig.probe.setUnplugged(false);
    EXPECT_FALSE(rig.probe.powered());
    RowSink again;
    EXPECT_EQ(upload(rig.protocol, again, {}).status, S::Complete);
    EXPECT_EQ(again.files.size(), 3u);
}

// The port is made, used and destroyed on the link's thread, never on the
// caller's; a cancel ends a job's wait without the wait's time passing.
TEST(ProbeLink, PortLivesOnItsThreadAndACancelEndsTheWait)
{
    SimulatedClock clk;
    QThread* made = nullptr;
    QThread* destroyed = nullptr;
    struct Watched : SimulatedProbe
    {
        QThread** onDestroy;
        Watched(MsClock& c, QThread** d) : SimulatedProbe(c), onDestroy(d) {}
        ~Watched() override { *onDestroy = QThread::currentThread(); }
    };
    {
        ProbeLink link;
        const ProbeLink::Opened opened = link.open([&]() -> std::unique_ptr<SerialPort> {
            made = QThread::currentThread();
            return std::make_unique<Watched>(clk, &destroyed);
        });
        EXPECT_EQ(opened.result, PortOpenResult::Ok);
        EXPECT_EQ(opened.device, "simulator");
        ASSERT_NE(made, nullptr);
        EXPECT_NE(made, QThread::currentThread());

        // A job waits on the silent port (the probe is off) until cancelled.
        std::promise<void> waiting;
        std::promise<void> finished;
        bool got = true;
        uint32_t waited = 0;
        QThread* ranOn = nullptr;
        ASSERT_TRUE(link.start(
            [&](SerialPort& port) {
                ranOn = QThread::currentThread();
                waiting.set_value();
                while (!port.interrupted())
                    QThread::usleep(100);
                const uint32_t t0 = port.clock().now();
                got = port.waitForBytes(2, 100000);
                waited = port.clock().now() - t0;
            },
            [&] { finished.set_value(); }));
        waiting.get_future().wait();
        EXPECT_TRUE(link.busy());
        EXPECT_FALSE(link.start([](SerialPort&) {}, {}));   // one exchange at a time
        link.cancel();
        finished.get_future().wait();
        link.waitIdle();
        EXPECT_FALSE(got);
        EXPECT_EQ(waited, 0u);
        EXPECT_EQ(ranOn, made);
        EXPECT_FALSE(link.busy());

        // The live tick's bytes: a powered probe streams while the clock moves.
        link.setPower(true);
        clk.advance(1000);
        const QByteArray bytes = link.takeInput();
        EXPECT_GT(bytes.size(), 50);
        EXPECT_TRUE(bytes.contains(char(0xAA)));
        EXPECT_TRUE(link.takeInput().isEmpty());
        link.setPower(false);
    }
    EXPECT_EQ(destroyed, made);
}

// What a tick leaves stays for the next; a flush drops it.
TEST(ProbeLink, ReceivedBytesKeepWhatATickLeaves)
{
    SimulatedClock clk;
    ReceivedBytes in(clk);
    in.append(QByteArray("\x01\x02\x03\x04\x05", 5));
    EXPECT_EQ(in.getByte(), 1);
    char buf[3] = {};
    EXPECT_EQ(in.read(buf, 3), 3);
    EXPECT_EQ(buf[2], 4);
    EXPECT_EQ(in.inputCount(), 1);
    in.append(QByteArray("\x06", 1));
    EXPECT_EQ(in.inputCount(), 2);
    EXPECT_EQ(in.getByte(), 5);
    in.flush(2);
    EXPECT_EQ(in.inputCount(), 0);
    EXPECT_EQ(in.getByte(), -1);
}

// A device that is not there: the open fails with the system's reason and
// says the device is missing, so the window can name it.
TEST(ProbeLink, MissingDeviceGivesTheSystemsReason)
{
    SteadyClock clk;
    QtSerialPortBackend port(QStringLiteral("/nonexistent/ttyUSB9"), clk);
    EXPECT_LT(port.open(), 0);
    EXPECT_TRUE(port.deviceMissing());
    EXPECT_EQ(port.deviceName(), "/nonexistent/ttyUSB9");
    EXPECT_EQ(port.errorString(), QString::fromLocal8Bit(std::strerror(ENOENT)));
}

namespace {
QStringList g_warnings;
void keepWarnings(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_warnings << text;
}
}  // namespace

// A real serial device (the far end of a pseudo-terminal) made, waited on and
// closed by the link: no complaint of Qt about a port used from a thread that
// does not own it, and a cancel ends a long wait in the driver.
TEST(ProbeLink, RealPortStaysOnItsThread)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        GTEST_SKIP() << "no pseudo-terminal";
    const QString device = QString::fromLocal8Bit(ptsname(master));
    g_warnings.clear();
    const QtMessageHandler before = qInstallMessageHandler(keepWarnings);
    SteadyClock clk;
    {
        ProbeLink link;
        const ProbeLink::Opened opened = link.open([&] { return std::make_unique<QtSerialPortBackend>(device, clk); });
        ASSERT_EQ(opened.result, PortOpenResult::Ok) << opened.reason.toStdString();
        EXPECT_EQ(opened.device, device);
        ASSERT_EQ(::write(master, "\xAA\x01", 2), 2);
        QThread::msleep(50);
        EXPECT_EQ(link.takeInput(), QByteArray("\xAA\x01", 2));

        std::promise<void> waiting, finished;
        bool got = true;
        uint32_t waited = 0;
        ASSERT_TRUE(link.start(
            [&](SerialPort& port) {
                waiting.set_value();
                const uint32_t t0 = clk.now();
                got = port.waitForBytes(2, 60000);
                waited = clk.now() - t0;
            },
            [&] { finished.set_value(); }));
        waiting.get_future().wait();
        QThread::msleep(100);
        link.cancel();
        finished.get_future().wait();
        EXPECT_FALSE(got);
        EXPECT_LT(waited, 30000u);   // the cancel ended it, not the minute
        link.setPower(true);
        link.setPower(false);
    }
    qInstallMessageHandler(before);
    ::close(master);
    EXPECT_TRUE(g_warnings.isEmpty()) << g_warnings.join('\n').toStdString();
}

// The far end goes away in the middle of a wait (an adapter pulled out): the
// wait ends at once instead of running out its time and the port is closed;
// plugged in again (the device name back), the next power-on opens it anew.
TEST(ProbeLink, RealDeviceThatVanishesEndsTheWaitAndComesBack)
{
    auto openPty = [](int* master) {
        *master = posix_openpt(O_RDWR | O_NOCTTY);
        return *master >= 0 && grantpt(*master) == 0 && unlockpt(*master) == 0;
    };
    int master = -1;
    if (!openPty(&master))
        GTEST_SKIP() << "no pseudo-terminal";
    // The device name the port knows is a link, as udev names an adapter.
    const QTemporaryDir dir;
    const QString device = dir.filePath("ttyProbe");
    ASSERT_TRUE(QFile::link(QString::fromLocal8Bit(ptsname(master)), device));
    SteadyClock clk;
    QtSerialPortBackend port(device, clk);
    ASSERT_EQ(openProbePort(&port), PortOpenResult::Ok) << port.errorString().toStdString();
    std::thread pull([master] {
        QThread::msleep(100);
        ::close(master);
    });
    const uint32_t t0 = clk.now();
    EXPECT_FALSE(port.waitForBytes(2, 20000));
    const uint32_t waited = clk.now() - t0;
    pull.join();
    EXPECT_LT(waited, 10000u);
    EXPECT_EQ(port.inputCount(), -1);
    EXPECT_EQ(port.getByte(), -1);

    // Still gone: the power-on finds nothing to open. Back: it opens and reads.
    // (A pseudo-terminal has no modem lines: the power line's result is no measure.)
    QFile::remove(device);
    port.setPower(1);
    EXPECT_EQ(port.inputCount(), -1);
    EXPECT_TRUE(port.deviceMissing());
    ASSERT_TRUE(openPty(&master));
    ASSERT_TRUE(QFile::link(QString::fromLocal8Bit(ptsname(master)), device));
    port.setPower(1);
    EXPECT_EQ(port.inputCount(), 0);
    ASSERT_EQ(::write(master, "\xAA", 1), 1);
    EXPECT_TRUE(port.waitForBytes(1, 5000));
    EXPECT_EQ(port.getByte(), 0xAA);
    port.setPower(0);
    port.close();
    ::close(master);
}
