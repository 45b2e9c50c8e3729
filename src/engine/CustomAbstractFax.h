// TCustomAbstractFax: the base of the fax session components TSendFax and TReceiveFax. It owns
// the engine session, turns the engine's reports into its events and feeds the status display
// and the history log.
//
// Threads: the engine runs on the port's dispatcher thread. Every event runs through the
// EventRunner given with SetEventRunner (by default at once, on the engine's thread): the
// synchronous reports wait for it at most 1 s before they begin (then the report is dropped:
// a next job counts as none and the session ends with -6006, an acceptance counts as yes, a
// name as the default name), the finish report is posted. The read-only session properties
// return the values of the last report, so they are safe to read at any time.
//
// Properties are not to be changed while a session runs (they are copied into the engine when
// BeginTransmit/BeginReceive starts one); a start while a session runs raises EModemBusy.
#pragma once

#include "engine/EventRunner.h"
#include "engine/FaxMachine.h"
#include "engine/FaxSession.h"
#include "engine/FaxTypes.h"
#include "engine/SessionReports.h"
#include "imaging/errors/Component.h"
#include "platform/serial/CustomComPort.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace tolvane {

class TAbstractFaxStatus;
class TFaxLog;

class TCustomAbstractFax : public TComponent, protected SessionReports {
public:
    ~TCustomAbstractFax() override;
    TCustomAbstractFax(const TCustomAbstractFax&) = delete;
    TCustomAbstractFax& operator=(const TCustomAbstractFax&) = delete;

    // Events; the first argument is the component that raises them.
    std::function<void(TCustomAbstractFax&, bool first, bool last)> OnFaxStatus;
    std::function<void(TCustomAbstractFax&, TFaxLogCode)> OnFaxLog;
    std::function<void(TCustomAbstractFax&, int errorCode)> OnFaxError;
    std::function<void(TCustomAbstractFax&, int errorCode)> OnFaxFinish;

    // Port rate while the modem is initialised and between sessions; 0 = never change it.
    // Setting it switches an assigned port to it at once.
    int InitBaud() const { return session_.dialogue.initBaud; }
    void SetInitBaud(int baud);
    int NormalBaud() const { return session_.dialogue.normalBaud; }
    void SetNormalBaud(int baud) { session_.dialogue.normalBaud = baud; }
    // fcDetect is replaced by the detected class when a session starts.
    TFaxClass FaxClass() const { return faxClass_; }
    void SetFaxClass(TFaxClass faxClass) { faxClass_ = faxClass; }
    // Stored upper-cased, with "AT" in front when it does not begin with "A", at most 40.
    const std::string& ModemInit() const { return session_.dialogue.modemInit; }
    void SetModemInit(std::string_view text);
    const std::string& StationID() const { return stationId_; }
    void SetStationID(std::string_view id) { stationId_ = std::string(id.substr(0, 20)); }
    // Assigning a port gives it 8N1, 19200 baud, 8192-byte buffers and RTS/CTS flow control
    // (unless the component is loading). The port must outlive its use here.
    TCustomComPort* ComPort() const { return port_; }
    void SetComPort(TCustomComPort* port);
    TAbstractFaxStatus* StatusDisplay() const { return display_; }
    void SetStatusDisplay(TAbstractFaxStatus* display);
    TFaxLog* FaxLog() const { return log_; }
    void SetFaxLog(TFaxLog* log);
    const std::string& FaxFile() const { return faxFile_; }
    void SetFaxFile(std::string_view name) { faxFile_ = std::string(name.substr(0, 255)); }
    bool AbortNoConnect() const { return abortNoConnect_; }
    void SetAbortNoConnect(bool on) { abortNoConnect_ = on; }
    bool ExitOnError() const { return exitOnError_; }
    void SetExitOnError(bool on) { exitOnError_ = on; }
    bool SoftwareFlow() const { return softwareFlow_; }
    void SetSoftwareFlow(bool on) { softwareFlow_ = on; }
    int StatusInterval() const { return statusInterval_; }
    void SetStatusInterval(int seconds) { statusInterval_ = seconds; }
    // One of 2400, 4800, 7200, 9600, 12000, 14400; other values are ignored.
    int DesiredBPS() const { return session_.dialogue.desiredBps; }
    void SetDesiredBPS(int bps);
    bool DesiredECM() const { return session_.dialogue.ecmChar == '1'; }
    void SetDesiredECM(bool on) { session_.dialogue.ecmChar = on ? '1' : '0'; }
    const std::string& FaxFileExt() const { return faxFileExt_; }
    void SetFaxFileExt(std::string_view ext) { faxFileExt_ = std::string(ext); }

