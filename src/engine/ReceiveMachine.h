// The engine behind TReceiveFax: the preparation run by BeginReceive and the state machine that
// waits for calls, answers and receives.
//
// Built so far: the preparation (class detection, initialisation, class set-up, Class 1
// modulations), cancelling and the end of the session. The states from WaitSetup on are the next
// step; until they exist the session ends at once with -3002.
#pragma once

#include "engine/FaxMachine.h"

#include <string_view>

namespace tolvane {

enum class ReceiveState : int {
    WaitSetup = 1,
    C1SelectWait = 2,
    C2SelectWait = 3,
    C2CapsWait = 4,
    C2FlowWait = 5,
    C2ReportsWait = 7,
    RingWait = 8,
    Answer = 9,
    C1AnswerWait = 10,
    C1DisSend = 11,
    C1DcsWait = 12,
    C1DisRetry = 13,
    C1DisRetryCommand = 14,
    C1TrainConnectWait = 15,
    C1TrainReceive = 16,
    C1FttSend = 18,
    C1TrainOkWait = 19,
    C1CfrSend = 20,
    C1PageConnectWait = 21,
    C2AnswerWait = 22,
    C2NegotiateWait = 23,
    C2PageConnectWait = 24,
    PageStart = 25,
    PageReceive = 26,
    C1PageCarrierWait = 27,
    C1PostPageWait = 28,
    C1PageEnd = 29,
    C1McfSend = 30,
    C1DcnWait = 31,
    C1HangupWait = 32,
    C2PageEndWait = 33,
    C2HangupWait = 34,
    CallDone = 35,
    CallFailed = 36,
    Idle = 37,
};

std::string_view ReceiveStateName(ReceiveState state);

class ReceiveMachine final : public FaxMachine {
public:
    using FaxMachine::FaxMachine;

    ReceiveState State() const { return state_; }

protected:
    void Prepare() override;
    void Step(uint16_t message, TriggerHandle trigger) override;

private:
    void EndNow();

    ReceiveState state_ = ReceiveState::WaitSetup;
};

} // namespace tolvane
