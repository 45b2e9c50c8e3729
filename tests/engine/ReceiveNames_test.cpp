#include "engine/ReceiveNames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

TEST(ReceiveNames, FirstFreeNumberInEachMode) {
    test::TempDir dir;
    const std::string folder = dir.Path().string() + "/";
    test::WriteAll(dir.File("FAX0001.APF"), {1});
    test::WriteAll(dir.File("fax0002.apf"), {1}); // names are compared without regard to case
    test::WriteAll(dir.File("12250001.APF"), {1});
    std::tm christmas{};
    christmas.tm_mon = 11;
    christmas.tm_mday = 25;
    EXPECT_EQ(ReceiveFileName(TReceiveNameMode::rnSequential, folder, "APF", christmas),
              folder + "FAX0003.APF");
    EXPECT_EQ(ReceiveFileName(TReceiveNameMode::rnByDate, folder, "APF", christmas), folder + "12250002.APF");
    EXPECT_EQ(ReceiveFileName(TReceiveNameMode::rnNoName, folder, "APF", christmas), "noname.apf");
    std::tm june{};
    june.tm_mon = 5;
    june.tm_mday = 3;
    EXPECT_EQ(ReceiveFileName(TReceiveNameMode::rnByDate, folder, "APF", june), folder + "06030001.APF");
}

} // namespace
} // namespace tolvane
