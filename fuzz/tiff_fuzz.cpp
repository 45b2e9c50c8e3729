// Reads arbitrary bytes as a TIFF image through the converter's reader and codes every line.
#include "ReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzReader(tolvane::TFaxInputDocumentType::idTiff, data, size, ".tif");
    return 0;
}
