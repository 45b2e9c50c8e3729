// Writing a main dictionary from a word list: the words are split, in sorted order, over as
// many blocks as the 16-bit node indexes need.
#pragma once

#include "editing/spell/DictionaryFormat.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvane {

struct MainDictionaryStats {
    size_t Words = 0; // distinct words stored
    size_t Blocks = 0;
    size_t Nodes = 0; // over all blocks
};

// Words are code page 1252 text in any letter case; each must pass IsStorableWord once
// capitalised (others are left out and counted in skipped). Words of one character are left
// out too: every one-letter word is correct anyway. A block exceeds maxBlockNodes only when a
// single word is longer than that. The file is written under a temporary name
// and renamed, so a failure leaves no file behind. 0 or a negative I/O result code.
int WriteMainDictionary(const std::string& fileName, const std::vector<std::string>& words,
                        MainDictionaryStats& stats, uint32_t maxBlockNodes = kMaxBlockNodes);

} // namespace tolvane
