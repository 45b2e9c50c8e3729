// Fax pages of the simulated far machine: documents to send (TIFF coded again as T.4
// one-dimensional, or APF pages as stored) and received pages decoded into TIFF files with
// spandsp's T.4 decoder. Page data is in line order: the first bit on the line is the least
// significant bit of a byte, as in APF files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct t4_state_s;

namespace modemsim {

struct FaxPage {
    std::vector<uint8_t> t4;
    bool fine = false;
    bool wide = false;
};

// Throws std::runtime_error when the file cannot be read or is neither TIFF nor APF.
std::vector<FaxPage> LoadDocument(const std::string& file);

class TiffPageWriter {
public:
    struct PageResult {
        int rows = 0;
        int badRows = 0;
    };

    explicit TiffPageWriter(std::string file) : file_(std::move(file)) {}
    ~TiffPageWriter();
    TiffPageWriter(const TiffPageWriter&) = delete;
    TiffPageWriter& operator=(const TiffPageWriter&) = delete;

    // Decodes one page and appends it to the file (created with the first page).
    PageResult AddPage(const std::vector<uint8_t>& t4, bool fine, bool wide);
    int Pages() const { return pages_; }
    const std::string& File() const { return file_; }
    // Finishes the file.
    void Close();

private:
    std::string file_;
    t4_state_s* rx_ = nullptr;
    int pages_ = 0;
};

uint8_t ReverseBits(uint8_t b);

bool IsTiff(const std::string& file);
// Writes the pages as a TIFF file (decoding them); throws std::runtime_error on failure.
void WriteTiff(const std::vector<FaxPage>& pages, const std::string& file);

// A file name in the temporary folder, removed with the object.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& suffix);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& Name() const { return name_; }

private:
    std::string name_;
};

} // namespace modemsim
