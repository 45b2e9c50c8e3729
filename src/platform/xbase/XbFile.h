// A file of the table engine: positioned reads and writes, an exclusive lock, and every
// failure raised as EXBaseError naming the file.
#pragma once

#include "platform/xbase/XbTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tolvane {

class XbFile {
public:
    enum class Access { ReadOnly, ReadWrite };

    XbFile() = default;
    ~XbFile();
    XbFile(XbFile&& other) noexcept;
    XbFile& operator=(XbFile&& other) noexcept;
    XbFile(const XbFile&) = delete;
    XbFile& operator=(const XbFile&) = delete;

    // An existing file; NotFound when it is missing.
    static XbFile Open(const std::string& path, Access access);
    // A new empty file, replacing one of that name.
    static XbFile Create(const std::string& path);

    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }
    // After the file was renamed: messages name it by its new path.
    void SetPath(std::string path) { path_ = std::move(path); }
    void Close();

    // Takes the exclusive lock of the file (held until closed). False when someone holds it;
    // the lock is per open file, so a second open in this process conflicts too.
    bool TryLock();

    void ReadAt(uint64_t offset, void* data, size_t n) const; // short read is BadTable-free Io
    size_t ReadSomeAt(uint64_t offset, void* data, size_t n) const;
    void WriteAt(uint64_t offset, const void* data, size_t n);
    uint64_t Size() const;
    void Truncate(uint64_t size);
    void Sync();

private:
    [[noreturn]] void Fail(const char* what, int err) const;

    int fd_ = -1;
    std::string path_;
};

// The file's name without its folder, for messages.
std::string XbBaseName(const std::string& path);

// Renames a file over another and makes the folder entry durable.
void XbReplaceFile(const std::string& from, const std::string& to);

// An existing file whose name equals path's without regard to letter case; "" when none.
std::string XbFindFile(const std::string& path);

// The companion file (memo, index) of a table: the same stem with the extension given in upper
// case, written in the case of the table's own extension, or an existing file matching it
// without regard to case.
std::string XbCompanionPath(const std::string& tablePath, const std::string& upperExtension);

} // namespace tolvane
