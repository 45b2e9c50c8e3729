#include "Command.h"

#include "imaging/errors/StringTable.h"

#include <iostream>

namespace faxtool {

namespace {
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}
} // namespace

bool RegisterCommand(const Command& command) {
    Registry().push_back(command);
    return true;
}

const std::vector<Command>& Commands() {
    return Registry();
}

int Fail(const std::string& text) {
    std::cerr << "faxtool: " << text << '\n';
    return 1;
}

int FailCode(int code, const std::string& file) {
    std::string message = tolvane::ErrorMessage(code);
    if (message.empty()) {
        message = "error " + std::to_string(code);
    }
    return Fail(file.empty() ? message : file + ": " + message);
}

} // namespace faxtool
