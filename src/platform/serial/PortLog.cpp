#include "platform/serial/PortLog.h"

#include "imaging/errors/IoError.h"

#include <cerrno>
#include <chrono>
#include <ctime>

namespace tolvane {

int PortLog::Start(const std::string& name) {
    std::lock_guard lock(mutex_);
    if (file_ != nullptr) {
        std::fclose(file_);
    }
    file_ = std::fopen(name.c_str(), "ab");
    return file_ != nullptr ? 0 : IoErrorFromErrno(errno, IoOperation::Open);
}

void PortLog::Stop() {
    std::lock_guard lock(mutex_);
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void PortLog::Write(std::string_view event) {
    std::lock_guard lock(mutex_);
    if (file_ == nullptr) {
        return;
    }
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[40];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(file_, "%s.%03d %.*s\n", stamp, static_cast<int>(millis), static_cast<int>(event.size()),
                 event.data());
    std::fflush(file_);
}

} // namespace tolvane
