#pragma once
#include <cstddef>
#include <vector>

// One chart point: X = depth (m), Y = sound velocity, temperature or average.
struct SeriesPoint
{
    double x;
    double y;

    bool operator==(const SeriesPoint&) const = default;
};

// A chart series: points in ascending X; a point of equal X goes after the ones
// already there (the chart's own insertion rule).
using Series = std::vector<SeriesPoint>;

// Inserts one point by the chart's rule. O(n) per call: use sortByX for bulk loads.
void addSorted(Series& series, SeriesPoint point);

// The indices of the points in the order sortByX gives them; lets several series
// that share their X values be sorted alike.
std::vector<std::size_t> stableOrderByX(const Series& series);

// Orders points by X keeping the order of equal X, as if each had been added with
// addSorted in turn. A NaN X goes last so a foreign value cannot break the sort.
void sortByX(Series& series);
