// faxtool sub-commands register themselves here; main() dispatches by name.
#pragma once

#include <string>
#include <vector>

namespace faxtool {

using Args = std::vector<std::string>;
using CommandFn = int (*)(const Args& args);

struct Command {
    const char* name;
    const char* usage;
    CommandFn run;
};

// Adds a command at static initialisation; returns true so it can initialise a constant.
bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

// Prints "faxtool: <text>" on stderr and returns exit status 1.
int Fail(const std::string& text);
// Fail with the message of a result code, prefixed by a file name when one is given.
int FailCode(int code, const std::string& file = {});

} // namespace faxtool
