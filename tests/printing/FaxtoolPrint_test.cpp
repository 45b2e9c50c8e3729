// faxtool print: the command-line path through the same fax printer.
#include "printing/FaxFileMaker.h"
#include "printing/PdfPeer.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolvane {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kFaxtool = TOLVANE_BINARY_DIR "/tools/faxtool";

class FaxtoolPrintTest : public ::testing::Test {
protected:
    FaxtoolPrintTest() { test::WriteFax(fax, test::FramedRaster(1728, 300, 16), 5); }

    test::ProcessResult Print(const std::string& options) {
        return RunCommand(kFaxtool + " print " + ShellQuote(fax) + " " + options);
    }

    test::TempDir dir;
    std::string fax = dir.File("fax.apf");
    std::string pdf = dir.File("fax.pdf");
};

TEST_F(FaxtoolPrintTest, PrintsToPdfWithTheComponentDefaults) {
    const auto r = Print("--pdf " + ShellQuote(pdf));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "printed 5 pages to " + pdf + "\n");
    const auto info = test::ReadPdfInfo(pdf);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 5);
    const std::string text = test::PdfText(pdf, 4);
    EXPECT_NE(text.find("FILE: " + fax), std::string::npos) << text;
    EXPECT_NE(text.find("PAGE: 4 of 5"), std::string::npos) << text;
}

TEST_F(FaxtoolPrintTest, MultipageAndOwnHeaderAndFooter) {
    const auto r =
        Print("--multipage --header 'Sent to Jane' --footer 'Sheet page $P' --pdf " + ShellQuote(pdf));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::ReadPdfInfo(pdf)->pages, 2);
    const std::string text = test::PdfText(pdf);
    EXPECT_NE(text.find("Sent to Jane"), std::string::npos) << text;
    EXPECT_NE(text.find("Sheet page 5"), std::string::npos) << text;
    EXPECT_EQ(text.find("FILE:"), std::string::npos) << text;
}

TEST_F(FaxtoolPrintTest, ErrorsAreReportedAndLeaveNoFile) {
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {ShellQuote(dir.File("missing.apf")) + " --pdf " + ShellQuote(pdf), "file not found"},
        {ShellQuote(fax) + " --printer no-such-queue-here", "no printer named no-such-queue-here"},
        {ShellQuote(fax) + " --pdf " + ShellQuote(dir.File("no/folder/x.pdf")), "Cannot write the print job"},
        {ShellQuote(fax) + " --pdf a.pdf --printer b", "usage: faxtool print"},
        {ShellQuote(fax) + " --bogus", "unknown option --bogus"},
    };
    for (const auto& c : cases) {
        const auto r = RunCommand(kFaxtool + " print " + c.arguments);
        EXPECT_EQ(r.status, 1) << c.arguments;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.arguments << ": " << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

} // namespace
} // namespace tolvane
