// Reading, writing and joining APF fax files.
#pragma once

#include "imaging/apf/ApfFormat.h"
#include "imaging/io/BinaryFile.h"
#include "imaging/io/BufferedWriter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tolvane {

// Reads the 64-byte header: 0, -2 (empty name), -8001 (no signature) or an I/O error.
int ReadApfHeader(const std::string& name, ApfFileHeader& header);

// Walks the pages of an APF file.
class ApfReader {
public:
    // Opens and checks the file: 0, -2, -8001 or an I/O error.
    int Open(const std::string& name);
    const ApfFileHeader& Header() const { return header_; }

    // Finds page n (1-based) and leaves the file at the first byte of its data.
    // -8001 when n is 0 or above PageCount; -100 when the file ends inside a header.
    int LocatePage(unsigned n, ApfPageHeader& page);
    // The page after the one last located (or the first): same results as LocatePage.
    int NextPage(ApfPageHeader& page);

    // Raw access to the data of the located page.
    int ReadExact(void* data, size_t n) { return file_.ReadExact(data, n); }
    int ReadSome(void* data, size_t n, size_t& got) { return file_.ReadSome(data, n, got); }
    // File offset just after the located page's data.
    uint64_t PageEnd() const { return pageDataStart_ + currentLength_; }

private:
    int ReadPageHeaderAt(uint64_t position, ApfPageHeader& page);

    BinaryFile file_;
    ApfFileHeader header_;
    unsigned currentPage_ = 0; // 0: none located yet
    uint64_t pageDataStart_ = 0;
    uint32_t currentLength_ = 0;
};

// Writes an APF file page by page in the order the format prescribes: header, then per page a
// header with ImageLength 0, the data, and the page header again with the final length.
class ApfWriter {
public:
    ApfWriter();
    ~ApfWriter();
    ApfWriter(const ApfWriter&) = delete;
    ApfWriter& operator=(const ApfWriter&) = delete;

    // Creates or truncates the file and writes the initial header.
    int Create(const std::string& name);
    int BeginPage(uint16_t flags);
    int WritePageData(const void* data, size_t n);
    // Rewrites the page header with the final ImageLength and counts the page.
    int EndPage();
    // Sets FaxDateTime and StationID and rewrites the file header.
    int WriteHeader(uint32_t dosDateTime, std::string_view stationId);
    int Close();

    ApfFileHeader& Header() { return header_; }
    uint16_t PageCount() const { return header_.PageCount; }
    bool InPage() const { return inPage_; }
    uint32_t PageLength() const { return pageLength_; }
    uint64_t PageStart() const { return pageStart_; }

private:
    int WriteHeaderBytes();

    BinaryFile file_;
    std::unique_ptr<BufferedWriter> out_;
    ApfFileHeader header_ = ApfFileHeader::Initial();
    bool inPage_ = false;
    uint64_t pageStart_ = 0;
    uint16_t pageFlags_ = 0;
    uint32_t pageLength_ = 0;
};

// Appends the pages of source behind the pages of target and adds to target's PageCount.
// On failure target is restored to what it held before.
int AppendApfFile(const std::string& target, const std::string& source);

} // namespace tolvane
