#include "probe/FrameReceiver.h"
#include "probe/Conversions.h"
#include "probe/SerialPort.h"
#include <cmath>

namespace {
constexpr int kSync = 0xAA;
constexpr int kBlock = 10;
}  // namespace

bool FrameReceiver::blockChecksumOk(const uint8_t* block)
{
    unsigned sum = block[9];
    for (int i = 0; i < 8; ++i)
        sum += block[i];
    return static_cast<uint8_t>(sum) == block[8];
}

void FrameReceiver::tick(SerialPort& port, const FrameHandler& onFrame)
{
    if (!m_frameLocked) {
        while (port.inputCount() >= 1) {
            if (port.getByte() == kSync) {
                m_frameLocked = true;
                return;
            }
        }
        return;
    }
    uint8_t block[kBlock];
    while (port.inputCount() >= kBlock) {
        if (port.read(reinterpret_cast<char*>(block), kBlock) != kBlock || !blockChecksumOk(block)) {
            m_frameLocked = false;
            return;
        }
        if (!onFrame(processFrame(block)))
            return;
    }
}

float FrameReceiver::depthOf(int count) const
{
    // A density of 0 gives no depth: shown as 0 and, below 0.1 m, never recorded.
    return DepthFromCount(m_in.cal, m_in.atmosphere, m_in.density, static_cast<float>(count)).value_or(0.0f);
}

void FrameReceiver::takeAtmosphere(int count)
{
    m_atmosphereRing[m_atmosphereIndex] = count;
    m_atmosphereIndex = (m_atmosphereIndex + 1) % 6;
    if (m_atmosphereRing[5] <= 0)
        return;   // the ring has not been filled once yet
    float m = 0.0f;
    for (int slot : m_atmosphereRing)
        m = static_cast<float>(double(m) + slot * (1.0 / 6.0));
    const Calibration& c = m_in.cal;
    m_in.atmosphere = static_cast<float>(double(c.pa1) * m + double(c.pa0) + double(c.pa2) * m * m);
}

FrameResult FrameReceiver::processFrame(const uint8_t* block)
{
    const int v = block[0] * 256 + block[1];
    const int p = block[2] * 256 + block[3];
    const int t = block[4] * 256 + block[5];
    FrameResult r;
    r.status = block[7];
    r.lowBattery = (r.status & 1) != 0;

    // Until a valid pressure and a valid temperature have each arrived once,
    // a frame shows nothing.
    if (!m_depthValid || !m_tempValid) {
        if (p > 255) {
            m_lastDepth = depthOf(p);
            m_depthValid = true;
        }
        if (t > 255) {
            m_lastTemp = TemperatureFromCount(m_in.cal, static_cast<float>(t));
            m_tempValid = true;
        }
    }
    if (m_depthValid && m_tempValid) {
        r.passedGate = true;
        if (v != 0) {
            m_lastSv = acceptSoundVelocity(v);
            m_svSeen = true;
        } else {
            m_lastSv = 0.0f;
            // In air after power-on: the pressure reading is the atmosphere.
            if (p > 255 && !m_svSeen)
                takeAtmosphere(p);
        }
        if (p > 255)
            m_lastDepth = depthOf(p);
        if (t > 255)
            m_lastTemp = TemperatureFromCount(m_in.cal, static_cast<float>(t));
    }
    r.sv = m_lastSv;
    r.depth = m_lastDepth;
    r.temp = m_lastTemp;
    return r;
}

float FrameReceiver::acceptSoundVelocity(int count)
{
    // A divisor of 0 is no reading, rejected like one out of range.
    const auto v = SoundVelocityFromCount(m_in.cal, count);
    return v ? acceptVelocity(*v) : 0.0f;
}

float FrameReceiver::acceptVelocity(float v)
{
    if (v > 1600.0f || !(v >= 1400.0f))
        return 0.0f;
    if (!(m_svReference > 10.0f)) {
        m_svReference = v;
        return v;
    }
    if (std::fabs(double(m_svReference) - double(v)) > 1.0) {
        // Four deviating readings in a row are spikes; the fifth is the water.
        if (m_svRejectCount <= 3) {
            ++m_svRejectCount;
            return m_svReference;
        }
        m_svRejectCount = 0;
        m_svReference = v;
        return v;
    }
    m_svRejectCount = 0;
    m_svReference = v;
    return v;
}
