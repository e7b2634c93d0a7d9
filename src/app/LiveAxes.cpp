#include "app/LiveAxes.h"
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>

namespace {

// Smallest and largest value of a series; false when it is empty.
bool valueRange(const QLineSeries* s, double* lo, double* hi)
{
    const QList<QPointF> pts = s->points();
    if (pts.isEmpty())
        return false;
    *lo = *hi = pts.front().y();
    for (const QPointF& p : pts) {
        *lo = std::min(*lo, p.y());
        *hi = std::max(*hi, p.y());
    }
    return true;
}

}  // namespace

// The live axes: automatic once the values spread beyond `autoAbove`, a fixed
// band of +-`margin` around them while they spread less than `fixedBelow`;
// in between an axis stays as it is: automatic ones go on following the
// values, manual ones keep their band. Axes start automatic.
void rescaleLiveAxis(QValueAxis* axis, const QLineSeries* s, double fixedBelow, double autoAbove, double margin)
{
    static const char* const kManual = "svManualRange";
    double lo = 0, hi = 0;
    if (!valueRange(s, &lo, &hi))
        return;
    const double r = hi - lo;
    if (r < fixedBelow) {
        axis->setProperty(kManual, true);
        axis->setRange(lo - margin, hi + margin);
        return;
    }
    if (r > autoAbove)
        axis->setProperty(kManual, false);
    if (!axis->property(kManual).toBool())
        axis->setRange(lo, hi);
}

