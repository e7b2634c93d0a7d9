#pragma once
#include "link/SerialPort.h"
#include <QString>
#include <memory>

class MsClock;

// The port for a port number: the simulator when the device is "simulator" or
// every port is simulated (--simulate), streaming `simulatorFrameRate` live
// frames a second, else the real device. Not yet opened.
std::unique_ptr<SerialPort> createPort(int portNo, const QString& deviceOverride, bool simulateAll, MsClock& clock,
                                       int simulatorFrameRate = 10);
