// The file readers against files made by netpbm's converters from one PBM page.
#include "FaxPeer.h"
#include "imaging/convert/ConvertToApf.h"
#include "imaging/convert/ConverterContext.h"
#include "imaging/errors/ResultCodes.h"

#include <gtest/gtest.h>

#include <random>

namespace tolvane {
namespace {

using test::Raster;
using test::RunCommand;
using test::ShellQuote;
using test::TempDir;

// Every page a reader delivers: rows of page width as the raster buffer holds them.
struct ReadResult {
    int rc = 0;
    std::vector<Raster> pages;
};

ReadResult ReadThrough(TFaxInputDocumentType type, const std::string& file, TFaxCvtOptions options = 0,
                       int margin = 0) {
    ConverterPtr ctx;
    CreateConverter(type, ctx);
    ctx->options = options;
    ctx->leftMargin = margin;
    ReadResult result;
    result.rc = ctx->reader->Open(*ctx, file);
    if (result.rc >= 0) {
        result.pages.emplace_back(ctx->pageWidth, 0);
        for (int guard = 0; guard < 100000; ++guard) {
            std::vector<uint8_t> raster(kRasterBufferSize, 0);
            LineRead line;
            result.rc = ctx->reader->ReadLine(*ctx, raster.data(), line);
            if (result.rc < 0) {
                break;
            }
            if (line.endOfPage) {
                if (!line.morePages) {
                    break;
                }
                result.pages.emplace_back(ctx->pageWidth, 0);
                continue;
            }
            raster.resize(static_cast<size_t>(ctx->pageWidth) / 8);
            result.pages.back().rows.push_back(raster);
        }
    }
    ctx->reader->Close(*ctx);
    return result;
}

// A test page: a frame, diagonal and noise, so that bit order, row order and inversion show.
Raster TestImage(int width, int height, unsigned seed) {
    Raster r(width, height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool frame = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            r.Set(x, y, frame || x == y || (x > width / 2 && random() % 3 == 0));
        }
    }
    return r;
}

std::vector<uint8_t> PbmBytes(const Raster& r) {
    const std::string head = "P4\n" + std::to_string(r.width) + " " + std::to_string(r.Height()) + "\n";
    std::vector<uint8_t> bytes(head.begin(), head.end());
    for (const auto& row : r.rows) {
        bytes.insert(bytes.end(), row.begin(), row.end());
    }
    return bytes;
}

// The image as the raster should hold it: at pixel `shift`, cut at the page width.
Raster OnPage(const Raster& image, int pageWidth, int shift = 0) {
    Raster page(pageWidth, image.Height());
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.width && x + shift < pageWidth; ++x) {
            page.Set(x + shift, y, image.Black(x, y));
        }
    }
    return page;
}

std::string Make(const TempDir& dir, const std::string& command, const std::string& name) {
    const auto r = RunCommand(command + " > " + ShellQuote(dir.File(name)));
    EXPECT_EQ(r.status, 0) << command << ": " << r.err;
    return dir.File(name);
}

