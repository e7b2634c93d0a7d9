#include "probe/MsClock.h"
#include "probe/ProbeProtocol.h"
#include "probe/ProbeSession.h"
#include "probe/SimulatedProbe.h"
#include <gtest/gtest.h>
#include <cstring>
#include <deque>
#include <vector>

namespace {

// A probe reduced to what the simulator cannot be told to do: it lets a given
// number of "$" pass unanswered, or streams without a single 0xAA. One byte
// arrives per millisecond; it records every byte put with the line timing.
class ScriptedProbe : public SerialPort
{
public:
    int ignoreAttention = 0;
    bool withSync = true;
    struct Put { int value; uint32_t raised, at, lowered; int waiting; bool transmitOn; };
    std::vector<Put> puts;
    SimulatedClock clk;

    int open() override { return 0; }
    int close() override { return 0; }
    int setBaud(int) override { return 0; }
    int setPower(int on) override
    {
        m_power = on != 0;
        m_streaming = m_power;
        m_next = clk.now() + 1;
        m_input.clear();
        return 0;
    }
    int setTransmit(int on) override
    {
        if (on)
            m_raised = clk.now();
        else if (!puts.empty() && puts.back().lowered == 0)
            puts.back().lowered = clk.now();
        m_transmit = on != 0;
        return 0;
    }
    int putByte(int value) override
    {
        puts.push_back({value, m_raised, clk.now(), 0, inputCount(), m_transmit});
        if (value == '$' && m_streaming) {
            if (ignoreAttention > 0) {
                --ignoreAttention;
            } else {
                m_streaming = false;
                m_replies.push_back({clk.now() + 2, '$'});
            }
        } else if (!m_streaming && m_power) {
            m_replies.push_back({clk.now() + 2, uint8_t(value)});   // echo, then stream again
            m_streaming = true;
            m_next = clk.now() + 3;
        }
        return 0;
    }
    int flush(int) override
    {
        pump();
        m_input.clear();
        return 0;
    }
    int inputCount() override
    {
        pump();
        return static_cast<int>(m_input.size());
    }
    int getByte() override
    {
        pump();
        if (m_input.empty())
            return -1;
        const int b = m_input.front();
        m_input.pop_front();
        return b;
    }
    int read(char* buffer, int length) override
    {
        int n = 0;
        for (; n < length && getByte() >= 0; ++n)
            buffer[n] = 0;
        return n;
    }
    MsClock& clock() override { return clk; }
    QString deviceName() const override { return QStringLiteral("scripted"); }
    bool powered() const { return m_power; }
    int count(int value) const
    {
        int n = 0;
        for (const Put& p : puts)
            n += p.value == value;
        return n;
    }

private:
    void pump()
    {
        const uint32_t now = clk.now();
        while (!m_replies.empty() && int32_t(now - m_replies.front().first) >= 0) {
            m_input.push_back(m_replies.front().second);
            m_replies.pop_front();
        }
        while (m_streaming && int32_t(now - m_next) >= 0) {
            const bool sync = withSync && m_index % 10 == 0;
            m_input.push_back(sync ? 0xAA : 0x11);
            ++m_index;
            ++m_next;
        }
    }
    bool m_power = false, m_transmit = false, m_streaming = false;
    uint32_t m_raised = 0, m_next = 0;
    uint64_t m_index = 0;
    std::deque<uint8_t> m_input;
    std::deque<std::pair<uint32_t, uint8_t>> m_replies;
};

int countSent(const SimulatedProbe& sim, uint8_t value)
{
    int n = 0;
    for (const auto& s : sim.sent())
        n += s.value == value && s.transmitOn;
    return n;
}

TEST(Handshake, ScenariosOnTheSimulatedProbe)
{
    struct Case
    {
        const char* name;
        bool power;
        SimulatedProbe::Faults faults;
        uint8_t command;
        bool ok;
        int attentions, letters;
        uint32_t minMs, maxMs;
    };
    SimulatedProbe::Faults none, deaf, wrong, mute;
    deaf.ignoreAttention = true;
    wrong.wrongEcho = "C";
    mute.noEcho = "C";
    const Case cases[] = {
        {"answers at once", true, none, cmd::ReadClock, true, 1, 1, 1, 300},
        {"calibration needs no echo", true, none, cmd::ReadCalibration, true, 1, 1, 1, 300},
        {"silent probe", false, none, cmd::ReadClock, false, 0, 0, 500, 501},
        {"never answers $", true, deaf, cmd::ReadClock, false, 5, 0, 200, 1500},
        {"wrong echo ends at once", true, wrong, cmd::ReadClock, false, 1, 1, 1, 300},
        {"no echo", true, mute, cmd::ReadClock, false, 5, 5, 500, 2500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedClock clk;
        SimulatedProbe sim(clk);
        sim.open();
        sim.setBaud(9600);
        sim.setFaults(c.faults);
        if (c.power)
            sim.setPower(1);
        ProbeProtocol protocol(sim);
        const uint32_t start = clk.now();
        EXPECT_EQ(protocol.sendCommand(c.command), c.ok);
        const uint32_t took = clk.now() - start;
        EXPECT_GE(took, c.minMs);
        EXPECT_LE(took, c.maxMs);
        // The power is the caller's guard's: a failed handshake leaves it alone.
        EXPECT_EQ(sim.powered(), c.power);
        EXPECT_EQ(countSent(sim, '$'), c.attentions);
        EXPECT_EQ(countSent(sim, c.command), c.letters);
        if (c.command == cmd::ReadCalibration) {
            // Success right after the letter: its transmit window is the last wait.
            EXPECT_LE(clk.now() - sim.sent().back().at, 3u);
            EXPECT_EQ(sim.sent().back().value, c.command);
        }
    }
}

TEST(Handshake, CommandsFindTheGapAtTheFullLineRate)
{
    // At 96 frames/s the frames follow each other without a gap: "$" goes in
    // after the frame that carries it, and the replies still come whole. At
    // 2 frames/s the stream resumes after a reply just inside the 500 ms
    // stream check of the next command (slower streams miss it).
    for (double rate : {96.0, 2.0}) {
        SCOPED_TRACE(testing::Message() << rate << " frames/s");
        SimulatedClock clk;
        SimulatedProbe sim(clk);
        sim.setFrameRate(rate);
        sim.open();
        sim.setPower(1);
        ProbeProtocol protocol(sim);
        Calibration cal;
        QString sn;
        ASSERT_EQ(protocol.readCalibration(&cal, &sn), ProbeProtocol::CalibrationResult::Ok);
        EXPECT_EQ(sn, sim.deviceNumber());
        EXPECT_EQ(cal.lf2048, sim.calibration().lf2048);
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(protocol.sendCommand(cmd::ReadClock));
            ASSERT_TRUE(protocol.waitForBytes(10, 100));
            uint8_t reply[10];
            ASSERT_EQ(sim.read(reinterpret_cast<char*>(reply), 10), 10);
            EXPECT_TRUE(replyChecksumOk(reply));
        }
        EXPECT_EQ(countSent(sim, '$'), 4);
    }
}

TEST(Handshake, AttentionWaitsForTheRestOfTheFrame)
{
    ScriptedProbe probe;
    probe.ignoreAttention = 4;
    probe.setPower(1);
    ProbeProtocol protocol(probe);
    ASSERT_TRUE(protocol.sendCommand(cmd::ReadClock));
    EXPECT_TRUE(probe.powered());

    std::vector<int> waiting;
    for (const auto& p : probe.puts)
        if (p.value == '$')
            waiting.push_back(p.waiting);
    EXPECT_EQ(waiting, (std::vector<int>{9, 7, 5, 3, 1}));

    // Every byte goes out with the transmit line raised and held 3 ms; the
    // letter 1 ms after the line went up.
    ASSERT_EQ(probe.puts.size(), 6u);
    for (const auto& p : probe.puts) {
        SCOPED_TRACE(p.value);
        EXPECT_TRUE(p.transmitOn);
        EXPECT_EQ(p.at - p.raised, p.value == '$' ? 0u : 1u);
        EXPECT_EQ(p.lowered - p.raised, 3u);
    }
}

TEST(Handshake, StreamWithoutSyncFailsAfterTheFirstWindow)
{
    ScriptedProbe probe;
    probe.withSync = false;
    ProbeProtocol protocol(probe);
    uint32_t took = 0;
    {
        probemem::ProbePower power(probe);
        const uint32_t start = probe.clk.now();
        EXPECT_FALSE(protocol.sendCommand(cmd::ReadClock));
        took = probe.clk.now() - start;
        EXPECT_TRUE(probe.powered());
    }
    EXPECT_GE(took, 2500u);
    EXPECT_LE(took, 2505u);
    EXPECT_FALSE(probe.powered());   // the guard switched it off
    EXPECT_TRUE(probe.puts.empty());
}

TEST(Handshake, DataBytesReturnTheEchoOrMinusOne)
{
    SimulatedClock clk;
    SimulatedProbe sim(clk);
    sim.open();
    sim.setPower(1);
    ProbeProtocol protocol(sim);
    ASSERT_TRUE(protocol.sendCommand(cmd::SetInterval));
    EXPECT_EQ(protocol.sendDataByte(0x01), 0x01);
    EXPECT_EQ(protocol.sendDataByte(0xC3), 0xC3);

    sim.setPower(0);
    const uint32_t start = clk.now();
    EXPECT_EQ(protocol.sendDataByte(0x55), -1);
    EXPECT_GE(clk.now() - start, 1000u);
    EXPECT_LE(clk.now() - start, 1005u);
}

TEST(ReplyFrame, ChecksumIsTheLowByteOfTheSum)
{
    uint8_t f[10] = {0xAA, 0x80, 0x80, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0};
    f[9] = uint8_t(0xAA + 0x80 + 0x80 + 1 + 2 + 3 + 4 + 5 + 6);
    EXPECT_TRUE(replyChecksumOk(f));
    f[4] ^= 0x10;
    EXPECT_FALSE(replyChecksumOk(f));
}

// ---- the calibration line ----

const QByteArray kNumbers = "51234.5,1002.25,1000.5,2.25,2.5E-7,92.5,-180.5,200.5,-136.5,49.5,-7.25";

QByteArray lineOfLength(int length, const QByteArray& prefix = "")
{
    const int sn = length - prefix.size() - 1 - kNumbers.size();
    return prefix + QByteArray(sn, 'S') + ',' + kNumbers;
}

TEST(Calibration, LinesFromTheProbe)
{
    Calibration expected;
    expected.lf2048 = 51234.5f;
    expected.tf2048 = 1002.25f;
    expected.pa0 = 1000.5f;
    expected.pa1 = 2.25f;
    expected.pa2 = 2.5e-7f;
    expected.ta0 = 92.5f;
    expected.ta1 = -180.5f;
    expected.ta2 = 200.5f;
    expected.ta3 = -136.5f;
    expected.ta4 = 49.5f;
    expected.ta5 = -7.25f;

    using R = ProbeProtocol::CalibrationResult;
    QByteArray highBytes = lineOfLength(90);
    highBytes.insert(3, "\x81\xFE");
    highBytes.insert(50, '\xAA');
    highBytes += '\n';
    QByteArray moreFields = lineOfLength(90) + ",1.0\n";
    QByteArray notNumber = lineOfLength(90) + "\n";
    notNumber.replace("200.5", "2OO.5");
    QByteArray emptyField = lineOfLength(90) + "\n";
    emptyField.replace(",49.5,", ",,");
    // Numbers a double holds but a 32-bit float does not: the coefficient
    // would become infinite and every reading converted with it.
    QByteArray tooLarge = lineOfLength(90) + "\n";
    tooLarge.replace("200.5", "4e38");
    QByteArray tooLargeNegative = lineOfLength(90) + "\n";
    tooLargeNegative.replace("-7.25", "-1E300");

    struct Case
    {
        const char* name;
        QByteArray sent;   // what the probe sends after B; empty: its own line
        R result;
        QString sn;
    } cases[] = {
        {"the probe's own line", "", R::Ok, QStringLiteral("VX4417")},
        {"80 characters", lineOfLength(80) + "\n", R::Ok, QString(80 - 1 - kNumbers.size(), 'S')},
        {"two-character prefix", lineOfLength(90, "B,") + "\n", R::Ok, QString(90 - 3 - kNumbers.size(), 'S')},
        {"bytes from 0x80 dropped", highBytes, R::Ok, QString(90 - 1 - kNumbers.size(), 'S')},
        {"151 characters", lineOfLength(151) + "\n", R::Ok, QString(150 - kNumbers.size(), 'S')},
        {"79 characters", lineOfLength(79) + "\n", R::BadLine, {}},
        {"152 characters", lineOfLength(152) + "\n", R::BadLine, {}},
        {"500 characters", lineOfLength(500) + "\n", R::BadLine, {}},
        {"no line feed", lineOfLength(90), R::BadLine, {}},
        {"noise without line feed", QByteArray(5000, '\xFF'), R::BadLine, {}},
        {"a field no number", notNumber, R::BadLine, {}},
        {"an empty field", emptyField, R::BadLine, {}},
        {"twelve numbers", moreFields, R::BadLine, {}},
        {"a number beyond a float", tooLarge, R::BadLine, {}},
        {"a negative number beyond a float", tooLargeNegative, R::BadLine, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedClock clk;
        SimulatedProbe sim(clk);
        sim.setCalibration(expected, QStringLiteral("VX4417"));
        if (!c.sent.isEmpty()) {
            SimulatedProbe::Faults f;
            f.calibrationLine = c.sent;
            sim.setFaults(f);
        }
        sim.open();
        sim.setPower(1);
        ProbeProtocol protocol(sim);
        Calibration cal;   // the settings file's values
        cal.lf2048 = 1.0f;
        const Calibration before = cal;
        QString sn = QStringLiteral("old");
        const uint32_t start = clk.now();
        EXPECT_EQ(protocol.readCalibration(&cal, &sn), c.result);
        EXPECT_LE(clk.now() - start, uint32_t(ProbeProtocol::kCalibrationTimeoutMs + 600));
        EXPECT_TRUE(sim.powered());   // switching off is the caller's guard's
        if (c.result == R::Ok) {
            EXPECT_EQ(sn, c.sn);
            EXPECT_EQ(0, memcmp(&cal, &expected, sizeof cal));
        } else {
            EXPECT_EQ(sn, QStringLiteral("old"));
            EXPECT_EQ(0, memcmp(&cal, &before, sizeof cal));
        }
    }
}

TEST(Calibration, SilentProbeIsNoAnswer)
{
    SimulatedClock clk;
    SimulatedProbe sim(clk);
    sim.open();
    ProbeProtocol protocol(sim);
    Calibration cal;
    QString sn;
    EXPECT_EQ(protocol.readCalibration(&cal, &sn), ProbeProtocol::CalibrationResult::NoAnswer);
    EXPECT_FALSE(sim.powered());
}

// The live run's power-on: the probe stays on only with its calibration read.
TEST(Calibration, PowerOnKeepsTheProbeOnlyWhenRead)
{
    using probemem::ProbeStatus;
    struct Case { const char* name; QByteArray line; bool deaf; ProbeStatus status; };
    const Case cases[] = {
        {"the probe's own line", "", false, ProbeStatus::Complete},
        {"79 characters", lineOfLength(79) + "\n", false, ProbeStatus::BadCalibration},
        {"never answers $", "", true, ProbeStatus::NoAnswer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedClock clk;
        SimulatedProbe sim(clk);
        SimulatedProbe::Faults f;
        if (!c.line.isEmpty())
            f.calibrationLine = c.line;
        f.ignoreAttention = c.deaf;
        sim.setFaults(f);
        sim.open();
        ProbeProtocol protocol(sim);
        const probemem::PowerOnResult r = probemem::powerOn(protocol);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(sim.powered(), c.status == ProbeStatus::Complete);
        EXPECT_EQ(r.calibration.has_value(), c.status == ProbeStatus::Complete);
        if (r.calibration) {
            EXPECT_EQ(r.calibration->sn, QStringLiteral("VX4417"));
        }
    }
}

TEST(ProbePower, OffOnEveryWayOutUnlessKept)
{
    ScriptedProbe probe;
    {
        probemem::ProbePower power(probe);
        EXPECT_TRUE(probe.powered());
    }
    EXPECT_FALSE(probe.powered());
    auto throwing = [&] {
        probemem::ProbePower power(probe);
        throw 1;
    };
    EXPECT_ANY_THROW(throwing());
    EXPECT_FALSE(probe.powered());
    {
        probemem::ProbePower power(probe);
        power.keepOn();
    }
    EXPECT_TRUE(probe.powered());
}

}  // namespace
