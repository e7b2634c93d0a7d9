#include "probe/MsClock.h"
#include "document/ExchangeDumpFile.h"
#include "probe/SimulatedProbe.h"
#include "TestDir.h"
#include <QFile>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>

namespace {

bool checksumOk(const QByteArray& f)
{
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += uint8_t(f[i]);
    return uint8_t(sum) == uint8_t(f[9]);
}

int word(const QByteArray& f, int i)
{
    return uint8_t(f[i]) * 256 + uint8_t(f[i + 1]);
}

// The client side written out by hand: raw port calls with the protocol's timing.
struct Bench
{
    SimulatedClock clock;
    SimulatedProbe probe{clock};

    Bench()
    {
        probe.open();
        probe.setBaud(9600);
    }

    void send(uint8_t b)
    {
        probe.setTransmit(1);
        clock.advance(1);
        probe.putByte(b);
        clock.advance(2);
        probe.setTransmit(0);
    }

    int next(int ms)
    {
        return probe.waitForInput(ms) ? probe.getByte() : -1;
    }

    // Waits for a byte equal to `want` for up to `ms`, dropping others.
    bool await(uint8_t want, int ms)
    {
        const uint32_t start = clock.now();
        while (static_cast<int>(clock.now() - start) < ms) {
            const int b = next(ms - static_cast<int>(clock.now() - start));
            if (b == want)
                return true;
        }
        return false;
    }

    QByteArray take(int n, int ms)
    {
        const uint32_t start = clock.now();
        while (probe.inputCount() < n && static_cast<int>(clock.now() - start) < ms)
            clock.advance(1);
        QByteArray a(std::min(n, probe.inputCount()), '\0');
        probe.read(a.data(), a.size());
        return a;
    }

    // Power on, frame start, rest of the frame, "$", its answer, the letter.
    // Returns the byte that answered the letter (-1 none), or -2 for no "$".
    int handshake(uint8_t letter)
    {
        probe.setPower(1);
        if (!await(0xAA, 2500))
            return -3;
        clock.advance(12);
        if (probe.inputCount() < 9)
            return -3;
        send('$');
        if (!await('$', 30))
            return -2;
        send(letter);
        return letter == 'B' ? 0 : next(100);
    }

