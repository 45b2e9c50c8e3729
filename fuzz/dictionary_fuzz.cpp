// Reads arbitrary bytes as a main dictionary and as a user dictionary: lookups, suggestions and
// an addition must neither crash nor loop.
#include "FuzzTarget.h"
#include "editing/spell/AcropSpell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kWords[] = {"THE", "then", "JOHN'S", "ROBERT", "INTHE", "caf\xE9", "ab"};
    {
        fuzz::InputFile input(data, size, ".dct");
        tolvane::TAcropSpell spell;
        if (spell.OpenDictionary(input.Name())) {
            for (const char* w : kWords) {
                spell.IsWord(w);
            }
            spell.Suggest("TEH");
            spell.Suggest("Robrt");
        }
    }
    fuzz::InputFile input(data, size, ".dct");
    tolvane::TAcropSpell spell;
    const int id = spell.OpenUserDictionary(input.Name());
    if (id >= 0) {
        spell.IsWord("THE");
        spell.Suggest("TEH");
        spell.AddWord("ZEBRA", id);
        spell.AddWord("ZEBRAS", id);
        spell.IsWord("ZEBRAS");
        spell.Suggest("ZEBRE");
    }
    return 0;
}
