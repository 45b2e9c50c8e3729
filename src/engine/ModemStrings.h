// The AT strings of the modem dialogue, kept as data, and the parsers of the modem's reports.
// Pure functions: no port, no state.
#pragma once

#include "engine/FaxTypes.h"

#include <string>
#include <string_view>

namespace tolvane {

// Result texts; a response "contains" one when the text occurs anywhere in the line.
inline constexpr std::string_view rtOk = "OK";
inline constexpr std::string_view rtConnect = "CONNECT";
inline constexpr std::string_view rtNoCarrier = "RRIER"; // end of "NO CARRIER"
inline constexpr std::string_view rtError = "ERROR";
inline constexpr std::string_view rtBusy = "BUSY";
inline constexpr std::string_view rtNoAnswer = "ANSWER"; // end of "NO ANSWER"
inline constexpr std::string_view rtVoice = "VOICE";
inline constexpr std::string_view rtNoDialTone = "NO DIAL";
inline constexpr std::string_view rtRing = "RING";
inline constexpr std::string_view rtNoConnect = "NO C"; // receiver waiting for calls

inline bool Contains(std::string_view line, std::string_view text) {
    return line.find(text) != std::string_view::npos;
}

enum class BusyDetection { Off, On };    // DetectBusy
enum class DialToneWait { Wait, Blind }; // BlindDial
enum class DialMethod { Tone, Pulse };   // ToneDial

// "ATE0Q0V1X" + digit + "S0=0S2=43": no echo, results on and verbal, the X result set chosen by
// busy detection and blind dialling, no automatic answer, escape character "+".
std::string BuiltInInitString(BusyDetection busy, DialToneWait dialTone);

// ModemInit as stored: control characters dropped (one command line stays one), upper-cased,
// "AT" put in front when it does not begin with "A", cut to 40 characters.
std::string ModemInitValue(std::string_view text);

// "ATDT" or "ATDP", the prefix and the number (its first 40 characters). Control characters and
// ";" are dropped from prefix and number, so that neither can end the dial command and add
// commands of its own.
std::string DialCommand(DialMethod method, std::string_view prefix, std::string_view number);

// Commands and report prefixes of Class 2 (SP-2388) and Class 2.0 (T.32).
struct Class2Commands {
    std::string selectClass;      // "AT+FCLASS=2"   "AT+FCLASS=2.0"
    std::string sessionParams;    // "AT+FDIS"       "AT+FIS"   sender: parameters of the document
    std::string localId;          // "AT+FLID"       "AT+FLI"
    std::string capabilities;     // "AT+FDCC"       "AT+FCC"   receiver: capabilities
    std::string connectReport;    // "+FCON"         "+FCO"
    std::string remoteCapsReport; // "+FDIS"         "+FIS"
    std::string sessionReport;    // "+FDCS"         "+FCS"
    std::string remoteTsiReport;  // "+FTSI"         "+FTI"     caller's identifier
    std::string remoteCsiReport;  // "+FCSI"         "+FCI"     called station's identifier
    std::string pageStatusReport; // "+FPTS"         "+FPS"
    std::string hangupMarker;     // "FHNG"          "FHS"      searched without the "+"
};

// The table of fcClass2 or fcClass2_0 (any other class gives the Class 2 table).
Class2Commands Class2CommandTable(TFaxClass faxClass);

// Class 2 rate code of DesiredBPS: '0' 2400, '1' 4800, '2' 7200, '4' 12000, '5' 14400, else '3'.
char Class2RateCode(int bps);

enum class Resolution { Normal, Fine };
enum class PageWidth { Normal, Wide };

// Sender: sessionParams "=" VR "," BR "," WD ",2,0," EC ",0,0".
std::string SenderParamsCommand(const Class2Commands& table, Resolution resolution, int bps, PageWidth width,
                                char ecm);
// Receiver: capabilities "=1," BR ",0,2,0," EC ",0,0".
std::string ReceiverCapsCommand(const Class2Commands& table, int bps, char ecm);
// localId "=\"" StationID "\"". Control characters and double quotes in the identifier are
// dropped so that it stays one quoted string.
std::string LocalIdCommand(const Class2Commands& table, std::string_view stationId);

// Values of a +FDCS/+FCS or +FDIS/+FIS report (after StripReportPrefix): the fields VR, BR, WD,
// LN, DF, EC, BF, ST read at character positions 1, 3, ..., 15 (missing ones count as absent).
struct Class2Parameters {
    int bps = 9600;       // BR: '0' 2400, '1' 4800, '2' 7200, '4' 12000, '5' 14400, else 9600
    bool fine = false;    // VR is '1'
    bool wide = false;    // WD is '1'
    bool ecm = false;     // EC is '1' or '2'
    int scanTimeCode = 0; // ST as a digit 0..7; anything else 0 (no minimum)
};
Class2Parameters ParseParameters(std::string_view stripped);

// The decimal number in the (at most three) characters after the first ":", surrounding spaces
// removed; 0 without a ":" or a number.
int ParseHangupCode(std::string_view line);

// Removes characters below 33 at both ends, then everything up to and including the first ":"
// (without one, the first "="), then trims again.
std::string StripReportPrefix(std::string_view line);

// Trims spaces; a leading double quote becomes a space; trailing characters that are neither
// letters nor digits are dropped; trims again.
std::string CleanIdentifier(std::string_view text);

} // namespace tolvane
