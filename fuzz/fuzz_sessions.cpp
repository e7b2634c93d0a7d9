// The probe sessions against a port that answers the fuzz bytes (see
// FuzzPort.h), on the simulated clock. The first byte picks the session:
// listing, upload, clock read, clock set, interval read, interval set,
// clearing. Every session ends, within bounded time on the clock, and what it
// hands over is sane.
#include "FuzzPort.h"
#include "probe/ProbeClock.h"
#include "probe/ProbeMemory.h"
#include "probe/ProbeProtocol.h"
#include "probe/ProbeUpload.h"
#include <cmath>
#include <cstdlib>

namespace {

class CheckingSink : public probemem::UploadSink
{
public:
    bool beginRecording(const probemem::RecordingHeader& header, QString* fileName) override
    {
        if (!header.start.isValid() || header.baseName.isEmpty())
            std::abort();
        *fileName = header.baseName;
        ++m_recordings;
        return true;
    }
    bool appendRow(const ProfileRow& row) override
    {
        if (m_recordings == 0)
            std::abort();   // a row belongs to a recording begun
        for (const auto& v : {row.depth, row.velocity, row.temp})
            if (v && !std::isfinite(*v))
                std::abort();
        return true;
    }
    bool finish() override
    {
        if (m_recordings == 0)
            std::abort();
        return true;
    }

private:
    int m_recordings = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    FuzzPort port(data + 1, size - 1);
    ProbeProtocol protocol(port);
    const uint32_t start = port.clock().now();
    const QDateTime now(QDate(2024, 5, 6), QTime(7, 8, 9));
    switch (data[0] % 7) {
    case 0: {
        const auto r = probemem::listRecordings(protocol);
        if (r.memory && (r.memory->memorySize < 1 || !std::isfinite(r.memory->freePercent)))
            std::abort();
        break;
    }
    case 1: {
        CheckingSink sink;
        const auto r = probemem::upload(protocol, sink, probemem::UploadRequest{});
        if (!std::isfinite(r.atmosphere))
            std::abort();
        break;
    }
    case 2:
        (void)probemem::readClock(protocol, now);
        break;
    case 3:
        (void)probemem::setClock(protocol, now);
        break;
    case 4: {
        const auto r = probemem::readInterval(protocol, 1.0f);
        if (r.status == probemem::ProbeStatus::Complete && !std::isfinite(r.metres))
            std::abort();
        break;
    }
    case 5:
        (void)probemem::setInterval(protocol, 1.0f, QStringLiteral("1.0"), QStringLiteral("2.0"));
        break;
    default:
        (void)probemem::clearMemory(protocol);
        break;
    }
    // Each byte of the input can hold a session up by some seconds at most.
    if (port.clock().now() - start > 30000u + 4000u * uint32_t(size))
        std::abort();
    return 0;
}
