#include "imaging/errors/Exceptions.h"
#include "printing/FaxFileMaker.h"
#include "printing/FaxPrinter.h"
#include "printing/FaxPrinterLog.h"
#include "printing/FaxPrinterStatus.h"
#include "printing/PdfPeer.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tolvane {
namespace {

using test::RasterisePdfPage;
using test::ReadPdfInfo;
using test::TempDir;

std::string ReadText(const std::string& name) {
    std::ifstream in(name);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class FaxPrinterTest : public ::testing::Test {
protected:
    FaxPrinterTest() {
        status = new TFaxPrinterStatus(&owner);
        log = new TFaxPrinterLog(&owner);
        printer = new TFaxPrinter(&owner);
        log->SetLogFileName(QString::fromStdString(dir.File("FAXPRINT.LOG")));
        ToPdf(pdf);
    }

    void ToPdf(const std::string& name, QPageLayout::Orientation orientation = QPageLayout::Portrait) {
        QPrinter& p = printer->Printer();
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(QString::fromStdString(name));
        p.setPageSize(QPageSize(QPageSize::A4));
        p.setPageOrientation(orientation);
    }

    // A fax of small framed pages.
    std::string SmallFax(int pages) {
        const std::string name = dir.File("small.apf");
        test::WriteFax(name, test::FramedRaster(1728, 200, 16), pages);
        return name;
    }

    TStandardFaxPrinterStatusDisplay& Window() { return *status->Window(); }

    TempDir dir;
    std::string pdf = dir.File("out.pdf");
    QObject owner;
    TFaxPrinterStatus* status;
    TFaxPrinterLog* log;
    TFaxPrinter* printer;
};

TEST_F(FaxPrinterTest, FindsItsCompanionsAmongTheOwnersComponents) {
    EXPECT_EQ(printer->StatusDisplay(), status);
    EXPECT_EQ(printer->FaxPrinterLog(), log);
    EXPECT_EQ(status->FaxPrinter(), printer);
    // Companions made after the printer are taken too; removed ones are let go.
    QObject other;
    auto* lonePrinter = new TFaxPrinter(&other);
    EXPECT_EQ(lonePrinter->FaxPrinterLog(), nullptr);
    auto* lateLog = new TFaxPrinterLog(&other);
    EXPECT_EQ(lonePrinter->FaxPrinterLog(), lateLog);
    delete lateLog;
    EXPECT_EQ(lonePrinter->FaxPrinterLog(), nullptr);
}

TEST_F(FaxPrinterTest, FileNameReadsPagesAndFlags) {
    const std::string wide = dir.File("wide.apf");
    test::WriteFax(wide, test::FramedRaster(2048, 50, 4), 3, 0);
    printer->SetFileName(QString::fromStdString(wide));
    EXPECT_EQ(printer->TotalPages(), 3);
    EXPECT_EQ(printer->FirstPageToPrint(), 1);
    EXPECT_EQ(printer->LastPageToPrint(), 3);
    EXPECT_TRUE(printer->FirstPageWide());
    EXPECT_FALSE(printer->FirstPageFine());

    // No readable header: no pages, and printing does nothing.
    printer->SetFileName(QString::fromStdString(dir.File("missing.apf")));
    EXPECT_EQ(printer->TotalPages(), 0);
    EXPECT_EQ(printer->FirstPageToPrint(), 0);
    printer->PrintPages();
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_FALSE(std::filesystem::exists(dir.File("FAXPRINT.LOG")));
}

TEST_F(FaxPrinterTest, SheetCountsOnePerSheetAndSeveralPerSheet) {
    const std::string fax = SmallFax(5);
    struct Case {
        bool multiPage;
        QPageLayout::Orientation orientation;
        int sheets;
    };
    const Case cases[] = {
        {false, QPageLayout::Portrait, 5},
        {false, QPageLayout::Landscape, 5},
        {true, QPageLayout::Portrait, 2},
        {true, QPageLayout::Landscape, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.multiPage) + " " + std::to_string(c.orientation));
        std::filesystem::remove(pdf);
        ToPdf(pdf, c.orientation);
        printer->SetMultiPage(c.multiPage);
        printer->SetFileName(QString::fromStdString(fax));
        printer->PrintPages();
        const auto info = ReadPdfInfo(pdf);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->pages, c.sheets);
        EXPECT_EQ(info->widthPt > info->heightPt, c.orientation == QPageLayout::Landscape);
        EXPECT_EQ(printer->CurrentPage(), 0);
    }
}

