// TFaxLog: the history file of a fax component. Each log code of a session appends one entry
// (CRLF line ends):
//   1 "Transmit <FaxFile> to <PhoneNumber> started at <dt>"
//   2 "Transmit to <RemoteStationID> finished OK at <dt> <HangupCode>" CRLF
//   3 "Transmit failed at <dt>" CRLF "  (<error text>) <HangupCode>" CRLF
//   4 "Receive <FaxFile> from <RemoteStationID> started at <dt>"
//   5 "Receive finished OK at <dt>" CRLF
//   6 "Receive skipped at <dt>" CRLF
//   7 "Receive failed at <dt>" CRLF "  (<error text>)" CRLF
// each followed by the line end; dt is the date and time in the locale's short formats. A code
// of the other kind of component (4 from a sender) writes nothing.
#pragma once

#include "engine/FaxTypes.h"
#include "imaging/errors/Component.h"

#include <string>

namespace tolvane {

class TCustomAbstractFax;

class TFaxLog : public TComponent {
public:
    ~TFaxLog() override;

    // Appends the entry of the code to FaxHistoryName (created when missing; nothing when the
    // name is empty). File errors end the entry silently.
    virtual void AddHistoryEntry(TFaxLogCode code);

    std::string FaxHistoryName = "ZEROROZ.HIS";

    TCustomAbstractFax* Fax() const { return fax_; }
    void SetFax(TCustomAbstractFax* fax);

private:
    friend class TCustomAbstractFax;
    TCustomAbstractFax* fax_ = nullptr;
};

} // namespace tolvane
