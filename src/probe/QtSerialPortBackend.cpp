#include "probe/QtSerialPortBackend.h"
#include "probe/MsClock.h"

QtSerialPortBackend::QtSerialPortBackend(const QString& device, MsClock& clock) : m_clock(clock)
{
    m_port.setPortName(device);
}

int QtSerialPortBackend::open()
{
    if (m_port.isOpen())
        return 0;
    if (!m_port.open(QIODevice::ReadWrite))
        return -1;
    const bool ok = m_port.setDataBits(QSerialPort::Data8) && m_port.setParity(QSerialPort::NoParity)
        && m_port.setStopBits(QSerialPort::OneStop) && m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        m_port.close();
        return -1;
    }
    return 0;
}

int QtSerialPortBackend::close()
{
    if (m_port.isOpen())
        m_port.close();
    return 0;
}

int QtSerialPortBackend::setBaud(int rate)
{
    return m_port.isOpen() && m_port.setBaudRate(rate) ? 0 : -1;
}

int QtSerialPortBackend::setPower(int on)
{
    return m_port.isOpen() && m_port.setDataTerminalReady(on != 0) ? 0 : -1;
}

int QtSerialPortBackend::setTransmit(int on)
{
    return m_port.isOpen() && m_port.setRequestToSend(on != 0) ? 0 : -1;
}

int QtSerialPortBackend::putByte(int value)
{
    if (!m_port.isOpen())
        return -1;
    const char b = static_cast<char>(value & 0xFF);
    if (m_port.write(&b, 1) != 1)
        return -1;
    // Hand the byte to the driver now: the caller times the transmit line itself.
    m_port.flush();
    return 0;
}

int QtSerialPortBackend::flush(int mode)
{
    if (!m_port.isOpen())
        return -1;
    if (mode == 2) {
        pull();
        m_port.clear(QSerialPort::Input);
        m_port.readAll();
    }
    return 0;
}

void QtSerialPortBackend::pull()
{
    m_port.waitForReadyRead(0);
}

int QtSerialPortBackend::inputCount()
{
    if (!m_port.isOpen())
        return -1;
    pull();
    return static_cast<int>(m_port.bytesAvailable());
}

int QtSerialPortBackend::getByte()
{
    if (!m_port.isOpen())
        return -1;
    if (m_port.bytesAvailable() == 0)
        pull();
    char c = 0;
    return m_port.getChar(&c) ? static_cast<uint8_t>(c) : -1;
}

int QtSerialPortBackend::read(char* buffer, int length)
{
    if (!m_port.isOpen())
        return -1;
    if (m_port.bytesAvailable() < length)
        pull();
    return static_cast<int>(m_port.read(buffer, length));
}

bool QtSerialPortBackend::waitForBytes(int count, int ms)
{
    if (!m_port.isOpen())
        return false;
    const uint32_t start = m_clock.now();
    for (;;) {
        if (m_port.bytesAvailable() >= count)
            return true;
        const int left = ms - static_cast<int>(m_clock.now() - start);
        if (left <= 0)
            return false;
        // Sleeps in the driver until bytes arrive. A failure other than the
        // time running out is the device's (unplugged): no bytes are coming,
        // and waiting on would spin.
        m_port.clearError();
        if (!m_port.waitForReadyRead(left)) {
            const QSerialPort::SerialPortError e = m_port.error();
            if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError)
                return m_port.bytesAvailable() >= count;
        }
    }
}
