#include "analysis/Decimation.h"

#include <algorithm>
#include <array>
#include <cmath>

SeriesDecimator::SeriesDecimator(const Series* series) : m_series(series)
{
    const Series& s = *series;
    const std::size_t blocks = (s.size() + kBlock - 1) / kBlock;
    m_blockLow.assign(blocks, kNone);
    m_blockHigh.assign(blocks, kNone);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (!usable(i))
            continue;
        takeExtreme(std::uint32_t(i), &m_blockLow[i / kBlock], &m_blockHigh[i / kBlock]);
        if (!m_any) {
            m_xLo = s[i].x;
            m_yLo = m_yHi = s[i].y;
            m_any = true;
        }
        m_xHi = s[i].x;   // sorted by X: the last usable point is the deepest
        m_yLo = std::min(m_yLo, s[i].y);
        m_yHi = std::max(m_yHi, s[i].y);
    }
}

bool SeriesDecimator::usable(std::size_t i) const
{
    const SeriesPoint& p = (*m_series)[i];
    return std::isfinite(p.x) && std::isfinite(p.y);
}

bool SeriesDecimator::bounds(double* xLo, double* xHi, double* yLo, double* yHi) const
{
    if (!m_any)
        return false;
    *xLo = m_xLo;
    *xHi = m_xHi;
    *yLo = m_yLo;
    *yHi = m_yHi;
    return true;
}

std::size_t SeriesDecimator::lowerIndex(double lo) const
{
    if (!m_series)
        return 0;
    // NaN X sorts last and compares false: it stays beyond every range.
    return std::size_t(std::partition_point(m_series->begin(), m_series->end(),
                                            [lo](const SeriesPoint& p) { return p.x < lo; })
                       - m_series->begin());
}

std::size_t SeriesDecimator::upperIndex(double hi) const
{
    if (!m_series)
        return 0;
    return std::size_t(std::partition_point(m_series->begin(), m_series->end(),
                                            [hi](const SeriesPoint& p) { return p.x <= hi; })
                       - m_series->begin());
}

void SeriesDecimator::takeExtreme(std::uint32_t i, std::uint32_t* low, std::uint32_t* high) const
{
    const double y = (*m_series)[i].y;
    if (*low == kNone || y < (*m_series)[*low].y)
        *low = i;
    if (*high == kNone || y > (*m_series)[*high].y)
        *high = i;
}

void SeriesDecimator::scan(std::size_t from, std::size_t to, std::uint32_t* low, std::uint32_t* high) const
{
    for (std::size_t i = from; i < to; ++i)
        if (usable(i))
            takeExtreme(std::uint32_t(i), low, high);
}

void SeriesDecimator::lowHigh(std::size_t from, std::size_t to, std::uint32_t* low, std::uint32_t* high) const
{
    *low = *high = kNone;
    if (to - from < 2 * kBlock) {
        scan(from, to, low, high);
        return;
    }
    const std::size_t firstFull = (from + kBlock - 1) / kBlock;
    const std::size_t endFull = to / kBlock;
    scan(from, firstFull * kBlock, low, high);
    for (std::size_t b = firstFull; b < endFull; ++b) {
        for (std::uint32_t i : {m_blockLow[b], m_blockHigh[b]})
            if (i != kNone)
                takeExtreme(i, low, high);
    }
    scan(endFull * kBlock, to, low, high);
}

void SeriesDecimator::decimate(double lo, double hi, int columns, Series* out) const
{
    out->clear();
    if (!m_series || !std::isfinite(lo) || !std::isfinite(hi) || !(lo <= hi) || columns < 1)
        return;
    const Series& s = *m_series;
    const std::size_t from = lowerIndex(lo);
    const std::size_t to = upperIndex(hi);
    std::vector<std::uint32_t> picked;
    // The nearest points outside the range carry the line to the edges.
    for (std::size_t j = from; j > 0; --j) {
        if (usable(j - 1)) {
            picked.push_back(std::uint32_t(j - 1));
            break;
        }
    }
    if (to - from <= 4 * std::size_t(columns)) {
        for (std::size_t i = from; i < to; ++i)
            if (usable(i))
                picked.push_back(std::uint32_t(i));
    } else {
        std::size_t begin = from;
        for (int c = 1; c <= columns && begin < to; ++c) {
            std::size_t end = to;
            if (c < columns) {
                // Blended, not lo + (hi - lo) * t: the width of absurd ranges overflows.
                const double t = double(c) / columns;
                const double edge = lo * (1 - t) + hi * t;
                end = std::size_t(std::partition_point(s.begin() + std::ptrdiff_t(begin), s.begin() + std::ptrdiff_t(to),
                                                       [edge](const SeriesPoint& p) { return p.x < edge; })
                                  - s.begin());
            }
            if (end == begin)
                continue;
            std::size_t first = begin, last = end;
            while (first < end && !usable(first))
                ++first;
            while (last > first && !usable(last - 1))
                --last;
            if (first < end) {
                std::uint32_t low = kNone, high = kNone;
                lowHigh(first, last, &low, &high);
                std::array<std::uint32_t, 4> four{std::uint32_t(first), low, high, std::uint32_t(last - 1)};
                std::sort(four.begin(), four.end());
                for (std::size_t k = 0; k < four.size(); ++k)
                    if (k == 0 || four[k] != four[k - 1])
                        picked.push_back(four[k]);
            }
            begin = end;
        }
    }
    for (std::size_t j = to; j < s.size(); ++j) {
        if (usable(j)) {
            picked.push_back(std::uint32_t(j));
            break;
        }
    }
    out->reserve(picked.size());
    for (std::uint32_t i : picked)
        out->push_back(s[i]);
}
