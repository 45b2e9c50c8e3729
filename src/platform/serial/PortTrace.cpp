#include "platform/serial/PortTrace.h"

#include "imaging/errors/IoError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace tolvane {
namespace {

// Bytes further apart in time than this start a new line.
constexpr uint32_t kLineGapMicros = 20000;
constexpr size_t kMaxLineBytes = 64;

} // namespace

std::string TraceByteText(uint8_t c) {
    static constexpr const char* kNames[32] = {"NUL", "SOH", "STX", "ETX",  "EOT", "ENQ", "ACK", "BEL",
                                               "BS",  "HT",  "LF",  "VT",   "FF",  "CR",  "SO",  "SI",
                                               "DLE", "XON", "DC2", "XOFF", "DC4", "NAK", "SYN", "ETB",
                                               "CAN", "EM",  "SUB", "ESC",  "FS",  "GS",  "RS",  "US"};
    if (c < 32) {
        return std::string("<") + kNames[c] + ">";
    }
    if (c >= 127 || c == '<' || c == '"') {
        char buf[8];
        std::snprintf(buf, sizeof buf, "<%02X>", c);
        return buf;
    }
    return std::string(1, static_cast<char>(c));
}

void PortTrace::Start(size_t capacity, Clock::time_point origin) {
    entries_.clear();
    entries_.reserve(std::min<size_t>(capacity, 65536));
    next_ = 0;
    capacity_ = capacity;
    origin_ = origin;
}

void PortTrace::Add(TraceDirection direction, const uint8_t* bytes, size_t n) {
    if (capacity_ == 0) {
        return;
    }
    const auto micros = static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - origin_).count());
    for (size_t i = 0; i < n; ++i) {
        const Entry e{micros, direction, bytes[i]};
        if (entries_.size() < capacity_) {
            entries_.push_back(e);
        } else {
            entries_[next_] = e;
            next_ = (next_ + 1) % capacity_;
        }
    }
}

std::string PortTrace::Text(const std::string& device) const {
    std::string text = "Serial trace of " + device + " (time in seconds since the port was opened)\n";
    const size_t count = entries_.size();
    size_t i = 0;
    while (i < count) {
        const Entry& first = entries_[(next_ + i) % count];
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%10.3f %s \"", first.micros / 1e6,
                      first.direction == TraceDirection::Out ? "TX" : "RX");
        text += stamp;
        size_t inLine = 0;
        uint32_t last = first.micros;
        while (i < count && inLine < kMaxLineBytes) {
            const Entry& e = entries_[(next_ + i) % count];
            if (e.direction != first.direction || e.micros - last > kLineGapMicros) {
                break;
            }
            text += TraceByteText(e.byte);
            last = e.micros;
            ++inLine;
            ++i;
        }
        text += "\"\n";
    }
    return text;
}

int PortTrace::WriteFile(const std::string& name, const std::string& device) const {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr) {
        return IoErrorFromErrno(errno, IoOperation::Create);
    }
    const std::string text = Text(device);
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const int err = errno;
    if (std::fclose(f) != 0 || !written) {
        return IoErrorFromErrno(written ? errno : err, IoOperation::Write);
    }
    return 0;
}

} // namespace tolvane
