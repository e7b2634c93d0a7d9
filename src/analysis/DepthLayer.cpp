#include "analysis/DepthLayer.h"

#include <cmath>

namespace {

// Stands for "no previous candidate".
constexpr float kNoCandidate = 1000.0f;

// A jump of more layers than this moves the grid at once. Real casts stay far
// below it (11 km at 0.5 m is 22,000 layers); a wild depth from a foreign file
// must not freeze the window.
constexpr double kMaxLayerSteps = 1 << 20;

// The working values are 32-bit floats; the expressions over them are evaluated in
// double, which is exact for differences of such floats.

bool usableDepth(double depth)
{
    return std::isfinite(static_cast<float>(depth));
}

// Moves R onto the grid next to d, by whole layers and at least one:
// going down R <= d < R + Z, going up R - Z < d <= R.
void moveReference(float& R, float d, float Z)
{
    if (static_cast<double>(d) - R - Z >= 0) {
        const double layers = (static_cast<double>(d) - R) / Z;
        if (layers > kMaxLayerSteps)
            R = static_cast<float>(R + Z * (std::floor(layers) - 1.0));
        do {
            const float next = R + Z;
            if (next == R)
                break;   // beyond float resolution the grid cannot move further
            R = next;
        } while (static_cast<double>(d) - R - Z >= 0);
    } else {
        const double layers = (static_cast<double>(R) - d) / Z;
        if (layers > kMaxLayerSteps)
            R = static_cast<float>(R - Z * (std::floor(layers) - 1.0));
        do {
            const float next = R - Z;
            if (next == R)
                break;
            R = next;
        } while (static_cast<double>(R) - d - Z >= 0);
    }
}

} // namespace

float depthLayerOrigin(float firstDepth)
{
    return static_cast<float>(std::trunc(2.0 * firstDepth + 0.5) / 2.0);
}

DepthLayerPass runDepthLayerPass(const std::vector<double>& depthsInTableOrder, float layerThickness)
{
    const std::vector<double>& depths = depthsInTableOrder;
    const std::size_t n = depths.size();
    DepthLayerPass pass;
    pass.marks.assign(n, false);
    if (n == 0)
        return pass;
    const float Z = layerThickness;
    if (!(Z > 0.0f) || !std::isfinite(Z)) {
        pass.marks.assign(n, true);
        return pass;
    }
    pass.marks[0] = true;

    std::size_t first = 0;
    while (first < n && !usableDepth(depths[first]))
        ++first;
    if (first == n)
        return pass;
    pass.marks[first] = true;
    float R = depthLayerOrigin(static_cast<float>(depths[first]));
    float P = kNoCandidate;

    std::size_t prev = first;
    bool returned = false;   // examining a crossing row again after marking the row before it
    std::size_t i = first + 1;
    while (i < n) {
        if (!usableDepth(depths[i])) {
            ++i;
            continue;
        }
        const float d = static_cast<float>(depths[i]);
        const double distance = std::fabs(std::fabs(static_cast<double>(d) - R) - Z);
        const bool crosses = static_cast<double>(d) - R >= Z || static_cast<double>(R) - d >= Z;
        if (!crosses) {
            P = static_cast<float>(distance);
            returned = false;
            prev = i++;
            continue;
        }
        // A row examined again crosses only when R could not reach the grid (float
        // range); marking it then keeps the walk from going back forever.
        const bool markPrevious = distance > P && !returned;
        moveReference(R, d, Z);
        P = kNoCandidate;
        if (markPrevious) {
            pass.marks[prev] = true;
            ++pass.revisits;
            returned = true;
        } else {
            pass.marks[i] = true;
            returned = false;
            prev = i++;
        }
    }
    return pass;
}

std::vector<bool> markDepthLayers(const std::vector<double>& depthsInTableOrder, float layerThickness)
{
    return runDepthLayerPass(depthsInTableOrder, layerThickness).marks;
}
