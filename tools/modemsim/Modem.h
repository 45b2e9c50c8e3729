// The simulated modem in command mode: V.250 command lines (echo, result format, X result sets,
// S-registers, dialling, answering, hang-up, +FCLASS) and the scenarios of the options; fax
// class commands go to the class in use.
#pragma once

#include "AtCommand.h"
#include "AudioLine.h"
#include "Class1Modem.h"
#include "Class2Modem.h"
#include "FarFax.h"
#include "ModemLink.h"
#include "PageFiles.h"
#include "PseudoTerminal.h"

#include <array>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace modemsim {

class Modem final : public ModemLink {
public:
    // `document`: what the far machine sends when it calls (--call); `documentTiff`: the same
    // as a TIFF file (what a Class 1 far machine sends).
    Modem(const Options& options, PseudoTerminal& line, std::vector<FaxPage> document,
          std::string documentTiff);

    void FromHost(std::string_view bytes);
    // Runs what is due.
    void Tick();
    std::optional<Clock::time_point> NextEvent() const;
    // --calls calls have ended.
    bool Finished() const { return finished_; }
    // False while a Class 1 modem's transmit buffer is full: the host's bytes wait in the
    // pseudo-terminal (the flow control a real modem does with CTS).
    bool AcceptsHostData() const { return fclass_ != "1" || class1_.ReadyForData(); }
    // How much of the host's output to take at a time: in Class 1 little, so that a full
    // transmit buffer stops the host in time.
    size_t HostChunk() const { return fclass_ == "1" ? 256 : 4096; }

    // Bridge mode: calls of this modem ring the peer, and the peer's ring here.
    void SetPeer(Modem* peer) { peer_ = peer; }

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
    Outcome Class1Command(const AtCommand& command);
    void PlaceClass1Call();
    void AnswerClass1Call();
    void EndClass1Call(bool hostHungUp);
    bool InCall() const {
        return class2_.InCall() || far_ != nullptr || caller_ != nullptr || callee_ != nullptr;
    }
    // Bridge calls.
    void RingFromPeer(Modem& caller);
    void PeerAnswered(Modem& answerer);
    void PeerEnded(const char* result);
    void EndBridgeCall(const char* result, bool tellPeer);
    void Noise();

    const Options& options_;
    PseudoTerminal& line_;
    std::vector<FaxPage> document_;
    std::string documentTiff_;
    Class2Modem class2_;
    Class1Modem class1_;
    std::unique_ptr<FarFax> far_;
    std::unique_ptr<AudioLine> audio_; // the line of a Class 1 call (declared after far_: goes first)
    std::optional<Clock::time_point> farDoneAt_;
    Modem* peer_ = nullptr;
    Modem* caller_ = nullptr; // bridge: the peer whose call rings or is answered here
    Modem* callee_ = nullptr; // bridge: the peer that answered our call
    Agenda modemAgenda_;      // rings of the far machine
    Agenda callAgenda_;       // results and steps of the running call

    bool echo_ = false;
    bool quiet_ = false;
    bool verbose_ = true;
    int resultSet_ = 4; // X
    std::array<int, 100> registers_{};
    std::string fclass_ = "0";
    std::string command_;
    std::string dialNumber_;
    bool dialling_ = false;
    bool ringing_ = false;
    int rings_ = 0;
    int calls_ = 0;
    bool finished_ = false;
    std::minstd_rand noise_{12345};
};

} // namespace modemsim
