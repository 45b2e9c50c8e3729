// modemsim: a fax modem and a far fax machine on a pseudo-terminal, for tests and demos.
#include "Modem.h"
#include "Options.h"
#include "PageFiles.h"
#include "PseudoTerminal.h"

#include <poll.h>

#include <csignal>
#include <iostream>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

// A finished simulator gives the host at least kSettleTime (the pseudo-terminal moves bytes to
// the host's side asynchronously) and at most kDrainTime to read what was sent.
constexpr auto kSettleTime = std::chrono::milliseconds(200);
constexpr auto kDrainTime = std::chrono::seconds(2);

int Run(const modemsim::Options& options) {
    using modemsim::Clock;
    std::vector<modemsim::FaxPage> document;
    if (!options.callFile.empty()) {
        document = modemsim::LoadDocument(options.callFile);
        if (document.empty()) {
            std::cerr << "modemsim: " << options.callFile << " has no pages\n";
            return 2;
        }
    }
    modemsim::PseudoTerminal line(options.link);
    modemsim::Modem modem(options, line, std::move(document));
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::optional<Clock::time_point> finishedAt;
    while (stopRequested == 0) {
        if (modem.Finished()) {
            finishedAt = finishedAt.value_or(Clock::now());
            const auto waited = Clock::now() - *finishedAt;
            if ((waited > kSettleTime && !line.Unread()) || waited > kDrainTime) {
                break;
            }
        }
        int timeout = -1;
        if (const auto next = modem.NextEvent()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count();
            timeout = static_cast<int>(std::max<long long>(wait, 0));
        }
        if (line.HasPending() || modem.Finished()) {
            timeout = timeout < 0 ? 20 : std::min(timeout, 20);
        }
        pollfd p{line.Fd(), POLLIN, 0};
        ::poll(&p, 1, timeout);
        const std::string bytes = line.Read();
        if (!bytes.empty()) {
            modem.FromHost(bytes);
        }
        modem.Tick();
        line.Flush();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    modemsim::Options options;
    std::string error;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "-h" || args[0] == "--help")) {
        std::cout << modemsim::Usage();
        return 0;
    }
    if (!modemsim::ParseOptions(args, options, error)) {
        std::cerr << "modemsim: " << error << "\n" << modemsim::Usage();
        return 2;
    }
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::cerr << "modemsim: " << e.what() << '\n';
        return 1;
    }
}
