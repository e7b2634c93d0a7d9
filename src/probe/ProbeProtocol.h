#pragma once
#include "model/Calibration.h"
#include <QString>
#include <cstdint>

class SerialPort;

// Command letters of the probe.
namespace cmd {
constexpr uint8_t ReadCalibration = 'B';
constexpr uint8_t ReadClock = 'C';
constexpr uint8_t SetClock = 'D';
constexpr uint8_t ReadInterval = 'E';
constexpr uint8_t SetInterval = 'F';
constexpr uint8_t ListRecordings = 'G';
constexpr uint8_t Upload = 'I';
constexpr uint8_t ClearMemory = 'J';
}  // namespace cmd

// Additive checksum of the 10-byte frames: bytes 0..8 summed modulo 256 == byte 9.
bool replyChecksumOk(const uint8_t* frame);

// The probe's command protocol on one open port: the "$" handshake that puts a
// command letter into the gap after a frame, parameter bytes, and the
// calibration line. Every wait is bounded: waits for bytes sleep in the port's
// own wait until they arrive, the transmit-line holds on the port's clock.
// Message texts are the caller's: these functions only report what happened.
// The probe's power is the caller's too (a ProbePower guard): a failure leaves
// it as it was, and the guard switches it off.
class ProbeProtocol
{
public:
    explicit ProbeProtocol(SerialPort& port) : m_port(port) {}

    SerialPort& port() const { return m_port; }

    // The handshake. The caller has switched the probe on.
    bool sendCommand(uint8_t command);

    // Sends one parameter byte; the first byte that arrives within 1000 ms, or -1.
    int sendDataByte(uint8_t value);

    enum class CalibrationResult { Ok, NoAnswer, BadLine };
    // Command B and the calibration line; on Ok `cal`, `sn` hold the probe's
    // values. On failure neither is touched: the whole line is parsed before
    // anything is applied.
    CalibrationResult readCalibration(Calibration* cal, QString* sn);

    // Waits until `n` bytes wait on the port or `timeoutMs` pass; true when they
    // do. Sleeps until bytes arrive (the port's own wait), never polls.
    bool waitForBytes(int n, int timeoutMs);

    // Limits of the calibration line: 152-byte buffer, 80 characters at least,
    // and the time the probe gets to send it.
    static constexpr int kCalibrationBuffer = 152;
    static constexpr int kCalibrationMinimum = 80;
    static constexpr int kCalibrationTimeoutMs = 3000;

private:
    SerialPort& m_port;
};

// Parses a calibration line (without its line feed): the optional two-character
// prefix, the device number and eleven numbers. False when the line is shorter
// than 80 characters or any field is not a number a 32-bit float holds.
bool parseCalibrationLine(const QByteArray& line, Calibration* cal, QString* sn);
