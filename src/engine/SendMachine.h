// The engine behind TSendFax: the preparation run by BeginTransmit and the state machine that
// takes the jobs one after another.
//
// One step (a handler call of the port) runs the head -- cancel, status report, result lines
// of the modem and state time-outs -- and then the current state's handler; some states are run
// again at once in a further pass (see the loop table in SendMachine.cpp).
//
// Built so far: the preparation, the head, taking jobs (NextJob) and the end of jobs and of the
// session (JobFailed, SessionDone, Idle). The states from OpenJob on (class set-up, dialling,
// negotiation, pages, end of page) are the next step; until they exist a job that reaches them
// fails with -3002 and ends the session.
#pragma once

#include "engine/FaxMachine.h"
#include "imaging/apf/ApfFile.h"

#include <memory>
#include <string_view>

namespace tolvane {

enum class SendState : int {
    NextJob = 1,
    OpenJob = 2,
    C1SelectWait = 3,
    C2SelectWait = 4,
    C2LocalIdWait = 5,
    C2FlowWait = 6,
    C2ParamsCommand = 7,
    C2ParamsWait = 8,
    Dial = 9,
    RedialWait = 10,
    C1CallWait = 11,
    C1TsiConnectWait = 12,
    C1DcsConnectWait = 13,
    C1DcsSentWait = 14,
    C1TrainConnectWait = 15,
    C1TrainSentWait = 16,
    C1TrainReplyWait = 17,
    C1PageConnectWait = 18,
    C2CallWait = 19,
    C2NegotiateWait = 20,
    XonWait = 21,
    BufferWait = 22,
    PageStart = 23,
    CoverStart = 24,
    TextCoverSend = 25,
    PageDataStart = 26,
    PageDataSend = 27,
    PageDrainWait = 28,
    C1PageEndWait = 29,
    C1PostPageCommand = 30,
    C1PostPageConnectWait = 31,
    C1PostPageSentWait = 32,
    C1PostPageReplyWait = 34,
    C1DcnConnectWait = 35,
    C1DcnSentWait = 36,
    C1HangupWait = 37,
    C2PageEnd = 38,
    C2PageEndWait = 39,
    C2PageStatusWait = 40,
    C2PageRetry = 41,
    NextPage = 42,
    C20PageStatusWait = 43,
    JobDone = 44,
    SessionDone = 45,
    JobFailed = 46,
    Idle = 47,
};

// The state's name for traces ("NextJob", ...).
std::string_view SendStateName(SendState state);

class SendMachine final : public FaxMachine {
public:
    using FaxMachine::FaxMachine;

    SendState State() const { return state_; }

protected:
    void Prepare() override;
    void Step(uint16_t message, TriggerHandle trigger) override;

private:
    // What a line of the modem does before the state sees it; false when it failed the job.
    bool PrefilterLine(const std::string& line);
    void StateTimeout();
    void RunState(uint16_t message);

    void NextJob();
    void JobFailed(uint16_t message);
    void SessionDone();
    void NotBuilt();

    void Fail(int code);
    void CloseFiles();
    TFaxClass FaxClass() const { return s_.settings.faxClass; }

    SendState state_ = SendState::NextJob;
    std::unique_ptr<ApfReader> faxFile_;
    bool notBuilt_ = false; // a job reached a state that is not built yet: the session ends
};

} // namespace tolvane
