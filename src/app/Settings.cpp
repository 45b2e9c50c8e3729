#include "app/Settings.h"

#include "app/AppFolders.h"
#include "imaging/errors/Exceptions.h"
#include "imaging/errors/ResultCodes.h"
#include "imaging/errors/StringTable.h"
#include "platform/ini/IniFile.h"

#include <QFile>
#include <QStringDecoder>

namespace tolvane {
namespace {

// Section and key names of the settings file.
constexpr const char* kReceive = "Receive";
constexpr const char* kUser = "User";
constexpr const char* kDialing = "Dialing";
constexpr const char* kModem = "Modem";
constexpr const char* kFont = "Default Font";

std::string DeviceKey(int port) {
    return "Device" + std::to_string(port + 1);
}

// Values are written as UTF-8; a value that is not UTF-8 comes from a Windows program and is
// taken as Latin-1.
QString Decode(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError()) {
        text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    return text;
}

std::string Encode(const QString& text) {
    return text.toUtf8().toStdString();
}

QString ReadText(const IniFile& ini, const char* section, const char* key, const QString& def) {
    return Decode(ini.ReadString(section, key, Encode(def)));
}

} // namespace

TSettingsValues::TSettingsValues() {
    for (int port = 0; port < kPortCount; ++port) {
        Device[static_cast<size_t>(port)] = QStringLiteral("/dev/ttyS%1").arg(port);
    }
}

TSettingsValues& Settings() {
    static TSettingsValues values;
    return values;
}

QString SettingsFileName(const QString& folder) {
    return folder + QStringLiteral("QOB.INI");
}

void LoadSettings(const QString& folder) {
    IniFile ini;
    ini.Load(QFile::encodeName(SettingsFileName(folder)).toStdString());
    const TSettingsValues def;
    TSettingsValues& s = Settings();
    s.Wav = ReadText(ini, kReceive, "Wav", def.Wav);
    s.AtStartup = ini.ReadBool(kReceive, "AtStartup", def.AtStartup);
    s.AnswerOnRing = ini.ReadInteger(kReceive, "AnswerOnRing", def.AnswerOnRing);
    s.Fax = ReadText(ini, kUser, "Fax", def.Fax);
    s.Name = ReadText(ini, kUser, "Name", def.Name);
    s.DialPrefix = ReadText(ini, kDialing, "DialPrefix", def.DialPrefix);
    s.InitString = ReadText(ini, kModem, "InitString", def.InitString);
    s.DialAttempts = ini.ReadInteger(kDialing, "DialAttempts", def.DialAttempts);
    s.RetryWait = ini.ReadInteger(kDialing, "RetryWait", def.RetryWait);
    s.BlindDial = ini.ReadBool(kDialing, "BlindDial", def.BlindDial);
    s.ComPort = ini.ReadInteger(kModem, "ComPort", def.ComPort);
    s.FaxClass = ini.ReadInteger(kModem, "FaxClass", def.FaxClass);
    s.ToneOrPulse = ini.ReadInteger(kDialing, "ToneOrPulse", def.ToneOrPulse);
    s.Timeout = ini.ReadInteger(kDialing, "Timeout", def.Timeout);
    s.FontName = ReadText(ini, kFont, "Name", def.FontName);
    s.FontSize = ini.ReadInteger(kFont, "Size", def.FontSize);
    s.FontBold = ini.ReadBool(kFont, "Bold", def.FontBold);
    s.FontItalic = ini.ReadBool(kFont, "Italic", def.FontItalic);
    s.FontUnderline = ini.ReadBool(kFont, "Underline", def.FontUnderline);
    for (int port = 0; port < kPortCount; ++port) {
        const auto i = static_cast<size_t>(port);
        s.Device[i] = ReadText(ini, kModem, DeviceKey(port).c_str(), def.Device[i]);
    }
}

void SaveSettings(const QString& folder) {
    const QString fileName = SettingsFileName(folder);
    const std::string name = QFile::encodeName(fileName).toStdString();
    IniFile ini;
    const int loaded = ini.Load(name);
    if (loaded < 0 && loaded != ecFileNotFound) {
        throw EIniWrite("Cannot save the settings: the file " + fileName.toStdString() + " cannot be read (" +
                        ErrorMessage(loaded) + ") and is left as it is");
    }
    const TSettingsValues& s = Settings();
    ini.WriteString(kReceive, "Wav", Encode(s.Wav));
    ini.WriteBool(kReceive, "AtStartup", s.AtStartup);
    ini.WriteInteger(kReceive, "AnswerOnRing", s.AnswerOnRing);
    ini.WriteString(kUser, "Fax", Encode(s.Fax));
    ini.WriteString(kUser, "Name", Encode(s.Name));
    ini.WriteString(kDialing, "DialPrefix", Encode(s.DialPrefix));
    ini.WriteString(kModem, "InitString", Encode(s.InitString));
    ini.WriteInteger(kDialing, "DialAttempts", s.DialAttempts);
    ini.WriteInteger(kDialing, "RetryWait", s.RetryWait);
    ini.WriteBool(kDialing, "BlindDial", s.BlindDial);
    ini.WriteInteger(kModem, "ComPort", s.ComPort);
    ini.WriteInteger(kModem, "FaxClass", s.FaxClass);
    ini.WriteInteger(kDialing, "ToneOrPulse", s.ToneOrPulse);
    ini.WriteInteger(kDialing, "Timeout", s.Timeout);
    ini.WriteString(kFont, "Name", Encode(s.FontName));
    ini.WriteInteger(kFont, "Size", s.FontSize);
    ini.WriteBool(kFont, "Bold", s.FontBold);
    ini.WriteBool(kFont, "Italic", s.FontItalic);
    ini.WriteBool(kFont, "Underline", s.FontUnderline);
    for (int port = 0; port < kPortCount; ++port) {
        ini.WriteString(kModem, DeviceKey(port), Encode(s.Device[static_cast<size_t>(port)]));
    }
    const int saved = ini.Save(name);
    if (saved < 0) {
        throw EIniWrite("Cannot write the settings file " + fileName.toStdString() + ": " +
                        ErrorMessage(saved));
    }
}

void LoadSettings() {
    LoadSettings(ProgramFolder());
}

void SaveSettings() {
    SaveSettings(ProgramFolder());
}

} // namespace tolvane
