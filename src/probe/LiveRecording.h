#pragma once
#include "model/ProfileRow.h"
#include <QDateTime>
#include <QString>
#include <cstdint>

class MsClock;

// The recording modes of a live run, in the order of the settings key `Mode`.
enum class RecordMode { Whole = 0, FixedDepth = 1, FixedTime = 2 };

// Which live frames become sample rows. The window sets the mode and the step
// at power-on; the fixed-depth mark is a 32-bit float and the fixed-time
// deadline a 32-bit millisecond reading, as the window keeps them.
class LiveRecording
{
public:
    void setMode(RecordMode mode) { m_mode = mode; }
    RecordMode mode() const { return m_mode; }

    // Power-on in the fixed-depth mode: levels -1 + k * step. The first
    // eligible frame is recorded whenever it lies more than step - 0.04 from -1
    // and sets the mark to the first level at or deeper than it; then a sample
    // is taken once the depth comes within 0.04 m of the next level above or
    // below the mark, and the level reached becomes the mark: one sample per
    // layer, whatever the depth travelled between two frames.
    void startFixedDepth(float distanceStep);
    // Power-on in the fixed-time mode: the first eligible frame is recorded.
    void startFixedTime(uint32_t timeStepMs, uint32_t now);

    // The recording gate and the mode's rule for one displayed frame; true
    // when the frame is to be appended. Moves the mark or the deadline.
    bool shouldAppend(bool recordingOn, float lastSv, float lastDepth, MsClock& clock);

    float distanceStep() const { return m_distanceStep; }
    float depthMark() const { return m_depthMark; }
    uint32_t timeStep() const { return m_timeStep; }
    uint32_t nextTime() const { return m_nextTime; }

    // The sample row: values stored with the two decimals of their "0.00"
    // text; the description on the first row of a run, "低电" on later
    // low-battery rows.
    static ProfileRow sampleRow(const QDateTime& now, uint8_t status, float temp, float sv,
                                float depth, bool first, const QString& description);

private:
    RecordMode m_mode = RecordMode::Whole;
    float m_distanceStep = 0.0f;
    float m_depthMark = -1.0f;
    uint32_t m_timeStep = 0;
    uint32_t m_nextTime = 0;
};