TEST(Readers, NetpbmConversionsOfOnePageReadBackExactly) {
    TempDir dir;
    const Raster image = TestImage(203, 61, 7);
    test::WriteAll(dir.File("page.pbm"), PbmBytes(image));
    const std::string pbm = ShellQuote(dir.File("page.pbm"));
    struct Case {
        TFaxInputDocumentType type;
        std::string command;
        std::string name;
        bool libtiffReads = false; // compare with what libtiff reads instead of the page
    };
    const Case cases[] = {
        {TFaxInputDocumentType::idPbm, "cat " + pbm, "raw.pbm"},
        {TFaxInputDocumentType::idPbm, "pamtopnm -plain " + pbm, "plain.pbm"},
        {TFaxInputDocumentType::idTiff, "pnmtotiff -none -miniswhite " + pbm, "none-white.tif"},
        {TFaxInputDocumentType::idTiff, "pnmtotiff -none -minisblack -rowsperstrip 7 " + pbm,
         "none-black.tif"},
        {TFaxInputDocumentType::idTiff, "pnmtotiff -packbits -rowsperstrip 5 " + pbm, "packbits.tif"},
        // pnmtotiff only sets the fill order tag; libtiff then reads every byte bit-reversed.
        {TFaxInputDocumentType::idTiff, "pnmtotiff -packbits -lsb2msb -miniswhite " + pbm, "lsb.tif", true},
        {TFaxInputDocumentType::idTiff, "pnmtotiff -none -lsb2msb " + pbm, "lsb-none.tif", true},
        {TFaxInputDocumentType::idPcx, "ppmtopcx " + pbm, "page.pcx"},
        {TFaxInputDocumentType::idBmp, "ppmtobmp -bpp 1 " + pbm, "one-bit.bmp"},
        {TFaxInputDocumentType::idBmp, "pnmtopnm " + pbm + " | ppmtoppm | ppmtobmp -bpp 24", "colour.bmp"},
        {TFaxInputDocumentType::idBmp, "ppmtoppm < " + pbm + " | ppmtobmp -bpp 8", "eight-bit.bmp"},
    };
    for (const auto& c : cases) {
        const std::string file = Make(dir, c.command, c.name);
        Raster expected = image;
        if (c.libtiffReads) {
            const std::string pnm =
                Make(dir, "tifftopnm " + ShellQuote(file) + " 2>/dev/null", c.name + ".pbm");
            ASSERT_TRUE(test::ParsePbm(test::ReadAll(pnm), expected)) << c.name;
        }
        const auto got = ReadThrough(c.type, file);
        EXPECT_GE(got.rc, 0) << c.name;
        ASSERT_EQ(got.pages.size(), 1u) << c.name;
        EXPECT_TRUE(got.pages[0].rows == OnPage(expected, 1728).rows) << c.name;
    }
}

TEST(Readers, CentringAndDoublingApplyToFileImages) {
    TempDir dir;
    const Raster image = TestImage(600, 4, 3);
    test::WriteAll(dir.File("narrow.pbm"), PbmBytes(image));
    const auto centred = ReadThrough(TFaxInputDocumentType::idPbm, dir.File("narrow.pbm"), coCenterImage);
    ASSERT_EQ(centred.pages.size(), 1u);
    EXPECT_TRUE(centred.pages[0].rows == OnPage(image, 1728, (1728 - 600) / 16 * 8).rows);

    // Doubling is left to the coder; the raster holds the image once, shifted by (W - 2w) div 32 bytes.
    const auto doubled =
        ReadThrough(TFaxInputDocumentType::idPbm, dir.File("narrow.pbm"), coCenterImage | coDoubleWidth, 50);
    EXPECT_TRUE(doubled.pages[0].rows == OnPage(image, 1728, (1728 - 1200) / 32 * 8).rows);
}

TEST(Readers, EveryImageOfAPbmFileIsAPage) {
    TempDir dir;
    const Raster a = TestImage(100, 3, 1), b = TestImage(1728, 2, 2);
    auto bytes = PbmBytes(a);
    const std::string second = "\nP1\n# second page\n3 2\n1 0 1\n0 1 0\n";
    bytes.insert(bytes.end(), second.begin(), second.end());
    const auto third = PbmBytes(b);
    bytes.insert(bytes.end(), third.begin(), third.end());
    bytes.push_back('\n');
    test::WriteAll(dir.File("three.pbm"), bytes);
    const auto got = ReadThrough(TFaxInputDocumentType::idPbm, dir.File("three.pbm"));
    EXPECT_EQ(got.rc, 0);
    ASSERT_EQ(got.pages.size(), 3u);
    EXPECT_TRUE(got.pages[0].rows == OnPage(a, 1728).rows);
    Raster small(3, 2);
    small.Set(0, 0);
    small.Set(2, 0);
    small.Set(1, 1);
    EXPECT_TRUE(got.pages[1].rows == OnPage(small, 1728).rows);
    EXPECT_TRUE(got.pages[2].rows == OnPage(b, 1728).rows);
}

