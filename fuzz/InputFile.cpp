#include "FuzzTarget.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

InputFile::InputFile(const uint8_t* data, size_t size, const char* suffix) {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/tolvane-fuzz-XXXXXX" + suffix;
    const int fd = ::mkstemps(pattern.data(), static_cast<int>(std::string(suffix).size()));
    if (fd < 0) {
        std::abort();
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t w = ::write(fd, data + done, size - done);
        if (w <= 0) {
            std::abort();
        }
        done += static_cast<size_t>(w);
    }
    ::close(fd);
    name_ = pattern;
}

InputFile::~InputFile() {
    std::remove(name_.c_str());
}

} // namespace fuzz
