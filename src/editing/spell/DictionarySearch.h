// Searches of one dictionary block: looking a word up and collecting suggestion candidates.
#pragma once

#include "editing/spell/DictionaryBlock.h"
#include "editing/spell/SoundKey.h"
#include "editing/spell/SuggestionList.h"

#include <string_view>

namespace tolvane {

// True when the capitalised word (two or more characters) is a word of the block.
bool BlockHasWord(DictionaryBlock& block, std::string_view capitals);

// Walks the block depth first from its roots. Every word-end node of a visited run is a
// candidate, scored against the capitalised word without its apostrophes; the walk descends
// below a node only while the sound key of the path, completed from the target, is the target.
void CollectCandidates(DictionaryBlock& block, const SoundKey& target, std::string_view capitals,
                       SuggestionList& list);

} // namespace tolvane
