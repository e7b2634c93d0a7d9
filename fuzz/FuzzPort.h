#pragma once
// A serial port that answers with the fuzz bytes, on a simulated clock.
//
// The input is a chain of records, each a length byte and that many bytes.
// Opening the port queues the first record; every discarding flush, every
// byte the client sends and every wait that finds too few bytes queue the
// next one, as a probe answers what it is sent. Once the records run out the
// port is silent: a wait for bytes that do not come lets its whole time pass
// on the clock at once, so a silent or short reply ends in no real time.
#include "probe/MsClock.h"
#include "probe/SerialPort.h"
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>

class FuzzPort : public SerialPort
{
public:
    FuzzPort(const uint8_t* data, size_t size) : m_data(data), m_size(size) { release(); }

    int open() override { return 0; }
    int close() override { return 0; }
    int setBaud(int) override { return 0; }
    int setPower(int) override { return 0; }
    int setTransmit(int) override { return 0; }
    int putByte(int) override
    {
        ++m_sent;
        release();
        return 0;
    }
    int flush(int mode) override
    {
        if (mode == 2) {
            m_queue.clear();
            release();
        }
        return 0;
    }
    int inputCount() override { return static_cast<int>(m_queue.size()); }
    int getByte() override
    {
        if (m_queue.empty())
            return -1;
        const int b = m_queue.front();
        m_queue.pop_front();
        return b;
    }
    int read(char* buffer, int length) override
    {
        int n = 0;
        while (n < length && !m_queue.empty()) {
            buffer[n++] = static_cast<char>(m_queue.front());
            m_queue.pop_front();
        }
        return n;
    }
    bool waitForBytes(int count, int ms) override
    {
        while (inputCount() < count && !exhausted())
            release();
        if (inputCount() >= count)
            return true;
        if (ms > 0)
            m_clock.sleepMs(static_cast<uint32_t>(ms));
        return inputCount() >= count;
    }
    MsClock& clock() override { return m_clock; }
    QString deviceName() const override { return QStringLiteral("fuzz"); }

    long sent() const { return m_sent; }
    bool exhausted() const { return m_pos >= m_size; }
    SimulatedClock& simulatedClock() { return m_clock; }

    // Queues the next record: what arrives from a probe between two reads.
    void release()
    {
        if (m_pos >= m_size)
            return;
        const size_t n = m_data[m_pos++];
        for (size_t i = 0; i < n && m_pos < m_size; ++i)
            m_queue.push_back(m_data[m_pos++]);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    long m_sent = 0;
    std::deque<uint8_t> m_queue;
    SimulatedClock m_clock;
};
