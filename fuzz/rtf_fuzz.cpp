// Reads arbitrary bytes as RTF (or plain text) and writes the document back; what was written
// once must survive a second read and write byte for byte.
#include "FuzzTarget.h"
#include "platform/richtext/rtf/RtfReader.h"
#include "platform/richtext/rtf/RtfWriter.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string once = tolvane::rtf::WriteRtf(tolvane::rtf::ReadDocument(input));
    const std::string twice = tolvane::rtf::WriteRtf(tolvane::rtf::ReadDocument(once));
    if (once != twice) {
        __builtin_trap();
    }
    return 0;
}
