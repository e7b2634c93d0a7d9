#include "analysis/SeriesPoint.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <utility>

namespace {

// Strict weak order with NaN after every number (plain < is not one with NaN).
bool before(const SeriesPoint& a, const SeriesPoint& b)
{
    if (std::isnan(a.x))
        return false;
    if (std::isnan(b.x))
        return true;
    return a.x < b.x;
}

// An unsigned key in the order of `before`: -0 and +0 alike, NaN last.
std::uint64_t orderKey(double x)
{
    if (std::isnan(x))
        return UINT64_MAX;
    const auto bits = std::bit_cast<std::uint64_t>(x + 0.0);
    return (bits >> 63) ? ~bits : bits | (std::uint64_t{1} << 63);
}

} // namespace

void addSorted(Series& series, SeriesPoint point)
{
    series.insert(std::upper_bound(series.begin(), series.end(), point, before), point);
}

// Least-significant-digit radix sort: stable and linear, so a 100,000-row cast
// costs ten times a 10,000-row one.
std::vector<std::size_t> stableOrderByX(const Series& series)
{
    struct Item { std::uint64_t key; std::size_t index; };
    const std::size_t n = series.size();
    if (std::is_sorted(series.begin(), series.end(), before)) {
        std::vector<std::size_t> order(n);
        std::iota(order.begin(), order.end(), std::size_t{0});
        return order;
    }
    std::vector<Item> items(n), spare(n);
    std::array<std::array<std::size_t, 256>, 8> counts{};
    for (std::size_t i = 0; i < n; ++i) {
        items[i] = {orderKey(series[i].x), i};
        for (int digit = 0; digit < 8; ++digit)
            ++counts[digit][(items[i].key >> (8 * digit)) & 0xFF];
    }
    for (int digit = 0; digit < 8; ++digit) {
        std::array<std::size_t, 256>& count = counts[digit];
        if (std::find(count.begin(), count.end(), n) != count.end())
            continue;   // every key has the same byte here
        std::size_t offset = 0;
        for (std::size_t& c : count)
            offset += std::exchange(c, offset);
        for (const Item& item : items)
            spare[count[(item.key >> (8 * digit)) & 0xFF]++] = item;
        items.swap(spare);
    }
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = items[i].index;
    return order;
}

void sortByX(Series& series)
{
    if (std::is_sorted(series.begin(), series.end(), before))
        return;   // the usual case: nothing to move
    const std::vector<std::size_t> order = stableOrderByX(series);
    Series sorted;
    sorted.reserve(series.size());
    for (std::size_t i : order)
        sorted.push_back(series[i]);
    series.swap(sorted);
}
