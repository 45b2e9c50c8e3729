#include "imaging/errors/ResultCodes.h"
#include "platform/ini/IniFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

namespace tolvane {
namespace {

using test::TempDir;

std::string ReadText(const std::string& name) {
    const auto bytes = test::ReadAll(name);
    return {bytes.begin(), bytes.end()};
}

void WriteText(const std::string& name, const std::string& text) {
    test::WriteAll(name, {text.begin(), text.end()});
}

TEST(IniInteger, DecimalHexadecimalAndInvalid) {
    const struct {
        const char* text;
        std::optional<int> value;
    } cases[] = {
        {"10", 10},
        {"-1", -1},
        {"+7", 7},
        {"  45 ", 45},
        {"0x0A", 10},
        {"0X1f", 31},
        {"0xFFFFFFFF", -1},
        {"0x", std::nullopt},
        {"0x1G", std::nullopt},
        {"0x100000000", std::nullopt},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1.5", std::nullopt},
        {"99999999999", std::nullopt},
        {"--1", std::nullopt},
        {"+-1", std::nullopt},
        {"-0x10", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseIniInteger(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(IniFile, ReadsSectionsWithBlanksIgnoringCaseAndTakesTheFirstDuplicate) {
    IniFile ini;
    ini.Parse("; settings\r\n"
              "[Default Font]\r\n"
              "Name = Times New Roman \r\n"
              "size=12\r\n"
              "Size=14\r\n"
              "[default font]\r\n"
              "Bold=1\r\n"
              "[Receive]\r\n"
              "Wav=\"/home/me/ring.wav\"\r\n"
              "AnswerOnRing=zwei\r\n");
    EXPECT_EQ(ini.ReadString("DEFAULT FONT", "NAME", "Arial"), "Times New Roman");
    EXPECT_EQ(ini.ReadInteger("Default Font", "Size", 10), 12);
    EXPECT_FALSE(ini.ReadBool("Default Font", "Bold", false)); // in the second, ignored section
    EXPECT_EQ(ini.ReadString("Receive", "Wav", ""), "/home/me/ring.wav");
    EXPECT_EQ(ini.ReadInteger("Receive", "AnswerOnRing", 1), 1);
    EXPECT_EQ(ini.ReadInteger("Receive", "Missing", 3), 3);
    EXPECT_EQ(ini.ReadString("Nowhere", "Wav", "def"), "def");
}

TEST(IniFile, StringsAreCutAt1023BytesOnACharacterBoundary) {
    IniFile ini;
    ini.Parse("[S]\nA=" + std::string(2000, 'x') + "\nB=" + std::string(1022, 'y') + "\xC3\xA9" + "tail\n");
    EXPECT_EQ(ini.ReadString("S", "A", ""), std::string(1023, 'x'));
    // The two-byte character would straddle the limit: it is left out whole.
    EXPECT_EQ(ini.ReadString("S", "B", ""), std::string(1022, 'y'));
}

TEST(IniFile, WritingChangesLinesInPlaceAndKeepsEverythingElse) {
    IniFile ini;
    ini.Parse("; written by hand\n"
              "[Modem]\n"
              "comport = 2\n"
              "Extra=keep me\n"
              "\n"
              "[TMainScreen_Placement]\n"
              "Left=10\n"
              "garbage line without equals\n"
              "\x01\xFF binary\n");
    ini.WriteInteger("Modem", "ComPort", 0);
    ini.WriteInteger("Modem", "FaxClass", 3);
    ini.WriteBool("Dialing", "BlindDial", true);
    ini.WriteString("Receive", "Wav", "a\r\nb");
    EXPECT_EQ(ini.Text(), "; written by hand\n"
                          "[Modem]\n"
                          "comport=0\n"
                          "Extra=keep me\n"
                          "FaxClass=3\n"
                          "\n"
                          "[TMainScreen_Placement]\n"
                          "Left=10\n"
                          "garbage line without equals\n"
                          "\x01\xFF binary\n"
                          "[Dialing]\n"
                          "BlindDial=1\n"
                          "[Receive]\n"
                          "Wav=a  b\n");
}

TEST(IniFile, NewDocumentUsesWindowsLineEnds) {
    IniFile ini;
    ini.WriteString("User", "Name", "Ann");
    EXPECT_EQ(ini.Text(), "[User]\r\nName=Ann\r\n");
}

TEST(IniFile, SaveCreatesAPrivateFileAndKeepsTheModeOfAnExistingOne) {
    TempDir dir;
    const std::string name = dir.File("QOB.INI");
    IniFile ini;
    EXPECT_EQ(ini.Load(name), ecFileNotFound);
    ini.WriteInteger("Modem", "ComPort", 0);
    ASSERT_EQ(ini.Save(name), ecOK);
    struct stat st {};
    ASSERT_EQ(::stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadText(name), "[Modem]\r\nComPort=0\r\n");

    ::chmod(name.c_str(), 0640);
    IniFile again;
    ASSERT_EQ(again.Load(name), ecOK);
    again.WriteInteger("Modem", "ComPort", 4);
    ASSERT_EQ(again.Save(name), ecOK);
    ASSERT_EQ(::stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(ReadText(name), "[Modem]\r\nComPort=4\r\n");
    // Only the target is left: no temporary files.
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST(IniFile, AnUnreadableFileGivesDefaultsAndIsNeverReplaced) {
    // A folder in place of the file: unreadable for every user, root included.
    TempDir dir;
    const std::string name = dir.File("QOB.INI");
    std::filesystem::create_directory(name);
    IniFile ini;
    EXPECT_LT(ini.Load(name), 0);
    EXPECT_NE(ini.Load(name), ecFileNotFound);
    EXPECT_EQ(ini.ReadInteger("Modem", "ComPort", -1), -1);
    ini.WriteInteger("Modem", "ComPort", 0);
    EXPECT_EQ(ini.Save(name), ecIniRead);
    EXPECT_TRUE(std::filesystem::is_directory(name));
}

TEST(IniFile, AnOversizedFileIsNotTakenAndNotReplaced) {
    TempDir dir;
    const std::string name = dir.File("QOB.INI");
    const std::string big(kIniMaxFileSize + 1, 'z');
    WriteText(name, big);
    IniFile ini;
    EXPECT_EQ(ini.Load(name), ecDataTooLarge);
    ini.WriteInteger("Modem", "ComPort", 0);
    EXPECT_EQ(ini.Save(name), ecIniRead);
    EXPECT_EQ(std::filesystem::file_size(name), big.size());
}

TEST(IniFile, SaveIntoAMissingFolderFailsAndLeavesNothing) {
    TempDir dir;
    IniFile ini;
    ini.WriteInteger("Modem", "ComPort", 0);
    EXPECT_LT(ini.Save(dir.File("missing/QOB.INI")), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

} // namespace
} // namespace tolvane
