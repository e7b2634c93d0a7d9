#pragma once
#include "analysis/Decimation.h"
#include "document/ProfileDocument.h"
#include <qcustomplot.h>

// A curve of the profile chart: a view of one of the document's series. The
// graph is given only the points that draw the visible depth range at screen
// resolution, so drawing, zooming and showing it cost what the screen needs,
// whatever the cast holds.
class ChartSeries : public QCPGraph
{
    Q_OBJECT
public:
    ChartSeries(QCPAxis* keyAxis, QCPAxis* valueAxis);

    // The values drawn (null: none). The drawn points follow at the next refresh().
    void setValues(SeriesSnapshot values);
    const SeriesSnapshot& values() const { return m_values; }
    std::size_t count() const { return m_values ? m_values->size() : 0; }
    // The extent of the finite points; false when there is none.
    bool bounds(double* xLo, double* xHi, double* yLo, double* yHi) const;

    // The drawn points for the key axis's range on `columns` pixel columns.
    void refresh(int columns);
    // The point nearest to a pixel of the chart, on the screen; false when empty.
    bool nearestPoint(const QPointF& pixel, SeriesPoint* point) const;

private:
    SeriesSnapshot m_values;
    SeriesDecimator m_decimator;
};
