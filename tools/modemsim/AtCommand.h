// One command line ("AT" already removed) split into its commands, as V.250 writes them:
// basic commands (E0, X4, &F), S-registers (S0=0, S7?), extended commands (+FCLASS=2, +FTM=?,
// +FCLASS?) separated by ";", and the dial command, which takes the rest of the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

struct AtCommand {
    enum class Kind { Basic, Register, Extended, Dial };
    enum class Op { Action, Set, Read, Test }; // X, X=v, X?, X=?
    Kind kind = Kind::Basic;
    std::string name; // upper case: "E", "&F", "S0", "+FCLASS", "D"
    Op op = Op::Action;
    std::string value; // digits of a basic command, the value after "=", the dial string
};

// False on a syntax error.
bool ParseCommandLine(std::string_view line, std::vector<AtCommand>& commands);

// Splits "a,b,c" (a value list of an extended command or a configured list).
std::vector<std::string> SplitList(std::string_view list);

} // namespace modemsim
