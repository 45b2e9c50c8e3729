// How the engine reports to its component (the component turns each report into its events on
// the application's thread). All but Finish return only after the component has handled them,
// so the engine may read what they changed in the session.
#pragma once

#include "engine/FaxSession.h"
#include "engine/FaxTypes.h"

namespace tolvane {

// The answer of a synchronous report; NoAnswer when the application did not take it within the
// guard time.
enum class Answer { Yes, No, NoAnswer };

class SessionReports {
public:
    // The next job: Yes with phone number, fax file and cover file set in session.values.
    virtual Answer NextFile(FaxSession& session) = 0;
    virtual void Status(FaxSession& session, bool first, bool last) = 0;
    virtual void Log(FaxSession& session, TFaxLogCode code) = 0;
    // Names the file of a received fax: session.values.faxFile.
    virtual void Name(FaxSession& session) = 0;
    // Whether to take the fax of session.values.remoteStationId.
    virtual Answer Accept(FaxSession& session) = 0;
    // session.values.lastError is already the code.
    virtual void Error(FaxSession& session, int code) = 0;
    // The session has ended; handled later, the engine does not wait.
    virtual void Finish(FaxSession& session, int code) = 0;

protected:
    ~SessionReports() = default;
};

} // namespace tolvane
