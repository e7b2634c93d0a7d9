#pragma once
#include "model/Calibration.h"
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class SerialPort;
class ProbeProtocol;

// What the sessions of the probe-memory commands share: their outcome, the
// power guard, the events a caller may follow, and reading reply frames. A
// session takes the protocol, switches the probe on, runs one command and
// returns a status with its data; the texts the user sees are the caller's.
// Nothing here touches a widget, so a session can run on any thread.
namespace probemem {

// How a session ended.
enum class ProbeStatus {
    Complete,          // the command ran to its end
    NoAnswer,          // no handshake, or no reply at all
    NotSupported,      // the probe does not know the command, or its reply makes no sense
    BadCalibration,    // the calibration line is short, too long or holds no numbers
    ChecksumError,     // a reply frame's checksum differs
    AbnormalEnd,       // a listing, upload or erase ended without its closing frame or byte
    DatabaseError,     // the caller's sink refused a recording or a row
    WriteError,        // a clock setting was echoed or answered wrongly
    SameInterval,      // refusals of an interval setting, before the probe is switched on
    NoInterval,
    InvalidInterval,
    Cancelled,         // the port was interrupted (the user's cancel, the window closing)
};

// A short English name of a status, for the log.
const char* statusName(ProbeStatus s);

// Holds the probe switched on: on when constructed, off when it goes out of
// scope, whichever way the session ends. keepOn() leaves it on for the caller
// (a live run keeps the probe streaming after its calibration was read).
class [[nodiscard]] ProbePower
{
public:
    explicit ProbePower(SerialPort& port);
    ~ProbePower();
    ProbePower(const ProbePower&) = delete;
    ProbePower& operator=(const ProbePower&) = delete;
    void keepOn() { m_keepOn = true; }

private:
    SerialPort& m_port;
    bool m_keepOn = false;
};

// The probe's calibration line as read by command B.
struct CalibrationRead
{
    Calibration cal;
    QString sn;   // the device number
};

// A stored recording as the listing and the upload name it.
struct DirectoryEntry
{
    int number = 0;   // recording number, shown in decimal
    QString time;     // "yy-mm-dd hh:mm"
    bool operator==(const DirectoryEntry&) const = default;
};

// What a session reports while it runs; each may be empty. They are called on
// the session's thread, in order, so a caller on another thread can forward them.
struct SessionEvents
{
    std::function<void()> started;                             // the probe took the command
    std::function<void(const CalibrationRead&)> calibrated;    // the probe's calibration was read
    std::function<void(const DirectoryEntry&)> entry;          // a recording listed, or begun by an upload
    std::function<void(int)> recNo;                            // record number of the file being uploaded
    std::function<void(int)> percent;                          // progress 0..100
};

// Limits of the waits the probe's replies get. The probe answers within a few
// frame times (10 bytes take about 10 ms at 9600 baud); these are far above.
constexpr int kReplyTimeoutMs = 2000;      // 1-, 2- and 10-byte replies, recording header
constexpr int kFrameTimeoutMs = 2000;      // between frames of a listing or an upload
constexpr int kClearEndTimeoutMs = 3000;   // the closing 0xAA after the erase time

using Frame = std::array<uint8_t, 10>;

// Two upper-case hexadecimal digits: the decimal digits of a BCD byte.
QString hex2(uint8_t b);

// "yy-mm-dd hh:mm" from BCD bytes year, month, day, hour, minute.
QString recordingTimeText(const uint8_t* ymdhm);

// Reads one 10-byte frame, waiting up to `timeoutMs`; nullopt when it does not come.
std::optional<Frame> readFrame(ProbeProtocol& protocol, int timeoutMs);

// Reads up to `n` reply bytes within the reply limit; how many arrived.
int readReply(ProbeProtocol& protocol, uint8_t* buffer, int n);

// Command B inside a session whose guard holds the probe on: the probe's
// calibration into `read` (and to events.calibrated), or NoAnswer / BadCalibration.
ProbeStatus calibrate(ProbeProtocol& protocol, std::optional<CalibrationRead>* read,
                      const SessionEvents& events);

// The power-on of a live run: switches the probe on and reads its calibration.
// On Complete the probe stays on, streaming; otherwise it is off.
struct PowerOnResult
{
    ProbeStatus status = ProbeStatus::NoAnswer;
    std::optional<CalibrationRead> calibration;
};
PowerOnResult powerOn(ProbeProtocol& protocol);

// Logs a session's outcome and returns it. An exchange that did not complete
// on a port that was interrupted ends as Cancelled, whatever failed first.
ProbeStatus finished(const char* session, ProbeStatus status);
ProbeStatus finished(const char* session, const SerialPort& port, ProbeStatus status);

}  // namespace probemem
