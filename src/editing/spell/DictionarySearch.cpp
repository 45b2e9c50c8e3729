#include "editing/spell/DictionarySearch.h"

#include "editing/spell/Cp1252Letters.h"
#include "editing/spell/Similarity.h"

#include <algorithm>
#include <string>

namespace tolvane {
namespace {

constexpr size_t kMaxCandidate = 30;

class CandidateWalk {
public:
    CandidateWalk(DictionaryBlock& block, const SoundKey& target, std::string_view word, SuggestionList& list)
        : block_(block), target_(target), word_(word), list_(list),
          // A tree visits each node once; more visits mean the file's links loop.
          budget_(static_cast<long>(block.NodesPresent()) + 1) {}

    void Run() { Walk(1, PathSoundKey{}); }

private:
    void Walk(uint32_t index, const PathSoundKey& key) {
        for (;; ++index) {
            DictionaryNode node;
            if (--budget_ < 0 || !block_.ReadNode(index, node)) {
                return;
            }
            const auto letter = static_cast<char>(LetterOfCode(node.Code()));
            if (node.WordEnd()) {
                Offer(letter);
            }
            if (node.HasChildren() && path_.size() + 1 < kMaxCandidate) {
                const PathSoundKey extended = key.Extended(static_cast<uint8_t>(letter));
                if (extended.Matches(target_)) {
                    path_ += letter;
                    Walk(node.Child, extended);
                    path_.pop_back();
                }
            }
            if (node.LastOfRun() || budget_ < 0) {
                return;
            }
        }
    }

    void Offer(char letter) {
        plain_.clear();
        for (const char c : path_) {
            if (c != '\'') {
                plain_ += c;
            }
        }
        if (letter != '\'') {
            plain_ += letter;
        }
        // Most candidates cannot beat a full list whatever they share with the word.
        if (SimilarityBound(plain_.size(), word_.size()) <= list_.Threshold()) {
            return;
        }
        list_.Offer(path_ + letter, Similarity(plain_, word_));
    }

    DictionaryBlock& block_;
    const SoundKey& target_;
    std::string_view word_;
    SuggestionList& list_;
    long budget_;
    std::string path_;
    std::string plain_; // the candidate without apostrophes
};

} // namespace

bool BlockHasWord(DictionaryBlock& block, std::string_view capitals) {
    if (capitals.empty() || block.Header().NodesUsed == 0) {
        return false;
    }
    uint32_t index = 1;
    size_t k = 0;
    for (;; ++index) {
        DictionaryNode node;
        if (!block.ReadNode(index, node)) {
            return false;
        }
        if (node.Code() == LetterCode(static_cast<uint8_t>(capitals[k]))) {
            if (k + 1 == capitals.size()) {
                if (node.WordEnd()) {
                    return true;
                }
            } else if (node.HasChildren()) {
                // The outcome below this node is the block's outcome.
                ++k;
                index = node.Child - 1u;
                continue;
            }
        }
        if (node.LastOfRun()) {
            return false;
        }
    }
}

void CollectCandidates(DictionaryBlock& block, const SoundKey& target, std::string_view capitals,
                       SuggestionList& list) {
    if (block.Header().NodesUsed == 0) {
        return;
    }
    CandidateWalk(block, target, capitals, list).Run();
}

} // namespace tolvane
