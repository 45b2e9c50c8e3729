// Reads arbitrary bytes as an APF file and walks its pages and their data.
#include "FuzzTarget.h"
#include "imaging/apf/ApfFile.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input(data, size, ".apf");
    tolvane::ApfReader reader;
    if (reader.Open(input.Name()) < 0) {
        return 0;
    }
    std::vector<uint8_t> block(4096);
    const unsigned pages = reader.Header().PageCount;
    for (unsigned n = 1; n <= pages; ++n) {
        tolvane::ApfPageHeader page;
        if (reader.NextPage(page) < 0) {
            break;
        }
        size_t got = 0;
        if (reader.ReadSome(block.data(), block.size(), got) < 0) {
            break;
        }
    }
    // Random access backwards walks from the start again.
    tolvane::ApfPageHeader page;
    if (pages > 0) {
        reader.LocatePage(1, page);
        reader.LocatePage(pages, page);
    }
    return 0;
}
