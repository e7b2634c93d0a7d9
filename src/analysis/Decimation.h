#pragma once
#include "analysis/SeriesPoint.h"

#include <cstdint>
#include <vector>

// Draws a series sorted by X at screen resolution. Cut the visible X range into
// pixel columns: a line through every point of a column covers exactly the
// span from its lowest to its highest point and enters and leaves the column at
// its first and last point, so those four points of each column (M4) draw the
// same picture as all of them. Points whose X or Y is not finite are left out.
class SeriesDecimator
{
public:
    SeriesDecimator() = default;
    // Indexes `series`, which must outlive the decimator and stay unchanged: O(n) once.
    explicit SeriesDecimator(const Series* series);

    // The points of [lo, hi] on `columns` columns in series order, and the
    // nearest point outside each end so that the line runs on to the edges.
    // Costs O(columns * log n) whatever the number of points in the range.
    void decimate(double lo, double hi, int columns, Series* out) const;

    // The extent of the finite points; false when there is none.
    bool bounds(double* xLo, double* xHi, double* yLo, double* yHi) const;

    // Indices [from, to) of the points with lo <= X <= hi.
    std::size_t lowerIndex(double lo) const;
    std::size_t upperIndex(double hi) const;

private:
    static constexpr std::size_t kBlock = 64;
    static constexpr std::uint32_t kNone = UINT32_MAX;
    bool usable(std::size_t i) const;
    // Indices of the lowest and highest finite Y in [from, to); kNone when none.
    void lowHigh(std::size_t from, std::size_t to, std::uint32_t* low, std::uint32_t* high) const;
    void scan(std::size_t from, std::size_t to, std::uint32_t* low, std::uint32_t* high) const;
    void takeExtreme(std::uint32_t i, std::uint32_t* low, std::uint32_t* high) const;

    const Series* m_series = nullptr;
    std::vector<std::uint32_t> m_blockLow, m_blockHigh;   // per block of kBlock points
    bool m_any = false;
    double m_xLo = 0, m_xHi = 0, m_yLo = 0, m_yHi = 0;
};
