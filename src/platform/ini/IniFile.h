// A Windows-style INI settings file that keeps every line it does not change.
//
// Format: "[Section]" lines, each followed by "Key=Value" lines. Section and key names compare
// without regard to ASCII letter case and may contain blanks ("Default Font"); the first of
// duplicate sections or keys wins, as the Windows profile routines do. Names and values are
// trimmed of blanks and tabs; a value enclosed in a matching pair of quotes loses them. Lines
// that are neither (comments, blank lines, anything unparsable, bytes in any encoding) are kept
// verbatim and written back in place, so a file shared with other programs survives a save.
//
// Integers are written in decimal; on reading "0x"/"0X" introduces hexadecimal, and anything
// that is not a complete 32-bit integer yields the caller's default. Booleans are integers
// (non-zero is true) written as "1" or "0". Strings are read up to 1023 bytes (cut on a UTF-8
// character boundary).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

inline constexpr size_t kIniMaxStringLength = 1023;
// A settings file larger than this is not taken for one (and never overwritten).
inline constexpr size_t kIniMaxFileSize = 4 * 1024 * 1024;

// The value of an INI integer: decimal with an optional sign, or 0x hexadecimal (up to 32 bits,
// taken as a signed 32-bit value); nullopt for anything else, including an out-of-range number.
std::optional<int> ParseIniInteger(std::string_view text);

class IniFile {
public:
    // Reads the file. ecOK; ecFileNotFound when it does not exist (the document stays empty and
    // Save creates the file); another negative code when it exists but cannot be read or is too
    // large: the document stays empty and Save refuses to replace that file.
    int Load(const std::string& name);
    // Replaces the document with the given text (the lines of a file).
    void Parse(std::string_view text);

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    bool HasKey(std::string_view section, std::string_view key) const;

    // Changes the key's line in place, or adds the key at the end of its section, or adds the
    // section at the end of the document. Line breaks in a value become blanks.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    // The document as file text; line ends as the loaded file had them (CR LF for a new one).
    std::string Text() const;

    // Writes the document atomically: a temporary file in the same folder, flushed to disk and
    // renamed over the target. A new file gets mode 0600, an existing one keeps its mode.
    // Returns ecOK or a negative I/O code; ecIniRead when Load failed on this same file.
    int Save(const std::string& name) const;

private:
    struct Line {
        std::string raw;     // the line as read or written, without its line end
        std::string section; // for a section header: its name
        std::string key;     // for a key line: its name
        std::string value;   // for a key line: the value, trimmed and unquoted
        enum class Kind { Other, Section, Key } kind = Kind::Other;
    };

    // Index of the first header of the section, or npos.
    size_t FindSection(std::string_view section) const;
    // Index of the first line of the key in the section, or npos.
    size_t FindKey(std::string_view section, std::string_view key) const;
    const std::string* Value(std::string_view section, std::string_view key) const;

    std::vector<Line> lines_;
    std::string lineEnd_ = "\r\n";
    std::string unreadable_; // file name whose Load failed with it present
};

} // namespace tolvane
