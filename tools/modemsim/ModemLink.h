// What a fax class of the simulated modem needs from the command-mode modem around it.
#pragma once

#include "Agenda.h"
#include "CallReport.h"
#include "Options.h"

#include <string_view>

namespace modemsim {

enum class ResultCode { Ok, Connect, Ring, NoCarrier, Error, NoDialTone, Busy, NoAnswer, Voice };

enum class Outcome {
    Ok,      // the command is done; the line goes on
    Error,   // the line ends with ERROR
    Pending, // the command gives its own final result later
};

class ModemLink {
public:
    virtual void SendResult(ResultCode code) = 0;
    // An information text such as "+FCON" (formatted like a result).
    virtual void SendInfo(std::string_view text) = 0;
    // Bytes as they are (page data, XON, frames).
    virtual void SendData(std::string_view bytes) = 0;
    // The call is over and the modem on hook again.
    virtual void CallEnded(const CallReport& report) = 0;
    // Entries for the running call; cleared when it ends.
    virtual Agenda& CallAgenda() = 0;
    virtual const Options& Settings() const = 0;
    // Number of the running call, from 1.
    virtual int CallNumber() const = 0;

protected:
    ~ModemLink() = default;
};

} // namespace modemsim
