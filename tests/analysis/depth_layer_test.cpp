#include "analysis/DepthLayer.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(DepthLayerOrigin, RoundsToHalfAMetreTruncatingTowardZero)
{
    struct Case { float first; float origin; };
    const Case cases[] = {
        {2.74f, 2.5f}, {2.75f, 3.0f}, {2.25f, 2.5f}, {0.3f, 0.5f}, {0.0f, 0.0f},
        {-0.3f, 0.0f}, {-0.8f, -0.5f}, {-1.3f, -1.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(depthLayerOrigin(c.first), c.origin) << c.first;
}

TEST(MarkDepthLayers, MarksOneRowPerLayer)
{
    struct Case
    {
        const char* name;
        float thickness;
        std::vector<double> depths;
        std::vector<bool> marks;
        std::size_t revisits;
    };
    const bool T = true, F = false;
    const Case cases[] = {
        {"nearer to the boundary wins", 0.5f, {0.3, 0.7, 1.1, 1.3, 1.9, 2.2}, {T, F, T, T, T, F}, 2},
        {"tie marks the crossing row", 0.5f, {0.0, 0.25, 0.75}, {T, F, T}, 0},
        {"previous row nearer", 0.5f, {0.0, 0.25, 0.8}, {T, T, F}, 1},
        {"after a marked crossing the next crossing is marked", 0.5f, {0.0, 0.2, 0.6, 1.45}, {T, F, T, T}, 0},
        {"a row on the boundary moves R up to it", 0.5f, {0.0, 0.5, 0.8}, {T, T, F}, 0},
        {"several layers in one jump: one mark, R moves to 3.0", 0.5f, {0.0, 0.2, 3.1, 3.3, 3.6},
         {T, T, F, F, T}, 1},
        {"way up: R moves to 4.5", 0.5f, {5.0, 4.8, 4.4, 4.1, 3.95}, {T, F, T, F, T}, 0},
        {"no previous candidate beats a 2 km jump", 0.5f, {0.0, 2000.0, 2000.2}, {T, F, F}, 1},
        {"thick layer", 2.0f, {0.0, 1.0, 1.9, 2.5, 3.9, 4.2}, {T, F, T, F, T, F}, 2},
        {"one row", 0.5f, {12.0}, {T}, 0},
        {"no rows", 0.5f, {}, {}, 0},
        {"empty depth passed over", 0.5f, {0.3, kNaN, 0.7, 1.1}, {T, F, F, T}, 0},
        {"empty depth is never the previous row", 0.5f, {0.0, 0.2, kNaN, 3.1}, {T, T, F, F}, 1},
        {"empty first depth: origin from the next row", 0.5f, {kNaN, 0.3, 0.7, 1.1}, {T, T, F, T}, 0},
        {"no depth at all: only the first row", 0.5f, {kNaN, kNaN}, {T, F}, 0},
        {"no thickness thins nothing", 0.0f, {0.0, 0.1, 0.2}, {T, T, T}, 0},
        {"negative thickness thins nothing", -0.5f, {0.0, 0.1}, {T, T}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DepthLayerPass pass = runDepthLayerPass(c.depths, c.thickness);
        EXPECT_EQ(pass.marks, c.marks);
        EXPECT_EQ(pass.revisits, c.revisits);
        EXPECT_EQ(markDepthLayers(c.depths, c.thickness), c.marks);
    }
}

TEST(MarkDepthLayers, WildDepthsEndTheWalk)
{
    const std::vector<double> depths = {0.0, 1e30, -1e30, 5.0, 3e38, 1e300, -3e38, 0.5, 8e6, 8e6 + 0.5};
    const std::vector<bool> marks = markDepthLayers(depths, 0.5f);
    ASSERT_EQ(marks.size(), depths.size());
    EXPECT_TRUE(marks[0]);
    EXPECT_FALSE(marks[5]);   // beyond float range: passed over
}

} // namespace
