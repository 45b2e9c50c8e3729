#include "engine/FaxMachine.h"

#include "imaging/errors/ResultCodes.h"

namespace tolvane {

FaxMachine::~FaxMachine() {
    if (s_.port == nullptr) {
        return;
    }
    if (registered_.exchange(false)) {
        s_.port->DeregisterHandler(&FaxMachine::Handler, this); // waits for a running step
    }
    // A step that ended the session may still be returning through the dispatcher.
    s_.port->SuspendDispatch();
    s_.port->RestoreDispatch();
    if (running_.exchange(false)) {
        RemoveTriggers();
        s_.port->SetFaxBusy(false);
    }
}

void FaxMachine::Handler(void* self, uint16_t message, TriggerHandle trigger) {
    auto* machine = static_cast<FaxMachine*>(self);
    if (machine->running_.load()) {
        machine->Step(message, trigger);
    }
}

bool FaxMachine::OwnTrigger(TriggerHandle trigger) const {
    return trigger != 0 &&
           (trigger == s_.dataTrigger || trigger == s_.statusTimer || trigger == s_.stateTimer ||
            trigger == s_.outputSpace || trigger == s_.outputDrain);
}

void FaxMachine::ReportError(int code) {
    s_.values.lastError = code;
    reports_.Error(s_, code);
}

void FaxMachine::RemoveTriggers() {
    for (TriggerHandle* t :
         {&s_.dataTrigger, &s_.statusTimer, &s_.stateTimer, &s_.outputSpace, &s_.outputDrain}) {
        if (*t > 0) {
            s_.port->RemoveTrigger(*t);
        }
        *t = 0;
    }
}

void FaxMachine::Start() {
    TCustomComPort& port = *s_.port;
    cancel_ = false;
    running_ = true;
    const int data = port.AddDataTrigger();
    const int status = port.AddTimerTrigger();
    const int state = port.AddTimerTrigger();
    const int space = port.AddStatusTrigger(StatusTrigger::OutputFree);
    const int drain = port.AddStatusTrigger(StatusTrigger::OutputUsed);
    s_.dataTrigger = data > 0 ? data : 0;
    s_.statusTimer = status > 0 ? status : 0;
    s_.stateTimer = state > 0 ? state : 0;
    s_.outputSpace = space > 0 ? space : 0;
    s_.outputDrain = drain > 0 ? drain : 0;
    if (data < 0 || status < 0 || state < 0 || space < 0 || drain < 0) {
        ReportError(ecNoMoreTriggers);
        EndSession();
        return;
    }
    port.SetFaxBusy(true);
    Prepare();
    if (s_.values.lastError != 0) {
        ReportStatus(false, true);
        EndSession();
        return;
    }
    Step(0, s_.dataTrigger);
    if (!running_) {
        return; // the first step already ended the session
    }
    if (port.RegisterHandler(&FaxMachine::Handler, this) != ecOK) {
        ReportError(ecRegisterHandlerFailed);
        EndSession();
        return;
    }
    registered_ = true;
    RearmStatusTimer();
}

void FaxMachine::Abort() {
    cancel_ = true;
    if (registered_ && running_) {
        s_.port->PostMessage(FaxMsgAbort, s_.dataTrigger);
    }
}

void FaxMachine::EndSession() {
    TCustomComPort& port = *s_.port;
    if (registered_.exchange(false)) {
        port.DeregisterHandler(&FaxMachine::Handler, this);
    }
    RemoveTriggers();
    port.SetFaxBusy(false);
    running_ = false;
    reports_.Finish(s_, s_.values.lastError);
}

} // namespace tolvane
