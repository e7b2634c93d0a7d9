#pragma once
#include "probe/PortFactory.h"
#include "probe/ProbeClock.h"
#include "probe/ProbeMemory.h"
#include "probe/ProbeUpload.h"
#include <QString>

// The texts the user is shown for the probe's commands: one table of the
// sessions' outcomes, shared by the window's message boxes and svptool.
namespace probemsg {

using probemem::ProbeStatus;

// The command an outcome belongs to: a checksum error or a complete run reads
// differently after each.
enum class Command { PowerOn, ReadClock, SetClock, ReadInterval, SetInterval, Clear, List, Upload };

// The message after `command` ended with `status`; empty when nothing is shown
// (a calibration or an interval read that succeeded). The listing's and the
// upload's texts hold their count: use the overloads below for them.
QString message(Command command, ProbeStatus status);

// "计算机时间为：…\n声速仪时间为：…" or the failure.
QString message(const probemem::ClockReadResult& r);
// "共有 n 个文件" with the outcome or the free memory, or the failure.
QString message(const probemem::ListingResult& r);
// "传输n个文件" with the outcome, or the failure.
QString message(const probemem::UploadResult& r);

// Opening the probe's port; empty for Ok. The fixed text, then the device
// and the system's reason on a line of their own when known.
QString portOpenMessage(PortOpenResult r, const QString& device = QString(), const QString& reason = QString());

// Status panel 2 after a calibration was read.
QString deviceNumberText(const QString& sn);
// Status panel 0 while a recording is uploaded.
QString recordingText(int number);

// The question asked before clearing; `fileCount` < 1 when no listing told it.
QString clearQuestion(int fileCount);
QString clearCaption();

}  // namespace probemsg
