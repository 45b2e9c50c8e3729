// The frame shared by the send and receive state machines: starting a session on a port,
// receiving the port's trigger calls, cancelling, and ending the session.
//
// A state machine derives from it and provides Prepare (the blocking modem preparation, run by
// Start on the application's thread) and Step (one handler call: a trigger of the port, the
// first call with message 0, or FaxMsgAbort). Step runs on the port's dispatcher thread, never
// twice at once; a cancel arrives as a Step with FaxMsgAbort through the same dispatcher, so it
// never races a running step.
#pragma once

#include "engine/FaxSession.h"
#include "engine/ModemDialogue.h"
#include "engine/SessionReports.h"

#include <atomic>

namespace tolvane {

class FaxMachine {
public:
    FaxMachine(FaxSession& session, SessionReports& reports) : s_(session), reports_(reports) {}
    // Stops a session that still runs and waits for a running step to return.
    virtual ~FaxMachine();
    FaxMachine(const FaxMachine&) = delete;
    FaxMachine& operator=(const FaxMachine&) = delete;

    // Starts a session on session.port (open): adds the triggers, marks the port busy, runs
    // Prepare; when that stored an error, reports status Last and finishes. Otherwise makes the
    // first Step (message 0), registers with the port and arms the status timer.
    void Start();
    // Asks the running session to stop: during the preparation its waits end at once; after it
    // the cancel is delivered to Step through the port's dispatcher.
    void Abort();
    bool Running() const { return running_.load(); }

protected:
    virtual void Prepare() = 0;
    virtual void Step(uint16_t message, TriggerHandle trigger) = 0;

    // A dialogue on the session's port, state timer and cancel flag.
    ModemDialogue Dialogue() { return ModemDialogue(*s_.port, s_.dialogue, s_.stateTimer, &cancel_); }
    // Stores the code as LastError and reports it.
    void ReportError(int code);
    void ReportStatus(bool first, bool last) { reports_.Status(s_, first, last); }
    // One of this session's triggers (calls for others are ignored).
    bool OwnTrigger(TriggerHandle trigger) const;
    // Ends the session: removes the triggers and the handler, frees the port, then posts the
    // finish report with LastError. Called from Step (or Start).
    void EndSession();
    void RearmStatusTimer() { s_.port->SetTimerTrigger(s_.statusTimer, s_.settings.statusIntervalTicks); }

    FaxSession& s_;
    SessionReports& reports_;
    std::atomic<bool> cancel_{false};

private:
    static void Handler(void* self, uint16_t message, TriggerHandle trigger);
    void RemoveTriggers();

    std::atomic<bool> running_{false};
    std::atomic<bool> registered_{false};
};

} // namespace tolvane
