// Just enough JSON output for the tool's --json modes.
#pragma once

#include <string>
#include <string_view>

namespace faxtool {

// A JSON string literal, with control characters and non-ASCII bytes escaped as \u00XX.
std::string JsonString(std::string_view text);

} // namespace faxtool
