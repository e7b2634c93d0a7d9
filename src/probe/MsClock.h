#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

// The millisecond clock of the protocol's waits. Readings wrap like a 32-bit
// millisecond counter; compare with differences, never with absolute values.
class MsClock
{
public:
    virtual ~MsClock() = default;
    virtual uint32_t now() = 0;
    // Lets `ms` milliseconds pass. The steady clock sleeps (it never spins a
    // core); the simulated clock just moves on.
    virtual void sleepMs(uint32_t ms) = 0;
    // Sleeps like sleepMs, but ends early once `stop` says so (an exchange
    // interrupted from another thread). The steady clock looks every
    // kStopCheckMs; a simulated clock, which does not really sleep, just moves on.
    virtual void sleepUnless(uint32_t ms, const std::function<bool()>& stop)
    {
        (void)stop;
        sleepMs(ms);
    }
    static constexpr uint32_t kStopCheckMs = 50;
    void sleepUntil(uint32_t t)
    {
        const int32_t left = static_cast<int32_t>(t - now());
        if (left > 0)
            sleepMs(static_cast<uint32_t>(left));
    }
    uint32_t elapsedSince(uint32_t t) { return now() - t; }
};

class SteadyClock : public MsClock
{
public:
    SteadyClock();
    uint32_t now() override;
    void sleepMs(uint32_t ms) override;
    void sleepUnless(uint32_t ms, const std::function<bool()>& stop) override;
};

// A clock that only moves when told to: tests advance it, and every wait of the
// code under test advances it by the time waited. The window reads it while
// the port's thread waits on it, so a reading is atomic.
class SimulatedClock : public MsClock
{
public:
    explicit SimulatedClock(uint32_t start = 1000) : m_now(start) {}
    uint32_t now() override { return m_now.load(); }
    void sleepMs(uint32_t ms) override { m_now += ms; }
    void advance(uint32_t ms) { m_now += ms; }
private:
    std::atomic<uint32_t> m_now;
};
