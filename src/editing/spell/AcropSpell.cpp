#include "editing/spell/AcropSpell.h"

#include "editing/spell/Cp1252Letters.h"
#include "editing/spell/DictionarySearch.h"
#include "editing/spell/Similarity.h"
#include "editing/spell/SoundKey.h"
#include "editing/spell/SuggestionList.h"
#include "editing/spell/WordInsertion.h"

#include <algorithm>
#include <cstdio>

namespace tolvane {
namespace {

constexpr uint32_t kRewriteChunk = 2048; // nodes per write when a user dictionary is rewritten
constexpr std::string_view kUserTitle = "USER DICTIONARY";
constexpr std::string_view kUserNotice =
    "Tolvane word list: a letter tree of 3-byte nodes follows the 1Ah byte; add words only through the "
    "spell checker.";

// The user's case pattern carried over to a suggestion in capitals.
std::string RestoreCase(const std::string& suggestion, std::string_view typed) {
    if (std::none_of(typed.begin(), typed.end(),
                     [](char c) { return IsSmallLetter(static_cast<uint8_t>(c)); })) {
        return suggestion;
    }
    std::string s = ToSmalls(suggestion);
    size_t i = 0;
    size_t j = 0;
    while (i < typed.size() && j < s.size()) {
        while (i + 1 < typed.size() && !IsUserWordChar(static_cast<uint8_t>(typed[i]))) {
            ++i;
        }
        while (j + 1 < s.size() && !IsSuggestionWordChar(static_cast<uint8_t>(s[j]))) {
            ++j;
        }
        if (IsCapitalLetter(static_cast<uint8_t>(typed[i]))) {
            s[j] = static_cast<char>(ToCapital(static_cast<uint8_t>(s[j])));
        }
        ++i;
        ++j;
    }
    return s;
}

bool EndsWithPossessive(std::string_view capitals) {
    return capitals.size() >= 2 && capitals.substr(capitals.size() - 2) == "'S";
}

bool IsAOrI(char c) {
    return c == 'A' || c == 'I';
}

} // namespace

bool TAcropSpell::OpenDictionary(const std::string& fileName) {
    if (open_ || (!blocks_.empty() && blocks_.front()->Kind() == BlockKind::MainFirst)) {
        return false;
    }
    auto file = std::make_shared<BinaryFile>();
    uint64_t offset = 0;
    uint64_t size = 0;
    BlockHeader header;
    if (file->Open(fileName, BinaryFile::Mode::Read) < 0 || SkipTextHeader(*file, offset) < 0 ||
        ReadBlockHeader(*file, offset, header) < 0 || header.Kind == 0 || file->Size(size) < 0) {
        return false;
    }
    blocks_.push_front(std::make_unique<DictionaryBlock>(file, BlockKind::MainFirst, header));
    for (;;) {
        offset = header.End() + uint64_t{kNodeSize} * header.Capacity;
        if (offset + kMinBlockBytes > size || ReadBlockHeader(*file, offset, header) < 0) {
            break;
        }
        blocks_.push_back(std::make_unique<DictionaryBlock>(file, BlockKind::MainFurther, header));
    }
    open_ = true;
    dictionaryName_ = fileName;
    return true;
}

int TAcropSpell::NextIdentifier() {
    const int id = nextIdentifier_;
    nextIdentifier_ = nextIdentifier_ >= 65534 ? 0 : nextIdentifier_ + 1;
    return id;
}

int TAcropSpell::OpenUserDictionary(const std::string& fileName) {
    auto file = std::make_shared<BinaryFile>();
    uint64_t offset = 0;
    BlockHeader header;
    if (file->Open(fileName, BinaryFile::Mode::ReadWrite) < 0 || SkipTextHeader(*file, offset) < 0 ||
        ReadBlockHeader(*file, offset, header) < 0 || header.Kind != 0) {
        return -1;
    }
    const int id = NextIdentifier();
    blocks_.push_back(std::make_unique<DictionaryBlock>(std::move(file), BlockKind::User, header, id));
    return id;
}

int TAcropSpell::CreateUserDictionary(const std::string& fileName, std::vector<std::string> words) {
    std::string text;
    text.append(kUserTitle).append("\r\n").append(kUserNotice).append("\r\n");
    text += static_cast<char>(kTextHeaderEnd);
    BlockHeader header{1, kUserCapacity, 1, 0, static_cast<uint32_t>(text.size())};
    std::vector<uint8_t> bytes(text.begin(), text.end());
    const auto headerBytes = header.Serialize();
    bytes.insert(bytes.end(), headerBytes.begin(), headerBytes.end());
    for (uint32_t i = 1; i <= kUserCapacity; ++i) {
        // Node 1 is the word "A"; the others are free.
        const DictionaryNode node{i == 1 ? uint16_t{0} : kFreeNode, kLastOfRun | kWordEnd};
        uint8_t n[kNodeSize];
        node.Serialize(n);
        bytes.insert(bytes.end(), n, n + kNodeSize);
    }
    BinaryFile file;
    if (file.Create(fileName) < 0) {
        return -1;
    }
    if (file.WriteAll(bytes.data(), bytes.size()) < 0 || file.Close() < 0) {
        file.Close();
        std::remove(fileName.c_str());
        return -1;
    }
    const int id = OpenUserDictionary(fileName);
    if (id < 0) {
        return -1;
    }
    std::sort(words.begin(), words.end());
    for (const auto& w : words) {
        AddWord(w, id);
    }
    return id;
}

void TAcropSpell::Prepare() {
    if (!open_) {
        OpenDictionary(dictionaryName_);
    }
    for (auto& block : blocks_) {
        if (block->IsUser()) {
            block->RefreshHeader(); // on a read error the last header read stays in use
        }
    }
}

bool TAcropSpell::Lookup(std::string_view capitals) {
    if (capitals.size() <= 1) {
        return true;
    }
    for (auto& block : blocks_) {
        if (BlockHasWord(*block, capitals)) {
            return true;
        }
    }
    return EndsWithPossessive(capitals) && Lookup(capitals.substr(0, capitals.size() - 2));
}

bool TAcropSpell::IsWord(std::string_view word) {
    Prepare();
    return Lookup(ToCapitals(word));
}

std::vector<std::string> TAcropSpell::Suggest(std::string_view word) {
    Prepare();
    const std::string_view typed = word.substr(0, std::min(word.size(), kMaxWordLength));
    const std::string w = ToCapitals(typed);
    if (w.empty()) {
        return {};
    }
    SuggestionList list(static_cast<size_t>(maxSuggestions_));
    SoundKey target = MakeSoundKey(w);
    for (const char first : FirstLetterAlternatives(static_cast<uint8_t>(w[0]))) {
        target[0] = static_cast<uint8_t>(first);
        for (auto& block : blocks_) {
            CollectCandidates(*block, target, w, list);
        }
    }
    // Two words run together: INTHE gives IN THE. Only A and I stand alone as one letter.
    const size_t first = IsAOrI(w.front()) ? 1 : 2;
    const size_t fromEnd = IsAOrI(w.back()) ? 1 : 2;
    for (size_t d = first; d + fromEnd <= w.size(); ++d) {
        const std::string_view head = std::string_view(w).substr(0, d);
        const std::string_view tail = std::string_view(w).substr(d);
        if (Lookup(head) && Lookup(tail)) {
            std::string candidate = std::string(head) + ' ' + std::string(tail);
            const int score = Similarity(candidate, w);
            list.Offer(std::move(candidate), score);
        }
    }
    std::vector<std::string> result;
    for (const auto& entry : list.Entries()) {
        result.push_back(RestoreCase(entry.Word, typed));
    }
    return result;
}

bool TAcropSpell::AddWord(std::string_view word, int identifier) {
    Prepare();
    if (identifier < 0) {
        return false;
    }
    const auto found = std::find_if(blocks_.begin(), blocks_.end(), [&](const auto& b) {
        return b->IsUser() && b->Identifier() == identifier;
    });
    if (found == blocks_.end()) {
        return false;
    }
    DictionaryBlock& block = **found;
    const uint32_t used = block.Header().NodesUsed;
    if (word.empty() || word.size() > kMaxWordLength || uint64_t{used} + word.size() > kMaxUserNodes) {
        return true;
    }
    std::vector<uint8_t> codes;
    for (const char c : ToCapitals(word)) {
        codes.push_back(LetterCode(static_cast<uint8_t>(c)));
    }
    std::vector<DictionaryNode> nodes;
    if (used > 0 && block.ReadNodes(1, used, nodes) < 0) {
        return false;
    }
    nodes.insert(nodes.begin(), DictionaryNode{});
    const auto inserted = InsertWord(nodes, codes);
    if (!inserted) {
        return false;
    }
    if (inserted->FirstChanged == 0) {
        return true;
    }
    return WriteInsertion(block, nodes, inserted->FirstChanged) >= 0;
}

int TAcropSpell::WriteInsertion(DictionaryBlock& block, const std::vector<DictionaryNode>& nodes,
                                uint32_t firstChanged) {
    const auto used = static_cast<uint32_t>(nodes.size() - 1);
    uint64_t size = 0;
    if (const int rc = block.FileSize(size); rc < 0) {
        return rc;
    }
    // Nodes past the end of the file go first: if the file cannot grow it is cut back and
    // nothing else has changed.
    const uint64_t base = block.Header().NodeBase();
    const uint64_t inFile = size >= base + kNodeSize ? (size - base) / kNodeSize - 1 : 0;
    const uint32_t tail = static_cast<uint32_t>(std::max<uint64_t>(firstChanged, inFile + 1));
    if (tail <= used) {
        if (const int rc = block.WriteNodes(tail, &nodes[tail], used - tail + 1); rc < 0) {
            block.TruncateFile(size);
            return rc;
        }
    }
    for (uint32_t i = firstChanged; i < std::min(tail, used + 1); i += kRewriteChunk) {
        const uint32_t count = std::min(kRewriteChunk, std::min(tail, used + 1) - i);
        if (const int rc = block.WriteNodes(i, &nodes[i], count); rc < 0) {
            return rc;
        }
    }
    BlockHeader header = block.Header();
    header.NodesUsed = used;
    header.Capacity = std::max(header.Capacity, used);
    ++header.WordCount;
    block.SetHeader(header);
    return block.WriteHeader();
}

void TAcropSpell::CloseDictionaries() {
    blocks_.clear();
    open_ = false;
}

void TAcropSpell::SetMaxSuggestions(int count) {
    maxSuggestions_ = std::clamp(count, 0, kMaxMaxSuggestions);
}

} // namespace tolvane
