// How alike two words are, from 0 (nothing in common) to 100 (equal): twice the characters of
// the common parts found by repeatedly taking the longest common substring, over both lengths.
#pragma once

#include <string_view>

namespace tolvane {

// At most 30 characters of each text count.
int Similarity(std::string_view s, std::string_view t);
// The highest score texts of these lengths can reach (both equal up to the shorter length).
int SimilarityBound(size_t sLength, size_t tLength);

} // namespace tolvane
