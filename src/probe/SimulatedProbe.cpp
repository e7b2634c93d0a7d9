#include "probe/SimulatedProbe.h"
#include "probe/MsClock.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
constexpr double kFrameUs = 10 * 1e6 / 960;      // 10 bytes at 960 bytes/s (9600 baud, 10 bits a byte)
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
constexpr int64_t kAnswerUs = 2000;              // "$", echoes: the probe's reaction time
constexpr int64_t kLetterWaitUs = 50000;         // after its "$" the probe waits this long for a letter
constexpr int64_t kParamWaitUs = 1000000;        // and this long for each parameter byte
constexpr int64_t kNoEchoSilenceUs = 150000;
constexpr int64_t kReplyGapUs = 1000;            // between the frames of a listing or upload
constexpr size_t kInputLimit = 65536;            // the driver's buffer; later bytes are overrun

bool has(const QByteArray& letters, uint8_t c)
{
    return letters.contains(static_cast<char>(c));
}
}  // namespace

SimulatedProbe::SimulatedProbe(MsClock& clock)
    : m_clock(clock), m_lastClock(clock.now())
{
    m_cal.lf2048 = 50000.0f;
    m_cal.tf2048 = 1000.0f;
    m_deviceNumber = QStringLiteral("VX4417");
    // A battery clock that has drifted a little behind the computer's.
    m_clockBase = QDateTime::currentDateTime().addSecs(-75);
    m_recordings = defaultRecordings(m_cal);
}

void SimulatedProbe::setCalibration(const Calibration& cal, const QString& deviceNumber)
{
    m_cal = cal;
    m_deviceNumber = deviceNumber;
}

int64_t SimulatedProbe::Line::occupy(int64_t readyUs)
{
    // An idle line starts a new run; a busy one carries the byte on after the
    // last. Byte n of a run ends n * 1e6 / 960 us (3125/3) after the run began,
    // rounded up: back-to-back frames keep the line's exact pace, no drift.
    if (readyUs > tailUs) {
        runStartUs = readyUs;
        runBytes = 0;
    }
    ++runBytes;
    tailUs = runStartUs + (runBytes * 3125 + 2) / 3;
    return tailUs;
}

void SimulatedProbe::Line::reset(int64_t us)
{
    runStartUs = tailUs = us;
    runBytes = 0;
}

void SimulatedProbe::setFrameRate(double framesPerSecond)
{
    catchUp();
    m_frameRate = framesPerSecond > 0 ? std::clamp(framesPerSecond, 0.001, kMaxFrameRate) : 1.0;
    // A running stream goes on at the new rate from its next frame.
    if (m_state == State::Streaming && m_timerUs >= 0) {
        m_streamStartUs = m_timerUs;
        m_streamFrames = 0;
    }
}

int64_t SimulatedProbe::frameOffsetUs(int64_t frames) const
{
    // From the stream's start, so a period that is no whole number of
    // microseconds (96 frames/s) never drifts.
    return std::llround(double(frames) * 1e6 / m_frameRate);
}

void SimulatedProbe::setClock(const QDateTime& t)
{
    catchUp();
    m_clockBase = t;
    m_clockBaseUs = m_nowUs;
}

QDateTime SimulatedProbe::probeTime()
{
    catchUp();
    return timeAt(m_nowUs);
}

QDateTime SimulatedProbe::timeAt(int64_t us) const
{
    return m_clockBase.addMSecs((us - m_clockBaseUs) / 1000);
}

int SimulatedProbe::memoryUsed() const
{
    if (m_memoryUsed)
        return *m_memoryUsed;
    int records = 0;
    for (const Recording& r : m_recordings)
        records += 1 + static_cast<int>(r.samples.size());
    return 64 + records * kUnitsPerRecord;
}

std::vector<uint8_t> SimulatedProbe::received() const
{
    return m_received;
}

// --- the port ---------------------------------------------------------------

int SimulatedProbe::open()
{
    if (m_faults.openFails)
        return -1;
    catchUp();
    m_open = true;
    return 0;
}

