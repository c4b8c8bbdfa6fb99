#include "formats/ui/PictureInfoText.h"

#include <QDateTime>
#include <QLocale>

#include "common/CommLib.h"
#include "formats/ui/PreviewFrames.h"
#include "platform/Format.h"

namespace {

// Seconds a file takes over a modem of 28.8 kbit/s, as the panel has always counted them.
constexpr double BytesPerSecond28k = 3500.0;

std::string FileSizeValue(const TImageFileInfo& info, int options)
{
    if (info.FileSize < 1) return std::string();
    std::string text = (options & pdoSizeInKB) ? FormatSizeKB(info.FileSize) : std::to_string(info.FileSize);
    if (options & (pdoTime28k | pdoTime56k)) {
        double seconds = double(info.FileSize) / BytesPerSecond28k;
        if (options & pdoTime56k) seconds /= 2;
        text += Format(" (%3.2f)", seconds);
    }
    return text;
}

std::string RatioValue(const TImageFileInfo& info, int options)
{
    if (!(info.ImageRatio > 1.1f)) return std::string();
    if (options & pdoRatioAsBpp) {
        const double bpp = info.FileBitsPerPixel;
        return Format(bpp >= 10.0 ? "%2.1f" : "%2.2f", bpp);
    }
    if (info.ImageRatio != info.Ratio24)
        return Format("1 : %2.1f (%2.1f)", double(info.ImageRatio), double(info.Ratio24));
    return Format("1 : %2.1f", double(info.ImageRatio));
}

std::string PositiveNumber(int64_t value) { return value >= 1 ? std::to_string(value) : std::string(); }

} // namespace

TPictureInfoTexts EmptyPictureInfoTexts()
{
    TPictureInfoTexts texts;
    texts.Captions = {"File Name:",  "Format:",          "Width (pixels):",   "Height (pixels):",
                      "File Size:", "Pixel Format (bits):", "Compression Ratio:", "File Created:"};
    texts.Values.fill("-");
    return texts;
}

TPictureInfoTexts DisplayTextInfo(const TImageFileInfo& info, int options)
{
    TPictureInfoTexts texts = EmptyPictureInfoTexts();
    texts.Values[ilFileName] = ExtractFileName(info.FileName);
    texts.Values[ilFormat] = info.FormatDescription;
    texts.Values[ilWidth] = PositiveNumber(info.Width);
    texts.Values[ilHeight] = PositiveNumber(info.Height);
    const bool time = options & (pdoTime28k | pdoTime56k);
    texts.Captions[ilFileSize] =
        Format("File Size (%s%s):", (options & pdoSizeInKB) ? "Kbytes" : "bytes", time ? ", sec" : "");
    texts.Values[ilFileSize] = FileSizeValue(info, options);
    texts.Values[ilBits] = PositiveNumber(info.BitsPerPixel);
    texts.Captions[ilRatio] = Format("Compression Ratio%s:", (options & pdoRatioAsBpp) ? " (bpp)" : "");
    texts.Values[ilRatio] = RatioValue(info, options);
    // The panel has always shown the last-write time under this caption: on Linux it is the one
    // time every file system keeps.
    texts.Values[ilDate] = FormatDialogDateTime(info.Modified);
    return texts;
}

std::string FormatDialogDateTime(double dateTime)
{
    const std::optional<time_t> t = UnixFromLocalDateTime(dateTime);
    if (!t) return std::string();
    const QDateTime when = QDateTime::fromSecsSinceEpoch(qint64(*t));
    const QLocale locale;
    return (locale.toString(when.date(), QLocale::ShortFormat) + ' ' +
            locale.toString(when.time(), QLocale::ShortFormat))
        .toStdString();
}
