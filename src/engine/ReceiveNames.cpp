#include "engine/ReceiveNames.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <set>

namespace tolvane {
namespace {

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

} // namespace

std::string ReceiveFileName(TReceiveNameMode mode, const std::string& dir, const std::string& ext,
                            const std::tm& today) {
    if (mode == TReceiveNameMode::rnNoName) {
        return "noname.apf";
    }
    std::set<std::string> used;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir.empty() ? "." : dir, ec)) {
        used.insert(Lower(entry.path().filename().string()));
    }
    char prefix[32] = "FAX";
    if (mode == TReceiveNameMode::rnByDate) {
        std::snprintf(prefix, sizeof prefix, "%02d%02d", today.tm_mon + 1, today.tm_mday);
    }
    for (int n = 1; n <= 9999; ++n) {
        char name[48];
        std::snprintf(name, sizeof name, "%s%04d.", prefix, n);
        const std::string file = name + ext;
        if (used.count(Lower(file)) == 0) {
            return dir + file;
        }
    }
    return "NONAME.APF";
}

} // namespace tolvane
