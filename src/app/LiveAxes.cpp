#include "app/LiveAxes.h"
#include <qcustomplot.h>

void rescaleLiveAxis(QCPAxis* axis, double lo, double hi, double fixedBelow, double autoAbove, double margin)
{
    static const char* const kManual = "svManualRange";
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
