#pragma once
#include "data/ProfileRow.h"
#include "link/ProbeMemory.h"
#include <QDateTime>
#include <QSet>
#include <QString>

struct Calibration;
class ProfileTable;

// Upload of the probe's stored recordings (command I): one profile file per
// recording, every row committed as it arrives.
namespace probemem {

// The upload directory with a trailing separator.
QString withTrailingSeparator(const QString& path);
// Creates a missing directory (one level, its parent must exist). Empty on
// success, else the text the window reports.
QString ensureUploadDirectory(const QString& pathWithSeparator);

inline const QString kNoPath = QStringLiteral("清先指定存储路径！");

struct RecordingHeader
{
    DirectoryEntry entry;
    QString baseName;                 // ten BCD digits of year..minute, no extension
    QDateTime start;                  // 20yy-mm-dd hh:mm:00
    std::optional<int> surfaceCount;  // pressure count at the surface, when byte 7 != 0
};
// A header frame (checksum already tested); nullopt when invalid: number above
// 31, bytes 1 and 2 both 0, or a time that is no date.
std::optional<RecordingHeader> recordingHeader(const Frame& f);

// One data record as a profile row, converted without the live filter; the
// values are those of their "0.00" texts. nullopt for an empty record (status
// 0xFF) and for counts the calibration gives no reading for.
std::optional<ProfileRow> uploadRow(const Frame& f, const Calibration& cal, float atmosphere,
                                    float density);

// Whether `file` holds an earlier upload of the recording started at `start`:
// a profile file with no rows, or whose first row is a raw cast (status below
// 64) with that start time. Only such a file may be replaced.
bool isEarlierUpload(const QString& file, const QDateTime& start);

// The file a recording goes to: `dir` + base + ".db", or, when that name was
// written in this upload or holds anything but an earlier upload of the same
// recording, the first free base + "-2.db", "-3.db", ... Empty when none is left.
QString profileFileFor(const QString& dir, const QString& baseName, const QDateTime& start,
                       const QSet<QString>& writtenThisUpload);

enum class UploadOutcome { NoAnswer, Complete, Abnormal, ChecksumError, DatabaseError };

struct UploadedFile
{
    DirectoryEntry entry;
    QString fileName;   // full path
    int rows = 0;
};

struct UploadResult
{
    UploadOutcome outcome = UploadOutcome::NoAnswer;
    std::vector<UploadedFile> files;
    bool calibrated = false;   // the calibration was read: "设备号：" + SN is shown
    QString message;
};

struct UploadRequest
{
    QString path;             // directory with a trailing separator, existing
    float density = 1.0f;
    int memorySize = 32704;   // MemorySize, for the progress figure
};

// What the window repaints while the upload runs; each may be empty.
struct UploadCallbacks
{
    std::function<void(const DirectoryEntry&)> onEntry;   // a FileList row
    std::function<void(const QString&)> onStatus;        // status panel 0: "文件号：" + number
    std::function<void(int)> onRecNo;                    // status panel 1
    std::function<void(int)> onProgress;                 // pr, 0..100
    std::function<void()> onCalibrated;                  // the calibration was read
    std::function<void()> onStarted;                     // the probe took the command
};

// Reads the probe's calibration into `cal` and `sn`, then uploads every
// recording through `table` (the window's svTable); `atmosphere` takes the
// surface pressure of each header that has one. When a recording was started,
// `table` is left closed with an empty table name.
UploadResult upload(SerialPort& port, ProbeProtocol& protocol, ProfileTable& table,
                    const UploadRequest& request, Calibration& cal, QString& sn,
                    float& atmosphere, const UploadCallbacks& callbacks = {});

}  // namespace probemem
