#include "probe/ProbeClock.h"
#include "probe/Log.h"
#include "probe/ProbeProtocol.h"
#include "probe/SerialPort.h"
#include "text/Format.h"
#include <cmath>

namespace probemem {

namespace {

constexpr uint8_t kSync = 0xAA;

double slope(const Calibration& cal) { return double(cal.pa2) * 20000.0 + double(cal.pa1); }

}  // namespace

ClockReadResult readClock(ProbeProtocol& protocol, const QDateTime& now)
{
    ClockReadResult r;
    ProbePower power(protocol.port());
    if (!protocol.sendCommand(cmd::ReadClock)) {
        r.status = finished("clock read", protocol.port(), ProbeStatus::NoAnswer);
        return r;
    }
    r.computerTime = fmt::formatDateTime(QStringLiteral("yy-mm-dd hh:mm:ss"), now);
    const int year2 = r.computerTime.left(2).toInt();

    Frame f{};
    const int got = readReply(protocol, f.data(), 10);
    if (got == 0) {
        r.status = finished("clock read", protocol.port(), ProbeStatus::NoAnswer);
    } else if (got < 10) {
        r.status = finished("clock read", protocol.port(), ProbeStatus::NotSupported);
    } else if (!replyChecksumOk(f.data())) {
        r.status = finished("clock read", protocol.port(), ProbeStatus::ChecksumError);
    } else if (f[1] > 0x40 || f[2] > 0x12 || (f[1] == 0 && f[2] == 0)) {
        r.status = finished("clock read", protocol.port(), ProbeStatus::NotSupported);
    } else {
        // Some probes keep only the year's last digit: the tens come from the computer.
        if (f[1] < 0x10)
            f[1] = static_cast<uint8_t>(f[1] + (year2 / 10) * 16);
        r.probeTime = hex2(f[1]) + '-' + hex2(f[2]) + '-' + hex2(f[4]) + ' ' + hex2(f[5]) + ':'
                      + hex2(f[6]) + ':' + hex2(f[7]);
        r.status = finished("clock read", protocol.port(), ProbeStatus::Complete);
    }
    return r;
}

QString clockDigits(const QDateTime& now)
{
    const int weekday = now.date().dayOfWeek() % 7;   // Qt: 7 is Sunday
    return fmt::formatDateTime(QStringLiteral("yymm"), now) + hex2(static_cast<uint8_t>(weekday))
           + fmt::formatDateTime(QStringLiteral("ddhhnnss"), now);
}

Frame expectedClockFrame(const QString& digits)
{
    Frame e{};
    e[0] = kSync;
    unsigned sum = kSync;
    for (int i = 1; i <= 7; ++i) {
        const int hi = QString(digits[2 * i - 2]).toInt(nullptr, 16);
        const int lo = QString(digits[2 * i - 1]).toInt(nullptr, 16);
        e[i] = static_cast<uint8_t>(hi * 16 + lo);
        sum += e[i];
    }
    e[8] = 0;
    e[9] = static_cast<uint8_t>(sum);
    return e;
}

bool clockReplyMatches(Frame reply, const Frame& e)
{
    // A probe that keeps one year digit answers without the tens.
    if (reply[1] < 0x10) {
        reply[1] = static_cast<uint8_t>(reply[1] + (e[1] & 0xF0));
        reply[9] = static_cast<uint8_t>(reply[9] + (e[1] & 0xF0));
    }
    return reply == e;
}

ProbeStatus setClock(ProbeProtocol& protocol, const QDateTime& now)
{
    ProbePower power(protocol.port());
    if (!protocol.sendCommand(cmd::SetClock))
        return finished("clock setting", protocol.port(), ProbeStatus::NoAnswer);
    const Frame e = expectedClockFrame(clockDigits(now));
    bool error = false;
    bool heard = false;
    for (int i = 1; i <= 7 && !error; ++i) {
        const int echo = protocol.sendDataByte(e[i]);
        heard = heard || echo >= 0;
        error = (echo & 0xFF) != e[i];
    }
    Frame reply{};
    const int got = readReply(protocol, reply.data(), 10);
    if (!heard && got == 0)
        return finished("clock setting", protocol.port(), ProbeStatus::NoAnswer);
    error = error || got != 10 || !clockReplyMatches(reply, e);
    return finished("clock setting", protocol.port(), error ? ProbeStatus::WriteError : ProbeStatus::Complete);
}

float intervalMetres(const Calibration& cal, float density, int count)
{
    return static_cast<float>(slope(cal) * count / (double(density) * 1000.0));
}

std::optional<int> intervalCount(const Calibration& cal, float density, float metres)
{
    const float v = std::fabs(static_cast<float>(double(metres) * density * 1000.0 / slope(cal) + 0.5));
    if (!std::isfinite(v) || v >= 65536.0f)
        return std::nullopt;
    return static_cast<int>(v);
}

QString intervalChoiceText(int position)
{
    return fmt::formatFloat(QStringLiteral("0.0"), position * 0.1);
}

IntervalReadResult readInterval(ProbeProtocol& protocol, float density, const SessionEvents& events)
{
    IntervalReadResult r;
    ProbePower power(protocol.port());
    r.status = calibrate(protocol, &r.calibration, events);
    if (r.status != ProbeStatus::Complete) {
        r.status = finished("interval read", protocol.port(), r.status);
        return r;
    }
    if (!protocol.sendCommand(cmd::ReadInterval)) {
        r.status = finished("interval read", protocol.port(), ProbeStatus::NoAnswer);
        return r;
    }
    uint8_t b[2] = {};
    const int got = readReply(protocol, b, 2);
    if (got == 0) {
        r.status = finished("interval read", protocol.port(), ProbeStatus::NoAnswer);
    } else if (got < 2 || b[0] == kSync) {
        r.status = finished("interval read", protocol.port(), ProbeStatus::NotSupported);
    } else {
        r.count = b[0] * 256 + b[1];
        r.metres = intervalMetres(r.calibration->cal, density, r.count);
        r.status = finished("interval read", protocol.port(), ProbeStatus::Complete);
    }
    return r;
}

IntervalSetResult setInterval(ProbeProtocol& protocol, float density, const QString& readText,
                              const QString& setText, const SessionEvents& events)
{
    IntervalSetResult r;
    if (!readText.isEmpty() && readText == setText) {
        r.status = finished("interval setting", ProbeStatus::SameInterval);
        return r;
    }
    // The text is checked before the probe is switched on, so a bad one never powers it.
    double metres = 0.0;
    if (setText.trimmed().isEmpty()) {
        r.status = finished("interval setting", ProbeStatus::NoInterval);
        return r;
    }
    if (!fmt::parseFloat(setText, &metres)) {
        r.status = finished("interval setting", ProbeStatus::InvalidInterval);
        return r;
    }
    ProbePower power(protocol.port());
    r.status = calibrate(protocol, &r.calibration, events);
    if (r.status != ProbeStatus::Complete) {
        r.status = finished("interval setting", protocol.port(), r.status);
        return r;
    }
    const auto count = intervalCount(r.calibration->cal, density, static_cast<float>(metres));
    if (!count) {
        r.status = finished("interval setting", protocol.port(), ProbeStatus::InvalidInterval);
        return r;
    }
    if (!protocol.sendCommand(cmd::SetInterval)) {
        r.status = finished("interval setting", protocol.port(), ProbeStatus::NoAnswer);
        return r;
    }
    const int hi = protocol.sendDataByte(static_cast<uint8_t>(*count >> 8));
    const int lo = protocol.sendDataByte(static_cast<uint8_t>(*count & 0xFF));
    uint8_t b[2] = {};
    const int got = readReply(protocol, b, 2);
    if (hi < 0 && lo < 0 && got == 0) {
        r.status = finished("interval setting", protocol.port(), ProbeStatus::NoAnswer);
        return r;
    }
    const int echo = (hi & 0xFF) * 256 + (lo & 0xFF);
    r.status = finished("interval setting", protocol.port(), echo == *count ? ProbeStatus::Complete : ProbeStatus::NotSupported);
    return r;
}

}  // namespace probemem
