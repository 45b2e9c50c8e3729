#include "platform/xbase/KeyStore.h"

#include <algorithm>
#include <cstring>

namespace tolvane {

void KeyStore::Clear() {
    chunks_.clear();
    size_ = 0;
}

int KeyStore::Compare(const uint8_t* keyA, uint32_t recA, const uint8_t* keyB, uint32_t recB) const {
    const int c = std::memcmp(keyA, keyB, keyLength_);
    if (c != 0) {
        return c;
    }
    return recA < recB ? -1 : recA > recB ? 1 : 0;
}

void KeyStore::Assign(const std::vector<uint8_t>& keys, const std::vector<uint32_t>& records) {
    Clear();
    const size_t half = kChunkMax / 2;
    for (size_t start = 0; start < records.size(); start += half) {
        const size_t n = std::min(half, records.size() - start);
        Chunk c;
        c.keys.assign(keys.begin() + static_cast<std::ptrdiff_t>(start * keyLength_),
                      keys.begin() + static_cast<std::ptrdiff_t>((start + n) * keyLength_));
        c.records.assign(records.begin() + static_cast<std::ptrdiff_t>(start),
                         records.begin() + static_cast<std::ptrdiff_t>(start + n));
        chunks_.push_back(std::move(c));
    }
    size_ = records.size();
}

size_t KeyStore::FindChunk(const uint8_t* key, uint32_t record) const {
    // First chunk whose last entry is not below the entry; the last chunk takes larger ones.
    size_t lo = 0;
    size_t hi = chunks_.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        const Chunk& c = chunks_[mid];
        const size_t last = c.records.size() - 1;
        if (Compare(c.keys.data() + last * keyLength_, c.records[last], key, record) < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo < chunks_.size() ? lo : chunks_.size() - 1;
}

size_t KeyStore::LowerBound(const Chunk& c, const uint8_t* key, uint32_t record) const {
    size_t lo = 0;
    size_t hi = c.records.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (Compare(c.keys.data() + mid * keyLength_, c.records[mid], key, record) < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return lo;
}

void KeyStore::Insert(const uint8_t* key, uint32_t record) {
    if (chunks_.empty()) {
        Chunk c;
        c.keys.assign(key, key + keyLength_);
        c.records.push_back(record);
        chunks_.push_back(std::move(c));
        size_ = 1;
        return;
    }
    const size_t ci = FindChunk(key, record);
    Chunk& c = chunks_[ci];
    const size_t pos = LowerBound(c, key, record);
    c.keys.insert(c.keys.begin() + static_cast<std::ptrdiff_t>(pos * keyLength_), key, key + keyLength_);
    c.records.insert(c.records.begin() + static_cast<std::ptrdiff_t>(pos), record);
    ++size_;
    if (c.records.size() > kChunkMax) {
        const size_t half = c.records.size() / 2;
        Chunk upper;
        upper.keys.assign(c.keys.begin() + static_cast<std::ptrdiff_t>(half * keyLength_), c.keys.end());
        upper.records.assign(c.records.begin() + static_cast<std::ptrdiff_t>(half), c.records.end());
        c.keys.resize(half * keyLength_);
        c.records.resize(half);
        chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(ci + 1), std::move(upper));
    }
}

bool KeyStore::Erase(const uint8_t* key, uint32_t record) {
    if (chunks_.empty()) {
        return false;
    }
    const size_t ci = FindChunk(key, record);
    Chunk& c = chunks_[ci];
    const size_t pos = LowerBound(c, key, record);
    if (pos == c.records.size() ||
        Compare(c.keys.data() + pos * keyLength_, c.records[pos], key, record) != 0) {
        return false;
    }
    c.keys.erase(c.keys.begin() + static_cast<std::ptrdiff_t>(pos * keyLength_),
                 c.keys.begin() + static_cast<std::ptrdiff_t>((pos + 1) * keyLength_));
    c.records.erase(c.records.begin() + static_cast<std::ptrdiff_t>(pos));
    --size_;
    if (c.records.empty()) {
        chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(ci));
    }
    return true;
}

} // namespace tolvane
