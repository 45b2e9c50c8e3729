#include "platform/xbase/XbFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

namespace tolvane {

XbFile::~XbFile() {
    Close();
}

XbFile::XbFile(XbFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

XbFile& XbFile::operator=(XbFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

XbFile XbFile::Open(const std::string& path, Access access) {
    XbFile file;
    file.path_ = path;
    file.fd_ = ::open(path.c_str(), (access == Access::ReadOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    if (file.fd_ < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR) {
            throw EXBaseError(XbError::NotFound, XbBaseName(path) + ": file not found");
        }
        file.Fail("cannot open", err);
    }
    struct stat st {};
    if (::fstat(file.fd_, &st) == 0 && !S_ISREG(st.st_mode)) {
        throw EXBaseError(XbError::Io, XbBaseName(path) + ": not a regular file");
    }
    return file;
}

XbFile XbFile::Create(const std::string& path) {
    XbFile file;
    file.path_ = path;
    file.fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file.fd_ < 0) {
        file.Fail("cannot create", errno);
    }
    return file;
}

void XbFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool XbFile::TryLock() {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        return true;
    }
    if (errno == EWOULDBLOCK) {
        return false;
    }
    Fail("cannot lock", errno);
}

void XbFile::ReadAt(uint64_t offset, void* data, size_t n) const {
    if (ReadSomeAt(offset, data, n) != n) {
        throw EXBaseError(XbError::Io, XbBaseName(path_) + ": unexpected end of file");
    }
}

size_t XbFile::ReadSomeAt(uint64_t offset, void* data, size_t n) const {
    size_t done = 0;
    auto* p = static_cast<uint8_t*>(data);
    while (done < n) {
        const ssize_t got = ::pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("cannot read", errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return done;
}

void XbFile::WriteAt(uint64_t offset, const void* data, size_t n) {
    size_t done = 0;
    const auto* p = static_cast<const uint8_t*>(data);
    while (done < n) {
        const ssize_t put = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("cannot write", errno);
        }
        done += static_cast<size_t>(put);
    }
}

uint64_t XbFile::Size() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        Fail("cannot read the size", errno);
    }
    return static_cast<uint64_t>(st.st_size);
}

void XbFile::Truncate(uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        Fail("cannot truncate", errno);
    }
}

void XbFile::Sync() {
    if (::fsync(fd_) != 0) {
        Fail("cannot flush", errno);
    }
}

void XbFile::Fail(const char* what, int err) const {
    throw EXBaseError(XbError::Io, XbBaseName(path_) + ": " + what + ": " + std::strerror(err));
}

std::string XbBaseName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

void XbReplaceFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        const int err = errno;
        throw EXBaseError(XbError::Io, XbBaseName(to) + ": cannot replace: " + std::strerror(err));
    }
    std::filesystem::path folder = std::filesystem::path(to).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string XbFindFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) {
        return path;
    }
    const std::filesystem::path p(path);
    std::filesystem::path folder = p.parent_path();
    const std::string name = p.filename().string();
    for (const auto& entry : std::filesystem::directory_iterator(folder.empty() ? "." : folder, ec)) {
        if (SameIgnoringCase(entry.path().filename().string(), name) && entry.is_regular_file(ec)) {
            return (folder / entry.path().filename()).string();
        }
    }
    return {};
}

std::string XbCompanionPath(const std::string& tablePath, const std::string& upperExtension) {
    std::filesystem::path p(tablePath);
    const std::string ext = p.extension().string();
    bool lower = false;
    for (const char c : ext) {
        lower = lower || std::islower(static_cast<unsigned char>(c));
    }
    std::string wanted = upperExtension;
    if (lower) {
        for (char& c : wanted) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    p.replace_extension(wanted);
    const std::string found = XbFindFile(p.string());
    return found.empty() ? p.string() : found;
}

} // namespace tolvane
