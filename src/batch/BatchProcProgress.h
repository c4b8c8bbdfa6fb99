#pragma once
// The progress of a batch job as its windows and the main window's status bar read it. The job
// fills a private copy on its own thread and hands it over inside its synchronised call, so the
// readers on the main thread never see a record being written.
#include <cstdint>
#include <string>

struct TBatchProcProgress
{
    uint8_t Stage = 3;         // 0 compressing, 1 decompressing, 2 resampling, 3 loading, 4 saving
    float FileProgress = 0;    // 0..1 within the current file
    int32_t TotalPercent = 0;  // 0..100 of the whole job; never falls
    int32_t FilePercent = 0;   // 0..100 of the current stage
    int32_t FileIndex = 0;     // current file, from 1; 0 while the job reads its list
    int32_t FileCount = 0;
    int32_t ElapsedSec = 0;    // since the job started
    int32_t EstimatedSec = 0;  // estimated duration of the whole job
    int32_t FileStartSec = 0;  // ElapsedSec when the current file began
    std::string SrcName;       // the current source without folder
    std::string SrcFolder;     // its folder, with a trailing "/"
    std::string DestName;      // the output name without folder
    std::string DestFolder;    // its folder, with a trailing "/"
};

// The stage's name ("Compressing" ... "Saving"); empty for an unknown stage.
const char* BatchStageName(int stage);