// Writes a PCX image by hand: width, height, bytes per line, run-length coded rows.
std::vector<uint8_t> PcxBytes(const Raster& r) {
    std::vector<uint8_t> bytes(128, 0);
    bytes[0] = 10;
    bytes[1] = 5;
    bytes[2] = 1;
    bytes[3] = 1;
    bytes[8] = static_cast<uint8_t>(r.width - 1);
    bytes[9] = static_cast<uint8_t>((r.width - 1) >> 8);
    bytes[10] = static_cast<uint8_t>(r.Height() - 1);
    bytes[11] = static_cast<uint8_t>((r.Height() - 1) >> 8);
    bytes[65] = 1;
    const size_t perLine = (static_cast<size_t>(r.width) + 15) / 16 * 2;
    bytes[66] = static_cast<uint8_t>(perLine);
    bytes[67] = static_cast<uint8_t>(perLine >> 8);
    for (const auto& row : r.rows) {
        for (size_t i = 0; i < perLine; ++i) {
            const uint8_t v = static_cast<uint8_t>(~(i < row.size() ? row[i] : 0));
            bytes.push_back(0xC1); // every byte as a run of one
            bytes.push_back(v);
        }
    }
    return bytes;
}

TEST(Readers, DcxPagesAreThePcxImagesOfItsTable) {
    TempDir dir;
    const Raster a = TestImage(300, 5, 4), b = TestImage(17, 9, 5);
    const auto pa = PcxBytes(a), pb = PcxBytes(b);
    std::vector<uint8_t> dcx{0xB1, 0x68, 0xDE, 0x3A}; // 987654321
    const auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            dcx.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    };
    put32(16);
    put32(static_cast<uint32_t>(16 + pa.size()));
    put32(0);
    dcx.insert(dcx.end(), pa.begin(), pa.end());
    dcx.insert(dcx.end(), pb.begin(), pb.end());
    test::WriteAll(dir.File("two.dcx"), dcx);
    const auto got = ReadThrough(TFaxInputDocumentType::idDcx, dir.File("two.dcx"));
    EXPECT_EQ(got.rc, 0);
    ASSERT_EQ(got.pages.size(), 2u);
    EXPECT_TRUE(got.pages[0].rows == OnPage(a, 1728).rows);
    EXPECT_TRUE(got.pages[1].rows == OnPage(b, 1728).rows);
}

// A BMP of 8-bit greys (grey palette), rows bottom-up.
std::vector<uint8_t> GreyBmp(int width, int height, const std::function<uint8_t(int, int)>& grey) {
    const size_t stride = (static_cast<size_t>(width) + 3) / 4 * 4;
    std::vector<uint8_t> b(54 + 1024, 0);
    const auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
        }
    };
    b[0] = 'B';
    b[1] = 'M';
    put(10, 54 + 1024, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 8, 2);
    for (uint32_t c = 0; c < 256; ++c) {
        put(54 + 4 * c, c | c << 8 | c << 16, 4);
    }
    for (int y = height - 1; y >= 0; --y) {
        for (size_t x = 0; x < stride; ++x) {
            b.push_back(x < static_cast<size_t>(width) ? grey(static_cast<int>(x), y) : 0);
        }
    }
    put(2, static_cast<uint32_t>(b.size()), 4);
    return b;
}

