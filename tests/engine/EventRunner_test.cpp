#include "engine/EventRunner.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace tolvane {
namespace {

using namespace std::chrono_literals;

TEST(QueuedEventRunner, EventsRunOnTheOwningThread) {
    QueuedEventRunner runner;
    const auto owner = std::this_thread::get_id();
    std::thread::id ranOn;
    bool sent = false;
    std::thread engine([&] { sent = runner.Send([&] { ranOn = std::this_thread::get_id(); }, 1000ms); });
    EXPECT_TRUE(runner.RunUntil([&] { return ranOn == owner; }, 2s));
    engine.join();
    EXPECT_TRUE(sent);
    // From the owning thread itself an event runs at once.
    bool inline_ = false;
    EXPECT_TRUE(runner.Send([&] { inline_ = true; }, 0ms));
    EXPECT_TRUE(inline_);
}

TEST(QueuedEventRunner, AnEventNotBegunWithinTheGuardIsDropped) {
    QueuedEventRunner runner;
    std::atomic<bool> ran{false};
    bool sent = true;
    std::thread engine([&] { sent = runner.Send([&] { ran = true; }, 50ms); });
    engine.join(); // nobody processes events meanwhile
    EXPECT_FALSE(sent);
    EXPECT_EQ(runner.ProcessEvents(0ms), 0);
    EXPECT_FALSE(ran);
}

TEST(QueuedEventRunner, PostedEventsRunLaterInOrder) {
    QueuedEventRunner runner;
    std::vector<int> order;
    std::thread engine([&] {
        runner.Post([&] { order.push_back(1); });
        runner.Post([&] { order.push_back(2); });
    });
    engine.join();
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(runner.ProcessEvents(0ms), 2);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

} // namespace
} // namespace tolvane
