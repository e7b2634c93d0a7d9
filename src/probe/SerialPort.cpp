#include "probe/SerialPort.h"
#include "probe/MsClock.h"
#include <algorithm>

bool SerialPort::waitForBytes(int count, int ms)
{
    MsClock& c = clock();
    const uint32_t start = c.now();
    for (;;) {
        const int n = inputCount();
        if (n >= count)
            return true;
        if (n < 0 || interrupted() || static_cast<int>(c.now() - start) >= ms)
            return false;
        c.sleepMs(1);
    }
}

bool SerialPort::pause(int ms)
{
    MsClock& c = clock();
    const uint32_t end = c.now() + static_cast<uint32_t>(std::max(ms, 0));
    for (;;) {
        if (interrupted())
            return false;
        const int left = static_cast<int>(end - c.now());
        if (left <= 0)
            return true;
        c.sleepUnless(static_cast<uint32_t>(left), [this] { return interrupted(); });
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
