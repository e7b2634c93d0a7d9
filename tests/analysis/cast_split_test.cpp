#include "analysis/CastSplit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(TurningThreshold, IsTheDeepestMinusOneCentimetreAsFloat)
{
    struct Case { double deepest; double expected; };
    const Case cases[] = {
        {100.00, 99.98999786376953125},
        {50.00, 49.990001678466796875},
        {0.01, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<double>(turningThreshold(c.deepest)), c.expected) << c.deepest;
}

// Rows are told apart by their velocity 1500 + row and temperature 10 + row.
std::vector<ProfileSample> cast(const std::vector<double>& depths)
{
    std::vector<ProfileSample> rows;
    for (std::size_t i = 0; i < depths.size(); ++i)
        rows.push_back({depths[i], 1500.0 + static_cast<double>(i), 10.0 + static_cast<double>(i)});
    return rows;
}

void expectPart(const std::vector<double>& depths, const Series& sv, const Series& temp,
                const std::vector<std::size_t>& rows, const char* part)
{
    ASSERT_EQ(sv.size(), rows.size()) << part;
    ASSERT_EQ(temp.size(), rows.size()) << part;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const double depth = depths[rows[k]];
        EXPECT_EQ(sv[k], (SeriesPoint{depth, 1500.0 + static_cast<double>(rows[k])})) << part << " " << k;
        EXPECT_EQ(temp[k], (SeriesPoint{depth, 10.0 + static_cast<double>(rows[k])})) << part << " " << k;
    }
}

TEST(SplitCast, DividesAtTheFirstRowDeeperThanTheThreshold)
{
    struct Case
    {
        const char* name;
        std::vector<double> depths;
        std::vector<std::size_t> down;   // rows of the downward part, in depth order
        std::vector<std::size_t> up;
    };
    const Case cases[] = {
        {"99.99 below 100 is upward", {10.0, 99.99, 100.0, 30.0}, {0}, {3, 1, 2}},
        {"49.99 below 50 stays downward", {10.0, 49.99, 50.0, 30.0}, {0, 1}, {3, 2}},
        {"a depth equal to the threshold stays downward", {1.0, 10.0, 10.01, 5.0}, {0, 1}, {3, 2}},
        {"first row deepest", {5.0, 3.0, 1.0}, {}, {2, 1, 0}},
        {"all within 1 cm of the deepest go up", {1.0, 2.0, 9.995, 10.0, 9.992, 3.0}, {0, 1}, {5, 4, 2, 3}},
        {"later deeper rows stay upward", {1.0, 2.0, 10.0, 5.0, 7.0, 3.0}, {0, 1}, {5, 3, 4, 2}},
        {"parts sorted by depth", {1.0, 3.0, 2.0, 10.0, 4.0, 6.0}, {0, 2, 1}, {4, 5, 3}},
        {"equal depths keep table order", {2.0, 1.0, 2.0, 10.0, 4.0, 4.0}, {1, 0, 2}, {4, 5, 3}},
        {"single row", {7.0}, {}, {0}},
        {"no rows", {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CastParts parts = splitCast(cast(c.depths));
        expectPart(c.depths, parts.svDown, parts.tempDown, c.down, "down");
        expectPart(c.depths, parts.svUp, parts.tempUp, c.up, "up");
        EXPECT_EQ(parts.usedRows, c.depths.size());
    }
}

TEST(SplitCast, LeavesOutRowsWithAnEmptyOrNonFiniteField)
{
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<ProfileSample> rows = {
        {1.0, 1500.0, 10.0},
        {kNaN, 1501.0, 11.0},    // empty depth
        {2.0, kNaN, 12.0},       // empty velocity
        {500.0, 1503.0, kNaN},   // empty temperature: must not set the threshold
        {3.0, 1504.0, 14.0},
        {inf, 1505.0, 15.0},
        {8.0, 1506.0, 16.0},
        {4.0, 1507.0, 17.0},
    };
    const CastParts parts = splitCast(rows);
    EXPECT_EQ(parts.usedRows, 4u);
    EXPECT_FLOAT_EQ(parts.threshold, 7.99f);
    EXPECT_EQ(parts.svDown, (Series{{1.0, 1500.0}, {3.0, 1504.0}}));
    EXPECT_EQ(parts.svUp, (Series{{4.0, 1507.0}, {8.0, 1506.0}}));
    EXPECT_EQ(parts.tempUp, (Series{{4.0, 17.0}, {8.0, 16.0}}));
}

TEST(SeriesPoint, AddSortedPlacesAfterEqualDepthsAndSortMatchesIt)
{
    const Series added = {{3.0, 1.0}, {1.0, 2.0}, {3.0, 3.0}, {2.0, 4.0}, {1.0, 5.0}, {kNaN, 6.0}, {3.0, 7.0}};
    Series inserted;
    for (const SeriesPoint& p : added)
        addSorted(inserted, p);
    std::vector<double> ys;
    for (const SeriesPoint& p : inserted)
        ys.push_back(p.y);
    EXPECT_EQ(ys, (std::vector<double>{2.0, 5.0, 4.0, 1.0, 3.0, 7.0, 6.0}));

    Series sorted = added;
    sortByX(sorted);
    ASSERT_EQ(sorted.size(), inserted.size());
    for (std::size_t i = 0; i < sorted.size(); ++i)
        EXPECT_EQ(sorted[i].y, inserted[i].y) << i;

    // Negative depths, and -0 equal to +0 so table order holds between them.
    Series mixed = {{1.0, 1.0}, {-2.0, 2.0}, {-0.0, 3.0}, {0.0, 4.0}, {-0.0, 5.0}, {-3.0, 6.0}};
    sortByX(mixed);
    std::vector<double> order;
    for (const SeriesPoint& p : mixed)
        order.push_back(p.y);
    EXPECT_EQ(order, (std::vector<double>{6.0, 2.0, 3.0, 4.0, 5.0, 1.0}));
}

} // namespace
