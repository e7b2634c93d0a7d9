#include "probe/MsClock.h"
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
