#pragma once
// Spreads work over threads of one pool shared by the whole process. The pool is kept alive between
// calls, so that many short calls do not pay for starting threads; calls from several threads at
// once, and calls made from inside a work function, are served side by side.
#include <functional>

// Runs work(first, last, thread) over [0, count) in chunks of `chunk` items on up to `threads`
// threads in all (0 = one per core), the calling thread included as thread 0; `thread` is below
// that count, and no two threads of one call share a number. progress(done) runs on the calling
// thread only, after each chunk it completed, and once more with `count` at the end if that was not
// the last value reported. An exception from progress or from any chunk stops the other threads
// taking new chunks and is raised here once all threads of the call have ended.
// The thread count that "one per core" means here and in every engine: the machine's cores, unless a
// test or a benchmark set another with SetCoreCount (0 restores the machine's).
int CoreCount();
void SetCoreCount(int cores);

void ParallelFor(int count, int threads, int chunk,
                 const std::function<void(int first, int last, int thread)>& work,
                 const std::function<void(int done)>& progress = {});
