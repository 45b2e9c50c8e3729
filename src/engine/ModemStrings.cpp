#include "engine/ModemStrings.h"

#include <cctype>

namespace tolvane {
namespace {

constexpr size_t kModemStringLength = 40;
constexpr size_t kDialNumberLength = 40;

bool IsControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 32 || u == 127;
}

std::string WithoutControls(std::string_view text, std::string_view alsoDrop = {}) {
    std::string out;
    for (const char c : text) {
        if (!IsControl(c) && alsoDrop.find(c) == std::string_view::npos) {
            out += c;
        }
    }
    return out;
}

std::string_view TrimBelow33(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) < 33) {
        s.remove_prefix(1);
    }
    while (!s.empty() && static_cast<unsigned char>(s.back()) < 33) {
        s.remove_suffix(1);
    }
    return s;
}

} // namespace

std::string BuiltInInitString(BusyDetection busy, DialToneWait dialTone) {
    char digit;
    if (busy == BusyDetection::Off) {
        digit = dialTone == DialToneWait::Blind ? '1' : '2';
    } else {
        digit = dialTone == DialToneWait::Blind ? '3' : '4';
    }
    return std::string("ATE0Q0V1X") + digit + "S0=0S2=43";
}

std::string ModemInitValue(std::string_view text) {
    std::string value = WithoutControls(text);
    for (char& c : value) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (!value.empty() && value[0] != 'A') {
        value = "AT" + value;
    }
    return value.substr(0, kModemStringLength);
}

std::string DialCommand(DialMethod method, std::string_view prefix, std::string_view number) {
    return std::string(method == DialMethod::Tone ? "ATDT" : "ATDP") + WithoutControls(prefix, ";") +
           WithoutControls(number.substr(0, kDialNumberLength), ";");
}

Class2Commands Class2CommandTable(TFaxClass faxClass) {
    if (faxClass == TFaxClass::fcClass2_0) {
        return {"AT+FCLASS=2.0", "AT+FIS", "AT+FLI", "AT+FCC", "+FCO", "+FIS",
                "+FCS",          "+FTI",   "+FCI",   "+FPS",   "FHS"};
    }
    return {"AT+FCLASS=2", "AT+FDIS", "AT+FLID", "AT+FDCC", "+FCON", "+FDIS",
            "+FDCS",       "+FTSI",   "+FCSI",   "+FPTS",   "FHNG"};
}

char Class2RateCode(int bps) {
    switch (bps) {
    case 2400:
        return '0';
    case 4800:
        return '1';
    case 7200:
        return '2';
    case 12000:
        return '4';
    case 14400:
        return '5';
    default:
        return '3';
    }
}

std::string SenderParamsCommand(const Class2Commands& table, Resolution resolution, int bps, PageWidth width,
                                char ecm) {
    std::string s = table.sessionParams + "=";
    s += resolution == Resolution::Fine ? '1' : '0';
    s += ',';
    s += Class2RateCode(bps);
    s += ',';
    s += width == PageWidth::Wide ? '1' : '0';
    s += ",2,0,";
    s += ecm;
    s += ",0,0";
    return s;
}

std::string ReceiverCapsCommand(const Class2Commands& table, int bps, char ecm) {
    std::string s = table.capabilities + "=1,";
    s += Class2RateCode(bps);
    s += ",0,2,0,";
    s += ecm;
    s += ",0,0";
    return s;
}

std::string LocalIdCommand(const Class2Commands& table, std::string_view stationId) {
    return table.localId + "=\"" + WithoutControls(stationId, "\"") + "\"";
}

Class2Parameters ParseParameters(std::string_view stripped) {
    const auto field = [&](size_t position) {
        return position <= stripped.size() ? stripped[position - 1] : '\0';
    };
    Class2Parameters p;
    switch (field(3)) {
    case '0':
        p.bps = 2400;
        break;
    case '1':
        p.bps = 4800;
        break;
    case '2':
        p.bps = 7200;
        break;
    case '4':
        p.bps = 12000;
        break;
    case '5':
        p.bps = 14400;
        break;
    default:
        p.bps = 9600;
        break;
    }
    p.fine = field(1) == '1';
    p.wide = field(5) == '1';
    p.ecm = field(11) == '1' || field(11) == '2';
    const char st = field(15);
    p.scanTimeCode = st >= '0' && st <= '7' ? st - '0' : 0;
    return p;
}

int ParseHangupCode(std::string_view line) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return 0;
    }
    const std::string_view digits = TrimBelow33(line.substr(colon + 1, 3));
    int code = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        code = code * 10 + (c - '0');
    }
    return code;
}

std::string StripReportPrefix(std::string_view line) {
    line = TrimBelow33(line);
    size_t cut = line.find(':');
    if (cut == std::string_view::npos) {
        cut = line.find('=');
    }
    if (cut != std::string_view::npos) {
        line.remove_prefix(cut + 1);
    }
    return std::string(TrimBelow33(line));
}

std::string CleanIdentifier(std::string_view text) {
    std::string s(TrimBelow33(text));
    if (!s.empty() && s[0] == '"') {
        s[0] = ' ';
    }
    while (!s.empty() && !std::isalnum(static_cast<unsigned char>(s.back()))) {
        s.pop_back();
    }
    return std::string(TrimBelow33(s));
}

} // namespace tolvane
