#include "app/Prefs.h"

#include "codec/JPEGProfile.h"
#include "common/SettingsAccess.h"
#include "platform/SettingsStore.h"

namespace {

std::string ReadStr(TSettingsStore* s, const char* name, const std::string& def)
{
    std::string v;
    ReadStrSetting(s, nullptr, name, v, def);
    return v;
}

void ReadHistory(TSettingsStore* s, const std::string& base, std::vector<std::string>& list)
{
    list.clear();
    for (int n = 1;; ++n) {
        std::string dir = ReadStr(s, (base + std::to_string(n)).c_str(), "");
        if (dir.empty()) break;
        list.push_back(dir);
    }
}

void WriteHistory(TSettingsStore* s, const std::string& base, const std::vector<std::string>& list)
{
    int n = 0;
    for (const std::string& dir : list)
        if (!dir.empty()) WriteStrSetting(s, nullptr, base + std::to_string(++n), dir);
    // Reading stops at the first missing value: end the list here, so that entries of an earlier,
    // longer list do not come back behind the new ones.
    s->DeleteValue(base + std::to_string(n + 1));
}

} // namespace

void LoadPreferences(TSettingsStore* s, TProgramPrefs& p, TBatchProcOptions& b)
{
    p.FirstRun = !ReadBoolSetting(s, nullptr, "ParamsSaved", false);
    p.SaveWindowSize = ReadBoolSetting(s, nullptr, "SaveWindowSize", true);
    p.SaveWindowPos = ReadBoolSetting(s, nullptr, "SaveWindowPos", true);
    p.SaveToolbarsPos = ReadBoolSetting(s, nullptr, "SaveToolbarsPos", true);
    p.ShowTips = ReadBoolSetting(s, nullptr, "ShowTips", true);
    p.FlatButtons = ReadBoolSetting(s, nullptr, "FlatButtons", true);
    p.HiliteButtons = ReadBoolSetting(s, nullptr, "HiliteButtons", true);
    p.EmailMethod = ReadIntSetting(s, nullptr, "EmailMethod", 0);
    p.InitComprParams = ReadIntSetting(s, nullptr, "InitComprParams", 0);
    p.NameDefProfile = CutProfileName(ReadStr(s, "NameDefProfile", ""));
    p.ComprPriority = ReadIntSetting(s, nullptr, "ComprPriority", 2);
    p.ComprDelay = ReadIntSetting(s, nullptr, "ComprDelay", 1500);
    p.ComprRatioMaxNumAppr = ReadIntSetting(s, nullptr, "ComprRatioMaxNumAppr", 10);
    p.ComprRatioMaxDiff = ReadIntSetting(s, nullptr, "ComprRatioMaxDiff", 5);
    p.ExtraOptimization = ReadBoolSetting(s, nullptr, "ExtraOptimization", true);
    p.KeepOrigDatetime = ReadBoolSetting(s, nullptr, "KeepOrigDatetime", true);
    p.ImageInfoOptions = ReadIntSetting(s, nullptr, "ImageInfoOptions", 4);
    p.WarnToSave = ReadBoolSetting(s, nullptr, "WarnToSave", true);

    b.DestFolder = ReadStr(s, "BatchDestFolder", "");
    b.ProfileFile = ReadStr(s, "BatchProfile", "");
    b.PrefixText = ReadStr(s, "BatchFNPrefix", "");
    b.SuffixText = ReadStr(s, "BatchFNSuffix", "");
    b.KeepOriginalName = ReadBoolSetting(s, nullptr, "BatchFNContOrig", true);
    b.RunForeground = ReadBoolSetting(s, nullptr, "BatchFGProcess", true);
    b.PrefixMode = ReadIntSetting(s, nullptr, "BatchFNPrefType", 0);
    b.SuffixMode = ReadIntSetting(s, nullptr, "BatchFNSufType", 0);
    b.PrefixN = ReadIntSetting(s, nullptr, "BatchFNPrefInitN", 1);
    b.SuffixN = ReadIntSetting(s, nullptr, "BatchFNSufInitN", 1);
    b.LeadingZeros = ReadBoolSetting(s, nullptr, "BatchFNLeadZeroes", false);
    b.MinimizeMain = ReadBoolSetting(s, nullptr, "BatchMinWnd", false);
    b.Digits = ReadIntSetting(s, nullptr, "BatchFNLeadZeroesN", 4);
}

