#include "analysis/MergedProfile.h"

#include <cmath>

void mergeParts(const CastParts& parts, Series* sv, Series* temp)
{
    const Series& D = parts.svDown;
    const Series& U = parts.svUp;
    const Series& TD = parts.tempDown;
    const Series& TU = parts.tempUp;
    sv->clear();
    temp->clear();
    sv->reserve(D.size() + U.size());
    temp->reserve(D.size() + U.size());

    std::size_t d = 0;
    std::size_t u = 0;
    while (d < D.size() && u < U.size()) {
        if (std::fabs(D[d].x - U[u].x) < kMergeDistance) {
            sv->push_back({(D[d].x + U[u].x) * 0.5, (D[d].y + U[u].y) * 0.5});
            temp->push_back({(TD[d].x + TU[u].x) * 0.5, (TD[d].y + TU[u].y) * 0.5});
        } else if (D[d].x < U[u].x) {
            sv->push_back(D[d]);
            temp->push_back(TD[d]);
        } else {
            sv->push_back(U[u]);
            temp->push_back(TU[u]);
        }
        if (D[d].x >= U[u].x)
            ++u;
        else
            ++d;
    }
    sv->insert(sv->end(), D.begin() + static_cast<std::ptrdiff_t>(d), D.end());
    temp->insert(temp->end(), TD.begin() + static_cast<std::ptrdiff_t>(d), TD.end());
    sv->insert(sv->end(), U.begin() + static_cast<std::ptrdiff_t>(u), U.end());
    temp->insert(temp->end(), TU.begin() + static_cast<std::ptrdiff_t>(u), TU.end());

    // The chart places every added point by its depth. For sorted parts the merge
    // already comes out in depth order, so this only guards unsorted input.
    sortByX(*sv);
    sortByX(*temp);
}

void applyFirstPointRule(Series& series)
{
    if (series.size() < 2)
        return;
    series[0].x = series[0].x * 0.5 + series[1].x * 0.5;
    series[0].y = series[0].y * 0.5 + series[1].y * 0.5;
}

namespace {

// The two already-visited values are kept as 32-bit floats, the neighbour
// still to be visited is read at full precision, and all three are weighted by
// an extended-precision third.
void smoothValues(Series& series, std::size_t n, double SeriesPoint::*value)
{
    const long double third = 1.0L / 3.0L;
    float prev = static_cast<float>(series[0].*value);
    for (std::size_t j = 1; j + 1 < n; ++j) {
        const float cur = static_cast<float>(series[j].*value);
        series[j].*value = static_cast<double>(
            static_cast<long double>(series[j + 1].*value) * third + (prev * third + cur * third));
        prev = cur;
    }
    prev = static_cast<float>(series[n - 1].*value);
    for (std::size_t j = n - 2; j >= 1; --j) {
        const float cur = static_cast<float>(series[j].*value);
        series[j].*value = static_cast<double>(
            static_cast<long double>(series[j - 1].*value) * third + (prev * third + cur * third));
        prev = cur;
    }
}

} // namespace

void smoothOnce(Series& series, std::size_t n)
{
    if (n > series.size())
        n = series.size();
    if (n < 3)
        return;
    smoothValues(series, n, &SeriesPoint::x);
    smoothValues(series, n, &SeriesPoint::y);
}

bool buildMergedProfile(const CastParts& parts, Series* sv, Series* temp)
{
    if (parts.usedRows < kMinMergePoints || parts.svDown.size() < kMinMergePoints
        || parts.svUp.size() < kMinMergePoints)
        return false;
    mergeParts(parts, sv, temp);
    applyFirstPointRule(*sv);
    applyFirstPointRule(*temp);
    const std::size_t n = sv->size();
    for (int pass = 0; pass < kSmoothingPasses; ++pass) {
        smoothOnce(*sv, n);
        smoothOnce(*temp, n);
    }
    return true;
}
