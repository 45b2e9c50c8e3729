#include "engine/CustomAbstractFax.h"

#include "engine/AbstractFaxStatus.h"
#include "engine/FaxLog.h"
#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"

#include <algorithm>

namespace tolvane {
namespace {

constexpr auto kEventGuard = std::chrono::milliseconds(1000);
constexpr size_t kMinOutputBuffer = 8192;

} // namespace

TCustomAbstractFax::TCustomAbstractFax(TFaxClass faxClass) : faxClass_(faxClass) {}

TCustomAbstractFax::~TCustomAbstractFax() {
    *alive_ = false;
    machine_.reset(); // stops a running session and waits for a running step
    if (display_ != nullptr) {
        display_->fax_ = nullptr;
    }
    if (log_ != nullptr) {
        log_->fax_ = nullptr;
    }
}

void TCustomAbstractFax::SetInitBaud(int baud) {
    DialogueState& d = session_.dialogue;
    if (port_ != nullptr && baud != 0) {
        if (d.normalBaud == 0) {
            d.normalBaud = port_->Baud();
        }
        port_->SetBaud(baud);
        d.atInitBaud = true;
    }
    d.initBaud = baud;
}

void TCustomAbstractFax::SetModemInit(std::string_view text) {
    session_.dialogue.modemInit = ModemInitValue(text);
}

void TCustomAbstractFax::SetComPort(TCustomComPort* port) {
    port_ = port;
    if (port == nullptr || Loading()) {
        return;
    }
    port->DataBits = 8;
    port->StopBits = 1;
    port->ParityMode = Parity::None;
    port->SetBaud(19200);
    port->InSize = kMinOutputBuffer;
    port->OutSize = kMinOutputBuffer;
    port->HWFlowOptions = hwfUseRTS | hwfRequireCTS;
}

void TCustomAbstractFax::SetStatusDisplay(TAbstractFaxStatus* display) {
    if (display_ == display) {
        return;
    }
    if (display_ != nullptr) {
        display_->fax_ = nullptr;
    }
    if (display != nullptr && display->fax_ != nullptr) {
        display->fax_->display_ = nullptr; // the display moves over to this component
    }
    display_ = display;
    if (display != nullptr) {
        display->fax_ = this;
    }
}

void TCustomAbstractFax::SetFaxLog(TFaxLog* log) {
    if (log_ == log) {
        return;
    }
    if (log_ != nullptr) {
        log_->fax_ = nullptr;
    }
    if (log != nullptr && log->fax_ != nullptr) {
        log->fax_->log_ = nullptr;
    }
    log_ = log;
    if (log != nullptr) {
        log->fax_ = this;
    }
}

void TCustomAbstractFax::SetDesiredBPS(int bps) {
    switch (bps) {
    case 2400:
    case 4800:
    case 7200:
    case 9600:
    case 12000:
    case 14400:
        session_.dialogue.desiredBps = bps;
        break;
    default:
        break;
    }
}

SessionValues TCustomAbstractFax::Values() const {
    std::lock_guard lock(snapshotMutex_);
    return snapshot_;
}

std::string TCustomAbstractFax::RemoteStationID() const {
    return Values().remoteStationId;
}
int TCustomAbstractFax::SessionStatus() const {
    return Values().status;
}
int TCustomAbstractFax::LastError() const {
    return Values().lastError;
}
int TCustomAbstractFax::SessionBPS() const {
    return Values().bps;
}
bool TCustomAbstractFax::SessionHighRes() const {
    return Values().highRes;
}
bool TCustomAbstractFax::SessionWide() const {
    return Values().wide;
}
bool TCustomAbstractFax::SessionECM() const {
    return Values().ecm;
}
int TCustomAbstractFax::HangupCode() const {
    return Values().hangupCode;
}
int TCustomAbstractFax::TotalPages() const {
    return Values().totalPages;
}
int TCustomAbstractFax::CurrentPage() const {
    return Values().currentPage;
}
uint32_t TCustomAbstractFax::PageLength() const {
    return Values().pageLength;
}
int64_t TCustomAbstractFax::BytesTransferred() const {
    return Values().bytesTransferred;
}

void TCustomAbstractFax::TakeSnapshot(const FaxSession& session) {
    StoreSnapshot(session.values);
}

void TCustomAbstractFax::StoreSnapshot(const SessionValues& values) {
    std::lock_guard lock(snapshotMutex_);
    snapshot_ = values;
}

void TCustomAbstractFax::AbortSession() {
    if (machine_) {
        machine_->Abort();
    }
}

void TCustomAbstractFax::StartSession(std::unique_ptr<FaxMachine> machine) {
    if (port_ == nullptr) {
        RaiseOnError(this, ecPortNotAssigned);
        return;
    }
    if (!port_->IsOpen()) {
        RaiseOnError(this, ecCommNotOpen);
        return;
    }
    if (port_->OutSize < kMinOutputBuffer) {
        RaiseOnError(this, ecOutputBufferTooSmall);
        return;
    }
    if (SessionRunning() || port_->FaxBusy()) {
        RaiseOnError(this, ecModemBusy);
        return;
    }
    machine_.reset();
    session_.port = port_;
    SessionSettings& s = session_.settings;
    s = SessionSettings{};
    s.faxClass = faxClass_;
    s.stationId = stationId_;
    s.faxFileExt = faxFileExt_;
    s.abortNoConnect = abortNoConnect_;
    s.exitOnError = exitOnError_;
    s.softwareFlow = softwareFlow_;
    s.statusIntervalTicks = SecondsToTicks(static_cast<uint32_t>(std::max(statusInterval_, 1)));
    FillSettings(s);
    session_.values = SessionValues{};
    session_.reportNow = false;
    TakeSnapshot(session_);
    machine_ = std::move(machine);
    machine_->Start();
    faxClass_ = session_.settings.faxClass;
}

bool TCustomAbstractFax::SendEvent(std::function<void()> event) {
    return runner_->Send(std::move(event), kEventGuard);
}

void TCustomAbstractFax::Status(FaxSession& session, bool first, bool last) {
    TakeSnapshot(session);
    SendEvent([this, first, last] { DoFaxStatus(first, last); });
}

void TCustomAbstractFax::Log(FaxSession& session, TFaxLogCode code) {
    TakeSnapshot(session);
    SendEvent([this, code] { DoFaxLog(code); });
}

void TCustomAbstractFax::Error(FaxSession& session, int code) {
    TakeSnapshot(session);
    SendEvent([this, code] { DoFaxError(code); });
}

void TCustomAbstractFax::Finish(FaxSession& session, int code) {
    TakeSnapshot(session);
    runner_->Post([this, code, alive = std::weak_ptr<bool>(alive_)] {
        if (const auto a = alive.lock(); a && *a) {
            DoFaxFinish(code);
        }
    });
}

void TCustomAbstractFax::DoFaxStatus(bool first, bool last) {
    if (display_ != nullptr) {
        display_->UpdateDisplay(first, last);
    }
    if (OnFaxStatus) {
        OnFaxStatus(*this, first, last);
    }
}

void TCustomAbstractFax::DoFaxLog(TFaxLogCode code) {
    if (log_ != nullptr) {
        log_->AddHistoryEntry(code);
    }
    if (OnFaxLog) {
        OnFaxLog(*this, code);
    }
    if (code == lgReceiveOk || code == lgReceiveSkip || code == lgReceiveFail) {
        faxFile_.clear();
    }
}

void TCustomAbstractFax::DoFaxError(int errorCode) {
    if (OnFaxError) {
        OnFaxError(*this, errorCode);
    }
}

void TCustomAbstractFax::DoFaxFinish(int errorCode) {
    if (OnFaxFinish) {
        OnFaxFinish(*this, errorCode);
    }
}

} // namespace tolvane