void SavePreferences(TSettingsStore* s, const TProgramPrefs& p, const TBatchProcOptions& b)
{
    try {
        WriteBoolSetting(s, nullptr, "ParamsSaved", true);
        WriteBoolSetting(s, nullptr, "SaveWindowSize", p.SaveWindowSize);
        WriteBoolSetting(s, nullptr, "SaveWindowPos", p.SaveWindowPos);
        WriteBoolSetting(s, nullptr, "SaveToolbarsPos", p.SaveToolbarsPos);
        WriteBoolSetting(s, nullptr, "ShowTips", p.ShowTips);
        WriteBoolSetting(s, nullptr, "FlatButtons", p.FlatButtons);
        WriteBoolSetting(s, nullptr, "HiliteButtons", p.HiliteButtons);
        WriteIntSetting(s, nullptr, "EmailMethod", p.EmailMethod);
        WriteIntSetting(s, nullptr, "InitComprParams", p.InitComprParams);
        WriteStrSetting(s, nullptr, "NameDefProfile", p.NameDefProfile);
        WriteIntSetting(s, nullptr, "ComprPriority", p.ComprPriority);
        WriteIntSetting(s, nullptr, "ComprDelay", p.ComprDelay);
        WriteIntSetting(s, nullptr, "ComprRatioMaxNumAppr", p.ComprRatioMaxNumAppr);
        WriteIntSetting(s, nullptr, "ComprRatioMaxDiff", p.ComprRatioMaxDiff);
        WriteBoolSetting(s, nullptr, "ExtraOptimization", p.ExtraOptimization);
        WriteBoolSetting(s, nullptr, "KeepOrigDatetime", p.KeepOrigDatetime);
        WriteIntSetting(s, nullptr, "ImageInfoOptions", p.ImageInfoOptions);
    } catch (...) {
        // The preferences stay as far as they were written; the batch values are still tried.
    }
    try {
        WriteStrSetting(s, nullptr, "BatchDestFolder", b.DestFolder);
        WriteStrSetting(s, nullptr, "BatchProfile", b.ProfileFile);
        WriteStrSetting(s, nullptr, "BatchFNPrefix", b.PrefixText);
        WriteStrSetting(s, nullptr, "BatchFNSuffix", b.SuffixText);
        WriteBoolSetting(s, nullptr, "BatchFNContOrig", b.KeepOriginalName);
        WriteBoolSetting(s, nullptr, "BatchFGProcess", b.RunForeground);
        WriteIntSetting(s, nullptr, "BatchFNPrefType", b.PrefixMode);
        WriteIntSetting(s, nullptr, "BatchFNSufType", b.SuffixMode);
        WriteIntSetting(s, nullptr, "BatchFNPrefInitN", b.PrefixN);
        WriteIntSetting(s, nullptr, "BatchFNSufInitN", b.SuffixN);
        WriteBoolSetting(s, nullptr, "BatchFNLeadZeroes", b.LeadingZeros);
        WriteBoolSetting(s, nullptr, "BatchMinWnd", b.MinimizeMain);
        WriteIntSetting(s, nullptr, "BatchFNLeadZeroesN", b.Digits);
    } catch (...) {
    }
}

void LoadDialogFolders(TSettingsStore* s, TDialogFolders& f)
{
    f.OpenDir = ReadStr(s, "OpenDir", "");
    f.SaveDir = ReadStr(s, "SaveDir", "");
    f.ExportDir = ReadStr(s, "ExportDir", f.SaveDir);
    ReadHistory(s, "RecentOpenDir", f.RecentOpenDirs);
    ReadHistory(s, "RecentSaveDir", f.RecentSaveDirs);
    f.FileDialogOptions = ReadIntSetting(s, nullptr, "FileDialogOptions", 0);
}

void SaveDialogFolders(TSettingsStore* s, const TDialogFolders& f)
{
    WriteStrSetting(s, nullptr, "OpenDir", f.OpenDir);
    WriteStrSetting(s, nullptr, "SaveDir", f.SaveDir);
    WriteStrSetting(s, nullptr, "ExportDir", f.ExportDir);
    WriteHistory(s, "RecentOpenDir", f.RecentOpenDirs);
    WriteHistory(s, "RecentSaveDir", f.RecentSaveDirs);
    WriteIntSetting(s, nullptr, "FileDialogOptions", f.FileDialogOptions);
}
