#pragma once
#include "probe/SerialPort.h"
#include <QSerialPort>

// A real serial port: 9600 8N1 without flow control, DTR the probe's power,
// RTS its transmit enable. Reading never blocks: pending bytes are pulled in
// with a zero-time wait, so no event loop is needed; a wait for bytes sleeps
// in the driver's readiness wait.
class QtSerialPortBackend : public SerialPort
{
public:
    QtSerialPortBackend(const QString& device, MsClock& clock);

    int open() override;
    int close() override;
    int setBaud(int rate) override;
    int setPower(int on) override;
    int setTransmit(int on) override;
    int putByte(int value) override;
    int flush(int mode) override;
    int inputCount() override;
    int getByte() override;
    int read(char* buffer, int length) override;
    bool waitForBytes(int count, int ms) override;
    MsClock& clock() override { return m_clock; }
    QString deviceName() const override { return m_port.portName(); }

private:
    void pull();

    QSerialPort m_port;
    MsClock& m_clock;
};
