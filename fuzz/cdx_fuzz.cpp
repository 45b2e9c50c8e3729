// Reads arbitrary bytes as a compound index. Tags that read back whole must survive a write
// and a second read unchanged.
#include "FuzzTarget.h"
#include "platform/xbase/CdxFormat.h"
#include "platform/xbase/XbTypes.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> file(data, data + size);
    const tolvane::CdxPadOf padOf = [](const std::string& key, std::string&) {
        return key.empty() || key[0] != 'N' ? ' ' : 0;
    };
    std::vector<tolvane::CdxTagRead> tags;
    std::vector<std::string> dropped;
    std::string error;
    if (!tolvane::ReadCdx(file, 64, padOf, tags, dropped, error)) {
        return 0;
    }
    std::vector<tolvane::CdxTagWrite> out;
    const auto usable = [&](const tolvane::CdxTagRead& t) {
        const bool nameOk =
            !t.name.empty() && t.name.size() <= 10 && std::all_of(t.name.begin(), t.name.end(), [](char c) {
                return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
            });
        const bool fresh =
            std::none_of(out.begin(), out.end(), [&](const auto& o) { return o.name == t.name; });
        return t.pagesOk && nameOk && fresh && !t.keyExpression.empty();
    };
    for (const tolvane::CdxTagRead& t : tags) {
        if (usable(t)) {
            out.push_back({t.name, t.keyExpression, t.forExpression, t.descending, t.unique, t.keyLength,
                           static_cast<uint8_t>(t.keyExpression[0] != 'N' ? ' ' : 0), &t.keys, &t.records});
        }
    }
    std::vector<uint8_t> written;
    try {
        written = tolvane::WriteCdx(out);
    } catch (const tolvane::EXBaseError&) {
        return 0;
    }
    std::vector<tolvane::CdxTagRead> again;
    if (!tolvane::ReadCdx(written, 64, padOf, again, dropped, error) || again.size() != out.size()) {
        std::abort();
    }
    for (size_t i = 0; i < again.size(); ++i) {
        const auto& w = out[i];
        const auto it =
            std::find_if(again.begin(), again.end(), [&](const auto& a) { return a.name == w.name; });
        if (it == again.end() || !it->pagesOk || it->keys != *w.keys || it->records != *w.records) {
            std::abort();
        }
    }
    return 0;
}
