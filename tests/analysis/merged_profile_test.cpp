#include "analysis/MergedProfile.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Downward velocity 1500 + depth, temperature 20 - depth; upward 1600 + depth and
// 30 - depth: every merged point shows where it came from.
CastParts parts(const std::vector<double>& down, const std::vector<double>& up)
{
    CastParts p;
    for (double d : down) {
        p.svDown.push_back({d, 1500.0 + d});
        p.tempDown.push_back({d, 20.0 - d});
    }
    for (double u : up) {
        p.svUp.push_back({u, 1600.0 + u});
        p.tempUp.push_back({u, 30.0 - u});
    }
    p.usedRows = down.size() + up.size();
    return p;
}

TEST(MergeParts, AveragesPointsCloserThanOneMetre)
{
    struct Expected { double depth; char from; };   // 'D'own, 'U'p or 'A'veraged
    struct Case
    {
        const char* name;
        std::vector<double> down, up;
        std::vector<Expected> merged;
    };
    const Case cases[] = {
        {"0.99 m averaged", {12.34, 20.0, 25.0}, {13.33, 30.0, 40.0},
         {{(12.34 + 13.33) * 0.5, 'A'}, {13.33, 'U'}, {20.0, 'D'}, {25.0, 'D'}, {30.0, 'U'}, {40.0, 'U'}}},
        {"1.00 m not averaged", {12.34, 20.0, 25.0}, {13.34, 30.0, 40.0},
         {{12.34, 'D'}, {13.34, 'U'}, {20.0, 'D'}, {25.0, 'D'}, {30.0, 'U'}, {40.0, 'U'}}},
        {"upward shallower, 0.99 m", {13.33, 30.0, 40.0}, {12.34, 20.0, 25.0},
         {{(13.33 + 12.34) * 0.5, 'A'}, {13.33, 'D'}, {20.0, 'U'}, {25.0, 'U'}, {30.0, 'D'}, {40.0, 'D'}}},
        {"one point averaged with several", {10.0, 10.3, 10.6}, {10.5, 30.0, 40.0},
         {{10.25, 'A'}, {10.4, 'A'}, {10.55, 'A'}, {10.6, 'D'}, {30.0, 'U'}, {40.0, 'U'}}},
        {"equal depths use up the upward point", {5.0, 6.0, 7.0}, {5.0, 6.0, 7.0},
         {{5.0, 'A'}, {5.0, 'D'}, {6.0, 'A'}, {6.0, 'D'}, {7.0, 'A'}, {7.0, 'D'}}},
        {"remaining downward points last", {1.0, 50.0, 60.0}, {2.0, 3.0, 4.0},
         {{1.0, 'D'}, {2.0, 'U'}, {3.0, 'U'}, {4.0, 'U'}, {50.0, 'D'}, {60.0, 'D'}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Series sv, temp;
        mergeParts(parts(c.down, c.up), &sv, &temp);
        ASSERT_EQ(sv.size(), c.merged.size());
        ASSERT_EQ(temp.size(), c.merged.size());
        for (std::size_t i = 0; i < sv.size(); ++i) {
            const double x = c.merged[i].depth;
            const double offset = c.merged[i].from == 'D' ? 0.0 : c.merged[i].from == 'U' ? 100.0 : 50.0;
            EXPECT_NEAR(sv[i].x, x, 1e-9) << i;
            EXPECT_NEAR(sv[i].y, 1500.0 + offset + x, 1e-9) << i;
            EXPECT_EQ(temp[i].x, sv[i].x) << i;
            EXPECT_NEAR(temp[i].y, 20.0 + offset / 10.0 - x, 1e-9) << i;
        }
    }
}

TEST(BuildMergedProfile, RefusesFewerThanThreePointsAndLeavesTheSeries)
{
    struct Case { const char* name; CastParts parts; bool built; };
    CastParts fewRows = parts({1.0, 2.0, 3.0}, {4.0, 5.0, 6.0});
    fewRows.usedRows = 2;
    const Case cases[] = {
        {"three and three", parts({1.0, 2.0, 3.0}, {6.0, 5.0, 4.0}), true},
        {"two downward", parts({1.0, 2.0}, {3.0, 4.0, 5.0}), false},
        {"two upward", parts({1.0, 2.0, 3.0}, {4.0, 5.0}), false},
        {"no downward part", parts({}, {1.0, 2.0, 3.0, 4.0}), false},
        {"table-bound series short", fewRows, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Series before = {{-1.0, -1.0}};
        Series sv = before, temp = before;
        EXPECT_EQ(buildMergedProfile(c.parts, &sv, &temp), c.built);
        if (c.built) {
            EXPECT_EQ(sv.size(), 6u);
            EXPECT_EQ(temp.size(), 6u);
        } else {
            EXPECT_EQ(sv, before);
            EXPECT_EQ(temp, before);
        }
    }
}

TEST(ApplyFirstPointRule, MovesTheFirstPointHalfWayToTheSecond)
{
    Series s = {{1.0, 1500.0}, {3.0, 1510.0}, {4.0, 1490.0}};
    applyFirstPointRule(s);
    EXPECT_EQ(s, (Series{{2.0, 1505.0}, {3.0, 1510.0}, {4.0, 1490.0}}));
}

// Values that a 32-bit float cannot hold, so the narrowing of prev and cur shows,
// and whose result differs in the last bit with a double third.
TEST(SmoothOnce, NarrowsVisitedValuesToFloatAndWeightsByAnExtendedThird)
{
    const double v0 = 1549.718481, v1 = 1543.255736, v2 = 1462.812445, v3 = 1549.904052;
    Series s = {{v0, v0}, {v1, v1}, {v2, v2}, {v3, v3}};
    smoothOnce(s, s.size());

    const long double t = 1.0L / 3.0L;
    auto f = [](double v) { return static_cast<long double>(static_cast<float>(v)); };
    const double f1 = static_cast<double>(v2 * t + (f(v0) * t + f(v1) * t));
    const double f2 = static_cast<double>(v3 * t + (f(v1) * t + f(v2) * t));
    const double b2 = static_cast<double>(f1 * t + (f(v3) * t + f(f2) * t));
    const double b1 = static_cast<double>(v0 * t + (f(f2) * t + f(f1) * t));
    for (const SeriesPoint& p : s)
        EXPECT_EQ(p.x, p.y);
    EXPECT_EQ(s[0].x, v0);
    EXPECT_EQ(s[1].x, b1);
    EXPECT_EQ(s[2].x, b2);
    EXPECT_EQ(s[3].x, v3);
    // The same average at full precision lands elsewhere: the narrowing is seen.
    const double w1 = (v0 + v1 + v2) / 3.0, w2 = (v1 + v2 + v3) / 3.0;
    EXPECT_NE(s[1].x, (v0 + w1 + w2) / 3.0);
}

TEST(SmoothOnce, AveragesValuesFromBeforeEachPass)
{
    // Forward gives 0 3 3 3 0 from the old values, backward 0 2 3 2 0 from those.
    Series s = {{0.0, 0.0}, {1.0, 0.0}, {2.0, 9.0}, {3.0, 0.0}, {4.0, 0.0}};
    smoothOnce(s, s.size());
    const double expected[] = {0.0, 2.0, 3.0, 2.0, 0.0};
    for (std::size_t i = 0; i < s.size(); ++i) {
        EXPECT_DOUBLE_EQ(s[i].y, expected[i]) << i;
        EXPECT_DOUBLE_EQ(s[i].x, static_cast<double>(i)) << i;   // evenly spaced depths stay
    }
}

// Five times forward and backward is ten plain three-point averages.
TEST(BuildMergedProfile, SmoothsFiveTimesAndKeepsBothEnds)
{
    const CastParts p = [] {
        CastParts c;
        const double down[] = {1.0, 3.0, 5.0, 7.0, 9.0, 11.0};
        const double up[] = {13.0, 15.0, 17.0, 19.0};
        const double spike[] = {1500, 1500, 1500, 1560, 1500, 1500, 1500, 1500, 1500, 1500};
        int k = 0;
        for (double d : down) {
            c.svDown.push_back({d, spike[k]});
            c.tempDown.push_back({d, 10.0 + spike[k++] / 100.0});
        }
        for (double u : up) {
            c.svUp.push_back({u, spike[k]});
            c.tempUp.push_back({u, 10.0 + spike[k++] / 100.0});
        }
        c.usedRows = 10;
        return c;
    }();
    Series merged, mergedTemp;
    mergeParts(p, &merged, &mergedTemp);

    Series sv, temp;
    ASSERT_TRUE(buildMergedProfile(p, &sv, &temp));
    ASSERT_EQ(sv.size(), 10u);
    ASSERT_EQ(temp.size(), 10u);

    auto reference = [](const Series& series, double SeriesPoint::*value) {
        std::vector<double> r;
        for (const SeriesPoint& m : series)
            r.push_back(m.*value);
        r[0] = r[0] * 0.5 + r[1] * 0.5;
        for (int pass = 0; pass < 10; ++pass) {
            const std::vector<double> old = r;
            for (std::size_t j = 1; j + 1 < r.size(); ++j)
                r[j] = (old[j - 1] + old[j] + old[j + 1]) / 3.0;
        }
        return r;
    };
    const std::vector<double> depth = reference(merged, &SeriesPoint::x);
    const std::vector<double> velocity = reference(merged, &SeriesPoint::y);
    const std::vector<double> temperature = reference(mergedTemp, &SeriesPoint::y);
    for (std::size_t i = 0; i < sv.size(); ++i) {
        EXPECT_NEAR(sv[i].x, depth[i], 1e-5) << i;
        EXPECT_NEAR(sv[i].y, velocity[i], 1e-3) << i;
        EXPECT_EQ(temp[i].x, sv[i].x) << i;
        EXPECT_NEAR(temp[i].y, temperature[i], 1e-5) << i;
    }
    EXPECT_EQ(sv[0].x, 2.0);
    EXPECT_EQ(sv[9], merged[9]);
    EXPECT_EQ(temp[9], mergedTemp[9]);
}

} // namespace
