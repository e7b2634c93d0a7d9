#pragma once
#include "model/Calibration.h"
#include "probe/SerialPort.h"
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

// The probe on the far end of the line, driven lazily by a clock: every call
// first works out what the probe would have sent by clock.now() at 9600 baud
// (960 bytes a second) and what it made of the bytes it was sent. On a
// SimulatedClock a whole cast or upload runs in no real time; on a SteadyClock
// the application's 100 ms timer finds 100 ms of bytes waiting. Like a real
// port it is used from one thread at a time (the port's thread; tests set it
// up between exchanges): only the clock and unplugging may cross threads.
class SimulatedProbe : public SerialPort
{
public:
    // One stored or live reading: the raw counts and the status byte.
    struct Sample
    {
        uint16_t sv = 0, pressure = 0, temperature = 0;
        uint8_t status = 0;   // bit 0 low battery; 0xFF an empty record
    };
    struct Recording
    {
        int number = 1;                // 0..31 for a valid entry
        QDateTime start;
        uint16_t surfacePressure = 0;  // below 256: none (header byte 7 is 0)
        std::vector<Sample> samples;
    };

    // The live cast, repeated for as long as the power is on: in air at the
    // surface, down to maxDepth, back up, in air again.
    struct CastScript
    {
        double airSeconds = 4.0;
        double descentRate = 1.0;      // m/s
        double ascentRate = 1.0;
        double maxDepth = 30.0;        // m
        double bottomSeconds = 2.0;
        int spikeEvery = 97;           // every n-th frame carries a far-off sound velocity; 0 none
        int badChecksumEvery = 251;    // every n-th frame has a wrong checksum; 0 none
        double lowBatteryAfter = -1;   // seconds after power-on; negative: never
    };

    // A fault on one byte: of the live stream (command 0, bytes counted from
    // power-on) or of the reply to a command (bytes counted after the echo).
    struct ByteFault { uint8_t command = 0; int64_t index = -1; };
    // A fault on reply frame `frame` (0-based) of `command`.
    struct FrameFault { uint8_t command = 0; int frame = -1; };

    struct Faults
    {
        bool openFails = false;
        bool ignoreAttention = false;   // streams, never answers "$"
        QByteArray noEcho;              // answers "$", then ignores these letters
        QByteArray wrongEcho;           // these letters are echoed as letter + 1
        QByteArray unknown;             // echoed, then the stream resumes (first reply byte 0xAA)
        FrameFault badChecksum;
        FrameFault stopAfter;           // silence after that many reply frames (0: right after the echo)
        bool missingHeader = false;     // upload: the first marker is followed by a data record
        bool recordBeforeHeader = false;// upload: a data record before the first marker
        ByteFault loseByte;             // the byte is never sent
        ByteFault garbleByte;           // the byte is sent inverted
        std::optional<QByteArray> calibrationLine;  // B: sent verbatim (add the line feed yourself)
    };

    // What the client put on the line, with the transmit-enable state at the
    // time; bytes sent with transmit off never reach the probe.
    struct SentByte { uint8_t value; bool transmitOn; uint32_t at; };

    explicit SimulatedProbe(MsClock& clock);

    // SerialPort
    int open() override;
    int close() override;
    int setBaud(int rate) override;   // the probe talks only at 9600; other rates fail
    int setPower(int on) override;
    int setTransmit(int on) override;
    int putByte(int value) override;
    int flush(int mode) override;
    int inputCount() override;
    int getByte() override;
    int read(char* buffer, int length) override;
    bool waitForBytes(int count, int ms) override;
    MsClock& clock() override { return m_clock; }
    QString deviceName() const override { return QStringLiteral("simulator"); }

    // The probe's own calibration, as its calibration line reports it.
    const Calibration& calibration() const { return m_cal; }
    QString deviceNumber() const { return m_deviceNumber; }
    void setCalibration(const Calibration& cal, const QString& deviceNumber);
    void setCalibrationPrefix(const QByteArray& prefix) { m_prefix = prefix; }  // "B," by default
    QByteArray calibrationLine() const;   // without the line feed

    void setFaults(const Faults& f) { m_faults = f; }
    Faults& faults() { return m_faults; }
    void setCastScript(const CastScript& s) { m_script = s; }
    const CastScript& castScript() const { return m_script; }
    // Live frames per second: 10 by default; 96, the most the line carries,
    // sends them back to back. Rates above 96 are taken as 96, none or a
    // negative one as 1.
    static constexpr double kMaxFrameRate = 96.0;
    void setFrameRate(double framesPerSecond);
    double frameRate() const { return m_frameRate; }
    void setBootMs(int ms) { m_bootUs = int64_t(ms) * 1000; }

    // The probe's battery clock runs with the port's clock, powered or not.
    void setClock(const QDateTime& t);
    QDateTime probeTime();
    void setIntervalCount(uint16_t count) { m_interval = count; }
    uint16_t intervalCount() const { return m_interval; }
    void setEraseDurationByte(uint8_t n) { m_eraseByte = n; }   // erase takes (n div 32) * 4500 ms