int SimulatedProbe::close()
{
    if (m_open)
        setPower(0);
    m_open = false;
    return 0;
}

int SimulatedProbe::setBaud(int rate)
{
    return m_open && rate == 9600 ? 0 : -1;
}

bool SimulatedProbe::gone()
{
    if (!m_unplugged.load())
        return false;
    if (m_power) {
        catchUp();
        m_power = false;
        m_state = State::Off;
        m_timerUs = -1;
        m_out.clear();
        m_in.clear();
        m_input.clear();
        m_line.reset(m_nowUs);
    }
    return true;
}

int SimulatedProbe::setPower(int on)
{
    if (!m_open || gone())
        return -1;
    catchUp();
    if (on && !m_power) {
        m_power = true;
        m_state = State::Booting;
        m_timerUs = m_nowUs + m_bootUs;
        m_streamBytes = 0;
        m_frameIndex = 0;
        m_command = 0;
        m_line.reset(m_nowUs);
    } else if (!on && m_power) {
        // Whatever was still on its way is lost with the power.
        m_power = false;
        m_state = State::Off;
        m_timerUs = -1;
        m_out.clear();
        m_in.clear();
        m_line.reset(m_nowUs);
    }
    return 0;
}

int SimulatedProbe::setTransmit(int on)
{
    if (!m_open || gone())
        return -1;
    catchUp();
    m_transmit = on != 0;
    return 0;
}

int SimulatedProbe::putByte(int value)
{
    if (!m_open || gone())
        return -1;
    catchUp();
    const auto b = static_cast<uint8_t>(value);
    m_sent.push_back({b, m_transmit, m_clock.now()});
    if (m_transmit) {
        m_received.push_back(b);
        m_in.push_back({b, m_clientLine.occupy(m_nowUs)});
    }
    return 0;
}

int SimulatedProbe::flush(int mode)
{
    if (!m_open || gone())
        return -1;
    catchUp();
    if (mode == 2)
        m_input.clear();
    return 0;
}

int SimulatedProbe::inputCount()
{
    if (!m_open || gone())
        return -1;
    catchUp();
    return static_cast<int>(m_input.size());
}

int SimulatedProbe::getByte()
{
    if (!m_open || gone())
        return -1;
    catchUp();
    if (m_input.empty())
        return -1;
    const uint8_t b = m_input.front();
    m_input.pop_front();
    return b;
}

int SimulatedProbe::read(char* buffer, int length)
{
    if (gone())
        return -1;
    if (!m_open || length <= 0)
        return m_open ? 0 : -1;
    catchUp();
    const int n = std::min(length, static_cast<int>(m_input.size()));
    std::copy(m_input.begin(), m_input.begin() + n, buffer);
    m_input.erase(m_input.begin(), m_input.begin() + n);
    return n;
}

bool SimulatedProbe::waitForBytes(int count, int ms)
{
    if (!m_open || gone())
        return false;
    catchUp();
    const uint32_t start = m_clock.now();
    for (;;) {
        const int64_t missing = int64_t(count) - int64_t(m_input.size());
        if (missing <= 0)
            return true;
        const int left = ms - static_cast<int>(m_clock.now() - start);
        if (left <= 0 || interrupted() || gone())
            return false;
        // Sleep until the last byte wanted has arrived, if it is already on
        // the line, else until the probe next does something (a frame is due,
        // a byte of ours reaches it); with nothing to come, for the whole
        // bound. An interruption or unplugging ends the sleep early.
        int64_t next = kNever;
        if (int64_t(m_out.size()) >= missing)
            next = m_out[size_t(missing - 1)].doneUs;
        else {
            if (m_timerUs >= 0)
                next = m_timerUs;
            if (!m_in.empty())
                next = std::min(next, m_in.front().atUs);
        }
        int step = left;
        if (next != kNever)
            step = static_cast<int>(std::clamp<int64_t>((next - m_nowUs + 999) / 1000, 1, left));
        m_clock.sleepUnless(static_cast<uint32_t>(step), [this] { return interrupted() || m_unplugged.load(); });
        catchUp();
    }
}

