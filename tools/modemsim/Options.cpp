#include "Options.h"

#include <stdexcept>

namespace modemsim {

const char* Usage() {
    return "usage: modemsim --link PATH [options]\n"
           "A fax modem on a pseudo-terminal (PATH becomes a symlink to it), with a simulated far fax\n"
           "machine behind it. Class 1 runs spandsp's T.31 modem against a spandsp T.30 terminal over\n"
           "real-time audio; Class 2 and 2.0 follow the T.32 result sequences.\n"
           "\n"
           "modem:\n"
           "  --fclass LIST        answer to AT+FCLASS=? (default 0,1,2,2.0)\n"
           "  --modulations LIST   answer to AT+FTM=? and AT+FRM=?\n"
           "  --echo               echo command lines until ATE0\n"
           "  --silent             never answer\n"
           "  --error-on TEXT      ERROR to every command line containing TEXT\n"
           "  --garbage            noise bytes before every result\n"
           "  --dial-delay MS      time from ATD to the first result (default 200)\n"
           "far machine and line:\n"
           "  --remote-id TEXT     the far machine's identifier\n"
           "  --remote-normal-only the far machine takes no fine pages\n"
           "  --remote-wide        the far machine takes 2048-pixel lines\n"
           "  --busy | --no-answer | --voice | --no-dial-tone   outcome of dialling\n"
           "  --bad-training       training fails at every rate\n"
           "  --reject N           the first N pages are rejected (Class 2 and 2.0)\n"
           "  --drop-in-page N     the line drops in the middle of page N\n"
           "  --store DIR          keep received pages as TIFF files in DIR\n"
           "  --call FILE          the far machine calls and sends FILE (TIFF or APF)\n"
           "  --call-delay MS      before it calls (default 1000)\n"
           "  --ring-interval MS   between rings (default 1000)\n"
           "  --bridge PATH        a second modem at PATH: calls go from one to the other\n"
           "  --report FILE        append one JSON line per call\n"
           "  --calls N            exit after N calls\n"
           "  --verbose            show the AT traffic on stderr\n";
}

bool ParseOptions(const std::vector<std::string>& args, Options& o, std::string& error) {
    using Outcome = Options::DialOutcome;
    try {
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            const auto value = [&]() -> const std::string& {
                if (i + 1 >= args.size()) {
                    throw std::invalid_argument(a + " needs a value");
                }
                return args[++i];
            };
            const auto number = [&]() {
                const std::string& v = value();
                size_t used = 0;
                const int n = std::stoi(v, &used);
                if (used != v.size() || n < 0) {
                    throw std::invalid_argument(a + ": not a number: " + v);
                }
                return n;
            };
            if (a == "--link") {
                o.link = value();
            } else if (a == "--bridge") {
                o.bridge = value();
            } else if (a == "--fclass") {
                o.fclassList = value();
            } else if (a == "--modulations") {
                o.modulations = value();
            } else if (a == "--echo") {
                o.echo = true;
            } else if (a == "--silent") {
                o.silent = true;
            } else if (a == "--error-on") {
                o.errorOn = value();
            } else if (a == "--garbage") {
                o.garbage = true;
            } else if (a == "--dial-delay") {
                o.dialDelayMs = number();
            } else if (a == "--remote-id") {
                o.remoteId = value();
            } else if (a == "--remote-normal-only") {
                o.remoteFine = false;
            } else if (a == "--remote-wide") {
                o.remoteWide = true;
            } else if (a == "--busy") {
                o.dialOutcome = Outcome::Busy;
            } else if (a == "--no-answer") {
                o.dialOutcome = Outcome::NoAnswer;
            } else if (a == "--voice") {
                o.dialOutcome = Outcome::Voice;
            } else if (a == "--no-dial-tone") {
                o.dialOutcome = Outcome::NoDialTone;
            } else if (a == "--bad-training") {
                o.badTraining = true;
            } else if (a == "--reject") {
                o.rejectPages = number();
            } else if (a == "--drop-in-page") {
                o.dropInPage = number();
            } else if (a == "--store") {
                o.store = value();
            } else if (a == "--call") {
                o.callFile = value();
            } else if (a == "--call-delay") {
                o.callDelayMs = number();
            } else if (a == "--ring-interval") {
                o.ringIntervalMs = number();
            } else if (a == "--report") {
                o.report = value();
            } else if (a == "--calls") {
                o.calls = number();
            } else if (a == "--verbose") {
                o.verbose = true;
            } else {
                throw std::invalid_argument("unknown option " + a);
            }
        }
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    if (o.link.empty()) {
        error = "--link is required";
        return false;
    }
    return true;
}

} // namespace modemsim
