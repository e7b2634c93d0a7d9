#include "analysis/CastSplit.h"

#include <algorithm>
#include <cmath>

float turningThreshold(double maxDepth)
{
    return static_cast<float>(maxDepth - 0.01);
}

namespace {

bool usable(const ProfileSample& s)
{
    return std::isfinite(s.depth) && std::isfinite(s.velocity) && std::isfinite(s.temperature);
}

} // namespace

CastParts splitCast(const std::vector<ProfileSample>& rowsInTableOrder)
{
    CastParts parts;
    std::vector<ProfileSample> rows;
    rows.reserve(rowsInTableOrder.size());
    std::copy_if(rowsInTableOrder.begin(), rowsInTableOrder.end(), std::back_inserter(rows), usable);
    parts.usedRows = rows.size();
    if (rows.empty())
        return parts;

    double maxDepth = rows.front().depth;
    for (const ProfileSample& s : rows)
        maxDepth = std::max(maxDepth, s.depth);
    parts.threshold = turningThreshold(maxDepth);

    // The double depth is compared with the float threshold widened, not re-rounded.
    const double limit = parts.threshold;
    std::size_t turn = 0;
    while (turn < rows.size() && rows[turn].depth <= limit)
        ++turn;

    // One ordering per part serves both of its series (same depths).
    auto fill = [&](std::size_t from, std::size_t to, Series& sv, Series& temp) {
        Series depths;
        depths.reserve(to - from);
        for (std::size_t i = from; i < to; ++i)
            depths.push_back({rows[i].depth, 0.0});
        const std::vector<std::size_t> order = stableOrderByX(depths);
        sv.reserve(to - from);
        temp.reserve(to - from);
        for (std::size_t k : order) {
            const ProfileSample& s = rows[from + k];
            sv.push_back({s.depth, s.velocity});
            temp.push_back({s.depth, s.temperature});
        }
    };
    fill(0, turn, parts.svDown, parts.tempDown);
    fill(turn, rows.size(), parts.svUp, parts.tempUp);
    return parts;
}
