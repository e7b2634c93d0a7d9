// The profile survey formats carry: from a raw cast through the chart's merge
// and smoothing to strictly increasing depths, thinned within the tolerance.
#include "analysis/CastSplit.h"
#include "analysis/MergedProfile.h"
#include "analysis/SurveyProfile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

// A surface layer, a sharp thermocline at 8..12 m and a slow rise below it.
double velocityModel(double d)
{
    if (d < 8.0)
        return 1512.0 - 0.05 * d;
    if (d < 12.0)
        return 1511.6 - 2.5 * (d - 8.0);
    return 1501.6 + 0.017 * (d - 12.0) + 0.3 * std::sin(d);
}

ProfileSample sample(double depth, double velocityOffset = 0.0)
{
    return {depth, velocityModel(depth) + velocityOffset, 25.0 - 0.5 * depth};
}

// Rows in table order, as the recording stores them.
using Cast = std::vector<ProfileSample>;

void down(Cast& c, double from, double to, double step, const std::function<double(int)>& heave = {})
{
    int i = 0;
    for (double d = from; d <= to + 1e-9; d += step, ++i)
        c.push_back(sample(d + (heave ? heave(i) : 0.0)));
}

void up(Cast& c, double from, double to, double step)
{
    for (double d = from; d >= to - 1e-9; d -= step)
        c.push_back(sample(d, 0.08));   // the upcast reads a little faster, as it does in the field
}

Cast soakAboveTheSurface()
{
    Cast c;
    for (int i = 0; i < 40; ++i)
        c.push_back(sample(-0.3 + 0.01 * (i % 7)));   // held at the surface, the sensor above zero
    down(c, 0.0, 20.0, 0.05);
    up(c, 19.97, 0.0, 0.05);
    return c;
}

Cast heaveReversals()
{
    Cast c;
    down(c, 0.2, 25.0, 0.02, [](int i) { return 0.4 * std::sin(i * 0.7); });   // the ship rolls the probe up and down
    up(c, 24.9, 0.3, 0.1);
    return c;
}

Cast equalDepths()
{
    Cast c;
    for (int k = 1; k <= 40; ++k)
        for (int r = 0; r < 6; ++r)   // the probe paused at every half metre
            c.push_back(sample(k * 0.5));
    up(c, 20.0, 0.5, 0.5);           // the upcast at the very same depths
    return c;
}

Cast upcastDeeperThanTheDowncast()
{
    Cast c;
    down(c, 0.5, 18.0, 0.25);
    up(c, 20.0, 1.0, 0.25);   // the last metres fell fast: the upcast starts 2 m below the deepest down sample
    return c;
}

// The thinned profile as survey software reads it: linear between its points.
double velocityAt(const std::vector<SurveyPoint>& p, double depth)
{
    for (std::size_t i = 1; i < p.size(); ++i)
        if (depth <= p[i].depth)
            return p[i - 1].velocity
                   + (p[i].velocity - p[i - 1].velocity) * (depth - p[i - 1].depth) / (p[i].depth - p[i - 1].depth);
    return p.back().velocity;
}

}  // namespace

