// Values shared by the fax components and the engine: fax classes, session status codes, log
// codes, the engine's report messages and its unit of time.
#pragma once

#include <cstdint>

namespace tolvane {

enum class TFaxClass { fcUnknown, fcDetect, fcClass1, fcClass2, fcClass2_0 };

// SessionStatus. The status text of a code is StatusText(code) (string 13000 + code).
enum SessionStatusCode : int {
    spNone = 0,
    spInitModem = 1,    // "Initializing modem for fax processing"
    spDialing = 2,      // "Dialing"
    spBusyWait = 3,     // "Busy, waiting until redial..."
    spSendingPage = 4,  // "Sending page data"
    spSendingEop = 5,   // "Sending EOP"
    spPageError = 6,    // "Error sending page"
    spPageAccepted = 7, // "Page accepted by remote"
    spWaitingForCall = 20,
    spNoConnect = 21,
    spAnswering = 22,
    spCallIsFax = 23,
    spReceivingPage = 24,
    spGettingPageEnd = 25,
    spGettingDocEnd = 26,
    spGettingHangup = 27,
    spGotHangupCode = 28, // "Got Class 2 FHNG code"
    spGettingParams = 40,
    spGotRemoteId = 41,
    spUserAbort = 42,
    spFinished = 43,
};

enum TFaxLogCode : uint8_t {
    lgNone = 0,          // never raised
    lgTransmitStart = 1, // the sender has taken a job (before its files are opened)
    lgTransmitOk = 2,
    lgTransmitFail = 3, // a job failed or was cancelled
    lgReceiveStart = 4, // an incoming fax was accepted and its file named
    lgReceiveOk = 5,
    lgReceiveSkip = 6, // refused through OnFaxAccept
    lgReceiveFail = 7,
};

enum class TReceiveNameMode { rnNoName = 0, rnSequential = 1, rnByDate = 2 };

// Messages of a session: the cancel goes to the engine's handler through the port's dispatcher;
// the others are the engine's reports to its component.
inline constexpr uint16_t FaxMsgAbort = 0x7EA0;
inline constexpr uint16_t FaxMsgNextFile = 0x7EA1;
inline constexpr uint16_t FaxMsgStatus = 0x7EA2;
inline constexpr uint16_t FaxMsgLog = 0x7EA3;
inline constexpr uint16_t FaxMsgName = 0x7EA4;
inline constexpr uint16_t FaxMsgAccept = 0x7EA5;
inline constexpr uint16_t FaxMsgError = 0x7EA6;
inline constexpr uint16_t FaxMsgFinish = 0x7EA7;

// The engine's tick is 55 ms (the port's timer unit).
constexpr uint32_t SecondsToTicks(uint32_t seconds) {
    return static_cast<uint32_t>(uint64_t{seconds} * 1675 / 92);
}
constexpr uint32_t TicksToSeconds(uint32_t ticks) {
    return static_cast<uint32_t>((uint64_t{ticks} + 9) * 92 / 1675);
}

} // namespace tolvane
