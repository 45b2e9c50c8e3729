// A pseudo-terminal for port tests: the test plays the modem on the master side.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>

namespace tolvane::test {

class PtyPair {
public:
    PtyPair() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        slave_ = ::ptsname(master_);
        termios t{};
        ::tcgetattr(master_, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(master_, TCSANOW, &t);
    }
    ~PtyPair() { ::close(master_); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlavePath() const { return slave_; }

    void Write(const std::string& bytes) const {
        [[maybe_unused]] const ssize_t n = ::write(master_, bytes.data(), bytes.size());
    }

    // What arrives from the port within the time (stops early once `want` bytes are there).
    std::string Read(std::chrono::milliseconds within, size_t want = SIZE_MAX) const {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + within;
        while (got.size() < want) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                break;
            }
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            char buf[4096];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) {
                break;
            }
            got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }

private:
    int master_ = -1;
    std::string slave_;
};

} // namespace tolvane::test
