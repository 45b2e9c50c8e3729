#include "imaging/apf/ApfFile.h"

#include "imaging/errors/ResultCodes.h"

#include <algorithm>
#include <vector>

namespace tolvane {
namespace {

int ReadHeaderFrom(BinaryFile& file, ApfFileHeader& header) {
    uint8_t bytes[kApfFileHeaderSize];
    if (const int rc = file.ReadExact(bytes, sizeof bytes); rc < 0) {
        return rc;
    }
    header = ApfFileHeader::Parse(bytes);
    return header.HasSignature() ? ecOK : ecFaxBadFormat;
}

} // namespace

int ReadApfHeader(const std::string& name, ApfFileHeader& header) {
    BinaryFile file;
    if (const int rc = file.Open(name); rc < 0) {
        return rc;
    }
    return ReadHeaderFrom(file, header);
}

int ApfReader::Open(const std::string& name) {
    currentPage_ = 0;
    if (const int rc = file_.Open(name); rc < 0) {
        return rc;
    }
    return ReadHeaderFrom(file_, header_);
}

int ApfReader::ReadPageHeaderAt(uint64_t position, ApfPageHeader& page) {
    if (const int rc = file_.Seek(position); rc < 0) {
        return rc;
    }
    uint8_t bytes[kApfPageHeaderSize];
    if (const int rc = file_.ReadExact(bytes, sizeof bytes); rc < 0) {
        return rc;
    }
    page = ApfPageHeader::Parse(bytes);
    pageDataStart_ = position + kApfPageHeaderSize;
    currentLength_ = page.ImageLength;
    return ecOK;
}

int ApfReader::NextPage(ApfPageHeader& page) {
    if (!file_.IsOpen()) {
        return ecNotOpen;
    }
    const unsigned next = currentPage_ + 1;
    if (next > header_.PageCount) {
        return ecFaxBadFormat;
    }
    const uint64_t position = currentPage_ == 0 ? header_.FirstPageOffset : PageEnd();
    if (const int rc = ReadPageHeaderAt(position, page); rc < 0) {
        return rc;
    }
    currentPage_ = next;
    return ecOK;
}

int ApfReader::LocatePage(unsigned n, ApfPageHeader& page) {
    if (n == 0 || n > header_.PageCount) {
        return ecFaxBadFormat;
    }
    if (n <= currentPage_) {
        currentPage_ = 0;
    }
    while (currentPage_ < n) {
        if (const int rc = NextPage(page); rc < 0) {
            return rc;
        }
    }
    return file_.Seek(pageDataStart_);
}

ApfWriter::ApfWriter() = default;
ApfWriter::~ApfWriter() {
    Close();
}

int ApfWriter::Create(const std::string& name) {
    header_ = ApfFileHeader::Initial();
    inPage_ = false;
    if (const int rc = file_.Create(name); rc < 0) {
        return rc;
    }
    out_ = std::make_unique<BufferedWriter>(file_);
    return WriteHeaderBytes();
}

int ApfWriter::WriteHeaderBytes() {
    uint8_t bytes[kApfFileHeaderSize];
    header_.Serialize(bytes);
    const uint64_t back = out_->Position();
    if (const int rc = out_->Seek(0); rc < 0) {
        return rc;
    }
    if (const int rc = out_->Write(bytes, sizeof bytes); rc < 0) {
        return rc;
    }
    const uint64_t end = back > kApfFileHeaderSize ? back : kApfFileHeaderSize;
    return out_->Seek(end);
}

int ApfWriter::BeginPage(uint16_t flags) {
    if (!out_) {
        return ecNotOpen;
    }
    pageStart_ = out_->Position();
    pageFlags_ = flags;
    pageLength_ = 0;
    inPage_ = true;
    ApfPageHeader page;
    page.PageFlags = flags;
    uint8_t bytes[kApfPageHeaderSize];
    page.Serialize(bytes);
    return out_->Write(bytes, sizeof bytes);
}

int ApfWriter::WritePageData(const void* data, size_t n) {
    if (!out_ || !inPage_) {
        return ecNotOpen;
    }
    if (const int rc = out_->Write(data, n); rc < 0) {
        return rc;
    }
    pageLength_ += static_cast<uint32_t>(n);
    return ecOK;
}

int ApfWriter::EndPage() {
    if (!out_ || !inPage_) {
        return ecNotOpen;
    }
    const uint64_t end = out_->Position();
    ApfPageHeader page;
    page.ImageLength = pageLength_;
    page.PageFlags = pageFlags_;
    uint8_t bytes[kApfPageHeaderSize];
    page.Serialize(bytes);
    if (const int rc = out_->Seek(pageStart_); rc < 0) {
        return rc;
    }
    if (const int rc = out_->Write(bytes, sizeof bytes); rc < 0) {
        return rc;
    }
    if (const int rc = out_->Seek(end); rc < 0) {
        return rc;
    }
    inPage_ = false;
    ++header_.PageCount;
    return ecOK;
}

int ApfWriter::WriteHeader(uint32_t dosDateTime, std::string_view stationId) {
    if (!out_) {
        return ecNotOpen;
    }
    header_.FaxDateTime = dosDateTime;
    header_.SetStationID(stationId);
    return WriteHeaderBytes();
}

int ApfWriter::Close() {
    int rc = ecOK;
    if (out_) {
        rc = out_->Flush();
        out_.reset();
    }
    const int closed = file_.Close();
    return rc < 0 ? rc : closed;
}

int AppendApfFile(const std::string& target, const std::string& source) {
    ApfReader from;
    if (const int rc = from.Open(source); rc < 0) {
        return rc;
    }
    ApfFileHeader targetHeader;
    uint64_t targetEnd = 0;
    {
        ApfReader walk;
        if (const int rc = walk.Open(target); rc < 0) {
            return rc;
        }
        targetHeader = walk.Header();
        targetEnd = targetHeader.FirstPageOffset;
        ApfPageHeader page;
        for (unsigned n = 1; n <= targetHeader.PageCount; ++n) {
            if (const int rc = walk.NextPage(page); rc < 0) {
                return rc;
            }
            targetEnd = walk.PageEnd();
        }
    }
    const unsigned total = unsigned{targetHeader.PageCount} + from.Header().PageCount;
    if (total > 0xFFFF) {
        return ecBadArgument;
    }

    BinaryFile out;
    if (const int rc = out.Open(target, BinaryFile::Mode::ReadWrite); rc < 0) {
        return rc;
    }
    uint64_t originalSize = 0;
    if (const int rc = out.Size(originalSize); rc < 0) {
        return rc;
    }
    // Bytes past the last page are replaced; keep them so a failure can put them back.
    std::vector<uint8_t> tail;
    if (originalSize > targetEnd) {
        tail.resize(static_cast<size_t>(originalSize - targetEnd));
        if (const int rc = out.Seek(targetEnd); rc < 0) {
            return rc;
        }
        if (const int rc = out.ReadExact(tail.data(), tail.size()); rc < 0) {
            return rc;
        }
    }

    const auto copyPages = [&]() -> int {
        if (const int rc = out.Seek(targetEnd); rc < 0) {
            return rc;
        }
        BufferedWriter writer(out);
        writer.Reset(targetEnd);
        std::vector<uint8_t> block(BufferedWriter::kBufferSize);
        ApfPageHeader page;
        for (unsigned n = 1; n <= from.Header().PageCount; ++n) {
            if (const int rc = from.NextPage(page); rc < 0) {
                return rc;
            }
            uint8_t bytes[kApfPageHeaderSize];
            page.Serialize(bytes);
            if (const int rc = writer.Write(bytes, sizeof bytes); rc < 0) {
                return rc;
            }
            for (uint32_t left = page.ImageLength; left > 0;) {
                const size_t take = std::min<size_t>(left, block.size());
                if (const int rc = from.ReadExact(block.data(), take); rc < 0) {
                    return rc;
                }
                if (const int rc = writer.Write(block.data(), take); rc < 0) {
                    return rc;
                }
                left -= static_cast<uint32_t>(take);
            }
        }
        const uint64_t end = writer.Position();
        if (const int rc = writer.Flush(); rc < 0) {
            return rc;
        }
        if (const int rc = out.Truncate(end); rc < 0) {
            return rc;
        }
        ApfFileHeader joined = targetHeader;
        joined.PageCount = static_cast<uint16_t>(total);
        uint8_t header[kApfFileHeaderSize];
        joined.Serialize(header);
        if (const int rc = out.Seek(0); rc < 0) {
            return rc;
        }
        return out.WriteAll(header, sizeof header);
    };

    const int rc = copyPages();
    if (rc < 0) {
        // Put the target back as it was: its pages are untouched before targetEnd.
        uint8_t header[kApfFileHeaderSize];
        targetHeader.Serialize(header);
        if (out.Seek(0) == ecOK && out.WriteAll(header, sizeof header) == ecOK &&
            out.Truncate(targetEnd) == ecOK && !tail.empty() && out.Seek(targetEnd) == ecOK) {
            out.WriteAll(tail.data(), tail.size());
        }
        return rc;
    }
    return out.Close();
}

} // namespace tolvane
