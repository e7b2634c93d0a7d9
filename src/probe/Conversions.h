#pragma once
#include "model/Calibration.h"
#include <optional>

// Raw counts of the probe to engineering units. The coefficients are 32-bit
// floats; the arithmetic runs in double and is narrowed to a float wherever a
// value is stored, so every file and read-out gets the same bits each time.

// PA0 + PA1*n + PA2*n*n, in the pressure units of the polynomial.
double PressureFromCount(const Calibration& cal, double n);

// (p - atmosphere) / (density * 1000) in metres; a result below 0 becomes 0.
// No reading (nullopt) when the density is 0 or the result is not finite, so
// a bad calibration never puts inf or NaN into a profile.
std::optional<float> DepthFromCount(const Calibration& cal, float atmosphere, float density, float n);

// The fifth-order temperature polynomial in y = n * 2.5 / 65536, by Horner's
// rule with a float stored after every step.
float TemperatureFromCount(const Calibration& cal, float n);

// LF2048 * 2048 / (n + 65536 - TF2048) in m/s, narrowed to float. No reading
// (nullopt) when the divisor is 0 or the result is not finite.
std::optional<float> SoundVelocityFromCount(const Calibration& cal, double n);
