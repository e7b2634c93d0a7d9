#include "probe/FrameReceiver.h"
#include "probe/LiveRecording.h"
#include "probe/ProbeProtocol.h"
#include "probe/MsClock.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

namespace {

struct Sample
{
    float depth;
    bool appended;
};

// Feeds depths in water and returns the depths that were appended.
std::vector<float> appendedDepths(LiveRecording& rec, const std::vector<Sample>& series)
{
    SimulatedClock clock;
    std::vector<float> out;
    for (const Sample& s : series)
        if (rec.shouldAppend(true, 1480.0f, s.depth, clock))
            out.push_back(s.depth);
    return out;
}

std::vector<float> expectedDepths(const std::vector<Sample>& series)
{
    std::vector<float> out;
    for (const Sample& s : series)
        if (s.appended)
            out.push_back(s.depth);
    return out;
}

TEST(LiveRecording, GateNeedsRecordingSoundVelocityAndDepth)
{
    struct Case { bool recording; float sv, depth; bool appended; } cases[] = {
        {true, 1400.0f, 0.1f, true},
        {false, 1480.0f, 5.0f, false},
        {true, 1399.99f, 5.0f, false},
        {true, 0.0f, 5.0f, false},
        {true, 1480.0f, 0.09f, false},
        {true, 1480.0f, 0.0f, false},
    };
    SimulatedClock clock;
    for (RecordMode mode : {RecordMode::Whole, RecordMode::FixedDepth, RecordMode::FixedTime}) {
        for (const Case& c : cases) {
            LiveRecording rec;
            rec.setMode(mode);
            rec.startFixedDepth(0.5f);
            rec.startFixedTime(1000, clock.now());
            SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " sv " << c.sv << " depth " << c.depth);
            EXPECT_EQ(rec.shouldAppend(c.recording, c.sv, c.depth, clock), c.appended);
        }
    }
}

TEST(LiveRecording, FixedDepthWalksTheLevelGrid)
{
    struct Case
    {
        float step;
        std::vector<Sample> series;
        float markAfter;
    } cases[] = {
        // Descent at 0.5 m: the first eligible frame (the mark becomes level 0.0),
        // then one sample within 0.04 m of each level: beyond 0.46, 0.96, 1.46, 1.96.
        {0.5f,
         {{0.05f, false}, {0.1f, true}, {0.45f, false}, {0.5f, true}, {0.95f, false}, {0.96f, false},
          {0.97f, true}, {1.2f, false}, {1.45f, false}, {1.47f, true}, {1.9f, false},
          {1.97f, true}},
         2.0f},
        // Down to a mark of 10.0, then up: just below 9.54, 9.04.
        {0.5f,
         {{9.97f, true}, {9.9f, false}, {9.6f, false}, {9.55f, false}, {9.53f, true},
          {9.2f, false}, {9.05f, false}, {9.03f, true}, {9.2f, false}},
         9.0f},
        // At 2.0 m the first sample waits until the depth exceeds 0.96 (|d + 1| + 0.04 > 2).
        {2.0f, {{0.1f, false}, {0.5f, false}, {0.96f, false}, {0.97f, true}, {2.9f, false},
                {2.97f, true}},
         3.0f},
        // A jump over several levels moves the mark to the level reached, the
        // last one within 0.04 m of the depth: 3.0 at 3.2, then 1.5 at 1.4.
        {0.5f, {{0.2f, true}, {3.2f, true}, {3.4f, false}, {3.0f, false}, {2.55f, false}, {2.53f, true},
                {1.4f, true}, {1.05f, false}, {1.03f, true}},
         1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "step " << c.step << " from " << c.series.front().depth);
        LiveRecording rec;
        rec.setMode(RecordMode::FixedDepth);
        rec.startFixedDepth(c.step);
        EXPECT_EQ(appendedDepths(rec, c.series), expectedDepths(c.series));
        EXPECT_FLOAT_EQ(rec.depthMark(), c.markAfter);
    }
}

