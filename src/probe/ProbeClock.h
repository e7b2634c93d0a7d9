#pragma once
#include "probe/ProbeMemory.h"
#include <QDateTime>
#include <QString>

struct Calibration;

// The probe's clock (commands C, D) and recording interval (E, F).
namespace probemem {

inline const QString kWriteOk = QStringLiteral("写入正确！");

struct ClockReadResult
{
    bool ok = false;
    QString probeTime;   // "yy-mm-dd hh:mm:ss" as the probe keeps it
    QString message;
};

// `now` is the computer's time; its two-digit year completes a probe year below 0x10.
ClockReadResult readClock(SerialPort& port, ProbeProtocol& protocol, const QDateTime& now);

// The 14 digits the probe's clock is set from: "yymm", the day of the week
// "00" (Sunday) .. "06" (Saturday), "ddhhmmss".
QString clockDigits(const QDateTime& now);
// The clock frame the probe answers a setting with.
Frame expectedClockFrame(const QString& digits);
// The reply to a setting against the expected frame; a year byte below 0x10
// (a probe that keeps one year digit) is completed from the expected one.
bool clockReplyMatches(Frame reply, const Frame& expected);

struct ClockSetResult
{
    bool ok = false;
    QString message;
};
ClockSetResult setClock(SerialPort& port, ProbeProtocol& protocol, const QDateTime& now);

// Interval conversions, 32-bit floats: the slope is that of the pressure
// polynomial at a count of 10000.
float intervalMetres(const Calibration& cal, float density, int count);
// nullopt when the count would not fit the probe's 16 bits (or is no number).
std::optional<int> intervalCount(const Calibration& cal, float density, float metres);
// The up-down's choice: position x 0.1 m, "0.0".
QString intervalChoiceText(int position);

struct IntervalReadResult
{
    bool ok = false;
    QString text;      // edReadIntv: metres, "0.0"
    int count = 0;
    bool calibrated = false;   // the calibration was read: "设备号：" + SN is shown
    QString message;   // empty on success: the window only fills the edit
};
// Reads the calibration into `cal`, `sn` first (the conversion needs the probe's own).
IntervalReadResult readInterval(SerialPort& port, ProbeProtocol& protocol,
                                Calibration& cal, QString& sn, float density);

struct IntervalSetResult
{
    bool ok = false;
    bool sent = false;   // the probe was asked at all
    bool calibrated = false;
    QString message;
};
// `readText`, `setText`: the texts of edReadIntv and edSetIntv.
IntervalSetResult setInterval(SerialPort& port, ProbeProtocol& protocol, Calibration& cal,
                              QString& sn, float density, const QString& readText,
                              const QString& setText);

inline const QString kIntervalSame = QStringLiteral("当前参数与要设置参数相同，不必重置！");
inline const QString kIntervalMissing = QStringLiteral("请先选择要设置的记录间距！");
inline const QString kIntervalInvalid = QStringLiteral("记录间距数值错误！");

}  // namespace probemem
