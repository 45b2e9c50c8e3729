// The telephone line of a Class 1 call: 8 kHz audio between two ends (a modem and the far fax
// machine, or two modems), moved in 20 ms blocks as real time passes.
#pragma once

#include "Agenda.h"

#include <cstdint>

namespace modemsim {

class AudioPeer {
public:
    // What this end sends: fills `n` samples (silence where it sends nothing).
    virtual void Transmit(int16_t* amp, int n) = 0;
    virtual void Receive(int16_t* amp, int n) = 0;

protected:
    ~AudioPeer() = default;
};

class AudioLine {
public:
    static constexpr int kBlockSamples = 160; // 20 ms
    static constexpr auto kBlock = std::chrono::milliseconds(20);

    AudioLine(AudioPeer& a, AudioPeer& b) : a_(a), b_(b), next_(Clock::now()) {}

    // Moves the blocks that are due (at most a few after a stall, so the ends never see a burst).
    void Advance() {
        const auto now = Clock::now();
        int blocks = 0;
        while (next_ <= now && blocks < kMaxCatchUp) {
            int16_t fromA[kBlockSamples];
            int16_t fromB[kBlockSamples];
            a_.Transmit(fromA, kBlockSamples);
            b_.Transmit(fromB, kBlockSamples);
            if (cut_) {
                std::fill(fromA, fromA + kBlockSamples, int16_t{0});
                std::fill(fromB, fromB + kBlockSamples, int16_t{0});
            }
            b_.Receive(fromA, kBlockSamples);
            a_.Receive(fromB, kBlockSamples);
            next_ += kBlock;
            ++blocks;
        }
        if (next_ <= now) {
            next_ = now + kBlock;
        }
    }
    Clock::time_point Next() const { return next_; }
    // The line goes dead: from now on both ends hear silence.
    void Cut() { cut_ = true; }

private:
    static constexpr int kMaxCatchUp = 5;
    AudioPeer& a_;
    AudioPeer& b_;
    Clock::time_point next_;
    bool cut_ = false;
};

} // namespace modemsim
