#include "common/CommLib.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

#include "common/BatchProcOptions.h"
#include "common/StrRes.h"
#include "platform/Bitmap.h"
#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "platform/Round.h"
#include "platform/StringList.h"
#include "platform/TempFolder.h"
#include "platform/TickCount.h"

// ---- File names and paths ----

std::string IncludeBackslash(const std::string& path)
{
    if (path.empty() || path.back() == '/') return path;
    return path + "/";
}

std::string IncludeRootBackslash(const std::string& path)
{
    // A root ("/") already ends with the separator, so the general rule covers it.
    return IncludeBackslash(path);
}

TPathParts::TPathParts(std::string_view path)
{
    const size_t slash = path.rfind('/');
    Folder = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
    Name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = Name.rfind('.');
    Stem = dot == std::string_view::npos ? Name : Name.substr(0, dot);
    Ext = dot == std::string_view::npos ? std::string_view() : Name.substr(dot);
}

std::string ExtractFilePath(const std::string& path) { return std::string(TPathParts(path).Folder); }

std::string ExtractFileName(const std::string& path) { return std::string(TPathParts(path).Name); }

namespace {

bool IsDirectory(const std::string& path, bool& exists)
{
    struct stat st {};
    exists = ::stat(path.c_str(), &st) == 0;
    return exists && S_ISDIR(st.st_mode);
}

// Looks name up in folder ("" for the current folder): the exact name when it exists with an
// accepted type, else the first entry in byte order whose name matches without regard to ASCII
// letter case. Folders are accepted only with allowFolders.
bool FindEntryOnDisk(const std::string& folder, const std::string& name, bool allowFolders, std::string& found)
{
    if (name.empty()) return false;
    std::string dir = folder.empty() ? std::string(".") : folder;
    std::string prefix = IncludeBackslash(dir);
    auto accepted = [&](const std::string& entry) {
        bool exists = false;
        bool isDir = IsDirectory(prefix + entry, exists);
        return exists && (allowFolders || !isDir);
    };
    if (name == "." || name == "..") {
        if (!allowFolders || !accepted(name)) return false;
        found = name;
        return true;
    }
    if (accepted(name)) {
        found = name;
        return true;
    }
    DIR* d = ::opendir(dir.c_str());
    if (!d) return false;
    std::vector<std::string> matches;
    while (dirent* e = ::readdir(d)) {
        std::string entry = e->d_name;
        if (entry != "." && entry != ".." && SameText(entry, name)) matches.push_back(entry);
    }
    ::closedir(d);
    std::sort(matches.begin(), matches.end());
    for (const auto& m : matches)
        if (accepted(m)) {
            found = m;
            return true;
        }
    return false;
}

} // namespace

std::string ExtractFileExt(const std::string& path) { return std::string(TPathParts(path).Ext); }

std::string ExtractFileNameNoExt(const std::string& path) { return std::string(TPathParts(path).Stem); }

std::string CopyBeforeDot(const std::string& text)
{
    size_t dot = text.find('.');
    return dot == std::string::npos ? text : text.substr(0, dot);
}

std::string ReplaceFileExt(const std::string& path, const std::string& ext)
{
    std::string result = path.substr(0, path.size() - TPathParts(path).Ext.size()) + ext;
    return result.empty() ? std::string("TEMP") : result;
}

std::string GetExactFileName(const std::string& path)
{
    std::string folder = ExtractFilePath(path);
    std::string found;
    if (!FindEntryOnDisk(folder, ExtractFileName(path), false, found)) return std::string();
    return IncludeBackslash(folder) + found;
}

std::string GetLongPathNameStr(const std::string& path)
{
    std::string result;
    size_t i = 0;
    while (i <= path.size()) {
        size_t end = path.find('/', i);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(i, end - i);
        std::string found;
        // result holds the parts done so far, each followed by "/" (or "/" alone for a root).
        if (!part.empty() && FindEntryOnDisk(result, part, true, found)) part = found;
        result += part;
        if (end < path.size()) result += '/';
        i = end + 1;
    }
    return result;
}

