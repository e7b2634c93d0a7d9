#pragma once
#include "analysis/SeriesPoint.h"

#include <cstdint>
#include <deque>

// One quantity of the live chart over a sliding time window, held per pixel
// column: each time bucket keeps its first, lowest, highest and last point
// (M4), so the chart is given at most four points a column at any frame rate,
// and a tick costs the frames it adds and the columns it shows. Points of a
// new segment (the next power-on) are never joined to those before them.
// Times are milliseconds (X), values Y.
class LiveTrace
{
public:
    // The time a bucket spans; what is held is put into buckets of the new width.
    void setBucketWidth(double ms);
    double bucketWidth() const { return m_width; }
    // The next point begins a line of its own.
    void startSegment() { m_newSegment = true; }
    // A point later than every point held; an earlier one (the clock was set
    // back) drops what is held, whose times no longer mean anything.
    void append(double t, double value);
    // Forgets the buckets whose last point is older than `t`.
    void dropBefore(double t);
    void clear() { m_buckets.clear(); }
    bool empty() const { return m_buckets.empty(); }
    std::size_t bucketCount() const { return m_buckets.size(); }

    // Smallest and largest value held; false when empty. O(buckets).
    bool valueRange(double* lo, double* hi) const;
    // The points in time order, with a point of NaN value between two segments
    // (a break in the line).
    void points(Series* out) const;

private:
    struct Bucket
    {
        std::int64_t index;
        int segment;
        SeriesPoint first, low, high, last;
    };
    std::deque<Bucket> m_buckets;
    double m_width = 200.0;
    int m_segment = 0;
    bool m_newSegment = false;
};
