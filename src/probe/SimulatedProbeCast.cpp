// The simulated probe's data: the water column it is lowered through, the
// raw counts of its readings, its frames and its stored recordings.
#include "probe/SimulatedProbe.h"
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace {
constexpr uint16_t kSurfaceCount = 4200;   // atmospheric pressure: about 10243.7 with the usual polynomial
constexpr double kAirTemperature = 24.0;

// A warm mixed layer, a thermocline from 6 m to 14 m, then slow cooling.
double waterTemperature(double z)
{
    if (z < 6.0)
        return 20.0 - 0.05 * z;
    if (z < 14.0)
        return 19.7 - 7.7 * (0.5 - 0.5 * std::cos(std::numbers::pi * (z - 6.0) / 8.0));
    return std::max(2.0, 12.0 - 0.1 * (z - 14.0));
}

// Medwin's formula for sea water of salinity 35.
double soundVelocity(double t, double z)
{
    return 1449.2 + 4.6 * t - 0.055 * t * t + 0.00029 * t * t * t + 0.016 * z;
}

uint16_t clampCount(double n)
{
    if (!std::isfinite(n))
        return 0;
    return static_cast<uint16_t>(std::clamp<long>(std::lround(n), 0, 65535));
}

double pressureOf(const Calibration& c, double n)
{
    return double(c.pa0) + double(c.pa1) * n + double(c.pa2) * n * n;
}

uint16_t pressureCount(const Calibration& c, double p)
{
    if (std::fabs(double(c.pa2)) < 1e-20)
        return clampCount((p - c.pa0) / c.pa1);
    const double disc = double(c.pa1) * c.pa1 - 4.0 * c.pa2 * (c.pa0 - p);
    return clampCount((-c.pa1 + std::sqrt(std::max(0.0, disc))) / (2.0 * c.pa2));
}

double temperatureOf(const Calibration& c, double n)
{
    const double y = n * 2.5 / 65536.0;
    return ((((double(c.ta5) * y + c.ta4) * y + c.ta3) * y + c.ta2) * y + c.ta1) * y + c.ta0;
}

// The polynomial is monotonic over the count range; bisect for the count.
uint16_t temperatureCount(const Calibration& c, double t)
{
    const bool falling = temperatureOf(c, 0) > temperatureOf(c, 65535);
    double lo = 0, hi = 65535;
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        if ((temperatureOf(c, mid) > t) == falling)
            lo = mid;
        else
            hi = mid;
    }
    return clampCount((lo + hi) / 2);
}

uint16_t svCount(const Calibration& c, double v)
{
    return clampCount(double(c.lf2048) * 2048.0 / v - 65536.0 + c.tf2048);
}

SimulatedProbe::Sample waterSample(const Calibration& c, double z)
{
    const double t = waterTemperature(z);
    return {svCount(c, soundVelocity(t, z)), pressureCount(c, pressureOf(c, kSurfaceCount) + z * 1000.0),
            temperatureCount(c, t), 0};
}

uint8_t bcd(int v)
{
    return static_cast<uint8_t>(((v / 10) % 10) << 4 | (v % 10));
}

int fromBcd(uint8_t b)
{
    return (b >> 4) > 9 || (b & 15) > 9 ? -1 : (b >> 4) * 10 + (b & 15);
}

QByteArray frame(std::initializer_list<int> payload)
{
    QByteArray f(10, '\0');
    f[0] = static_cast<char>(0xAA);
    int i = 1;
    for (int b : payload)
        f[i++] = static_cast<char>(b & 0xFF);
    int sum = 0;
    for (int k = 0; k < 9; ++k)
        sum += static_cast<uint8_t>(f[k]);
    f[9] = static_cast<char>(sum & 0xFF);
    return f;
}

QByteArray dataRecord(const SimulatedProbe::Sample& s, int position)
{
    return frame({s.sv >> 8, s.sv, s.pressure >> 8, s.pressure, s.temperature >> 8, s.temperature,
                  position, s.status});
}

