#pragma once
#include "probe/SerialPort.h"
#include <QString>
#include <memory>
#include <vector>

class MsClock;

// The port for a port number: the simulator when the device is "simulator" or
// every port is simulated (--simulate), streaming `simulatorFrameRate` live
// frames a second, else the real device. Not yet opened.
std::unique_ptr<SerialPort> createPort(int portNo, const QString& deviceOverride, bool simulateAll, MsClock& clock,
                                       int simulatorFrameRate = 10);

enum class PortOpenResult { Ok, OpenFailed, BaudFailed };

// Opens the port and sets it up for the probe: 9600 baud, the power and the
// transmit-enable lines low. A port that fails is left closed.
PortOpenResult openProbePort(SerialPort* port);

// A serial device the system has, as the port chooser offers it.
struct SerialDevice
{
    QString name;           // "ttyUSB0"
    QString location;       // "/dev/ttyUSB0": what a port number maps to
    QString description;
    QString manufacturer;
    QString serialNumber;
};
// The serial devices present now, by name.
std::vector<SerialDevice> presentSerialDevices();
