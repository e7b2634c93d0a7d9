#pragma once
#include "model/ProfileRow.h"
#include "probe/ProbeSession.h"
#include <QDateTime>
#include <QString>
#include <vector>

// Upload of the probe's stored recordings (command I): one profile file per
// recording, every row handed to the caller's sink as it arrives.
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

struct UploadedFile
{
    DirectoryEntry entry;
    QString fileName;   // full path
    int rows = 0;
};

struct UploadResult
{
    // Complete, AbnormalEnd, ChecksumError or DatabaseError once the probe took
    // the command (NotSupported instead of AbnormalEnd when no recording was
    // begun); NoAnswer; BadCalibration.
    ProbeStatus status = ProbeStatus::NoAnswer;
    std::vector<UploadedFile> files;
    std::optional<CalibrationRead> calibration;   // the probe's own, read first
    float atmosphere = 0.0f;   // the last header's surface pressure, else the request's
};

struct UploadRequest
{
    float density = 1.0f;
    int memorySize = 32704;        // MemorySize, for the progress figure
    float atmosphere = 10400.0f;   // until a header brings the surface pressure
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
    // False when rows handed over could not be stored after all.
    virtual bool finish() = 0;
};

// Reads the probe's calibration (events.calibrated), then hands every
// recording to `sink`. events.started when the probe took the command, then
// for each recording events.entry and events.recNo (0, its new file), and
// events.percent as the records arrive.
UploadResult upload(ProbeProtocol& protocol, UploadSink& sink, const UploadRequest& request,
                    const SessionEvents& events = {});

}  // namespace probemem
