#pragma once
// The preferences an image window reads. The main window keeps them current; a window copies
// some of them when it is created.
#include <cstdint>

class TSettingsStore;

struct TImageWindowPrefs
{
    int32_t ComprDelay = 1500;  // quiet time (ms) after the last change before automatic compression
    int32_t ComprPriority = 2;  // worker priority, 0 lowest .. 4 highest
    int32_t ComprRatioMaxNumAppr = 10;
    int32_t ComprRatioMaxDiff = 5;
    bool ExtraOptimization = true;
    bool KeepOrigDatetime = true;
    bool WarnToSave = true;
    int32_t ImageInfoOptions = 4; // status figures: 4 sizes in KBytes, 8 time at 28.8 kbit/s, 16 at 56 kbit/s
    // The program's settings: where the answers of the check-message boxes are kept (may be nullptr).
    TSettingsStore* Settings = nullptr;
};

TImageWindowPrefs& ImageWindowPrefs();
