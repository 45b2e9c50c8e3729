// The engine's clocks: a monotonic millisecond clock, the 55 ms tick clock derived from it, the
// short fixed pauses of the modem dialogue, and the software timer.
#pragma once

#include <cstdint>

namespace tolvane {

uint64_t MillisecondClock();
inline uint64_t TickClock() {
    return MillisecondClock() / 55;
}
// A pause of the calling thread (the engine's fixed waits of 20 ms to 1 s).
void WaitMilliseconds(int ms);

// A time-out kept by the engine itself, beside the port's timer triggers.
class SoftwareTimer {
public:
    static constexpr uint32_t kMaxTicks = 39045157;

    void Start(uint32_t ticks);
    bool Expired() const { return MillisecondClock() >= endMs_; }
    // Milliseconds left (0 once expired).
    uint64_t RemainingMs() const;

private:
    uint64_t endMs_ = 0;
};

} // namespace tolvane
