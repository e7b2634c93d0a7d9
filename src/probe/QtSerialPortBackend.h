#pragma once
#include "probe/SerialPort.h"
#include <QSerialPort>

// A real serial port: 9600 8N1 without flow control, DTR the probe's power,
// RTS its transmit enable. Reading never blocks: pending bytes are pulled in
// with a zero-time wait, so no event loop is needed; a wait for bytes sleeps
// in the driver's readiness wait. Made, used and destroyed on one thread (the
// port's thread): QSerialPort belongs to the thread it was made on.
//
// A device that fails while open (a USB adapter pulled out) is closed; the
// next exchange's power-on opens it again, so a re-plugged adapter works
// without choosing the port anew.
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
    QString deviceName() const override { return m_device; }
    QString errorString() const override { return m_error; }
    bool deviceMissing() const override { return m_missing; }

private:
    void pull();
    // After a device failure: the port is closed and marked lost.
    bool checkLost();
    bool reopen();

    QSerialPort m_port;
    MsClock& m_clock;
    QString m_device;
    QString m_error;
    bool m_missing = false;
    bool m_lost = false;
    int m_baud = 9600;
};
