// What the far machine tells about a call: one JSON line on stdout and in the --report file.
#pragma once

#include <string>
#include <vector>

namespace modemsim {

struct CallReport {
    std::string direction;     // "to-remote": the host called and sent; "from-remote": the far machine called
    std::string faxClass;      // "1", "2", "2.0"
    std::string result = "ok"; // or busy, no answer, voice, no dial tone, rejected, line dropped,
                               // training failed, hung up, not answered, failed
    int pages = 0;             // pages that reached the far machine (or the host)
    std::string hostId;        // the host's station identifier as the far machine saw it
    int rate = 0;
    bool fine = false;
    std::string file;      // TIFF of the pages received from the host
    std::vector<int> rows; // rows of each received page
    int badRows = 0;
};

std::string ToJson(const CallReport& report);
// Prints the line and appends it to the file (when one is named).
void Publish(const CallReport& report, const std::string& reportFile);

} // namespace modemsim
