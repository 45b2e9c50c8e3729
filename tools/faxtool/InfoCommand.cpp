// faxtool info [--json] FILE.apf: the header and one line per page.
#include "Command.h"
#include "JsonWriter.h"
#include "imaging/apf/ApfFile.h"

#include <cstdio>
#include <iostream>
#include <sstream>
#include <vector>

namespace faxtool {
namespace {

std::string FlagNames(uint16_t flags) {
    std::string names;
    const auto add = [&](const char* n) { names += names.empty() ? n : std::string(" ") + n; };
    if (flags & tolvane::apfFineResolution) {
        add("fine");
    } else {
        add("normal");
    }
    if (flags & tolvane::apfWideWidth) {
        add("wide");
    }
    if (flags & tolvane::apfLengthWords) {
        add("length-words");
    }
    if (flags & ~(tolvane::apfFineResolution | tolvane::apfWideWidth | tolvane::apfLengthWords)) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%04x", flags);
        add(buf);
    }
    return names;
}

std::string DateTimeText(uint32_t packed, char separator) {
    const auto t = tolvane::UnpackDosDateTime(packed);
    if (!t) {
        return {};
    }
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d%c%02d:%02d:%02d", t->tm_year + 1900, t->tm_mon + 1,
                  t->tm_mday, separator, t->tm_hour, t->tm_min, t->tm_sec);
    return buf;
}

int RunInfo(const Args& args) {
    bool json = false;
    std::string file;
    for (const auto& a : args) {
        if (a == "--json") {
            json = true;
        } else if (!a.empty() && a[0] == '-') {
            return Fail("info: unknown option " + a);
        } else if (file.empty()) {
            file = a;
        } else {
            return Fail("info: one file at a time");
        }
    }
    if (file.empty()) {
        return Fail("usage: faxtool info [--json] FILE.apf");
    }
    tolvane::ApfReader reader;
    if (const int rc = reader.Open(file); rc < 0) {
        return FailCode(rc, file);
    }
    const auto& header = reader.Header();
    std::vector<tolvane::ApfPageHeader> pages;
    for (unsigned n = 1; n <= header.PageCount; ++n) {
        tolvane::ApfPageHeader page;
        if (const int rc = reader.NextPage(page); rc < 0) {
            return FailCode(rc, file + " page " + std::to_string(n));
        }
        pages.push_back(page);
    }

    if (json) {
        std::ostringstream out;
        const std::string when = DateTimeText(header.FaxDateTime, 'T');
        out << "{\"pages\": " << header.PageCount << ", \"station\": " << JsonString(header.StationTrimmed())
            << ", \"datetime\": " << (when.empty() ? std::string("null") : JsonString(when))
            << ", \"page_list\": [";
        for (size_t i = 0; i < pages.size(); ++i) {
            const auto& p = pages[i];
            out << (i ? ", " : "") << "{\"image_length\": " << p.ImageLength << ", \"flags\": " << p.PageFlags
                << ", \"fine\": " << (p.Fine() ? "true" : "false")
                << ", \"wide\": " << (p.Wide() ? "true" : "false")
                << ", \"length_words\": " << (p.LengthWords() ? "true" : "false") << "}";
        }
        out << "]}";
        std::cout << out.str() << '\n';
        return 0;
    }
    const std::string when = DateTimeText(header.FaxDateTime, ' ');
    std::cout << "File:      " << file << '\n'
              << "Signature: APF10 (valid)\n"
              << "Station:   " << header.StationTrimmed() << '\n'
              << "Date:      " << (when.empty() ? "(none)" : when) << '\n'
              << "Pages:     " << header.PageCount << '\n';
    for (size_t i = 0; i < pages.size(); ++i) {
        std::cout << "Page " << (i + 1) << ": " << FlagNames(pages[i].PageFlags) << ", ImageLength "
                  << pages[i].ImageLength << '\n';
    }
    return 0;
}

[[maybe_unused]] const bool registered =
    RegisterCommand({"info", "info [--json] FILE.apf       show the header and pages", &RunInfo});

} // namespace
} // namespace faxtool
