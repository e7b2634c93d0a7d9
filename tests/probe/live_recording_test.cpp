#include "probe/LiveRecording.h"
#include "probe/MsClock.h"
#include <gtest/gtest.h>
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
        // Descent at 0.5 m: the first eligible frame, then just beyond 0.96, 1.46, 1.96.
        {0.5f,
         {{0.05f, false}, {0.1f, true}, {0.5f, false}, {0.95f, false}, {0.96f, false},
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
        // A jump over several levels moves the mark to the first level past the depth.
        {0.5f, {{0.2f, true}, {3.2f, true}, {3.4f, false}, {1.4f, true}}, 1.0f},
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
