#include "analysis/LiveTrace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

void LiveTrace::setBucketWidth(double ms)
{
    if (!(ms > 0) || ms == m_width)
        return;
    // Re-bucket the points held, segment by segment.
    Series held;
    points(&held);
    m_buckets.clear();
    m_width = ms;
    for (const SeriesPoint& p : held) {
        if (std::isnan(p.y))
            startSegment();
        else
            append(p.x, p.y);
    }
}

void LiveTrace::append(double t, double value)
{
    if (!std::isfinite(t) || !std::isfinite(value))
        return;
    if (!m_buckets.empty() && t < m_buckets.back().last.x)
        m_buckets.clear();
    if (m_newSegment) {
        ++m_segment;
        m_newSegment = false;
    }
    const auto index = std::int64_t(std::floor(t / m_width));
    const SeriesPoint p{t, value};
    if (m_buckets.empty() || m_buckets.back().index != index || m_buckets.back().segment != m_segment) {
        m_buckets.push_back({index, m_segment, p, p, p, p});
        return;
    }
    Bucket& b = m_buckets.back();
    if (value < b.low.y)
        b.low = p;
    if (value > b.high.y)
        b.high = p;
    b.last = p;
}

void LiveTrace::dropBefore(double t)
{
    while (!m_buckets.empty() && m_buckets.front().last.x < t)
        m_buckets.pop_front();
}

bool LiveTrace::valueRange(double* lo, double* hi) const
{
    if (m_buckets.empty())
        return false;
    *lo = m_buckets.front().low.y;
    *hi = m_buckets.front().high.y;
    for (const Bucket& b : m_buckets) {
        *lo = std::min(*lo, b.low.y);
        *hi = std::max(*hi, b.high.y);
    }
    return true;
}

void LiveTrace::points(Series* out) const
{
    out->clear();
    const Bucket* previous = nullptr;
    for (const Bucket& b : m_buckets) {
        if (previous && previous->segment != b.segment)
            out->push_back({(previous->last.x + b.first.x) / 2, std::numeric_limits<double>::quiet_NaN()});
        // The four in time order; the low and the high may be the first or the last.
        std::array<SeriesPoint, 4> four{b.first, b.low, b.high, b.last};
        for (std::size_t k = 1; k < four.size(); ++k)   // a stable insertion sort, no allocation
            for (std::size_t j = k; j > 0 && four[j].x < four[j - 1].x; --j)
                std::swap(four[j], four[j - 1]);
        for (std::size_t k = 0; k < four.size(); ++k)
            if (k == 0 || !(four[k] == four[k - 1]))
                out->push_back(four[k]);
        previous = &b;
    }
}
