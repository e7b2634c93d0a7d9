#include "probe/ProbeUpload.h"
#include "model/Calibration.h"
#include "probe/Conversions.h"
#include "probe/ProbeProtocol.h"
#include "probe/SerialPort.h"
#include "text/Format.h"
#include <algorithm>

namespace probemem {

namespace {


bool isMarker(const Frame& f) { return f[1] == 0 && f[2] == 0 && f[3] == 0 && f[4] == 0; }

double asStored(float v) { return fmt::formatFloat(QStringLiteral("0.00"), v).toDouble(); }

QString outcomeSuffix(UploadOutcome o)
{
    switch (o) {
    case UploadOutcome::Complete: return QStringLiteral("（传输完成）");
    case UploadOutcome::ChecksumError: return QStringLiteral("（因校验和错误中断了传输）");
    case UploadOutcome::DatabaseError: return QStringLiteral("（因建立数据库文件错误中断了传输）");
    case UploadOutcome::Abnormal:
    case UploadOutcome::NoAnswer: break;
    }
    return QStringLiteral("（非正常结束）");
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
        row.discrip = QStringLiteral("低电");
    return row;
}

UploadResult upload(SerialPort& port, ProbeProtocol& protocol, UploadSink& sink,
                    const UploadRequest& request, Calibration& cal, QString& sn,
                    float& atmosphere, const UploadCallbacks& cb)
{
    UploadResult r;
    port.setPower(1);
    const auto c = protocol.readCalibration(&cal, &sn);
    if (c != ProbeProtocol::CalibrationResult::Ok) {
        port.setPower(0);
        r.message = c == ProbeProtocol::CalibrationResult::NoAnswer ? kNoAnswer : kBadCalibration;
        return r;
    }
    r.calibrated = true;
    if (cb.onCalibrated)
        cb.onCalibrated();
    if (!protocol.sendCommand(cmd::Upload)) {
        port.setPower(0);
        r.message = kNoAnswer;
        return r;
    }
    if (cb.onStarted)
        cb.onStarted();
    if (cb.onProgress)
        cb.onProgress(0);

    r.outcome = UploadOutcome::Abnormal;
    QDateTime pendingStart;   // the start time waits for the file's first row
    while (const auto f = readFrame(port, protocol, kFrameTimeoutMs)) {
        if (!replyChecksumOk(f->data())) {
            r.outcome = UploadOutcome::ChecksumError;
            break;
        }
        if (isEndFrame(*f)) {
            r.outcome = UploadOutcome::Complete;
            break;
        }
        if (isMarker(*f)) {
            const auto hf = readFrame(port, protocol, kReplyTimeoutMs);
            if (!hf)
                break;
            if (!replyChecksumOk(hf->data())) {
                r.outcome = UploadOutcome::ChecksumError;
                break;
            }
            const auto h = recordingHeader(*hf);
            if (!h)
                break;
            r.files.push_back({h->entry, QString(), 0});
            if (cb.onEntry)
                cb.onEntry(h->entry);
            if (cb.onStatus)
                cb.onStatus(QStringLiteral("文件号：") + QString::number(h->entry.number));
            pendingStart = h->start;
            if (h->surfaceCount)
                atmosphere = static_cast<float>(PressureFromCount(cal, *h->surfaceCount));
            if (!sink.beginRecording(*h, &r.files.back().fileName)) {
                r.outcome = UploadOutcome::DatabaseError;
                break;
            }
            if (cb.onRecNo)
                cb.onRecNo(0);   // the new file holds no row yet
            continue;
        }
        if (r.files.empty())
            break;   // a data record before any header
        auto row = uploadRow(*f, cal, atmosphere, request.density);
        if (!row)
            continue;
        if (cb.onProgress && request.memorySize > 0)
            cb.onProgress(std::clamp(static_cast<int>(double((*f)[7]) * 256.0 / request.memorySize * 100.0), 0, 100));
        if (pendingStart.isValid()) {
            row->dt = pendingStart;
            pendingStart = QDateTime();
        }
        if (!sink.appendRow(*row)) {
            r.outcome = UploadOutcome::DatabaseError;
            break;
        }
        ++r.files.back().rows;
    }
    port.setPower(0);

    const int count = static_cast<int>(r.files.size());
    if (count != 0)
        sink.finish();
    if (r.outcome == UploadOutcome::Abnormal && count == 0)
        r.message = kNotSupported;
    else
        r.message = QStringLiteral("传输%1个文件").arg(count) + outcomeSuffix(r.outcome);
    return r;
}

}  // namespace probemem
