// The live frame stream: the bytes a probe streams, taken tick by tick into
// the same ReceivedBytes the window reads, through the frame receiver and the
// recording rules into a list of sample rows. The first byte picks the mode
// and its step; then records of a length byte and the bytes of one tick.
#include "probe/FrameReceiver.h"
#include "probe/LiveRecording.h"
#include "probe/MsClock.h"
#include "probe/ProbeLink.h"
#include <cmath>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t pick = data[0];
    ++data;
    --size;

    SimulatedClock clock;
    Calibration cal;
    cal.lf2048 = 50000.0f;
    cal.tf2048 = 1000.0f;
    float atmosphere = 10400.0f;
    const float density = 1.0f;
    FrameReceiver rx(ConversionInputs{cal, atmosphere, density});
    LiveRecording rec;
    const RecordMode mode = static_cast<RecordMode>(pick % 3);
    rec.setMode(mode);
    const float steps[] = {0.1f, 0.5f, 1.0f, 5.0f};
    rec.startFixedDepth(steps[(pick >> 2) & 3]);
    rec.startFixedTime(uint32_t(100) << ((pick >> 4) & 7), clock.now());
    rx.startPowerOn();

    ReceivedBytes input(clock);
    std::vector<ProfileRow> rows;
    bool first = true;
    size_t pos = 0;
    while (pos < size || input.inputCount() > 0) {
        if (pos < size) {
            const size_t want = data[pos++];
            const size_t n = std::min(want, size - pos);
            input.append(QByteArray(reinterpret_cast<const char*>(data + pos), qsizetype(n)));
            pos += n;
        }
        const int before = input.inputCount();
        rx.tick(input, [&](const FrameResult& r) {
            if (!r.passedGate)
                return true;
            if (!std::isfinite(r.depth) || !std::isfinite(r.temp) || !std::isfinite(r.sv))
                std::abort();
            if (r.sv != 0.0f && !(r.sv >= 1400.0f))
                std::abort();   // a velocity is shown only when accepted
            if (rec.shouldAppend(true, r.sv, r.depth, clock)) {
                rows.push_back(LiveRecording::sampleRow(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)), r.status,
                                                        r.temp, r.sv, r.depth, first, QStringLiteral("fuzz")));
                first = false;
            }
            return true;
        });
        clock.advance(100);
        // With nothing new coming, a tick that reads nothing ends the stream.
        if (pos >= size && input.inputCount() == before)
            break;
    }
    for (const ProfileRow& r : rows) {
        if (!r.depth || !r.velocity || !r.temp || !(*r.velocity >= 1400.0) || !(*r.depth >= 0.1)
            || !std::isfinite(*r.temp))
            std::abort();   // only rows in the water with a velocity are recorded
    }
    return 0;
}
