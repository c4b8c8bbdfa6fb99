#include "resample/ResampleThreads.h"

#include <algorithm>

#include "platform/Parallel.h"

int ResampleThreadCount(int Requested, int rows, int64_t work)
{
    int n = Requested;
    if (n <= 0) {
        n = CoreCount();
        // Below about 64 K operations per thread, starting threads costs more than it saves.
        n = int(std::min<int64_t>(n, std::max<int64_t>(1, work >> 16)));
    }
    return std::max(1, std::min(n, rows));
}

int ResampleRowRun(int rows, int threads)
{
    if (threads <= 1) return 1;
    return std::max(1, std::min(16, rows / (threads * 8)));
}

int ResampleBandRows(int rows, int threads)
{
    // Four bands a thread, rounded up so that the bands come out as a multiple of the threads.
    const int64_t bands = int64_t(std::max(1, threads)) * 4;
    return int(std::max<int64_t>(1, std::min<int64_t>(64, (rows + bands - 1) / bands)));
}