    std::vector<QByteArray> frames(int ms)
    {
        std::vector<QByteArray> out;
        for (;;) {
            const QByteArray f = take(10, ms);
            if (f.size() < 10)
                return out;
            out.push_back(f);
            if (uint8_t(f[1]) == 0xFF && uint8_t(f[2]) == 0xFF)
                return out;
        }
    }
};

TEST(SimulatedProbe, LiveStreamIsACastDownAndBack)
{
    Bench b;
    const Calibration cal = b.probe.calibration();
    const SimulatedProbe::CastScript script = b.probe.castScript();
    b.probe.setPower(1);
    QByteArray stream;
    for (int tick = 0; tick < 680; ++tick) {   // 68 s in 100 ms ticks: one cast
        b.clock.advance(100);
        QByteArray chunk(b.probe.inputCount(), '\0');
        b.probe.read(chunk.data(), chunk.size());
        stream += chunk;
    }
    ASSERT_EQ(stream.size() % 10, 0);
    const int n = stream.size() / 10;
    EXPECT_NEAR(n, 680, 2);   // 10 frames a second

    const double atmosphere = cal.pa0 + cal.pa1 * 4200.0 + cal.pa2 * 4200.0 * 4200.0;
    int bad = 0, inAir = 0, spikes = 0;
    double maxDepth = 0, lastDepth = 0, surfaceTemp = 0, bottomTemp = 0;
    for (int i = 0; i < n; ++i) {
        const QByteArray f = stream.mid(i * 10, 10);
        ASSERT_EQ(uint8_t(f[0]), 0xAA);
        if (!checksumOk(f)) {
            ++bad;
            continue;
        }
        const int sv = word(f, 1), p = word(f, 3), tc = word(f, 5);
        ASSERT_GT(p, 255);
        ASSERT_GT(tc, 255);
        const double depth = (cal.pa0 + cal.pa1 * p + cal.pa2 * double(p) * p - atmosphere) / 1000.0;
        const double y = tc * 2.5 / 65536;
        const double temp = ((((cal.ta5 * y + cal.ta4) * y + cal.ta3) * y + cal.ta2) * y + cal.ta1) * y + cal.ta0;
        if (sv == 0) {
            ++inAir;
            EXPECT_NEAR(depth, 0.0, 0.01);
            continue;
        }
        const double v = cal.lf2048 * 2048.0 / (sv + 65536 - cal.tf2048);
        EXPECT_GT(v, 1400);
        EXPECT_LT(v, 1600);
        const double expected = 1449.2 + 4.6 * temp - 0.055 * temp * temp + 0.00029 * temp * temp * temp + 0.016 * depth;
        if (std::fabs(v - expected) > 5)
            ++spikes;
        EXPECT_LT(std::fabs(depth - lastDepth), 0.25) << "frame " << i;
        lastDepth = depth;
        if (depth > maxDepth) {
            maxDepth = depth;
            bottomTemp = temp;
        }
        if (depth < 1 && surfaceTemp == 0)
            surfaceTemp = temp;
    }
    EXPECT_EQ(bad, n / script.badChecksumEvery);
    EXPECT_NEAR(spikes, n / script.spikeEvery, 2);
    EXPECT_GE(inAir, 30);                  // a few seconds in air first
    EXPECT_NEAR(maxDepth, script.maxDepth, 0.05);
    EXPECT_LT(lastDepth, 1.0);             // and back up
    EXPECT_NEAR(surfaceTemp, 20.0, 0.2);
    EXPECT_LT(bottomTemp, surfaceTemp - 5);
}

TEST(SimulatedProbe, PowerOffSilencesAndPowerOnStartsAgainInAir)
{
    Bench b;
    b.probe.setPower(1);
    b.clock.advance(20000);
    b.clock.advance(3);        // part of a frame is still on the line
    b.probe.setPower(0);
    b.probe.flush(2);
    b.clock.advance(5000);
    EXPECT_EQ(b.probe.inputCount(), 0);
    b.probe.setPower(1);
    b.clock.advance(40);
    EXPECT_EQ(b.probe.inputCount(), 0);    // still booting
    const QByteArray f = b.take(10, 200);
    ASSERT_EQ(f.size(), 10);
    EXPECT_EQ(uint8_t(f[0]), 0xAA);
    EXPECT_EQ(word(f, 1), 0);              // in air again
}

TEST(SimulatedProbe, HandshakeAnswersAndEchoes)
{
    struct Case { const char* name; uint8_t letter; SimulatedProbe::Faults faults; int expected; };
    SimulatedProbe::Faults silent;
    silent.ignoreAttention = true;
    SimulatedProbe::Faults noEcho;
    noEcho.noEcho = "C";
    SimulatedProbe::Faults wrong;
    wrong.wrongEcho = "G";
    const Case cases[] = {
        {"C echoed", 'C', {}, 'C'},
        {"E echoed", 'E', {}, 'E'},
        {"J echoed", 'J', {}, 'J'},
        {"unknown H echoed", 'H', {}, 'H'},
        {"no answer to $", 'C', silent, -2},
        {"no echo", 'C', noEcho, -1},
        {"wrong echo", 'G', wrong, 'H'},
    };
    for (const Case& c : cases) {
        Bench b;
        b.probe.setFaults(c.faults);
        EXPECT_EQ(b.handshake(c.letter), c.expected) << c.name;
    }
}

TEST(SimulatedProbe, UnknownCommandRepliesWithTheStream)
{
    Bench b;
    SimulatedProbe::Faults f;
    f.unknown = "E";
    b.probe.setFaults(f);
    ASSERT_EQ(b.handshake('E'), 'E');
    EXPECT_EQ(b.next(200), 0xAA);
}

TEST(SimulatedProbe, DollarInsideAFrameIsAnsweredAfterIt)
{
    Bench b;
    b.probe.setPower(1);
    ASSERT_TRUE(b.await(0xAA, 500));
    b.send('$');                           // 3 ms into the frame
    const uint32_t sent = b.clock.now();
    const QByteArray rest = b.take(9, 20);
    ASSERT_EQ(rest.size(), 9);
    EXPECT_TRUE(checksumOk(char(0xAA) + rest)) << "the frame is not cut short";
    EXPECT_EQ(b.next(10), '$');
    EXPECT_LT(b.clock.now() - sent, 15u);
}

TEST(SimulatedProbe, BytesSentWithTransmitOffNeverArrive)
{
    Bench b;
    b.probe.setPower(1);
    ASSERT_TRUE(b.await(0xAA, 500));
    b.clock.advance(12);
    b.probe.putByte('$');
    EXPECT_FALSE(b.await('$', 100));
    ASSERT_EQ(b.probe.sent().size(), 1u);
    EXPECT_FALSE(b.probe.sent()[0].transmitOn);
    EXPECT_TRUE(b.probe.received().empty());
}

TEST(SimulatedProbe, StreamByteFaultsBreakExactlyOneFrame)
{
    struct Case { const char* name; bool lose; int64_t index; int length; };
    const Case cases[] = {{"lost", true, 13, 19}, {"garbled", false, 13, 20}};
    for (const Case& c : cases) {
        Bench b;
        SimulatedProbe::Faults f;
        (c.lose ? f.loseByte : f.garbleByte) = {0, c.index};
        b.probe.setFaults(f);
        b.probe.setPower(1);
        b.clock.advance(50 + 100 * 3 - 50);   // three frames, 100 ms apart
        QByteArray s(b.probe.inputCount(), '\0');
        b.probe.read(s.data(), s.size());
        ASSERT_EQ(s.size(), 30 - (c.lose ? 1 : 0)) << c.name;
        EXPECT_TRUE(checksumOk(s.left(10))) << c.name;
        EXPECT_FALSE(checksumOk(s.mid(10, 10))) << c.name;
        EXPECT_TRUE(checksumOk(s.mid(c.length, 10))) << c.name;
    }
}

TEST(SimulatedProbe, LiveStreamKeepsTheLinesPaceAtAnyRate)
{
    // 60 s looked at every millisecond. At 96 frames/s the line is full:
    // 960 bytes a second from the first frame on (50 ms boot), never two in
    // one millisecond (a byte takes 1.04 ms), whole frames one after another.
    struct Case { double rate; int bytes; } cases[] = {{96, 57552}, {10, 6000}, {7, 4200}, {1, 600}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " frames/s");
        Bench b;
        b.probe.setFrameRate(c.rate);
        b.probe.setPower(1);
        QByteArray stream;
        int most = 0;
        for (int ms = 0; ms < 60000; ++ms) {
            b.clock.advance(1);
            QByteArray chunk(b.probe.inputCount(), '\0');
            b.probe.read(chunk.data(), chunk.size());
            most = std::max(most, int(chunk.size()));
            stream += chunk;
        }
        EXPECT_EQ(most, 1);
        EXPECT_EQ(stream.size(), c.bytes);
        int broken = 0;
        for (int i = 0; i + 10 <= stream.size(); i += 10)
            broken += uint8_t(stream[i]) != 0xAA;
        EXPECT_EQ(broken, 0);
    }
}