TEST_F(FaxPrinterTest, HeaderAndFooterTokensAreExpandedOnEveryPage) {
    const std::string fax = SmallFax(3);
    printer->FaxHeader().Caption = QStringLiteral("FILE: $F");
    printer->FaxFooter().Caption = QStringLiteral("Page: $p of $N");
    printer->SetFileName(QString::fromStdString(fax));
    printer->PrintPages();
    for (int page = 1; page <= 3; ++page) {
        const std::string text = test::PdfText(pdf, page);
        EXPECT_NE(text.find("FILE: " + fax), std::string::npos) << text;
        EXPECT_NE(text.find("Page: " + std::to_string(page) + " of 3"), std::string::npos) << text;
    }
}

// Rows of a sheet raster that are crossed by a long black line, with its extent.
struct Line {
    int y = -1;
    int left = 0;
    int right = 0;
};

Line LongLine(const test::GreyPage& g, int from, int to, int step, int minLength) {
    for (int y = from; y != to; y += step) {
        if (g.BlackInRow(y, 0, g.width) > minLength) {
            Line l{y, 0, g.width - 1};
            while (!g.IsBlack(l.left, y)) {
                ++l.left;
            }
            while (!g.IsBlack(l.right, y)) {
                --l.right;
            }
            return l;
        }
    }
    return {};
}

TEST_F(FaxPrinterTest, FittedImageFillsNinetyThreePercentOfTheAreaBetweenTheLines) {
    // A fine page of a full page's 2156 rows fills the area's height.
    const std::string fax = dir.File("full.apf");
    test::WriteFax(fax, test::FramedRaster(1728, 2156, 24), 1);
    printer->SetFileName(QString::fromStdString(fax));
    printer->PrintPages();
    const auto g = RasterisePdfPage(pdf, 1, 100);
    ASSERT_TRUE(g);
    const auto header = test::WidestRow(*g, 0, g->height / 4);
    const auto footer = test::WidestRow(*g, g->height * 3 / 4, g->height);
    ASSERT_GE(header.y, 0);
    ASSERT_GE(footer.y, 0);
    EXPECT_EQ(header.left, footer.left);
    EXPECT_EQ(header.right, footer.right);
    // At mid-height the frame's side edges give the image's extent.
    const int mid = g->height / 2;
    const auto sides = test::RowEnds(*g, mid);
    const int left = sides.left;
    const int right = sides.right;
    const double areaWidth = header.right - header.left + 1;
    EXPECT_NEAR(left, header.left, 1);
    EXPECT_NEAR(right - left + 1, areaWidth * 0.93, 2.0);
    // The side edge runs from just under the header line to just above the footer line.
    int top = mid;
    while (g->IsBlack(left + 1, top - 1)) {
        --top;
    }
    int bottom = mid;
    while (g->IsBlack(left + 1, bottom + 1)) {
        ++bottom;
    }
    EXPECT_LE(top, header.y + 3);
    EXPECT_GE(bottom, footer.y - 3);
    // The text lines lie above the header line and below the footer line.
    EXPECT_GT(header.y, 3);
    EXPECT_LT(footer.y, g->height - 3);
}

TEST_F(FaxPrinterTest, FourUpSheetHoldsFourPagesInItsQuarters) {
    const std::string fax = dir.File("four.apf");
    test::WriteFax(fax, test::FramedRaster(1728, 2156, 48), 5);
    printer->SetMultiPage(true);
    printer->SetFileName(QString::fromStdString(fax));
    printer->PrintPages();
    const auto first = RasterisePdfPage(pdf, 1, 50);
    const auto second = RasterisePdfPage(pdf, 2, 50);
    ASSERT_TRUE(first && second);
    // Each quarter has its frame: black along the quarter's left edge at mid-height.
    const auto frameIn = [](const test::GreyPage& g, int qx, int qy) {
        const int y = g.height / 4 + qy * g.height / 2;
        return g.BlackInRow(y, qx * g.width / 2, qx * g.width / 2 + g.width / 8) > 0;
    };
    EXPECT_TRUE(frameIn(*first, 0, 0));
    EXPECT_TRUE(frameIn(*first, 1, 0));
    EXPECT_TRUE(frameIn(*first, 0, 1));
    EXPECT_TRUE(frameIn(*first, 1, 1));
    EXPECT_TRUE(frameIn(*second, 0, 0));
    EXPECT_FALSE(frameIn(*second, 1, 0));
    EXPECT_FALSE(frameIn(*second, 0, 1));
}

