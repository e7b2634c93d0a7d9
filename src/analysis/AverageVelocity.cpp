#include "analysis/AverageVelocity.h"

#include <cmath>

namespace {

// A zero, negative or missing velocity would make the travel time infinite or
// negative and every average after it meaningless.
bool usable(const SeriesPoint& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && p.y > 0.0;
}

} // namespace

AverageResult averageSoundVelocity(const Series& merged, float startDepth)
{
    AverageResult result;
    const double D = startDepth;
    const std::size_t n = merged.size();
    std::size_t k = 0;
    while (k < n && !(merged[k].x > D))
        ++k;
    if (k == n)
        return result;
    result.first = k;
    if (!usable(merged[k])) {
        result.stoppedAt = k;
        return result;
    }

    float T = static_cast<float>((merged[k].x - D) / merged[k].y);
    result.points.reserve(n - k - 1);
    for (std::size_t i = k + 1; i < n; ++i) {
        if (!usable(merged[i])) {
            result.stoppedAt = i;
            break;
        }
        T = static_cast<float>(T + (merged[i].x - merged[i - 1].x) / merged[i].y);
        const double average = (merged[i].x - D) / T;
        // Depths out of order or a travel time lost in float underflow.
        if (!(T > 0.0f) || !std::isfinite(average)) {
            result.stoppedAt = i;
            break;
        }
        result.points.push_back({merged[i].x, average});
    }
    return result;
}
