#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/Parallel.h"

// The first exception (from an item or from progress) stops the others taking work and is raised
// after all have ended; progress comes from the calling thread, rises and ends at the count; calls
// from several threads at once, nested too, all complete. (Every item once, on thread numbers below
// the count: the exact one-thread and many-thread outputs of the encoder and both resamplers.)
TEST(Parallel, FirstExceptionStopsProgressOnTheCallerNestedCallsComplete)
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
    auto stop = [](int done) {
        if (done >= 10) throw std::logic_error("stop");
    };
    EXPECT_THROW(ParallelFor(50, 3, 1, [](int, int, int) {}, stop), std::logic_error);
    const auto caller = std::this_thread::get_id();
    std::vector<int> progress{0};
    ParallelFor(29, 5, 3, [](int, int, int) {}, [&](int done) {
        EXPECT_EQ(std::this_thread::get_id(), caller);
        EXPECT_GT(done, progress.back());
        progress.push_back(done);
    });
    EXPECT_EQ(progress.back(), 29);

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

// Many short calls of varied shapes: every item runs exactly once per call, in chunks no longer than
// asked, on thread numbers below the count of threads (for 0: the process's core count, here set to
// 3 as a test or a benchmark would); a count of 0 runs nothing and reports nothing.
TEST(Parallel, EveryItemOnceInChunksOnThreadNumbersBelowTheCount)
{
    const auto caller = std::this_thread::get_id();
    for (int threads : {1, 2, 5, 0, -3}) {
        SetCoreCount(threads < 0 ? -threads : 0);
        const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
        const int limit = threads > 0 ? threads : threads < 0 ? -threads : cores;
        EXPECT_EQ(CoreCount(), threads < 0 ? 3 : cores);
        for (int call = 0; call < 400; ++call) {
            const int count = call % 29, chunk = 1 + call % 4;
            std::vector<std::atomic<int>> hits(static_cast<size_t>(count));
            std::atomic<bool> bad{false};
            std::atomic<int> calls{0};
            std::vector<int> progress{0};
            ParallelFor(
                count, threads < 0 ? 0 : threads, chunk,
                [&](int first, int last, int thread) {
                    calls.fetch_add(1);
                    bad = bad || thread < 0 || thread >= limit || last - first > chunk || last <= first;
                    for (int i = first; i < last; ++i)
                        hits[size_t(i)].fetch_add(1);
                },
                [&](int done) {
                    bad = bad || std::this_thread::get_id() != caller || done <= progress.back();
                    progress.push_back(done);
                });
            ASSERT_FALSE(bad.load()) << "threads " << threads << " call " << call;
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(hits[size_t(i)].load(), 1) << threads << " " << call;
            ASSERT_EQ(progress.back(), count);
            if (count == 0) {
                ASSERT_EQ(std::tuple(calls.load(), progress.size()), std::tuple(0, size_t(1)));
            }
        }
    }
    SetCoreCount(0);
}
