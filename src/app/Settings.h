// The user's settings: one program-wide value per key of the settings file "QOB.INI" in the
// data folder. Loaded when the main window is created, written by SaveSettings.
#pragma once

#include <QString>
#include <array>

namespace tolvane {

inline constexpr int kPortCount = 6; // Com1 .. Com6

struct TSettingsValues {
    // [Receive]
    QString Wav;            // WAVE sound played when a fax has arrived; empty for none
    bool AtStartup = false; // start receive mode when the program starts
    int AnswerOnRing = 1;   // rings before answering, 1..3
    // [User]
    QString Fax;  // own fax number, the station identifier
    QString Name; // printed in the fax header line
    // [Dialing]
    QString DialPrefix;
    int DialAttempts = 3;
    int RetryWait = 60; // seconds between dial attempts
    bool BlindDial = false;
    int ToneOrPulse = 0; // 0 tone, 1 pulse
    int Timeout = 60;    // seconds to wait for an answer after dialling
    // [Modem]
    QString InitString;
    int ComPort = -1; // 0 = Com1 .. 5 = Com6; -1 = never configured
    int FaxClass = 1; // 0 auto detect, 1 class 1, 2 class 2, 3 class 2.0
    // The serial device each port stands for ([Modem] Device1 .. Device6).
    std::array<QString, kPortCount> Device;
    // [Default Font]
    QString FontName = QStringLiteral("Arial");
    int FontSize = 10;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;

    TSettingsValues();
};

// The program-wide settings values.
TSettingsValues& Settings();

// The settings file of a data folder.
QString SettingsFileName(const QString& folder);

// Reads every key into the settings values; a missing or unreadable file, or a missing or
// invalid key, gives the default.
void LoadSettings(const QString& folder);
// Writes every settings value to its key, keeping all other lines of the file. Raises EIniWrite
// naming the file when it cannot be written, or when the existing file cannot be read (it is then
// left alone rather than replaced).
void SaveSettings(const QString& folder);

// The same on the program's data folder.
void LoadSettings();
void SaveSettings();

} // namespace tolvane
