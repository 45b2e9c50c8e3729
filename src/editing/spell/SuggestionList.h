// The best candidates of one suggestion run, highest score first.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tolvane {

class SuggestionList {
public:
    struct Entry {
        std::string Word; // capitals, at most 30 characters
        int Score = 0;
    };

    explicit SuggestionList(size_t capacity) : capacity_(capacity) {}

    // A candidate goes in before the first entry with a lower score, so among equal scores the
    // earlier one stays first; a full list drops its last entry for it and refuses a candidate
    // that beats none of its entries. A word already listed is not listed twice.
    void Offer(std::string word, int score);
    const std::vector<Entry>& Entries() const { return entries_; }
    // A candidate is taken only when it scores above this (-1 while the list has room).
    int Threshold() const;

private:
    size_t capacity_;
    std::vector<Entry> entries_;
};

} // namespace tolvane
