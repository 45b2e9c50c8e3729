#include "imaging/io/BinaryFile.h"

#include "imaging/errors/IoError.h"
#include "imaging/errors/ResultCodes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tolvane {

BinaryFile::~BinaryFile() {
    Close();
}

BinaryFile::BinaryFile(BinaryFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

int BinaryFile::Open(const std::string& name, Mode mode) {
    Close();
    if (name.empty()) {
        return ecFileNotFound;
    }
    const int flags = (mode == Mode::Read ? O_RDONLY : O_RDWR) | O_CLOEXEC;
    fd_ = ::open(name.c_str(), flags);
    if (fd_ < 0) {
        return IoErrorFromErrno(errno, IoOperation::Open);
    }
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
        Close();
        return ecAccessDenied;
    }
    return ecOK;
}

int BinaryFile::Create(const std::string& name) {
    Close();
    if (name.empty()) {
        return ecFileNotFound;
    }
    fd_ = ::open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        return IoErrorFromErrno(errno, IoOperation::Create);
    }
    return ecOK;
}

int BinaryFile::Close() {
    if (fd_ < 0) {
        return ecOK;
    }
    const int rc = ::close(std::exchange(fd_, -1));
    return rc == 0 ? ecOK : IoErrorFromErrno(errno, IoOperation::Close);
}

int BinaryFile::ReadSome(void* data, size_t n, size_t& got) {
    got = 0;
    if (fd_ < 0) {
        return ecNotOpen;
    }
    auto* p = static_cast<uint8_t*>(data);
    while (got < n) {
        const ssize_t r = ::read(fd_, p + got, n - got);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            return IoErrorFromErrno(errno, IoOperation::Read);
        }
        if (r == 0) {
            break;
        }
        got += static_cast<size_t>(r);
    }
    return ecOK;
}

int BinaryFile::ReadExact(void* data, size_t n) {
    size_t got = 0;
    if (const int rc = ReadSome(data, n, got); rc < 0) {
        return rc;
    }
    return got == n ? ecOK : ecDiskRead;
}

int BinaryFile::WriteAll(const void* data, size_t n) {
    if (fd_ < 0) {
        return ecNotOpen;
    }
    const auto* p = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < n) {
        const ssize_t w = ::write(fd_, p + done, n - done);
        if (w < 0) {
            if (errno == EINTR) {
                continue;
            }
            return IoErrorFromErrno(errno, IoOperation::Write);
        }
        done += static_cast<size_t>(w);
    }
    return ecOK;
}

int BinaryFile::Seek(uint64_t position) {
    if (fd_ < 0) {
        return ecNotOpen;
    }
    if (::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0) {
        return IoErrorFromErrno(errno, IoOperation::Seek);
    }
    return ecOK;
}

int BinaryFile::Tell(uint64_t& position) const {
    if (fd_ < 0) {
        return ecNotOpen;
    }
    const off_t p = ::lseek(fd_, 0, SEEK_CUR);
    if (p < 0) {
        return IoErrorFromErrno(errno, IoOperation::Seek);
    }
    position = static_cast<uint64_t>(p);
    return ecOK;
}

int BinaryFile::Size(uint64_t& size) const {
    if (fd_ < 0) {
        return ecNotOpen;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        return IoErrorFromErrno(errno, IoOperation::Read);
    }
    size = static_cast<uint64_t>(st.st_size);
    return ecOK;
}

int BinaryFile::Truncate(uint64_t size) {
    if (fd_ < 0) {
        return ecNotOpen;
    }
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        return IoErrorFromErrno(errno, IoOperation::Write);
    }
    return ecOK;
}

int BinaryFile::Sync() {
    if (fd_ < 0) {
        return ecNotOpen;
    }
    if (::fsync(fd_) != 0) {
        return IoErrorFromErrno(errno, IoOperation::Write);
    }
    return ecOK;
}

} // namespace tolvane
