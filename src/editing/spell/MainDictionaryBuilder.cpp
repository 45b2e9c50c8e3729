#include "editing/spell/MainDictionaryBuilder.h"

#include "editing/spell/Cp1252Letters.h"
#include "imaging/errors/IoError.h"
#include "imaging/errors/ResultCodes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace tolvane {
namespace {

constexpr std::string_view kMainTitle = "MAIN DICTIONARY";
constexpr std::string_view kMainNotice =
    "Tolvane word list: letter-tree blocks of 3-byte nodes follow the 1Ah byte; built by mkdict.";

using Codes = std::basic_string<uint8_t>;

// A letter tree of one block, built from words given in sorted order.
struct TrieNode {
    uint8_t Code = 0;
    bool WordEnd = false;
    std::vector<std::unique_ptr<TrieNode>> Children;
};

size_t CommonPrefix(const Codes& a, const Codes& b) {
    size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n]) {
        ++n;
    }
    return n;
}

void AddSorted(TrieNode& root, const Codes& word) {
    TrieNode* node = &root;
    for (const uint8_t code : word) {
        if (node->Children.empty() || node->Children.back()->Code != code) {
            node->Children.push_back(std::make_unique<TrieNode>());
            node->Children.back()->Code = code;
        }
        node = node->Children.back().get();
    }
    node->WordEnd = true;
}

// Lays a run out at the next free index and each child run after it, depth first, so a walk
// down the tree reads the file mostly forwards.
void LayOut(const std::vector<std::unique_ptr<TrieNode>>& run, std::vector<DictionaryNode>& out) {
    const size_t start = out.size();
    for (size_t i = 0; i < run.size(); ++i) {
        const TrieNode& n = *run[i];
        out.push_back({0, static_cast<uint8_t>(n.Code | (n.WordEnd ? kWordEnd : 0) |
                                               (i + 1 == run.size() ? kLastOfRun : 0))});
    }
    for (size_t i = 0; i < run.size(); ++i) {
        if (!run[i]->Children.empty()) {
            out[start + i].Child = static_cast<uint16_t>(out.size());
            LayOut(run[i]->Children, out);
        }
    }
}

struct Block {
    std::vector<DictionaryNode> Nodes; // [0] unused
    uint32_t Words = 0;
};

Block BuildBlock(const std::vector<Codes>& words, size_t from, size_t to) {
    TrieNode root;
    for (size_t i = from; i < to; ++i) {
        AddSorted(root, words[i]);
    }
    Block block;
    block.Nodes.resize(1);
    LayOut(root.Children, block.Nodes);
    block.Words = static_cast<uint32_t>(to - from);
    return block;
}

int WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    BinaryFile file;
    if (const int rc = file.Create(name); rc < 0) {
        return rc;
    }
    if (const int rc = file.WriteAll(bytes.data(), bytes.size()); rc < 0) {
        return rc;
    }
    return file.Close();
}

} // namespace

int WriteMainDictionary(const std::string& fileName, const std::vector<std::string>& words,
                        MainDictionaryStats& stats, uint32_t maxBlockNodes) {
    stats = {};
    maxBlockNodes = std::clamp<uint32_t>(maxBlockNodes, 1, kMaxBlockNodes);
    std::vector<Codes> sorted;
    for (const auto& w : words) {
        const std::string capitals = ToCapitals(w);
        if (capitals.size() < 2 || !IsStorableWord(capitals)) {
            continue;
        }
        Codes codes;
        for (const char c : capitals) {
            codes += LetterCode(static_cast<uint8_t>(c));
        }
        sorted.push_back(std::move(codes));
    }
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());

    std::string text;
    text.append(kMainTitle).append("\r\n").append(kMainNotice).append("\r\n");
    text += static_cast<char>(kTextHeaderEnd);
    std::vector<uint8_t> bytes(text.begin(), text.end());

    // In sorted order a word needs one node per character behind its common prefix with the
    // word before it; a block ends before the word that would overflow it.
    size_t from = 0;
    do { // an empty list still gives one (empty) block
        size_t nodes = from < sorted.size() ? sorted[from].size() : 0;
        size_t to = std::min(from + 1, sorted.size());
        while (to < sorted.size()) {
            const size_t more = sorted[to].size() - CommonPrefix(sorted[to - 1], sorted[to]);
            if (nodes + more > maxBlockNodes) {
                break;
            }
            nodes += more;
            ++to;
        }
        const Block block = BuildBlock(sorted, from, to);
        const auto used = static_cast<uint32_t>(block.Nodes.size() - 1);
        const BlockHeader header{used, used, block.Words, 1, static_cast<uint32_t>(bytes.size())};
        const auto h = header.Serialize();
        bytes.insert(bytes.end(), h.begin(), h.end());
        for (size_t i = 1; i < block.Nodes.size(); ++i) {
            uint8_t n[kNodeSize];
            block.Nodes[i].Serialize(n);
            bytes.insert(bytes.end(), n, n + kNodeSize);
        }
        stats.Blocks += 1;
        stats.Nodes += used;
        stats.Words += block.Words;
        from = to;
    } while (from < sorted.size());

    const std::string temporary = fileName + ".tmp";
    if (const int rc = WriteFile(temporary, bytes); rc < 0) {
        std::remove(temporary.c_str());
        return rc;
    }
    if (std::rename(temporary.c_str(), fileName.c_str()) != 0) {
        const int rc = IoErrorFromErrno(errno, IoOperation::Create);
        std::remove(temporary.c_str());
        return rc;
    }
    return ecOK;
}

} // namespace tolvane
