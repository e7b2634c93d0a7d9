#include "probe/ProbeMemory.h"
#include "text/Format.h"
#include "probe/MsClock.h"
#include "probe/ProbeProtocol.h"
#include "probe/SerialPort.h"
#include <algorithm>

namespace probemem {

namespace {

constexpr int kSync = 0xAA;

int elapsed(MsClock& clk, uint32_t start) { return static_cast<int>(clk.now() - start); }

}  // namespace

QString hex2(uint8_t b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

QString recordingTimeText(const uint8_t* t)
{
    return hex2(t[0]) + '-' + hex2(t[1]) + '-' + hex2(t[2]) + ' ' + hex2(t[3]) + ':' + hex2(t[4]);
}

std::optional<Frame> readFrame(SerialPort& port, ProbeProtocol& protocol, int timeoutMs)
{
    if (!protocol.waitForBytes(10, timeoutMs))
        return std::nullopt;
    Frame f{};
    if (port.read(reinterpret_cast<char*>(f.data()), 10) != 10)
        return std::nullopt;
    return f;
}

QString clearQuestion(int fileCount)
{
    if (fileCount > 0)
        return QStringLiteral("删除声速仪中的全部 %1 个文件？删除后无法恢复。").arg(fileCount);
    return QStringLiteral("删除声速仪中的全部文件？删除后无法恢复。");
}

ClearResult clearMemory(SerialPort& port, ProbeProtocol& protocol,
                        const std::function<void(int)>& progress)
{
    ClearResult r;
    port.setPower(1);
    if (!protocol.sendCommand(cmd::ClearMemory)) {
        port.setPower(0);
        r.message = kNoAnswer;
        return r;
    }
    MsClock& clk = port.clock();
    auto show = [&](int p) {
        if (progress)
            progress(p);
    };
    show(0);

    if (!protocol.waitForBytes(1, kReplyTimeoutMs)) {
        port.setPower(0);
        r.message = kNoAnswer;
        return r;
    }
    const int n = port.getByte() & 0xFF;
    const uint32_t t = clk.now();
    const bool unknown = n == kSync;
    if (!unknown) {
        // The probe tells the erase time in steps of 4500 ms per 32; below 32
        // there is no erase phase, so the bar is shown full at once.
        const int k = n / 32;
        const int total = k * 4500;
        int shown = 0;
        while (elapsed(clk, t) < total) {
            const int p = std::min(100, elapsed(clk, t) / (k * 45));
            if (p != shown)
                show(shown = p);
            clk.sleepUntil(t + static_cast<uint32_t>(std::min(total, (p + 1) * k * 45)));
        }
        show(100);
    }

    // The probe closes the erase with 0xAA.
    const uint32_t endStart = clk.now();
    bool done = false;
    while (!done) {
        const int left = kClearEndTimeoutMs - elapsed(clk, endStart);
        if (left <= 0 || !protocol.waitForBytes(1, left))
            break;
        done = (port.getByte() & 0xFF) == kSync;
    }
    port.setPower(0);

    // An unknown command is only that: no claim about the files follows it.
    if (unknown)
        r.message = kNotSupported;
    else if (done)
        r.message = QStringLiteral("文件已经删除！");
    else
        r.message = QStringLiteral("文件删除时出错！");
    r.cleared = done && !unknown;
    return r;
}

bool isEndFrame(const Frame& f) { return f[1] == 0xFF && f[2] == 0xFF; }

std::optional<DirectoryEntry> directoryEntry(const Frame& f)
{
    if (f[1] > 31 || (f[1] == 0 && f[2] == 0))
        return std::nullopt;
    return DirectoryEntry{f[1], recordingTimeText(&f[2])};
}

std::optional<MemoryFigures> memoryFigures(const Frame& e)
{
    const int size = (e[3] << 8 | e[4]) - 64;
    const int used = e[5] << 8 | e[6];
    if (size < 1)
        return std::nullopt;
    return MemoryFigures{size, double(size - used + 64) / size * 100.0};
}

ListingResult listRecordings(SerialPort& port, ProbeProtocol& protocol,
                             const std::function<void(const DirectoryEntry&)>& onEntry)
{
    ListingResult r;
    port.setPower(1);
    if (!protocol.sendCommand(cmd::ListRecordings)) {
        port.setPower(0);
        r.message = kNoAnswer;
        return r;
    }
    r.outcome = ListOutcome::Abnormal;
    std::optional<Frame> end;
    while (const auto f = readFrame(port, protocol, kFrameTimeoutMs)) {
        if (!replyChecksumOk(f->data())) {
            r.outcome = ListOutcome::ChecksumError;
            break;
        }
        if (isEndFrame(*f)) {
            r.outcome = ListOutcome::Complete;
            end = f;
            break;
        }
        // Numbers are 0..31 and each names one recording: a number seen before
        // means the probe went back to its live stream (a probe without G).
        const auto entry = directoryEntry(*f);
        if (!entry || std::any_of(r.entries.begin(), r.entries.end(),
                                  [&](const DirectoryEntry& e) { return e.number == entry->number; }))
            break;
        r.entries.push_back(*entry);
        if (onEntry)
            onEntry(*entry);
    }
    port.setPower(0);

    const int count = static_cast<int>(r.entries.size());
    if (r.outcome == ListOutcome::Abnormal && count == 0) {
        r.message = kNotSupported;
        return r;
    }
    r.message = QStringLiteral("共有 %1 个文件").arg(count);
    switch (r.outcome) {
    case ListOutcome::Abnormal:
        r.message += QStringLiteral("（非正常结束）");
        break;
    case ListOutcome::ChecksumError:
        r.message += QStringLiteral("（校验和错误）;");
        break;
    case ListOutcome::Complete:
        // A memory size of 0 or less would divide by zero: MemorySize is kept
        // and no free-memory figure is claimed.
        if (const auto m = memoryFigures(*end)) {
            r.memorySize = m->memorySize;
            r.freePercent = m->freePercent;
            r.message += QStringLiteral("剩余内存：") + fmt::formatFloat(QStringLiteral("0.0"), m->freePercent) + '%';
        }
        break;
    case ListOutcome::NoAnswer:
        break;
    }
    return r;
}

}  // namespace probemem
