#include "probe/Conversions.h"
#include "probe/FrameReceiver.h"
#include "probe/LiveRecording.h"
#include "probe/MsClock.h"
#include "probe/ProbeProtocol.h"
#include "probe/SerialPort.h"
#include "probe/SimulatedProbe.h"
#include <cmath>
#include <gtest/gtest.h>
#include <deque>
#include <vector>

namespace {

// A port that hands out a fixed byte sequence, all of it waiting at once.
class BytePort : public SerialPort
{
public:
    explicit BytePort(const std::vector<uint8_t>& bytes) : m_in(bytes.begin(), bytes.end()) {}
    int open() override { return 0; }
    int close() override { return 0; }
    int setBaud(int) override { return 0; }
    int setPower(int) override { return 0; }
    int setTransmit(int) override { return 0; }
    int putByte(int) override { return 0; }
    int flush(int) override { m_in.clear(); return 0; }
    int inputCount() override { return static_cast<int>(m_in.size()); }
    int getByte() override
    {
        if (m_in.empty())
            return -1;
        const int b = m_in.front();
        m_in.pop_front();
        return b;
    }
    int read(char* buffer, int length) override
    {
        int n = 0;
        for (; n < length && !m_in.empty(); ++n) {
            buffer[n] = static_cast<char>(m_in.front());
            m_in.pop_front();
        }
        return n;
    }
    MsClock& clock() override { return m_clock; }
    QString deviceName() const override { return QStringLiteral("bytes"); }

private:
    std::deque<uint8_t> m_in;
    SimulatedClock m_clock;
};

using Frame = std::vector<uint8_t>;

Frame frame(int sv, int p, int t, uint8_t status)
{
    Frame f = {0xAA, uint8_t(sv >> 8), uint8_t(sv), uint8_t(p >> 8), uint8_t(p), uint8_t(t >> 8),
               uint8_t(t), 0x00, status, 0};
    unsigned sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += f[i];
    f[9] = uint8_t(sum);
    return f;
}

// A frame in water (1472.6 m/s with the test calibration, 12.6 m, 18.5 degC),
// told apart by its status byte.
Frame water(uint8_t id) { return frame(5000, 10000, 26214, id); }

struct Receiver
{
    Calibration cal;
    float atmosphere = 10400.0f;
    float density = 1.0f;
    FrameReceiver rx{ConversionInputs{cal, atmosphere, density}};
    Receiver()
    {
        cal.lf2048 = 50000.0f;
        cal.tf2048 = 1000.0f;
    }
    FrameResult feed(const Frame& f) { return rx.processFrame(f.data() + 1); }
};

TEST(Conversions, ExampleValues)
{
    Calibration cal;
    EXPECT_NEAR(*DepthFromCount(cal, 10400.0f, 1.0f, 10000.0f), 12.6208, 5e-5);
    EXPECT_EQ(*DepthFromCount(cal, 10400.0f, 1.0f, 4000.0f), 0.0f);
    EXPECT_NEAR(PressureFromCount(cal, 4000.0), 9803.33, 0.01);
    EXPECT_NEAR(*DepthFromCount(cal, 10400.0f, 1.025f, 10000.0f), 12.3130, 5e-5);

    EXPECT_EQ(TemperatureFromCount(cal, 0.0f), 93.0f);
    EXPECT_NEAR(TemperatureFromCount(cal, 26214.0f), 18.5004, 5e-5);
    EXPECT_NEAR(TemperatureFromCount(cal, 52428.0f), -0.9994, 5e-5);

    cal.lf2048 = 50000.0f;
    cal.tf2048 = 1000.0f;
    EXPECT_NEAR(*SoundVelocityFromCount(cal, 5000.0), 1472.62, 0.005);
}

TEST(Conversions, ZeroDivisorGivesNoReading)
{
    Calibration cal;
    EXPECT_FALSE(DepthFromCount(cal, 10400.0f, 0.0f, 10000.0f).has_value());
    EXPECT_FALSE(DepthFromCount(cal, 10400.0f, 0.0f, 4000.0f).has_value());
    cal.lf2048 = 50000.0f;
    cal.tf2048 = 70536.0f;   // 5000 + 65536
    EXPECT_FALSE(SoundVelocityFromCount(cal, 5000.0).has_value());
    cal.pa2 = 3e38f;         // overflows a float depth
    EXPECT_FALSE(DepthFromCount(cal, 10400.0f, 1.0f, 60000.0f).has_value());
}

TEST(FrameReceiver, ResynchronisesOnTheByteStream)
{
    auto join = [](std::initializer_list<Frame> parts) {
        Frame all;
        for (const Frame& p : parts)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    Frame aaInData = frame(5000, 0xAA00 | 0x10, 26214, 10);   // byte 3 is 0xAA
    Frame flipped = water(2);
    flipped[4] ^= 0x04;
    Frame lost = water(2);
    lost.erase(lost.begin() + 5);
    const Frame tail = {0xAA};   // the sync byte that closes the last block
    const Frame first = water(0);
    const Frame midFrame = Frame(first.begin() + 4, first.end());
    const Frame fromDataAA = Frame(aaInData.begin() + 3, aaInData.end());

    struct Case
    {
        const char* name;
        Frame bytes;
        std::vector<int> ids;
    } cases[] = {
        {"clean", join({water(1), water(2), water(3), tail}), {1, 2, 3}},
        {"starts mid-frame", join({midFrame, water(1), water(2), tail}), {1, 2}},
        {"locks on a data 0xAA", join({fromDataAA, water(1), water(2), water(3), tail}), {2, 3}},
        {"0xAA inside data", join({water(1), aaInData, water(3), tail}), {1, 10, 3}},
        {"flipped bit", join({water(1), flipped, water(3), water(4), water(5), tail}), {1, 4, 5}},
        {"lost byte", join({water(1), lost, water(3), water(4), water(5), tail}), {1, 4, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Receiver r;
        BytePort port(c.bytes);
        std::vector<int> ids;
        auto collect = [&](const FrameResult& f) {
            ids.push_back(f.status);
            return true;
        };
        for (int tick = 0; tick < 10; ++tick)
            r.rx.tick(port, collect);
        EXPECT_EQ(ids, c.ids);
    }
}

TEST(FrameReceiver, TickEndsAtTheSyncByteAndWhenTheWindowStops)
{
    Receiver r;
    BytePort port([] {
        Frame all;
        for (uint8_t id : {1, 2, 3})
            for (uint8_t b : water(id))
                all.push_back(b);
        all.push_back(0xAA);
        return all;
    }());
    int frames = 0;
    r.rx.tick(port, [&](const FrameResult&) { return ++frames, true; });
    EXPECT_EQ(frames, 0);   // locked, but the block waits for the next tick
    EXPECT_TRUE(r.rx.frameLocked());
    EXPECT_EQ(port.inputCount(), 30);
    r.rx.tick(port, [&](const FrameResult&) { return ++frames, false; });
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(port.inputCount(), 20);
}

TEST(FrameReceiver, StartUpGateNeedsPressureAndTemperatureOnce)
{
    Receiver r;
    const FrameResult a = r.feed(frame(5000, 200, 26214, 1));   // pressure not valid yet
    EXPECT_FALSE(a.passedGate);
    EXPECT_TRUE(a.lowBattery);
    EXPECT_EQ(r.rx.lastSv(), 0.0f);
    const FrameResult b = r.feed(frame(5000, 10000, 100, 0));   // now both have been valid
    EXPECT_TRUE(b.passedGate);
    EXPECT_FALSE(b.lowBattery);
    EXPECT_NEAR(b.sv, 1472.62, 0.005);
    EXPECT_NEAR(b.depth, 12.6208, 5e-5);
    EXPECT_NEAR(b.temp, 18.5004, 5e-5);   // kept from the first frame
    const FrameResult c = r.feed(frame(0, 0, 0, 0));
    EXPECT_TRUE(c.passedGate);
    EXPECT_EQ(c.sv, 0.0f);
    EXPECT_EQ(c.depth, b.depth);
    EXPECT_EQ(c.temp, b.temp);
}

TEST(FrameReceiver, ZeroDensityGivesDepthZero)
{
    Receiver r;
    r.density = 0.0f;
    const FrameResult f = r.feed(water(1));
    EXPECT_TRUE(f.passedGate);
    EXPECT_EQ(f.depth, 0.0f);
    r.cal.tf2048 = 70536.0f;   // sound-velocity divisor 0
    EXPECT_EQ(r.feed(water(2)).sv, 0.0f);
}

TEST(FrameReceiver, SoundVelocityRangeAndSpikes)
{
    struct Step { float in, out; };
    const std::vector<std::vector<Step>> sequences = {
        {{1399.99f, 0}, {1600.01f, 0}, {1400, 1400}},
        {{1600, 1600}, {1600.01f, 0}},
        // four spikes replaced, the fifth accepted as the new reference
        {{1500, 1500}, {1502, 1500}, {1502, 1500}, {1502, 1500}, {1502, 1500}, {1502, 1502},
         {1503, 1503}},
        // out-of-range readings leave the spike count alone
        {{1500, 1500}, {1502, 1500}, {1502, 1500}, {1502, 1500}, {1700, 0}, {1399, 0},
         {1502, 1500}, {1502, 1502}},
        // a deviation of exactly 1.0 is accepted and resets the count
        {{1500, 1500}, {1502, 1500}, {1502, 1500}, {1501, 1501}, {1503, 1501}, {1503, 1501},
         {1503, 1501}, {1503, 1501}, {1503, 1503}},
    };
    for (size_t s = 0; s < sequences.size(); ++s) {
        Receiver r;
        for (size_t i = 0; i < sequences[s].size(); ++i) {
            SCOPED_TRACE(testing::Message() << "sequence " << s << " step " << i);
            EXPECT_EQ(r.rx.acceptVelocity(sequences[s][i].in), sequences[s][i].out);
        }
    }
}

TEST(FrameReceiver, AtmosphereFromTheInAirRing)
{
    Receiver r;
    const Frame inAir = frame(0, 4200, 26214, 0);
    for (int i = 1; i <= 5; ++i) {
        r.feed(inAir);
        EXPECT_EQ(r.atmosphere, 10400.0f) << "frame " << i;
    }
    r.feed(inAir);
    EXPECT_NEAR(r.atmosphere, 10243.7, 0.05);
    const float settled = r.atmosphere;

    // In the water the atmosphere stays, even for later in-air frames.
    r.feed(water(0));
    r.feed(frame(0, 5000, 26214, 0));
    EXPECT_EQ(r.atmosphere, settled);

    // After a new power-on the first in-air frame counts, averaged with the old ones.
    r.rx.startPowerOn();
    r.feed(frame(0, 5000, 26214, 0));
    const double m = (5000.0 + 5 * 4200.0) / 6;
    EXPECT_NEAR(r.atmosphere, 1000 + 2.2 * m + 2.08e-7 * m * m, 0.01);
}

TEST(FrameReceiver, SimulatedCastEndToEnd)
{
    // Power-on as the window does it: calibration, flush, then 100 ms ticks
    // over one whole cast (air, down to 10 m, up again), recording every 0.5 m.
    // At 0.25 m/s a frame comes every 0.025 m, so each level is hit within
    // the 0.04 m the rule allows; faster casts overshoot and skip levels.
    SimulatedClock clk;
    SimulatedProbe sim(clk);
    SimulatedProbe::CastScript script;
    script.maxDepth = 10.0;
    script.descentRate = script.ascentRate = 0.25;
    sim.setCastScript(script);
    sim.open();
    sim.setPower(1);
    Calibration cal;
    QString sn;
    float atmosphere = 10400.0f, density = 1.0f;
    ASSERT_EQ(ProbeProtocol(sim).readCalibration(&cal, &sn), ProbeProtocol::CalibrationResult::Ok);
    EXPECT_EQ(sn, sim.deviceNumber());
    FrameReceiver rx(ConversionInputs{cal, atmosphere, density});
    rx.startPowerOn();
    LiveRecording rec;
    rec.setMode(RecordMode::FixedDepth);
    rec.startFixedDepth(0.5f);
    sim.flush(2);

    int frames = 0, inAir = 0;
    float maxDepth = 0.0f, prevSv = 0.0f, maxStep = 0.0f;
    std::vector<float> samples;
    auto onFrame = [&](const FrameResult& f) {
        ++frames;
        EXPECT_TRUE(f.passedGate);
        if (f.sv == 0.0f) {
            if (++inAir > 6) {
                EXPECT_LT(f.depth, 0.1f);
            }
        } else {
            EXPECT_GE(f.sv, 1400.0f);
            EXPECT_LE(f.sv, 1600.0f);
            if (prevSv != 0.0f)
                maxStep = std::max(maxStep, std::fabs(f.sv - prevSv));
        }
        prevSv = f.sv;
        maxDepth = std::max(maxDepth, f.depth);
        if (rec.shouldAppend(true, f.sv, f.depth, clk))
            samples.push_back(f.depth);
        return true;
    };
    for (int tick = 0; tick < 850; ++tick) {
        clk.advance(100);
        rx.tick(sim, onFrame);
    }
    EXPECT_GT(frames, 800);
    EXPECT_GE(inAir, 30);
    EXPECT_NEAR(maxDepth, 10.0f, 0.1f);
    EXPECT_LT(maxStep, 1.5f);   // the probe's spikes never reach the read-out
    EXPECT_NE(atmosphere, 10400.0f);

    // After the first, one sample per 0.5 m level down and up.
    ASSERT_GE(samples.size(), 38u);
    for (size_t i = 2; i < samples.size(); ++i)
        if (std::fabs(samples[i] - samples[i - 1]) > 0.01f) {
            EXPECT_NEAR(std::fabs(samples[i] - samples[i - 1]), 0.5f, 0.15f) << "sample " << i;
        }
}

}  // namespace
