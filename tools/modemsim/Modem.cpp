#include "Modem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>

namespace modemsim {
namespace {

constexpr int kMaxRings = 10;
constexpr size_t kMaxCommandLine = 255;
constexpr auto kAnswerDelay = std::chrono::milliseconds(300);
constexpr auto kHangupDelay = std::chrono::milliseconds(500);

const char* Text(ResultCode code) {
    switch (code) {
    case ResultCode::Ok:
        return "OK";
    case ResultCode::Connect:
        return "CONNECT";
    case ResultCode::Ring:
        return "RING";
    case ResultCode::NoCarrier:
        return "NO CARRIER";
    case ResultCode::Error:
        return "ERROR";
    case ResultCode::NoDialTone:
        return "NO DIALTONE";
    case ResultCode::Busy:
        return "BUSY";
    case ResultCode::NoAnswer:
        return "NO ANSWER";
    case ResultCode::Voice:
        return "VOICE";
    }
    return "ERROR";
}

int Number(ResultCode code) {
    switch (code) {
    case ResultCode::Ok:
        return 0;
    case ResultCode::Connect:
        return 1;
    case ResultCode::Ring:
        return 2;
    case ResultCode::NoCarrier:
    case ResultCode::Voice:
        return 3;
    case ResultCode::Error:
        return 4;
    case ResultCode::NoDialTone:
        return 6;
    case ResultCode::Busy:
        return 7;
    case ResultCode::NoAnswer:
        return 8;
    }
    return 4;
}

std::string Upper(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

} // namespace

Modem::Modem(const Options& options, PseudoTerminal& line, std::vector<FaxPage> document,
             std::string documentTiff)
    : options_(options), line_(line), document_(std::move(document)), documentTiff_(std::move(documentTiff)),
      class2_(*this), class1_(*this) {
    class1_.onDial = [this](const std::string&) { PlaceClass1Call(); };
    class1_.onAnswer = [this] { AnswerClass1Call(); };
    class1_.onLineDrop = [this] {
        if (audio_) {
            audio_->Cut();
        }
    };
    Reset();
    if (!document_.empty()) {
        modemAgenda_.After(std::chrono::milliseconds(options_.callDelayMs), [this] { StartRinging(); });
    }
}

void Modem::Reset() {
    echo_ = options_.echo;
    quiet_ = false;
    verbose_ = true;
    resultSet_ = 4;
    registers_.fill(0);
    registers_[2] = '+';
    registers_[3] = '\r';
    registers_[4] = '\n';
    fclass_ = "0";
}

void Modem::Tick() {
    modemAgenda_.RunDue();
    callAgenda_.RunDue();
    if (audio_) {
        audio_->Advance();
    }
    // The far machine has hung up: once our modem has sent what it was sending and a moment
    // has passed, the line is gone for it too.
    if (far_ && far_->Done() && !class1_.TakesData()) {
        const auto now = Clock::now();
        if (!farDoneAt_) {
            farDoneAt_ = now;
        } else if (now - *farDoneAt_ >= kHangupDelay) {
            EndClass1Call(false);
        }
    }
}

std::optional<Clock::time_point> Modem::NextEvent() const {
    std::optional<Clock::time_point> next;
    for (const auto& t : {modemAgenda_.Next(), callAgenda_.Next(),
                          audio_ ? std::optional(audio_->Next()) : std::optional<Clock::time_point>()}) {
        if (t && (!next || *t < *next)) {
            next = t;
        }
    }
    return next;
}

void Modem::Noise() {
    // Control characters a noisy line leaves between results; CR and LF, DLE and the flow
    // characters would change the meaning of what follows, so they are left out.
    static constexpr char kNoise[] = {0x01, 0x02, 0x05, 0x07, 0x08, 0x0B, 0x0C, 0x0E, 0x14, 0x18, 0x1B, 0x1F};
    const int count = 1 + static_cast<int>(noise_() % 5);
    std::string bytes;
    for (int i = 0; i < count; ++i) {
        bytes += kNoise[noise_() % sizeof kNoise];
    }
    line_.Send(bytes);
}

void Modem::SendResult(ResultCode code) {
    if (quiet_) {
        return;
    }
    // The X result sets: X0 and X1 report neither busy nor a missing dial tone, X2 adds the dial
    // tone, X3 busy, X4 both.
    if (code == ResultCode::Busy && resultSet_ < 3) {
        code = ResultCode::NoCarrier;
    } else if (code == ResultCode::NoDialTone && resultSet_ != 2 && resultSet_ != 4) {
        code = ResultCode::NoCarrier;
    } else if ((code == ResultCode::NoAnswer || code == ResultCode::Voice) && resultSet_ == 0) {
        code = ResultCode::NoCarrier;
    }
    if (options_.verbose) {
        std::cerr << "modemsim < " << Text(code) << '\n';
    }
    if (options_.garbage) {
        Noise();
    }
    line_.Send(verbose_ ? std::string("\r\n") + Text(code) + "\r\n" : std::to_string(Number(code)) + "\r");
}

void Modem::SendInfo(std::string_view text) {
    if (options_.verbose) {
        std::cerr << "modemsim < " << text << '\n';
    }
    if (options_.garbage) {
        Noise();
    }
    line_.Send(verbose_ ? "\r\n" + std::string(text) + "\r\n" : std::string(text) + "\r\n");
}

void Modem::SendData(std::string_view bytes) {
    line_.Send(bytes);
}

void Modem::CallEnded(const CallReport& report) {
    callAgenda_.Clear();
    dialling_ = false;
    ++calls_;
    Publish(report, options_.report);
    if (options_.calls > 0 && calls_ >= options_.calls) {
        finished_ = true;
    } else if (report.direction == "from-remote" && !document_.empty()) {
        modemAgenda_.After(std::chrono::milliseconds(options_.callDelayMs), [this] { StartRinging(); });
    }
}

void Modem::FromHost(std::string_view bytes) {
    for (const char ch : bytes) {
        const auto c = static_cast<uint8_t>(ch);
        if (fclass_ == "1" && class1_.TakesData()) {
            class1_.HostBytes(std::string_view(&ch, 1));
        } else if (class2_.TakesData()) {
            class2_.HostByte(c);
        } else if (!options_.silent) {
            CommandChar(c);
        }
    }
}

void Modem::CommandChar(uint8_t c) {
    if (echo_) {
        line_.Send(std::string(1, static_cast<char>(c)));
    }
    if (c == registers_[3]) {
        const std::string command = command_;
        command_.clear();
        ExecuteLine(command);
    } else if (c == 8 && !command_.empty()) {
        command_.pop_back();
    } else if (c >= 32 && command_.size() < kMaxCommandLine) {
        command_ += static_cast<char>(c);
    }
}

void Modem::ExecuteLine(const std::string& line) {
    // Characters before "AT" (an escape sequence, noise) are not part of the command.
    const std::string upper = Upper(line);
    const size_t at = upper.find("AT");
    if (at == std::string::npos) {
        return;
    }
    if (options_.verbose) {
        std::cerr << "modemsim > " << line.substr(at) << '\n';
    }
    if (!options_.errorOn.empty() && line.find(options_.errorOn) != std::string::npos) {
        SendResult(ResultCode::Error);
        return;
    }
    std::vector<AtCommand> commands;
    if (!ParseCommandLine(std::string_view(line).substr(at + 2), commands)) {
        SendResult(ResultCode::Error);
        return;
    }
    for (const auto& command : commands) {
        switch (Execute(command)) {
        case Outcome::Ok:
            break;
        case Outcome::Error:
            SendResult(ResultCode::Error);
            return;
        case Outcome::Pending:
            return;
        }
    }
    SendResult(ResultCode::Ok);
}

Outcome Modem::Execute(const AtCommand& command) {
    using Kind = AtCommand::Kind;
    using Op = AtCommand::Op;
    const int value = command.value.empty() ? 0 : std::atoi(command.value.c_str());
    switch (command.kind) {
    case Kind::Dial:
        return Dial();
    case Kind::Register: {
        const int n = std::atoi(command.name.c_str() + 1);
        if (n < 0 || n >= static_cast<int>(registers_.size())) {
            return Outcome::Error;
        }
        if (command.op == Op::Read) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "%03d", registers_[n]);
            SendInfo(buf);
        } else {
            registers_[n] = value & 0xFF;
        }
        return Outcome::Ok;
    }
    case Kind::Basic:
        if (command.name == "E") {
            echo_ = value != 0;
        } else if (command.name == "Q") {
            quiet_ = value != 0;
        } else if (command.name == "V") {
            verbose_ = value != 0;
        } else if (command.name == "X") {
            if (value > 4) {
                return Outcome::Error;
            }
            resultSet_ = value;
        } else if (command.name == "H" || command.name == "Z" || command.name == "&F") {
            class2_.Hangup();
            class1_.Command("H", Class1Modem::Results::Swallow);
            if (far_) {
                EndClass1Call(true);
            } else if (caller_ != nullptr || callee_ != nullptr) {
                EndBridgeCall("hung up", true);
            }
            callAgenda_.Clear();
            dialling_ = false;
            if (command.name != "H") {
                Reset();
            }
        } else if (command.name == "A") {
            return Answer();
        } else if (command.name == "I") {
            SendInfo("modemsim fax modem simulator");
        } else if (command.name == "O") {
            return Outcome::Error;
        }
        // L, M, &C, &D, &K, &S, &W: accepted and without effect on a simulated line.
        return Outcome::Ok;
    case Kind::Extended:
        break;
    }
    const std::string& name = command.name;
    if (name == "+FCLASS") {
        if (command.op == Op::Test) {
            SendInfo(options_.fclassList);
        } else if (command.op == Op::Read) {
            SendInfo(fclass_);
        } else if (command.op == Op::Set) {
            const auto offered = SplitList(options_.fclassList);
            if (std::find(offered.begin(), offered.end(), command.value) == offered.end()) {
                return Outcome::Error;
            }
            fclass_ = command.value;
            if (fclass_ == "1") {
                class1_.Command("+FCLASS=1", Class1Modem::Results::Swallow);
            }
            if (FaxClass2()) {
                class2_.SetDialect(fclass_ == "2" ? Class2Modem::Dialect::Class2
                                                  : Class2Modem::Dialect::Class20);
            }
        }
        return Outcome::Ok;
    }
    if (name == "+GMI" || name == "+GMM" || name == "+GMR") {
        SendInfo("modemsim");
        return Outcome::Ok;
    }
    if (fclass_ == "1" && (name == "+FTM" || name == "+FRM" || name == "+FTH" || name == "+FRH" ||
                           name == "+FTS" || name == "+FRS")) {
        return Class1Command(command);
    }
    if (FaxClass2() && name.rfind("+F", 0) == 0) {
        return class2_.Command(command);
    }
    return Outcome::Error;
}

