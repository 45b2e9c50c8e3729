#include "imaging/errors/ResultCodes.h"
#include "imaging/errors/StringTable.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(MessageLookup, IdentifiersFollowTheThreeRules) {
    const struct {
        int code;
        int id;
    } cases[] = {
        {-8001, 11801},  {-1002, 11102},  {-5, 11005},     {-101, 11901},   {-13850, 13850},
        {-13933, 13233}, {-13800, 13800}, {-13900, 13900}, {-13799, 13099}, {-100, 11900},
        {-199, 11999},   {-200, 11200},   {-99, 11099},    {0, 11000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MessageIdForCode(c.code), c.id) << "code " << c.code;
    }
}

TEST(MessageLookup, TextsOfTheTable) {
    const struct {
        int code;
        const char* text;
    } cases[] = {
        {ecFileNotFound, "File not found"},
        {ecOutOfMemory, "Insufficient memory"},
        {ecDiskRead, "Attempt to read beyond end of file"},
        {ecDiskFull, "Disk is full"},
        {ecHardwareFailure, "General failure"},
        {ecBadArgument, "Bad argument passed to function"},
        {ecHardware, "ie_Hardware - Specified comport in use"},
        {ecNoPortSelected, "The ComNumber property of the TComPort has not been set"},
        {ecOutputBufferTooSmall, "Output buffer too small for block"},
        {ecNoMoreTriggers, "No more trigger slots"},
        {ecFatalTimeout, "Fatal time out"},
        {ecCancelRequested, "Cancel requested"},
        {ecNoFilename, "No filename specified in protocol receive"},
        {ecFileRejected, "File was rejected"},
        {ecNoFieldsDefined, "No fields defined in database"},
        {ecDatabaseFull, "Maximum database records (999) reached"},
        {ecFaxBadFormat, "File is not an APF file"},
        {ecBadGraphicsFormat, "Unsupported graphics file format"},
        {ecFaxPageError, "Fax failed at page end"},
        {-13806, " completion overrun"},
        {-13886, "no multiple instance"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorMessage(c.code), c.text) << "code " << c.code;
    }
    EXPECT_EQ(StringTableEntry(11000), "OK");
}

TEST(MessageLookup, CodesWithoutTextGiveEmptyMessages) {
    for (const int code : {-7, -9, -106, -13928, -13933, -8052, -9999, -13804}) {
        EXPECT_EQ(ErrorMessage(code), "") << "code " << code;
    }
}

TEST(StatusTexts, ByCodeWithGapsEmpty) {
    EXPECT_EQ(StatusText(1), "Initializing modem for fax processing");
    EXPECT_EQ(StatusText(3), "Busy, waiting until redial...");
    EXPECT_EQ(StatusText(28), "Got Class 2 FHNG code");
    EXPECT_EQ(StatusText(43), "Finished");
    for (const int code : {0, 8, 19, 29, 39, 44, -1}) {
        EXPECT_EQ(StatusText(code), "") << "status " << code;
    }
}

} // namespace
} // namespace tolvane