TEST(LiveRecording, FixedDepthTakesOneSamplePerLayer)
{
    // Down to 20 m and back at a steady pace per frame; the start is off the
    // grid so no frame lands on a level's 0.04 m line.
    for (float step : {0.5f, 1.0f, 2.5f}) {
        for (double pace : {0.05, 0.1, 0.17, 0.25, 0.3}) {
            SCOPED_TRACE(testing::Message() << "step " << step << " pace " << pace);
            std::vector<float> depths;
            for (double d = 0.1123; d < 20.0; d += pace)
                depths.push_back(float(d));
            for (double d = 20.0; d > 0.1; d -= pace)
                depths.push_back(float(d));

            LiveRecording rec;
            rec.setMode(RecordMode::FixedDepth);
            rec.startFixedDepth(step);
            SimulatedClock clock;
            int down = 0, up = 0;
            double firstMark = 0, lowestMark = 0;
            for (size_t i = 0; i < depths.size(); ++i) {
                const double d = depths[i], before = rec.depthMark();
                if (!rec.shouldAppend(true, 1480.0f, depths[i], clock))
                    continue;
                const double mark = rec.depthMark();
                if (down + up == 0) {
                    // The first eligible frame once it is more than step - 0.04
                    // from -1; the mark becomes the deepest level within 0.04 m
                    // of it, so the next level is the first one below the sample.
                    EXPECT_TRUE(i == 0 || depths[i - 1] + 1.04 <= step) << "first at " << d;
                    firstMark = -1.0 + std::floor((d + 1.04) / step) * step;
                    EXPECT_NEAR(mark, firstMark, 1e-5) << "first at " << d;
                    lowestMark = mark;
                    ++down;
                    continue;
                }
                const double prev = depths[i - 1];
                if (d > prev) {
                    // The next level down, taken at the first frame within 0.04 m of it.
                    ++down;
                    EXPECT_NEAR(mark - before, step, 1e-4) << "at " << d;
                    EXPECT_GT(d, mark - 0.04) << "at " << d;
                    EXPECT_LE(prev, mark - 0.04) << "at " << d;
                    lowestMark = mark;
                } else {
                    ++up;
                    EXPECT_NEAR(before - mark, step, 1e-4) << "at " << d;
                    EXPECT_LT(d, mark + 0.04) << "at " << d;
                    EXPECT_GE(prev, mark + 0.04) << "at " << d;
                }
            }
            // No level was left out: down to the deepest level the cast came
            // within 0.04 m of, and back up to the shallowest.
            const double deepest = *std::max_element(depths.begin(), depths.end());
            const double shallowest = depths.back();
            EXPECT_NEAR(lowestMark, -1.0 + std::floor((deepest + 1.04) / step) * step, 1e-4);
            EXPECT_EQ(down, 1 + std::lround((lowestMark - firstMark) / step));
            const double highest = -1.0 + std::ceil((shallowest + 1.0 - 0.04) / step) * step;
            EXPECT_EQ(up, std::lround((lowestMark - highest) / step));
        }
    }
}

TEST(LiveRecording, FixedDepthNeverHangsOnAbsurdDepths)
{
    // Above 2.1e6 m a 0.1 m step no longer changes a float; the mark must
    // still move and every call return.
    const float huge[] = {2129981.0f, 2129981.25f, 2129981.0f, 1e10f, 1e30f, FLT_MAX, FLT_MAX,
                          INFINITY, 1e30f, 5.0f, 0.1f};
    for (float step : {0.1f, 0.5f, 10.0f, 100.0f}) {
        SCOPED_TRACE(testing::Message() << "step " << step);
        LiveRecording rec;
        rec.setMode(RecordMode::FixedDepth);
        rec.startFixedDepth(step);
        SimulatedClock clock;
        for (float d : huge) {
            const bool far = std::fabs(double(d) - rec.depthMark()) > 1e3;
            const bool appended = rec.shouldAppend(true, 1480.0f, d, clock);
            if (far) {
                EXPECT_TRUE(appended) << d;
            }
            EXPECT_TRUE(std::isfinite(rec.depthMark())) << d;
        }
    }
}

