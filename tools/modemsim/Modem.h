// The simulated modem in command mode: V.250 command lines (echo, result format, X result sets,
// S-registers, dialling, answering, hang-up, +FCLASS) and the scenarios of the options; fax
// class commands go to the class in use.
#pragma once

#include "AtCommand.h"
#include "Class2Modem.h"
#include "ModemLink.h"
#include "PageFiles.h"
#include "PseudoTerminal.h"

#include <array>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace modemsim {

class Modem final : public ModemLink {
public:
    // `document`: what the far machine sends when it calls (--call).
    Modem(const Options& options, PseudoTerminal& line, std::vector<FaxPage> document);

    void FromHost(std::string_view bytes);
    // Runs what is due.
    void Tick();
    std::optional<Clock::time_point> NextEvent() const;
    // --calls calls have ended.
    bool Finished() const { return finished_; }

    void SendResult(ResultCode code) override;
    void SendInfo(std::string_view text) override;
    void SendData(std::string_view bytes) override;
    void CallEnded(const CallReport& report) override;
    Agenda& CallAgenda() override { return callAgenda_; }
    const Options& Settings() const override { return options_; }
    int CallNumber() const override { return calls_ + 1; }

private:
    void CommandChar(uint8_t c);
    void ExecuteLine(const std::string& line);
    Outcome Execute(const AtCommand& command);
    Outcome Dial();
    Outcome Answer();
    void DialResult();
    void Reset();
    void StartRinging();
    void Ring();
    bool FaxClass2() const { return fclass_ == "2" || fclass_ == "2.0"; }
    void Noise();

    const Options& options_;
    PseudoTerminal& line_;
    std::vector<FaxPage> document_;
    Class2Modem class2_;
    Agenda modemAgenda_; // rings of the far machine
    Agenda callAgenda_;  // results and steps of the running call

    bool echo_ = false;
    bool quiet_ = false;
    bool verbose_ = true;
    int resultSet_ = 4; // X
    std::array<int, 100> registers_{};
    std::string fclass_ = "0";
    std::string command_;
    bool dialling_ = false;
    bool ringing_ = false;
    int rings_ = 0;
    int calls_ = 0;
    bool finished_ = false;
    std::minstd_rand noise_{12345};
};

} // namespace modemsim
