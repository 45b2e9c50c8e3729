// Class 1 (T.31): spandsp's T.31 modem. The command-mode modem hands it the data pump commands
// (+FTM, +FRM, +FTH, +FRH, +FTS, +FRS) and dialling, answering and hanging up; while it is in a
// data or frame mode the host's bytes go to it as they are. Its audio is one end of a line.
//
// Line faults of the options: --bad-training spoils the training check (TCF) that follows a DCS
// frame in either direction; --drop-in-page N cuts the line during the N-th page.
#pragma once

#include "AudioLine.h"
#include "ModemLink.h"

#include <functional>
#include <string>
#include <string_view>

struct at_state_s;
struct t31_state_s;

namespace modemsim {

class Class1Modem final : public AudioPeer {
public:
    explicit Class1Modem(ModemLink& link);
    ~Class1Modem();
    Class1Modem(const Class1Modem&) = delete;
    Class1Modem& operator=(const Class1Modem&) = delete;

    // Called when the modem dials (the number) and when it answers.
    std::function<void(const std::string& number)> onDial;
    std::function<void()> onAnswer;

    enum class Results { Pass, Swallow };
    // A command (the text after "AT") for the T.31 modem; Swallow drops what it answers.
    void Command(const std::string& command, Results results);
    bool TakesData() const;
    void HostBytes(std::string_view bytes);
    // The modem can take more data from the host (its transmit buffer is not full).
    bool ReadyForData() const { return cts_; }

    // The far end answered our call / we answered the far end's call / it hung up.
    void CallConnected();
    void CallAnswered();
    void CallEnded();
    // The call we placed met a busy line or was not answered.
    enum class Event { Busy, NoAnswer };
    void CallEvent(Event event);
    // Set by the modem when the call's line must go dead (a line drop).
    std::function<void()> onLineDrop;

    void Transmit(int16_t* amp, int n) override;
    void Receive(int16_t* amp, int n) override;

private:
    static int FromModem(at_state_s* at, void* self, const uint8_t* buf, size_t len);
    static int Control(t31_state_s* s, void* self, int op, const char* num);

    // What goes over the line, followed so that faults hit the right phase.
    enum class Phase { None, SendFrames, SendData, ReceiveFrames, ReceiveData };
    void Watch(const std::string& command);
    void SpoilOrCount(std::string& bytes, Phase phase);

    ModemLink& link_;
    t31_state_s* t31_ = nullptr;
    bool swallow_ = false;
    bool cts_ = true;

    Phase phase_ = Phase::None;
    bool dle_ = false;
    std::string frame_;    // the frame seen so far in this phase
    bool tcfNext_ = false; // a DCS went by: the next data phase is the training check
    bool inTcf_ = false;
    bool inPage_ = false;
    int pages_ = 0; // page data phases so far in this call
    size_t pageBytes_ = 0;
    bool dropped_ = false;
};

} // namespace modemsim
