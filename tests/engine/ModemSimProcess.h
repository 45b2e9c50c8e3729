// Runs modemsim for a test: the modem appears at Link() once the constructor returns, and the
// process is stopped when the object goes away.
#pragma once

#include "support/TempDir.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tolvane::test {

class ModemSimProcess {
public:
    explicit ModemSimProcess(std::vector<std::string> options) {
        link_ = dir_.File("modem");
        report_ = dir_.File("report.jsonl");
        std::vector<std::string> args = {std::string(TOLVANE_BINARY_DIR) + "/tools/modemsim", "--link", link_,
                                         "--report", report_};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (auto& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            throw std::runtime_error("cannot start modemsim");
        }
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!std::filesystem::exists(link_)) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                throw std::runtime_error("modemsim ended at once");
            }
            if (std::chrono::steady_clock::now() > end) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                pid_ = -1;
                throw std::runtime_error("modemsim did not start");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    ~ModemSimProcess() {
        if (pid_ < 0) {
            return;
        }
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    ModemSimProcess(const ModemSimProcess&) = delete;
    ModemSimProcess& operator=(const ModemSimProcess&) = delete;

    const std::string& Link() const { return link_; }
    std::string Folder() const { return dir_.Path().string(); }

    // The call reports so far, one JSON line each; waits up to `within` for at least `count`.
    std::vector<std::string>
    Reports(size_t count = 0, std::chrono::milliseconds within = std::chrono::milliseconds(5000)) const {
        const auto end = std::chrono::steady_clock::now() + within;
        for (;;) {
            std::vector<std::string> lines;
            std::ifstream in(report_);
            for (std::string line; std::getline(in, line);) {
                lines.push_back(line);
            }
            if (lines.size() >= count || std::chrono::steady_clock::now() > end) {
                return lines;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

private:
    TempDir dir_;
    std::string link_;
    std::string report_;
    pid_t pid_ = -1;
};

} // namespace tolvane::test