Outcome Modem::Class1Command(const AtCommand& command) {
    using Op = AtCommand::Op;
    if (command.op == Op::Test && !options_.modulations.empty() &&
        (command.name == "+FTM" || command.name == "+FRM")) {
        SendInfo(options_.modulations);
        return Outcome::Ok;
    }
    const char* op = command.op == Op::Set    ? "="
                     : command.op == Op::Test ? "=?"
                     : command.op == Op::Read ? "?"
                                              : "";
    class1_.Command(command.name + op + command.value, Class1Modem::Results::Pass);
    return Outcome::Pending; // the T.31 modem gives the final result
}

void Modem::PlaceClass1Call() {
    if (peer_ != nullptr) {
        if (peer_->InCall() || peer_->ringing_) {
            class1_.CallEvent(Class1Modem::Event::Busy);
            return;
        }
        peer_->RingFromPeer(*this);
        return;
    }
    const std::string file = options_.store.empty()
                                 ? std::string()
                                 : options_.store + "/call" + std::to_string(CallNumber()) + ".tif";
    far_ = std::make_unique<FarFax>(FarFax::Role::Answer, options_, file);
    audio_ = std::make_unique<AudioLine>(class1_, *far_);
    class1_.CallConnected();
}

void Modem::AnswerClass1Call() {
    if (caller_ != nullptr) {
        audio_ = std::make_unique<AudioLine>(class1_, caller_->class1_);
        caller_->PeerAnswered(*this);
        class1_.CallAnswered();
        return;
    }
    far_ = std::make_unique<FarFax>(FarFax::Role::Call, options_, documentTiff_);
    audio_ = std::make_unique<AudioLine>(class1_, *far_);
    class1_.CallAnswered();
}