TEST(SimulatedProbe, WaitsSleepOnceAndEndWhenPollingWould)
{
    // The probe's own wait sleeps until the bytes wanted are due (or a frame
    // is sent); it must end
    // at the same millisecond, with the same answer, as looking every
    // millisecond (the port's default wait) on an identical probe.
    struct CountingClock : SimulatedClock
    {
        int sleeps = 0;
        void sleepMs(uint32_t ms) override { ++sleeps, SimulatedClock::sleepMs(ms); }
    };
    struct Wait { int count, ms; } waits[] = {{2, 500}, {9, 20}, {1, 30}, {10, 200}, {30, 40}, {1, 3}, {200, 5}};
    for (double rate : {10.0, 96.0}) {
        CountingClock ca, cb;
        SimulatedProbe sleeping(ca), polling(cb);
        for (SimulatedProbe* p : {&sleeping, &polling}) {
            p->setFrameRate(rate);
            p->open();
        }
        // Powered off the port is silent: one sleep for the whole bound.
        EXPECT_FALSE(sleeping.waitForBytes(2, 500));
        EXPECT_EQ(ca.sleeps, 1);
        EXPECT_EQ(ca.now() - 1000, 500u);
        cb.advance(500);
        for (SimulatedProbe* p : {&sleeping, &polling})
            p->setPower(1);
        for (int round = 0; round < 20; ++round) {
            for (const Wait& w : waits) {
                SCOPED_TRACE(testing::Message() << rate << " frames/s, round " << round << ", " << w.count
                                                << " bytes in " << w.ms << " ms");
                ca.sleeps = 0;
                const bool a = sleeping.waitForBytes(w.count, w.ms);
                const bool p = polling.SerialPort::waitForBytes(w.count, w.ms);
                EXPECT_EQ(a, p);
                EXPECT_EQ(ca.now(), cb.now());
                EXPECT_LE(ca.sleeps, (w.count + 9) / 10 + 1);   // one per frame waited for, not per byte
                char drop[7];
                sleeping.read(drop, 7);
                polling.read(drop, 7);
            }
        }
    }
}

