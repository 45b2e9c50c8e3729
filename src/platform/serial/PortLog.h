// The port's event log: one line per event (open, close, rate and flow changes, triggers,
// device errors) with the wall-clock time, appended to a file while the port is open.
// Thread-safe.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace tolvane {

class PortLog {
public:
    PortLog() = default;
    ~PortLog() { Stop(); }
    PortLog(const PortLog&) = delete;
    PortLog& operator=(const PortLog&) = delete;

    // Opens the file for appending: 0 or a negative I/O error.
    int Start(const std::string& name);
    void Stop();
    void Write(std::string_view event);

private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
};

} // namespace tolvane
