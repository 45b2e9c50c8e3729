#include "engine/SendMachine.h"

#include "imaging/errors/ResultCodes.h"

#include <array>
#include <utility>

namespace tolvane {
namespace {

// How a step goes on after a state has run, by the state that is then current.
enum class Pass {
    Again,  // run the new state at once
    End,    // wait for its timer or output trigger
    IfData, // run again only while received characters wait
};

struct StateInfo {
    SendState state;
    std::string_view name;
    Pass pass;
    bool collects; // a data trigger collects a modem line first; the state timer is a time-out
};

// clang-format off
constexpr std::array kStates{
    StateInfo{SendState::NextJob, "NextJob", Pass::Again, false},
    StateInfo{SendState::OpenJob, "OpenJob", Pass::Again, false},
    StateInfo{SendState::C1SelectWait, "C1SelectWait", Pass::IfData, true},
    StateInfo{SendState::C2SelectWait, "C2SelectWait", Pass::IfData, true},
    StateInfo{SendState::C2LocalIdWait, "C2LocalIdWait", Pass::IfData, true},
    StateInfo{SendState::C2FlowWait, "C2FlowWait", Pass::IfData, true},
    StateInfo{SendState::C2ParamsCommand, "C2ParamsCommand", Pass::IfData, true},
    StateInfo{SendState::C2ParamsWait, "C2ParamsWait", Pass::IfData, true},
    StateInfo{SendState::Dial, "Dial", Pass::Again, false},
    StateInfo{SendState::RedialWait, "RedialWait", Pass::End, false},
    StateInfo{SendState::C1CallWait, "C1CallWait", Pass::IfData, true},
    StateInfo{SendState::C1TsiConnectWait, "C1TsiConnectWait", Pass::IfData, true},
    StateInfo{SendState::C1DcsConnectWait, "C1DcsConnectWait", Pass::IfData, true},
    StateInfo{SendState::C1DcsSentWait, "C1DcsSentWait", Pass::IfData, true},
    StateInfo{SendState::C1TrainConnectWait, "C1TrainConnectWait", Pass::IfData, true},
    StateInfo{SendState::C1TrainSentWait, "C1TrainSentWait", Pass::IfData, true},
    StateInfo{SendState::C1TrainReplyWait, "C1TrainReplyWait", Pass::IfData, true},
    StateInfo{SendState::C1PageConnectWait, "C1PageConnectWait", Pass::IfData, true},
    StateInfo{SendState::C2CallWait, "C2CallWait", Pass::IfData, true},
    StateInfo{SendState::C2NegotiateWait, "C2NegotiateWait", Pass::IfData, true},
    StateInfo{SendState::XonWait, "XonWait", Pass::End, false},
    StateInfo{SendState::BufferWait, "BufferWait", Pass::End, false},
    StateInfo{SendState::PageStart, "PageStart", Pass::Again, false},
    StateInfo{SendState::CoverStart, "CoverStart", Pass::Again, false},
    StateInfo{SendState::TextCoverSend, "TextCoverSend", Pass::End, false},
    StateInfo{SendState::PageDataStart, "PageDataStart", Pass::Again, false},
    StateInfo{SendState::PageDataSend, "PageDataSend", Pass::End, false},
    StateInfo{SendState::PageDrainWait, "PageDrainWait", Pass::End, false},
    StateInfo{SendState::C1PageEndWait, "C1PageEndWait", Pass::IfData, true},
    StateInfo{SendState::C1PostPageCommand, "C1PostPageCommand", Pass::Again, false},
    StateInfo{SendState::C1PostPageConnectWait, "C1PostPageConnectWait", Pass::IfData, true},
    StateInfo{SendState::C1PostPageSentWait, "C1PostPageSentWait", Pass::IfData, true},
    StateInfo{SendState::C1PostPageReplyWait, "C1PostPageReplyWait", Pass::IfData, true},
    StateInfo{SendState::C1DcnConnectWait, "C1DcnConnectWait", Pass::IfData, true},
    StateInfo{SendState::C1DcnSentWait, "C1DcnSentWait", Pass::IfData, true},
    StateInfo{SendState::C1HangupWait, "C1HangupWait", Pass::IfData, true},
    StateInfo{SendState::C2PageEnd, "C2PageEnd", Pass::Again, false},
    StateInfo{SendState::C2PageEndWait, "C2PageEndWait", Pass::IfData, true},
    StateInfo{SendState::C2PageStatusWait, "C2PageStatusWait", Pass::IfData, true},
    StateInfo{SendState::C2PageRetry, "C2PageRetry", Pass::IfData, true},
    StateInfo{SendState::NextPage, "NextPage", Pass::Again, false},
    StateInfo{SendState::C20PageStatusWait, "C20PageStatusWait", Pass::IfData, true},
    StateInfo{SendState::JobDone, "JobDone", Pass::Again, false},
    StateInfo{SendState::SessionDone, "SessionDone", Pass::Again, false},
    StateInfo{SendState::JobFailed, "JobFailed", Pass::Again, false},
    StateInfo{SendState::Idle, "Idle", Pass::End, false},
};
// clang-format on

const StateInfo& Info(SendState state) {
    for (const auto& info : kStates) {
        if (info.state == state) {
            return info;
        }
    }
    return kStates.back();
}

// The fax file's name with "." and the extension added when it has none.
std::string WithExtension(const std::string& name, const std::string& ext) {
    const size_t slash = name.find_last_of('/');
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        return name;
    }
    return name + "." + ext;
}

} // namespace

