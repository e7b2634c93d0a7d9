#include "link/PortFactory.h"
#include "link/QtSerialPortBackend.h"
#include "link/SimulatedProbe.h"

std::unique_ptr<SerialPort> createPort(int portNo, const QString& deviceOverride, bool simulateAll, MsClock& clock)
{
    const QString device = deviceForPort(portNo, deviceOverride);
    if (simulateAll || device == QLatin1String("simulator"))
        return std::make_unique<SimulatedProbe>(clock);
    return std::make_unique<QtSerialPortBackend>(device, clock);
}
