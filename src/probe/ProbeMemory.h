#pragma once
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class SerialPort;
class ProbeProtocol;

// The probe-memory commands of the self-contained page, without a window: each
// switches the probe on, runs one command, switches it off on every path and
// returns the text the window shows. Every wait for the probe is bounded.
namespace probemem {

inline const QString kNoAnswer = QStringLiteral("声速仪无应答，请检查电缆连接和电池电量！");
inline const QString kNotSupported = QStringLiteral("该设备不支持此命令！");
inline const QString kBadCalibration = QStringLiteral("标定参数读出错误，需要厂家维修！");

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
std::optional<Frame> readFrame(SerialPort& port, ProbeProtocol& protocol, int timeoutMs);

// ---- clearing (command J) ----

// The question the window asks before clearing; `fileCount` < 1 when no listing told it.
QString clearQuestion(int fileCount);
inline const QString kClearCaption = QStringLiteral("删除文件");

struct ClearResult
{
    bool cleared = false;   // the probe reported the end of the erase
    QString message;
};

// `progress` gets 0..100 while the probe erases (the window repaints `pr`).
ClearResult clearMemory(SerialPort& port, ProbeProtocol& protocol,
                        const std::function<void(int percent)>& progress);

// ---- listing (command G) ----

struct DirectoryEntry
{
    int number = 0;   // recording number, shown in decimal
    QString time;     // "yy-mm-dd hh:mm"
    bool operator==(const DirectoryEntry&) const = default;
};

enum class ListOutcome { NoAnswer, Complete, Abnormal, ChecksumError };

struct ListingResult
{
    ListOutcome outcome = ListOutcome::NoAnswer;
    std::vector<DirectoryEntry> entries;
    std::optional<int> memorySize;   // the new MemorySize, when the end frame gave a usable one
    std::optional<double> freePercent;
    QString message;
};

// A directory frame (checksum already tested) as an entry; nullopt when invalid.
std::optional<DirectoryEntry> directoryEntry(const Frame& f);
bool isEndFrame(const Frame& f);

// Figures of a listing's end frame: size = bytes 3-4 - 64, free = (size -
// bytes 5-6 + 64) / size * 100. nullopt for a size below 1 (no divisor).
struct MemoryFigures
{
    int memorySize = 0;
    double freePercent = 0.0;
};
std::optional<MemoryFigures> memoryFigures(const Frame& endFrame);

ListingResult listRecordings(SerialPort& port, ProbeProtocol& protocol,
                             const std::function<void(const DirectoryEntry&)>& onEntry);

}  // namespace probemem
