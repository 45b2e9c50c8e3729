#include "platform/xbase/XbTextCodec.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

constexpr uint8_t kAnsi = 0x03;

TEST(XbTextCodec, WindowsAnsiRoundTrips) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"Caf\xe9", "Caf\xc3\xa9"},                 // U+00E9
        {"\x80 5", "\xe2\x82\xac 5"},               // euro sign, U+20AC
        {"\x93q\x94", "\xe2\x80\x9cq\xe2\x80\x9d"}, // curly quotes
    };
    for (const auto& [stored, utf8] : cases) {
        EXPECT_EQ(XbToUtf8(stored, kAnsi), utf8);
        EXPECT_EQ(XbFromUtf8(utf8, kAnsi), stored);
    }
}

TEST(XbTextCodec, WhatTheCodePageLacksBecomesAQuestionMark) {
    EXPECT_EQ(XbFromUtf8("\xe4\xb8\xad!", kAnsi), "?!"); // U+4E2D
    EXPECT_EQ(XbFromUtf8("a\xff"
                         "b",
                         kAnsi),
              "a?b");                                   // not UTF-8
    EXPECT_EQ(XbFromUtf8("\xe2\x82", kAnsi), "??");     // cut short
    EXPECT_EQ(XbToUtf8("\x81", kAnsi), "\xef\xbf\xbd"); // unassigned in Windows ANSI
    EXPECT_EQ(XbToUtf8("\x81", 0x02), "\xc2\x81");      // other code pages as Latin-1
}

} // namespace
} // namespace tolvane
