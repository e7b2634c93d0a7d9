#include "analysis/Decimation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

bool usable(const SeriesPoint& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// What a line through every usable point of [lo, hi] shows in each column: the
// first and last point and the lowest and highest value, found the slow way.
struct Column
{
    bool any = false;
    SeriesPoint first{}, last{};
    double low = 0, high = 0;
};

// Checks that `drawn` draws `s` over [lo, hi] on `columns` columns as every
// point would: points of the series in its order, per column the same first
// and last point and the same extremes, at most four points a column, and the
// nearest usable point beyond each end.
void expectSamePicture(const Series& s, double lo, double hi, int columns, const Series& drawn)
{
    std::vector<double> edges;   // inner column edges, as the decimator blends them
    for (int c = 1; c < columns; ++c) {
        const double t = double(c) / columns;
        edges.push_back(lo * (1 - t) + hi * t);
    }
    auto columnOf = [&](double x) { return int(std::upper_bound(edges.begin(), edges.end(), x) - edges.begin()); };
    std::vector<Column> expected(std::size_t(columns), Column{});
    std::size_t inRange = 0;
    const SeriesPoint* before = nullptr;
    const SeriesPoint* after = nullptr;
    for (const SeriesPoint& p : s) {
        if (!usable(p))
            continue;
        if (p.x < lo) {
            before = &p;
            continue;
        }
        if (p.x > hi) {
            if (!after)
                after = &p;
            continue;
        }
        ++inRange;
        Column& c = expected[std::size_t(columnOf(p.x))];
        if (!c.any) {
            c.first = p;
            c.low = c.high = p.y;
            c.any = true;
        }
        c.last = p;
        c.low = std::min(c.low, p.y);
        c.high = std::max(c.high, p.y);
    }

    // A subsequence of the series.
    std::size_t at = 0;
    for (const SeriesPoint& p : drawn) {
        while (at < s.size() && !(s[at] == p))
            ++at;
        ASSERT_LT(at, s.size()) << "a drawn point not in the series, or out of order: " << p.x << "," << p.y;
        ++at;
    }
    std::size_t k = 0;
    if (before) {
        ASSERT_FALSE(drawn.empty());
        EXPECT_EQ(drawn.front(), *before);
        k = 1;
    }
    std::size_t end = drawn.size();
    if (after) {
        ASSERT_GT(end, k);
        EXPECT_EQ(drawn.back(), *after);
        --end;
    }
    // Few points are all drawn; many at most four a column.
    if (inRange <= 4 * std::size_t(columns)) {
        EXPECT_EQ(end - k, inRange);
    }
    std::vector<Column> got(std::size_t(columns), Column{});
    std::vector<int> counts(std::size_t(columns), 0);
    for (; k < end; ++k) {
        const SeriesPoint& p = drawn[k];
        ASSERT_TRUE(usable(p) && p.x >= lo && p.x <= hi) << p.x;
        const int ci = columnOf(p.x);
        Column& c = got[std::size_t(ci)];
        ++counts[std::size_t(ci)];
        if (!c.any) {
            c.first = p;
            c.low = c.high = p.y;
            c.any = true;
        }
        c.last = p;
        c.low = std::min(c.low, p.y);
        c.high = std::max(c.high, p.y);
    }
    for (int c = 0; c < columns; ++c) {
        const Column& e = expected[std::size_t(c)];
        const Column& g = got[std::size_t(c)];
        ASSERT_EQ(g.any, e.any) << "column " << c;
        if (!e.any)
            continue;
        EXPECT_EQ(g.first, e.first) << "column " << c;
        EXPECT_EQ(g.last, e.last) << "column " << c;
        EXPECT_EQ(g.low, e.low) << "column " << c;
        EXPECT_EQ(g.high, e.high) << "column " << c;
        if (inRange > 4 * std::size_t(columns)) {
            EXPECT_LE(counts[std::size_t(c)], 4) << "column " << c;
        }
    }
}

// A cast's curve: sorted depths with repeats, values with ties (two decimals).
Series randomCurve(std::size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> step(0.0, 0.02), noise(-0.5, 0.5);
    Series s;
    double x = 0, y = 1500;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % 5 != 0)
            x += step(rng);
        y += noise(rng);
        s.push_back({x, std::round(y * 100) / 100});
    }
    return s;
}

TEST(SeriesDecimator, DrawsTheSamePictureAsEveryPoint)
{
    const Series s = randomCurve(100000, 7);
    const SeriesDecimator d(&s);
    const double xMax = s.back().x;
    struct Case { double lo, hi; int columns; };
    const Case cases[] = {
        {0, xMax, 800},                       // the whole cast
        {0, xMax, 1},
        {0, xMax, 7},
        {xMax * 0.3, xMax * 0.31, 800},       // zoomed in: fewer points than columns
        {xMax * 0.25, xMax * 0.75, 640},      // zoomed: both ends cut the curve
        {s[500].x, s[500].x, 10},             // one depth
        {-50, -10, 100},                      // before the curve
        {xMax + 1, xMax + 5, 100},            // after it
        {-1e30, 1e30, 800},                   // absurd ranges
        {-1.7e308, 1.7e308, 800},             // whose width overflows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "[" << c.lo << ", " << c.hi << "] on " << c.columns);
        Series drawn;
        d.decimate(c.lo, c.hi, c.columns, &drawn);
        expectSamePicture(s, c.lo, c.hi, c.columns, drawn);
        EXPECT_LE(drawn.size(), std::size_t(4 * c.columns + 2));
    }
}

TEST(SeriesDecimator, LeavesOutWhatIsNotFinite)
{
    Series s = randomCurve(20000, 3);
    for (std::size_t i = 0; i < s.size(); i += 97)
        s[i].y = kNaN;
    for (std::size_t i = 50; i < s.size(); i += 1013)
        s[i].y = i % 2 ? kInf : -kInf;
    s.insert(s.begin(), {-kInf, 1500});
    s.push_back({kInf, 1500});
    s.push_back({kNaN, 1500});
    s.push_back({kNaN, kNaN});
    const SeriesDecimator d(&s);
    double xLo, xHi, yLo, yHi;
    ASSERT_TRUE(d.bounds(&xLo, &xHi, &yLo, &yHi));
    EXPECT_TRUE(std::isfinite(xLo) && std::isfinite(xHi) && std::isfinite(yLo) && std::isfinite(yHi));
    for (int columns : {1, 300, 5000}) {
        Series drawn;
        d.decimate(xLo, xHi, columns, &drawn);
        expectSamePicture(s, xLo, xHi, columns, drawn);
        EXPECT_TRUE(std::all_of(drawn.begin(), drawn.end(), usable));
    }
    // A range that is no range draws nothing.
    Series drawn{{1, 1}};
    for (double bad : {kNaN, kInf}) {
        d.decimate(bad, xHi, 100, &drawn);
        EXPECT_TRUE(drawn.empty());
    }
    d.decimate(xHi, xLo, 100, &drawn);
    EXPECT_TRUE(drawn.empty());

    const Series nothing{{kNaN, 1}, {1, kNaN}};
    const SeriesDecimator none(&nothing);
    EXPECT_FALSE(none.bounds(&xLo, &xHi, &yLo, &yHi));
    none.decimate(0, 10, 100, &drawn);
    EXPECT_TRUE(drawn.empty());
}

}  // namespace
