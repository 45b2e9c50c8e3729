// mkdict: builds the main spell-check dictionary from a UTF-8 word list, one word a line.
#include "editing/spell/Cp1252Letters.h"
#include "editing/spell/MainDictionaryBuilder.h"
#include "imaging/errors/StringTable.h"

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mkdict WORDLIST OUTPUT.dct\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "mkdict: cannot read \"" << argv[1] << "\"\n";
        return 1;
    }
    std::vector<std::string> words;
    size_t lines = 0;
    size_t unconvertible = 0;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        ++lines;
        if (auto word = tolvane::Utf8ToCp1252(line)) {
            words.push_back(std::move(*word));
        } else {
            ++unconvertible;
        }
    }
    tolvane::MainDictionaryStats stats;
    if (const int rc = tolvane::WriteMainDictionary(argv[2], words, stats); rc < 0) {
        std::cerr << "mkdict: cannot write \"" << argv[2] << "\": " << tolvane::ErrorMessage(rc) << '\n';
        return 1;
    }
    std::cout << "mkdict: " << lines << " lines, " << stats.Words << " distinct words in " << stats.Blocks
              << " blocks of " << stats.Nodes << " nodes";
    if (unconvertible > 0) {
        std::cout << " (" << unconvertible << " lines outside code page 1252)";
    }
    std::cout << '\n';
    return 0;
}
