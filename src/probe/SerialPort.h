#pragma once
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

class MsClock;
class QIODevice;

// The ten operations of the serial-port library the probe protocol is written
// against. Results follow the library: negative means failure; getByte returns
// -1 when nothing waits and never blocks.
class SerialPort
{
public:
    virtual ~SerialPort() = default;
    virtual int open() = 0;
    virtual int close() = 0;
    virtual int setBaud(int rate) = 0;
    virtual int setPower(int on) = 0;      // DTR: switches the probe on and off
    virtual int setTransmit(int on) = 0;   // RTS: transmit enable, raised around each byte
    virtual int putByte(int value) = 0;
    virtual int flush(int mode) = 0;       // mode 2: discard queued input
    virtual int inputCount() = 0;
    virtual int getByte() = 0;
    virtual int read(char* buffer, int length) = 0;

    // Waits until at least `count` bytes wait or `ms` pass on the port's
    // clock; true when they do, at once when they already wait. False also
    // when the port failed (the device is gone) or was interrupted: no bytes
    // are coming then, and the caller gives up instead of waiting on. The real
    // port sleeps in the driver's readiness wait and the simulated probe until
    // its next byte is due: no wait polls. The default, for ports with no wait
    // of their own (test fakes on a simulated clock), looks once per millisecond.
    virtual bool waitForBytes(int count, int ms);
    bool waitForInput(int ms) { return waitForBytes(1, ms); }

    // Lets `ms` pass on the port's clock; false, early, when interrupted.
    bool pause(int ms);

    // Ends an exchange from another thread: every wait of the port returns
    // false at once (bytes that already wait are still handed out) until the
    // interruption is cleared. A wait in the driver sleeps in slices of
    // kWaitSliceMs so that it notices.
    virtual void setInterrupted(bool on) { m_interrupted.store(on); }
    bool interrupted() const { return m_interrupted.load(); }
    static constexpr int kWaitSliceMs = 50;

    // The system's reason for the last failure of open or setBaud, and whether
    // the device does not exist at all (a USB adapter that is not plugged in).
    virtual QString errorString() const { return {}; }
    virtual bool deviceMissing() const { return false; }

    // The clock the port lives on: the protocol's waits use the same one, so a
    // simulated port on a simulated clock runs a whole exchange in no real time.
    virtual MsClock& clock() = 0;
    virtual QString deviceName() const = 0;

private:
    std::atomic<bool> m_interrupted{false};
};

// Port number (1..16 in the window) to device: the settings file's optional
// "Device N" key, else COMN on Windows and /dev/ttyS<N-1> elsewhere. The name
// "simulator" selects the built-in probe simulator.
QString deviceForPort(int portNo, const QString& configuredDevice);

// Records every byte of an exchange (--dump FILE): "> xx" for sent, "< xx" for received.
class ExchangeDump
{
public:
    virtual ~ExchangeDump() = default;
    virtual void sent(uint8_t b) = 0;
    virtual void received(const char* data, int n) = 0;
};
