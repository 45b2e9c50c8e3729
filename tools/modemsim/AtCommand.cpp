#include "AtCommand.h"

#include <cctype>

namespace modemsim {
namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

bool ParseCommandLine(std::string_view line, std::vector<AtCommand>& commands) {
    size_t i = 0;
    const auto digits = [&] {
        std::string d;
        while (i < line.size() && IsDigit(line[i])) {
            d += line[i++];
        }
        return d;
    };
    while (i < line.size()) {
        const char c = Upper(line[i]);
        AtCommand cmd;
        if (c == ' ' || c == ';') {
            ++i;
            continue;
        }
        if (c == '+') {
            cmd.kind = AtCommand::Kind::Extended;
            cmd.name = "+";
            ++i;
            while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '.')) {
                cmd.name += Upper(line[i++]);
            }
            if (cmd.name.size() == 1) {
                return false;
            }
            if (line.substr(i, 2) == "=?") {
                cmd.op = AtCommand::Op::Test;
                i += 2;
            } else if (i < line.size() && line[i] == '?') {
                cmd.op = AtCommand::Op::Read;
                ++i;
            } else if (i < line.size() && line[i] == '=') {
                cmd.op = AtCommand::Op::Set;
                ++i;
                bool quoted = false;
                while (i < line.size() && (quoted || line[i] != ';')) {
                    quoted = line[i] == '"' ? !quoted : quoted;
                    cmd.value += line[i++];
                }
            }
        } else if (c == 'D') {
            cmd.kind = AtCommand::Kind::Dial;
            cmd.name = "D";
            cmd.value = std::string(line.substr(i + 1));
            i = line.size();
        } else if (c == 'S') {
            cmd.kind = AtCommand::Kind::Register;
            ++i;
            cmd.name = "S" + digits();
            if (cmd.name.size() == 1) {
                return false;
            }
            if (i < line.size() && line[i] == '?') {
                cmd.op = AtCommand::Op::Read;
                ++i;
            } else if (i < line.size() && line[i] == '=') {
                ++i;
                cmd.op = AtCommand::Op::Set;
                cmd.value = digits();
            } else {
                return false;
            }
        } else if (c == '&' || std::isalpha(static_cast<unsigned char>(c))) {
            cmd.name = std::string(1, c);
            ++i;
            if (c == '&') {
                if (i >= line.size() || !std::isalpha(static_cast<unsigned char>(line[i]))) {
                    return false;
                }
                cmd.name += Upper(line[i++]);
            }
            cmd.value = digits();
        } else {
            return false;
        }
        commands.push_back(std::move(cmd));
    }
    return true;
}

std::vector<std::string> SplitList(std::string_view list) {
    std::vector<std::string> items;
    std::string item;
    for (const char c : list) {
        if (c == ',') {
            items.push_back(item);
            item.clear();
        } else if (c != ' ') {
            item += c;
        }
    }
    items.push_back(item);
    return items;
}

} // namespace modemsim
