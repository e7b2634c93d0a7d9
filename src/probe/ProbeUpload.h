#pragma once
#include "model/ProfileRow.h"
#include "probe/ProbeMemory.h"
#include <QDateTime>
#include <QString>

struct Calibration;

// Upload of the probe's stored recordings (command I): one profile file per
// recording, every row committed as it arrives.
namespace probemem {

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

// Where the recordings go, one after another: the caller's files. Every row
// handed over is to be stored before appendRow returns, so that a cut cable
// keeps every row received.
class UploadSink
{
public:
    virtual ~UploadSink() = default;
    // A recording starts; false when it cannot be stored (the upload ends).
    // `fileName` names where it goes, for the result.
    virtual bool beginRecording(const RecordingHeader& header, QString* fileName) = 0;
    virtual bool appendRow(const ProfileRow& row) = 0;
    // The upload is over and at least one recording was begun.
    virtual void finish() = 0;
};

// Reads the probe's calibration into `cal` and `sn`, then hands every
// recording to `sink`; `atmosphere` takes the surface pressure of each header
// that has one.
UploadResult upload(SerialPort& port, ProbeProtocol& protocol, UploadSink& sink,
                    const UploadRequest& request, Calibration& cal, QString& sn,
                    float& atmosphere, const UploadCallbacks& callbacks = {});

}  // namespace probemem
