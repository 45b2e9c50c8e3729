#include "editing/spell/WordInsertion.h"

#include <algorithm>

namespace tolvane {
namespace {

// Appends codes as a chain: each node's child is the next node, every node ends its run, the
// last one ends the word. Returns the index of the chain's first node.
uint16_t AppendChain(std::vector<DictionaryNode>& nodes, std::span<const uint8_t> codes) {
    const auto first = static_cast<uint16_t>(nodes.size());
    for (size_t k = 0; k < codes.size(); ++k) {
        const bool last = k + 1 == codes.size();
        const auto index = static_cast<uint16_t>(nodes.size());
        nodes.push_back({last ? uint16_t{0} : static_cast<uint16_t>(index + 1),
                         static_cast<uint8_t>(codes[k] | kLastOfRun | (last ? kWordEnd : 0))});
    }
    return first;
}

bool Consistent(const std::vector<DictionaryNode>& nodes) {
    const size_t used = nodes.size() - 1;
    return std::all_of(nodes.begin() + 1, nodes.end(),
                       [&](const DictionaryNode& n) { return !n.HasChildren() || n.Child <= used; });
}

} // namespace

std::optional<InsertedWord> InsertWord(std::vector<DictionaryNode>& nodes, std::span<const uint8_t> codes) {
    if (nodes.empty()) {
        nodes.resize(1);
    }
    if (codes.empty()) {
        return InsertedWord{};
    }
    if (!Consistent(nodes)) {
        return std::nullopt;
    }
    const auto used = static_cast<uint32_t>(nodes.size() - 1);
    if (used == 0) {
        AppendChain(nodes, codes);
        return InsertedWord{1, static_cast<uint32_t>(codes.size())};
    }
    uint32_t run = 1;
    for (size_t k = 0;; ++k) {
        const uint8_t code = codes[k] & kLetterMask;
        const bool lastChar = k + 1 == codes.size();
        uint32_t found = 0;
        for (uint32_t i = run; i <= used; ++i) {
            if (nodes[i].Code() == code) {
                found = i;
                break;
            }
            if (nodes[i].LastOfRun()) {
                break;
            }
        }
        if (found == 0) {
            // New node at the start of the run; its parent still points at the run's start.
            const uint32_t p = run;
            nodes.insert(nodes.begin() + p,
                         DictionaryNode{0, static_cast<uint8_t>(code | (lastChar ? kWordEnd : 0))});
            uint32_t firstChanged = p;
            for (uint32_t i = 1; i < nodes.size(); ++i) {
                DictionaryNode& n = nodes[i];
                if (i != p && n.HasChildren() && n.Child > p) {
                    ++n.Child;
                    firstChanged = std::min(firstChanged, i);
                }
            }
            if (!lastChar) {
                nodes[p].Child = AppendChain(nodes, codes.subspan(k + 1));
            }
            return InsertedWord{firstChanged, static_cast<uint32_t>(codes.size() - k)};
        }
        DictionaryNode& node = nodes[found];
        if (lastChar) {
            if (node.WordEnd()) {
                return InsertedWord{};
            }
            node.Letter |= kWordEnd;
            return InsertedWord{found, 0};
        }
        if (node.HasChildren()) {
            run = node.Child;
            continue;
        }
        const uint16_t chain = AppendChain(nodes, codes.subspan(k + 1));
        nodes[found].Child = chain;
        return InsertedWord{found, static_cast<uint32_t>(codes.size() - k - 1)};
    }
}

} // namespace tolvane
