// The port's trace: the latest bytes in and out with their times, kept in memory and written as
// readable text when the port closes. Lines look like
//      12.345 TX "ATE0Q0V1X4S0=0S2=43<CR>"
//      12.371 RX "<CR><LF>OK<CR><LF>"
// with printable characters as text and others by name (<DLE>, <ETX>, <XON>, ...) or as <xx>.
// Not thread-safe: the port calls it under its own lock.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

enum class TraceDirection : uint8_t { In, Out };

class PortTrace {
public:
    using Clock = std::chrono::steady_clock;

    // Starts a new trace keeping the latest `capacity` bytes.
    void Start(size_t capacity, Clock::time_point origin);
    void Add(TraceDirection direction, const uint8_t* bytes, size_t n);
    // The trace as text (a header line, then one line per run of bytes).
    std::string Text(const std::string& device) const;
    // Writes Text to the file, replacing it: 0 or a negative I/O error.
    int WriteFile(const std::string& name, const std::string& device) const;
    bool Active() const { return capacity_ > 0; }

private:
    struct Entry {
        uint32_t micros; // since origin
        TraceDirection direction;
        uint8_t byte;
    };
    std::vector<Entry> entries_; // ring once full
    size_t next_ = 0;            // oldest entry when full
    size_t capacity_ = 0;
    Clock::time_point origin_;
};

// The readable form of one byte: the character itself, or a name such as "<CR>" or "<8F>".
std::string TraceByteText(uint8_t c);

} // namespace tolvane
