#include "platform/xbase/CdxFormat.h"

#include "platform/xbase/ByteOrder.h"
#include "platform/xbase/XbTypes.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

namespace tolvane {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr size_t kHeaderSize = 1024;
constexpr size_t kLeafData = 488; // bytes after the 24-byte leaf header
constexpr size_t kBranchData = 500;
constexpr size_t kMaxDepth = 32;
constexpr size_t kMaxTags = 256;
constexpr uint16_t kAttrRoot = 0x01;
constexpr uint16_t kAttrLeaf = 0x02;
constexpr uint8_t kOptUnique = 0x01;
constexpr uint8_t kOptFor = 0x08;
constexpr uint8_t kOptCompact = 0x20;
constexpr uint8_t kOptCompound = 0x40;
constexpr uint8_t kOptDirectory = 0x80;
constexpr size_t kNameLength = 10;

uint32_t Mask(unsigned bits) {
    return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
}

// D = T = the number of bits that hold the key length.
unsigned CountBits(size_t keyLength) {
    return static_cast<unsigned>(std::bit_width(keyLength));
}

struct TagHeader {
    uint32_t root = 0;
    size_t keyLength = 0;
    uint8_t options = 0;
    bool descending = false;
    std::string keyExpression;
    std::string forExpression;
};

std::string PoolString(const uint8_t* pool, size_t offset, size_t length) {
    const auto* start = reinterpret_cast<const char*>(pool + offset);
    const size_t n = strnlen(start, length);
    return std::string(start, n);
}

bool ParseTagHeader(const std::vector<uint8_t>& file, size_t offset, TagHeader& h, std::string& error) {
    if (offset % kCdxPage != 0 || offset < kHeaderSize || offset + kHeaderSize > file.size()) {
        error = "tag header offset " + std::to_string(offset) + " lies outside the file";
        return false;
    }
    const uint8_t* p = file.data() + offset;
    h.root = Le32(p);
    h.keyLength = Le16(p + 12);
    h.options = p[14];
    h.descending = Le16(p + 502) == 1;
    if (h.keyLength < 1 || h.keyLength > kCdxMaxKeyLength) {
        error = "key length " + std::to_string(h.keyLength);
        return false;
    }
    if ((h.options & kOptCompact) == 0 || p[15] != 1) {
        error = "not a compact index tag";
        return false;
    }
    const size_t forOff = Le16(p + 504), forLen = Le16(p + 506);
    const size_t keyOff = Le16(p + 508), keyLen = Le16(p + 510);
    if (keyOff + keyLen > kCdxPage || forOff + forLen > kCdxPage) {
        error = "expressions outside the expression pool";
        return false;
    }
    h.keyExpression = PoolString(p + 512, keyOff, keyLen);
    h.forExpression = forLen > 1 ? PoolString(p + 512, forOff, forLen) : std::string();
    if ((h.options & kOptDirectory) == 0 && h.keyExpression.empty()) {
        error = "no key expression";
        return false;
    }
    if (((h.options & kOptFor) != 0) != !h.forExpression.empty()) {
        error = "FOR flag and FOR expression disagree";
        return false;
    }
    return true;
}

// Walks one tree from its root and collects its entries in order.
class TreeReader {
public:
    TreeReader(const std::vector<uint8_t>& file, size_t keyLength, uint8_t pad, size_t maxEntries)
        : file_(file), keyLength_(keyLength), pad_(pad), maxEntries_(maxEntries),
          visited_(file.size() / kCdxPage) {}

    bool Read(uint32_t root, std::string& error) {
        if (!Walk(root, 0, true, error)) {
            return false;
        }
        return CheckSiblings(error) && CheckOrder(error);
    }

