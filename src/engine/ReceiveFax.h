// TReceiveFax: waits for calls, answers them and stores each received fax as an APF file.
// BeginReceive prepares the modem and returns; every outcome arrives as an event.
#pragma once

#include "engine/CustomAbstractFax.h"

namespace tolvane {

class TReceiveFax : public TCustomAbstractFax {
public:
    TReceiveFax() : TCustomAbstractFax(TFaxClass::fcDetect) {}

    std::function<void(TReceiveFax&, bool& accept)> OnFaxAccept;
    // Gets the current FaxFile; what it leaves there is the name, used unchanged.
    std::function<void(TReceiveFax&, std::string& name)> OnFaxName;

    void BeginReceive();

    int AnswerOnRing() const { return Session().dialogue.answerOnRing; }
    void SetAnswerOnRing(int rings) { Session().dialogue.answerOnRing = rings; }
    bool FaxAndData() const { return Session().dialogue.faxAndDataChar == '1'; }
    void SetFaxAndData(bool on) { Session().dialogue.faxAndDataChar = on ? '1' : '0'; }
    bool OneFax() const { return oneFax_; }
    void SetOneFax(bool on) { oneFax_ = on; }
    bool ConstantStatus() const { return constantStatus_; }
    void SetConstantStatus(bool on) { constantStatus_ = on; }
    // A "/" is added when the name does not end in one.
    const std::string& DestinationDir() const { return destinationDir_; }
    void SetDestinationDir(std::string_view dir);
    TReceiveNameMode ReceiveNameMode() const { return nameMode_; }
    void SetReceiveNameMode(TReceiveNameMode mode) { nameMode_ = mode; }

protected:
    // Accepts unless OnFaxAccept says otherwise.
    virtual void DoFaxAccept(bool& accept);
    // By ReceiveNameMode in DestinationDir; with OnFaxName what the handler leaves.
    virtual void DoFaxName(std::string& name);

    void FillSettings(SessionSettings& settings) const override;
    void Name(FaxSession& session) override;
    Answer Accept(FaxSession& session) override;

private:
    bool oneFax_ = false;
    bool constantStatus_ = false;
    std::string destinationDir_;
    TReceiveNameMode nameMode_ = TReceiveNameMode::rnSequential;
};

} // namespace tolvane
