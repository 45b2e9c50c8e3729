#include "platform/ini/IniFile.h"

#include "imaging/errors/IoError.h"
#include "imaging/errors/ResultCodes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>

namespace tolvane {
namespace {

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

// Cuts at most kIniMaxStringLength bytes without splitting a UTF-8 sequence.
std::string CutString(std::string_view v) {
    if (v.size() <= kIniMaxStringLength) {
        return std::string(v);
    }
    size_t n = kIniMaxStringLength;
    for (int back = 0; back < 3 && n > 0 && (static_cast<unsigned char>(v[n]) & 0xC0) == 0x80; ++back) {
        --n;
    }
    return std::string(v.substr(0, n));
}

std::string OneLine(std::string_view value) {
    std::string s(value);
    for (char& c : s) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return s;
}

int WriteFully(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return IoErrorFromErrno(errno, IoOperation::Write);
        }
        done += static_cast<size_t>(n);
    }
    return ecOK;
}

std::string FolderOf(const std::string& name) {
    const size_t slash = name.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : name.substr(0, slash);
}

} // namespace

std::optional<int> ParseIniInteger(std::string_view text) {
    text = Trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const std::string_view digits = text.substr(2);
        uint32_t value = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (ec != std::errc() || end != digits.data() + digits.size()) {
            return std::nullopt;
        }
        return static_cast<int>(value);
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

int IniFile::Load(const std::string& name) {
    lines_.clear();
    lineEnd_ = "\r\n";
    unreadable_.clear();
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT) {
            return ecFileNotFound;
        }
        unreadable_ = name;
        return IoErrorFromErrno(err, IoOperation::Open);
    }
    int rc = ecOK;
    std::string text;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        rc = IoErrorFromErrno(errno, IoOperation::Read);
    } else if (!S_ISREG(st.st_mode)) {
        rc = ecAccessDenied;
    } else if (static_cast<uint64_t>(st.st_size) > kIniMaxFileSize) {
        rc = ecDataTooLarge;
    } else {
        char buf[8192];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                rc = IoErrorFromErrno(errno, IoOperation::Read);
                break;
            }
            if (n == 0) {
                break;
            }
            text.append(buf, static_cast<size_t>(n));
            if (text.size() > kIniMaxFileSize) {
                rc = ecDataTooLarge;
                break;
            }
        }
    }
    ::close(fd);
    if (rc != ecOK) {
        unreadable_ = name;
        return rc;
    }
    Parse(text);
    return ecOK;
}

void IniFile::Parse(std::string_view text) {
    lines_.clear();
    const size_t firstBreak = text.find('\n');
    lineEnd_ = firstBreak != std::string_view::npos && (firstBreak == 0 || text[firstBreak - 1] != '\r')
                   ? "\n"
                   : "\r\n";
    while (!text.empty()) {
        const size_t br = text.find('\n');
        std::string_view raw = text.substr(0, br);
        text = br == std::string_view::npos ? std::string_view() : text.substr(br + 1);
        if (!raw.empty() && raw.back() == '\r') {
            raw.remove_suffix(1);
        }
        Line line;
        line.raw = std::string(raw);
        const std::string_view trimmed = Trim(raw);
        if (!trimmed.empty() && trimmed.front() == '[') {
            const size_t close = trimmed.find(']');
            if (close != std::string_view::npos) {
                line.kind = Line::Kind::Section;
                line.section = std::string(Trim(trimmed.substr(1, close - 1)));
            }
        } else if (!trimmed.empty() && trimmed.front() != ';') {
            const size_t eq = trimmed.find('=');
            if (eq != std::string_view::npos && !Trim(trimmed.substr(0, eq)).empty()) {
                line.kind = Line::Kind::Key;
                line.key = std::string(Trim(trimmed.substr(0, eq)));
                line.value = std::string(Unquote(Trim(trimmed.substr(eq + 1))));
            }
        }
        lines_.push_back(std::move(line));
    }
}

size_t IniFile::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Line::Kind::Section && SameName(lines_[i].section, section)) {
            return i;
        }
    }
    return std::string::npos;
}

size_t IniFile::FindKey(std::string_view section, std::string_view key) const {
    const size_t start = FindSection(section);
    if (start == std::string::npos) {
        return std::string::npos;
    }
    for (size_t i = start + 1; i < lines_.size() && lines_[i].kind != Line::Kind::Section; ++i) {
        if (lines_[i].kind == Line::Kind::Key && SameName(lines_[i].key, key)) {
            return i;
        }
    }
    return std::string::npos;
}

const std::string* IniFile::Value(std::string_view section, std::string_view key) const {
    const size_t i = FindKey(section, key);
    return i == std::string::npos ? nullptr : &lines_[i].value;
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
    return Value(section, key) != nullptr;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    const std::string* v = Value(section, key);
    return CutString(v ? std::string_view(*v) : def);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    const std::string* v = Value(section, key);
    if (!v) {
        return def;
    }
    return ParseIniInteger(*v).value_or(def);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Line line;
    line.kind = Line::Kind::Key;
    line.value = OneLine(value);
    const size_t existing = FindKey(section, key);
    if (existing != std::string::npos) {
        line.key = lines_[existing].key;
        line.raw = line.key + "=" + line.value;
        lines_[existing] = std::move(line);
        return;
    }
    line.key = std::string(key);
    line.raw = line.key + "=" + line.value;
    size_t start = FindSection(section);
    if (start == std::string::npos) {
        Line header;
        header.kind = Line::Kind::Section;
        header.section = std::string(section);
        header.raw = "[" + header.section + "]";
        lines_.push_back(std::move(header));
        lines_.push_back(std::move(line));
        return;
    }
    // After the section's last non-blank line, so blank lines before the next section stay there.
    size_t insertAt = start + 1;
    for (size_t i = start + 1; i < lines_.size() && lines_[i].kind != Line::Kind::Section; ++i) {
        if (!Trim(lines_[i].raw).empty()) {
            insertAt = i + 1;
        }
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(line));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

std::string IniFile::Text() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.raw;
        text += lineEnd_;
    }
    return text;
}

int IniFile::Save(const std::string& name) const {
    if (!unreadable_.empty() && unreadable_ == name) {
        return ecIniRead;
    }
    std::string temp = name + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return IoErrorFromErrno(errno, IoOperation::Create);
    }
    int rc = ecOK;
    struct stat st {};
    if (::stat(name.c_str(), &st) == 0 && ::fchmod(fd, st.st_mode & 07777) != 0) {
        rc = IoErrorFromErrno(errno, IoOperation::Write);
    }
    if (rc == ecOK) {
        rc = WriteFully(fd, Text());
    }
    if (rc == ecOK && ::fsync(fd) != 0) {
        rc = IoErrorFromErrno(errno, IoOperation::Write);
    }
    if (::close(fd) != 0 && rc == ecOK) {
        rc = IoErrorFromErrno(errno, IoOperation::Close);
    }
    if (rc == ecOK && std::rename(temp.c_str(), name.c_str()) != 0) {
        rc = IoErrorFromErrno(errno, IoOperation::Write);
    }
    if (rc != ecOK) {
        ::unlink(temp.c_str());
        return rc;
    }
    const int dir = ::open(FolderOf(name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return ecOK;
}

} // namespace tolvane
