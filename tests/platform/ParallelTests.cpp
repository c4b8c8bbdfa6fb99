#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/Parallel.h"

// Many short calls in a row, with varied shapes: every item runs exactly once per call, never after
// the call has returned, and thread numbers stay below the count asked for.
TEST(Parallel, EveryItemOncePerCall)
{
    for (int threads : {1, 2, 5, 0}) {
        const int limit = threads > 0 ? threads : int(std::max(1u, std::thread::hardware_concurrency()));
        for (int call = 0; call < 400; ++call) {
            const int count = call % 29, chunk = 1 + call % 4;
            std::vector<std::atomic<int>> hits(static_cast<size_t>(count));
            std::atomic<bool> badThread{false};
            ParallelFor(count, threads, chunk, [&](int first, int last, int thread) {
                if (thread < 0 || thread >= limit || last - first > chunk) badThread = true;
                for (int i = first; i < last; ++i) hits[size_t(i)].fetch_add(1);
            });
            ASSERT_FALSE(badThread.load()) << "threads " << threads << " call " << call;
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(hits[size_t(i)].load(), 1) << "threads " << threads << " call " << call;
        }
    }
}

// Progress comes from the calling thread only, grows, and ends at the count exactly once.
TEST(Parallel, ProgressOnCallingThreadEndingAtCount)
{
    for (int threads : {1, 4}) {
        const auto caller = std::this_thread::get_id();
        std::vector<int> seen;
        bool otherThread = false;
        ParallelFor(100, threads, 3, [](int, int, int) {}, [&](int done) {
            otherThread |= std::this_thread::get_id() != caller;
            seen.push_back(done);
        });
        EXPECT_FALSE(otherThread);
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back(), 100);
        EXPECT_TRUE(std::adjacent_find(seen.begin(), seen.end(), std::greater_equal<>()) == seen.end());
    }
}

// The first exception stops the others taking work and is raised after all have ended; the pool
// works afterwards. An exception from progress is passed on the same way.
TEST(Parallel, FirstExceptionStopsAndIsRaisedAfterAllEnded)
{
    std::atomic<int> running{0}, ran{0};
    EXPECT_THROW(ParallelFor(10000, 4, 1,
                             [&](int first, int, int) {
                                 running.fetch_add(1);
                                 ran.fetch_add(1);
                                 std::this_thread::sleep_for(std::chrono::microseconds(50));
                                 running.fetch_sub(1);
                                 if (first == 3) throw std::runtime_error("item failed");
                             }),
                 std::runtime_error);
    EXPECT_EQ(running.load(), 0);
    EXPECT_LT(ran.load(), 10000);

    auto stopAtTen = [](int done) {
        if (done >= 10) throw std::logic_error("stop");
    };
    EXPECT_THROW(ParallelFor(50, 3, 1, [](int, int, int) {}, stopAtTen), std::logic_error);

    std::atomic<int> sum{0};
    ParallelFor(10, 4, 1, [&](int first, int, int) { sum += first; });
    EXPECT_EQ(sum.load(), 45);
}

// Calls from several threads at once, each also calling from inside its work, all complete.
TEST(Parallel, ConcurrentAndNestedCalls)
{
    std::atomic<long> total{0};
    std::vector<std::thread> callers;
    for (int k = 0; k < 4; ++k)
        callers.emplace_back([&] {
            for (int call = 0; call < 50; ++call)
                ParallelFor(8, 3, 1, [&](int, int, int) {
                    ParallelFor(10, 2, 2, [&](int first, int last, int) { total += last - first; });
                });
        });
    for (auto& t : callers) t.join();
    EXPECT_EQ(total.load(), 4L * 50 * 8 * 10);
}
