// Fuzz targets define LLVMFuzzerTestOneInput; under libFuzzer that is all, otherwise
// StandaloneMain.cpp replays files (the kept corpus and crash regressions) through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

// Writes the input to a private temporary file for readers that take a file name; removed on
// destruction.
class InputFile {
public:
    InputFile(const uint8_t* data, size_t size, const char* suffix = ".bin");
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    const std::string& Name() const { return name_; }

private:
    std::string name_;
};

} // namespace fuzz
