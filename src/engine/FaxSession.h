// The engine record behind a fax component: what the component hands to the engine when a
// session starts, the values the engine keeps up to date while it runs, and the port's triggers.
#pragma once

#include "engine/FaxRates.h"
#include "engine/FaxTypes.h"
#include "engine/ModemDialogue.h"
#include "platform/serial/CustomComPort.h"

#include <cstdint>
#include <string>

namespace tolvane {

// The values a status display and the application read (the public read-only properties).
struct SessionValues {
    int status = spNone;          // SessionStatus
    int lastError = 0;            // LastError
    std::string remoteStationId;  // RemoteStationID: the far station's identifier, at most 20
    int bps = 0;                  // SessionBPS
    bool highRes = false;         // SessionHighRes
    bool wide = false;            // SessionWide: 2048-pixel lines
    bool ecm = false;             // SessionECM
    int hangupCode = 0;           // HangupCode: the last Class 2/2.0 hang-up code
    int totalPages = 0;           // TotalPages
    int currentPage = 0;          // CurrentPage
    uint32_t pageLength = 0;      // PageLength
    int64_t bytesTransferred = 0; // BytesTransferred (sender: handed to the port, minus queued)
    int dialAttempt = 0;          // DialAttempt, from 1
    std::string faxFile;          // the file being sent or written
    std::string coverFile;
    std::string phoneNumber; // at most 40 characters
};

// Settings taken from the component's properties when a session starts.
struct SessionSettings {
    TFaxClass faxClass = TFaxClass::fcDetect;
    std::string stationId;
    std::string faxFileExt = "APF";
    bool abortNoConnect = false;
    bool exitOnError = false;
    bool softwareFlow = false;
    uint32_t statusIntervalTicks = SecondsToTicks(1);
    // Sender.
    bool toneDial = true;
    int dialAttempts = 3; // 0 = no limit
    uint32_t dialRetryWaitTicks = SecondsToTicks(60);
    int maxSendCount = 50;
    int bufferMinimum = 1000;
    std::string headerLine;
    std::string headerSender;
    std::string headerRecipient;
    std::string headerTitle;
    bool safeMode = true;
    // Receiver.
    bool oneFax = false;
    bool constantStatus = false;
};

// Class 1 negotiation (T.30 on the host): the rates the local modem offers and the one chosen.
struct Class1Negotiation {
    RateFlags localRates{};
    int rateIndex = kLowestRateIndex;
};

struct FaxSession {
    TCustomComPort* port = nullptr;
    // The port's triggers while the session runs.
    TriggerHandle dataTrigger = 0;
    TriggerHandle statusTimer = 0;
    TriggerHandle stateTimer = 0;
    TriggerHandle outputSpace = 0; // output buffer has at least n bytes free
    TriggerHandle outputDrain = 0; // output buffer holds at most n bytes

    DialogueState dialogue; // the class part: kept between sessions
    SessionSettings settings;
    SessionValues values;
    Class1Negotiation class1;
    bool reportNow = false; // the state asks for a status report at once
};

} // namespace tolvane
