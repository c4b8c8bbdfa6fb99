#include "codec/ParallelBands.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

void RunParallelBands(int count, int threads, int chunk, const std::function<void(int, int)>& work,
                      const std::function<void(int)>& onProgress)
{
    if (count <= 0) return;
    chunk = std::max(chunk, 1);
    const int chunks = (count + chunk - 1) / chunk;
    threads = std::clamp(threads, 1, chunks);

    std::atomic<int> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> stop{false};
    std::mutex errorLock;
    std::exception_ptr error;
    int reported = -1; // touched by the calling thread only

    auto runChunks = [&](bool caller) {
        try
        {
            while (!stop.load(std::memory_order_relaxed))
            {
                const int c = next.fetch_add(1);
                if (c >= chunks) break;
                const int first = c * chunk, last = std::min(count, first + chunk);
                work(first, last);
                const int d = done.fetch_add(last - first) + (last - first);
                if (caller && onProgress && d != reported)
                {
                    reported = d;
                    onProgress(d);
                }
            }
        }
        catch (...)
        {
            stop = true;
            std::lock_guard<std::mutex> lock(errorLock);
            if (!error) error = std::current_exception();
        }
    };

    {
        std::vector<std::jthread> helpers;
        try
        {
            for (int t = 1; t < threads; ++t) helpers.emplace_back(runChunks, false);
        }
        catch (...)
        {
            // Fewer helpers than asked for: the rest of the work is done by those that started.
        }
        runChunks(true);
    } // joins the helpers
    if (error) std::rethrow_exception(error);
    if (onProgress && reported != count) onProgress(count);
}
