#include "probe/Conversions.h"
#include <cmath>

double PressureFromCount(const Calibration& cal, double n)
{
    return double(cal.pa0) + double(cal.pa1) * n + double(cal.pa2) * n * n;
}

std::optional<float> DepthFromCount(const Calibration& cal, float atmosphere, float density, float n)
{
    if (density == 0.0f)
        return std::nullopt;
    const float depth = static_cast<float>((PressureFromCount(cal, n) - double(atmosphere))
                                           / (double(density) * 1000.0));
    if (!std::isfinite(depth))
        return std::nullopt;
    return depth >= 0.0f ? depth : 0.0f;
}

float TemperatureFromCount(const Calibration& cal, float n)
{
    const float y = static_cast<float>(double(n) * 3.814697265625e-05);
    auto step = [y](float r, float coefficient) {
        return static_cast<float>(double(r) * double(y) + double(coefficient));
    };
    float r = step(cal.ta5, cal.ta4);
    r = step(r, cal.ta3);
    r = step(r, cal.ta2);
    r = step(r, cal.ta1);
    return step(r, cal.ta0);
}

std::optional<float> SoundVelocityFromCount(const Calibration& cal, double n)
{
    const double divisor = n + 65536.0 - double(cal.tf2048);
    if (divisor == 0.0)
        return std::nullopt;
    const float v = static_cast<float>(double(cal.lf2048) * 2048.0 / divisor);
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}
