// The spell engine: a read-only main dictionary and user dictionaries that take new words, all
// kept as letter trees in dictionary files (format in DictionaryFormat.h).
//
// Every word in and out is a string of code page 1252 bytes (Utf8ToCp1252 and Cp1252ToUtf8 in
// Cp1252Letters.h convert); lookups ignore letter case.
#pragma once

#include "editing/spell/DictionaryBlock.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

class TAcropSpell {
public:
    static constexpr int kDefaultMaxSuggestions = 10;
    static constexpr int kMaxMaxSuggestions = 220;
    static constexpr size_t kMaxWordLength = 25; // longer words are never added
    static constexpr uint32_t kMaxUserNodes = 63999;

    TAcropSpell() = default;
    TAcropSpell(const TAcropSpell&) = delete;
    TAcropSpell& operator=(const TAcropSpell&) = delete;

    // Loads a main dictionary, only while none is open; on success the dictionary is open and
    // DictionaryName is the given name. False when the file is missing or not a main dictionary.
    bool OpenDictionary(const std::string& fileName);
    // Opens a user dictionary for reading and writing: its identifier, or -1.
    int OpenUserDictionary(const std::string& fileName);
    // Creates (or empties) a user dictionary holding the word "A", opens it and adds the words:
    // its identifier, or -1 when the file cannot be written (nothing is left behind then).
    int CreateUserDictionary(const std::string& fileName, std::vector<std::string> words);

    // True when a dictionary holds the word; words of 0 or 1 characters are always correct and
    // a word ending in 's is correct when the word without it is.
    bool IsWord(std::string_view word);
    // At most MaxSuggestions words, best first, in the letter case of the given word (a word
    // without small letters gets capitals). Only the first 25 characters of the word count.
    std::vector<std::string> Suggest(std::string_view word);
    // Adds the word to the user dictionary with that identifier. False for an identifier that is
    // not open, or when the file cannot be read or written; true otherwise, also when the word is
    // not taken (longer than 25 characters, the dictionary full, or the word already present).
    bool AddWord(std::string_view word, int identifier);
    // Closes every dictionary.
    void CloseDictionaries();

    // The main dictionary that IsWord, Suggest and AddWord try to open while none is open.
    const std::string& DictionaryName() const { return dictionaryName_; }
    void SetDictionaryName(std::string name) { dictionaryName_ = std::move(name); }
    int MaxSuggestions() const { return maxSuggestions_; }
    // Clamped to 0..220.
    void SetMaxSuggestions(int count);
    bool DictionaryOpen() const { return open_; }

private:
    void Prepare();
    // Lookup of a capitalised word, without opening or refreshing anything.
    bool Lookup(std::string_view capitals);
    int NextIdentifier();
    int WriteInsertion(DictionaryBlock& block, const std::vector<DictionaryNode>& nodes,
                       uint32_t firstChanged);

    std::deque<std::unique_ptr<DictionaryBlock>> blocks_; // search order
    int nextIdentifier_ = 0;                              // wraps from 65534 to 0
    bool open_ = false;
    std::string dictionaryName_;
    int maxSuggestions_ = kDefaultMaxSuggestions;
};

} // namespace tolvane
