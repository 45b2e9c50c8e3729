#include "Class2Modem.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace modemsim {
namespace {

constexpr uint8_t kDle = 0x10;
constexpr uint8_t kEtx = 0x03;
constexpr uint8_t kXon = 0x11;
constexpr uint8_t kDc2 = 0x12;
// A line drop during a page from the host comes after this many bytes of it.
constexpr size_t kDropAfterBytes = 1500;

// Hang-up status codes (T.32 Table 22).
constexpr int kHangupNormal = 0;
constexpr int kHangupTrainingFailed = 27; // failure to train at 2400 bit/s
constexpr int kHangupTransmitPhaseC = 40; // unspecified transmitting phase C error
constexpr int kHangupReceivePhaseC = 50;  // unspecified receiving phase C error
constexpr int kHangupReceivePhaseB = 70;  // unspecified receiving phase B error

int RateOfCode(char code) {
    switch (code) {
    case '0':
        return 2400;
    case '1':
        return 4800;
    case '2':
        return 7200;
    case '4':
        return 12000;
    case '5':
        return 14400;
    default:
        return 9600;
    }
}

char Field(const std::string& params, size_t index) {
    const size_t at = index * 2;
    return at < params.size() ? params[at] : '0';
}

std::string Unquoted(const std::string& value) {
    std::string s = value;
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') {
        s = s.substr(1, s.size() - 2);
    }
    return s;
}

} // namespace

std::string Class2Modem::Report(const char* class2, const char* class20) const {
    return dialect_ == Dialect::Class2 ? class2 : class20;
}

std::string Class2Modem::HangupReport(int code) const {
    char buf[16];
    std::snprintf(buf, sizeof buf, dialect_ == Dialect::Class2 ? "+FHNG:%d" : "+FHS:%02d", code);
    return buf;
}

std::string Class2Modem::RemoteCaps() const {
    const Options& o = link_.Settings();
    return std::string(o.remoteFine ? "1" : "0") + ",5," + (o.remoteWide ? "1" : "0") + ",2,0,0,0,0";
}

std::string Class2Modem::SessionParams(bool fine, bool wide, char rate) const {
    return std::string(fine ? "1" : "0") + "," + rate + "," + (wide ? "1" : "0") + ",2,0,0,0,0";
}

char Class2Modem::NegotiatedRate(const std::string& hostCaps) const {
    const char wanted = Field(hostCaps, 1);
    return wanted >= '0' && wanted <= '5' ? wanted : '3';
}

void Class2Modem::BeginCall(const char* direction) {
    report_ = CallReport{};
    report_.direction = direction;
    report_.faxClass = dialect_ == Dialect::Class2 ? "2" : "2.0";
    report_.hostId = localId_;
    transmissions_ = 0;
    const Options& o = link_.Settings();
    std::string file;
    if (o.store.empty()) {
        tempFile_ =
            (std::filesystem::temp_directory_path() /
             ("modemsim-" + std::to_string(::getpid()) + "-" + std::to_string(link_.CallNumber()) + ".tif"))
                .string();
        file = tempFile_;
    } else {
        tempFile_.clear();
        file = o.store + "/call" + std::to_string(link_.CallNumber()) + ".tif";
    }
    writer_ = std::make_unique<TiffPageWriter>(file);
}

void Class2Modem::EndCall(const std::string& result) {
    report_.result = result;
    if (writer_) {
        writer_->Close();
        if (writer_->Pages() > 0 && tempFile_.empty()) {
            report_.file = writer_->File();
        }
        writer_.reset();
    }
    if (!tempFile_.empty()) {
        std::remove(tempFile_.c_str());
        tempFile_.clear();
    }
    phase_ = Phase::Idle;
    link_.CallEnded(report_);
}

void Class2Modem::Dial() {
    BeginCall("to-remote");
    link_.SendInfo(Report("+FCON", "+FCO"));
    link_.SendInfo(Report("+FCSI:", "+FCI:") + Quoted(link_.Settings().remoteId));
    link_.SendInfo(Report("+FDIS:", "+FIS:") + RemoteCaps());
    link_.SendResult(ResultCode::Ok);
    phase_ = Phase::ToRemote;
}

