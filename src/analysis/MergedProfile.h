#pragma once
#include "analysis/CastSplit.h"
#include "analysis/SeriesPoint.h"

#include <cstddef>

// Fewest points the table-bound series and each part need for a merged profile.
constexpr std::size_t kMinMergePoints = 3;
// Points of the two parts closer than this (m) are averaged into one.
constexpr double kMergeDistance = 1.0;
// Smoothing passes of a merged profile.
constexpr int kSmoothingPasses = 5;

// Joins the downward and upward parts into one depth-ordered profile (velocity in
// sv, temperature in temp, point for point). Each step uses up one point of one
// part. The results are placed by the chart's insertion rule. Both parts need at
// least one point.
void mergeParts(const CastParts& parts, Series* sv, Series* temp);

// Moves the first point half-way to the second, X then Y. Needs two points.
void applyFirstPointRule(Series& series);

// One smoothing time on the first n points: a forward then a backward three-point
// moving average of the interior points, X and Y alike; the ends stay put.
void smoothOnce(Series& series, std::size_t n);

// The whole merge: false, with sv and temp untouched, when the table-bound series
// or either part has fewer than kMinMergePoints points; otherwise the merged,
// first-point-corrected and five times smoothed profile.
bool buildMergedProfile(const CastParts& parts, Series* sv, Series* temp);
