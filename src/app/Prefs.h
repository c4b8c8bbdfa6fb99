#pragma once
// The program's preferences and the other values kept under the settings key: their names,
// defaults, and loading and saving them. Values are read and written through the settings
// accessors, so a missing or malformed value gives its default.
#include <string>
#include <vector>

#include "common/BatchProcOptions.h"

class TSettingsStore;

struct TProgramPrefs
{
    bool FirstRun = true;        // "ParamsSaved" was missing or false at start
    bool SaveWindowSize = true;  // restore and keep the main window's size and maximized state
    bool SaveWindowPos = true;   // restore the main window's position
    bool SaveToolbarsPos = true; // restore toolbar positions at start (they are always saved)
    bool ShowTips = true;
    bool FlatButtons = true;
    bool HiliteButtons = true;
    int EmailMethod = 0;        // 0 the desktop's mail program, 1 MIME ".eml", 2 MIME ".msg", 3 "mailto:"
    int InitComprParams = 0;    // new windows: 0 program defaults, 1 last chosen profile, 2 NameDefProfile
    std::string NameDefProfile; // at most 63 characters
    int ComprPriority = 2;      // 0 lowest .. 4 highest; other values normal
    int ComprDelay = 1500;      // ms of quiet after the last change before automatic compression
    int ComprRatioMaxNumAppr = 10;
    int ComprRatioMaxDiff = 5;  // percent
    bool ExtraOptimization = true;
    bool KeepOrigDatetime = true;
    int ImageInfoOptions = 4;   // bit set: 4 sizes in KBytes, 8 time at 28.8 kbit/s, 16 at 56 kbit/s
    bool WarnToSave = true;     // read only; nothing changes it
};

// Image-information bits of ImageInfoOptions.
enum : int { iioSizesInKB = 4, iioTime28k = 8, iioTime56k = 16 };


// Initial folders, folder histories and display options of the picture dialogs.
struct TDialogFolders
{
    std::string OpenDir, SaveDir, ExportDir;
    std::vector<std::string> RecentOpenDirs, RecentSaveDirs;
    int FileDialogOptions = 0;
};

// The preferences ("ParamsSaved" gives FirstRun) and the batch values. Failures propagate.
void LoadPreferences(TSettingsStore* settings, TProgramPrefs& prefs, TBatchProcOptions& batch);
// Writes them back ("ParamsSaved" true); a failure ends the preferences or the batch part
// silently, the other part is still tried.
void SavePreferences(TSettingsStore* settings, const TProgramPrefs& prefs, const TBatchProcOptions& batch);

// The dialog folders; a history is read from value 1 up to the first empty or missing value.
void LoadDialogFolders(TSettingsStore* settings, TDialogFolders& folders);
// Writes the non-empty history entries numbered from 1 and removes the value after the last one,
// so that the next load reads exactly these. Failures propagate.
void SaveDialogFolders(TSettingsStore* settings, const TDialogFolders& folders);
