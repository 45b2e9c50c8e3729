#include "engine/ResultCollector.h"

#include <gtest/gtest.h>

#include <vector>

namespace tolvane {
namespace {

using Event = ResultCollector::Event;

// Feeds the bytes and returns the completed lines and frames.
std::vector<std::pair<Event, std::string>> Collect(ResultCollector& c, const std::string& bytes) {
    std::vector<std::pair<Event, std::string>> out;
    for (const char b : bytes) {
        const Event e = c.Feed(static_cast<uint8_t>(b));
        if (e != Event::None) {
            out.emplace_back(e, c.Buffer());
        }
    }
    return out;
}

TEST(ResultCollector, LinesAreTrimmedAndEmptyOnesSkipped) {
    ResultCollector c;
    const auto got = Collect(c, "\r\nOK\r\n\r\n\x07 CONNECT 9600\r\n\r\n");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], std::make_pair(Event::Line, std::string("OK")));
    EXPECT_EQ(got[1], std::make_pair(Event::Line, std::string("CONNECT 9600")));
}

TEST(ResultCollector, AFrameKeepsCrLfDleAndItsCheckSequence) {
    ResultCollector c;
    // Address, control, TSI with "\r\n" and a stuffed DLE in its FIF, two FCS octets, DLE ETX.
    const std::string frame =
        std::string("\xFF\x03\x43\r\n", 5) + "\x10\x10" + "AB" + "\x5A\x0D" + "\x10\x03";
    const auto got = Collect(c, "\r\nCONNECT\r\n" + frame + "\r\nOK\r\n");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].second, "CONNECT");
    EXPECT_EQ(got[1].first, Event::Frame);
    EXPECT_EQ(got[1].second, std::string("\xFF\x03\x43\r\n\x10"
                                         "AB\x5A\x0D",
                                         10));
    EXPECT_EQ(got[2], std::make_pair(Event::Line, std::string("OK")));
}

TEST(ResultCollector, KeepsAtMost128BytesAndResets) {
    ResultCollector c;
    const auto got = Collect(c, std::string(200, 'x') + "\r\n");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].second, std::string(128, 'x'));
    Collect(c, "partial");
    c.Reset();
    EXPECT_EQ(Collect(c, "OK\r\n")[0].second, "OK");
}

} // namespace
} // namespace tolvane
