#pragma once
// What a batch job needs besides its file list: where the results go, the compression profile,
// how output names are formed and how the job runs. The main window keeps the last options in the
// settings; the batch options dialog edits them.
#include <string>

struct TBatchProcOptions
{
    std::string DestFolder;       // with a trailing "/"; empty: each source file's own folder
    std::string ProfileFile;      // full name of the profile file
    bool KeepOriginalName = true; // the output name contains the source name
    int PrefixMode = 0;           // 0 none, 1 textual, 2 numeral
    int SuffixMode = 0;
    std::string PrefixText;
    std::string SuffixText;
    int PrefixN = 1; // next number of a numeral prefix, 0..32767
    int SuffixN = 1;
    bool LeadingZeros = false;
    int Digits = 4;             // width of padded numbers, 2..8
    bool RunForeground = true;  // the progress window is modal
    bool MinimizeMain = false;  // the main window stays minimised while the job runs
    bool ForceJpgExt = false;   // set by the worker per file; never stored
};
