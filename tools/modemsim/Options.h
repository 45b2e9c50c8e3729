// What the simulated modem and the simulated far fax machine do, chosen on the command line.
#pragma once

#include <string>
#include <vector>

namespace modemsim {

struct Options {
    std::string link;   // --link PATH: where the host finds the modem
    std::string bridge; // --bridge PATH: a second modem; a call from one rings the other

    // The modem.
    std::string fclassList = "0,1,2,2.0"; // --fclass: answer to AT+FCLASS=? and what AT+FCLASS= takes
    std::string modulations;              // --modulations: answer to AT+FTM=? / AT+FRM=? (Class 1)
    bool echo = false;                    // --echo: echo command lines until ATE0
    bool silent = false;                  // --silent: never answer
    std::string errorOn;                  // --error-on TEXT: ERROR to every line containing TEXT
    bool garbage = false;                 // --garbage: noise before every result
    int dialDelayMs = 200;                // --dial-delay MS

    // The far machine and the line.
    std::string remoteId = "+1 555 0100"; // --remote-id
    bool remoteFine = true;               // --remote-normal-only clears it
    bool remoteWide = false;              // --remote-wide
    enum class DialOutcome { Connect, Busy, NoAnswer, Voice, NoDialTone } dialOutcome = DialOutcome::Connect;
    bool badTraining = false;  // --bad-training
    int rejectPages = 0;       // --reject N: the first N pages are rejected
    int dropInPage = 0;        // --drop-in-page N: the line drops during page N (1-based)
    std::string store;         // --store DIR: received pages as TIFF files
    std::string callFile;      // --call FILE: the far machine calls and sends it
    int callDelayMs = 1000;    // --call-delay MS
    int ringIntervalMs = 1000; // --ring-interval MS
    std::string report;        // --report FILE: one JSON line per call
    int calls = 0;             // --calls N: exit after N calls (0: run until stopped)
    bool verbose = false;      // --verbose: the AT traffic on stderr
};

// Parses the arguments; on an error returns false with a message.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);
const char* Usage();

} // namespace modemsim