    std::vector<uint8_t> keys;
    std::vector<uint32_t> records;

private:
    bool Walk(uint32_t offset, size_t depth, bool isRoot, std::string& error) {
        if (depth > kMaxDepth) {
            error = "tree deeper than " + std::to_string(kMaxDepth);
            return false;
        }
        if (offset % kCdxPage != 0 || offset < kHeaderSize ||
            static_cast<uint64_t>(offset) + kCdxPage > file_.size()) {
            error = "page offset " + std::to_string(offset) + " lies outside the file";
            return false;
        }
        if (visited_[offset / kCdxPage]) {
            error = "page " + std::to_string(offset) + " is reached twice";
            return false;
        }
        visited_[offset / kCdxPage] = true;
        if (levels_.size() <= depth) {
            levels_.resize(depth + 1);
        }
        levels_[depth].push_back(offset);
        const uint8_t* p = file_.data() + offset;
        const uint16_t attr = Le16(p);
        if ((attr & ~0x07) != 0 || ((attr & kAttrRoot) != 0) != isRoot) {
            error = "page " + std::to_string(offset) + " has bad attributes";
            return false;
        }
        if ((attr & kAttrLeaf) != 0) {
            if (leafDepth_ == kNone) {
                leafDepth_ = static_cast<uint32_t>(depth);
            } else if (leafDepth_ != depth) {
                error = "leaves at different depths";
                return false;
            }
            return Leaf(p, offset, isRoot, error);
        }
        const size_t count = Le16(p + 2);
        const size_t entry = keyLength_ + 8;
        if (count < 1 || count > kBranchData / entry) {
            error = "branch page " + std::to_string(offset) + " has " + std::to_string(count) + " entries";
            return false;
        }
        for (size_t i = 0; i < count; ++i) {
            const uint8_t* e = p + 12 + i * entry;
            const size_t before = records.size();
            if (!Walk(Be32(e + keyLength_ + 4), depth + 1, false, error)) {
                return false;
            }
            if (records.size() == before || records.back() != Be32(e + keyLength_) ||
                std::memcmp(keys.data() + (records.size() - 1) * keyLength_, e, keyLength_) != 0) {
                error = "branch page " + std::to_string(offset) + " does not match its child";
                return false;
            }
        }
        return true;
    }

    bool Leaf(const uint8_t* p, uint32_t offset, bool isRoot, std::string& error) {
        const auto bad = [&](const char* what) {
            error = "leaf page " + std::to_string(offset) + ": " + what;
            return false;
        };
        const size_t count = Le16(p + 2);
        const size_t free = Le16(p + 12);
        const uint32_t recMask = Le32(p + 14);
        const unsigned r = p[20], d = p[21], t = p[22], e = p[23];
        if (e < 1 || e > 4 || r + d + t != 8 * e || r > 32 || recMask != Mask(r) || p[18] != Mask(d) ||
            p[19] != Mask(t)) {
            return bad("bad entry layout");
        }
        if (count == 0 && !isRoot) {
            return bad("empty");
        }
        if (24 + count * e > kCdxPage) {
            return bad("too many entries");
        }
        if (records.size() + count > maxEntries_) {
            return bad("more keys than records");
        }
        std::vector<uint8_t> prev(keyLength_, pad_);
        size_t pos = kCdxPage;
        size_t stored = 0;
        for (size_t i = 0; i < count; ++i) {
            uint64_t v = 0;
            for (unsigned b = 0; b < e; ++b) {
                v |= static_cast<uint64_t>(p[24 + i * e + b]) << (8 * b);
            }
            const uint32_t rec = static_cast<uint32_t>(v & recMask);
            size_t dup = i == 0 ? 0 : static_cast<size_t>((v >> r) & Mask(d));
            const size_t trail = static_cast<size_t>((v >> (r + d)) & Mask(t));
            if (dup + trail > keyLength_) {
                return bad("key longer than the key length");
            }
            const size_t n = keyLength_ - dup - trail;
            if (pos < 24 + count * e + n) {
                return bad("keys overlap the entries");
            }
            pos -= n;
            stored += n;
            std::memcpy(prev.data() + dup, p + pos, n);
            std::memset(prev.data() + dup + n, pad_, trail);
            keys.insert(keys.end(), prev.begin(), prev.end());
            records.push_back(rec);
        }
        if (kLeafData - count * e - stored != free) {
            return bad("free space does not add up");
        }
        return true;
    }

    bool CheckSiblings(std::string& error) const {
        for (const std::vector<uint32_t>& level : levels_) {
            for (size_t i = 0; i < level.size(); ++i) {
                const uint8_t* p = file_.data() + level[i];
                const uint32_t left = i == 0 ? kNone : level[i - 1];
                const uint32_t right = i + 1 == level.size() ? kNone : level[i + 1];
                if (Le32(p + 4) != left || Le32(p + 8) != right) {
                    error = "sibling links of page " + std::to_string(level[i]) + " are wrong";
                    return false;
                }
            }
        }
        return true;
    }

