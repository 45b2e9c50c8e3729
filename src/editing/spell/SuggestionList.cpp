#include "editing/spell/SuggestionList.h"

#include <algorithm>

namespace tolvane {

int SuggestionList::Threshold() const {
    if (capacity_ == 0) {
        return 100; // no score is above it
    }
    return entries_.size() < capacity_ ? -1 : entries_.back().Score;
}

void SuggestionList::Offer(std::string word, int score) {
    if (capacity_ == 0) {
        return;
    }
    word.resize(std::min<size_t>(word.size(), 30));
    if (std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.Word == word; })) {
        return;
    }
    const auto lower =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.Score < score; });
    if (lower == entries_.end() && entries_.size() == capacity_) {
        return;
    }
    entries_.insert(lower, Entry{std::move(word), score});
    if (entries_.size() > capacity_) {
        entries_.pop_back();
    }
}

} // namespace tolvane
