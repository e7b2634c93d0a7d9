#pragma once
#include "probe/ProbeSession.h"
#include <QDateTime>
#include <QString>
#include <optional>

// The probe's clock (commands C, D) and recording interval (E, F).
namespace probemem {

struct ClockReadResult
{
    // Complete; ChecksumError; NotSupported for a short reply or a year or
    // month out of range; NoAnswer.
    ProbeStatus status = ProbeStatus::NoAnswer;
    QString computerTime;   // "yy-mm-dd hh:mm:ss", the computer's time it was compared with
    QString probeTime;      // "yy-mm-dd hh:mm:ss" as the probe keeps it
};

// `now` is the computer's time; its two-digit year completes a probe year below 0x10.
ClockReadResult readClock(ProbeProtocol& protocol, const QDateTime& now);

// The 14 digits the probe's clock is set from: "yymm", the day of the week
// "00" (Sunday) .. "06" (Saturday), "ddhhmmss".
QString clockDigits(const QDateTime& now);
// The clock frame the probe answers a setting with.
Frame expectedClockFrame(const QString& digits);
// The reply to a setting against the expected frame; a year byte below 0x10
// (a probe that keeps one year digit) is completed from the expected one.
bool clockReplyMatches(Frame reply, const Frame& expected);

// Sets the probe's clock to `now`: Complete, WriteError or NoAnswer.
ProbeStatus setClock(ProbeProtocol& protocol, const QDateTime& now);

// Interval conversions, 32-bit floats: the slope is that of the pressure
// polynomial at a count of 10000.
float intervalMetres(const Calibration& cal, float density, int count);
// nullopt when the count would not fit the probe's 16 bits (or is no number).
std::optional<int> intervalCount(const Calibration& cal, float density, float metres);
// The up-down's choice: position x 0.1 m, "0.0".
QString intervalChoiceText(int position);

struct IntervalReadResult
{
    // Complete; NotSupported; NoAnswer; BadCalibration.
    ProbeStatus status = ProbeStatus::NoAnswer;
    std::optional<CalibrationRead> calibration;   // read first: the conversion needs the probe's own
    int count = 0;
    float metres = 0.0f;
};
IntervalReadResult readInterval(ProbeProtocol& protocol, float density, const SessionEvents& events = {});

struct IntervalSetResult
{
    // Complete; NotSupported when the echo differs; NoAnswer; BadCalibration;
    // SameInterval, NoInterval, InvalidInterval (the first two, and a text
    // that is no number, without switching the probe on).
    ProbeStatus status = ProbeStatus::NoAnswer;
    std::optional<CalibrationRead> calibration;
};
// `readText`, `setText`: the interval read last and the one chosen, as the
// page shows them ("0.0"; empty when none).
IntervalSetResult setInterval(ProbeProtocol& protocol, float density, const QString& readText,
                              const QString& setText, const SessionEvents& events = {});

}  // namespace probemem
