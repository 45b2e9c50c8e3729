#include "imaging/export/PbmWriter.h"

#include "imaging/errors/ResultCodes.h"
#include "imaging/io/BinaryFile.h"
#include "imaging/io/BufferedWriter.h"

namespace tolvane {

int WritePbmFile(const std::string& name, int width, int height, const uint8_t* rows, size_t rowBytes) {
    if (width <= 0 || height < 0 || rowBytes * 8 < static_cast<size_t>(width)) {
        return ecBadArgument;
    }
    BinaryFile file;
    if (const int rc = file.Create(name); rc < 0) {
        return rc;
    }
    const std::string header = "P4\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
    BufferedWriter out(file);
    int rc = out.Write(header.data(), header.size());
    const auto bytes = static_cast<size_t>((width + 7) / 8);
    if (bytes == rowBytes && rc >= 0) {
        rc = out.Write(rows, bytes * static_cast<size_t>(height));
    } else {
        for (int y = 0; y < height && rc >= 0; ++y) {
            rc = out.Write(rows + static_cast<size_t>(y) * rowBytes, bytes);
        }
    }
    if (rc >= 0) {
        rc = out.Flush();
    }
    if (const int closed = file.Close(); rc >= 0) {
        rc = closed;
    }
    return rc;
}

} // namespace tolvane
