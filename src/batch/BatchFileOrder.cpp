#include "batch/BatchFileOrder.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <unistd.h>

#include "common/BatchProcOptions.h"
#include "common/CommLib.h"
#include "formats/FileFormatList.h"
#include "formats/JpegFormat.h"
#include "platform/FileKind.h"

namespace {

std::string CanonicalFolder(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(folder.empty() ? std::string(".") : folder, ec);
    if (ec) return folder;
    return IncludeBackslash(p.string());
}

// Whether text is what a prefix or suffix of this mode adds for some number.
bool MatchesNamePart(const std::string& text, int mode, const std::string& fixed)
{
    if (mode == 1) return text == fixed;
    if (mode == 2)
        return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    return text.empty();
}

bool NameMayBeOutput(const std::string& earlier, const std::string& laterName, const TBatchProcOptions& options)
{
    // The extension: ".jpg", or the source's own when a JPEG keeps it.
    const std::string laterExt = ExtractFileExt(laterName);
    if (laterExt != ".jpg" && (laterExt != ExtractFileExt(earlier) || !BatchKeepsJpegExtension(earlier)))
        return false;
    const std::string stem = laterName.substr(0, laterName.size() - laterExt.size());
    const std::string base = options.KeepOriginalName ? ExtractFileNameNoExt(earlier) : std::string();
    for (size_t split = 0; split + base.size() <= stem.size(); ++split) {
        if (stem.compare(split, base.size(), base) != 0) continue;
        if (MatchesNamePart(stem.substr(0, split), options.PrefixMode, options.PrefixText) &&
            MatchesNamePart(stem.substr(split + base.size()), options.SuffixMode, options.SuffixText))
            return true;
    }
    return false;
}

std::string OutputFolder(const std::string& source, const TBatchProcOptions& options)
{
    return options.DestFolder.empty() ? ExtractFilePath(source) : options.DestFolder;
}

} // namespace

bool BatchKeepsJpegExtension(const std::string& source)
{
    const std::string ext = ExtractFileExt(source);
    return ext.size() > 1 && FileFormatList().FindPictureClass(ext.substr(1)) == &JpegGraphicClass();
}

bool BatchNamesIdentical(const std::string& firstFile, const TBatchProcOptions& options)
{
    const std::string output = MakeBatchFileName(firstFile, options);
    return CopyBeforeDot(ExtractFileName(output)) == CopyBeforeDot(ExtractFileName(firstFile)) &&
           CanonicalFolder(ExtractFilePath(output)) == CanonicalFolder(ExtractFilePath(firstFile));
}

bool BatchOutputMayOverwrite(const std::string& earlier, const std::string& later, const TBatchProcOptions& options)
{
    return CanonicalFolder(OutputFolder(earlier, options)) == CanonicalFolder(ExtractFilePath(later)) &&
           NameMayBeOutput(earlier, ExtractFileName(later), options);
}

