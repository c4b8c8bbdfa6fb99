#pragma once
// Progress of the encoder and the decoder: the library's progress hook with the image as its
// client. Events go out at most every 120 ms and only when the percent changes; while decoding each
// event carries the band of rows decoded since the previous one.
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

class TJPEGImage;

struct TJpegProgress
{
    jpeg_progress_mgr Pub{}; // first member: the library's record
    TJPEGImage* Image = nullptr;
    bool Compressing = false;
    // Compressing: the main prefilter makes the first pass the slow one.
    bool MainFilterOn = false;
    bool Progressive = false;
    // Throttle and change detection.
    bool HaveTick = false;
    uint32_t LastTick = 0;
    int LastPercent = -1;
    int LastRow = 0;
};

// Installs ProgressMonitor on a compressor or decompressor with image as its client.
void InstallProgressMonitor(j_common_ptr cinfo, TJpegProgress& progress, TJPEGImage* image);

// The library's progress hook.
void ProgressMonitor(j_common_ptr cinfo);

// One progress step with explicit pass figures (the library's hook passes its own; the encoder's
// front end reports its rows this way). decoder is the decompressor when decoding, else nullptr.
void ProgressStep(TJpegProgress& progress, long passCounter, long passLimit, int completedPasses, int totalPasses,
                  j_decompress_ptr decoder);

// The clock of the throttle; tests replace it to make every call count.
using TJpegTickSource = uint32_t (*)();
void SetJpegProgressTickSource(TJpegTickSource source); // nullptr restores the system tick count
