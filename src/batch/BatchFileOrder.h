#pragma once
// What lets a batch job work on several files at once and still give what one file at a time in
// list order gives: which sources an earlier file of the list may overwrite before they are read,
// and how much pixel memory a file will take while it is worked on.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TBatchProcOptions;

// True when the output of `earlier` may be the file `later` under the job's naming rules with any
// number the counters may have reached: the output folder is later's folder (compared as canonical
// paths) and later's name has the form prefix + name + suffix + extension that the rules give.
bool BatchOutputMayOverwrite(const std::string& earlier, const std::string& later, const TBatchProcOptions& options);

// Whether the output of the job's first file would stand where the first file stands: the same
// folder (compared as canonical paths, so "/home/j.doe/" is one folder) and the same file name up to
// its first "." (so a.bmp giving a.jpg counts as the same). Case-sensitive.
bool BatchNamesIdentical(const std::string& firstFile, const TBatchProcOptions& options);

// Whether a JPEG source keeps its own extension in its output's name: only when that extension is
// one the JPEG format registers, in any letter case (a.JPEG gives a.JPEG; a JPEG named a.bmp gives
// a.jpg, never JPEG data under a bitmap's name).
bool BatchKeepsJpegExtension(const std::string& source);

// For each file of the list: whether some file before it may write it, so that it is read only
// after those files are written; gives what BatchOutputMayOverwrite gives for every pair, in time
// linear in the list. When stopped() answers true (asked about every 50 ms, however long a name
// takes) the work ends early and the answers are incomplete.
std::vector<bool> BatchSourcesAtRisk(const std::vector<std::string>& files, const TBatchProcOptions& options,
                                     const std::function<bool()>& stopped = {});

// Bytes of pixel memory a file takes while it is loaded, decoded, resampled and compressed, from the
// picture size in its header (JPEG and BMP); a file of another format is assumed to unpack to 16
// bytes per byte of file. Never below the file size.
int64_t EstimateBatchFileMemory(const std::string& fileName, int64_t fileSize);