    // Memory, in the probe's units: each stored record (header or sample) takes kUnitsPerRecord.
    static constexpr int kUnitsPerRecord = 8;
    static constexpr int kDefaultMemorySize = 32704;
    void setRecordings(std::vector<Recording> r) { m_recordings = std::move(r); }
    const std::vector<Recording>& recordings() const { return m_recordings; }
    void setMemorySize(int units) { m_memorySize = units; }
    int memorySize() const { return m_memorySize; }
    void setMemoryUsed(std::optional<int> units) { m_memoryUsed = units; }   // nullopt: from the recordings
    int memoryUsed() const;   // as the end frame reports it: 64 for an empty memory
    static std::vector<Recording> defaultRecordings(const Calibration& cal);
    static std::vector<Recording> fullMemory(const Calibration& cal, int memorySize = kDefaultMemorySize);

    // The live reading the cast script gives at `seconds` after power-on.
    Sample castSample(double seconds, int64_t frameIndex) const;
    double castDepth(double seconds) const;

    // The device vanishes (a USB adapter pulled out) or comes back, from any
    // thread: while it is gone every operation fails and no wait waits; the
    // probe loses its power with the cable.
    void setUnplugged(bool gone) { m_unplugged.store(gone); }
    bool unplugged() const { return m_unplugged.load(); }

    const std::vector<SentByte>& sent() const { return m_sent; }
    std::vector<uint8_t> received() const;   // the bytes that reached the probe
    bool powered() const { return m_power; }

private:
    enum class State { Off, Booting, Streaming, WaitLetter, Params, Erasing, Busy };
    struct OutByte { uint8_t value; int64_t doneUs; };
    // One direction of the line: when it is free again, and the unbroken run
    // of bytes that ends then.
    struct Line
    {
        int64_t runStartUs = 0, runBytes = 0, tailUs = 0;
        int64_t occupy(int64_t readyUs);   // the time the byte has arrived
        void reset(int64_t us);
    };
    struct InByte { uint8_t value; int64_t atUs; };

    void catchUp();
    bool gone();   // unplugged: the probe is switched off, every call fails
    void onTimer(int64_t t);
    void onByte(uint8_t b, int64_t t);
    void runCommand(uint8_t letter, int64_t t);
    void finishParams(int64_t t);
    void busyUntilSent();
    int64_t sendRaw(uint8_t b, int64_t readyUs);
    int64_t sendCounted(uint8_t b, int64_t readyUs);
    int64_t frameOffsetUs(int64_t frames) const;
    void sendReply(const std::vector<QByteArray>& chunks, bool framed, int64_t readyUs);
    void answerAttention(int64_t t);
    QDateTime timeAt(int64_t us) const;
    void sendLiveFrame(int64_t t);
    QByteArray clockFrame(const QDateTime& t) const;
    std::vector<QByteArray> directoryFrames() const;
    std::vector<QByteArray> uploadFrames() const;
    QByteArray endFrame() const;
    void setProbeTimeFromBytes(const QByteArray& bcd, int64_t atUs);

    MsClock& m_clock;
    Calibration m_cal;
    QString m_deviceNumber;
    QByteArray m_prefix = "B,";
    Faults m_faults;
    CastScript m_script;

    bool m_open = false, m_power = false, m_transmit = false;
    uint32_t m_lastClock = 0;
    int64_t m_nowUs = 0;
    State m_state = State::Off;
    int64_t m_timerUs = -1;          // next timed action of the state; -1 none
    int64_t m_castStartUs = 0;
    int64_t m_frameIndex = 0;
    double m_frameRate = 10.0;
    int64_t m_streamStartUs = 0;     // the live stream's schedule: frame n is due
    int64_t m_streamFrames = 0;      // at start + n / rate
    int64_t m_bootUs = 50000;
    int64_t m_streamBytes = 0;       // live bytes since power-on, for the byte faults
    Line m_line;                     // probe to client
    Line m_clientLine;               // client to probe
    uint8_t m_command = 0;           // the command whose reply is being sent
    int64_t m_replyBytes = 0;
    QByteArray m_params;

    std::deque<OutByte> m_out;       // on the line, not yet arrived
    std::deque<InByte> m_in;         // from the client, not yet seen by the probe
    std::deque<uint8_t> m_input;     // arrived, waiting for the client
    std::vector<SentByte> m_sent;
    std::vector<uint8_t> m_received;

    QDateTime m_clockBase;
    int64_t m_clockBaseUs = 0;
    uint16_t m_interval = 227;       // 0.5 m with the probe's pressure polynomial
    uint8_t m_eraseByte = 0x40;
    std::vector<Recording> m_recordings;
    int m_memorySize = kDefaultMemorySize;
    std::optional<int> m_memoryUsed;
    std::atomic<bool> m_unplugged{false};
};
