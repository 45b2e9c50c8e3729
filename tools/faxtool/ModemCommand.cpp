// faxtool modem --device PATH: what a fax modem answers to initialisation, the fax classes it
// offers, the class detection picks, and its Class 1 modulations. The first thing to run with a
// new modem.
#include "Command.h"
#include "engine/ModemDialogue.h"
#include "imaging/errors/ResultCodes.h"
#include "platform/serial/ComPort.h"

#include <algorithm>
#include <iostream>
#include <string>

namespace faxtool {
namespace {

using namespace tolvane;

const char* ClassName(TFaxClass c) {
    switch (c) {
    case TFaxClass::fcClass1:
        return "Class 1";
    case TFaxClass::fcClass2:
        return "Class 2";
    case TFaxClass::fcClass2_0:
        return "Class 2.0";
    default:
        return "none";
    }
}

std::string Rates(const RateFlags& flags) {
    std::string text;
    for (int i = kLowestRateIndex; i <= kHighestRateIndex; ++i) {
        if (flags[i]) {
            text += (text.empty() ? "" : " ") + std::to_string(RateOfIndex(i));
        }
    }
    return text;
}

int RunModem(const Args& args) {
    std::string device;
    std::string init;
    int baud = 19200;
    int timeout = 10;
    for (size_t i = 0; i < args.size(); ++i) {
        const auto value = [&]() -> std::string { return i + 1 < args.size() ? args[++i] : std::string(); };
        if (args[i] == "--device") {
            device = value();
        } else if (args[i] == "--init") {
            init = value();
        } else if (args[i] == "--timeout") {
            timeout = std::atoi(value().c_str());
        } else if (args[i] == "--baud") {
            baud = std::atoi(value().c_str());
        } else {
            return Fail("modem: unknown option " + args[i]);
        }
    }
    if (device.empty()) {
        return Fail("usage: faxtool modem --device PATH [--init STRING] [--baud RATE] [--timeout SECONDS]");
    }
    TComPort port;
    port.DeviceName = device;
    port.HWFlowOptions = hwfUseRTS | hwfRequireCTS;
    if (const int rc = port.SetBaud(baud); rc < 0) {
        return FailCode(rc, device);
    }
    if (const int rc = port.Open(); rc < 0) {
        return FailCode(rc, device);
    }
    DialogueState state;
    state.replyTimeout = SecondsToTicks(static_cast<uint32_t>(std::max(timeout, 1)));
    ModemDialogue dialogue(port, state);
    bool askedClasses = false;
    std::string classesAnswer;
    dialogue.onExchange = [&](bool sent, std::string_view text) {
        std::cout << (sent ? "> " : "< ") << text << '\n';
        if (sent) {
            askedClasses = text == "AT+FCLASS=?";
        } else if (askedClasses && classesAnswer.empty()) {
            classesAnswer = std::string(text);
        }
    };
    std::cout << "Modem on " << device << " at " << baud << " baud\n";
    if (!init.empty()) {
        dialogue.SyncCommand(ModemInitValue(init));
    }
    const TFaxClass detected = dialogue.DetectClass();
    const OfferedClasses offered = ClassesOffered(StripReportPrefix(classesAnswer));
    std::string classes;
    for (const auto& [on, name] :
         {std::pair{offered.class1, "1"}, {offered.class2, "2"}, {offered.class2_0, "2.0"}}) {
        if (on) {
            classes += (classes.empty() ? "" : ", ") + std::string(name);
        }
    }
    std::cout << "Classes offered:   " << (classes.empty() ? "none" : classes) << '\n'
              << "Detection picks:   " << ClassName(detected) << '\n';
    if (offered.class1) {
        for (const auto direction : {ModulationDirection::Transmit, ModulationDirection::Receive}) {
            RateFlags flags{};
            int index = 0;
            const bool ok = dialogue.QueryModulations(direction, flags, index);
            std::cout << (direction == ModulationDirection::Transmit ? "Class 1 transmit:  "
                                                                     : "Class 1 receive:   ")
                      << (ok ? Rates(flags) : std::string("(no answer)")) << '\n';
        }
        dialogue.SyncCommand("AT+FCLASS=0");
    }
    port.Close();
    if (detected == TFaxClass::fcUnknown) {
        std::cerr << "faxtool: modem: no fax class detected\n";
        return 1;
    }
    return 0;
}

[[maybe_unused]] const bool registered = RegisterCommand(
    {"modem", "modem --device PATH          what the modem answers, its fax classes and modulations",
     &RunModem});

} // namespace
} // namespace faxtool
