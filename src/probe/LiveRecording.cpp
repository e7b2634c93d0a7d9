#include "probe/LiveRecording.h"
#include "text/Format.h"
#include "probe/MsClock.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kGridOrigin = -1.0;   // levels -1 + k * step
constexpr double kLevelReach = 0.04;   // a level counts as reached this far before it

// The mark after a fixed-depth sample at `depth`, computed from the level's
// number rather than by walking the grid: a walk never ends once mark + step
// rounds back to mark (a float above 2.1e6 m with 0.1 m steps).
float levelReached(double depth, double mark, double step)
{
    const double k = (depth - kGridOrigin) / step;
    double level;
    if (depth > mark) {
        // Going down: the deepest level the depth has come within 0.04 m of,
        // at least the one after the mark.
        level = kGridOrigin + std::floor(k + kLevelReach / step) * step;
        level = std::max(level, mark + step);
    } else {
        // Going up: the shallowest such level, at least the one above the mark.
        level = kGridOrigin + std::ceil(k - kLevelReach / step) * step;
        level = std::min(level, mark - step);
    }
    // The mark is a float: an absurd depth (a calibration gone wrong) pins it
    // at the float's limit instead of overflowing.
    constexpr double kMax = std::numeric_limits<float>::max();
    return static_cast<float>(std::isnan(level) ? mark : std::clamp(level, -kMax, kMax));
}

}  // namespace

void LiveRecording::startFixedDepth(float distanceStep)
{
    m_distanceStep = distanceStep;
    m_depthMark = -1.0f;
}

void LiveRecording::startFixedTime(uint32_t timeStepMs, uint32_t now)
{
    m_timeStep = timeStepMs;
    m_nextTime = now;
}

bool LiveRecording::shouldAppend(bool recordingOn, float lastSv, float lastDepth, MsClock& clock)
{
    // Probe in air (no sound velocity) or at the surface: never recorded.
    if (!recordingOn || !(lastSv >= 1400.0f) || !(double(lastDepth) >= 0.1))
        return false;

    switch (m_mode) {
    case RecordMode::Whole:
        return true;
    case RecordMode::FixedDepth: {
        // A sample once the depth comes within 0.04 m of the next level above
        // or below the mark.
        const double step = m_distanceStep, depth = lastDepth, mark = m_depthMark;
        if (!(std::fabs(depth - mark) + kLevelReach > step))
            return false;
        if (!(step > 0.0))
            return true;   // no grid to walk
        m_depthMark = levelReached(depth, mark, step);
        return true;
    }
    case RecordMode::FixedTime: {
        if (clock.now() < m_nextTime)
            return false;
        if (m_timeStep == 0)
            return true;   // no step: every eligible frame
        // Whole steps past the clock, so a gap in the frames skips the missed
        // samples instead of catching up on them.
        do
            m_nextTime += m_timeStep;
        while (!(clock.now() < m_nextTime));
        return true;
    }
    }
    return false;
}

ProfileRow LiveRecording::sampleRow(const QDateTime& now, uint8_t status, float temp, float sv,
                                    float depth, bool first, const QString& description)
{
    // The file holds what the "0.00" text says, whatever the screen shows.
    auto twoDecimals = [](float value) {
        double stored = 0.0;
        fmt::parseFloat(fmt::formatFloat(QStringLiteral("0.00"), double(value)), &stored);
        return stored;
    };
    ProfileRow row;
    row.dt = now;
    row.depth = twoDecimals(depth);
    row.velocity = twoDecimals(sv);
    row.temp = twoDecimals(temp);
    row.status = status;
    if (first)
        row.discrip = description;
    else if (status & 1)
        row.discrip = QStringLiteral("低电");
    return row;
}
