#include "engine/ModemDialogue.h"

#include "imaging/errors/ResultCodes.h"

#include <algorithm>
#include <chrono>

namespace tolvane {
namespace {

constexpr size_t kSyncLineLength = 129;
// The wait in SyncCommand looks at the cancel flag at least this often.
constexpr uint64_t kWaitSliceMs = 50;
constexpr uint32_t kListLineTicks = 36; // about 2 s for each further line of a modulation list
constexpr int kBaudSwitchTicks = 9;

} // namespace

OfferedClasses ClassesOffered(std::string_view stripped) {
    OfferedClasses offered;
    offered.class1 = Contains(stripped, "1");
    if (Contains(stripped, "2.0")) {
        offered.class2_0 = true;
        offered.class2 = Contains(stripped, "2,");
    } else {
        offered.class2 = Contains(stripped, "2");
    }
    return offered;
}

ModemDialogue::ModemDialogue(TCustomComPort& port, DialogueState& state, TriggerHandle stateTimer,
                             const std::atomic<bool>* cancel)
    : port_(port), state_(state), stateTimer_(stateTimer), cancel_(cancel) {}

void ModemDialogue::Send(std::string_view text, int waitMs) {
    WaitMilliseconds(waitMs);
    if (onExchange) {
        onExchange(true, text);
    }
    for (const char c : text) {
        if (port_.PutChar(static_cast<uint8_t>(c)) != ecOK) {
            break; // the state machine meets its reply time-out
        }
    }
    port_.PutChar('\r');
    ResetResponse();
}

void ModemDialogue::SendCommand(std::string_view text) {
    Send(text, 100);
}

void ModemDialogue::SendClass1Command(std::string_view text) {
    Send(text, 40);
}

void ModemDialogue::ResetResponse() {
    state_.collector.Reset();
    if (stateTimer_ > 0) {
        port_.SetTimerTrigger(stateTimer_, state_.replyTimeout);
    }
    state_.softwareTimer.Start(state_.replyTimeout);
}

ResultCollector::Event ModemDialogue::Collect() {
    uint8_t c;
    while (port_.GetChar(c) == ecOK) {
        if (const auto event = state_.collector.Feed(c); event != ResultCollector::Event::None) {
            return event;
        }
    }
    return ResultCollector::Event::None;
}

bool ModemDialogue::ReadLine() {
    uint8_t c;
    while (port_.GetChar(c) == ecOK) {
        if (c == '\r') {
            if (!state_.syncResponse.empty()) {
                return true;
            }
        } else if (c >= 32) {
            if (state_.syncResponse.size() == kSyncLineLength) {
                state_.syncResponse.erase(0, 1);
            }
            state_.syncResponse += static_cast<char>(c);
        }
    }
    return false;
}

bool ModemDialogue::WaitLine() {
    state_.syncResponse.clear();
    for (;;) {
        if (ReadLine()) {
            if (onExchange) {
                onExchange(false, state_.syncResponse);
            }
            return true;
        }
        const uint64_t left = state_.softwareTimer.RemainingMs();
        if (left == 0 || Cancelled()) {
            return false;
        }
        port_.WaitForInput(std::chrono::milliseconds(std::min(left, kWaitSliceMs)));
    }
}

bool ModemDialogue::SyncCommand(std::string_view text) {
    SendCommand(text);
    port_.SuspendDispatch();
    bool result = false;
    if (WaitLine()) {
        const std::string first = state_.syncResponse;
        if (Contains(first, rtError)) {
            result = false;
        } else if (Contains(first, rtOk)) {
            result = true;
        } else {
            result = WaitLine();
            state_.syncResponse = first;
        }
    }
    FlushInput();
    port_.RestoreDispatch();
    return result;
}

void ModemDialogue::FlushInput() {
    uint8_t buf[256];
    while (port_.GetBlock(buf, sizeof buf) > 0) {
    }
}

void ModemDialogue::DtrReset() {
    port_.FlushInBuffer();
    port_.FlushOutBuffer();
    const bool dtr = port_.SetDTR(false) == LineControl::Done;
    const bool rts = port_.SetRTS(false) == LineControl::Done;
    if (dtr || rts) {
        WaitMilliseconds(500);
    }
    port_.SetDTR(true);
    port_.SetRTS(true);
    if (dtr || rts) {
        WaitMilliseconds(500);
    }
}

TFaxClass ModemDialogue::DetectClass() {
    port_.SuspendDispatch();
    TFaxClass result = TFaxClass::fcUnknown;
    bool initialised = false;
    for (int attempt = 0; attempt < 2 && !initialised; ++attempt) {
        DtrReset();
        if (!SyncCommand(state_.initString)) {
            break;
        }
        // A first line other than OK is the echo of a modem that echoed before E0 took effect.
        initialised = Contains(state_.syncResponse, rtOk);
    }
    if (initialised && SyncCommand("AT+FCLASS=?")) {
        const OfferedClasses offered = ClassesOffered(StripReportPrefix(state_.syncResponse));
        if (offered.class2_0) {
            result = TFaxClass::fcClass2_0;
        } else if (offered.class2) {
            result = TFaxClass::fcClass2;
        } else if (offered.class1) {
            result = TFaxClass::fcClass1;
        }
    }
    port_.RestoreDispatch();
    return result;
}

bool ModemDialogue::QueryModulations(ModulationDirection direction, RateFlags& local, int& rateIndex) {
    if (!SyncCommand("AT+FCLASS=1")) {
        return false;
    }
    local.fill(false);
    local[1] = local[2] = true;
    rateIndex = 1;
    SendCommand(direction == ModulationDirection::Transmit ? "AT+FTM=?" : "AT+FRM=?");
    state_.softwareTimer.Start(state_.replyTimeout);
    port_.SuspendDispatch();
    while (WaitLine()) {
        const std::string line = state_.syncResponse;
        if (Contains(line, rtOk) || Contains(line, rtError)) {
            break;
        }
        if (Contains(line, ",")) {
            static constexpr std::string_view kCodes[] = {"72", "96", "121", "145"};
            for (int index = 3; index <= kHighestRateIndex; ++index) {
                if (Contains(line, kCodes[index - 3])) {
                    local[index] = true;
                    rateIndex = index;
                }
            }
        }
        state_.softwareTimer.Start(kListLineTicks);
    }
    port_.RestoreDispatch();
    return true;
}

void ModemDialogue::Hangup() {
    if (port_.CheckDCD() == Carrier::On) {
        WaitMilliseconds(1000);
        port_.PutString("+++");
        WaitMilliseconds(1000);
        SendCommand("ATH0");
        WaitMilliseconds(1000);
        FlushInput();
        if (port_.CheckDCD() == Carrier::On) {
            DtrReset();
        }
        return;
    }
    SendCommand("ATH0");
    WaitMilliseconds(1000);
    FlushInput();
}

void ModemDialogue::HangupReceiver() {
    DtrReset();
    WaitMilliseconds(1000);
    port_.PutString("+++");
    WaitMilliseconds(1000);
    SendCommand("ATH");
    WaitMilliseconds(1000);
    FlushInput();
}

void ModemDialogue::SwitchToNormalBaud() {
    if (state_.initBaud != 0 && state_.atInitBaud) {
        WaitMilliseconds(kBaudSwitchTicks * kTickMs);
        port_.SetBaud(state_.normalBaud);
        state_.atInitBaud = false;
    }
}

void ModemDialogue::SwitchToInitBaud() {
    if (state_.initBaud != 0 && !state_.atInitBaud) {
        WaitMilliseconds(kBaudSwitchTicks * kTickMs);
        port_.SetBaud(state_.initBaud);
        state_.atInitBaud = true;
    }
}

} // namespace tolvane
