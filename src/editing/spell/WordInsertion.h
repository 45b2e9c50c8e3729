// Adding a word to a user dictionary's letter tree held in memory; the caller writes the
// changed nodes back to the file.
#pragma once

#include "editing/spell/DictionaryFormat.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tolvane {

struct InsertedWord {
    uint32_t FirstChanged = 0; // lowest node index whose stored bytes changed; 0: nothing changed
    uint32_t NodesAdded = 0;
};

// nodes[0] is unused; nodes[1..N] are the used nodes. A character without a node in its run gets
// a new node at the start of the run (the nodes behind it move up one place and every child
// index above that place grows by one); the rest of the word becomes a chain of one-node runs at
// the end. A word already present changes nothing. nullopt when the tree points outside 1..N.
std::optional<InsertedWord> InsertWord(std::vector<DictionaryNode>& nodes, std::span<const uint8_t> codes);

} // namespace tolvane
