#include "probe/PortFactory.h"
#include "probe/QtSerialPortBackend.h"
#include "probe/SimulatedProbe.h"
#include <QSerialPortInfo>
#include <algorithm>

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

PortOpenResult openProbePort(SerialPort* port)
{
    if (!port || port->open() < 0)
        return PortOpenResult::OpenFailed;
    if (port->setBaud(9600) < 0) {
        port->close();
        return PortOpenResult::BaudFailed;
    }
    port->setPower(0);
    port->setTransmit(0);
    return PortOpenResult::Ok;
}

std::vector<SerialDevice> presentSerialDevices()
{
    std::vector<SerialDevice> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        out.push_back({info.portName(), info.systemLocation(), info.description(), info.manufacturer(),
                       info.serialNumber()});
    std::sort(out.begin(), out.end(), [](const SerialDevice& a, const SerialDevice& b) { return a.name < b.name; });
    return out;
}
