// Character encodings of the RTF layer: Windows code page 1252 (the code page of the RTF we
// write, \ansicpg1252, and the one we assume for \'hh escapes and 8-bit text we read) and
// UTF-8 for plain-text files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane::rtf {

// The UTF-16 unit of a cp1252 byte. The five bytes the code page leaves undefined (81h, 8Dh,
// 8Fh, 90h, 9Dh) map to the C1 control of the same value, as Windows does.
char16_t Cp1252ToUnicode(uint8_t byte);

// The cp1252 byte of a UTF-16 unit, if the code page has it.
std::optional<uint8_t> UnicodeToCp1252(char16_t unit);

// Whether a UTF-16 unit is document text: not a control character (tabs are text), and not one
// of the characters editors use for their own structure (paragraph separator, object
// replacement, frame markers).
bool IsTextUnit(char16_t unit);

// Decodes UTF-8; nothing when the bytes are not well-formed UTF-8.
std::optional<std::u16string> DecodeUtf8(std::string_view bytes);

} // namespace tolvane::rtf
