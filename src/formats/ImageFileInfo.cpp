#include "formats/ImageFileInfo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>

#include "codec/JPEGImage.h"
#include "formats/BitmapGraphic.h"
#include "formats/FileFormatList.h"
#include "formats/FormatGraphic.h"
#include "formats/Picture.h"
#include "platform/FileKind.h"
#include "platform/Round.h"

namespace {
struct TImageFormat
{
    const char* ClassName;
    const char* ShortName;
};

constexpr TImageFormat kImageFormats[ImageFormatCount] = {
    {"", ""},
    {"TBitmap", "BMP"},
    {"TJPEGImage", "JPEG"},
    {"TTIFFGraphic", "TIFF"},
    {"TEPSGraphic", "EPS"},
    {"TPCXGraphic", "PCX"},
    {"TPSDGraphic", "PSD"},
    {"TGIFGraphic", "GIF"},
    {"TPNGGraphic", "PNG"},
    {"TPCDGraphic", "PCD"},
    {"TTargaGraphic", "Targa"},
    {"TPSPGraphic", "PSP"},
    {"TCUTGraphic", "CUT"},
    {"TPPMGraphic", "PPM"},
    {"TSGIGraphic", "SGI"},
    {"TRLAGraphic", "RLA"},
    {"TAutodeskGraphic", "Autodesk"},
};
constexpr int kGifIndex = 7;
constexpr size_t kMaxDescription = 41;
} // namespace

const char* ImageFormatClassName(int index)
{
    return index >= 0 && index < ImageFormatCount ? kImageFormats[index].ClassName : "";
}

const char* ImageFormatShortName(int index)
{
    return index >= 0 && index < ImageFormatCount ? kImageFormats[index].ShortName : "";
}

int ImageFormatIndex(const std::string& className)
{
    if (className.empty()) return 0;
    for (int i = 1; i < ImageFormatCount; ++i)
        if (className == kImageFormats[i].ClassName) return i;
    return 0;
}

double LocalDateTimeFromUnix(int64_t seconds)
{
    using namespace std::chrono;
    std::time_t t = std::time_t(seconds);
    std::tm local{};
    if (!localtime_r(&t, &local)) return 0;
    const year_month_day date{year{local.tm_year + 1900}, month{unsigned(local.tm_mon + 1)},
                              day{unsigned(local.tm_mday)}};
    const year_month_day epoch{year{1899}, month{12}, day{30}};
    const int64_t days = (sys_days{date} - sys_days{epoch}).count();
    const int64_t secondsOfDay = int64_t(local.tm_hour) * 3600 + local.tm_min * 60 + local.tm_sec;
    return double(days) + double(secondsOfDay) / 86400.0;
}

std::optional<time_t> UnixFromLocalDateTime(double dateTime)
{
    if (dateTime <= 0) return std::nullopt;
    time_t local = time_t(Round((dateTime - 25569.0) * 86400.0));
    tm parts{};
    if (!gmtime_r(&local, &parts)) return std::nullopt;
    parts.tm_isdst = -1;
    time_t t = mktime(&parts);
    if (t == time_t(-1)) return std::nullopt;
    return t;
}

void ReadFileSizeAndTimes(TImageFileInfo& info)
{
    // Only a regular file has a size and dates here; a named pipe or a device is not even opened.
    std::string refusal;
    const int fd = OpenRegularFile(info.FileName, O_RDONLY, refusal);
    if (fd < 0) return;
    struct statx sx{};
    const bool ok =
        ::statx(fd, "", AT_EMPTY_PATH, STATX_SIZE | STATX_MTIME | STATX_BTIME | STATX_TYPE, &sx) == 0;
    ::close(fd);
    if (!ok) return;
    info.FileSize = int64_t(sx.stx_size);
    info.Modified = LocalDateTimeFromUnix(sx.stx_mtime.tv_sec);
    // Not every file system keeps a creation time; the last write stands in for it then.
    info.Created = LocalDateTimeFromUnix((sx.stx_mask & STATX_BTIME) ? sx.stx_btime.tv_sec : sx.stx_mtime.tv_sec);
    info.FileInfoValid = true;
}

std::string GetGraphicFormatDescription(const TPicture& picture, const TFileFormatList& formats)
{
    const TGraphic* graphic = picture.Graphic();
    if (!graphic) return std::string();
    const TGraphicClass* cls = formats.ClassOf(*graphic);
    return cls ? formats.GetDescription(*cls) : std::string();
}

std::string GetGraphicFormatDescription(const TPicture& picture)
{
    return GetGraphicFormatDescription(picture, FileFormatList());
}

void FillImageInfo(const TPicture& picture, TImageFileInfo& info) { FillImageInfo(picture, info, FileFormatList()); }

void FillImageInfo(const TPicture& picture, TImageFileInfo& info, const TFileFormatList& formats)
{
    TGraphic* graphic = picture.Graphic();
    if (!graphic) return;
    const TGraphicClass* cls = formats.ClassOf(*graphic);
    const int index = cls ? ImageFormatIndex(cls->ClassName) : 0;
    if (index == 0) return;
    info.FormatIndex = uint8_t(index);
    info.PictureInfoValid = true;
    info.FormatDescription = formats.GetDescription(*cls).substr(0, kMaxDescription);
    info.Width = graphic->Width();
    info.Height = graphic->Height();

    int bitsPerPixel = 0;
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic))
        bitsPerPixel = jpeg->IsGrayscale() ? 8 : 24;
    else if (auto* bitmap = dynamic_cast<TBitmapGraphic*>(graphic))
        bitsPerPixel = bitmap->BitsPerPixel();
    else if (auto* format = dynamic_cast<TFormatGraphic*>(graphic))
        bitsPerPixel = format->ImageProperties.BitsPerPixel;
    if (index == kGifIndex && bitsPerPixel > 8) bitsPerPixel = 8;
    info.BitsPerPixel = bitsPerPixel;

    const int64_t width = info.Width > 0 ? info.Width : 0;
    const int64_t height = info.Height > 0 ? info.Height : 0;
    info.ImageBytes = height * TBitmap::RowBytes(width, bitsPerPixel);
    info.Bytes24 = bitsPerPixel == 24 ? info.ImageBytes : height * TBitmap::RowBytes(width, 24);
    if (info.FileSize > 0) {
        info.ImageRatio = float(double(info.ImageBytes) / double(info.FileSize));
        info.Ratio24 = float(double(info.Bytes24) / double(info.FileSize));
    }
    if (width * height > 0) info.FileBitsPerPixel = float(double(info.FileSize) * 8.0 / double(width * height));
}