    bool CheckOrder(std::string& error) const {
        for (size_t i = 1; i < records.size(); ++i) {
            const int c =
                std::memcmp(keys.data() + (i - 1) * keyLength_, keys.data() + i * keyLength_, keyLength_);
            if (c > 0 || (c == 0 && records[i - 1] >= records[i])) {
                error = "keys out of order";
                return false;
            }
        }
        return true;
    }

    const std::vector<uint8_t>& file_;
    size_t keyLength_;
    uint8_t pad_;
    size_t maxEntries_;
    std::vector<bool> visited_;
    std::vector<std::vector<uint32_t>> levels_;
    uint32_t leafDepth_ = kNone;
};

// --- Writing -------------------------------------------------------------------------------

struct LeafFormat {
    unsigned r, d, t, e;
};

LeafFormat ChooseFormat(size_t keyLength, uint32_t maxRecord, const std::string& what) {
    const unsigned d = CountBits(keyLength);
    const unsigned need = std::max(1u, static_cast<unsigned>(std::bit_width(maxRecord)));
    for (unsigned e = 3; e <= 4; ++e) {
        if (8 * e >= 2 * d + need) {
            return {8 * e - 2 * d, d, d, e};
        }
    }
    throw EXBaseError(XbError::BadIndex, what + ": record number " + std::to_string(maxRecord) +
                                             " does not fit the index format");
}

struct PageRef {
    uint32_t offset;
    size_t last; // index of the subtree's last entry
};

class TreeWriter {
public:
    TreeWriter(std::vector<uint8_t>& out, size_t keyLength, uint8_t pad, const std::vector<uint8_t>& keys,
               const std::vector<uint32_t>& records, const std::string& what)
        : out_(out), keyLength_(keyLength), pad_(pad), keys_(keys), records_(records) {
        const uint32_t maxRecord = records.empty() ? 1 : *std::max_element(records.begin(), records.end());
        format_ = ChooseFormat(keyLength, maxRecord, what);
    }

    // Appends the pages and returns the root's offset.
    uint32_t Write() {
        std::vector<PageRef> level = Leaves();
        while (level.size() > 1) {
            level = Branches(level);
        }
        SetRoot(level[0].offset);
        return level[0].offset;
    }

private:
    const uint8_t* Key(size_t i) const { return keys_.data() + i * keyLength_; }

    size_t Trail(size_t i) const {
        size_t n = 0;
        while (n < keyLength_ && Key(i)[keyLength_ - 1 - n] == pad_) {
            ++n;
        }
        return n;
    }

    uint32_t NewPage() {
        const auto offset = static_cast<uint32_t>(out_.size());
        out_.resize(out_.size() + kCdxPage, 0);
        return offset;
    }

    void Link(const std::vector<PageRef>& level) {
        for (size_t i = 0; i < level.size(); ++i) {
            uint8_t* p = out_.data() + level[i].offset;
            PutLe32(p + 4, i == 0 ? kNone : level[i - 1].offset);
            PutLe32(p + 8, i + 1 == level.size() ? kNone : level[i + 1].offset);
        }
    }

    void SetRoot(uint32_t offset) {
        uint8_t* p = out_.data() + offset;
        PutLe16(p, Le16(p) | kAttrRoot);
    }

