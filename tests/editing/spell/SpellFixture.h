// Small dictionaries for the spell engine tests.
#pragma once

#include "editing/spell/MainDictionaryBuilder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tolvane::test {

// Writes a main dictionary of the given words into the folder and returns its name.
inline std::string MakeMainDictionary(const TempDir& dir, const std::vector<std::string>& words,
                                      uint32_t maxBlockNodes = kMaxBlockNodes,
                                      const std::string& name = "main.dct") {
    const std::string file = dir.File(name);
    MainDictionaryStats stats;
    EXPECT_EQ(WriteMainDictionary(file, words, stats, maxBlockNodes), 0);
    return file;
}

} // namespace tolvane::test
