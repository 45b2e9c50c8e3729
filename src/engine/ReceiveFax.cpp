#include "engine/ReceiveFax.h"

#include "engine/ReceiveMachine.h"
#include "engine/ReceiveNames.h"

#include <ctime>

namespace tolvane {

void TReceiveFax::BeginReceive() {
    StartSession(std::make_unique<ReceiveMachine>(Session(), Reports()));
}

void TReceiveFax::SetDestinationDir(std::string_view dir) {
    destinationDir_ = std::string(dir.substr(0, 255));
    if (!destinationDir_.empty() && destinationDir_.back() != '/') {
        destinationDir_ += '/';
    }
}

void TReceiveFax::FillSettings(SessionSettings& s) const {
    s.oneFax = oneFax_;
    s.constantStatus = constantStatus_;
}

void TReceiveFax::DoFaxAccept(bool& accept) {
    accept = true;
    if (OnFaxAccept) {
        OnFaxAccept(*this, accept);
    }
}

void TReceiveFax::DoFaxName(std::string& name) {
    if (OnFaxName) {
        OnFaxName(*this, name);
        return;
    }
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    name = ReceiveFileName(nameMode_, destinationDir_, FaxFileExt(), today);
}

void TReceiveFax::Name(FaxSession& session) {
    TakeSnapshot(session);
    std::string name = FaxFile();
    const bool named = SendEvent([&] {
        DoFaxName(name);
        SetFaxFile(name);
    });
    if (!named) {
        const std::time_t now = std::time(nullptr);
        std::tm today{};
        localtime_r(&now, &today);
        name = ReceiveFileName(nameMode_, destinationDir_, FaxFileExt(), today);
    }
    session.values.faxFile = name;
}

Answer TReceiveFax::Accept(FaxSession& session) {
    TakeSnapshot(session);
    bool accept = true;
    if (!SendEvent([&] { DoFaxAccept(accept); })) {
        return Answer::NoAnswer;
    }
    return accept ? Answer::Yes : Answer::No;
}

} // namespace tolvane
