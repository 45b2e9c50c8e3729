#include "engine/FaxLog.h"

#include "engine/CustomAbstractFax.h"
#include "engine/SendFax.h"
#include "imaging/errors/StringTable.h"

#include <cstdio>
#include <ctime>

namespace tolvane {
namespace {

constexpr const char* kCrLf = "\r\n";

std::string DateTimeNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buf[64];
    std::strftime(buf, sizeof buf, "%x %X", &local);
    return buf;
}

} // namespace

TFaxLog::~TFaxLog() {
    if (fax_ != nullptr) {
        fax_->SetFaxLog(nullptr);
    }
}

void TFaxLog::SetFax(TCustomAbstractFax* fax) {
    if (fax != nullptr) {
        fax->SetFaxLog(this);
    } else if (fax_ != nullptr) {
        fax_->SetFaxLog(nullptr);
    }
}

void TFaxLog::AddHistoryEntry(TFaxLogCode code) {
    if (FaxHistoryName.empty() || fax_ == nullptr) {
        return;
    }
    const auto* sender = dynamic_cast<const TSendFax*>(fax_);
    const bool transmitCode = code >= lgTransmitStart && code <= lgTransmitFail;
    const bool receiveCode = code >= lgReceiveStart && code <= lgReceiveFail;
    if ((sender != nullptr && !transmitCode) || (sender == nullptr && !receiveCode)) {
        return;
    }
    const std::string dt = DateTimeNow();
    const std::string hangup = std::to_string(fax_->HangupCode());
    std::string entry = sender != nullptr ? "Transmit " : "Receive ";
    switch (code) {
    case lgTransmitStart:
        entry += fax_->FaxFile() + " to " + sender->PhoneNumber() + " started at " + dt;
        break;
    case lgTransmitOk:
        entry += "to " + fax_->RemoteStationID() + " finished OK at " + dt + " " + hangup + kCrLf;
        break;
    case lgTransmitFail:
        entry +=
            "failed at " + dt + kCrLf + "  (" + ErrorMessage(fax_->LastError()) + ")" + " " + hangup + kCrLf;
        break;
    case lgReceiveStart:
        entry += fax_->FaxFile() + " from " + fax_->RemoteStationID() + " started at " + dt;
        break;
    case lgReceiveOk:
        entry += "finished OK at " + dt + kCrLf;
        break;
    case lgReceiveSkip:
        entry += "skipped at " + dt + kCrLf;
        break;
    case lgReceiveFail:
        entry += "failed at " + dt + kCrLf + "  (" + ErrorMessage(fax_->LastError()) + ")" + kCrLf;
        break;
    case lgNone:
        return;
    }
    entry += kCrLf;
    if (std::FILE* f = std::fopen(FaxHistoryName.c_str(), "ab")) {
        std::fwrite(entry.data(), 1, entry.size(), f);
        std::fclose(f);
    }
}

} // namespace tolvane