// --- the probe's time line -----------------------------------------------------

void SimulatedProbe::catchUp()
{
    const uint32_t c = m_clock.now();
    m_nowUs += static_cast<int64_t>(static_cast<uint32_t>(c - m_lastClock)) * 1000;
    m_lastClock = c;
    for (;;) {
        const int64_t tIn = m_in.empty() ? kNever : m_in.front().atUs;
        const int64_t tTimer = m_timerUs < 0 ? kNever : m_timerUs;
        if (std::min(tIn, tTimer) > m_nowUs)
            break;
        if (tTimer <= tIn) {
            m_timerUs = -1;
            onTimer(tTimer);
        } else {
            const InByte b = m_in.front();
            m_in.pop_front();
            onByte(b.value, b.atUs);
        }
    }
    while (!m_out.empty() && m_out.front().doneUs <= m_nowUs) {
        if (m_input.size() < kInputLimit)
            m_input.push_back(m_out.front().value);
        m_out.pop_front();
    }
}

int64_t SimulatedProbe::sendRaw(uint8_t b, int64_t readyUs)
{
    const int64_t done = m_line.occupy(readyUs);
    m_out.push_back({b, done});
    return done;
}

// A byte of the live stream or of a reply, where the byte faults apply.
int64_t SimulatedProbe::sendCounted(uint8_t b, int64_t readyUs)
{
    const int64_t index = m_command == 0 ? m_streamBytes++ : m_replyBytes++;
    if (m_faults.loseByte.command == m_command && m_faults.loseByte.index == index)
        return m_line.occupy(readyUs);
    if (m_faults.garbleByte.command == m_command && m_faults.garbleByte.index == index)
        b = static_cast<uint8_t>(~b);
    return sendRaw(b, readyUs);
}

void SimulatedProbe::sendReply(const std::vector<QByteArray>& chunks, bool framed, int64_t readyUs)
{
    const bool stops = m_faults.stopAfter.command == m_command && m_faults.stopAfter.frame >= 0;
    int64_t ready = readyUs;
    for (size_t k = 0; k < chunks.size(); ++k) {
        const int index = framed ? static_cast<int>(k) : 0;
        if (stops && index >= m_faults.stopAfter.frame) {
            // Silence until the power goes off: the state is left without a timer.
            m_state = State::Busy;
            m_timerUs = -1;
            return;
        }
        QByteArray c = chunks[k];
        if (framed && m_faults.badChecksum.command == m_command && m_faults.badChecksum.frame == index)
            c[9] = static_cast<char>(c[9] + 1);
        for (char ch : c)
            sendCounted(static_cast<uint8_t>(ch), ready);
        ready = m_line.tailUs + (framed ? kReplyGapUs : 0);
    }
    busyUntilSent();
}

void SimulatedProbe::busyUntilSent()
{
    m_state = State::Busy;
    m_timerUs = m_line.tailUs;
}

void SimulatedProbe::onTimer(int64_t t)
{
    switch (m_state) {
    case State::Booting:
        m_castStartUs = t;
        m_state = State::Streaming;
        m_streamStartUs = t;
        m_streamFrames = 0;
        [[fallthrough]];
    case State::Streaming:
        sendLiveFrame(t);
        m_timerUs = m_streamStartUs + frameOffsetUs(++m_streamFrames);
        break;
    case State::Erasing:
        m_recordings.clear();
        m_memoryUsed.reset();
        sendCounted(0xAA, t);
        busyUntilSent();
        break;
    case State::WaitLetter:
    case State::Params:
    case State::Busy:
        // Back to the live stream, one frame gap after the last byte sent.
        m_state = State::Streaming;
        m_command = 0;
        m_timerUs = std::max(t, m_line.tailUs)
            + std::max<int64_t>(kAnswerUs, std::llround(1e6 / m_frameRate - kFrameUs));
        m_streamStartUs = m_timerUs;
        m_streamFrames = 0;
        break;
    case State::Off:
        break;
    }
}

