#pragma once
#include "probe/MsClock.h"
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

// A simulated clock that moves only while the window's event loop runs: a
// sleep on any other thread (the port's) lasts until the window's thread has
// moved the clock on to its end with step(), called from a timer there. An
// exchange that held the window's thread could never end; one that ends shows
// that the event loop ran all along, at most `stepMs` of the probe's time
// apart. Times are those of a SimulatedClock: a sleep ends exactly at its end,
// or early when told to stop. A sleep that nobody moves on within 10 s of real
// time is let go and counted in `stalls`.
class PacedClock : public MsClock
{
public:
    explicit PacedClock(uint32_t stepMs = 5, uint32_t start = 1000)
        : m_step(stepMs), m_now(start), m_window(QThread::currentThread()) {}

    uint32_t now() override { return m_now.load(); }
    void sleepMs(uint32_t ms) override { sleepUnless(ms, {}); }
    void sleepUnless(uint32_t ms, const std::function<bool()>& stop) override
    {
        // The window's own thread cannot wait for itself.
        if (QThread::currentThread() == m_window) {
            m_now += ms;
            return;
        }
        std::unique_lock lock(m_mutex);
        const uint32_t end = m_now + ms;
        m_target = end;
        m_sleeping = true;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (static_cast<int32_t>(end - m_now) > 0 && !(stop && stop())) {
            if (std::chrono::steady_clock::now() > giveUp) {
                ++stalls;
                m_now = end;
                break;
            }
            m_moved.wait_for(lock, std::chrono::milliseconds(5));
        }
        m_sleeping = false;
    }

    // On the window's thread: moves a sleeper on by at most one step; false
    // when nobody sleeps.
    bool step()
    {
        {
            const std::lock_guard lock(m_mutex);
            if (!m_sleeping)
                return false;
            const auto left = static_cast<uint32_t>(std::max<int32_t>(0, static_cast<int32_t>(m_target - m_now)));
            m_now += std::min(left, m_step);
        }
        m_moved.notify_all();
        return true;
    }

    std::atomic<int> stalls{0};

private:
    const uint32_t m_step;
    std::atomic<uint32_t> m_now;
    QThread* const m_window;
    std::mutex m_mutex;
    std::condition_variable m_moved;
    uint32_t m_target = 0;
    bool m_sleeping = false;
};
