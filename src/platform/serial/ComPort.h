// TComPort: a serial device (or pseudo-terminal) through termios, with its own input and output
// buffers and a dispatcher thread that moves the bytes and delivers the triggers.
//
// The device is opened for exclusive use (TIOCEXCL and an flock lock); raw 8-bit mode, the
// driver's own XON/XOFF off, RTS/CTS by the driver when the hardware flow options ask for it.
#pragma once

#include "platform/serial/CustomComPort.h"

#include <functional>
#include <memory>

namespace tolvane {

class TComPort final : public TCustomComPort {
public:
    TComPort();
    ~TComPort() override;
    TComPort(const TComPort&) = delete;
    TComPort& operator=(const TComPort&) = delete;

    // The device of COMn when DeviceName is empty. By default "/dev/ttyS<n-1>"; the application
    // installs its own mapping from the settings.
    std::function<std::string(int comNumber)> ComDevice;

    // Open: -2011 without a device, -2001 no such device (or not a terminal), -2005 in use by
    // another program, -2008 already open, -2002 unsupported rate, or an I/O error.
    int Open() override;
    // Writes the trace file and stops the dispatcher. Must not be called from a handler.
    int Close() override;
    bool IsOpen() const override;
    std::string DevicePath() const override;

    int SetBaud(int baud) override;
    int Baud() const override;

    size_t CharReady() override;
    int GetChar(uint8_t& c) override;
    size_t GetBlock(uint8_t* data, size_t n) override;
    bool WaitForInput(std::chrono::milliseconds timeout) override;
    int FlushInBuffer() override;

    int PutChar(uint8_t c) override;
    int PutBlock(const uint8_t* data, size_t n) override;
    size_t OutBuffUsed() override;
    size_t OutBuffFree() override;
    int FlushOutBuffer() override;

    LineControl SetDTR(bool on) override;
    LineControl SetRTS(bool on) override;
    Carrier CheckDCD() override;

    void SetOutputFlow(OutputFlow flow) override;
    void SetInputFlow(InputFlow flow, size_t fullMark, size_t resumeMark) override;

    int AddDataTrigger() override;
    int AddTimerTrigger() override;
    int AddStatusTrigger(StatusTrigger kind) override;
    int SetTimerTrigger(TriggerHandle trigger, uint32_t ticks) override;
    int SetStatusTrigger(TriggerHandle trigger, size_t level) override;
    int DisableStatusTrigger(TriggerHandle trigger) override;
    int RemoveTrigger(TriggerHandle trigger) override;

    int RegisterHandler(TriggerHandler handler, void* userData) override;
    int DeregisterHandler(TriggerHandler handler, void* userData) override;
    int PostMessage(uint16_t message, TriggerHandle trigger) override;
    void SuspendDispatch() override;
    void RestoreDispatch() override;

    void SetFaxBusy(bool busy) override;
    bool FaxBusy() const override;

private:
    struct State;
    std::unique_ptr<State> s_;
};

} // namespace tolvane
