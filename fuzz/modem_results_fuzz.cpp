// Feeds arbitrary modem output through the result collector and hands every line and frame to
// the report parsers the state machines use.
#include "FuzzTarget.h"
#include "engine/ModemDialogue.h"
#include "engine/ModemStrings.h"
#include "engine/ResultCollector.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tolvane::ResultCollector collector;
    for (size_t i = 0; i < size; ++i) {
        if (collector.Feed(data[i]) == tolvane::ResultCollector::Event::None) {
            continue;
        }
        const std::string& text = collector.Buffer();
        if (text.size() > tolvane::ResultCollector::kCapacity) {
            std::abort();
        }
        const std::string stripped = tolvane::StripReportPrefix(text);
        const auto params = tolvane::ParseParameters(stripped);
        if (params.scanTimeCode < 0 || params.scanTimeCode > 7) {
            std::abort();
        }
        const int code = tolvane::ParseHangupCode(text);
        if (code < 0 || code > 999) {
            std::abort();
        }
        tolvane::CleanIdentifier(stripped);
        tolvane::ClassesOffered(stripped);
    }
    return 0;
}
