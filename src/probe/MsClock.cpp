#include "probe/MsClock.h"
#include <algorithm>
#include <chrono>
#include <thread>

namespace {
const auto kEpoch = std::chrono::steady_clock::now();
}

SteadyClock::SteadyClock() = default;

uint32_t SteadyClock::now()
{
    const auto d = std::chrono::steady_clock::now() - kEpoch;
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

void SteadyClock::sleepMs(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SteadyClock::sleepUnless(uint32_t ms, const std::function<bool()>& stop)
{
    const uint32_t end = now() + ms;
    for (;;) {
        if (stop())
            return;
        const int32_t left = static_cast<int32_t>(end - now());
        if (left <= 0)
            return;
        sleepMs(std::min(static_cast<uint32_t>(left), kStopCheckMs));
    }
}
