// Parses arbitrary bytes as a settings file, reads and writes keys, and checks that a parse of
// the written text reads the same values.
#include "FuzzTarget.h"
#include "platform/ini/IniFile.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tolvane::IniFile ini;
    ini.Parse(text);
    const int port = ini.ReadInteger("Modem", "ComPort", -1);
    const std::string name = ini.ReadString("Default Font", "Name", "Arial");
    ini.WriteInteger("Modem", "FaxClass", 2);
    ini.WriteString("User", "Name", text.substr(0, 40));
    tolvane::IniFile again;
    again.Parse(ini.Text());
    if (again.ReadInteger("Modem", "ComPort", -1) != port || again.ReadInteger("Modem", "FaxClass", 0) != 2 ||
        again.ReadString("Default Font", "Name", "Arial") != name) {
        std::abort();
    }
    return 0;
}
