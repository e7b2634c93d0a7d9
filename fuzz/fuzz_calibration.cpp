// The calibration line as command B reads it from the port: the fuzz bytes are
// the probe's answer (its acknowledge byte first), on the simulated clock.
#include "FuzzPort.h"
#include "probe/ProbeProtocol.h"
#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The parser alone, on the bytes as one line.
    {
        Calibration cal;
        QString sn;
        if (parseCalibrationLine(QByteArray(reinterpret_cast<const char*>(data), int(size)), &cal, &sn)) {
            const float all[] = {cal.lf2048, cal.tf2048, cal.pa0, cal.pa1, cal.pa2, cal.ta0,
                                 cal.ta1, cal.ta2, cal.ta3, cal.ta4, cal.ta5};
            for (float v : all)
                if (!std::isfinite(v))
                    std::abort();
        }
    }
    // The whole exchange through a port that answers the bytes.
    FuzzPort port(data, size);
    ProbeProtocol protocol(port);
    const Calibration before;
    Calibration cal;
    QString sn = QStringLiteral("unchanged");
    const auto r = protocol.readCalibration(&cal, &sn);
    if (r != ProbeProtocol::CalibrationResult::Ok) {
        // A refused line leaves the window's values alone.
        if (sn != QStringLiteral("unchanged") || std::memcmp(&cal, &before, sizeof cal) != 0)
            std::abort();
    }
    if (port.clock().now() > 60000)
        std::abort();   // every wait is bounded
    return 0;
}
