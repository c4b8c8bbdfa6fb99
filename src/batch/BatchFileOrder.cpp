#include "batch/BatchFileOrder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <map>
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

std::vector<bool> BatchSourcesAtRisk(const std::vector<std::string>& files, const TBatchProcOptions& options)
{
    std::map<std::string, std::string> canonical; // folder as given -> canonical
    const auto folderOf = [&](const std::string& folder) -> const std::string& {
        auto it = canonical.find(folder);
        if (it == canonical.end()) it = canonical.emplace(folder, CanonicalFolder(folder)).first;
        return it->second;
    };
    std::vector<bool> risk(files.size(), false);
    for (size_t j = 1; j < files.size(); ++j) {
        const std::string& laterFolder = folderOf(ExtractFilePath(files[j]));
        const std::string laterName = ExtractFileName(files[j]);
        for (size_t i = 0; i < j && !risk[j]; ++i)
            risk[j] = folderOf(OutputFolder(files[i], options)) == laterFolder &&
                      NameMayBeOutput(files[i], laterName, options);
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
