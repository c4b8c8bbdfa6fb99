#include "resample/ResampleThreads.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

int ResampleThreadCount(int Requested, int rows, int64_t work)
{
    int n = Requested;
    if (n <= 0) {
        n = int(std::max(1u, std::thread::hardware_concurrency()));
        // Below about 64 K operations per thread, starting threads costs more than it saves.
        n = int(std::min<int64_t>(n, std::max<int64_t>(1, work >> 16)));
    }
    return std::max(1, std::min(n, rows));
}

void ParallelRows(int rows, int Threads, const std::function<void(int row, int thread)>& Work,
                  const std::function<void(int done)>& Progress)
{
    if (Threads <= 1) {
        for (int r = 0; r < rows; ++r) {
            Work(r, 0);
            if (Progress) Progress(r + 1);
        }
        return;
    }
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> stop{false};
    std::mutex errorLock;
    std::exception_ptr error;
    auto fail = [&] {
        std::lock_guard<std::mutex> lock(errorLock);
        if (!error) error = std::current_exception();
        stop.store(true);
    };
    // Threads take runs of neighbouring rows, which share source rows in their caches; runs are
    // short enough that every thread gets several.
    const int run = std::max(1, std::min(16, rows / (Threads * 8)));
    auto loop = [&](int thread, bool reports) {
        while (!stop.load(std::memory_order_relaxed)) {
            const int r0 = next.fetch_add(run);
            if (r0 >= rows) break;
            const int r1 = std::min(rows, r0 + run);
            for (int r = r0; r < r1; ++r) {
                Work(r, thread);
                const int d = done.fetch_add(1) + 1;
                if (reports && Progress) Progress(d);
            }
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(size_t(Threads - 1));
    try {
        for (int t = 1; t < Threads; ++t)
            helpers.emplace_back([&, t] {
                try {
                    loop(t, false);
                } catch (...) {
                    fail();
                }
            });
        loop(0, true);
    } catch (...) {
        fail();
    }
    for (auto& h : helpers)
        h.join();
    if (error) std::rethrow_exception(error);
    if (Progress) Progress(done.load());
}