TEST(SimulatedProbe, CalibrationLineCarriesTheProbesCoefficients)
{
    Bench b;
    ASSERT_EQ(b.handshake('B'), 0);
    QByteArray line;
    for (int c = b.next(200); c >= 0 && c != '\n'; c = b.next(200))
        line += char(c);
    ASSERT_GE(line.size(), 80);
    ASSERT_LT(line.size(), 151);
    ASSERT_TRUE(line.startsWith("B,"));
    const QList<QByteArray> fields = line.mid(2).split(',');
    ASSERT_EQ(fields.size(), 12);
    EXPECT_EQ(QString::fromLatin1(fields[0]), b.probe.deviceNumber());
    const Calibration& cal = b.probe.calibration();
    const float want[] = {cal.lf2048, cal.tf2048, cal.pa0, cal.pa1, cal.pa2, cal.ta0,
                          cal.ta1, cal.ta2, cal.ta3, cal.ta4, cal.ta5};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(fields[i + 1].toFloat(), want[i]) << fields[i + 1].constData();
    // 1472.62 m/s is a count of 5000 with these constants
    EXPECT_NEAR(cal.lf2048 * 2048.0 / (5000 + 65536 - cal.tf2048), 1472.62, 0.01);
}

TEST(SimulatedProbe, DirectoryListsEveryRecordingAndTheMemory)
{
    Bench b;
    ASSERT_EQ(b.handshake('G'), 'G');
    const std::vector<QByteArray> frames = b.frames(100);
    const auto& recs = b.probe.recordings();
    ASSERT_EQ(frames.size(), recs.size() + 1);
    for (size_t i = 0; i < recs.size(); ++i) {
        const QByteArray& f = frames[i];
        EXPECT_TRUE(checksumOk(f));
        EXPECT_EQ(uint8_t(f[1]), recs[i].number);
        const QString time = QString::asprintf("%02x-%02x-%02x %02x:%02x", uint8_t(f[2]), uint8_t(f[3]),
                                               uint8_t(f[4]), uint8_t(f[5]), uint8_t(f[6]));
        EXPECT_EQ(time, recs[i].start.toString("yy-MM-dd hh:mm"));
    }
    const QByteArray& end = frames.back();
    EXPECT_TRUE(checksumOk(end));
    EXPECT_EQ(word(end, 3), 32704 + 64);
    int records = 0;
    for (const auto& r : recs)
        records += 1 + int(r.samples.size());
    EXPECT_EQ(word(end, 5), 64 + records * SimulatedProbe::kUnitsPerRecord);
}

TEST(SimulatedProbe, ClearingTakesTheAnnouncedTimeThenEmptiesTheMemory)
{
    for (uint8_t n : {uint8_t(0x40), uint8_t(0x9F), uint8_t(0x10)}) {
        Bench b;
        b.probe.setEraseDurationByte(n);
        ASSERT_EQ(b.handshake('J'), 'J');
        ASSERT_EQ(b.next(100), n);
        const uint32_t t = b.clock.now();
        const int erase = (n / 32) * 4500;
        EXPECT_EQ(b.next(std::max(0, erase - 5)), -1);
        EXPECT_EQ(b.next(20), 0xAA);
        EXPECT_NEAR(double(b.clock.now() - t), erase, 5);
        EXPECT_TRUE(b.probe.recordings().empty());
        EXPECT_EQ(b.probe.memoryUsed(), 64);
    }
}