TEST_F(FaxPrinterTest, StatusWindowShowsProgressAndHidesAtTheEnd) {
    const std::string fax = SmallFax(5);
    printer->SetFileName(QString::fromStdString(fax));
    QStringList seen;
    printer->OnFaxPrintStatus = [&](TCustomFaxPrinter&, TFaxPrintProgress progress) {
        // The window shows a step once it has been announced.
        if (progress == TFaxPrintProgress::ppSubmitting) {
            EXPECT_TRUE(Window().isVisible());
            seen << Window().fpsStatusLine->text();
        }
    };
    printer->PrintPages();
    EXPECT_EQ(seen.size(), 5);
    EXPECT_EQ(seen.value(1), QStringLiteral("Rendering 2 of 5"));
    EXPECT_EQ(Window().fpsFileName->text(), QStringLiteral("SMALL.APF"));
    EXPECT_EQ(Window().fpsTotalPages->text(), QStringLiteral("5"));
    EXPECT_EQ(Window().fpsResolution->text(), QStringLiteral("high"));
    EXPECT_EQ(Window().fpsWidth->text(), QStringLiteral("1728"));
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Print Status"));

    const std::string entries = ReadText(dir.File("FAXPRINT.LOG"));
    EXPECT_NE(entries.find("Printing " + fax + " started at "), std::string::npos) << entries;
    EXPECT_NE(entries.find("Printing " + fax + " finished at "), std::string::npos) << entries;
    EXPECT_EQ(entries.substr(entries.size() - 2), "\n\n"); // an empty line after "finished"
}

TEST_F(FaxPrinterTest, AbortDuringPageTwoOfFourLogsStartedAndAbortedOnly) {
    const std::string fax = SmallFax(4);
    printer->SetFileName(QString::fromStdString(fax));
    std::vector<int> pagesBegun;
    printer->OnNextPage = [&](TCustomFaxPrinter&, uint16_t current, uint16_t total) {
        EXPECT_EQ(total, 4);
        pagesBegun.push_back(current);
        if (current == 2) {
            // The user clicks Abort while page 2 is being made.
            QTimer::singleShot(0, [&] { QTest::mouseClick(Window().fpsAbortButton, Qt::LeftButton); });
        }
    };
    printer->PrintPages();
    EXPECT_EQ(pagesBegun, (std::vector<int>{1, 2}));
    EXPECT_FALSE(printer->Printing());
    EXPECT_EQ(printer->CurrentPage(), 0);
    EXPECT_FALSE(Window().isVisible());
    const std::string entries = ReadText(dir.File("FAXPRINT.LOG"));
    EXPECT_NE(entries.find(" started at "), std::string::npos) << entries;
    EXPECT_NE(entries.find(" aborted at "), std::string::npos) << entries;
    EXPECT_EQ(entries.find(" finished at "), std::string::npos) << entries;
    // Nothing half-written is left behind.
    EXPECT_FALSE(std::filesystem::exists(pdf));
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "small.apf" || name == "FAXPRINT.LOG") << name;
    }
}

TEST_F(FaxPrinterTest, EmptyLogFileNameWritesNoLog) {
    log->SetLogFileName({});
    printer->SetFileName(QString::fromStdString(SmallFax(1)));
    printer->PrintPages();
    EXPECT_TRUE(std::filesystem::exists(pdf));
    EXPECT_FALSE(std::filesystem::exists(dir.File("FAXPRINT.LOG")));
}

TEST_F(FaxPrinterTest, UnwritableLogRaisesAnIoError) {
    log->SetLogFileName(QString::fromStdString(dir.File("no/such/folder/FAXPRINT.LOG")));
    printer->SetFileName(QString::fromStdString(SmallFax(1)));
    EXPECT_THROW(printer->PrintPages(), EInOutError);
    EXPECT_FALSE(Window().isVisible());
}

TEST_F(FaxPrinterTest, DamagedPageRaisesAndLeavesNoOutput) {
    const std::string fax = SmallFax(2);
    // Cut the file inside page 2's data: the unpacker reports the bad format.
    std::filesystem::resize_file(fax, std::filesystem::file_size(fax) - 40);
    printer->SetFileName(QString::fromStdString(fax));
    EXPECT_THROW(printer->PrintPages(), EFaxBadFormat);
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_FALSE(Window().isVisible());
    EXPECT_FALSE(printer->Printing());
}

TEST_F(FaxPrinterTest, NoneScaleDrawsTheBitmapAtItsOwnSize) {
    printer->SetPrintScale(TFaxPrintScale::psNone);
    printer->FaxHeader().Enabled = false;
    printer->SetFileName(QString::fromStdString(SmallFax(1)));
    printer->PrintPages();
    const auto g = RasterisePdfPage(pdf, 1, 1200 / 8);
    ASSERT_TRUE(g);
    // 1728 printer pixels at 1200 dpi are 216 pixels at 150 dpi.
    const Line frameTop = LongLine(*g, 0, g->height / 2, 1, 150);
    ASSERT_GE(frameTop.y, 0);
    EXPECT_NEAR(frameTop.right - frameTop.left + 1, 216, 2);
}

} // namespace
} // namespace tolvane