QByteArray entry(const SimulatedProbe::Recording& r)
{
    const QDate d = r.start.date();
    const QTime t = r.start.time();
    const int sp = r.surfacePressure >= 256 ? r.surfacePressure : 0;
    return frame({r.number, bcd(d.year() % 100), bcd(d.month()), bcd(d.day()), bcd(t.hour()), bcd(t.minute()),
                  sp >> 8, sp});
}

// Enough digits for a 32-bit float to come back unchanged, never an exponent.
QByteArray number(float f)
{
    const double v = f;
    if (v == 0.0)
        return "0";
    const int e = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    return QByteArray::number(v, 'f', std::max(1, 8 - e));
}
}  // namespace

QByteArray SimulatedProbe::calibrationLine() const
{
    QByteArray line = m_prefix + m_deviceNumber.toLatin1();
    for (float v : {m_cal.lf2048, m_cal.tf2048, m_cal.pa0, m_cal.pa1, m_cal.pa2, m_cal.ta0, m_cal.ta1, m_cal.ta2,
                    m_cal.ta3, m_cal.ta4, m_cal.ta5})
        line += ',' + number(v);
    return line;
}

namespace {
struct Phase { bool inAir; double depth; };

Phase castPhase(const SimulatedProbe::CastScript& s, double sec)
{
    const double down = s.descentRate > 0 ? s.maxDepth / s.descentRate : 0;
    const double up = s.ascentRate > 0 ? s.maxDepth / s.ascentRate : 0;
    const double cycle = s.airSeconds + down + s.bottomSeconds + up;
    if (s.maxDepth <= 0 || cycle <= 0)
        return {true, 0};
    double t = std::fmod(std::max(0.0, sec), cycle);
    if (t < s.airSeconds)
        return {true, 0};
    t -= s.airSeconds;
    if (t < down)
        return {false, t * s.descentRate};
    t -= down;
    if (t < s.bottomSeconds)
        return {false, s.maxDepth};
    t -= s.bottomSeconds;
    return {false, std::max(0.0, s.maxDepth - t * s.ascentRate)};
}
}  // namespace

double SimulatedProbe::castDepth(double seconds) const
{
    return castPhase(m_script, seconds).depth;
}

SimulatedProbe::Sample SimulatedProbe::castSample(double seconds, int64_t frameIndex) const
{
    const Phase ph = castPhase(m_script, seconds);
    Sample s;
    if (ph.inAir) {
        s = {0, kSurfaceCount, temperatureCount(m_cal, kAirTemperature), 0};
    } else {
        s = waterSample(m_cal, ph.depth);
        // A count of jitter, well inside the client's 1 m/s spike window.
        s.sv = clampCount(s.sv + double(frameIndex % 3) - 1);
        if (m_script.spikeEvery > 0 && (frameIndex + 1) % m_script.spikeEvery == 0)
            s.sv = svCount(m_cal, soundVelocity(waterTemperature(ph.depth), ph.depth) + 45.0);
    }
    if (m_script.lowBatteryAfter >= 0 && seconds >= m_script.lowBatteryAfter)
        s.status |= 1;
    return s;
}

void SimulatedProbe::sendLiveFrame(int64_t t)
{
    const Sample s = castSample(double(t - m_castStartUs) / 1e6, m_frameIndex);
    QByteArray f = dataRecord(s, 0);
    if (m_script.badChecksumEvery > 0 && (m_frameIndex + 1) % m_script.badChecksumEvery == 0)
        f[9] = static_cast<char>(f[9] + 1);
    ++m_frameIndex;
    for (char c : f)
        sendCounted(static_cast<uint8_t>(c), t);
}

QByteArray SimulatedProbe::clockFrame(const QDateTime& dt) const
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    return frame({bcd(d.year() % 100), bcd(d.month()), d.dayOfWeek() % 7, bcd(d.day()), bcd(t.hour()),
                  bcd(t.minute()), bcd(t.second()), 0});
}

