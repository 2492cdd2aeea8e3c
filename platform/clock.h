#pragma once
#include <chrono>
#include <cstdint>
#include <thread>

namespace talven {

// Milliseconds of a monotonic clock, wrapping at 2^32 like the tick count the
// timing rules were written for; compare ticks by subtraction only.
inline uint32_t tickCount() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

inline void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace talven
