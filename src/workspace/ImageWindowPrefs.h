#pragma once
// The preferences an image window reads. The main window keeps them current; a window copies
// some of them when it is created.
#include <cstdint>

struct TImageWindowPrefs
{
    int32_t ComprDelay = 1500;  // quiet time (ms) after the last change before automatic compression
    int32_t ComprPriority = 2;  // worker priority, 0 lowest .. 4 highest
    int32_t ComprRatioMaxNumAppr = 10;
    int32_t ComprRatioMaxDiff = 5;
    bool ExtraOptimization = true;
    bool KeepOrigDatetime = true;
    bool WarnToSave = true;
};

TImageWindowPrefs& ImageWindowPrefs();
