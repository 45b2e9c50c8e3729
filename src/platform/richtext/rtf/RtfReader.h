// Reads RTF as other programs write it into the document model. Unknown control words and
// destinations are skipped; malformed input (unbalanced groups, broken escapes, absurd
// parameters) gives whatever text could be recovered, never a failure.
#pragma once

#include "platform/richtext/rtf/RtfDocument.h"

#include <string_view>

namespace tolvane::rtf {

// True when the bytes begin (after white space) with "{\rtf".
bool LooksLikeRtf(std::string_view bytes);

Document ReadRtf(std::string_view bytes);

// Plain text: UTF-8 when the bytes are well-formed UTF-8, else code page 1252; CR LF, LF or CR
// end a paragraph, a form feed starts a new page.
Document ReadPlainText(std::string_view bytes);

// RTF when the bytes look like RTF, else plain text.
Document ReadDocument(std::string_view bytes);

} // namespace tolvane::rtf