std::string_view SendStateName(SendState state) {
    return Info(state).name;
}

void SendMachine::Prepare() {
    state_ = SendState::NextJob;
    notBuilt_ = false;
    SessionValues& v = s_.values;
    v.status = spInitModem;
    v.lastError = 0;
    ReportStatus(true, false);
    v.bytesTransferred = 0;
    v.currentPage = 1;
    v.pageLength = 0;
    v.remoteStationId.clear();
    v.faxFile.clear();
    v.coverFile.clear();
    v.phoneNumber.clear();
    v.dialAttempt = 0;

    TCustomComPort& port = *s_.port;
    port.SetBaud(19200);
    port.SetDTR(true);
    port.SetRTS(true);
    ModemDialogue dialogue = Dialogue();
    const auto failed = [&] { ReportError(cancel_ ? ecCancelRequested : ecFaxBadModemResult); };
    TFaxClass& faxClass = s_.settings.faxClass;
    if (faxClass == TFaxClass::fcUnknown) {
        faxClass = TFaxClass::fcDetect;
    }
    if (faxClass == TFaxClass::fcDetect) {
        faxClass = dialogue.DetectClass();
        if (faxClass == TFaxClass::fcUnknown) {
            failed();
            return;
        }
    }
    if (!s_.dialogue.initialised) {
        if ((!s_.dialogue.modemInit.empty() && !dialogue.SyncCommand(s_.dialogue.modemInit)) ||
            !dialogue.SyncCommand(s_.dialogue.initString)) {
            failed();
            return;
        }
        s_.dialogue.initialised = true;
    }
    if (faxClass == TFaxClass::fcClass2 || faxClass == TFaxClass::fcClass2_0) {
        s_.dialogue.class2 = Class2CommandTable(faxClass);
    }
    dialogue.SwitchToNormalBaud();
    if (faxClass == TFaxClass::fcClass1) {
        dialogue.QueryModulations(ModulationDirection::Transmit, s_.class1.localRates, s_.class1.rateIndex);
    }
}

void SendMachine::Step(uint16_t message, TriggerHandle trigger) {
    if (!OwnTrigger(trigger) || state_ == SendState::JobFailed) {
        return;
    }
    for (bool firstPass = true;; firstPass = false) {
        // Further passes of a step are data-trigger passes; the message stays the same.
        const TriggerHandle t = firstPass ? trigger : s_.dataTrigger;
        if (message == FaxMsgAbort) {
            s_.values.status = spUserAbort;
            s_.values.lastError = ecCancelRequested;
            state_ = SendState::JobFailed;
        } else if (t == s_.statusTimer || s_.reportNow) {
            s_.reportNow = false;
            ReportStatus(false, false);
            RearmStatusTimer();
            if (t == s_.statusTimer) {
                return;
            }
        }
        if (Info(state_).collects) {
            if (t == s_.dataTrigger) {
                const auto event = Dialogue().Collect();
                if (event == ResultCollector::Event::None) {
                    return; // wait for the rest of the line
                }
                // A Class 1 frame (Event::Frame) is decoded here once Class 1 is built.
                if (event == ResultCollector::Event::Line) {
                    PrefilterLine(s_.dialogue.collector.Buffer());
                }
            } else if (t == s_.stateTimer) {
                StateTimeout();
            }
        }
        RunState(message);
        switch (Info(state_).pass) {
        case Pass::Again:
            break;
        case Pass::End:
            return;
        case Pass::IfData:
            if (s_.port->CharReady() == 0) {
                return;
            }
            break;
        }
    }
}

