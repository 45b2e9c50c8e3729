#include "engine/FaxClock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tolvane {

uint64_t MillisecondClock() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

void WaitMilliseconds(int ms) {
    if (ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
}

void SoftwareTimer::Start(uint32_t ticks) {
    endMs_ = MillisecondClock() + uint64_t{std::min(ticks, kMaxTicks)} * 55;
}

uint64_t SoftwareTimer::RemainingMs() const {
    const uint64_t now = MillisecondClock();
    return now >= endMs_ ? 0 : endMs_ - now;
}

} // namespace tolvane
