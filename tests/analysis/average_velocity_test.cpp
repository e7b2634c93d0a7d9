#include "analysis/AverageVelocity.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

constexpr std::size_t npos = AverageResult::npos;

TEST(AverageSoundVelocity, HarmonicMeanWithTheTravelTimeHeldAsFloat)
{
    const Series merged = {{0.5, 1500.0}, {1.0, 1500.0}, {2.0, 1480.0}, {3.0, 1520.0}};
    const float start = 0.8f;
    const AverageResult r = averageSoundVelocity(merged, start);

    const double D = start;
    const float t1 = static_cast<float>((1.0 - D) / 1500.0);
    const float t2 = static_cast<float>(t1 + 1.0 / 1480.0);
    const float t3 = static_cast<float>(t2 + 1.0 / 1520.0);
    EXPECT_EQ(r.first, 1u);
    EXPECT_EQ(r.stoppedAt, npos);
    ASSERT_TRUE(r.enoughData());
    ASSERT_EQ(r.points.size(), 2u);
    EXPECT_EQ(r.points[0], (SeriesPoint{2.0, (2.0 - D) / t2}));
    EXPECT_EQ(r.points[1], (SeriesPoint{3.0, (3.0 - D) / t3}));
    EXPECT_NEAR(r.points[0].y, 1483.3, 0.05);
    EXPECT_NEAR(r.points[1].y, 1499.8, 0.05);
    // A travel time kept in double gives another value: the float rounding is seen.
    EXPECT_NE(r.points[1].y, (3.0 - D) / ((1.0 - D) / 1500.0 + 1.0 / 1480.0 + 1.0 / 1520.0));
}

TEST(AverageSoundVelocity, StartsAtTheFirstPointStrictlyDeeper)
{
    const Series merged = {{0.5, 1500.0}, {0.8, 1500.0}, {1.0, 1500.0}, {2.0, 1480.0}, {3.0, 1520.0}};
    struct Case
    {
        const char* name;
        float start;
        std::size_t first;
        std::vector<double> depths;   // of the average points
    };
    const Case cases[] = {
        {"start on a point's depth", 1.0f, 3, {3.0}},
        {"start 0: the shallowest point", 0.0f, 0, {0.8, 1.0, 2.0, 3.0}},
        {"0.8 as float is deeper than the point at 0.8", 0.8f, 2, {2.0, 3.0}},
        {"above the profile", -5.0f, 0, {0.8, 1.0, 2.0, 3.0}},
        {"one point deeper: no average", 2.5f, 4, {}},
        {"nothing deeper", 3.0f, npos, {}},
        {"below the profile", 10.0f, npos, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AverageResult r = averageSoundVelocity(merged, c.start);
        EXPECT_EQ(r.first, c.first);
        EXPECT_EQ(r.enoughData(), !c.depths.empty());
        ASSERT_EQ(r.points.size(), c.depths.size());
        for (std::size_t i = 0; i < c.depths.size(); ++i)
            EXPECT_EQ(r.points[i].x, c.depths[i]);
    }
    EXPECT_FALSE(averageSoundVelocity({}, 0.0f).enoughData());
}

TEST(AverageSoundVelocity, StopsBeforeAnUnusableVelocity)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        const char* name;
        Series merged;
        std::size_t stoppedAt;
        std::size_t points;
    };
    const Case cases[] = {
        {"zero at the first deeper point", {{1.0, 0.0}, {2.0, 1500.0}, {3.0, 1500.0}}, 0, 0},
        {"zero at the second", {{1.0, 1500.0}, {2.0, 0.0}, {3.0, 1500.0}}, 1, 0},
        {"zero further down", {{1.0, 1500.0}, {2.0, 1500.0}, {3.0, 0.0}, {4.0, 1500.0}}, 2, 1},
        {"negative", {{1.0, 1500.0}, {2.0, 1500.0}, {3.0, -1500.0}}, 2, 1},
        {"empty velocity", {{1.0, 1500.0}, {2.0, 1500.0}, {3.0, nan}}, 2, 1},
        {"empty depth", {{1.0, 1500.0}, {2.0, 1500.0}, {nan, 1500.0}}, 2, 1},
        {"depths going back above the start", {{1.0, 1500.0}, {2.0, 1500.0}, {-5.0, 1500.0}}, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AverageResult r = averageSoundVelocity(c.merged, 0.0f);
        EXPECT_EQ(r.stoppedAt, c.stoppedAt);
        ASSERT_EQ(r.points.size(), c.points);
        for (const SeriesPoint& p : r.points)
            EXPECT_NEAR(p.y, 1500.0, 1e-3);
    }
}

} // namespace
