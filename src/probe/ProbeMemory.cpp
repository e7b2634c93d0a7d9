#include "probe/ProbeMemory.h"
#include "probe/Log.h"
#include "probe/MsClock.h"
#include "probe/ProbeProtocol.h"
#include "probe/SerialPort.h"
#include <algorithm>

namespace probemem {

namespace {

constexpr int kSync = 0xAA;

int elapsed(MsClock& clk, uint32_t start) { return static_cast<int>(clk.now() - start); }

}  // namespace

ProbeStatus clearMemory(ProbeProtocol& protocol, const SessionEvents& events)
{
    SerialPort& port = protocol.port();
    ProbePower power(port);
    if (!protocol.sendCommand(cmd::ClearMemory))
        return finished("clear", port, ProbeStatus::NoAnswer);
    MsClock& clk = port.clock();
    auto show = [&](int p) {
        if (events.percent)
            events.percent(p);
    };
    if (events.started)
        events.started();
    show(0);

    if (!protocol.waitForBytes(1, kReplyTimeoutMs)) {
        qCDebug(lcProbe) << "no erase time within" << kReplyTimeoutMs << "ms";
        return finished("clear", port, ProbeStatus::NoAnswer);
    }
    const int n = port.getByte() & 0xFF;
    const uint32_t t = clk.now();
    const bool unknown = n == kSync;
    if (!unknown) {
        // The probe tells the erase time in steps of 4500 ms per 32; below 32
        // there is no erase phase, so the bar is shown full at once.
        const int k = n / 32;
        const int total = k * 4500;
        qCDebug(lcProbe) << "erasing for" << total << "ms";
        int shown = 0;
        while (elapsed(clk, t) < total) {
            const int p = std::min(100, elapsed(clk, t) / (k * 45));
            if (p != shown)
                show(shown = p);
            const int next = std::min(total, (p + 1) * k * 45);
            if (!port.pause(next - elapsed(clk, t)))
                return finished("clear", port, ProbeStatus::AbnormalEnd);
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
    if (!done)
        qCDebug(lcProbe) << "no closing byte within" << kClearEndTimeoutMs << "ms";

    // An unknown command is only that: no claim about the files follows it.
    if (unknown)
        return finished("clear", port, ProbeStatus::NotSupported);
    return finished("clear", port, done ? ProbeStatus::Complete : ProbeStatus::AbnormalEnd);
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

ListingResult listRecordings(ProbeProtocol& protocol, const SessionEvents& events)
{
    ListingResult r;
    ProbePower power(protocol.port());
    if (!protocol.sendCommand(cmd::ListRecordings)) {
        r.status = finished("listing", protocol.port(), ProbeStatus::NoAnswer);
        return r;
    }
    if (events.started)
        events.started();
    r.status = ProbeStatus::AbnormalEnd;
    while (const auto f = readFrame(protocol, kFrameTimeoutMs)) {
        if (!replyChecksumOk(f->data())) {
            r.status = ProbeStatus::ChecksumError;
            break;
        }
        if (isEndFrame(*f)) {
            r.status = ProbeStatus::Complete;
            // A memory size of 0 or less would divide by zero: MemorySize is
            // kept and no free-memory figure is claimed.
            r.memory = memoryFigures(*f);
            break;
        }
        // Numbers are 0..31 and each names one recording: a number seen before
        // means the probe went back to its live stream (a probe without G).
        const auto entry = directoryEntry(*f);
        if (!entry || std::any_of(r.entries.begin(), r.entries.end(),
                                  [&](const DirectoryEntry& e) { return e.number == entry->number; })) {
            qCDebug(lcProbe) << "listing: invalid or repeated entry" << f->at(1);
            break;
        }
        r.entries.push_back(*entry);
        if (events.entry)
            events.entry(*entry);
    }
    // Nothing listed and no end: the probe does not know the command.
    if (r.status == ProbeStatus::AbnormalEnd && r.entries.empty())
        r.status = ProbeStatus::NotSupported;
    qCDebug(lcProbe) << "listing:" << r.entries.size() << "entries";
    r.status = finished("listing", protocol.port(), r.status);
    return r;
}

}  // namespace probemem
