// Runs a program of the build and collects its exit status and output.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>

namespace tolvane::test {

struct ProcessResult {
    int status = -1;
    std::string out; // stdout
    std::string err; // stderr
};

// Runs a shell command line; stderr is captured through a temporary file.
inline ProcessResult RunCommand(const std::string& command) {
    ProcessResult result;
    char errName[] = "/tmp/tolvane-stderr-XXXXXX";
    const int errFd = ::mkstemp(errName);
    if (errFd >= 0) {
        ::close(errFd);
    }
    const std::string full = command + " 2>" + errName;
    if (FILE* pipe = ::popen(full.c_str(), "r")) {
        std::array<char, 4096> buf{};
        size_t n;
        while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) {
            result.out.append(buf.data(), n);
        }
        const int raw = ::pclose(pipe);
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    if (FILE* err = std::fopen(errName, "r")) {
        std::array<char, 4096> buf{};
        size_t n;
        while ((n = std::fread(buf.data(), 1, buf.size(), err)) > 0) {
            result.err.append(buf.data(), n);
        }
        std::fclose(err);
    }
    std::remove(errName);
    return result;
}

// Quotes an argument for the shell.
inline std::string ShellQuote(const std::string& arg) {
    std::string q = "'";
    for (const char c : arg) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

} // namespace tolvane::test
