// Class 2 (SP-2388) and Class 2.0 (T.32) fax modem, with an ideal far machine behind it: the
// modem-driven T.30 session reduced to the result sequences the host sees.
//
// Host calls (ATD) and sends:
//   +FCON/+FCO, +FCSI:/+FCI:"id", +FDIS:/+FIS:caps, OK
//   AT+FDT -> +FDCS:/+FCS:params, CONNECT, (Class 2: XON), page data from the host
//   Class 2:   <DLE><ETX> -> OK;  AT+FET=0|1|2 -> +FPTS:1 (2 when rejected), [+FHNG:0], OK
//   Class 2.0: <DLE>, or <DLE>; -> OK (+FPS:2, OK when rejected);  <DLE>. -> +FHS:00, OK
// The far machine calls (RING, ATA) and sends:
//   +FCON/+FCO, +FTSI:/+FTI:"id", +FDCS:/+FCS:params, OK
//   AT+FDR -> [+FDCS:] CONNECT; after DC2 from the host the page data, <DLE><ETX>,
//   +FPTS:1/+FPS:1, +FET:0 (more pages) or +FET:2 (last), OK; AT+FDR after the last page ->
//   +FHNG:0/+FHS:00, OK
// Page data is DLE-stuffed. Class 2 delivers received data to the host with every byte's bits in
// reverse order (what the host sends is taken in line order); Class 2.0 uses line order both ways.
#pragma once

#include "AtCommand.h"
#include "CallReport.h"
#include "ModemLink.h"
#include "PageFiles.h"

#include <memory>
#include <string>
#include <vector>

namespace modemsim {

class Class2Modem {
public:
    enum class Dialect { Class2, Class20 };

    explicit Class2Modem(ModemLink& link) : link_(link) {}

    void SetDialect(Dialect dialect) { dialect_ = dialect; }
    // A +F command while the modem is in this class.
    Outcome Command(const AtCommand& command);
    // ATD: the host calls the far machine.
    void Dial();
    // ATA on a call of the far machine, which sends `document`.
    void Answer(std::vector<FaxPage> document);
    // Page data from the host is expected (or the DC2 that starts the pages to the host).
    bool TakesData() const { return phase_ == Phase::HostPageData || phase_ == Phase::WaitDc2; }
    void HostByte(uint8_t c);
    // ATH or a reset: ends a call that is up.
    void Hangup();
    bool InCall() const { return phase_ != Phase::Idle; }

private:
    enum class Phase {
        Idle,
        Connecting,
        ToRemote,     // host sends: between pages
        HostPageData, // host sends: page data
        HostPageDone, // Class 2: page data ended, waiting for AT+FET
        FromRemote,   // far machine sends: between pages
        WaitDc2,      // after CONNECT of AT+FDR
    };
    enum class PostPage { Mps = 0, Eom = 1, Eop = 2 };

    std::string Report(const char* class2, const char* class20) const;
    std::string HangupReport(int code) const;
    std::string Quoted(const std::string& id) const { return "\"" + id + "\""; }
    std::string RemoteCaps() const;
    std::string SessionParams(bool fine, bool wide, char rate) const;
    char NegotiatedRate(const std::string& hostCaps) const;
    void BeginCall(const char* direction);
    void EndCall(const std::string& result);
    Outcome StartHostPage();
    void HostPageEnded(int postPage); // -1: <DLE><ETX>, else a PostPage value
    void FinishHostPage(PostPage ppm);
    Outcome StartPageToHost();
    void SendPageToHost();

    ModemLink& link_;
    Dialect dialect_ = Dialect::Class2;
    Phase phase_ = Phase::Idle;

    // Settings of the host (kept between calls).
    std::string localId_;
    std::string sendCaps_ = "0,3,0,2,0,0,0,0"; // AT+FDIS= / AT+FIS=
    std::string recvCaps_ = "1,3,0,2,0,0,0,0"; // AT+FDCC= / AT+FCC=

    // The call.
    CallReport report_;
    std::unique_ptr<TiffPageWriter> writer_;
    std::string tempFile_; // the pages' file when they are not kept
    std::vector<uint8_t> page_;
    bool dle_ = false;
    bool dropped_ = false;
    int transmissions_ = 0; // pages the host began, rejected ones included
    bool pageFine_ = false;
    bool pageWide_ = false;
    std::vector<FaxPage> document_;
    size_t nextPage_ = 0;
    std::string lastParams_;
};

} // namespace modemsim
