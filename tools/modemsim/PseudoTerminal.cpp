#include "PseudoTerminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace modemsim {

PseudoTerminal::PseudoTerminal(std::string link) : link_(std::move(link)) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        throw std::runtime_error(std::string("cannot create a pseudo-terminal: ") + std::strerror(errno));
    }
    const std::string slave = ::ptsname(master_);
    slaveKeeper_ = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slaveKeeper_ < 0) {
        throw std::runtime_error("cannot open " + slave);
    }
    // Raw, so that nothing we send is echoed back to us before the host has set its own mode.
    termios t{};
    ::tcgetattr(slaveKeeper_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slaveKeeper_, TCSANOW, &t);
    std::error_code ec;
    if (std::filesystem::is_symlink(link_, ec)) {
        std::filesystem::remove(link_, ec);
    }
    std::filesystem::create_symlink(slave, link_, ec);
    if (ec) {
        throw std::runtime_error("cannot create the link " + link_ + ": " + ec.message());
    }
}

PseudoTerminal::~PseudoTerminal() {
    std::error_code ec;
    std::filesystem::remove(link_, ec);
    ::close(slaveKeeper_);
    ::close(master_);
}

std::string PseudoTerminal::Read(size_t max) {
    std::string got(max, '\0');
    const ssize_t n = ::read(master_, got.data(), max);
    got.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return got;
}

void PseudoTerminal::Flush() {
    while (!pending_.empty()) {
        const ssize_t n = ::write(master_, pending_.data(), pending_.size());
        if (n <= 0) {
            break;
        }
        pending_.erase(0, static_cast<size_t>(n));
    }
}

bool PseudoTerminal::Unread() const {
    int waiting = 0;
    return !pending_.empty() || (::ioctl(slaveKeeper_, TIOCINQ, &waiting) == 0 && waiting > 0);
}

} // namespace modemsim
