#pragma once
#include <QString>
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
    // clock; true when they do, at once when they already wait. The real port
    // sleeps in the driver's readiness wait and the simulated probe until its
    // next byte is due: no wait polls. The default, for ports with no wait of
    // their own (test fakes on a simulated clock), looks once per millisecond.
    virtual bool waitForBytes(int count, int ms);
    bool waitForInput(int ms) { return waitForBytes(1, ms); }

    // The clock the port lives on: the protocol's waits use the same one, so a
    // simulated port on a simulated clock runs a whole exchange in no real time.
    virtual MsClock& clock() = 0;
    virtual QString deviceName() const = 0;
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
