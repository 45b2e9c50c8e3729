#include "CallReport.h"

#include <cstdio>
#include <fstream>
#include <iostream>

namespace modemsim {
namespace {

std::string Quoted(const std::string& s) {
    std::string q = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') {
            q += '\\';
            q += c;
        } else if (static_cast<unsigned char>(c) < 32) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            q += buf;
        } else {
            q += c;
        }
    }
    return q + "\"";
}

} // namespace

std::string ToJson(const CallReport& r) {
    std::string rows;
    for (size_t i = 0; i < r.rows.size(); ++i) {
        rows += (i ? ", " : "") + std::to_string(r.rows[i]);
    }
    return "{\"direction\": " + Quoted(r.direction) + ", \"class\": " + Quoted(r.faxClass) +
           ", \"result\": " + Quoted(r.result) + ", \"pages\": " + std::to_string(r.pages) +
           ", \"host_id\": " + Quoted(r.hostId) + ", \"rate\": " + std::to_string(r.rate) +
           ", \"fine\": " + (r.fine ? "true" : "false") + ", \"file\": " + Quoted(r.file) + ", \"rows\": [" +
           rows + "], \"bad_rows\": " + std::to_string(r.badRows) + "}";
}

void Publish(const CallReport& report, const std::string& reportFile) {
    const std::string line = ToJson(report);
    std::cout << line << std::endl;
    if (!reportFile.empty()) {
        std::ofstream out(reportFile, std::ios::app);
        out << line << '\n';
    }
}

} // namespace modemsim
