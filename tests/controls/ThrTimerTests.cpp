#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "controls/ThrTimer.h"
#include "platform/MainThread.h"
#include "platform/MessageBox.h"

namespace {

TEST(ExtTimer, DistanceRuleHandlesTheWrapAndIsStrict)
{
    struct { uint32_t Last, Now; int32_t Interval; bool Due; } const cases[] = {
        {0, 100, 100, false},                 // exactly the interval: not yet
        {0, 101, 100, true},
        {0, 5, 0, true},                      // interval 0: whenever the count has moved
        {5, 5, 0, false},
        {0xFFFFFFF0u, 0x00000005u, 100, false}, // 21 ms across the wrap: not early
        {0xFFFFFF00u, 0x00000010u, 100, true},  // 272 ms across the wrap: due
        {1000, 900, 50, true},                // a count that went back still counts as distance
        {0, 0x80000000u, 100, true},          // the largest distance does not overflow
    };
    for (const auto& c : cases)
        EXPECT_EQ(TExtTimer::IsDue(c.Last, c.Now, c.Interval), c.Due) << c.Last << " " << c.Now << " " << c.Interval;
}

TEST(ExtTimer, FiresOnTheMainThreadMoreThanAnIntervalApartAcrossTheWrapAndGoesOnAfterAFailure)
{
    TQueueInvoker inv;
    TRecordingMessageBox box;
    TScopedMessageBox scope(&box);
    const uint32_t start = 0xFFFFFFE0u;
    std::atomic<uint32_t> clock{start};
    auto tick = [&] { return clock += 7; }; // a clock that moves 7 ms per check and wraps after 32
    std::vector<uint32_t> firings;
    bool onMain = true;
    {
        TExtTimer timer(20, [&](TExtTimer* sender) {
            onMain = onMain && inv.IsMainThread() && sender == &timer;
            firings.push_back(sender->LastTick());
            if (firings.size() == 1) throw std::runtime_error("handler failed");
        }, &inv, tick);
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
             firings.size() < 4 && std::chrono::steady_clock::now() < end;)
            inv.ProcessEvents(5);
        ASSERT_GE(firings.size(), 4u);
        EXPECT_FALSE(timer.Failed());
    }
    EXPECT_TRUE(onMain);
    ASSERT_EQ(box.Calls().size(), 1u);
    EXPECT_EQ(box.Calls()[0].Text, "handler failed");
    // After a firing, checks at +7, +14, +21 (fires: 21 > 20), ...; the count wraps after the second firing.
    EXPECT_LT(firings[2], start);
    for (size_t i = 1; i < firings.size(); ++i) EXPECT_EQ(uint32_t(firings[i] - firings[i - 1]), 21u) << i;
}

TEST(ExtTimer, WithoutAHandlerAndWhileTheMainThreadIsBusyItStopsCleanly)
{
    TQueueInvoker inv;
    {
        TExtTimer idle(0, {}, &inv);
        std::this_thread::sleep_for(std::chrono::milliseconds(40)); // the thread now waits in a firing
    }                                                                 // the destructor serves it and stops
    EXPECT_EQ(inv.ProcessPending(), 0);
}

} // namespace