bool IsSchemeAddress(const std::string& name)
{
    const auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (name.empty() || !alpha(name[0])) return false;
    size_t i = 1;
    while (i < name.size() && (alpha(name[i]) || (name[i] >= '0' && name[i] <= '9') || name[i] == '+' ||
                               name[i] == '-' || name[i] == '.'))
        ++i;
    return name.compare(i, 3, "://") == 0;
}

std::string UrlDecode(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c != '%') {
            out += c;
        } else if (i + 1 < n && text[i + 1] == '%') {
            out += '%';
            ++i;
        } else if (i + 2 < n) {
            auto hex = [](char h) {
                return h >= '0' && h <= '9'   ? h - '0'
                       : h >= 'a' && h <= 'f' ? h - 'a' + 10
                       : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                              : -1;
            };
            int hi = hex(text[i + 1]), lo = hex(text[i + 2]);
            if (hi < 0 || lo < 0)
                throw EConvertError(Format("'%s' is not a valid integer value", ("$" + text.substr(i + 1, 2)).c_str()));
            out += char(hi * 16 + lo);
            i += 2;
        } else {
            // Fewer than two characters follow: nothing to decode, keep the rest as it is.
            out.append(text, i, std::string::npos);
            break;
        }
    }
    return out;
}

std::string GetUrlCacheFileName(const std::string& /*url*/)
{
    // No browser cache is reachable from here: every address is a cache miss.
    return std::string();
}

// ---- Temporary files ----

std::string GetTempDir() { return RunTempFolder().Path() + "/"; }

std::string GetTempFileWithExt(const std::string& ext)
{
    TTempFolder& folder = RunTempFolder();
    unsigned unique = GetTickCount() & 0xFFFFu;
    if (unique == 0) unique = 1;
    for (unsigned tries = 0; tries < 0xFFFFu; ++tries) {
        std::string name = ReplaceFileExt(Format("TWK%X.tmp", unique), ext);
        if (folder.CreateFileExclusive(name)) return folder.Path() + "/" + name;
        unique = unique % 0xFFFFu + 1;
    }
    throw EFCreateError("Cannot create a temporary file in \"" + folder.Path() + "\"");
}

std::string GetTempFileNameStr() { return GetTempFileWithExt(".tmp"); }

// ---- Numbers and texts ----

std::string FormatSizeKB(int64_t bytes)
{
    double kb = double(bytes) * 0.0009765625;
    const char* fmt = bytes < 10240 ? "%1.2f" : bytes < 1024000 ? "%1.1f" : "%1.0f";
    return Format(fmt, kb);
}

std::string FormatModemTime(int64_t bytes, bool slowModem)
{
    double rate = slowModem ? 28800.0 : 56000.0;
    float seconds = float(double(bytes) * 8.0 / rate);
    const char* fmt = seconds < 1.0f ? "%1.2f" : seconds < 100.0f ? "%1.1f" : "%1.0f";
    return Format(fmt, double(seconds));
}

std::string KeepNumericChars(const std::string& text, char decimalSeparator)
{
    std::string out;
    bool separatorKept = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            out += c;
        } else if (c == decimalSeparator && !separatorKept) {
            out += c;
            separatorKept = true;
        }
    }
    return out;
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0) return -1;
    int64_t num = int64_t(a) * int64_t(b);
    int64_t q = num / c, r = num % c;
    if (r != 0) {
        int64_t sign = (num < 0) != (c < 0) ? -1 : 1;
        int64_t twiceR = 2 * (r < 0 ? -r : r), absC = c < 0 ? -int64_t(c) : int64_t(c);
        if (twiceR >= absC) q += sign; // halves go away from zero
    }
    if (q > INT32_MAX || q < INT32_MIN) return -1;
    return int32_t(q);
}

// ---- Geometry ----

