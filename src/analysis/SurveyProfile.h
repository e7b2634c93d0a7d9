#pragma once
#include "analysis/SeriesPoint.h"

#include <cstddef>
#include <limits>
#include <vector>

// The profile a survey format carries: one sound velocity per depth, depths
// strictly increasing from the surface down. Survey software applies a profile
// as one function of depth (interpolated linearly between its points), so a
// cast's soak, heave reversals and repeated depths must not reach it.

// One point of such a profile.
struct SurveyPoint
{
    double depth;        // m, never negative
    double velocity;     // m/s
    double temperature;  // degC; NaN where the profile has none
};

// Largest gap (m/s) thinning may leave between a dropped point and the straight
// line through the kept points around it: well below what a sound-velocity
// probe resolves in the field, and half the last digit HYPACK writes.
constexpr double kSurveyTolerance = 0.05;
constexpr std::size_t kNoPointLimit = std::numeric_limits<std::size_t>::max();

// How one file format takes a profile.
struct SurveyLimits
{
    double depthStep = 0.01;               // the depth resolution the format writes (m)
    double tolerance = kSurveyTolerance;   // m/s
    std::size_t maxPoints = kNoPointLimit; // the most points the format's readers take (at least 2)
};

struct SurveyProfile
{
    std::vector<SurveyPoint> points;   // strictly increasing depths, none negative
    std::size_t monotonicCount = 0;    // points before thinning
    double maxDeviation = 0.0;         // m/s: the largest gap thinning left
};

// The points of a merged profile: velocity from `sv`, temperature from `temp`
// at the same depth (interpolated between its points; NaN without any).
std::vector<SurveyPoint> surveyPoints(const Series& sv, const Series& temp);

// Ordered by depth, one point per cell of `depthStep` metres (depth the cell's
// centre, values the cell's mean), so the depths written stay strictly
// increasing. Points above the surface (negative depth), and points without a
// finite depth or a positive finite velocity, are left out.
std::vector<SurveyPoint> monotonicProfile(std::vector<SurveyPoint> points, double depthStep);

// Douglas-Peucker on depth/velocity, the gap measured in velocity at the
// point's depth. The worst segment is split first, so the points kept are
// every point the shape needs at `tolerance`, or the `maxPoints` that matter
// most when the shape needs more. The ends are always kept. `maxDeviation`
// receives the largest gap left.
std::vector<SurveyPoint> thinProfile(const std::vector<SurveyPoint>& points, double tolerance,
                                     std::size_t maxPoints, double* maxDeviation);

// The whole way from a merged profile to the points a format writes.
SurveyProfile surveyProfile(const Series& sv, const Series& temp, const SurveyLimits& limits);
