// The AT command layer of the fax engine: sending commands, collecting result lines and frames,
// the blocking exchange of the preparation, class detection, the Class 1 modulation query, modem
// reset, hang-up and rate switching.
//
// Two ways of reading the modem:
// - asynchronous (the state machines, on the port's dispatcher thread): after a data trigger
//   Collect() takes waiting characters into the collector until it completes a line or a frame;
// - blocking (the preparation in BeginTransmit/BeginReceive, and faxtool): SyncCommand,
//   DetectClass and QueryModulations suspend the port's trigger dispatch and wait for lines.
#pragma once

#include "engine/FaxClock.h"
#include "engine/FaxRates.h"
#include "engine/FaxTypes.h"
#include "engine/ModemStrings.h"
#include "engine/ResultCollector.h"
#include "platform/serial/CustomComPort.h"

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

namespace tolvane {

// The class part of a fax session: kept with the component between sessions.
struct DialogueState {
    std::string initString = BuiltInInitString(BusyDetection::On, DialToneWait::Wait);
    std::string modemInit;  // ModemInit
    std::string dialPrefix; // DialPrefix
    bool initialised = false;
    ResultCollector collector;   // the response buffer of the state machines
    std::string syncResponse;    // the line a SyncCommand kept for its caller
    uint32_t replyTimeout = 182; // ticks (10 s)
    uint32_t pageTimeout = 1092; // ticks (60 s)
    uint32_t dialWait = 1092;    // ticks: DialWait; also the receiver's answer time-out
    int desiredBps = 9600;
    char ecmChar = '0';        // DesiredECM
    char faxAndDataChar = '0'; // FaxAndData
    int answerOnRing = 1;
    int initBaud = 0;
    int normalBaud = 0;
    bool atInitBaud = false;
    Class2Commands class2;
    SoftwareTimer softwareTimer;
};

// Classes named in an answer to AT+FCLASS=? (after StripReportPrefix): "1" offers Class 1;
// "2.0" offers Class 2.0, and then Class 2 only with "2,"; otherwise "2" offers Class 2.
struct OfferedClasses {
    bool class1 = false;
    bool class2 = false;
    bool class2_0 = false;
};
OfferedClasses ClassesOffered(std::string_view stripped);

enum class ModulationDirection { Transmit, Receive };

class ModemDialogue {
public:
    // stateTimer: the session's state timer trigger (0 when there is none, as in faxtool).
    // cancel: when set, a blocking exchange gives up at once.
    ModemDialogue(TCustomComPort& port, DialogueState& state, TriggerHandle stateTimer = 0,
                  const std::atomic<bool>* cancel = nullptr);

    // Called with every command sent (sent = true) and every line read by a blocking exchange.
    std::function<void(bool sent, std::string_view text)> onExchange;

    // Waits 100 ms, puts the text and a carriage return, then ResetResponse.
    void SendCommand(std::string_view text);
    // The same with a 40 ms wait: AT+FTM=, AT+FRM=, AT+FTH=3, AT+FRH=3.
    void SendClass1Command(std::string_view text);
    // Empties the response buffer, restarts the matchers, sets the state timer and the software
    // timer to the reply time-out.
    void ResetResponse();
    // Asynchronous collector: takes waiting characters until a line or frame is complete.
    ResultCollector::Event Collect();

    // Blocking exchange: true for "OK", or for another line followed by one more line before the
    // reply time-out (the first one is then in state.syncResponse); false for "ERROR", silence
    // or a cancel.
    bool SyncCommand(std::string_view text);
    // Adds waiting characters to state.syncResponse until a carriage return ends a non-empty
    // line; true then. Characters below 32 are dropped; at most 129 are kept.
    bool ReadLine();
    void FlushInput();
    // Flushes both buffers and, where the device has control lines, drops DTR and RTS for 500 ms
    // and waits 500 ms after raising them again.
    void DtrReset();

    // Class detection: fcClass2_0, fcClass2 or fcClass1, the best the modem offers; fcUnknown
    // when it fails (the init string refused or unanswered twice, or no classes).
    TFaxClass DetectClass();
    // Selects Class 1 and asks for the modulations. False when AT+FCLASS=1 fails; otherwise
    // `local` holds the offered rate indexes (1 and 2 always) and the result is true.
    bool QueryModulations(ModulationDirection direction, RateFlags& local, int& rateIndex);

    // Sender: with carrier, the escape sequence and ATH0 (and a DTR reset when the carrier
    // stays); without carrier, or on a device without carrier detect, ATH0 alone.
    void Hangup();
    // Receiver: DTR reset, escape sequence, ATH.
    void HangupReceiver();
    void SwitchToNormalBaud();
    void SwitchToInitBaud();

private:
    void Send(std::string_view text, int waitMs);
    // Waits for a line until the software timer runs out; false on time-out or cancel.
    bool WaitLine();
    bool Cancelled() const { return cancel_ != nullptr && cancel_->load(); }

    TCustomComPort& port_;
    DialogueState& state_;
    TriggerHandle stateTimer_;
    const std::atomic<bool>* cancel_;
};

} // namespace tolvane