namespace {

// An earlier file's output as the at-risk check finds it: a hash of its output folder (a number for
// each canonical folder), its base name and, for a JPEG that keeps its extension, that extension;
// the file's index; and whether it is the kept-extension form.
struct TOutputEntry
{
    size_t Hash;
    uint32_t Index;
    bool Kept;
    bool operator<(const TOutputEntry& o) const { return Hash != o.Hash ? Hash < o.Hash : Index < o.Index; }
};

size_t OutputHash(uint32_t folder, std::string_view base, std::string_view ext)
{
    const std::hash<std::string_view> h;
    return h(base) ^ (h(ext) * 31) ^ (size_t(folder) * 0x9E3779B97F4A7C15ull);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t LeadingDigits(std::string_view text)
{
    size_t n = 0;
    while (n < text.size() && IsDigit(text[n])) ++n;
    return n;
}

size_t TrailingDigits(std::string_view text)
{
    size_t n = 0;
    while (n < text.size() && IsDigit(text[text.size() - 1 - n])) ++n;
    return n;
}

// Asks whether to stop about every 50 ms, however long a name takes (one of long digit runs may be
// read in tens of thousands of ways): a step is a name or one way of reading it, the clock is read
// every few hundred steps and the question asked when the time has come.
class TStopPoll
{
  public:
    explicit TStopPoll(const std::function<bool()>& stopped)
        : FStopped(stopped), FLastAsked(std::chrono::steady_clock::now())
    {
    }
    // One step of work done: true when the work is to end.
    bool operator()()
    {
        if (!FStopped || ++FSteps < StepsPerClockRead) return false;
        FSteps = 0;
        const auto now = std::chrono::steady_clock::now();
        if (now - FLastAsked < AskEvery) return false;
        FLastAsked = now;
        return FStopped();
    }

  private:
    static constexpr int StepsPerClockRead = 256;
    static constexpr std::chrono::milliseconds AskEvery{50};
    const std::function<bool()>& FStopped;
    std::chrono::steady_clock::time_point FLastAsked;
    int FSteps = 0;
};

// Where the earlier file's base name may start in a later name's stem: after each prefix the prefix
// mode can give.
std::vector<size_t> BaseStarts(std::string_view stem, const TBatchProcOptions& options)
{
    if (options.PrefixMode == 1)
        return stem.substr(0, options.PrefixText.size()) == options.PrefixText
                   ? std::vector<size_t>{options.PrefixText.size()}
                   : std::vector<size_t>{};
    if (options.PrefixMode == 2) {
        std::vector<size_t> starts(LeadingDigits(stem));
        for (size_t n = 0; n < starts.size(); ++n) starts[n] = n + 1;
        return starts;
    }
    return {0};
}

// Where the base name may end: before each suffix the suffix mode can give.
std::vector<size_t> BaseEnds(std::string_view stem, const TBatchProcOptions& options)
{
    const std::string& suffix = options.SuffixText;
    if (options.SuffixMode == 1)
        return stem.size() >= suffix.size() && stem.substr(stem.size() - suffix.size()) == suffix
                   ? std::vector<size_t>{stem.size() - suffix.size()}
                   : std::vector<size_t>{};
    if (options.SuffixMode == 2) {
        std::vector<size_t> ends(TrailingDigits(stem));
        for (size_t n = 0; n < ends.size(); ++n) ends[n] = stem.size() - n - 1;
        return ends;
    }
    return {stem.size()};
}

} // namespace

std::vector<bool> BatchSourcesAtRisk(const std::vector<std::string>& files, const TBatchProcOptions& options,
                                     const std::function<bool()>& stopped)
{
    // Every file's output is entered once, under a hash of its folder and base name, in one sorted
    // list; a later file is at risk when one of the few base names its own name can be read as is
    // in the list with an earlier index. Linear in the list but for the sort, where comparing every
    // pair was quadratic; a sorted list keeps it so for long lists, where a hash set's scattered
    // nodes would not.
    const size_t count = files.size();
    TStopPoll stop(stopped);
    std::unordered_map<std::string, uint32_t> canonicalIds; // canonical folder -> its number
    std::unordered_map<std::string, uint32_t> folderIds;    // folder as written -> its number
    std::string lastFolder;
    uint32_t lastId = 0;
    const auto folderId = [&](std::string_view folder) {
        if (folder == lastFolder && !folderIds.empty()) return lastId;
        lastFolder = folder;
        auto it = folderIds.find(lastFolder);
        if (it == folderIds.end()) {
            const uint32_t id =
                canonicalIds.emplace(CanonicalFolder(lastFolder), uint32_t(canonicalIds.size())).first->second;
            it = folderIds.emplace(lastFolder, id).first;
        }
        return lastId = it->second;
    };
    std::unordered_map<std::string_view, bool> keepsExt; // extension -> a JPEG keeps it
    std::vector<uint32_t> outFolder(count);
    std::vector<std::string_view> outBase(count);
    std::vector<TOutputEntry> entries;
    entries.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        if (stop()) return std::vector<bool>(count, false);
        const TPathParts parts(files[i]);
        outFolder[i] = folderId(options.DestFolder.empty() ? parts.Folder : std::string_view(options.DestFolder));
        outBase[i] = options.KeepOriginalName ? parts.Stem : std::string_view();
        entries.push_back({OutputHash(outFolder[i], outBase[i], {}), uint32_t(i), false});
        if (parts.Ext.size() > 1) {
            auto kept = keepsExt.find(parts.Ext);
            if (kept == keepsExt.end()) kept = keepsExt.emplace(parts.Ext, BatchKeepsJpegExtension(files[i])).first;
            if (kept->second) entries.push_back({OutputHash(outFolder[i], outBase[i], parts.Ext), uint32_t(i), true});
        }
    }
    std::sort(entries.begin(), entries.end());

