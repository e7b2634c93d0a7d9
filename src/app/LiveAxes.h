#pragma once

class QCPAxis;

// One value axis of the live chart once per tick, given the smallest and the
// largest value its series holds: manual, a band of +-`margin` around the
// values, while they spread less than `fixedBelow`; automatic (the values' own
// range) once they spread more than `autoAbove`; in between the axis keeps its
// mode, an automatic one following the values. Axes start automatic.
void rescaleLiveAxis(QCPAxis* axis, double lo, double hi, double fixedBelow, double autoAbove, double margin);
