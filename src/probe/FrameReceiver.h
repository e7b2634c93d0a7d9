#pragma once
#include "model/Calibration.h"
#include <array>
#include <cstdint>
#include <functional>

class SerialPort;

// The window's members that the conversion reads, and the atmosphere that the
// in-air readings keep up to date. The receiver holds references: the window
// owns the values, loads them from the settings file and writes them back.
struct ConversionInputs
{
    const Calibration& cal;
    float& atmosphere;
    const float& density;
};

// What one passed frame leaves for the display and recording step.
struct FrameResult
{
    bool lowBattery = false;   // status bit 0, for every passed frame
    bool passedGate = false;   // depth and temperature have both been valid once
    float sv = 0.0f;           // LastSv: 0 when the reading was rejected
    float depth = 0.0f;        // LastDepth
    float temp = 0.0f;         // LastTemp
    uint8_t status = 0;        // the whole status byte
};

// The receiver of the live frame stream. Once locked it reads blocks of 10
// bytes that start after a sync byte: frame bytes 1..8, the checksum, and the
// next frame's sync byte, which is counted in the sum. Its state lives as long
// as the application: a new power-on starts where the last run left off, except
// for the spike filter, which starts afresh.
class FrameReceiver
{
public:
    explicit FrameReceiver(ConversionInputs inputs) : m_in(inputs) {}

    // Called for every block that passed its checksum; returning false ends
    // the tick (the window stopped the measurement), leaving the rest queued.
    using FrameHandler = std::function<bool(const FrameResult&)>;

    // One tick of the 100 ms timer: hunts for 0xAA (and ends the tick when
    // found), or reads every complete block that waits.
    void tick(SerialPort& port, const FrameHandler& onFrame);

    // Decoding, start-up gate, sound-velocity filter, atmosphere, conversions.
    FrameResult processFrame(const uint8_t* block);

    // Low 8 bits of (block[9] + block[0..7]) == block[8].
    static bool blockChecksumOk(const uint8_t* block);

    // AcceptSoundVelocity: the live reading of a count, 0 when rejected.
    float acceptSoundVelocity(int count);
    // The range check and spike rejection on a velocity in m/s.
    float acceptVelocity(float v);

    // Power-on: the atmosphere is taken again from the next in-air frames, and
    // the spike filter starts afresh: the last cast's velocity (often taken at
    // depth) is no reference for the water at the surface of the next one.
    void startPowerOn()
    {
        m_svSeen = false;
        m_svReference = 0.0f;
        m_svRejectCount = 0;
    }

    bool frameLocked() const { return m_frameLocked; }
    bool depthValid() const { return m_depthValid; }
    bool tempValid() const { return m_tempValid; }
    bool svSeen() const { return m_svSeen; }
    float svReference() const { return m_svReference; }
    int svRejectCount() const { return m_svRejectCount; }
    float lastSv() const { return m_lastSv; }
    float lastDepth() const { return m_lastDepth; }
    float lastTemp() const { return m_lastTemp; }

private:
    float depthOf(int count) const;
    void takeAtmosphere(int count);

    ConversionInputs m_in;
    bool m_frameLocked = false;
    bool m_depthValid = false;
    bool m_tempValid = false;
    std::array<int, 6> m_atmosphereRing{};
    int m_atmosphereIndex = 0;
    float m_svReference = 0.0f;
    int m_svRejectCount = 0;
    float m_lastSv = 0.0f, m_lastDepth = 0.0f, m_lastTemp = 0.0f;
    bool m_svSeen = false;
};
