#pragma once
// Runs work(first, last) over [0, count) in chunks on several threads, the calling thread included.
// onProgress(done) runs on the calling thread only, after each of its chunks; an exception from it
// or from any chunk stops the others and is raised to the caller once all threads have ended.
#include <functional>

void RunParallelBands(int count, int threads, int chunk, const std::function<void(int first, int last)>& work,
                      const std::function<void(int done)>& onProgress = {});
