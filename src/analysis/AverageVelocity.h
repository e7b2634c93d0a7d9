#pragma once
#include "analysis/SeriesPoint.h"

#include <cstddef>
#include <limits>

// Average sound velocity from a start depth down to every deeper point of a merged
// profile: the harmonic mean over depth, each step weighted by the velocity at its
// deeper end.
struct AverageResult
{
    static constexpr std::size_t npos = std::numeric_limits<std::size_t>::max();

    Series points;              // (depth, average velocity), ascending depth
    std::size_t first = npos;   // index of the first merged point deeper than the start
    // Index of the point where the walk stopped because its depth or velocity is
    // unusable (velocity not positive, either not finite) or the travel time stops
    // being positive (depths out of order); npos when it ran to the end.
    std::size_t stoppedAt = npos;

    // False when no average point exists: no point, or only one, deeper than the
    // start depth, or the walk stopped before the second one. The window then shows
    // its not-enough-data message.
    bool enoughData() const { return !points.empty(); }
};

// merged: ascending depth. The travel time is accumulated as a 32-bit float rounded
// after every addition.
AverageResult averageSoundVelocity(const Series& merged, float startDepth);
