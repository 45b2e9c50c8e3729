#include "PageFiles.h"

#include "imaging/apf/ApfFile.h"

#include <spandsp.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace modemsim {

uint8_t ReverseBits(uint8_t b) {
    uint8_t r = 0;
    for (int i = 0; i < 8; ++i) {
        r = static_cast<uint8_t>((r << 1) | ((b >> i) & 1));
    }
    return r;
}

namespace {

std::vector<FaxPage> LoadTiff(const std::string& file) {
    t4_tx_state_t* tx = t4_tx_init(nullptr, file.c_str(), -1, -1);
    if (tx == nullptr) {
        throw std::runtime_error("cannot read the TIFF file " + file);
    }
    t4_tx_set_tx_encoding(tx, T4_COMPRESSION_ITU_T4_1D);
    t4_tx_set_min_bits_per_row(tx, 0);
    std::vector<FaxPage> pages;
    while (t4_tx_start_page(tx) == 0) {
        FaxPage page;
        page.fine = t4_tx_get_y_resolution(tx) >= T4_Y_RESOLUTION_FINE;
        page.wide = t4_tx_get_image_width(tx) > T4_WIDTH_R8_A4;
        uint8_t buf[4096];
        for (;;) {
            const int n = t4_tx_get_chunk(tx, buf, sizeof buf);
            page.t4.insert(page.t4.end(), buf, buf + n);
            if (n < static_cast<int>(sizeof buf)) {
                break;
            }
        }
        t4_tx_end_page(tx);
        pages.push_back(std::move(page));
    }
    t4_tx_free(tx);
    return pages;
}

std::vector<FaxPage> LoadApf(const std::string& file) {
    tolvane::ApfReader reader;
    if (reader.Open(file) < 0) {
        throw std::runtime_error("cannot read the APF file " + file);
    }
    std::vector<FaxPage> pages;
    for (unsigned n = 1; n <= reader.Header().PageCount; ++n) {
        tolvane::ApfPageHeader header;
        if (reader.NextPage(header) < 0) {
            throw std::runtime_error(file + ": page " + std::to_string(n) + " is damaged");
        }
        std::vector<uint8_t> data(header.ImageLength);
        if (reader.ReadExact(data.data(), data.size()) < 0) {
            throw std::runtime_error(file + ": page " + std::to_string(n) + " is short");
        }
        FaxPage page{{}, header.Fine(), header.Wide()};
        if (header.LengthWords()) {
            for (size_t i = 0; i + 2 <= data.size();) {
                const size_t length = data[i] | (data[i + 1] << 8);
                i += 2;
                const size_t take = std::min(length, data.size() - i);
                page.t4.insert(page.t4.end(), data.begin() + static_cast<long>(i),
                               data.begin() + static_cast<long>(i + take));
                i += take;
            }
        } else {
            page.t4 = std::move(data);
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

} // namespace

bool IsTiff(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    char magic[4] = {};
    in.read(magic, sizeof magic);
    const std::string m(magic, sizeof magic);
    return in && (m == std::string("II*\0", 4) || m == std::string("MM\0*", 4));
}

void WriteTiff(const std::vector<FaxPage>& pages, const std::string& file) {
    TiffPageWriter writer(file);
    for (const auto& page : pages) {
        writer.AddPage(page.t4, page.fine, page.wide);
    }
    writer.Close();
}

TemporaryFile::TemporaryFile(const std::string& suffix) {
    static int serial = 0;
    name_ = (std::filesystem::temp_directory_path() /
             ("modemsim-" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + suffix))
                .string();
}

TemporaryFile::~TemporaryFile() {
    std::remove(name_.c_str());
}

std::vector<FaxPage> LoadDocument(const std::string& file) {
    if (IsTiff(file)) {
        return LoadTiff(file);
    }
    std::ifstream in(file, std::ios::binary);
    char magic[6] = {};
    in.read(magic, sizeof magic);
    if (!in) {
        throw std::runtime_error("cannot read " + file);
    }
    if (std::string(magic, 6) == "APF10\x1A") {
        return LoadApf(file);
    }
    throw std::runtime_error(file + " is neither a TIFF nor an APF file");
}

TiffPageWriter::~TiffPageWriter() {
    Close();
}

TiffPageWriter::PageResult TiffPageWriter::AddPage(const std::vector<uint8_t>& t4, bool fine, bool wide) {
    if (rx_ == nullptr) {
        rx_ = t4_rx_init(nullptr, file_.c_str(), T4_COMPRESSION_ITU_T6);
        if (rx_ == nullptr) {
            throw std::runtime_error("cannot create " + file_);
        }
    }
    t4_rx_set_rx_encoding(rx_, T4_COMPRESSION_ITU_T4_1D);
    t4_rx_set_image_width(rx_, wide ? T4_WIDTH_R8_B4 : T4_WIDTH_R8_A4);
    t4_rx_set_x_resolution(rx_, T4_X_RESOLUTION_R8);
    t4_rx_set_y_resolution(rx_, fine ? T4_Y_RESOLUTION_FINE : T4_Y_RESOLUTION_STANDARD);
    t4_rx_start_page(rx_);
    t4_rx_put_chunk(rx_, t4.data(), static_cast<int>(t4.size()));
    t4_rx_end_page(rx_);
    t4_stats_t stats{};
    t4_rx_get_transfer_statistics(rx_, &stats);
    ++pages_;
    return {stats.length, stats.bad_rows};
}

void TiffPageWriter::Close() {
    if (rx_ != nullptr) {
        t4_rx_free(rx_);
        rx_ = nullptr;
    }
}

} // namespace modemsim
