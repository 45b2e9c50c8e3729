// The program's string table: message texts of the result codes and the session status texts.
#pragma once

#include <string>
#include <string_view>

namespace tolvane {

// The entry with this identifier, or an empty text when there is none.
std::string_view StringTableEntry(int id);

// Identifier of the message for a result code:
//   13800 < |c| <= 13900  -> |c|
//   100 <= |c| <= 199     -> |c| + 11800
//   otherwise             -> 11000 + 100 * (|c| div 1000) + |c| mod 1000
// with |c| taken as an unsigned 16-bit value.
int MessageIdForCode(int code);

// Message text of a result code (empty when the table has none).
std::string ErrorMessage(int code);

// Status text of a session status code: entry 13000 + code for codes 1 to 43, else empty.
std::string StatusText(int status);

} // namespace tolvane
