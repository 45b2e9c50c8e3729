// Things the simulator does later: each entry runs once when its time has come. Entries of a
// call are dropped together when the call ends.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>

namespace modemsim {

using Clock = std::chrono::steady_clock;

class Agenda {
public:
    void After(std::chrono::milliseconds delay, std::function<void()> action) {
        entries_.emplace(Clock::now() + delay, std::move(action));
    }
    // Runs what is due, including entries that due entries add for now.
    void RunDue() {
        while (!entries_.empty() && entries_.begin()->first <= Clock::now()) {
            auto action = std::move(entries_.begin()->second);
            entries_.erase(entries_.begin());
            action();
        }
    }
    std::optional<Clock::time_point> Next() const {
        if (entries_.empty()) {
            return std::nullopt;
        }
        return entries_.begin()->first;
    }
    void Clear() { entries_.clear(); }

private:
    std::multimap<Clock::time_point, std::function<void()>> entries_;
};

} // namespace modemsim
