#pragma once
// How many threads a resampling pass uses, and in what runs of rows they take the work. Every row
// is computed the same way whichever thread takes it, so the result does not depend on the count.
#include <cstdint>

// Threads for a pass of `rows` rows and about `work` pixel operations: Requested (> 0) as given,
// 0 = as many as the machine has cores, fewer when the pass is small.
int ResampleThreadCount(int Requested, int rows, int64_t work);

// Rows a thread takes at a time: runs of neighbouring rows share source rows in their caches, and
// are short enough that every thread gets several. One row at a time on a single thread.
int ResampleRowRun(int rows, int threads);

// Target rows in a band of the filter resampler, whose threads filter along x the source rows
// of a band before filtering them along y: long enough that few source rows are shared between
// neighbouring bands, short enough that a band's work rows fit in a core's cache and every thread
// gets several bands.
int ResampleBandRows(int rows, int threads);
