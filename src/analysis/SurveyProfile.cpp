#include "analysis/SurveyProfile.h"

#include <algorithm>
#include <cmath>
#include <queue>

namespace {

// Temperature at `depth` from a depth-ordered series: linear between its
// points, the end value beyond them.
double temperatureAt(const Series& temp, double depth)
{
    if (temp.empty())
        return std::nan("");
    auto above = std::lower_bound(temp.begin(), temp.end(), depth,
                                  [](const SeriesPoint& p, double d) { return p.x < d; });
    if (above == temp.begin())
        return above->y;
    if (above == temp.end())
        return temp.back().y;
    const SeriesPoint& a = *(above - 1);
    const SeriesPoint& b = *above;
    if (b.x == a.x)
        return b.y;
    return a.y + (b.y - a.y) * (depth - a.x) / (b.x - a.x);
}

bool usable(const SurveyPoint& p)
{
    return std::isfinite(p.depth) && p.depth >= 0.0 && std::isfinite(p.velocity) && p.velocity > 0.0;
}

// A run of points between two kept ones, with its worst point.
struct Segment
{
    std::size_t first, last;
    std::size_t worst;
    double gap;
    bool operator<(const Segment& o) const { return gap < o.gap; }
};

Segment segment(const std::vector<SurveyPoint>& p, std::size_t first, std::size_t last)
{
    Segment s{first, last, first, 0.0};
    const double d0 = p[first].depth, v0 = p[first].velocity;
    const double slope = (p[last].velocity - v0) / (p[last].depth - d0);
    for (std::size_t i = first + 1; i < last; ++i) {
        const double gap = std::fabs(p[i].velocity - (v0 + slope * (p[i].depth - d0)));
        if (gap > s.gap) {
            s.gap = gap;
            s.worst = i;
        }
    }
    return s;
}

}  // namespace

std::vector<SurveyPoint> surveyPoints(const Series& sv, const Series& temp)
{
    std::vector<SurveyPoint> out;
    out.reserve(sv.size());
    // The merged profile holds its temperatures point for point at the same depths.
    const bool inStep = temp.size() == sv.size();
    Series finiteTemp;
    if (!inStep)
        std::copy_if(temp.begin(), temp.end(), std::back_inserter(finiteTemp),
                     [](const SeriesPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); });
    for (std::size_t i = 0; i < sv.size(); ++i) {
        const bool same = inStep && temp[i].x == sv[i].x;
        out.push_back({sv[i].x, sv[i].y, same ? temp[i].y : temperatureAt(finiteTemp, sv[i].x)});
    }
    return out;
}

std::vector<SurveyPoint> monotonicProfile(std::vector<SurveyPoint> points, double depthStep)
{
    std::erase_if(points, [](const SurveyPoint& p) { return !usable(p); });
    std::stable_sort(points.begin(), points.end(),
                     [](const SurveyPoint& a, const SurveyPoint& b) { return a.depth < b.depth; });
    // Cells counted in whole steps: the centre k / scale is the double nearest
    // the decimal depth, so it prints as that depth.
    const double scale = std::round(1.0 / depthStep);
    std::vector<SurveyPoint> out;
    std::size_t i = 0;
    while (i < points.size()) {
        const long long cell = std::llround(points[i].depth * scale);
        double velocity = 0.0, temperature = 0.0;
        std::size_t n = 0, nt = 0;
        for (; i < points.size() && std::llround(points[i].depth * scale) == cell; ++i, ++n) {
            velocity += points[i].velocity;
            if (std::isfinite(points[i].temperature)) {
                temperature += points[i].temperature;
                ++nt;
            }
        }
        out.push_back({double(cell) / scale, velocity / double(n),
                       nt > 0 ? temperature / double(nt) : std::nan("")});
    }
    return out;
}

std::vector<SurveyPoint> thinProfile(const std::vector<SurveyPoint>& points, double tolerance,
                                     std::size_t maxPoints, double* maxDeviation)
{
    *maxDeviation = 0.0;
    const std::size_t n = points.size();
    if (n <= 2)
        return points;
    std::vector<bool> keep(n, false);
    keep.front() = keep.back() = true;
    std::size_t kept = 2;
    std::priority_queue<Segment> open;
    open.push(segment(points, 0, n - 1));
    while (!open.empty() && open.top().gap > tolerance && kept < std::max<std::size_t>(maxPoints, 2)) {
        const Segment s = open.top();
        open.pop();
        keep[s.worst] = true;
        ++kept;
        if (s.worst - s.first > 1)
            open.push(segment(points, s.first, s.worst));
        if (s.last - s.worst > 1)
            open.push(segment(points, s.worst, s.last));
    }
    if (!open.empty())
        *maxDeviation = open.top().gap;
    std::vector<SurveyPoint> out;
    out.reserve(kept);
    for (std::size_t i = 0; i < n; ++i)
        if (keep[i])
            out.push_back(points[i]);
    return out;
}

SurveyProfile surveyProfile(const Series& sv, const Series& temp, const SurveyLimits& limits)
{
    SurveyProfile profile;
    const std::vector<SurveyPoint> monotonic = monotonicProfile(surveyPoints(sv, temp), limits.depthStep);
    profile.monotonicCount = monotonic.size();
    profile.points = thinProfile(monotonic, limits.tolerance, limits.maxPoints, &profile.maxDeviation);
    return profile;
}