TEST(Readers, ColourBmpIsDitheredWithTheThresholdMatrix) {
    TempDir dir;
    test::WriteAll(dir.File("ramp.bmp"),
                   GreyBmp(64, 32, [](int x, int y) { return static_cast<uint8_t>(4 * x + y); }));
    const auto got = ReadThrough(TFaxInputDocumentType::idBmp, dir.File("ramp.bmp"));
    ASSERT_EQ(got.pages.size(), 1u);
    ASSERT_EQ(got.pages[0].Height(), 32);
    // The matrix's first row as it is defined, and the rule for the rest.
    const int firstRow[16] = {0, 96, 48, 112, 24, 120, 56, 120, 12, 108, 60, 124, 28, 124, 60, 124};
    const auto matrix = [&](int i, int j) {
        unsigned f = 0;
        for (int step = 0; step < 4; ++step) {
            f = (2 * f) | (2 * ((static_cast<unsigned>(i) ^ static_cast<unsigned>(j)) & 1)) |
                (static_cast<unsigned>(j) & 1);
            i >>= 1;
            j >>= 1;
        }
        return static_cast<int>(4 * f);
    };
    for (int j = 0; j < 16; ++j) {
        ASSERT_EQ(matrix(0, j), firstRow[j]);
    }
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 64; ++x) {
            const bool black = static_cast<uint8_t>(4 * x + y) <= matrix(x % 16, y % 16);
            ASSERT_EQ(got.pages[0].Black(x, y), black) << x << "," << y;
        }
    }
}

TEST(Readers, MalformedFilesAreRejected) {
    TempDir dir;
    const Raster image = TestImage(40, 4, 9);
    test::WriteAll(dir.File("ok.pbm"), PbmBytes(image));
    const std::string pbm = ShellQuote(dir.File("ok.pbm"));
    const std::string good = Make(dir, "pnmtotiff -none " + pbm, "ok.tif");
    const std::string pcx = Make(dir, "ppmtopcx " + pbm, "ok.pcx");
    const std::string bmp = Make(dir, "ppmtobmp -bpp 1 " + pbm, "ok.bmp");
    const auto wide = TestImage(1729, 1, 1);
    test::WriteAll(dir.File("wide.pbm"), PbmBytes(wide));
    const std::string widePcx = Make(dir, "ppmtopcx " + ShellQuote(dir.File("wide.pbm")), "wide.pcx");
    const std::string wideBmp = Make(dir, "ppmtobmp -bpp 1 " + ShellQuote(dir.File("wide.pbm")), "wide.bmp");
    const std::string grey = Make(dir, "pgmramp -lr 8 8 | pnmtotiff -none", "grey.tif");

    const auto truncated = [&](const std::string& from, size_t keep, const std::string& name) {
        auto bytes = test::ReadAll(from);
        bytes.resize(std::min(bytes.size(), keep));
        test::WriteAll(dir.File(name), bytes);
        return dir.File(name);
    };
    struct Case {
        TFaxInputDocumentType type;
        std::string file;
        int rc;
    };
    const Case cases[] = {
        {TFaxInputDocumentType::idTiff, pcx, ecBadGraphicsFormat},
        {TFaxInputDocumentType::idTiff, grey, ecBadGraphicsFormat},
        {TFaxInputDocumentType::idTiff, truncated(good, 30, "short.tif"), ecBadGraphicsFormat},
        {TFaxInputDocumentType::idPcx, bmp, ecBadGraphicsFormat},
        {TFaxInputDocumentType::idPcx, widePcx, ecBadGraphicsFormat},
        {TFaxInputDocumentType::idPcx, truncated(pcx, 130, "short.pcx"), ecDiskRead},
        {TFaxInputDocumentType::idDcx, pcx, ecBadGraphicsFormat},
        {TFaxInputDocumentType::idBmp, pcx, ecBadGraphicsFormat},
        {TFaxInputDocumentType::idBmp, wideBmp, ecBadGraphicsFormat},
        {TFaxInputDocumentType::idBmp, truncated(bmp, 70, "short.bmp"), ecBadGraphicsFormat},
        {TFaxInputDocumentType::idPbm, bmp, ecBadGraphicsFormat},
        {TFaxInputDocumentType::idPbm, dir.File("wide.pbm"), ecBadGraphicsFormat},
        {TFaxInputDocumentType::idPbm, truncated(dir.File("ok.pbm"), 20, "short.pbm"), ecDiskRead},
        {TFaxInputDocumentType::idPbm, dir.File("missing.pbm"), ecFileNotFound},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadThrough(c.type, c.file).rc, c.rc) << c.file;
    }
}

} // namespace
} // namespace tolvane
