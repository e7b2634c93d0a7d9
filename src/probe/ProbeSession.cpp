#include "probe/ProbeSession.h"
#include "probe/Log.h"
#include "probe/ProbeProtocol.h"
#include "probe/SerialPort.h"
#include <algorithm>

namespace probemem {

const char* statusName(ProbeStatus s)
{
    switch (s) {
    case ProbeStatus::Complete: return "complete";
    case ProbeStatus::NoAnswer: return "no answer";
    case ProbeStatus::NotSupported: return "not supported";
    case ProbeStatus::BadCalibration: return "bad calibration";
    case ProbeStatus::ChecksumError: return "checksum error";
    case ProbeStatus::AbnormalEnd: return "abnormal end";
    case ProbeStatus::DatabaseError: return "database error";
    case ProbeStatus::WriteError: return "write error";
    case ProbeStatus::SameInterval: return "same interval";
    case ProbeStatus::NoInterval: return "no interval";
    case ProbeStatus::InvalidInterval: return "invalid interval";
    case ProbeStatus::Cancelled: return "cancelled";
    }
    return "?";
}

ProbePower::ProbePower(SerialPort& port) : m_port(port)
{
    qCDebug(lcProbe) << "power on";
    m_port.setPower(1);
}

ProbePower::~ProbePower()
{
    if (m_keepOn)
        return;
    qCDebug(lcProbe) << "power off";
    m_port.setPower(0);
}

QString hex2(uint8_t b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

QString recordingTimeText(const uint8_t* t)
{
    return hex2(t[0]) + '-' + hex2(t[1]) + '-' + hex2(t[2]) + ' ' + hex2(t[3]) + ':' + hex2(t[4]);
}

std::optional<Frame> readFrame(ProbeProtocol& protocol, int timeoutMs)
{
    if (!protocol.waitForBytes(10, timeoutMs)) {
        qCDebug(lcProbe) << "no frame within" << timeoutMs << "ms";
        return std::nullopt;
    }
    Frame f{};
    if (protocol.port().read(reinterpret_cast<char*>(f.data()), 10) != 10)
        return std::nullopt;
    return f;
}

int readReply(ProbeProtocol& protocol, uint8_t* buffer, int n)
{
    SerialPort& port = protocol.port();
    if (!protocol.waitForBytes(n, kReplyTimeoutMs))
        qCDebug(lcProbe) << "reply of" << n << "bytes not complete within" << kReplyTimeoutMs << "ms";
    const int avail = std::min(n, port.inputCount());
    return avail > 0 ? port.read(reinterpret_cast<char*>(buffer), avail) : 0;
}

ProbeStatus calibrate(ProbeProtocol& protocol, std::optional<CalibrationRead>* read,
                      const SessionEvents& events)
{
    CalibrationRead c;
    switch (protocol.readCalibration(&c.cal, &c.sn)) {
    case ProbeProtocol::CalibrationResult::Ok: break;
    case ProbeProtocol::CalibrationResult::NoAnswer: return ProbeStatus::NoAnswer;
    case ProbeProtocol::CalibrationResult::BadLine: return ProbeStatus::BadCalibration;
    }
    qCDebug(lcProbe).noquote() << "calibration of" << c.sn;
    *read = c;
    if (events.calibrated)
        events.calibrated(c);
    return ProbeStatus::Complete;
}

PowerOnResult powerOn(ProbeProtocol& protocol)
{
    PowerOnResult r;
    ProbePower power(protocol.port());
    r.status = finished("power-on", protocol.port(), calibrate(protocol, &r.calibration, {}));
    if (r.status == ProbeStatus::Complete)
        power.keepOn();
    return r;
}

ProbeStatus finished(const char* session, ProbeStatus status)
{
    qCDebug(lcProbe) << session << "ended:" << statusName(status);
    return status;
}

ProbeStatus finished(const char* session, const SerialPort& port, ProbeStatus status)
{
    if (status != ProbeStatus::Complete && port.interrupted())
        status = ProbeStatus::Cancelled;
    return finished(session, status);
}

}  // namespace probemem
