#include "probe/ProbeProtocol.h"
#include "text/Format.h"
#include "probe/Log.h"
#include "probe/MsClock.h"
#include "probe/SerialPort.h"
#include <QList>
#include <array>
#include <cfloat>
#include <cmath>

namespace {

constexpr uint8_t kSync = 0xAA;
constexpr uint8_t kAttention = '$';
constexpr int kLineFeed = 0x0A;

// The transmit line is raised around every byte and held 3 ms after it was
// raised: the probe's line driver needs that long to turn round.
void sendByte(SerialPort& port, uint8_t value, bool pause1ms)
{
    MsClock& clk = port.clock();
    port.setTransmit(1);
    const uint32_t t = clk.now();
    if (pause1ms)
        clk.sleepUntil(t + 1);
    port.putByte(value);
    clk.sleepUntil(t + 3);
    port.setTransmit(0);
}

int elapsed(MsClock& clk, uint32_t start) { return static_cast<int>(clk.now() - start); }

}  // namespace

bool replyChecksumOk(const uint8_t* frame)
{
    unsigned sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += frame[i];
    return static_cast<uint8_t>(sum) == frame[9];
}

bool ProbeProtocol::waitForBytes(int n, int timeoutMs)
{
    return m_port.waitForBytes(n, timeoutMs);
}

bool ProbeProtocol::sendCommand(uint8_t command)
{
    MsClock& clk = m_port.clock();
    const char letter = static_cast<char>(command);
    qCDebug(lcProbe) << "command" << letter;

    // The probe streams frames as soon as it is powered: no stream, no probe.
    if (!waitForBytes(2, 500)) {
        qCDebug(lcProbe).nospace() << "handshake " << letter << ": no stream within 500 ms";
        return false;
    }
    m_port.flush(2);

    for (int a = 5; a > 0; --a) {
        const int attempt = 6 - a;
        if (m_port.interrupted())
            return false;
        // Frame start; the first attempt allows for the probe's start-up.
        const int window = (a / 5) * 2000 + 500;
        const uint32_t scanStart = clk.now();
        bool sync = false;
        while (!sync) {
            const int b = m_port.getByte();
            if (b == kSync) {
                sync = true;
                break;
            }
            const int left = window - elapsed(clk, scanStart);
            if (left <= 0)
                break;
            // A wait that ends without a byte before its time is a port that
            // failed or an exchange interrupted: nothing more is coming.
            if (b < 0 && !m_port.waitForInput(left) && m_port.inputCount() <= 0)
                break;
        }
        if (!sync) {
            qCDebug(lcProbe).nospace() << "handshake " << letter << ": attempt " << attempt << ": no frame start within " << window << " ms";
            return false;
        }

        // "$" goes into the gap after this frame, once its other 9 bytes are
        // in; later attempts have already used up two bytes each.
        if (!waitForBytes(2 * a - 1, 20)) {
            qCDebug(lcProbe).nospace() << "handshake " << letter << ": attempt " << attempt << ": rest of the frame missing after 20 ms";
            return false;
        }
        sendByte(m_port, kAttention, false);

        const uint32_t echoStart = clk.now();
        bool attention = false;
        for (;;) {
            while (!attention && m_port.inputCount() > 0)
                attention = m_port.getByte() == kAttention;
            const int left = 30 - elapsed(clk, echoStart);
            if (attention || left <= 0)
                break;
            if (!m_port.waitForBytes(1, left) && m_port.inputCount() <= 0)
                break;
        }
        if (!attention) {
            qCDebug(lcProbe).nospace() << "handshake " << letter << ": attempt " << attempt << ": no \"$\" within 30 ms";
            continue;
        }

        sendByte(m_port, command, true);
        // B answers with its calibration line straight away, without an echo.
        if (command == cmd::ReadCalibration) {
            qCDebug(lcProbe).nospace() << "handshake " << letter << ": sent in attempt " << attempt;
            return true;
        }
        if (!waitForBytes(1, 100)) {
            qCDebug(lcProbe).nospace() << "handshake " << letter << ": attempt " << attempt << ": no echo within 100 ms";
            continue;
        }
        const int echo = m_port.getByte() & 0xFF;
        if (echo == command) {
            qCDebug(lcProbe).nospace() << "handshake " << letter << ": echoed in attempt " << attempt;
            return true;
        }
        qCDebug(lcProbe).nospace() << "handshake " << letter << ": wrong echo 0x" << Qt::hex << echo;
        return false;
    }
    qCDebug(lcProbe).nospace() << "handshake " << letter << ": no answer in 5 attempts";
    return false;
}

