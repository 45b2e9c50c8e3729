// The entries of one index tag in memory: (key, record number) pairs in ascending order (keys
// by unsigned bytes, ties by record number), kept in chunks so that inserting and erasing cost
// little at any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tolvane {

class KeyStore {
public:
    explicit KeyStore(size_t keyLength = 1) : keyLength_(keyLength) {}

    size_t KeyLength() const { return keyLength_; }
    size_t Size() const { return size_; }
    void Clear();

    // Takes entries that are already in order (the keys packed, keyLength bytes each).
    void Assign(const std::vector<uint8_t>& keys, const std::vector<uint32_t>& records);
    void Insert(const uint8_t* key, uint32_t record);
    bool Erase(const uint8_t* key, uint32_t record); // false when the entry is absent

    // Calls f(key, record) for every entry in ascending order.
    template <class F> void ForEach(F&& f) const {
        for (const Chunk& c : chunks_) {
            for (size_t i = 0; i < c.records.size(); ++i) {
                f(c.keys.data() + i * keyLength_, c.records[i]);
            }
        }
    }

private:
    struct Chunk {
        std::vector<uint8_t> keys;
        std::vector<uint32_t> records;
    };
    static constexpr size_t kChunkMax = 512;

    int Compare(const uint8_t* keyA, uint32_t recA, const uint8_t* keyB, uint32_t recB) const;
    // The chunk whose range holds the entry, and the position of the first entry not below it.
    size_t FindChunk(const uint8_t* key, uint32_t record) const;
    size_t LowerBound(const Chunk& c, const uint8_t* key, uint32_t record) const;

    size_t keyLength_;
    size_t size_ = 0;
    std::vector<Chunk> chunks_;
};

} // namespace tolvane
