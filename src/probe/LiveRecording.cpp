#include "probe/LiveRecording.h"
#include "text/Format.h"
#include "probe/MsClock.h"
#include <cmath>

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
        // or below; the level reached becomes the mark.
        if (!(std::fabs(double(lastDepth) - double(m_depthMark)) + 0.04 > double(m_distanceStep)))
            return false;
        if (!(m_distanceStep > 0.0f))
            return true;   // no grid to walk
        if (lastDepth > m_depthMark) {
            while (lastDepth > m_depthMark)
                m_depthMark = m_depthMark + m_distanceStep;
        } else {
            do
                m_depthMark = m_depthMark - m_distanceStep;
            while (lastDepth < m_depthMark);
        }
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
