#include "app/ChartSeries.h"
#include <cmath>
#include <limits>

ChartSeries::ChartSeries(QCPAxis* keyAxis, QCPAxis* valueAxis) : QCPGraph(keyAxis, valueAxis)
{
    setLineStyle(QCPGraph::lsLine);
    setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    setSelectable(QCP::stNone);
}

void ChartSeries::setValues(SeriesSnapshot values)
{
    m_values = std::move(values);
    m_decimator = m_values ? SeriesDecimator(m_values.get()) : SeriesDecimator();
    data()->clear();
}

bool ChartSeries::bounds(double* xLo, double* xHi, double* yLo, double* yHi) const
{
    return m_decimator.bounds(xLo, xHi, yLo, yHi);
}

void ChartSeries::refresh(int columns)
{
    if (!m_values) {
        data()->clear();
        return;
    }
    const QCPRange range = keyAxis()->range();
    Series drawn;
    m_decimator.decimate(range.lower, range.upper, std::max(columns, 1), &drawn);
    QVector<QCPGraphData> points;
    points.reserve(qsizetype(drawn.size()));
    for (const SeriesPoint& p : drawn)
        points.append(QCPGraphData(p.x, p.y));
    data()->set(points, true);
}

bool ChartSeries::nearestPoint(const QPointF& pixel, SeriesPoint* point) const
{
    double xLo, xHi, yLo, yHi;
    if (!m_values || !m_decimator.bounds(&xLo, &xHi, &yLo, &yHi))
        return false;
    const Series& s = *m_values;
    QCPAxis* key = keyAxis();
    QCPAxis* value = valueAxis();
    // Only points within `reach` pixels across can be nearer than `reach`: look
    // there first, and wider only when the best point found is farther.
    double reach = std::max(8.0, double(mParentPlot->selectionTolerance()));
    double best = std::numeric_limits<double>::infinity();
    for (int round = 0; round < 64; ++round) {
        double a = key->pixelToCoord(pixel.x() - reach), b = key->pixelToCoord(pixel.x() + reach);
        if (a > b)
            std::swap(a, b);
        const std::size_t from = m_decimator.lowerIndex(a), to = m_decimator.upperIndex(b);
        for (std::size_t i = from; i < to; ++i) {
            if (!std::isfinite(s[i].x) || !std::isfinite(s[i].y))
                continue;
            const double dx = key->coordToPixel(s[i].x) - pixel.x();
            const double dy = value->coordToPixel(s[i].y) - pixel.y();
            const double d = std::hypot(dx, dy);
            if (d < best) {
                best = d;
                *point = s[i];
            }
        }
        if (best <= reach)
            return true;
        if (std::isfinite(best))
            reach = best;   // the next round finds every point nearer than it
        else
            reach *= 4;
    }
    return std::isfinite(best);
}
