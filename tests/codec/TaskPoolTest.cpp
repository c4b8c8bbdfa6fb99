#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "codec/TaskPool.h"

// Many short runs in a row: every index runs exactly once per run, never after Run has returned.
TEST(TaskPool, EveryIndexOncePerRun)
{
    for (int threads : {1, 2, 5}) {
        TTaskPool pool(threads);
        for (int run = 0; run < 500; ++run) {
            const int count = run % 13;
            std::vector<std::atomic<int>> hits(count);
            pool.Run(count, [&](int i) { hits[i].fetch_add(1); });
            for (int i = 0; i < count; ++i)
                ASSERT_EQ(hits[i].load(), 1) << "run " << run << " index " << i;
        }
    }
}

TEST(TaskPool, PassesOnTheFirstExceptionAfterAllEnded)
{
    TTaskPool pool(4);
    std::atomic<int> ran{0};
    EXPECT_THROW(pool.Run(40,
                          [&](int i) {
                              ran.fetch_add(1);
                              if (i % 10 == 3) throw std::runtime_error("task failed");
                          }),
                 std::runtime_error);
    EXPECT_EQ(ran.load(), 40);
    // The pool still works afterwards.
    std::atomic<int> sum{0};
    pool.Run(10, [&](int i) { sum += i; });
    EXPECT_EQ(sum.load(), 45);
}