void Modem::EndClass1Call(bool hostHungUp) {
    // A far machine that was just finishing (its DCN still going out) gets up to a second of
    // the silent line to end its call.
    for (int i = 0; hostHungUp && i < 50 && !far_->Done(); ++i) {
        int16_t samples[AudioLine::kBlockSamples] = {};
        far_->Transmit(samples, AudioLine::kBlockSamples);
        std::fill(std::begin(samples), std::end(samples), int16_t{0});
        far_->Receive(samples, AudioLine::kBlockSamples);
    }
    CallReport report = far_->Report();
    if (!far_->Done()) {
        report.result = hostHungUp ? "hung up" : "failed";
    }
    if (!hostHungUp) {
        class1_.CallEnded(); // the far machine has hung up
    }
    audio_.reset();
    far_.reset();
    farDoneAt_.reset();
    CallEnded(report);
}

void Modem::RingFromPeer(Modem& caller) {
    caller_ = &caller;
    StartRinging();
}

void Modem::PeerAnswered(Modem& answerer) {
    callee_ = &answerer;
    class1_.CallConnected();
}

void Modem::PeerEnded(const char* result) {
    class1_.CallEnded();
    EndBridgeCall(result, false);
}

void Modem::EndBridgeCall(const char* result, bool tellPeer) {
    Modem* other = caller_ != nullptr ? caller_ : callee_;
    CallReport report;
    report.direction = callee_ != nullptr ? "to-remote" : "from-remote";
    report.faxClass = "1";
    report.result = result;
    audio_.reset();
    caller_ = callee_ = nullptr;
    if (tellPeer && other != nullptr) {
        other->PeerEnded("ended by the other host");
    }
    CallEnded(report);
}