    // The running session, as of its last report.
    std::string RemoteStationID() const;
    int SessionStatus() const;
    int LastError() const;
    int SessionBPS() const;
    bool SessionHighRes() const;
    bool SessionWide() const;
    bool SessionECM() const;
    int HangupCode() const;
    int TotalPages() const;
    int CurrentPage() const;
    uint32_t PageLength() const;
    int64_t BytesTransferred() const;

    // Asks the running session to stop; it ends with status spUserAbort and error -6005.
    // Nothing happens when no session runs.
    void AbortSession();
    bool SessionRunning() const { return machine_ && machine_->Running(); }
    // Where the events run; nullptr: at once on the engine's thread.
    void SetEventRunner(EventRunner* runner) { runner_ = runner != nullptr ? runner : &direct_; }

protected:
    explicit TCustomAbstractFax(TFaxClass faxClass);

    // Status report: the display's UpdateDisplay, then OnFaxStatus.
    virtual void DoFaxStatus(bool first, bool last);
    // The history entry, then OnFaxLog; codes 5, 6 and 7 then clear FaxFile.
    virtual void DoFaxLog(TFaxLogCode code);
    virtual void DoFaxError(int errorCode);
    virtual void DoFaxFinish(int errorCode);

    // The start checks (raising EPortNotAssigned, ECommNotOpen, EOutputBufferTooSmall or
    // EModemBusy), then the session: settings from the properties, machine->Start().
    void StartSession(std::unique_ptr<FaxMachine> machine);
    // Adds the settings of the subclass to those of the session.
    virtual void FillSettings(SessionSettings& settings) const = 0;
    FaxSession& Session() { return session_; }
    // The reports of this component, for the machine it starts.
    SessionReports& Reports() { return *this; }
    const FaxSession& Session() const { return session_; }
    // Runs an event through the runner with the 1 s guard; false when it did not run.
    bool SendEvent(std::function<void()> event);
    // The read-only values as of the last report.
    SessionValues Values() const;

    // SessionReports; the defaults of NextFile (no job), Name (nothing) and Accept (yes) are
    // for the kind that does not use them.
    Answer NextFile(FaxSession&) override { return Answer::No; }
    void Name(FaxSession&) override {}
    Answer Accept(FaxSession&) override { return Answer::Yes; }
    void Status(FaxSession& session, bool first, bool last) override;
    void Log(FaxSession& session, TFaxLogCode code) override;
    void Error(FaxSession& session, int code) override;
    void Finish(FaxSession& session, int code) override;
    // Copies the session's values for the read-only properties (on the engine's thread).
    virtual void TakeSnapshot(const FaxSession& session);
    void StoreSnapshot(const SessionValues& values);

private:
    FaxSession session_;
    std::unique_ptr<FaxMachine> machine_;
    DirectEventRunner direct_;
    EventRunner* runner_ = &direct_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true); // for posted events
    mutable std::mutex snapshotMutex_;
    SessionValues snapshot_;

    TFaxClass faxClass_;
    std::string stationId_;
    TCustomComPort* port_ = nullptr;
    TAbstractFaxStatus* display_ = nullptr;
    TFaxLog* log_ = nullptr;
    std::string faxFile_;
    bool abortNoConnect_ = false;
    bool exitOnError_ = false;
    bool softwareFlow_ = false;
    int statusInterval_ = 1;
    std::string faxFileExt_ = "APF";
};

} // namespace tolvane