TEST(LiveRecording, CalibrationWithoutItsExponentDoesNotHang)
{
    // PA2 read as 2.08 instead of 2.08e-07: a pressure count of 32000 is some
    // 2.1e6 m deep.
    Calibration cal;
    QString sn;
    const QByteArray line = "B,VX4417,50000.000000,1000.000000,1000.000000,2.200000,2.080000,93.000000,"
                            "-181.000000,201.000000,-137.000000,50.000000,-7.500000";
    ASSERT_TRUE(parseCalibrationLine(line, &cal, &sn));
    ASSERT_FLOAT_EQ(cal.pa2, 2.08f);
    float atmosphere = 10400.0f, density = 1.0f;
    FrameReceiver rx(ConversionInputs{cal, atmosphere, density});
    LiveRecording rec;
    rec.setMode(RecordMode::FixedDepth);
    rec.startFixedDepth(0.1f);
    SimulatedClock clock;
    int appended = 0;
    for (int p : {32000, 32000, 32001, 32003, 31990}) {
        const uint8_t block[10] = {0x13, 0x88, uint8_t(p >> 8), uint8_t(p), 0x66, 0x66, 0, 0, 0, 0};
        const FrameResult f = rx.processFrame(block);
        ASSERT_TRUE(f.passedGate);
        EXPECT_NEAR(f.depth, 2.13e6, 0.01e6);
        appended += rec.shouldAppend(true, f.sv, f.depth, clock);
    }
    EXPECT_GE(appended, 4);   // each new count is a jump of many 0.1 m layers
}

TEST(LiveRecording, WholeModeTakesEveryEligibleFrame)
{
    LiveRecording rec;
    const std::vector<Sample> series = {{0.05f, false}, {0.1f, true}, {0.1f, true}, {0.11f, true}};
    EXPECT_EQ(appendedDepths(rec, series), expectedDepths(series));
}

TEST(LiveRecording, FixedTimeCountsWholeStepsFromPowerOn)
{
    SimulatedClock clock(1000);
    LiveRecording rec;
    rec.setMode(RecordMode::FixedTime);
    rec.startFixedTime(1000, clock.now());

    // 10 frames/s; recording starts at 1500; frames stop from 3900 to 8950.
    std::vector<uint32_t> frames;
    for (uint32_t t = 1000; t <= 3900; t += 100)
        frames.push_back(t);
    for (uint32_t t = 8950; t <= 10050; t += 100)
        frames.push_back(t);
    std::vector<uint32_t> appended;
    for (uint32_t t : frames) {
        clock.advance(t - clock.now());
        if (rec.shouldAppend(t >= 1500, 1480.0f, 5.0f, clock))
            appended.push_back(t);
    }
    const std::vector<uint32_t> expected = {1500, 2000, 3000, 8950, 9050, 10050};
    EXPECT_EQ(appended, expected);
    EXPECT_EQ(rec.nextTime(), 11000u);
}

TEST(LiveRecording, SampleRowStoresTwoDecimalsAndTheDescription)
{
    const QDateTime now(QDate(2026, 5, 4), QTime(10, 20, 30));
    const QString station = QStringLiteral("测点1");
    const ProfileRow row = LiveRecording::sampleRow(now, 0x81, -0.995f, 1500.005f, 0.125f, false, station);
    EXPECT_EQ(row.dt, now);
    EXPECT_EQ(row.depth, 0.13);       // half away from zero on the float's decimal value
    EXPECT_EQ(row.velocity, 1500.01);
    EXPECT_EQ(row.temp, -1.0);
    EXPECT_EQ(row.status, 0x81);
    EXPECT_FALSE(row.filtOk.has_value());

    struct Case { uint8_t status; bool first; std::optional<QString> discrip; } cases[] = {
        {0, true, station},
        {1, true, station},
        {1, false, QStringLiteral("低电")},
        {0x81, false, QStringLiteral("低电")},
        {0, false, std::nullopt},
        {2, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "status " << int(c.status) << " first " << c.first);
        EXPECT_EQ(LiveRecording::sampleRow(now, c.status, 18.5f, 1480.0f, 5.0f, c.first, station).discrip,
                  c.discrip);
    }
}

}  // namespace
