#pragma once
#include "analysis/SeriesPoint.h"

#include <cstddef>
#include <vector>

// One row of a raw cast as the chart reads it. An empty table field is passed as NaN.
struct ProfileSample
{
    double depth;        // m
    double velocity;     // m/s
    double temperature;  // degC
};

// A raw cast divided at its turning point; every series is sorted by depth.
struct CastParts
{
    Series svDown, tempDown;   // probe going down
    Series svUp, tempUp;       // probe coming up
    std::size_t usedRows = 0;  // rows drawn: the table-bound series' point count
    float threshold = 0.0f;    // turning threshold of the cast
};

// The greatest depth minus 1 cm, held as a 32-bit float:
// 100.00 gives 99.98999786..., 50.00 gives 49.99000167...
float turningThreshold(double maxDepth);

// Splits the rows, in table order, into the leading run at most the threshold deep
// and everything from the first deeper row on. A row whose depth, velocity or
// temperature is empty or not finite is left out (it has no point to draw).
CastParts splitCast(const std::vector<ProfileSample>& rowsInTableOrder);
