// Text of tables (C fields, memos) is stored in the table's code page. These convert between
// that code page and UTF-8: Windows ANSI (mark 0x03, also used when the mark is 0), and
// Latin-1 for every other mark.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane {

std::string XbToUtf8(std::string_view stored, uint8_t codePage);
// Characters the code page lacks become '?'; invalid UTF-8 bytes too.
std::string XbFromUtf8(std::string_view utf8, uint8_t codePage);

// Appends a code point as UTF-8.
void XbAppendUtf8(std::string& out, char32_t c);

} // namespace tolvane
