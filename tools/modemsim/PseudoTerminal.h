// The simulator's end of the line: a pseudo-terminal whose slave side is reachable through a
// symlink, with a queue for what the modem sends (written as the host reads it).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace modemsim {

class PseudoTerminal {
public:
    // Creates the pseudo-terminal and the symlink at `link` (replacing an old symlink there).
    // Throws std::runtime_error on failure.
    explicit PseudoTerminal(std::string link);
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int Fd() const { return master_; }
    const std::string& Link() const { return link_; }
    // Takes up to `max` bytes of what the host has written; empty when nothing is waiting.
    std::string Read(size_t max);
    void Send(std::string_view bytes) { pending_.append(bytes); }
    // Writes queued bytes as far as the host takes them.
    void Flush();
    bool HasPending() const { return !pending_.empty(); }
    // Sent bytes still queued here or not yet read by the host.
    bool Unread() const;

private:
    int master_ = -1;
    int slaveKeeper_ = -1; // keeps the slave open so the master sees no hang-up between hosts
    std::string link_;
    std::string pending_;
};

} // namespace modemsim
