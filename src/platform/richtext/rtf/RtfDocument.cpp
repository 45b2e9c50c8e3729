#include "platform/richtext/rtf/RtfDocument.h"

namespace tolvane::rtf {

namespace {
constexpr int kMaxTag = 999999;
}

std::string MergeFieldName(int tag) {
    return "TAG" + std::to_string(tag);
}

int MergeFieldTag(const std::string& name) {
    if (name.size() < 4 || name.size() > 9) {
        return 0;
    }
    for (size_t i = 0; i < 3; ++i) {
        if ((name[i] & ~0x20) != "TAG"[i]) {
            return 0;
        }
    }
    int tag = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') {
            return 0;
        }
        tag = tag * 10 + (name[i] - '0');
    }
    return tag <= kMaxTag ? tag : 0;
}

} // namespace tolvane::rtf
