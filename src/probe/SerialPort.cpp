#include "probe/SerialPort.h"
#include "probe/MsClock.h"

bool SerialPort::waitForBytes(int count, int ms)
{
    MsClock& c = clock();
    const uint32_t start = c.now();
    for (;;) {
        if (inputCount() >= count)
            return true;
        if (static_cast<int>(c.now() - start) >= ms)
            return false;
        c.sleepMs(1);
    }
}

QString deviceForPort(int portNo, const QString& configuredDevice)
{
    if (!configuredDevice.isEmpty())
        return configuredDevice;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNo);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNo - 1);
#endif
}
