#include "probe/ProbeClock.h"
#include "text/Format.h"
#include "model/Calibration.h"
#include "probe/ProbeProtocol.h"
#include "probe/SerialPort.h"
#include <algorithm>
#include <cmath>

namespace probemem {

namespace {

constexpr uint8_t kSync = 0xAA;
const QString kWriteError = QStringLiteral("写入错误或该设备不支持此命令！");

// Reads up to `n` bytes within the reply limit; how many arrived.
int readReply(SerialPort& port, ProbeProtocol& protocol, uint8_t* buf, int n)
{
    protocol.waitForBytes(n, kReplyTimeoutMs);
    const int avail = std::min(n, port.inputCount());
    return avail > 0 ? port.read(reinterpret_cast<char*>(buf), avail) : 0;
}

QString calibrationMessage(ProbeProtocol::CalibrationResult r)
{
    return r == ProbeProtocol::CalibrationResult::NoAnswer ? kNoAnswer : kBadCalibration;
}

double slope(const Calibration& cal) { return double(cal.pa2) * 20000.0 + double(cal.pa1); }

}  // namespace

ClockReadResult readClock(SerialPort& port, ProbeProtocol& protocol, const QDateTime& now)
{
    ClockReadResult r;
    port.setPower(1);
    if (!protocol.sendCommand(cmd::ReadClock)) {
        port.setPower(0);
        r.message = kNoAnswer;
        return r;
    }
    const QString computer = fmt::formatDateTime(QStringLiteral("yy-mm-dd hh:mm:ss"), now);
    const int year2 = computer.left(2).toInt();

    Frame f{};
    const int got = readReply(port, protocol, f.data(), 10);
    port.setPower(0);
    if (got == 0) {
        r.message = kNoAnswer;
        return r;
    }
    if (got < 10) {
        r.message = kNotSupported;
        return r;
    }
    if (!replyChecksumOk(f.data())) {
        r.message = QStringLiteral("接收数据校验和错误！");
        return r;
    }
    if (f[1] > 0x40 || f[2] > 0x12 || (f[1] == 0 && f[2] == 0)) {
        r.message = kNotSupported;
        return r;
    }
    // Some probes keep only the year's last digit: the tens come from the computer.
    if (f[1] < 0x10)
        f[1] = static_cast<uint8_t>(f[1] + (year2 / 10) * 16);
    r.probeTime = hex2(f[1]) + '-' + hex2(f[2]) + '-' + hex2(f[4]) + ' ' + hex2(f[5]) + ':'
                  + hex2(f[6]) + ':' + hex2(f[7]);
    r.ok = true;
    r.message = QStringLiteral("计算机时间为：") + computer + QStringLiteral("\n声速仪时间为：") + r.probeTime;
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

ClockSetResult setClock(SerialPort& port, ProbeProtocol& protocol, const QDateTime& now)
{
    ClockSetResult r;
    port.setPower(1);
    if (!protocol.sendCommand(cmd::SetClock)) {
        port.setPower(0);
        r.message = kNoAnswer;
        return r;
    }
    const Frame e = expectedClockFrame(clockDigits(now));
    bool error = false;
    bool heard = false;
    for (int i = 1; i <= 7 && !error; ++i) {
        const int echo = protocol.sendDataByte(e[i]);
        heard = heard || echo >= 0;
        error = (echo & 0xFF) != e[i];
    }
    Frame reply{};
    const int got = readReply(port, protocol, reply.data(), 10);
    port.setPower(0);
    if (!heard && got == 0) {
        r.message = kNoAnswer;
        return r;
    }
    if (got != 10) {
        error = true;
    } else {
        error = error || !clockReplyMatches(reply, e);
    }
    r.ok = !error;
    r.message = error ? kWriteError : kWriteOk;
    return r;
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

IntervalReadResult readInterval(SerialPort& port, ProbeProtocol& protocol, Calibration& cal,
                                QString& sn, float density)
{
    IntervalReadResult r;
    port.setPower(1);
    const auto c = protocol.readCalibration(&cal, &sn);
    if (c != ProbeProtocol::CalibrationResult::Ok) {
        port.setPower(0);
        r.message = calibrationMessage(c);
        return r;
    }
    r.calibrated = true;
    if (!protocol.sendCommand(cmd::ReadInterval)) {
        port.setPower(0);
        r.message = kNoAnswer;
        return r;
    }
    uint8_t b[2] = {};
    const int got = readReply(port, protocol, b, 2);
    port.setPower(0);
    if (got == 0) {
        r.message = kNoAnswer;
        return r;
    }
    if (got < 2 || b[0] == kSync) {
        r.message = kNotSupported;
        return r;
    }
    r.count = b[0] * 256 + b[1];
    r.text = fmt::formatFloat(QStringLiteral("0.0"), intervalMetres(cal, density, r.count));
    r.ok = true;
    return r;
}

IntervalSetResult setInterval(SerialPort& port, ProbeProtocol& protocol, Calibration& cal,
                              QString& sn, float density, const QString& readText,
                              const QString& setText)
{
    IntervalSetResult r;
    if (!readText.isEmpty() && readText == setText) {
        r.message = kIntervalSame;
        return r;
    }
    // The text is checked before the probe is switched on, so a bad one never leaves it on.
    double metres = 0.0;
    if (setText.trimmed().isEmpty()) {
        r.message = kIntervalMissing;
        return r;
    }
    if (!fmt::parseFloat(setText, &metres)) {
        r.message = kIntervalInvalid;
        return r;
    }
    r.sent = true;
    port.setPower(1);
    const auto c = protocol.readCalibration(&cal, &sn);
    if (c != ProbeProtocol::CalibrationResult::Ok) {
        port.setPower(0);
        r.message = calibrationMessage(c);
        return r;
    }
    r.calibrated = true;
    const auto count = intervalCount(cal, density, static_cast<float>(metres));
    if (!count) {
        port.setPower(0);
        r.message = kIntervalInvalid;
        return r;
    }
    if (!protocol.sendCommand(cmd::SetInterval)) {
        port.setPower(0);
        r.message = kNoAnswer;
        return r;
    }
    const int hi = protocol.sendDataByte(static_cast<uint8_t>(*count >> 8));
    const int lo = protocol.sendDataByte(static_cast<uint8_t>(*count & 0xFF));
    uint8_t b[2] = {};
    const int got = readReply(port, protocol, b, 2);
    port.setPower(0);
    if (hi < 0 && lo < 0 && got == 0) {
        r.message = kNoAnswer;
        return r;
    }
    const int echo = (hi & 0xFF) * 256 + (lo & 0xFF);
    r.ok = echo == *count;
    r.message = r.ok ? kWriteOk : kNotSupported;
    return r;
}

}  // namespace probemem
