// Spell checking a 2,000-word document with the built main dictionary and a user dictionary, the
// way the spell-check dialog does: IsWord on every word, Suggest on every word it rejects.
// Goal: a full check under 100 ms.
#include "editing/spell/AcropSpell.h"
#include "editing/spell/Cp1252Letters.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using tolvane::TAcropSpell;

const std::string kMain = TOLVANE_BINARY_DIR "/qob.dct";
constexpr size_t kDocumentWords = 2000;

bool IsWordByte(char c) {
    const auto u = static_cast<uint8_t>(c);
    return c == '\'' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || u >= 0xC0;
}

// A real English text: the first 2,000 words of the GPL (its terms make a few misses).
std::vector<std::string> LicenceDocument() {
    std::ifstream in("/usr/share/common-licenses/GPL-3");
    std::vector<std::string> words;
    std::string word;
    for (char c; words.size() < kDocumentWords && in.get(c);) {
        if (IsWordByte(c)) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    return words;
}

// Words drawn from the source list with one in twenty mistyped (a letter swapped, dropped or
// doubled): a document with many more suggestions to make.
std::vector<std::string> TypoDocument() {
    std::ifstream in("/usr/share/dict/american-english");
    std::vector<std::string> list;
    for (std::string line; std::getline(in, line);) {
        if (auto w = tolvane::Utf8ToCp1252(line); w && w->size() > 3) {
            list.push_back(*w);
        }
    }
    std::mt19937 random(1);
    std::vector<std::string> words;
    while (!list.empty() && words.size() < kDocumentWords) {
        std::string w = list[random() % list.size()];
        if (random() % 20 == 0) {
            const size_t at = 1 + random() % (w.size() - 2);
            switch (random() % 3) {
            case 0:
                std::swap(w[at], w[at + 1]);
                break;
            case 1:
                w.erase(at, 1);
                break;
            default:
                w.insert(at, 1, w[at]);
            }
        }
        words.push_back(std::move(w));
    }
    return words;
}

class Fixture {
public:
    Fixture() {
        user_ = (std::filesystem::temp_directory_path() /
                 ("tolvane-bench-" + std::to_string(::getpid()) + ".dct"))
                    .string();
        TAcropSpell spell;
        spell.CreateUserDictionary(user_, {"Tolvane", "faxmodem", "copyleft", "sublicensing", "FSF"});
    }
    ~Fixture() { std::filesystem::remove(user_); }
    const std::string& User() const { return user_; }

private:
    std::string user_;
};

const Fixture& Dictionaries() {
    static const Fixture fixture;
    return fixture;
}

void Open(TAcropSpell& spell) {
    if (!spell.OpenDictionary(kMain) || spell.OpenUserDictionary(Dictionaries().User()) < 0) {
        std::abort();
    }
}

// Opening the dictionaries, IsWord on every word, Suggest on each miss: one dialog's work.
void FullCheck(benchmark::State& state, const std::vector<std::string>& document) {
    size_t misses = 0;
    for (auto _ : state) {
        TAcropSpell spell;
        Open(spell);
        misses = 0;
        for (const auto& w : document) {
            if (!spell.IsWord(w)) {
                ++misses;
                benchmark::DoNotOptimize(spell.Suggest(w));
            }
        }
    }
    state.counters["words"] = static_cast<double>(document.size());
    state.counters["misses"] = static_cast<double>(misses);
}

void BM_FullCheckLicence(benchmark::State& state) {
    FullCheck(state, LicenceDocument());
}
BENCHMARK(BM_FullCheckLicence)->Unit(benchmark::kMillisecond);

void BM_FullCheckTypos(benchmark::State& state) {
    FullCheck(state, TypoDocument());
}
BENCHMARK(BM_FullCheckTypos)->Unit(benchmark::kMillisecond);

// IsWord alone on the 2,000 words, with the read cache warm.
void BM_IsWordDocument(benchmark::State& state) {
    const auto document = TypoDocument();
    TAcropSpell spell;
    Open(spell);
    for (auto _ : state) {
        for (const auto& w : document) {
            benchmark::DoNotOptimize(spell.IsWord(w));
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * document.size()));
}
BENCHMARK(BM_IsWordDocument)->Unit(benchmark::kMillisecond);

void BM_SuggestOneWord(benchmark::State& state) {
    TAcropSpell spell;
    Open(spell);
    for (auto _ : state) {
        benchmark::DoNotOptimize(spell.Suggest("goverment"));
    }
}
BENCHMARK(BM_SuggestOneWord)->Unit(benchmark::kMicrosecond);

} // namespace
