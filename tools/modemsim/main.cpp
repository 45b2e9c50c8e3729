// modemsim: a fax modem and a far fax machine on a pseudo-terminal, for tests and demos.
#include "Modem.h"
#include "Options.h"
#include "PageFiles.h"
#include "PseudoTerminal.h"

#include <poll.h>

#include <algorithm>
#include <csignal>
#include <iostream>
#include <memory>

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
    std::string documentTiff;
    std::unique_ptr<modemsim::TemporaryFile> converted;
    if (!options.callFile.empty()) {
        document = modemsim::LoadDocument(options.callFile);
        if (document.empty()) {
            std::cerr << "modemsim: " << options.callFile << " has no pages\n";
            return 2;
        }
        documentTiff = options.callFile;
        if (!modemsim::IsTiff(options.callFile)) { // the Class 1 far machine sends TIFF
            converted = std::make_unique<modemsim::TemporaryFile>(".tif");
            modemsim::WriteTiff(document, converted->Name());
            documentTiff = converted->Name();
        }
    }
    // One modem, or two joined by a line in bridge mode.
    std::vector<std::unique_ptr<modemsim::PseudoTerminal>> lines;
    std::vector<std::unique_ptr<modemsim::Modem>> modems;
    for (const std::string& link : {options.link, options.bridge}) {
        if (link.empty()) {
            continue;
        }
        lines.push_back(std::make_unique<modemsim::PseudoTerminal>(link));
        modems.push_back(std::make_unique<modemsim::Modem>(options, *lines.back(), document, documentTiff));
    }
    if (modems.size() == 2) {
        modems[0]->SetPeer(modems[1].get());
        modems[1]->SetPeer(modems[0].get());
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::optional<Clock::time_point> finishedAt;
    while (stopRequested == 0) {
        const bool finished =
            std::all_of(modems.begin(), modems.end(), [](const auto& m) { return m->Finished(); });
        if (finished) {
            finishedAt = finishedAt.value_or(Clock::now());
            const auto waited = Clock::now() - *finishedAt;
            const bool unread =
                std::any_of(lines.begin(), lines.end(), [](const auto& l) { return l->Unread(); });
            if ((waited > kSettleTime && !unread) || waited > kDrainTime) {
                break;
            }
        }
        int timeout = finished ? 20 : -1;
        std::vector<pollfd> fds;
        for (size_t i = 0; i < modems.size(); ++i) {
            if (const auto next = modems[i]->NextEvent()) {
                const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count();
                const int ms = static_cast<int>(std::max<long long>(wait, 0));
                timeout = timeout < 0 ? ms : std::min(timeout, ms);
            }
            if (lines[i]->HasPending() || !modems[i]->AcceptsHostData()) {
                timeout = timeout < 0 ? 20 : std::min(timeout, 20);
            }
            fds.push_back({lines[i]->Fd(), static_cast<short>(modems[i]->AcceptsHostData() ? POLLIN : 0), 0});
        }
        ::poll(fds.data(), fds.size(), timeout);
        for (size_t i = 0; i < modems.size(); ++i) {
            if (modems[i]->AcceptsHostData()) {
                const std::string bytes = lines[i]->Read(modems[i]->HostChunk());
                if (!bytes.empty()) {
                    modems[i]->FromHost(bytes);
                }
            }
            modems[i]->Tick();
            lines[i]->Flush();
        }
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
