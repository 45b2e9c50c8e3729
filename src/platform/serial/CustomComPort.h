// The serial port as the fax engine sees it: buffered, non-blocking I/O, modem control lines and
// triggers delivered to registered handlers by the port's dispatcher thread.
//
// Threads: every operation may be called from any thread. Handlers run on the dispatcher thread,
// one call at a time; while dispatch is suspended no handler is called (triggers that come due
// meanwhile are delivered after RestoreDispatch). A handler may call every operation, including
// SuspendDispatch and DeregisterHandler.
#pragma once

#include "imaging/errors/Component.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvane {

// The port's unit of time for timer triggers.
inline constexpr int kTickMs = 55;

// Trigger messages, the first argument of a handler call.
inline constexpr uint16_t kTriggerAvail = 0x7E01;  // received characters are waiting
inline constexpr uint16_t kTriggerTimer = 0x7E03;  // a timer trigger ran out
inline constexpr uint16_t kTriggerStatus = 0x7E04; // a status trigger's condition was met

using TriggerHandle = int; // > 0; 0 is "no trigger"

// userData is the pointer given at registration.
using TriggerHandler = void (*)(void* userData, uint16_t message, TriggerHandle trigger);

enum class StatusTrigger {
    OutputFree,  // fires when the output buffer has at least `level` bytes free
    OutputUsed,  // fires when the output buffer holds at most `level` bytes
    ModemStatus, // fires when CTS, DSR, RI or DCD change
};

// Control lines and carrier detect do not exist on every device: a pseudo-terminal and some USB
// bridges have none. That is not an error; the caller goes on without them.
enum class LineControl { Done, NotAvailable };
enum class Carrier { Off, On, NotAvailable };

// XON/XOFF from the modem held back our output (only ever wanted while sending page data).
enum class OutputFlow { Free, ObeyXonXoff };
// XOFF/XON sent to the modem when our input buffer fills and empties again.
enum class InputFlow { Free, SendXonXoff };

// Hardware flow options (bits of HWFlowOptions).
inline constexpr unsigned hwfUseDTR = 0x01;
inline constexpr unsigned hwfUseRTS = 0x02;
inline constexpr unsigned hwfRequireDSR = 0x04;
inline constexpr unsigned hwfRequireCTS = 0x08;

enum class Parity { None, Odd, Even };

class TCustomComPort : public TComponent {
public:
    // Settings; those marked * take effect at the next Open.
    int ComNumber = 0;                    // * COMn, 1-based; 0 = not set
    std::string DeviceName;               // * device path; empty = the one configured for ComNumber
    int DataBits = 8;                     // * 5..8
    int StopBits = 1;                     // * 1 or 2
    Parity ParityMode = Parity::None;     // *
    size_t InSize = 4096;                 // * input buffer size in bytes
    size_t OutSize = 4096;                // * output buffer size in bytes
    unsigned HWFlowOptions = 0;           // * hwf... bits
    size_t BufferFull = 0;                // * input level at which the modem is held (0 = 90 %)
    size_t BufferResume = 0;              // * input level at which it may go on (0 = 10 %)
    bool Tracing = false;                 // * keep a trace of every byte in and out
    size_t TraceSize = 10000;             // * bytes kept in the trace (the latest ones)
    std::string TraceName = "SERIAL.TRC"; // * written when the port closes
    bool Logging = false;                 // * log port events
    std::string LogName = "SERIAL.LOG";   // * appended to while the port is open

    virtual int Open() = 0;
    virtual int Close() = 0;
    virtual bool IsOpen() const = 0;
    // The device actually opened (or that Open would open).
    virtual std::string DevicePath() const = 0;

    // Rate in bits per second; takes effect at once when open.
    virtual int SetBaud(int baud) = 0;
    virtual int Baud() const = 0;

    // Input.
    virtual size_t CharReady() = 0;
    // -3007 (buffer is empty) when nothing is waiting.
    virtual int GetChar(uint8_t& c) = 0;
    // Takes up to n waiting characters; returns the count.
    virtual size_t GetBlock(uint8_t* data, size_t n) = 0;
    // Waits until a character is waiting or the time has passed; true when one is.
    virtual bool WaitForInput(std::chrono::milliseconds timeout) = 0;
    virtual int FlushInBuffer() = 0;

    // Output. A put that does not fit into the output buffer puts nothing and fails with -3004.
    virtual int PutChar(uint8_t c) = 0;
    virtual int PutBlock(const uint8_t* data, size_t n) = 0;
    int PutString(std::string_view s) {
        return PutBlock(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    }
    // Bytes not yet sent, in our buffer and in the driver's.
    virtual size_t OutBuffUsed() = 0;
    virtual size_t OutBuffFree() = 0;
    virtual int FlushOutBuffer() = 0;

    // Modem control lines.
    virtual LineControl SetDTR(bool on) = 0;
    virtual LineControl SetRTS(bool on) = 0;
    virtual Carrier CheckDCD() = 0;

    // Software flow control, done by the port itself (the driver's IXON/IXOFF stay off, so that
    // 0x11 and 0x13 received as page data are delivered as data).
    virtual void SetOutputFlow(OutputFlow flow) = 0;
    // fullMark and resumeMark are input buffer levels in bytes.
    virtual void SetInputFlow(InputFlow flow, size_t fullMark, size_t resumeMark) = 0;

    // Triggers. Add... return a handle (> 0) or -5001 when no slot is left.
    virtual int AddDataTrigger() = 0;
    virtual int AddTimerTrigger() = 0;
    virtual int AddStatusTrigger(StatusTrigger kind) = 0;
    // Fires once after `ticks` ticks; 0 disables. -5003 for a handle that is not a timer.
    virtual int SetTimerTrigger(TriggerHandle trigger, uint32_t ticks) = 0;
    // Arms a status trigger to fire once with the given level (bytes; ignored for ModemStatus).
    virtual int SetStatusTrigger(TriggerHandle trigger, size_t level) = 0;
    virtual int DisableStatusTrigger(TriggerHandle trigger) = 0;
    virtual int RemoveTrigger(TriggerHandle trigger) = 0;

    // Handlers. Deregistering from another thread waits for a running call of it to end.
    virtual int RegisterHandler(TriggerHandler handler, void* userData) = 0;
    virtual int DeregisterHandler(TriggerHandler handler, void* userData) = 0;
    // Queues a message for the handlers; the dispatcher delivers it between other calls, so it
    // never runs at the same time as one.
    virtual int PostMessage(uint16_t message, TriggerHandle trigger) = 0;
    // Suspensions nest; each SuspendDispatch needs its RestoreDispatch. Suspending from another
    // thread waits for a running handler call to end.
    virtual void SuspendDispatch() = 0;
    virtual void RestoreDispatch() = 0;

    // The port is in use by a fax session.
    virtual void SetFaxBusy(bool busy) = 0;
    virtual bool FaxBusy() const = 0;
};

} // namespace tolvane