void SimulatedProbe::answerAttention(int64_t t)
{
    // In the gap the answer comes at once; in the middle of a frame, right after it.
    const int64_t done = sendRaw('$', std::max(t + kAnswerUs, m_line.tailUs + 1000));
    m_state = State::WaitLetter;
    m_timerUs = done + kLetterWaitUs;
}

void SimulatedProbe::onByte(uint8_t b, int64_t t)
{
    switch (m_state) {
    case State::Streaming:
        if (b == '$' && !m_faults.ignoreAttention)
            answerAttention(t);
        break;
    case State::WaitLetter:
        if (b == '$')
            answerAttention(t);
        else
            runCommand(b, t);
        break;
    case State::Params: {
        m_params.append(static_cast<char>(b));
        const int64_t done = sendRaw(b, t + kAnswerUs);
        const int needed = m_command == 'D' ? 7 : 2;
        if (m_params.size() >= needed)
            finishParams(done);
        else
            m_timerUs = t + kParamWaitUs;
        break;
    }
    default:
        break;   // off, booting, erasing or busy sending: the probe does not listen
    }
}

void SimulatedProbe::runCommand(uint8_t letter, int64_t t)
{
    m_timerUs = -1;
    if (has(m_faults.noEcho, letter)) {
        // Silent for longer than the client waits for an echo, then streaming again.
        m_state = State::Busy;
        m_timerUs = t + kNoEchoSilenceUs;
        return;
    }
    const int64_t ready = t + kAnswerUs;
    const bool known = QByteArray("BCDEFGIJ").contains(static_cast<char>(letter)) && !has(m_faults.unknown, letter);
    if (has(m_faults.wrongEcho, letter) || !known) {
        // The stream resumes after the echo: an unknown command's first reply byte is 0xAA.
        sendRaw(has(m_faults.wrongEcho, letter) ? letter + 1 : letter, ready);
        busyUntilSent();
        return;
    }
    if (letter != 'B')
        sendRaw(letter, ready);
    m_command = letter;
    m_replyBytes = 0;
    m_params.clear();
    switch (letter) {
    case 'B': {
        const QByteArray line = m_faults.calibrationLine ? *m_faults.calibrationLine : calibrationLine() + '\n';
        sendReply({line}, false, ready);
        break;
    }
    case 'C':
        sendReply({clockFrame(timeAt(ready))}, true, ready);
        break;
    case 'D':
    case 'F':
        m_state = State::Params;
        m_timerUs = t + kParamWaitUs;
        break;
    case 'E': {
        const char reply[2] = {static_cast<char>(m_interval >> 8), static_cast<char>(m_interval & 0xFF)};
        sendReply({QByteArray(reply, 2)}, false, ready);
        break;
    }
    case 'G': {
        std::vector<QByteArray> frames = directoryFrames();
        frames.push_back(endFrame());
        sendReply(frames, true, ready);
        break;
    }
    case 'I':
        sendReply(uploadFrames(), true, ready);
        break;
    case 'J': {
        const bool silent = m_faults.stopAfter.command == 'J' && m_faults.stopAfter.frame == 0;
        if (silent) {
            m_state = State::Busy;
            return;
        }
        const int64_t done = sendCounted(m_eraseByte, ready);
        m_state = State::Erasing;
        m_timerUs = done + int64_t(m_eraseByte / 32) * 4500 * 1000;
        break;
    }
    default:
        break;
    }
}

void SimulatedProbe::finishParams(int64_t t)
{
    if (m_command == 'D') {
        setProbeTimeFromBytes(m_params, t);
        sendReply({clockFrame(timeAt(t))}, true, t);
    } else {
        m_interval = static_cast<uint16_t>((uint8_t(m_params[0]) << 8) | uint8_t(m_params[1]));
        const char reply[2] = {m_params[0], m_params[1]};
        sendReply({QByteArray(reply, 2)}, false, t + kAnswerUs);
    }
}