TRect FitRectCentered(int32_t w, int32_t h, int32_t boxW, int32_t boxH)
{
    TRect r;
    if (w < 0 || h < 0 || int64_t(w) + h == 0) return r;
    int32_t width = w, height = h;
    if (w > boxW || h > boxH) {
        if (h >= w) {
            width = MulDiv(w, boxH, h);
            height = boxH;
        } else {
            height = MulDiv(h, boxW, w);
            width = boxW;
        }
        // A thin strip keeps one pixel across instead of vanishing.
        if (w > 0 && width < 1 && boxW > 0) width = 1;
        if (h > 0 && height < 1 && boxH > 0) height = 1;
    }
    r.Left = int32_t((int64_t(boxW) - width) / 2);
    r.Top = int32_t((int64_t(boxH) - height) / 2);
    r.Right = r.Left + width;
    r.Bottom = r.Top + height;
    return r;
}

// ---- Bitmaps ----

void AdjustBrightness(const TBitmap& source, int amount, TBitmap& dest)
{
    if (source.PixelFormat() != TPixelFormat::pf24bit || dest.PixelFormat() != TPixelFormat::pf24bit ||
        source.Width() != dest.Width() || source.Height() != dest.Height())
        throw EInvalidGraphicOperation("Brightness needs two 24-bit bitmaps of the same size");
    uint8_t table[256];
    int base = amount >= 0 ? 255 : 0;
    for (int b = 0; b < 256; ++b) {
        int64_t v = b + Round(double(base > b ? base - b : b - base) * amount / 100.0);
        table[b] = uint8_t(std::clamp<int64_t>(v, 0, 255));
    }
    size_t rowBytes = size_t(source.Width()) * 3;
    for (int y = 0; y < source.Height(); ++y) {
        const uint8_t* s = source.ScanLine(y);
        uint8_t* d = dest.ScanLine(y);
        for (size_t i = 0; i < rowBytes; ++i) d[i] = table[s[i]];
    }
    dest.Modified();
}

// ---- Message boxes ----

void ShowWarning(TWindowHandle owner, const std::string& text)
{
    CurrentMessageBox().Show(owner, TMsgKind::mkWarning, SProductName, text);
}

void ShowError(TWindowHandle owner, const std::string& text)
{
    CurrentMessageBox().Show(owner, TMsgKind::mkWarning, SProductName, text);
}

bool AskYesNo(TWindowHandle owner, const std::string& text)
{
    return CurrentMessageBox().Show(owner, TMsgKind::mkYesNo, SProductName, text) == mrYes;
}

// ---- Batch output names ----

namespace {

std::string BatchNumber(int n, const TBatchProcOptions& options)
{
    std::string text = std::to_string(n);
    if (options.LeadingZeros && int(text.size()) < options.Digits)
        text.insert(0, size_t(options.Digits) - text.size(), '0');
    return text;
}

// The text a prefix or suffix mode adds: 1 the text, 2 the number, anything else nothing.
std::string BatchNamePart(int mode, const std::string& text, int n, const TBatchProcOptions& options)
{
    if (mode == 1) return text;
    if (mode == 2) return BatchNumber(n, options);
    return std::string();
}

} // namespace

std::string MakeBatchFileName(const std::string& source, const TBatchProcOptions& options)
{
    std::string ext = ExtractFileExt(source);
    if (ext.empty()) ext = ".jpg";
    std::string name = options.KeepOriginalName ? ExtractFileNameNoExt(source) : std::string();
    name = BatchNamePart(options.PrefixMode, options.PrefixText, options.PrefixN, options) + name +
           BatchNamePart(options.SuffixMode, options.SuffixText, options.SuffixN, options);
    std::string result = (options.DestFolder.empty() ? ExtractFilePath(source) : options.DestFolder) + name + ext;
    if (options.ForceJpgExt) result = ReplaceFileExt(result, ".jpg");
    return result;
}

std::string FormatDuration(int64_t seconds)
{
    if (seconds >= 60)
        return Format("%lld %s %lld %s", (long long)(seconds / 60), SMinutes, (long long)(seconds % 60), SSeconds);
    return Format("%lld %s", (long long)seconds, SSeconds);
}
