#include "editing/spell/Similarity.h"

#include <algorithm>

namespace tolvane {
namespace {

constexpr size_t kMaxText = 30;

// Twice the length of the longest common part of s[a..b] and t[c..d] (1-based, inclusive; the
// first one found when several are equally long), plus the same for the parts on either side
// of it. A range of one character is not examined, so one-letter words never score.
int CommonParts(std::string_view s, std::string_view t, int a, int b, int c, int d) {
    if (a >= b || c >= d) {
        return 0;
    }
    int best = 0;
    int bestI = 0;
    int bestJ = 0;
    for (int i = a; i <= b && b - i + 1 > best; ++i) {
        for (int j = c; j <= d && d - j + 1 > best; ++j) {
            int n = 0;
            while (i + n <= b && j + n <= d && s[i + n - 1] == t[j + n - 1]) {
                ++n;
            }
            if (n > best) {
                best = n;
                bestI = i;
                bestJ = j;
            }
        }
    }
    if (best == 0) {
        return 0;
    }
    return 2 * best + CommonParts(s, t, bestI + best, b, bestJ + best, d) +
           CommonParts(s, t, a, bestI - 1, c, bestJ - 1);
}

} // namespace

int SimilarityBound(size_t sLength, size_t tLength) {
    sLength = std::min(sLength, kMaxText);
    tLength = std::min(tLength, kMaxText);
    if (sLength + tLength == 0) {
        return 0;
    }
    return static_cast<int>(200 * std::min(sLength, tLength) / (sLength + tLength));
}

int Similarity(std::string_view s, std::string_view t) {
    s = s.substr(0, std::min(s.size(), kMaxText));
    t = t.substr(0, std::min(t.size(), kMaxText));
    if (s.empty() && t.empty()) {
        return 0;
    }
    const int total = CommonParts(s, t, 1, static_cast<int>(s.size()), 1, static_cast<int>(t.size()));
    return total * 100 / static_cast<int>(s.size() + t.size());
}

} // namespace tolvane