int ProbeProtocol::sendDataByte(uint8_t value)
{
    if (m_port.interrupted())
        return -1;
    sendByte(m_port, value, true);
    if (!waitForBytes(1, 1000)) {
        qCDebug(lcProbe) << "no echo of parameter byte" << Qt::hex << int(value) << "within 1000 ms";
        return -1;
    }
    return m_port.getByte();
}

ProbeProtocol::CalibrationResult ProbeProtocol::readCalibration(Calibration* cal, QString* sn)
{
    if (!sendCommand(cmd::ReadCalibration))
        return CalibrationResult::NoAnswer;

    // The line is about 150 bytes, some 160 ms at 9600 baud; the time limit
    // keeps a probe that never sends its line feed from holding the window.
    MsClock& clk = m_port.clock();
    const uint32_t start = clk.now();
    std::array<char, kCalibrationBuffer> buffer{};
    int length = 0;
    bool complete = false;
    bool fits = true;
    while (!complete && fits) {
        const int b = m_port.getByte();
        if (b == kLineFeed) {
            complete = true;
        } else if (static_cast<int8_t>(b & 0xFF) >= 0) {
            // The line and its line feed must fit the buffer.
            if (length < kCalibrationBuffer - 1)
                buffer[length++] = static_cast<char>(b);
            else
                fits = false;
        }
        // Checked for every byte: a line of noise must not hold the window either.
        const int left = kCalibrationTimeoutMs - elapsed(clk, start);
        if (complete || left <= 0)
            break;
        if (b < 0 && !m_port.waitForInput(left) && m_port.inputCount() <= 0)
            break;
    }

    Calibration parsed = *cal;
    QString number;
    if (!complete || !parseCalibrationLine(QByteArray(buffer.data(), length), &parsed, &number)) {
        qCDebug(lcProbe) << "calibration line rejected:" << length << "characters,"
                         << (complete ? "short or a field no number" : fits ? "no line feed within the time limit" : "longer than the buffer");
        return CalibrationResult::BadLine;
    }
    *cal = parsed;
    *sn = number;
    return CalibrationResult::Ok;
}

bool parseCalibrationLine(const QByteArray& line, Calibration* cal, QString* sn)
{
    if (line.size() < ProbeProtocol::kCalibrationMinimum)
        return false;
    QByteArray data = line;
    if (data.indexOf(',') == 1)
        data.remove(0, 2);

    // Device number, then eleven numbers; the last one runs to the end of the
    // line, so a further "," makes it no number.
    const int first = data.indexOf(',');
    if (first < 0)
        return false;
    const QList<QByteArray> fields = data.mid(first + 1).split(',');
    if (fields.size() != 11)
        return false;

    std::array<double, 11> v{};
    // The probe holds 32-bit floats: a number beyond their range is no
    // coefficient (it would turn every converted reading infinite).
    for (int i = 0; i < 11; ++i)
        if (!fmt::parseFloat(QString::fromLatin1(fields[i]), &v[i]) || !(std::fabs(v[i]) <= FLT_MAX))
            return false;

    *sn = QString::fromLatin1(data.left(first));
    float* const targets[11] = {&cal->lf2048, &cal->tf2048, &cal->pa0, &cal->pa1, &cal->pa2,
                                &cal->ta0, &cal->ta1, &cal->ta2, &cal->ta3, &cal->ta4, &cal->ta5};
    for (int i = 0; i < 11; ++i)
        *targets[i] = static_cast<float>(v[i]);
    return true;
}