Outcome Modem::Dial() {
    if (dialling_ || InCall()) {
        return Outcome::Error;
    }
    dialling_ = true;
    callAgenda_.After(std::chrono::milliseconds(options_.dialDelayMs), [this] { DialResult(); });
    return Outcome::Pending;
}

void Modem::DialResult() {
    dialling_ = false;
    using DialOutcome = Options::DialOutcome;
    CallReport report;
    report.direction = "to-remote";
    report.faxClass = fclass_;
    switch (options_.dialOutcome) {
    case DialOutcome::Busy:
        SendResult(ResultCode::Busy);
        report.result = "busy";
        break;
    case DialOutcome::NoAnswer:
        SendResult(ResultCode::NoAnswer);
        report.result = "no answer";
        break;
    case DialOutcome::Voice:
        SendResult(ResultCode::Voice);
        report.result = "voice";
        break;
    case DialOutcome::NoDialTone:
        SendResult(ResultCode::NoDialTone);
        report.result = "no dial tone";
        break;
    case DialOutcome::Connect:
        if (FaxClass2()) {
            class2_.Dial();
            return;
        }
        if (fclass_ == "1") {
            class1_.Command("D" + dialNumber_, Class1Modem::Results::Pass);
            return;
        }
        // A fax machine gives no data carrier (class 0).
        SendResult(ResultCode::NoCarrier);
        report.result = "no carrier";
        break;
    }
    CallEnded(report);
}

Outcome Modem::Answer() {
    if (ringing_ && fclass_ == "1" && (caller_ != nullptr || !documentTiff_.empty())) {
        ringing_ = false;
        class1_.Command("A", Class1Modem::Results::Pass);
        return Outcome::Pending;
    }
    if (!ringing_ || !FaxClass2()) {
        callAgenda_.After(kAnswerDelay, [this] { SendResult(ResultCode::NoCarrier); });
        return Outcome::Pending;
    }
    ringing_ = false;
    callAgenda_.After(kAnswerDelay, [this] { class2_.Answer(document_); });
    return Outcome::Pending;
}

void Modem::StartRinging() {
    ringing_ = true;
    rings_ = 0;
    Ring();
}

void Modem::Ring() {
    if (!ringing_) {
        return;
    }
    SendResult(ResultCode::Ring);
    if (++rings_ < kMaxRings) {
        modemAgenda_.After(std::chrono::milliseconds(options_.ringIntervalMs), [this] { Ring(); });
        return;
    }
    ringing_ = false;
    if (caller_ != nullptr) {
        caller_->class1_.CallEvent(Class1Modem::Event::NoAnswer);
        caller_ = nullptr;
        return;
    }
    CallReport report;
    report.direction = "from-remote";
    report.faxClass = fclass_;
    report.result = "not answered";
    CallEnded(report);
}

} // namespace modemsim