    std::vector<PageRef> Leaves() {
        std::vector<PageRef> pages;
        const LeafFormat f = format_;
        size_t i = 0;
        do {
            const uint32_t offset = NewPage();
            uint8_t* p = out_.data() + offset;
            PutLe16(p, kAttrLeaf);
            PutLe32(p + 14, Mask(f.r));
            p[18] = static_cast<uint8_t>(Mask(f.d));
            p[19] = static_cast<uint8_t>(Mask(f.t));
            p[20] = static_cast<uint8_t>(f.r);
            p[21] = static_cast<uint8_t>(f.d);
            p[22] = static_cast<uint8_t>(f.t);
            p[23] = static_cast<uint8_t>(f.e);
            size_t used = 0;
            size_t count = 0;
            size_t pos = kCdxPage;
            size_t prevTrail = 0;
            for (; i < records_.size(); ++i) {
                const size_t trail = Trail(i);
                size_t dup = 0;
                if (count > 0) {
                    const size_t limit = keyLength_ - std::max(prevTrail, trail);
                    while (dup < limit && Key(i)[dup] == Key(i - 1)[dup]) {
                        ++dup;
                    }
                }
                const size_t stored = keyLength_ - dup - trail;
                if (used + f.e + stored > kLeafData) {
                    break;
                }
                const uint64_t v = records_[i] | (static_cast<uint64_t>(dup) << f.r) |
                                   (static_cast<uint64_t>(trail) << (f.r + f.d));
                for (unsigned b = 0; b < f.e; ++b) {
                    p[24 + count * f.e + b] = static_cast<uint8_t>(v >> (8 * b));
                }
                pos -= stored;
                std::memcpy(p + pos, Key(i) + dup, stored);
                used += f.e + stored;
                prevTrail = trail;
                ++count;
            }
            PutLe16(p + 2, count);
            PutLe16(p + 12, kLeafData - used);
            pages.push_back({offset, i == 0 ? 0 : i - 1});
        } while (i < records_.size());
        Link(pages);
        return pages;
    }

    std::vector<PageRef> Branches(const std::vector<PageRef>& children) {
        const size_t entry = keyLength_ + 8;
        const size_t max = kBranchData / entry;
        const size_t groups = (children.size() + max - 1) / max;
        const size_t per = (children.size() + groups - 1) / groups;
        std::vector<PageRef> pages;
        for (size_t start = 0; start < children.size(); start += per) {
            const size_t n = std::min(per, children.size() - start);
            const uint32_t offset = NewPage();
            uint8_t* p = out_.data() + offset;
            PutLe16(p + 2, n);
            for (size_t j = 0; j < n; ++j) {
                const PageRef& c = children[start + j];
                uint8_t* e = p + 12 + j * entry;
                std::memcpy(e, Key(c.last), keyLength_);
                PutBe32(e + keyLength_, records_[c.last]);
                PutBe32(e + keyLength_ + 4, c.offset);
            }
            pages.push_back({offset, children[start + n - 1].last});
        }
        Link(pages);
        return pages;
    }

    std::vector<uint8_t>& out_;
    size_t keyLength_;
    uint8_t pad_;
    const std::vector<uint8_t>& keys_;
    const std::vector<uint32_t>& records_;
    LeafFormat format_{};
};

void WriteTagHeader(uint8_t* p, uint32_t root, size_t keyLength, uint8_t options, bool descending,
                    const std::string& keyExpression, const std::string& forExpression) {
    PutLe32(p, root);
    PutLe16(p + 12, keyLength);
    p[14] = options;
    p[15] = 1;
    PutLe16(p + 502, descending ? 1 : 0);
    PutLe16(p + 504, keyExpression.size() + 1);
    PutLe16(p + 506, forExpression.size() + 1);
    PutLe16(p + 508, 0);
    PutLe16(p + 510, keyExpression.size() + 1);
    std::memcpy(p + 512, keyExpression.data(), keyExpression.size());
    std::memcpy(p + 512 + keyExpression.size() + 1, forExpression.data(), forExpression.size());
}

} // namespace