TEST(SurveyProfile, StrictlyIncreasingAndWithinTheTolerance)
{
    struct Case
    {
        const char* name;
        Cast cast;
        SurveyLimits limits;
    };
    const SurveyLimits hypack{0.1, kSurveyTolerance, kNoPointLimit};
    const SurveyLimits fewPoints{0.01, kSurveyTolerance, 6};
    const Case cases[] = {
        {"soak with negative depths", soakAboveTheSurface(), {}},
        {"heave reversals", heaveReversals(), {}},
        {"heave reversals at 0.1 m", heaveReversals(), hypack},
        {"equal depths", equalDepths(), {}},
        {"upcast deeper than the downcast", upcastDeeperThanTheDowncast(), {}},
        {"more points needed than the format takes", heaveReversals(), fewPoints},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Series sv, temp;
        ASSERT_TRUE(buildMergedProfile(splitCast(c.cast), &sv, &temp));
        const SurveyProfile out = surveyProfile(sv, temp, c.limits);
        const std::vector<SurveyPoint> monotonic = monotonicProfile(surveyPoints(sv, temp), c.limits.depthStep);
        ASSERT_GE(out.points.size(), 2u);
        EXPECT_EQ(out.monotonicCount, monotonic.size());
        EXPECT_LT(out.points.size(), monotonic.size());   // every one of these casts thins
        EXPECT_LE(out.points.size(), c.limits.maxPoints);
        EXPECT_GE(out.points.front().depth, 0.0);
        for (std::size_t i = 1; i < out.points.size(); ++i) {
            EXPECT_GT(out.points[i].depth, out.points[i - 1].depth) << i;
            // Depths sit on the format's grid, so they print strictly increasing too.
            const double cells = out.points[i].depth / c.limits.depthStep;
            EXPECT_NEAR(cells, std::round(cells), 1e-6) << i;
        }
        const bool limited = c.limits.maxPoints != kNoPointLimit;
        if (limited) {
            EXPECT_EQ(out.points.size(), c.limits.maxPoints);
        } else {
            EXPECT_LE(out.maxDeviation, kSurveyTolerance);
        }
        // Every point left out lies within the gap reported, and that within the tolerance unless limited.
        double worst = 0.0;
        for (const SurveyPoint& p : monotonic)
            worst = std::max(worst, std::fabs(p.velocity - velocityAt(out.points, p.depth)));
        EXPECT_NEAR(worst, out.maxDeviation, 1e-9);
        if (limited) {
            EXPECT_GT(worst, kSurveyTolerance);   // the shape needed more than the format takes
        }
    }
}

TEST(SurveyProfile, MonotonicProfileAveragesEachDepthCell)
{
    const double nan = std::nan("");
    const std::vector<SurveyPoint> in = {
        {2.004, 1500.0, 10.0}, {-0.02, 1490.0, 11.0}, {1.0, 1480.0, 12.0}, {1.996, 1502.0, nan},
        {nan, 1500.0, 10.0},   {3.0, nan, 10.0},      {3.0, 0.0, 10.0},   {0.004, 1470.0, nan},
    };
    const std::vector<SurveyPoint> out = monotonicProfile(in, 0.01);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].depth, 0.0);   // 0.004 m: the surface cell; -0.02 m is above the water
    EXPECT_TRUE(std::isnan(out[0].temperature));
    EXPECT_EQ(out[1].depth, 1.0);
    EXPECT_EQ(out[2].depth, 2.0);   // 1.996 and 2.004 share a cell
    EXPECT_DOUBLE_EQ(out[2].velocity, 1501.0);
    EXPECT_DOUBLE_EQ(out[2].temperature, 10.0);   // a missing temperature is not averaged in
}

TEST(SurveyProfile, ThinningKeepsWhatTheShapeNeeds)
{
    struct Case
    {
        const char* name;
        std::vector<SurveyPoint> in;
        std::vector<double> keptDepths;
    };
    auto line = [](std::vector<double> depths, const std::function<double(double)>& v) {
        std::vector<SurveyPoint> p;
        for (double d : depths)
            p.push_back({d, v(d), 10.0});
        return p;
    };
    const Case cases[] = {
        {"a straight line keeps its ends", line({0, 1, 2, 3, 4, 5}, [](double d) { return 1500 + 0.3 * d; }),
         {0, 5}},
        {"a kink is kept", line({0, 1, 2, 3, 4, 5}, [](double d) { return d < 3 ? 1500.0 : 1500 - 2 * (d - 3); }),
         {0, 3, 5}},
        {"wobbles within the tolerance go", line({0, 1, 2, 3, 4}, [](double d) { return 1500 + 0.04 * std::fmod(d, 2.0); }),
         {0, 4}},
        {"two points stay two", line({0, 1}, [](double) { return 1500.0; }), {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double gap = -1;
        const std::vector<SurveyPoint> out = thinProfile(c.in, kSurveyTolerance, kNoPointLimit, &gap);
        std::vector<double> depths;
        for (const SurveyPoint& p : out)
            depths.push_back(p.depth);
        EXPECT_EQ(depths, c.keptDepths);
        EXPECT_LE(gap, kSurveyTolerance);
        EXPECT_GE(gap, 0.0);
    }
}
