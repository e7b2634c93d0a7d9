#include "link/PortFactory.h"
#include "link/QtSerialPortBackend.h"
#include "link/SimulatedProbe.h"

std::unique_ptr<SerialPort> createPort(int portNo, const QString& deviceOverride, bool simulateAll, MsClock& clock,
                                       int simulatorFrameRate)
{
    const QString device = deviceForPort(portNo, deviceOverride);
    if (simulateAll || device == QLatin1String("simulator")) {
        auto probe = std::make_unique<SimulatedProbe>(clock);
        probe->setFrameRate(simulatorFrameRate);
        return probe;
    }
    return std::make_unique<QtSerialPortBackend>(device, clock);
}