void SimulatedProbe::setProbeTimeFromBytes(const QByteArray& b, int64_t atUs)
{
    const QDate d(2000 + fromBcd(uint8_t(b[0])), fromBcd(uint8_t(b[1])), fromBcd(uint8_t(b[3])));
    const QTime t(fromBcd(uint8_t(b[4])), fromBcd(uint8_t(b[5])), fromBcd(uint8_t(b[6])));
    if (!d.isValid() || !t.isValid() || fromBcd(uint8_t(b[0])) < 0)
        return;   // the probe keeps its time; its reply shows that
    m_clockBase = QDateTime(d, t);
    m_clockBaseUs = atUs;
}

QByteArray SimulatedProbe::endFrame() const
{
    const int size = std::min(m_memorySize + 64, 0xFFFF);
    const int used = std::clamp(memoryUsed(), 0, 0xFFFF);
    return frame({0xFF, 0xFF, size >> 8, size, used >> 8, used, 0, 0});
}

std::vector<QByteArray> SimulatedProbe::directoryFrames() const
{
    std::vector<QByteArray> frames;
    for (const Recording& r : m_recordings)
        frames.push_back(entry(r));
    return frames;
}

std::vector<QByteArray> SimulatedProbe::uploadFrames() const
{
    std::vector<QByteArray> frames;
    if (m_faults.recordBeforeHeader)
        frames.push_back(dataRecord(waterSample(m_cal, 5.0), 0));
    int position = 0;
    for (size_t i = 0; i < m_recordings.size(); ++i) {
        const Recording& r = m_recordings[i];
        frames.push_back(frame({0, 0, 0, 0, 0, 0, 0, 0}));
        if (!(m_faults.missingHeader && i == 0))
            frames.push_back(entry(r));
        position += kUnitsPerRecord;
        for (const Sample& s : r.samples) {
            frames.push_back(dataRecord(s, position / 256));
            position += kUnitsPerRecord;
        }
    }
    frames.push_back(endFrame());
    return frames;
}

namespace {
// A recorded cast: down to maxDepth and back, n samples at even depth steps.
SimulatedProbe::Recording recordedCast(const Calibration& cal, int number, const QDateTime& start,
                                       uint16_t surface, double maxDepth, int n, int lowTail, int emptyTail)
{
    SimulatedProbe::Recording r{number, start, surface, {}};
    for (int i = 0; i < n; ++i) {
        const double f = n > 1 ? double(i) / (n - 1) : 0.0;
        SimulatedProbe::Sample s = waterSample(cal, 0.3 + (maxDepth - 0.3) * (1.0 - std::fabs(2.0 * f - 1.0)));
        if (i >= n - lowTail)
            s.status = 1;
        r.samples.push_back(s);
    }
    for (int i = 0; i < emptyTail; ++i)
        r.samples.push_back({0, 0xFFFF, 0xFFFF, 0xFF});
    return r;
}
}  // namespace

std::vector<SimulatedProbe::Recording> SimulatedProbe::defaultRecordings(const Calibration& cal)
{
    const QDate day(2026, 11, 20);
    return {
        recordedCast(cal, 1, QDateTime(day, QTime(8, 15)), 4200, 20.0, 160, 0, 0),
        recordedCast(cal, 2, QDateTime(day, QTime(10, 42)), 0, 45.0, 360, 0, 0),
        recordedCast(cal, 3, QDateTime(day.addDays(1), QTime(7, 5)), 4203, 30.0, 240, 25, 4),
    };
}

std::vector<SimulatedProbe::Recording> SimulatedProbe::fullMemory(const Calibration& cal, int memorySize)
{
    constexpr int kCasts = 8;
    const int capacity = memorySize / kUnitsPerRecord;   // records, headers included
    const int each = capacity / kCasts - 1;
    std::vector<Recording> recs;
    const QDateTime first(QDate(2026, 11, 22), QTime(6, 0));
    for (int i = 0; i < kCasts; ++i) {
        const int n = i + 1 < kCasts ? each : capacity - (kCasts - 1) * (each + 1) - 1;
        recs.push_back(recordedCast(cal, i + 1, first.addSecs(3600 * i), 4200, 60.0, std::max(0, n), 0, 0));
    }
    return recs;
}
