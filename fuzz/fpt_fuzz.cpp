// Reads arbitrary bytes as a memo file: header parse, then memos at every block a record
// could name.
#include "FuzzTarget.h"
#include "platform/xbase/FptFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tolvane::FptHeader header;
    std::string error;
    tolvane::ParseFptHeader(data, size, header, error);

    fuzz::InputFile input(data, size, ".fpt");
    tolvane::FptFile memo;
    try {
        memo.Open(input.Name(), tolvane::XbFile::Access::ReadOnly);
    } catch (const tolvane::EXBaseError&) {
        return 0;
    }
    const uint32_t last = memo.Header().nextFree;
    for (uint32_t block = 0; block < 64; ++block) {
        for (const uint32_t b : {block, last - block, 0xFFFFFFFFu - block}) {
            try {
                memo.Read(b);
            } catch (const tolvane::EXBaseError&) {
            }
        }
    }
    return 0;
}
