#pragma once
#include <QString>

// The probe's calibration coefficients and the conversion state that the
// formulas use; 32-bit floats as the probe and the settings file hold them.
struct Calibration
{
    float lf2048 = 0.0f, tf2048 = 0.0f;                  // sound velocity
    float pa0 = 1000.0f, pa1 = 2.2f, pa2 = 2.08e-07f;    // pressure polynomial
    float ta0 = 93.0f, ta1 = -181.0f, ta2 = 201.0f, ta3 = -137.0f, ta4 = 50.0f, ta5 = -7.5f;
};
