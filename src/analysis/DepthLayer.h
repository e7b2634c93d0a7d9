#pragma once
#include <cstddef>
#include <vector>

// Depth-layer thinning of a profile: one row per layer of the given thickness, on a
// grid that starts at the first depth rounded to half a metre. Standard C++ only,
// so the pass can be run and tested without the table.

// The grid origin for a first depth: trunc(2 * d0 + 0.5) / 2, truncating toward
// zero (2.74 -> 2.5, 2.75 -> 3.0, -0.3 -> 0.0).
float depthLayerOrigin(float firstDepth);

struct DepthLayerPass
{
    std::vector<bool> marks;     // per row, table order: true = the row stands for its layer
    std::size_t revisits = 0;    // crossings that marked the row before and examined the crossing row again
};

// depthsInTableOrder: fnDepth of every row in table order; an empty field is NaN.
// Row 0 is always marked (it carries the profile's description and kind). Rows whose
// depth is empty or not finite as a 32-bit float are passed over: never marked and
// not taken as the previous row. A thickness that is not a positive number thins
// nothing: every row is marked.
DepthLayerPass runDepthLayerPass(const std::vector<double>& depthsInTableOrder, float layerThickness);

// The marks of runDepthLayerPass.
std::vector<bool> markDepthLayers(const std::vector<double>& depthsInTableOrder, float layerThickness);