bool ReadCdx(const std::vector<uint8_t>& file, uint32_t recordCount, const CdxPadOf& padOf,
             std::vector<CdxTagRead>& tags, std::vector<std::string>& dropped, std::string& error) {
    tags.clear();
    dropped.clear();
    if (file.size() < kHeaderSize + kCdxPage) {
        error = "index file too short";
        return false;
    }
    const uint8_t* bag = file.data();
    const size_t nameLength = Le16(bag + 12);
    if (bag[15] != 1 || (bag[14] & kOptCompact) == 0 || nameLength < 1 || nameLength > kCdxMaxKeyLength) {
        error = "not a compact compound index file";
        return false;
    }
    TreeReader directory(file, nameLength, ' ', kMaxTags);
    if (!directory.Read(Le32(bag), error)) {
        error = "tag directory: " + error;
        return false;
    }
    for (size_t i = 0; i < directory.records.size(); ++i) {
        std::string name(reinterpret_cast<const char*>(directory.keys.data() + i * nameLength), nameLength);
        name.erase(name.find_last_not_of(std::string(" \0", 2)) + 1);
        TagHeader h;
        std::string fault;
        if (!ParseTagHeader(file, directory.records[i], h, fault)) {
            dropped.push_back("tag " + name + ": " + fault);
            continue;
        }
        const int pad = padOf(h.keyExpression, fault);
        if (pad < 0) {
            dropped.push_back("tag " + name + ": " + fault);
            continue;
        }
        CdxTagRead tag;
        tag.name = name;
        tag.keyExpression = h.keyExpression;
        tag.forExpression = h.forExpression;
        tag.descending = h.descending;
        tag.unique = (h.options & kOptUnique) != 0;
        tag.keyLength = h.keyLength;
        TreeReader tree(file, h.keyLength, static_cast<uint8_t>(pad), recordCount);
        tag.pagesOk = tree.Read(h.root, tag.fault);
        for (size_t k = 0; tag.pagesOk && k < tree.records.size(); ++k) {
            if (tree.records[k] < 1 || tree.records[k] > recordCount) {
                tag.pagesOk = false;
                tag.fault = "record number " + std::to_string(tree.records[k]) + " is not in the table";
            }
        }
        if (tag.pagesOk && tag.unique) {
            for (size_t k = 1; k < tree.records.size(); ++k) {
                if (std::memcmp(tree.keys.data() + (k - 1) * h.keyLength, tree.keys.data() + k * h.keyLength,
                                h.keyLength) == 0) {
                    tag.pagesOk = false;
                    tag.fault = "a unique tag holds a key twice";
                    break;
                }
            }
        }
        if (tag.pagesOk) {
            tag.keys = std::move(tree.keys);
            tag.records = std::move(tree.records);
        }
        tags.push_back(std::move(tag));
    }
    return true;
}

std::vector<uint8_t> WriteCdx(const std::vector<CdxTagWrite>& tags) {
    std::vector<size_t> order(tags.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return tags[a].name < tags[b].name; });

    std::vector<uint8_t> out(kHeaderSize, 0);
    WriteTagHeader(out.data(), 0, kNameLength, kOptCompact | kOptCompound | kOptDirectory, false, "", "");
    // An empty expression pool: key and FOR are both just their NUL.
    PutLe16(out.data() + 504, 1);

    if (tags.size() > kMaxTags) {
        throw EXBaseError(XbError::BadIndex, "too many tags");
    }
    std::vector<uint8_t> names;
    std::vector<uint32_t> offsets;
    // Tags follow the directory page; lay them out after it, then write the directory.
    std::vector<uint8_t> body;
    const size_t bodyStart = kHeaderSize + kCdxPage;
    body.resize(bodyStart, 0);
    for (const size_t index : order) {
        const CdxTagWrite& t = tags[index];
        std::string name = t.name.substr(0, kNameLength);
        name.resize(kNameLength, ' ');
        names.insert(names.end(), name.begin(), name.end());
        const auto headerOffset = static_cast<uint32_t>(body.size());
        offsets.push_back(headerOffset);
        body.resize(body.size() + kHeaderSize, 0);
        TreeWriter writer(body, t.keyLength, t.pad, *t.keys, *t.records, "tag " + t.name);
        const uint32_t root = writer.Write();
        const auto options =
            static_cast<uint8_t>(kOptCompact | kOptCompound | (t.forExpression.empty() ? 0 : kOptFor) |
                                 (t.unique ? kOptUnique : 0));
        WriteTagHeader(body.data() + headerOffset, root, t.keyLength, options, t.descending, t.keyExpression,
                       t.forExpression);
    }
    // The directory: a tree of its own, usually one root leaf at 0x400.
    std::vector<uint8_t> directory(kHeaderSize, 0);
    TreeWriter dirWriter(directory, kNameLength, ' ', names, offsets, "tag directory");
    dirWriter.Write();
    const size_t dirPages = (directory.size() - kHeaderSize) / kCdxPage;
    if (dirPages != 1) {
        throw EXBaseError(XbError::BadIndex, "too many tags for one directory page");
    }
    std::memcpy(body.data() + kHeaderSize, directory.data() + kHeaderSize, kCdxPage);
    std::memcpy(body.data(), out.data(), kHeaderSize);
    PutLe32(body.data(), static_cast<uint32_t>(kHeaderSize));
    return body;
}

} // namespace tolvane
