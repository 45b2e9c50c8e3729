// Writes the document model as plain RTF 1.x: code page 1252 with \uN for other characters,
// font and colour tables, character and paragraph formatting as control words, \page before a
// paragraph that starts a page, and merge fields as MERGEFIELD fields. The output depends only
// on the document, so a document read back and written again gives the same bytes.
#pragma once

#include "platform/richtext/rtf/RtfDocument.h"

#include <string>

namespace tolvane::rtf {

// Font used for runs whose format names no font.
inline constexpr char16_t kFallbackFont[] = u"Arial";

std::string WriteRtf(const Document& doc);

} // namespace tolvane::rtf