bool SendMachine::PrefilterLine(const std::string& line) {
    if (Contains(line, rtError) && state_ != SendState::C1PostPageConnectWait &&
        state_ != SendState::C1PostPageReplyWait) {
        Fail(ecFaxBadModemResult);
        return false;
    }
    const std::string& marker = s_.dialogue.class2.hangupMarker;
    if (!marker.empty() && Contains(line, marker) && state_ != SendState::C2PageStatusWait &&
        state_ != SendState::C20PageStatusWait) {
        Fail(ecFaxBadModemResult);
        s_.values.hangupCode = ParseHangupCode(line);
        return false;
    }
    return true;
}

void SendMachine::StateTimeout() {
    // C1PostPageReplyWait and C1HangupWait have time-outs of their own; they come with their states.
    Fail(ecFatalTimeout);
}

void SendMachine::Fail(int code) {
    ReportError(code);
    state_ = SendState::JobFailed;
}

void SendMachine::RunState(uint16_t message) {
    switch (state_) {
    case SendState::NextJob:
        NextJob();
        break;
    case SendState::JobFailed:
        JobFailed(message);
        break;
    case SendState::SessionDone:
        SessionDone();
        break;
    case SendState::Idle:
        break;
    default:
        NotBuilt();
        break;
    }
}

void SendMachine::NextJob() {
    const Answer answer = reports_.NextFile(s_);
    if (answer != Answer::Yes) {
        if (answer == Answer::NoAnswer) {
            ReportError(ecFatalTimeout); // the application did not hand over its next job
        }
        state_ = SendState::SessionDone;
        return;
    }
    reports_.Log(s_, lgTransmitStart);
    SessionValues& v = s_.values;
    v.dialAttempt = 0;
    v.hangupCode = 0;
    v.bytesTransferred = 0;
    v.pageLength = 0;
    v.totalPages = 0;
    v.remoteStationId.clear();
    v.currentPage = 1;
    if (!v.faxFile.empty()) {
        faxFile_ = std::make_unique<ApfReader>();
        if (const int rc = faxFile_->Open(WithExtension(v.faxFile, s_.settings.faxFileExt)); rc < 0) {
            Fail(rc);
            return;
        }
        v.totalPages = faxFile_->Header().PageCount;
    } else if (v.coverFile.empty()) {
        Fail(ecNoFilename);
        return;
    }
    if (s_.settings.softwareFlow) {
        s_.port->SetOutputFlow(OutputFlow::Free);
    }
    state_ = SendState::OpenJob;
}

void SendMachine::CloseFiles() {
    faxFile_.reset();
}

void SendMachine::JobFailed(uint16_t message) {
    CloseFiles();
    reports_.Log(s_, lgTransmitFail);
    ModemDialogue dialogue = Dialogue();
    dialogue.Hangup();
    dialogue.SwitchToInitBaud();
    const SessionSettings& settings = s_.settings;
    if (settings.exitOnError || settings.abortNoConnect || message == FaxMsgAbort || notBuilt_) {
        s_.values.status = spUserAbort;
        ReportStatus(false, true);
        s_.dialogue.initialised = false;
        state_ = SendState::Idle;
        EndSession();
        return;
    }
    state_ = SendState::NextJob;
}

void SendMachine::SessionDone() {
    ReportStatus(false, true);
    s_.dialogue.initialised = false;
    state_ = SendState::Idle;
    EndSession();
}

void SendMachine::NotBuilt() {
    notBuilt_ = true;
    Fail(ecNotSupported);
}

} // namespace tolvane
