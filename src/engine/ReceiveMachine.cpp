#include "engine/ReceiveMachine.h"

#include "imaging/errors/ResultCodes.h"

#include <array>
#include <utility>

namespace tolvane {
namespace {

// clang-format off
constexpr std::array<std::pair<ReceiveState, std::string_view>, 35> kNames{{
    {ReceiveState::WaitSetup, "WaitSetup"}, {ReceiveState::C1SelectWait, "C1SelectWait"},
    {ReceiveState::C2SelectWait, "C2SelectWait"}, {ReceiveState::C2CapsWait, "C2CapsWait"},
    {ReceiveState::C2FlowWait, "C2FlowWait"}, {ReceiveState::C2ReportsWait, "C2ReportsWait"},
    {ReceiveState::RingWait, "RingWait"}, {ReceiveState::Answer, "Answer"},
    {ReceiveState::C1AnswerWait, "C1AnswerWait"}, {ReceiveState::C1DisSend, "C1DisSend"},
    {ReceiveState::C1DcsWait, "C1DcsWait"}, {ReceiveState::C1DisRetry, "C1DisRetry"},
    {ReceiveState::C1DisRetryCommand, "C1DisRetryCommand"}, {ReceiveState::C1TrainConnectWait, "C1TrainConnectWait"},
    {ReceiveState::C1TrainReceive, "C1TrainReceive"}, {ReceiveState::C1FttSend, "C1FttSend"},
    {ReceiveState::C1TrainOkWait, "C1TrainOkWait"}, {ReceiveState::C1CfrSend, "C1CfrSend"},
    {ReceiveState::C1PageConnectWait, "C1PageConnectWait"}, {ReceiveState::C2AnswerWait, "C2AnswerWait"},
    {ReceiveState::C2NegotiateWait, "C2NegotiateWait"}, {ReceiveState::C2PageConnectWait, "C2PageConnectWait"},
    {ReceiveState::PageStart, "PageStart"}, {ReceiveState::PageReceive, "PageReceive"},
    {ReceiveState::C1PageCarrierWait, "C1PageCarrierWait"}, {ReceiveState::C1PostPageWait, "C1PostPageWait"},
    {ReceiveState::C1PageEnd, "C1PageEnd"}, {ReceiveState::C1McfSend, "C1McfSend"},
    {ReceiveState::C1DcnWait, "C1DcnWait"}, {ReceiveState::C1HangupWait, "C1HangupWait"},
    {ReceiveState::C2PageEndWait, "C2PageEndWait"}, {ReceiveState::C2HangupWait, "C2HangupWait"},
    {ReceiveState::CallDone, "CallDone"}, {ReceiveState::CallFailed, "CallFailed"},
    {ReceiveState::Idle, "Idle"},
}};
// clang-format on

} // namespace

std::string_view ReceiveStateName(ReceiveState state) {
    for (const auto& [s, name] : kNames) {
        if (s == state) {
            return name;
        }
    }
    return {};
}

void ReceiveMachine::Prepare() {
    state_ = ReceiveState::WaitSetup;
    s_.values.lastError = 0;
    s_.values.status = spNone;
    ModemDialogue dialogue = Dialogue();
    TFaxClass& faxClass = s_.settings.faxClass;
    if (faxClass == TFaxClass::fcDetect || faxClass == TFaxClass::fcUnknown) {
        faxClass = dialogue.DetectClass();
        if (faxClass == TFaxClass::fcUnknown) {
            ReportError(cancel_ ? ecCancelRequested : ecFaxBadModemResult);
            return;
        }
    }
    const bool class2 = faxClass == TFaxClass::fcClass2 || faxClass == TFaxClass::fcClass2_0;
    if (class2) {
        s_.dialogue.class2 = Class2CommandTable(faxClass);
    }
    TCustomComPort& port = *s_.port;
    port.SuspendDispatch();
    // A refused command ends the preparation early without an error; the machine starts anyway.
    const auto prepare = [&] {
        if (!s_.dialogue.initialised) {
            if (!s_.dialogue.modemInit.empty() && !dialogue.SyncCommand(s_.dialogue.modemInit)) {
                return;
            }
            if (!dialogue.SyncCommand(s_.dialogue.initString)) {
                return;
            }
            s_.dialogue.initialised = true;
        }
        if (!class2) {
            if (!dialogue.SyncCommand("AT+FCLASS=1")) {
                return;
            }
            dialogue.SwitchToNormalBaud();
            Class1Negotiation& c1 = s_.class1;
            dialogue.QueryModulations(ModulationDirection::Receive, c1.localRates, c1.rateIndex);
            while (c1.rateIndex > kLowestRateIndex && RateOfIndex(c1.rateIndex) > s_.dialogue.desiredBps) {
                --c1.rateIndex;
            }
            return;
        }
        const Class2Commands& table = s_.dialogue.class2;
        if (!dialogue.SyncCommand(table.selectClass)) {
            return;
        }
        dialogue.SwitchToNormalBaud();
        if (dialogue.SyncCommand("AT+FCR=1") &&
            dialogue.SyncCommand(LocalIdCommand(table, s_.settings.stationId))) {
            dialogue.SyncCommand(std::string("AT+FAA=") + s_.dialogue.faxAndDataChar);
        }
    };
    prepare();
    dialogue.FlushInput();
    port.RestoreDispatch();
}

void ReceiveMachine::Step(uint16_t message, TriggerHandle trigger) {
    if (!OwnTrigger(trigger) || state_ == ReceiveState::Idle) {
        return;
    }
    if (message == FaxMsgAbort) {
        s_.values.status = spUserAbort;
        s_.values.lastError = ecCancelRequested;
        EndNow();
        return;
    }
    if (trigger == s_.statusTimer) {
        ReportStatus(false, false);
        RearmStatusTimer();
        return;
    }
    ReportError(ecNotSupported);
    EndNow();
}

void ReceiveMachine::EndNow() {
    s_.dialogue.initialised = false;
    state_ = ReceiveState::Idle;
    EndSession();
}

} // namespace tolvane
