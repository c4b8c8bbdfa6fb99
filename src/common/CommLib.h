#pragma once
// Small stateless helpers shared by every part of the program: file names, temporary files, URL
// decoding, size and transfer-time texts, clamps, fitting a picture into a box, brightness of
// 24-bit bitmaps and the program's message boxes. Paths use "/" as the separator.
//
// The screen colour depth and rotated fonts belong to the GUI layer.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Geometry.h"
#include "platform/MessageBox.h"

class TBitmap;
struct TBatchProcOptions;

// ---- File names and paths ----

// Appends "/" unless the path is empty or already ends with "/".
std::string IncludeBackslash(const std::string& path);
// The same rule for a path that may be a root: "/" (and any path ending with "/") stays as it is;
// an empty path stays empty.
std::string IncludeRootBackslash(const std::string& path);
// A path's parts as views into it, as the functions below give them: the folder up to and
// including its last "/", the file name after it, that name without its extension, and the
// extension (from the name's last ".", dot included).
struct TPathParts
{
    std::string_view Folder, Name, Stem, Ext;
    explicit TPathParts(std::string_view path);
};
// The folder part of path, up to and including its last "/" (empty when there is none).
std::string ExtractFilePath(const std::string& path);
// The part after the last "/".
std::string ExtractFileName(const std::string& path);
// The extension: from the last "." that follows the last "/" to the end, dot included; empty when
// the file-name part has no ".". A dot in a folder name is not an extension.
std::string ExtractFileExt(const std::string& path);
// The file-name part without its extension (a name without "." whole; ".profile" gives "").
std::string ExtractFileNameNoExt(const std::string& path);
// The text before its first "." (the whole text when there is none).
std::string CopyBeforeDot(const std::string& text);
// Replaces the extension of path by ext (given with its dot, e.g. ".jpg", or empty); an empty
// result becomes "TEMP".
std::string ReplaceFileExt(const std::string& path, const std::string& ext);
// Finds the file (not a folder) as it is stored on disk, matching the name without regard to
// ASCII letter case when there is no exact match; returns the folder of path with a trailing "/"
// plus the name as on disk, or "" when there is no such file.
std::string GetExactFileName(const std::string& path);
// Rebuilds path part by part from the left, giving each part that exists (file or folder) its
// letter case as stored on disk; parts that cannot be found are kept unchanged.
// (The file systems here keep no short names, system attributes or volume labels, so these two
// have only the letter case to restore and nothing of that kind to skip.)
std::string GetLongPathNameStr(const std::string& path);
// "+" becomes a blank, "%%" a "%", "%" and two hexadecimal digits the byte they spell; everything
// else is copied. A "%" followed by a pair that is not hexadecimal raises EConvertError
// "'$xy' is not a valid integer value". A "%" with fewer than two characters after it (other than
// a final "%%") is copied unchanged together with what follows it.
std::string UrlDecode(const std::string& text);
// The name begins with a URL scheme and "://" ("https://...", "ftp://..."): an address, not a
// file name.
bool IsSchemeAddress(const std::string& name);
// The local copy of a web address in the browser's cache. There is no browser cache to ask on this
// platform, so the result is always "" (a cache miss); callers show their own message.
std::string GetUrlCacheFileName(const std::string& url);

// The output name of one batch source file by the job's naming rules: the destination folder (or the
// source's own), then the prefix, the source name without extension when it is kept, the suffix and
// the source's extension (".jpg" when it has none, and always with ForceJpgExt). Numeral prefixes
// and suffixes are padded with zeros to Digits when LeadingZeros is on; a longer number stays whole.
// The counters are not advanced here.
std::string MakeBatchFileName(const std::string& source, const TBatchProcOptions& options);

// ---- Temporary files ----
// They live in the private temporary folder of the run (platform/TempFolder.h), which is removed
// with its contents when the program ends.

// The private temporary folder with a trailing "/".
std::string GetTempDir();
// Creates a new empty file "TWK<hex>.tmp" in the private folder and returns its path. <hex> starts
// from the low 16 bits of the tick count (upper-case hexadecimal, never 0) and counts on past
// names already taken. Raises EFCreateError when no file can be created.
std::string GetTempFileNameStr();
// The same with the extension ext instead of ".tmp" (the ReplaceFileExt rule), e.g. TWK1A2B.eml.
std::string GetTempFileWithExt(const std::string& ext);

// ---- Numbers and texts ----

// Kilobytes with two decimals below 10240 bytes, one below 1024000, none above.
std::string FormatSizeKB(int64_t bytes);
// Download time in seconds at 28800 bit/s (slowModem) or 56000 bit/s: two decimals below one
// second, one below 100 seconds, none above.
std::string FormatModemTime(int64_t bytes, bool slowModem);
// "N sec" below a minute, else "M min S sec".
std::string FormatDuration(int64_t seconds);
// Keeps the digits and the first decimal separator.
std::string KeepNumericChars(const std::string& text, char decimalSeparator = '.');

// Clamps value into low..high. Low is tested first: with low > high, a value below low gives low
// and any other value gives high.
template <class T> void ClampVar(T& value, T low, T high)
{
    if (low > value)
        value = low;
    else if (high < value)
        value = high;
}
template <class T> T ClampValue(T value, T low, T high)
{
    ClampVar(value, low, high);
    return value;
}

// (a × b) / c rounded to nearest, halves away from zero, computed in 64 bits; -1 when c is 0 or the
// quotient leaves the 32-bit range.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// ---- Geometry ----

// The rectangle of a w × h picture centred in a W × H box: kept at its size when it fits,
// otherwise scaled by its own orientation (a picture at least as tall as wide gets the box's
// height, a wider one the box's width) and centred; a non-zero side scales to at least one pixel.
// Empty when w + h is 0 or a size is negative.
TRect FitRectCentered(int32_t w, int32_t h, int32_t boxW, int32_t boxH);

// ---- Bitmaps ----

// Moves every channel of every pixel of the 24-bit source toward white (amount > 0) or black
// (amount < 0) by amount percent of the remaining distance, writing into dest, a 24-bit bitmap of
// the same size (it may be the source itself). Results are clamped to 0..255. Raises
// EInvalidGraphicOperation for other formats or sizes.
void AdjustBrightness(const TBitmap& source, int amount, TBitmap& dest);

// ---- Message boxes (caption "Quillmark", through the current message box) ----

void ShowWarning(TWindowHandle owner, const std::string& text);
// Shown like the warning (the error box of this program looks the same).
void ShowError(TWindowHandle owner, const std::string& text);
// True only when the user chose Yes.
bool AskYesNo(TWindowHandle owner, const std::string& text);
