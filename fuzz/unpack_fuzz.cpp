// Arbitrary bytes as an APF file: every page through PageToBitmapHandle, with options chosen by
// a reserved header byte. No fault, and memory bounded by the data.
#include "FuzzTarget.h"
#include "imaging/apf/ApfFile.h"
#include "imaging/unpack/UnpackerRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputFile input(data, size, ".apf");
    std::unique_ptr<tolvane::UnpackerRecord> record;
    if (tolvane::CreateUnpacker(nullptr, nullptr, record) < 0) {
        return 0;
    }
    const uint8_t choice = size > 31 ? data[31] : 0;
    if (choice & 1) {
        tolvane::SetUnpackOptions(*record, tolvane::ufHalfWidth);
    }
    if (choice & 2) {
        tolvane::SetWhitespace(*record, 4, 1);
    }
    if (choice & 4) {
        tolvane::SetScaling(*record, 2, 3, 3, 2);
    }
    tolvane::ApfFileHeader header;
    if (tolvane::ReadApfHeader(*record, input.Name(), header) < 0) {
        return 0;
    }
    for (unsigned page = 1; page <= header.PageCount; ++page) {
        tolvane::UnpackedBitmap bitmap;
        if (tolvane::PageToBitmapHandle(*record, input.Name(), page, (choice & 8) == 0, bitmap) < 0 &&
            page > 64) {
            break; // a page count far beyond the data: the rest fails the same way
        }
    }
    return 0;
}
