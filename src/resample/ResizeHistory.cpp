#include "resample/ResizeHistory.h"

#include <algorithm>
#include <cstddef>

#include "common/SettingsAccess.h"
#include "platform/Format.h"

namespace {

std::string Numbered(const char* name, int i) { return name + std::to_string(i); }

std::string SidePart(const char* side, int32_t value, int32_t units)
{
    if (value <= 0) return std::string();
    switch (units) {
    case 1: return Format("%s:%d %s ", side, value, "%");
    case 2: return Format("%s:%4.2f %s ", side, value * 0.001, "inches");
    default: return Format("%s:%d %s ", side, value, "pixels");
    }
}

} // namespace

std::string FormatResizeOptions(const TResamplingOptions& o)
{
    static const char* const KMethods[] = {"B-Spline", "Bell", "Mitchell"};
    const char* purpose = o.Purpose == 1 ? "Thumbnail" : "Resized Image";
    const char* method = o.Method >= 0 && o.Method <= 2 ? KMethods[o.Method] : "Bicubic HQ VF";
    return Format("%s %s%s{%s}", purpose, SidePart("Width", o.Width, o.WUnits).c_str(),
                  SidePart("Height", o.Height, o.HUnits).c_str(), method);
}

void LoadResizeMRU(TResizeHistory& list, std::vector<std::string>* items, TSettingsStore* settings)
{
    list.clear();
    if (items) items->clear();
    const int count = std::clamp(ReadIntSetting(settings, nullptr, "Number", 0), 0, KResizeHistoryMax);
    for (int i = 1; i <= count; ++i) {
        TResamplingOptions o;
        o.Purpose = ReadIntSetting(settings, nullptr, Numbered("Purpose", i), 0);
        o.Method = ReadIntSetting(settings, nullptr, Numbered("Method", i), 1);
        o.WUnits = ReadIntSetting(settings, nullptr, Numbered("WUnits", i), 1);
        o.HUnits = ReadIntSetting(settings, nullptr, Numbered("HUnits", i), o.WUnits);
        o.Width = ReadIntSetting(settings, nullptr, Numbered("Width", i), 0);
        o.Height = ReadIntSetting(settings, nullptr, Numbered("Height", i), 0);
        o.Aspect = ReadBoolSetting(settings, nullptr, Numbered("Aspect", i), true);
        o.Fidelity = ReadIntSetting(settings, nullptr, Numbered("Fidelity", i), 256);
        list.push_back(o);
        if (items) items->insert(items->begin(), FormatResizeOptions(o));
    }
}

int AddResizeMRU(TResizeHistory& list, std::vector<std::string>* items, const TResamplingOptions& options)
{
    if (options.Width + options.Height == 0) return int(list.size());
    auto found = std::find_if(list.rbegin(), list.rend(),
                              [&](const TResamplingOptions& e) { return SameResizeOptions(e, options); });
    if (found != list.rend()) {
        const size_t newestFirst = size_t(found - list.rbegin()); // its index among the items
        list.erase(std::next(found).base());
        if (items && newestFirst < items->size()) items->erase(items->begin() + std::ptrdiff_t(newestFirst));
    } else if (int(list.size()) >= KResizeHistoryMax) {
        list.erase(list.begin());
        if (items && !items->empty()) items->pop_back();
    }
    list.push_back(options);
    if (items) items->insert(items->begin(), FormatResizeOptions(options));
    return int(list.size());
}

void SaveResizeMRU(const TResizeHistory& list, const TResamplingOptions& options, TSettingsStore* settings)
{
    TResizeHistory copy = list;
    AddResizeMRU(copy, nullptr, options);
    WriteIntSetting(settings, nullptr, "Number", int(copy.size()));
    for (int i = 1; i <= int(copy.size()); ++i) {
        const TResamplingOptions& o = copy[size_t(i - 1)];
        WriteIntSetting(settings, nullptr, Numbered("Purpose", i), o.Purpose);
        WriteIntSetting(settings, nullptr, Numbered("Method", i), o.Method);
        WriteIntSetting(settings, nullptr, Numbered("Fidelity", i), o.Fidelity);
        WriteIntSetting(settings, nullptr, Numbered("WUnits", i), o.WUnits);
        WriteIntSetting(settings, nullptr, Numbered("HUnits", i), o.HUnits);
        WriteIntSetting(settings, nullptr, Numbered("Width", i), o.Width);
        WriteIntSetting(settings, nullptr, Numbered("Height", i), o.Height);
        WriteBoolSetting(settings, nullptr, Numbered("Aspect", i), o.Aspect);
    }
}