void Class2Modem::Answer(std::vector<FaxPage> document) {
    BeginCall("from-remote");
    document_ = std::move(document);
    nextPage_ = 0;
    link_.SendInfo(Report("+FCON", "+FCO"));
    link_.SendInfo(Report("+FTSI:", "+FTI:") + Quoted(link_.Settings().remoteId));
    if (link_.Settings().badTraining) {
        link_.SendInfo(HangupReport(kHangupReceivePhaseB));
        link_.SendResult(ResultCode::Ok);
        EndCall("training failed");
        return;
    }
    const char rate = NegotiatedRate(recvCaps_);
    lastParams_ = SessionParams(document_.front().fine, document_.front().wide, rate);
    report_.rate = RateOfCode(rate);
    report_.fine = document_.front().fine;
    link_.SendInfo(Report("+FDCS:", "+FCS:") + lastParams_);
    link_.SendResult(ResultCode::Ok);
    phase_ = Phase::FromRemote;
}

void Class2Modem::Hangup() {
    if (phase_ != Phase::Idle) {
        EndCall("hung up");
    }
}

Outcome Class2Modem::Command(const AtCommand& command) {
    using Op = AtCommand::Op;
    const std::string& name = command.name;
    const auto is = [&](const char* class2, const char* class20) {
        return name == (dialect_ == Dialect::Class2 ? class2 : class20);
    };
    const auto setting = [&](std::string& value, const char* range) {
        if (command.op == Op::Set) {
            value = command.value;
        } else if (command.op == Op::Read) {
            link_.SendInfo(name + ":" + value);
        } else if (command.op == Op::Test) {
            link_.SendInfo(name + ":" + range);
        }
        return Outcome::Ok;
    };
    if (is("+FLID", "+FLI")) {
        if (command.op == Op::Set) {
            localId_ = Unquoted(command.value);
            return Outcome::Ok;
        }
        std::string quoted = Quoted(localId_);
        return setting(quoted, "(20),(32-127)");
    }
    if (is("+FDIS", "+FIS")) {
        return setting(sendCaps_, "(0,1),(0-5),(0-2),(0-2),(0),(0),(0),(0-7)");
    }
    if (is("+FDCC", "+FCC")) {
        return setting(recvCaps_, "(0,1),(0-5),(0-2),(0-2),(0),(0),(0),(0-7)");
    }
    if (name == "+FDT") {
        return StartHostPage();
    }
    if (name == "+FDR") {
        return StartPageToHost();
    }
    if (name == "+FET" && command.op == Op::Set) {
        if (phase_ != Phase::HostPageDone || command.value.empty() || command.value[0] < '0' ||
            command.value[0] > '2') {
            return Outcome::Error;
        }
        FinishHostPage(static_cast<PostPage>(command.value[0] - '0'));
        return Outcome::Pending;
    }
    if (name == "+FK" || name == "+FKS") {
        if (phase_ != Phase::Idle) {
            EndCall("aborted by host");
        }
        return Outcome::Ok;
    }
    if (name == "+FMFR" || name == "+FMI" || name == "+FMDL" || name == "+FMM" || name == "+FREV" ||
        name == "+FMR") {
        link_.SendInfo("modemsim");
        return Outcome::Ok;
    }
    // Settings the far machine does not depend on.
    static const char* const kAccepted[] = {"+FCR", "+FAA",    "+FBO",  "+FBOR", "+FCQ",    "+FLO",
                                            "+FNR", "+FPHCTO", "+FCT",  "+FMS",  "+FMINSP", "+FIE",
                                            "+FPP", "+FIT",    "+FCIG", "+FSPL"};
    for (const char* accepted : kAccepted) {
        if (name == accepted) {
            return Outcome::Ok;
        }
    }
    return Outcome::Error;
}

Outcome Class2Modem::StartHostPage() {
    if (phase_ != Phase::ToRemote) {
        return Outcome::Error;
    }
    const Options& o = link_.Settings();
    if (o.badTraining) {
        link_.SendInfo(HangupReport(kHangupTrainingFailed));
        link_.SendResult(ResultCode::Ok);
        EndCall("training failed");
        return Outcome::Pending;
    }
    const char rate = NegotiatedRate(sendCaps_);
    pageFine_ = Field(sendCaps_, 0) == '1' && o.remoteFine;
    pageWide_ = Field(sendCaps_, 2) == '1' && o.remoteWide;
    report_.rate = RateOfCode(rate);
    report_.fine = pageFine_;
    link_.SendInfo(Report("+FDCS:", "+FCS:") + SessionParams(pageFine_, pageWide_, rate));
    link_.SendResult(ResultCode::Connect);
    if (dialect_ == Dialect::Class2) {
        link_.SendData(std::string(1, static_cast<char>(kXon))); // ready for data
    }
    phase_ = Phase::HostPageData;
    page_.clear();
    dle_ = false;
    dropped_ = false;
    ++transmissions_;
    return Outcome::Pending;
}

