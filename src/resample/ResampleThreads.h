#pragma once
// Spreads the rows of a resampling pass over threads. Every row is computed the same way whichever
// thread takes it, so the result does not depend on the number of threads.
#include <cstdint>
#include <functional>

// Threads for a pass of `rows` rows and about `work` pixel operations: Requested (> 0) as given,
// 0 = as many as the machine has cores, fewer when the pass is small.
int ResampleThreadCount(int Requested, int rows, int64_t work);

// Runs Work(row, thread) for every row 0..rows-1 on Threads threads (thread 0 is the caller).
// Progress(done rows) runs on the calling thread only, after each row it completed and once at the
// end; an exception from it or from any row stops the pass and is raised here after all threads
// have stopped.
void ParallelRows(int rows, int Threads, const std::function<void(int row, int thread)>& Work,
                  const std::function<void(int done)>& Progress);
