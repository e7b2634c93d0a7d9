#include "probe/QtSerialPortBackend.h"
#include "probe/Log.h"
#include "probe/MsClock.h"
#include <algorithm>

namespace {

// Errors after which the device is no longer there to talk to: a USB adapter
// pulled out reports a resource error, a far end that went away a read error
// (a read that finds the line hung up).
bool isDeviceFailure(QSerialPort::SerialPortError e)
{
    return e == QSerialPort::ResourceError || e == QSerialPort::ReadError;
}

}  // namespace

QtSerialPortBackend::QtSerialPortBackend(const QString& device, MsClock& clock) : m_clock(clock), m_device(device)
{
    m_port.setPortName(device);
}

int QtSerialPortBackend::open()
{
    if (m_port.isOpen())
        return 0;
    m_lost = false;
    m_missing = false;
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_error = m_port.errorString();
        m_missing = m_port.error() == QSerialPort::DeviceNotFoundError;
        return -1;
    }
    const bool ok = m_port.setDataBits(QSerialPort::Data8) && m_port.setParity(QSerialPort::NoParity)
        && m_port.setStopBits(QSerialPort::OneStop) && m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        m_error = m_port.errorString();
        m_port.close();
        return -1;
    }
    return 0;
}

int QtSerialPortBackend::close()
{
    m_lost = false;
    if (m_port.isOpen())
        m_port.close();
    return 0;
}

int QtSerialPortBackend::setBaud(int rate)
{
    m_baud = rate;
    if (m_port.isOpen() && m_port.setBaudRate(rate))
        return 0;
    m_error = m_port.errorString();
    return -1;
}

bool QtSerialPortBackend::checkLost()
{
    if (m_port.isOpen() && isDeviceFailure(m_port.error())) {
        qCWarning(lcProbe).noquote() << "serial device" << m_device << "failed:" << m_port.errorString();
        m_port.close();
        m_lost = true;
    }
    return m_lost;
}

bool QtSerialPortBackend::reopen()
{
    qCDebug(lcProbe).noquote() << "opening the lost device" << m_device << "again";
    m_port.clearError();
    if (open() < 0 || setBaud(m_baud) < 0) {
        m_port.close();
        m_lost = true;
        return false;
    }
    m_port.setRequestToSend(false);
    return true;
}

int QtSerialPortBackend::setPower(int on)
{
    // Every exchange and live run starts by switching the probe on: the moment
    // to find a re-plugged adapter.
    if (on && m_lost && !reopen())
        return -1;
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
    if (m_port.write(&b, 1) != 1) {
        checkLost();
        return -1;
    }
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
    checkLost();
}

int QtSerialPortBackend::inputCount()
{
    if (!m_port.isOpen())
        return -1;
    pull();
    return m_port.isOpen() ? static_cast<int>(m_port.bytesAvailable()) : -1;
}

int QtSerialPortBackend::getByte()
{
    if (!m_port.isOpen())
        return -1;
    if (m_port.bytesAvailable() == 0)
        pull();
    char c = 0;
    return m_port.isOpen() && m_port.getChar(&c) ? static_cast<uint8_t>(c) : -1;
}

int QtSerialPortBackend::read(char* buffer, int length)
{
    if (!m_port.isOpen())
        return -1;
    if (m_port.bytesAvailable() < length)
        pull();
    return m_port.isOpen() ? static_cast<int>(m_port.read(buffer, length)) : -1;
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
        if (left <= 0 || interrupted())
            return false;
        // Sleeps in the driver until bytes arrive, in slices so that an
        // interruption is noticed. A failure other than the time running out
        // is the device's (unplugged): no bytes are coming, and waiting on
        // would spin.
        m_port.clearError();
        if (!m_port.waitForReadyRead(std::min(left, kWaitSliceMs))) {
            const QSerialPort::SerialPortError e = m_port.error();
            if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError) {
                checkLost();
                return false;
            }
        }
    }
}