TEST(SimulatedProbe, SetClockEchoesEachByteAndRepliesWithTheNewTime)
{
    Bench b;
    b.probe.setClock(QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    ASSERT_EQ(b.handshake('D'), 'D');
    // 2026-12-13 is a Sunday: weekday 0
    const uint8_t bytes[7] = {0x26, 0x12, 0x00, 0x13, 0x23, 0x59, 0x58};
    for (uint8_t v : bytes) {
        b.send(v);
        EXPECT_EQ(b.next(1000), v);
    }
    const QByteArray reply = b.take(10, 100);
    ASSERT_EQ(reply.size(), 10);
    EXPECT_TRUE(checksumOk(reply));
    EXPECT_EQ(reply.mid(1, 8), QByteArray(reinterpret_cast<const char*>(bytes), 7) + '\0');
    b.clock.advance(3000);
    EXPECT_EQ(b.probe.probeTime().toString("yyyy-MM-dd hh:mm:ss"), "2026-12-14 00:00:01");
}

TEST(SimulatedProbe, UploadSendsMarkerHeaderAndRecordsPerRecording)
{
    struct Case { const char* name; SimulatedProbe::Faults faults; int firstMarker; bool firstHeader; };
    SimulatedProbe::Faults before;
    before.recordBeforeHeader = true;
    SimulatedProbe::Faults missing;
    missing.missingHeader = true;
    const Case cases[] = {{"sound", {}, 0, true}, {"record first", before, 1, true}, {"no header", missing, 0, false}};
    for (const Case& c : cases) {
        Bench b;
        b.probe.setFaults(c.faults);
        const auto recs = b.probe.recordings();
        ASSERT_EQ(b.handshake('I'), 'I');
        const std::vector<QByteArray> frames = b.frames(100);
        size_t total = 1 + c.firstMarker - (c.firstHeader ? 0 : 1);
        for (const auto& r : recs)
            total += 2 + r.samples.size();
        ASSERT_EQ(frames.size(), total) << c.name;
        for (const QByteArray& f : frames)
            ASSERT_TRUE(checksumOk(f)) << c.name;
        size_t i = c.firstMarker;
        int lastPosition = -1, lowBattery = 0, empty = 0;
        for (size_t k = 0; k < recs.size(); ++k) {
            EXPECT_EQ(word(frames[i], 1) + word(frames[i], 3), 0) << c.name << " marker " << k;
            ++i;
            if (k > 0 || c.firstHeader) {
                EXPECT_EQ(uint8_t(frames[i][1]), recs[k].number);
                EXPECT_EQ(word(frames[i], 7), recs[k].surfacePressure);
                ++i;
            }
            for (const auto& s : recs[k].samples) {
                const QByteArray& f = frames[i++];
                EXPECT_EQ(word(f, 1), s.sv);
                EXPECT_EQ(word(f, 3), s.pressure);
                EXPECT_GE(uint8_t(f[7]), lastPosition);
                lastPosition = uint8_t(f[7]);
                lowBattery += uint8_t(f[8]) == 1;
                empty += uint8_t(f[8]) == 0xFF;
            }
        }
        EXPECT_EQ(word(frames.back(), 1), 0xFFFF);
        EXPECT_GT(lowBattery, 0);
        EXPECT_GT(empty, 0);
        EXPECT_GT(lastPosition, 0);
    }
}

TEST(SimulatedProbe, ReplyFaultsCutOrSpoilTheChosenFrame)
{
    Bench b;
    SimulatedProbe::Faults f;
    f.badChecksum = {'G', 1};
    f.stopAfter = {'G', 2};
    b.probe.setFaults(f);
    ASSERT_EQ(b.handshake('G'), 'G');
    const std::vector<QByteArray> frames = b.frames(3000);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(checksumOk(frames[0]));
    EXPECT_FALSE(checksumOk(frames[1]));
}

TEST(SimulatedProbe, FullMemoryFillsEveryUnit)
{
    Bench b;
    b.probe.setRecordings(SimulatedProbe::fullMemory(b.probe.calibration()));
    EXPECT_EQ(b.probe.memoryUsed(), 32704 + 64);
}

TEST(SimulatedProbe, DumpRecordsBothDirections)
{
    TestDir dir;
    const QString path = dir.path() + "/x.dump";
    Bench b;
    {
        ExchangeDumpFile file(path);
        DumpingPort port(b.probe, file);
        port.setPower(1);
        ASSERT_TRUE(port.waitForInput(200));
        EXPECT_EQ(port.getByte(), 0xAA);
        char rest[2];
        b.clock.advance(3);
        ASSERT_EQ(port.read(rest, 2), 2);
        port.setTransmit(1);
        port.putByte('$');
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        const QByteArray want = "< aa\n< " + QByteArray(rest, 1).toHex() + "\n< " + QByteArray(rest + 1, 1).toHex() + "\n> 24\n";
        EXPECT_EQ(in.readAll(), want);
    }
}

}  // namespace
