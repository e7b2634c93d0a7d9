#include "probe/ProbeUpload.h"
#include "probe/Conversions.h"
#include "probe/Log.h"
#include "probe/ProbeMemory.h"
#include "probe/ProbeProtocol.h"
#include "probe/SerialPort.h"
#include "text/Format.h"
#include <algorithm>

namespace probemem {

namespace {

bool isMarker(const Frame& f) { return f[1] == 0 && f[2] == 0 && f[3] == 0 && f[4] == 0; }

double asStored(float v) { return fmt::formatFloat(QStringLiteral("0.00"), v).toDouble(); }

// The exchange itself, under the power guard; the files are the caller's.
void receive(ProbeProtocol& protocol, UploadSink& sink, const UploadRequest& request,
             const SessionEvents& events, UploadResult& r)
{
    ProbePower power(protocol.port());
    r.status = calibrate(protocol, &r.calibration, events);
    if (r.status != ProbeStatus::Complete)
        return;
    const Calibration& cal = r.calibration->cal;
    if (!protocol.sendCommand(cmd::Upload)) {
        r.status = ProbeStatus::NoAnswer;
        return;
    }
    if (events.started)
        events.started();
    if (events.percent)
        events.percent(0);

    r.status = ProbeStatus::AbnormalEnd;
    QDateTime pendingStart;   // the start time waits for the file's first row
    SerialPort& port = protocol.port();
    int leftAfterCancel = -1;   // frames that had arrived when the cancel came
    while (const auto f = readFrame(protocol, kFrameTimeoutMs)) {
        // A cancel ends the upload like an abnormal end, after the frames that
        // had already arrived: every row received is kept.
        if (port.interrupted()) {
            if (leftAfterCancel < 0)
                leftAfterCancel = std::max(0, port.inputCount()) / 10 + 1;
            if (leftAfterCancel-- == 0)
                break;
        }
        if (!replyChecksumOk(f->data())) {
            r.status = ProbeStatus::ChecksumError;
            break;
        }
        if (isEndFrame(*f)) {
            r.status = ProbeStatus::Complete;
            break;
        }
        if (isMarker(*f)) {
            const auto hf = readFrame(protocol, kReplyTimeoutMs);
            if (!hf)
                break;
            if (!replyChecksumOk(hf->data())) {
                r.status = ProbeStatus::ChecksumError;
                break;
            }
            const auto h = recordingHeader(*hf);
            if (!h) {
                qCDebug(lcProbe) << "upload: invalid recording header";
                break;
            }
            qCDebug(lcProbe).noquote() << "upload: recording" << h->entry.number << h->entry.time;
            r.files.push_back({h->entry, QString(), 0});
            if (events.entry)
                events.entry(h->entry);
            pendingStart = h->start;
            if (h->surfaceCount)
                r.atmosphere = static_cast<float>(PressureFromCount(cal, *h->surfaceCount));
            if (!sink.beginRecording(*h, &r.files.back().fileName)) {
                r.status = ProbeStatus::DatabaseError;
                break;
            }
            if (events.recNo)
                events.recNo(0);   // the new file holds no row yet
            continue;
        }
        if (r.files.empty()) {
            qCDebug(lcProbe) << "upload: data record before any header";
            break;
        }
        auto row = uploadRow(*f, cal, r.atmosphere, request.density);
        if (!row)
            continue;
        if (events.percent && request.memorySize > 0)
            events.percent(std::clamp(static_cast<int>(double((*f)[7]) * 256.0 / request.memorySize * 100.0), 0, 100));
        if (pendingStart.isValid()) {
            row->dt = pendingStart;
            pendingStart = QDateTime();
        }
        if (!sink.appendRow(*row)) {
            r.status = ProbeStatus::DatabaseError;
            break;
        }
        ++r.files.back().rows;
    }
}

}  // namespace

std::optional<RecordingHeader> recordingHeader(const Frame& f)
{
    const auto entry = directoryEntry(f);
    if (!entry)
        return std::nullopt;
    RecordingHeader h;
    h.entry = *entry;
    for (int i = 2; i <= 6; ++i)
        h.baseName += hex2(f[i]);
    const QDate day = QDate::fromString(QStringLiteral("20%1-%2-%3").arg(hex2(f[2]), hex2(f[3]), hex2(f[4])),
                                        QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(QStringLiteral("%1:%2").arg(hex2(f[5]), hex2(f[6])), QStringLiteral("HH:mm"));
    // A start time that is no date means a damaged header, not a recording.
    if (!day.isValid() || !time.isValid())
        return std::nullopt;
    h.start = QDateTime(day, time);
    // The probe's clock knows no daylight saving: a start in the hour the
    // local clock skips is kept, counted on from midnight.
    if (!h.start.isValid())
        h.start = QDateTime(day, QTime(0, 0)).addSecs(time.msecsSinceStartOfDay() / 1000);
    if (f[7] != 0)
        h.surfaceCount = f[7] * 256 + f[8];
    return h;
}

std::optional<ProfileRow> uploadRow(const Frame& f, const Calibration& cal, float atmosphere,
                                    float density)
{
    const int status = f[8];
    if (status == 0xFF)
        return std::nullopt;
    const auto sv = SoundVelocityFromCount(cal, f[1] * 256 + f[2]);
    const auto depth = DepthFromCount(cal, atmosphere, density, static_cast<float>(f[3] * 256 + f[4]));
    if (!sv || !depth)
        return std::nullopt;
    ProfileRow row;
    row.depth = asStored(*depth);
    row.velocity = asStored(*sv);
    row.temp = asStored(TemperatureFromCount(cal, static_cast<float>(f[5] * 256 + f[6])));
    row.status = status;
    if (status & 1)
        row.discrip = kLowBatteryText;
    return row;
}

UploadResult upload(ProbeProtocol& protocol, UploadSink& sink, const UploadRequest& request,
                    const SessionEvents& events)
{
    UploadResult r;
    r.atmosphere = request.atmosphere;
    receive(protocol, sink, request, events, r);
    // Rows the sink could not store after all end the upload as a database error.
    if (!r.files.empty() && !sink.finish() && r.status != ProbeStatus::DatabaseError)
        r.status = ProbeStatus::DatabaseError;
    // Nothing begun and no end: the probe does not know the command.
    if (r.status == ProbeStatus::AbnormalEnd && r.files.empty() && !protocol.port().interrupted())
        r.status = ProbeStatus::NotSupported;
    qCDebug(lcProbe) << "upload:" << r.files.size() << "recordings";
    r.status = finished("upload", protocol.port(), r.status);
    return r;
}

}  // namespace probemem
