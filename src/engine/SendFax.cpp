#include "engine/SendFax.h"

#include "engine/SendMachine.h"

#include <algorithm>

namespace tolvane {

void TSendFax::SetBlindDial(bool on) {
    blindDial_ = on;
    ChooseInitString();
}

void TSendFax::SetDetectBusy(bool on) {
    detectBusy_ = on;
    ChooseInitString();
}

void TSendFax::ChooseInitString() {
    Session().dialogue.initString = BuiltInInitString(detectBusy_ ? BusyDetection::On : BusyDetection::Off,
                                                      blindDial_ ? DialToneWait::Blind : DialToneWait::Wait);
}

void TSendFax::BeginTransmit() {
    firstJob_ = true;
    StartSession(std::make_unique<SendMachine>(Session(), Reports()));
}

void TSendFax::FillSettings(SessionSettings& s) const {
    s.toneDial = toneDial_;
    s.dialAttempts = dialAttempts_;
    s.dialRetryWaitTicks = dialRetryWaitTicks_;
    s.maxSendCount = maxSendCount_;
    s.bufferMinimum = bufferMinimum_;
    s.headerLine = headerLine_;
    s.headerSender = headerSender_;
    s.headerRecipient = headerRecipient_;
    s.headerTitle = headerTitle_;
    s.safeMode = safeMode_;
}

void TSendFax::DoFaxNext(std::string& phoneNumber, std::string& faxFile, std::string& coverFile) {
    if (OnFaxNext) {
        phoneNumber.clear();
        faxFile.clear();
        coverFile.clear();
        OnFaxNext(*this, phoneNumber, faxFile, coverFile);
        SetPhoneNumber(phoneNumber);
        SetFaxFile(faxFile);
        SetCoverFile(coverFile);
        return;
    }
    if (firstJob_) {
        firstJob_ = false;
        phoneNumber = phoneNumber_;
        faxFile = FaxFile();
        coverFile = coverFile_;
        return;
    }
    phoneNumber.clear();
    faxFile.clear();
    coverFile.clear();
}

Answer TSendFax::NextFile(FaxSession& session) {
    TakeSnapshot(session);
    std::string phone;
    std::string fax;
    std::string cover;
    if (!SendEvent([&] { DoFaxNext(phone, fax, cover); })) {
        return Answer::NoAnswer;
    }
    if (phone.empty()) {
        return Answer::No;
    }
    // The names are kept as given: letter case matters to the file system here.
    session.values.phoneNumber = phone.substr(0, 40);
    session.values.faxFile = fax;
    session.values.coverFile = cover;
    return Answer::Yes;
}

void TSendFax::TakeSnapshot(const FaxSession& session) {
    SessionValues values = session.values;
    // Bytes of the page handed to the port, minus those still waiting to go out.
    if (session.port != nullptr && session.port->IsOpen()) {
        values.bytesTransferred =
            std::max<int64_t>(0, values.bytesTransferred - static_cast<int64_t>(session.port->OutBuffUsed()));
    }
    StoreSnapshot(values);
}

} // namespace tolvane
