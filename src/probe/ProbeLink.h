#pragma once
#include "probe/PortFactory.h"
#include "probe/SerialPort.h"
#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class PortThread;

// The serial port and the thread that owns it for its whole life: the port is
// made, opened, used and destroyed there (QSerialPort must stay on the thread
// that made it). An exchange with the probe runs there as one job while the
// window's thread goes on painting; the quick operations of the window (the
// power line, the live tick's bytes) are short calls into it while no exchange
// runs.
class ProbeLink
{
public:
    ProbeLink();
    ~ProbeLink();   // ends a running exchange, then closes and destroys the port on its thread
    ProbeLink(const ProbeLink&) = delete;
    ProbeLink& operator=(const ProbeLink&) = delete;

    // What opening a port came to; `reason` is the system's.
    struct Opened
    {
        PortOpenResult result = PortOpenResult::OpenFailed;
        QString device;
        QString reason;
        bool missing = false;   // the device does not exist (not plugged in)
    };
    using PortMaker = std::function<std::unique_ptr<SerialPort>()>;
    // Closes the port there is and makes a new one with `make` on the port's
    // thread, opened for the probe (openProbePort). `make` may return null.
    Opened open(const PortMaker& make);
    // Closes the port; it is destroyed by the next open or with the link.
    void close();
    bool hasPort() const { return m_hasPort.load(); }

    // ---- quick calls, while no exchange runs ---------------------------------
    void setPower(bool on);
    void flushInput();                 // discards every byte that waits
    QByteArray takeInput();            // every byte that waits, taken from the port

    // ---- exchanges -----------------------------------------------------------
    using Job = std::function<void(SerialPort& port)>;
    // Runs `job` on the port's thread, then `finished` there; returns at once.
    // A link without a port runs neither. False when an exchange runs already.
    bool start(Job job, std::function<void()> finished);
    bool busy() const { return m_busy.load(); }
    // Ends the running exchange: the port's waits return at once, and the
    // sessions switch the probe off and end as cancelled.
    void cancel();
    bool cancelled() const { return m_cancelled.load(); }
    // Blocks until the running exchange has ended (after cancel(), soon).
    void waitIdle();

private:
    // Runs `fn` on the port's thread with the port (null when none) and waits.
    void call(const std::function<void(SerialPort*)>& fn);

    std::unique_ptr<PortThread> m_thread;
    std::unique_ptr<SerialPort> m_port;   // touched on the port's thread only
    std::atomic<bool> m_hasPort{false};
    std::atomic<bool> m_busy{false};
    std::atomic<bool> m_cancelled{false};
};

// The bytes the live tick took from the port's thread, offered to the frame
// receiver as a port that holds them: what one tick leaves stays queued for
// the next, as it would in the port.
class ReceivedBytes : public SerialPort
{
public:
    explicit ReceivedBytes(MsClock& clock) : m_clock(clock) {}
    void append(const QByteArray& bytes) { m_bytes.append(bytes); }

    int open() override { return 0; }
    int close() override { return 0; }
    int setBaud(int) override { return 0; }
    int setPower(int) override { return 0; }
    int setTransmit(int) override { return 0; }
    int putByte(int) override { return -1; }
    int flush(int mode) override;
    int inputCount() override { return static_cast<int>(m_bytes.size() - m_pos); }
    int getByte() override;
    int read(char* buffer, int length) override;
    bool waitForBytes(int count, int) override { return inputCount() >= count; }
    MsClock& clock() override { return m_clock; }
    QString deviceName() const override { return QString(); }

private:
    void compact();

    MsClock& m_clock;
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};
