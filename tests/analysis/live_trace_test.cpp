#include "analysis/LiveTrace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

std::size_t breaks(const Series& points)
{
    return std::size_t(std::count_if(points.begin(), points.end(), [](const SeriesPoint& p) { return std::isnan(p.y); }));
}

// Ten minutes at 96 frames a second (ten a tick, all at the tick's time as
// the window times them), two-minute window: the trace holds one bucket a
// column, at most four points each, and the extremes of what it keeps.
TEST(LiveTrace, HoldsFourPointsAColumnAtAnyRate)
{
    LiveTrace trace;
    const double window = 120000, width = window / 600;
    trace.setBucketWidth(width);
    std::vector<SeriesPoint> raw;
    double t = 0;
    for (int tick = 0; tick < 6000; ++tick) {
        t += 100;
        for (int f = 0; f < 10; ++f) {
            const double v = 1500 + 10 * std::sin(t / 7000.0) + (f % 3) * 0.1;
            trace.append(t, v);
            raw.push_back({t, v});
        }
        trace.dropBefore(t - window);
    }
    EXPECT_LE(trace.bucketCount(), std::size_t(window / width) + 1);
    Series points;
    trace.points(&points);
    EXPECT_LE(points.size(), 4 * trace.bucketCount());
    EXPECT_EQ(breaks(points), 0u);
    EXPECT_TRUE(std::is_sorted(points.begin(), points.end(),
                               [](const SeriesPoint& a, const SeriesPoint& b) { return a.x < b.x; }));
    // Every raw point of the window lies within what the trace draws there.
    double lo, hi;
    ASSERT_TRUE(trace.valueRange(&lo, &hi));
    double rawLo = 1e9, rawHi = -1e9;
    for (const SeriesPoint& p : raw)
        if (p.x >= points.front().x) {
            rawLo = std::min(rawLo, p.y);
            rawHi = std::max(rawHi, p.y);
        }
    EXPECT_EQ(lo, rawLo);
    EXPECT_EQ(hi, rawHi);
    EXPECT_GE(points.front().x, t - window - width);
}

TEST(LiveTrace, ANewSegmentIsNeverJoinedToTheLast)
{
    LiveTrace trace;
    for (int i = 0; i < 50; ++i)
        trace.append(1000.0 + i * 100, 1500.0 + i);
    trace.startSegment();
    // The next power-on, 20 s later, in the same bucket width.
    for (int i = 0; i < 50; ++i)
        trace.append(30000.0 + i * 100, 1400.0 - i);
    Series points;
    trace.points(&points);
    ASSERT_EQ(breaks(points), 1u);
    const auto cut = std::find_if(points.begin(), points.end(), [](const SeriesPoint& p) { return std::isnan(p.y); });
    EXPECT_EQ((cut - 1)->y, 1549.0);
    EXPECT_EQ((cut + 1)->y, 1400.0);
    EXPECT_GT(cut->x, (cut - 1)->x);
    EXPECT_LT(cut->x, (cut + 1)->x);

    // A new segment that starts within the bucket of the last point is still apart.
    trace.startSegment();
    trace.append(points.back().x + 1, 1600.0);
    trace.points(&points);
    EXPECT_EQ(breaks(points), 2u);

    // Wider buckets keep the breaks and the extremes.
    trace.setBucketWidth(1000);
    Series wide;
    trace.points(&wide);
    EXPECT_EQ(breaks(wide), 2u);
    double lo, hi;
    ASSERT_TRUE(trace.valueRange(&lo, &hi));
    EXPECT_EQ(lo, 1351.0);
    EXPECT_EQ(hi, 1600.0);

    // Old points go; a clock set back drops what is held.
    trace.dropBefore(30000.0);
    trace.points(&points);
    EXPECT_GE(points.front().x, 29000.0);
    trace.append(10.0, 1500.0);
    trace.points(&points);
    EXPECT_EQ(points, (Series{{10.0, 1500.0}}));
}

}  // namespace
