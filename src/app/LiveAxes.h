#pragma once

class QLineSeries;
class QValueAxis;

// One value axis of the live chart after a new point: manual, a band of
// +-`margin` around the values, while they spread less than `fixedBelow`;
// automatic (the values' own range) once they spread more than `autoAbove`;
// in between the axis keeps its mode, an automatic one following the values.
// Axes start automatic.
void rescaleLiveAxis(QValueAxis* axis, const QLineSeries* s, double fixedBelow, double autoAbove, double margin);