    // Whether a file before `later` writes base in folder: with extension ext when it keeps its
    // own, as ".jpg" (ext empty) when any file will do.
    const auto writtenBefore = [&](size_t later, uint32_t folder, std::string_view base, std::string_view ext) {
        const size_t hash = OutputHash(folder, base, ext);
        for (auto it = std::lower_bound(entries.begin(), entries.end(), TOutputEntry{hash, 0, false});
             it != entries.end() && it->Hash == hash && it->Index < later; ++it)
            if (it->Kept == !ext.empty() && outFolder[it->Index] == folder && outBase[it->Index] == base &&
                (ext.empty() || TPathParts(files[it->Index]).Ext == ext))
                return true;
        return false;
    };
    std::vector<bool> risk(count, false);
    for (size_t j = 1; j < count; ++j) {
        if (stop()) return risk;
        const TPathParts later(files[j]);
        if (later.Ext.empty()) continue;
        const uint32_t folder = folderId(later.Folder);
        // ".jpg" may come from any file; another extension only from a JPEG that keeps it.
        const std::string_view ext = later.Ext == ".jpg" ? std::string_view() : later.Ext;
        const std::vector<size_t> ends = BaseEnds(later.Stem, options);
        for (size_t start : BaseStarts(later.Stem, options)) {
            for (size_t end : ends) {
                if (stop()) return risk;
                if (end >= start && (options.KeepOriginalName || end == start) &&
                    writtenBefore(j, folder, later.Stem.substr(start, end - start), ext)) {
                    risk[j] = true;
                    break;
                }
            }
            if (risk[j]) break;
        }
    }
    return risk;
}

namespace {

// Width and height from a JPEG's frame header or a BMP's information header; 0 x 0 when unknown.
std::pair<int64_t, int64_t> HeaderPictureSize(const std::string& fileName)
{
    // A named pipe or a device in the list is never opened: it would hold the job for good.
    std::string refusal;
    const int fd = OpenRegularFile(fileName, O_RDONLY, refusal);
    if (fd < 0) return {0, 0};
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) {
        ::close(fd);
        return {0, 0};
    }
    std::pair<int64_t, int64_t> size{0, 0};
    uint8_t b[26] = {};
    if (std::fread(b, 1, 2, f) == 2) {
        if (b[0] == 'B' && b[1] == 'M' && std::fread(b + 2, 1, 24, f) == 24) {
            const uint32_t headerSize = b[14] | b[15] << 8 | b[16] << 16 | uint32_t(b[17]) << 24;
            if (headerSize == 12) {
                size = {b[18] | b[19] << 8, b[20] | b[21] << 8};
            } else {
                const int32_t w = int32_t(b[18] | b[19] << 8 | b[20] << 16 | uint32_t(b[21]) << 24);
                const int32_t h = int32_t(b[22] | b[23] << 8 | b[24] << 16 | uint32_t(b[25]) << 24);
                size = {std::abs(int64_t(w)), std::abs(int64_t(h))};
            }
        } else if (b[0] == 0xFF && b[1] == 0xD8) {
            // Walk the marker segments up to the frame header; a damaged stream ends the walk.
            for (int segment = 0; segment < 4096; ++segment) {
                int c = std::fgetc(f);
                while (c == 0xFF) c = std::fgetc(f);
                if (c == EOF || c == 0xD9 || c == 0xDA) break;
                uint8_t len[2];
                if (std::fread(len, 1, 2, f) != 2) break;
                const int length = len[0] << 8 | len[1];
                if (length < 2) break;
                const bool frame = c >= 0xC0 && c <= 0xCF && c != 0xC4 && c != 0xC8 && c != 0xCC;
                if (frame) {
                    uint8_t sof[5];
                    if (length >= 7 && std::fread(sof, 1, 5, f) == 5) size = {sof[3] << 8 | sof[4], sof[1] << 8 | sof[2]};
                    break;
                }
                if (std::fseek(f, length - 2, SEEK_CUR) != 0) break;
            }
        }
    }
    std::fclose(f);
    return size;
}

} // namespace

int64_t EstimateBatchFileMemory(const std::string& fileName, int64_t fileSize)
{
    // A working file holds its picture, the image's copy, the display bitmap and the encoder's
    // planes and coefficients: about 16 bytes for each pixel.
    constexpr int64_t BytesPerPixel = 16;
    const auto [w, h] = HeaderPictureSize(fileName);
    const int64_t limit = std::numeric_limits<int64_t>::max() / 4;
    int64_t bytes = (w > 0 && h > 0 && w < (int64_t(1) << 24) && h < (int64_t(1) << 24))
                        ? w * h * BytesPerPixel
                        : std::min(std::max<int64_t>(fileSize, 0), limit / 16) * 16;
    return std::max(bytes, std::max<int64_t>(fileSize, 0));
}
