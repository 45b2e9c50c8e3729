#define SPANDSP_EXPOSE_INTERNAL_STRUCTURES // the T.31 modem's command/data mode is read below
#include "Class1Modem.h"

#include <spandsp.h>

#include <cctype>
#include <cstdint>
#include <stdexcept>

namespace modemsim {
namespace {

constexpr uint8_t kDle = 0x10;
constexpr uint8_t kEtx = 0x03;
// A line drop during a page comes after this many bytes of it.
constexpr size_t kDropAfterBytes = 1500;

} // namespace

Class1Modem::Class1Modem(ModemLink& link) : link_(link) {
    t31_ = t31_init(nullptr, &Class1Modem::FromModem, this, &Class1Modem::Control, this, nullptr, nullptr);
    if (t31_ == nullptr) {
        throw std::runtime_error("cannot start the T.31 modem");
    }
    t31_set_transmit_on_idle(t31_, 1);
    Command("E0V1Q0+FCLASS=1", Results::Swallow);
}

Class1Modem::~Class1Modem() {
    t31_free(t31_);
}

int Class1Modem::FromModem(at_state_s*, void* self, const uint8_t* buf, size_t len) {
    auto& modem = *static_cast<Class1Modem*>(self);
    if (!modem.swallow_) {
        std::string bytes(reinterpret_cast<const char*>(buf), len);
        if (modem.phase_ == Phase::ReceiveFrames || modem.phase_ == Phase::ReceiveData) {
            modem.SpoilOrCount(bytes, modem.phase_);
        }
        modem.link_.SendData(bytes);
    }
    return static_cast<int>(len);
}

int Class1Modem::Control(t31_state_s*, void* self, int op, const char* num) {
    auto& modem = *static_cast<Class1Modem*>(self);
    switch (op) {
    case AT_MODEM_CONTROL_CALL:
        if (modem.onDial) {
            modem.onDial(num != nullptr ? num : "");
        }
        break;
    case AT_MODEM_CONTROL_ANSWER:
        if (modem.onAnswer) {
            modem.onAnswer();
        }
        break;
    case AT_MODEM_CONTROL_CTS:
        modem.cts_ = num != nullptr;
        break; // the state comes as a pointer value
    default:
        break;
    }
    return 0;
}

void Class1Modem::Command(const std::string& command, Results results) {
    Watch(command);
    const std::string line = "AT" + command + "\r";
    swallow_ = results == Results::Swallow;
    t31_at_rx(t31_, line.data(), static_cast<int>(line.size()));
    swallow_ = false;
}

bool Class1Modem::TakesData() const {
    const int mode = t31_->at_state.at_rx_mode;
    return mode != AT_MODE_ONHOOK_COMMAND && mode != AT_MODE_OFFHOOK_COMMAND;
}

void Class1Modem::HostBytes(std::string_view bytes) {
    std::string data(bytes);
    if (phase_ == Phase::SendFrames || phase_ == Phase::SendData) {
        SpoilOrCount(data, phase_);
    }
    t31_at_rx(t31_, data.data(), static_cast<int>(data.size()));
}

void Class1Modem::Watch(const std::string& command) {
    std::string upper;
    for (const char c : command) {
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    dle_ = false;
    frame_.clear();
    const auto startData = [&](Phase phase) {
        phase_ = phase;
        inTcf_ = tcfNext_;
        tcfNext_ = false;
        inPage_ = !inTcf_;
        if (inPage_) {
            ++pages_;
            pageBytes_ = 0;
        }
    };
    if (upper.rfind("+FTH=", 0) == 0) {
        phase_ = Phase::SendFrames;
    } else if (upper.rfind("+FRH=", 0) == 0) {
        phase_ = Phase::ReceiveFrames;
    } else if (upper.rfind("+FTM=", 0) == 0 && upper != "+FTM=?") {
        startData(Phase::SendData);
    } else if (upper.rfind("+FRM=", 0) == 0 && upper != "+FRM=?") {
        startData(Phase::ReceiveData);
    } else if (upper == "A" || upper[0] == 'D' || upper[0] == 'H') {
        phase_ = Phase::None;
        tcfNext_ = inTcf_ = inPage_ = dropped_ = false;
        pages_ = 0;
    }
}

void Class1Modem::SpoilOrCount(std::string& bytes, Phase phase) {
    const Options& o = link_.Settings();
    const bool frames = phase == Phase::SendFrames || phase == Phase::ReceiveFrames;
    for (char& ch : bytes) {
        const auto c = static_cast<uint8_t>(ch);
        if (dle_) {
            dle_ = false;
            if (c == kEtx) {
                if (frames && frame_.size() >= 3 && (static_cast<uint8_t>(frame_[2]) & 0xFE) == 0x82) {
                    tcfNext_ = true; // DCS: the training check follows
                }
                frame_.clear();
                inTcf_ = inPage_ = false;
            } else if (c == kDle && frames) {
                frame_ += static_cast<char>(kDle);
            }
            continue;
        }
        if (c == kDle) {
            dle_ = true;
            continue;
        }
        if (frames) {
            if (!frame_.empty() || c == 0xFF) { // result text around the frames is skipped
                frame_ += ch;
            }
        } else if (inTcf_ && o.badTraining && c == 0) {
            ch = 0x55; // a check full of errors
        } else if (inPage_ && ++pageBytes_ > kDropAfterBytes && pages_ == o.dropInPage && !dropped_) {
            dropped_ = true;
            if (onLineDrop) {
                onLineDrop();
            }
        }
    }
}

void Class1Modem::CallConnected() {
    t31_call_event(t31_, AT_CALL_EVENT_CONNECTED);
}

void Class1Modem::CallAnswered() {
    t31_call_event(t31_, AT_CALL_EVENT_ANSWERED);
}

void Class1Modem::CallEnded() {
    t31_call_event(t31_, AT_CALL_EVENT_HANGUP);
    phase_ = Phase::None;
}

void Class1Modem::CallEvent(Event event) {
    t31_call_event(t31_, event == Event::Busy ? AT_CALL_EVENT_BUSY : AT_CALL_EVENT_NO_ANSWER);
}

void Class1Modem::Transmit(int16_t* amp, int n) {
    const int got = t31_tx(t31_, amp, n);
    for (int i = got; i < n; ++i) {
        amp[i] = 0;
    }
}

void Class1Modem::Receive(int16_t* amp, int n) {
    t31_rx(t31_, amp, n);
}

} // namespace modemsim