void Class2Modem::HostByte(uint8_t c) {
    if (phase_ == Phase::WaitDc2) {
        if (c == kDc2) {
            SendPageToHost();
        }
        return;
    }
    if (dle_) {
        dle_ = false;
        switch (c) {
        case kDle:
            break; // a stuffed 0x10, kept below
        case kEtx:
            HostPageEnded(-1);
            return;
        case ',':
            HostPageEnded(static_cast<int>(PostPage::Mps));
            return;
        case ';':
            HostPageEnded(static_cast<int>(PostPage::Eom));
            return;
        case '.':
            HostPageEnded(static_cast<int>(PostPage::Eop));
            return;
        default:
            return;
        }
    } else if (c == kDle) {
        dle_ = true;
        return;
    }
    if (!dropped_) {
        page_.push_back(c);
        dropped_ = link_.Settings().dropInPage == report_.pages + 1 && page_.size() >= kDropAfterBytes;
    }
}

void Class2Modem::HostPageEnded(int postPage) {
    if (dropped_) {
        link_.SendInfo(HangupReport(kHangupTransmitPhaseC));
        link_.SendResult(ResultCode::Ok);
        EndCall("line dropped");
        return;
    }
    if (postPage < 0 || dialect_ == Dialect::Class2) {
        link_.SendResult(ResultCode::Ok);
        phase_ = Phase::HostPageDone;
        return;
    }
    FinishHostPage(static_cast<PostPage>(postPage));
}

void Class2Modem::FinishHostPage(PostPage ppm) {
    if (transmissions_ <= link_.Settings().rejectPages) {
        link_.SendInfo(Report("+FPTS:", "+FPS:") + "2"); // RTN: retrain and send the page again
        link_.SendResult(ResultCode::Ok);
        phase_ = Phase::ToRemote;
        return;
    }
    const auto result = writer_->AddPage(page_, pageFine_, pageWide_);
    ++report_.pages;
    report_.rows.push_back(result.rows);
    report_.badRows += result.badRows;
    if (dialect_ == Dialect::Class2) {
        link_.SendInfo("+FPTS:1");
    }
    if (ppm == PostPage::Eop) {
        link_.SendInfo(HangupReport(kHangupNormal));
        link_.SendResult(ResultCode::Ok);
        EndCall("ok");
        return;
    }
    link_.SendResult(ResultCode::Ok);
    phase_ = Phase::ToRemote;
}

Outcome Class2Modem::StartPageToHost() {
    if (phase_ != Phase::FromRemote) {
        return Outcome::Error;
    }
    if (nextPage_ >= document_.size()) {
        link_.SendInfo(HangupReport(kHangupNormal));
        link_.SendResult(ResultCode::Ok);
        EndCall("ok");
        return Outcome::Pending;
    }
    const FaxPage& page = document_[nextPage_];
    const std::string params = SessionParams(page.fine, page.wide, NegotiatedRate(recvCaps_));
    if (params != lastParams_) {
        link_.SendInfo(Report("+FDCS:", "+FCS:") + params);
        lastParams_ = params;
    }
    link_.SendResult(ResultCode::Connect);
    phase_ = Phase::WaitDc2;
    return Outcome::Pending;
}

void Class2Modem::SendPageToHost() {
    const FaxPage& page = document_[nextPage_];
    const bool drop = link_.Settings().dropInPage == static_cast<int>(nextPage_) + 1;
    const size_t count = drop ? page.t4.size() / 2 : page.t4.size();
    std::string data;
    data.reserve(count + count / 16 + 2);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = dialect_ == Dialect::Class2 ? ReverseBits(page.t4[i]) : page.t4[i];
        if (b == kDle) {
            data += static_cast<char>(kDle);
        }
        data += static_cast<char>(b);
    }
    data += static_cast<char>(kDle);
    data += static_cast<char>(kEtx);
    link_.SendData(data);
    if (drop) {
        link_.SendInfo(HangupReport(kHangupReceivePhaseC));
        link_.SendResult(ResultCode::Ok);
        EndCall("line dropped");
        return;
    }
    ++nextPage_;
    ++report_.pages;
    link_.SendInfo(Report("+FPTS:1", "+FPS:1"));
    link_.SendInfo(std::string("+FET:") + (nextPage_ < document_.size() ? "0" : "2"));
    link_.SendResult(ResultCode::Ok);
    phase_ = Phase::FromRemote;
}

} // namespace modemsim
