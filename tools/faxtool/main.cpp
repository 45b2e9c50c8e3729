// faxtool: fax files from the command line.
#include "Command.h"

#include <algorithm>
#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    auto commands = faxtool::Commands();
    std::sort(commands.begin(), commands.end(), [](const faxtool::Command& a, const faxtool::Command& b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    const auto usage = [&](std::ostream& out) {
        out << "usage: faxtool COMMAND [options]\n\ncommands:\n";
        for (const auto& c : commands) {
            out << "  " << c.usage << '\n';
        }
    };
    if (argc < 2) {
        usage(std::cerr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "-h" || name == "--help" || name == "help") {
        usage(std::cout);
        return 0;
    }
    for (const auto& c : commands) {
        if (name == c.name) {
            return c.run(faxtool::Args(argv + 2, argv + argc));
        }
    }
    std::cerr << "faxtool: unknown command \"" << name << "\"\n";
    usage(std::cerr);
    return 2;
}
