#pragma once
#include "probe/SerialPort.h"
#include <QFile>

// The bytes of an exchange as text lines: "> xx" sent, "< xx" received, in
// lower-case hex. Each line is flushed, so a crash keeps what came before it.
class ExchangeDumpFile : public ExchangeDump
{
public:
    explicit ExchangeDumpFile(const QString& path);
    bool isOpen() const { return m_file.isOpen(); }
    void sent(uint8_t b) override;
    void received(const char* data, int n) override;

private:
    void line(char direction, uint8_t b);
    QFile m_file;
};

// A port that hands every byte put and every byte read to a dump.
class DumpingPort : public SerialPort
{
public:
    DumpingPort(SerialPort& inner, ExchangeDump& dump) : m_inner(inner), m_dump(dump) {}

    int open() override { return m_inner.open(); }
    int close() override { return m_inner.close(); }
    int setBaud(int rate) override { return m_inner.setBaud(rate); }
    int setPower(int on) override { return m_inner.setPower(on); }
    int setTransmit(int on) override { return m_inner.setTransmit(on); }
    int putByte(int value) override;
    int flush(int mode) override { return m_inner.flush(mode); }
    int inputCount() override { return m_inner.inputCount(); }
    int getByte() override;
    int read(char* buffer, int length) override;
    bool waitForBytes(int count, int ms) override { return m_inner.waitForBytes(count, ms); }
    void setInterrupted(bool on) override
    {
        SerialPort::setInterrupted(on);
        m_inner.setInterrupted(on);
    }
    QString errorString() const override { return m_inner.errorString(); }
    bool deviceMissing() const override { return m_inner.deviceMissing(); }
    MsClock& clock() override { return m_inner.clock(); }
    QString deviceName() const override { return m_inner.deviceName(); }

private:
    SerialPort& m_inner;
    ExchangeDump& m_dump;
};
