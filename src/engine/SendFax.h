// TSendFax: sends fax files (APF) to telephone numbers, one job after another. BeginTransmit
// prepares the modem and returns; the jobs come from DoFaxNext (by default the component's own
// PhoneNumber, FaxFile and CoverFile once), and every outcome arrives as an event.
#pragma once

#include "engine/CustomAbstractFax.h"

namespace tolvane {

class TSendFax : public TCustomAbstractFax {
public:
    TSendFax() : TCustomAbstractFax(TFaxClass::fcUnknown) {}

    // OnFaxNext gets three emptied variables; an empty phone number ends the session.
    std::function<void(TSendFax&, std::string& phoneNumber, std::string& faxFile, std::string& coverFile)>
        OnFaxNext;

    // Raises the start-check exceptions; a failing preparation is reported by events.
    void BeginTransmit();

    // Dial without waiting for a dial tone / have the modem report busy: both choose the
    // built-in initialisation string.
    bool BlindDial() const { return blindDial_; }
    void SetBlindDial(bool on);
    bool DetectBusy() const { return detectBusy_; }
    void SetDetectBusy(bool on);
    bool ToneDial() const { return toneDial_; }
    void SetToneDial(bool on) { toneDial_ = on; }
    const std::string& DialPrefix() const { return Session().dialogue.dialPrefix; }
    void SetDialPrefix(std::string_view prefix) {
        Session().dialogue.dialPrefix = std::string(prefix.substr(0, 40));
    }
    // Seconds from the dial command to the connection (held in ticks).
    int DialWait() const { return static_cast<int>(TicksToSeconds(Session().dialogue.dialWait)); }
    void SetDialWait(int seconds) {
        Session().dialogue.dialWait = SecondsToTicks(static_cast<uint32_t>(seconds));
    }
    int DialAttempts() const { return dialAttempts_; }
    void SetDialAttempts(int attempts) { dialAttempts_ = attempts; }
    int DialRetryWait() const { return static_cast<int>(TicksToSeconds(dialRetryWaitTicks_)); }
    void SetDialRetryWait(int seconds) {
        dialRetryWaitTicks_ = SecondsToTicks(static_cast<uint32_t>(seconds));
    }
    int MaxSendCount() const { return maxSendCount_; }
    void SetMaxSendCount(int count) { maxSendCount_ = count; }
    int BufferMinimum() const { return bufferMinimum_; }
    void SetBufferMinimum(int bytes) { bufferMinimum_ = bytes; }
    const std::string& HeaderLine() const { return headerLine_; }
    void SetHeaderLine(std::string_view text) { headerLine_ = std::string(text.substr(0, 255)); }
    const std::string& CoverFile() const { return coverFile_; }
    void SetCoverFile(std::string_view name) { coverFile_ = std::string(name.substr(0, 255)); }
    const std::string& PhoneNumber() const { return phoneNumber_; }
    void SetPhoneNumber(std::string_view number) { phoneNumber_ = std::string(number.substr(0, 255)); }
    bool SafeMode() const { return safeMode_; }
    void SetSafeMode(bool on) { safeMode_ = on; }
    const std::string& HeaderSender() const { return headerSender_; }
    void SetHeaderSender(std::string_view text) { headerSender_ = std::string(text.substr(0, 255)); }
    const std::string& HeaderRecipient() const { return headerRecipient_; }
    void SetHeaderRecipient(std::string_view text) { headerRecipient_ = std::string(text.substr(0, 255)); }
    const std::string& HeaderTitle() const { return headerTitle_; }
    void SetHeaderTitle(std::string_view text) { headerTitle_ = std::string(text.substr(0, 255)); }
    // The current dial attempt, from 1.
    int DialAttempt() const { return Values().dialAttempt; }

protected:
    // The next job: by default this component's own job once after BeginTransmit; with
    // OnFaxNext what the handler returns (also stored in PhoneNumber, FaxFile, CoverFile).
    virtual void DoFaxNext(std::string& phoneNumber, std::string& faxFile, std::string& coverFile);

    void FillSettings(SessionSettings& settings) const override;
    Answer NextFile(FaxSession& session) override;
    void TakeSnapshot(const FaxSession& session) override;

private:
    void ChooseInitString();

    bool blindDial_ = false;
    bool detectBusy_ = true;
    bool toneDial_ = true;
    int dialAttempts_ = 3;
    uint32_t dialRetryWaitTicks_ = SecondsToTicks(60);
    int maxSendCount_ = 50;
    int bufferMinimum_ = 1000;
    std::string headerLine_;
    std::string coverFile_;
    std::string phoneNumber_;
    bool safeMode_ = true;
    std::string headerSender_;
    std::string headerRecipient_;
    std::string headerTitle_;
    bool firstJob_ = false; // DoFaxNext has not yet handed out the component's own job
};

} // namespace tolvane
