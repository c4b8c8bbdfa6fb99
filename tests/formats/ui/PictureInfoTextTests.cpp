// The panel's texts, the preview's place and the cross-fade, worked out by hand.
#include <gtest/gtest.h>

#include <QImage>

#include "formats/ui/PictureInfoText.h"
#include "formats/ui/PreviewFrames.h"

namespace {

TImageFileInfo SizedFile(int64_t bytes)
{
    TImageFileInfo info;
    info.FileName = "/pics/a.jpg";
    info.FileSize = bytes;
    return info;
}

} // namespace

TEST(PictureInfoText, FileSizeCaptionAndValueByUnits)
{
    struct Row { int options; const char* caption; const char* value; };
    // 7000 bytes take 2 s at 3500 bytes/s, 1 s at twice that; 7000 / 1024 = 6.836 KB.
    const Row rows[] = {
        {0, "File Size (bytes):", "7000"},
        {pdoTime28k, "File Size (bytes, sec):", "7000 (2.00)"},
        {pdoTime56k, "File Size (bytes, sec):", "7000 (1.00)"},
        {pdoSizeInKB, "File Size (Kbytes):", "6.84"},
        {pdoSizeInKB | pdoTime28k, "File Size (Kbytes, sec):", "6.84 (2.00)"},
    };
    for (const Row& r : rows) {
        const TPictureInfoTexts t = DisplayTextInfo(SizedFile(7000), r.options);
        EXPECT_EQ(t.Captions[ilFileSize], r.caption) << r.options;
        EXPECT_EQ(t.Values[ilFileSize], r.value) << r.options;
    }
}

TEST(PictureInfoText, RatioShownAboveOnePointOneInEitherForm)
{
    struct Row { float ratio, ratio24, bpp; int options; const char* caption; const char* value; };
    const Row rows[] = {
        {1.1f, 1.1f, 20.0f, 0, "Compression Ratio:", ""},
        {1.0f, 3.0f, 20.0f, pdoRatioAsBpp, "Compression Ratio (bpp):", ""},
        {1.2f, 1.2f, 20.0f, 0, "Compression Ratio:", "1 : 1.2"},
        {3.0f, 9.0f, 2.0f, 0, "Compression Ratio:", "1 : 3.0 (9.0)"},
        {3.0f, 9.0f, 2.5f, pdoRatioAsBpp, "Compression Ratio (bpp):", "2.50"},
        {1.5f, 1.5f, 12.34f, pdoRatioAsBpp, "Compression Ratio (bpp):", "12.3"},
    };
    for (const Row& r : rows) {
        TImageFileInfo info = SizedFile(1000);
        info.ImageRatio = r.ratio;
        info.Ratio24 = r.ratio24;
        info.FileBitsPerPixel = r.bpp;
        const TPictureInfoTexts t = DisplayTextInfo(info, r.options);
        EXPECT_EQ(t.Captions[ilRatio], r.caption) << r.ratio;
        EXPECT_EQ(t.Values[ilRatio], r.value) << r.ratio;
    }
}

TEST(PictureInfoText, NameOnlyLeavesEveryOtherValueEmpty)
{
    TImageFileInfo info;
    info.FileName = "/tmp/some folder/broken.jpg";
    const TPictureInfoTexts t = DisplayTextInfo(info, pdoSizeInKB | pdoTime28k);
    EXPECT_EQ(t.Values[ilFileName], "broken.jpg");
    for (int i = ilFormat; i < ilCount; ++i) EXPECT_EQ(t.Values[size_t(i)], "") << i;
}

TEST(PictureInfoText, PictureFieldsOfALoadedFile)
{
    TImageFileInfo info = SizedFile(5000);
    info.Width = 640;
    info.Height = 480;
    info.BitsPerPixel = 8;
    info.FormatDescription = "Windows Bitmap";
    const TPictureInfoTexts t = DisplayTextInfo(info, 0);
    EXPECT_EQ(t.Values[ilFormat], "Windows Bitmap");
    EXPECT_EQ(t.Values[ilWidth], "640");
    EXPECT_EQ(t.Values[ilHeight], "480");
    EXPECT_EQ(t.Values[ilBits], "8");
    EXPECT_EQ(t.Values[ilDate], "");
    EXPECT_EQ(EmptyPictureInfoTexts().Values[ilWidth], "-");
}

TEST(PreviewFrames, DownloadTimesExcludeEachOther)
{
    struct Row { int before, bit, after; };
    const Row rows[] = {
        {0, pdoTime28k, 8}, {8, pdoTime56k, 16}, {16, pdoTime56k, 0}, {4 | 8, pdoTime56k, 4 | 16},
        {16 | 32, pdoTime28k, 8 | 32}, {0, pdoNoPreview, 1}, {1 | 2, pdoNoPreview, 2},
    };
    for (const Row& r : rows) EXPECT_EQ(ToggleDisplayOption(r.before, r.bit), r.after) << r.before << "+" << r.bit;
    EXPECT_EQ(SetDisplayOption(4 | 8, pdoSizeInKB, false), 8);
    EXPECT_EQ(SetDisplayOption(8, pdoRatioAsBpp, true), 40);
}

TEST(PreviewFrames, PictureFitsByTheSmallerScale)
{
    struct Row { int w, h, bw, bh; QRect place; };
    const Row rows[] = {
        {100, 50, 240, 200, QRect(70, 75, 100, 50)},   // fits: 1:1, centred
        {240, 200, 240, 200, QRect(0, 0, 240, 200)},
        {480, 100, 240, 200, QRect(0, 75, 240, 50)},   // width limits
        {300, 400, 300, 300, QRect(37, 0, 225, 300)},  // height limits
        // Wider than high, yet the height limits in this box: 400 x 200 / 380 = 210.5 -> 211.
        {400, 380, 240, 200, QRect(14, 0, 211, 200)},
        {0, 10, 240, 200, QRect()},
    };
    for (const Row& r : rows) EXPECT_EQ(PreviewRect(r.w, r.h, r.bw, r.bh), r.place) << r.w << "x" << r.h;
}

TEST(PreviewFrames, FadeTakesFifteenStepsOrOne)
{
    int step = FadeStart, ticks = 0;
    std::vector<int> seen;
    while (step > 0) {
        step = NextFadeStep(step, true);
        seen.push_back(step);
        ++ticks;
    }
    EXPECT_EQ(ticks, 15);
    EXPECT_EQ(seen.front(), 93);
    EXPECT_EQ(seen[13], 2);
    EXPECT_EQ(NextFadeStep(FadeStart, false), 0);
}

TEST(PreviewFrames, BlendRoundsEachByteHalfToEven)
{
    struct Row { uint8_t old, next; int step; uint8_t out; };
    const Row rows[] = {
        {200, 100, 50, 150}, {200, 100, 93, 193}, {200, 100, 100, 200}, {200, 100, 0, 100},
        {1, 0, 50, 0},   // 0.5 -> 0
        {3, 0, 50, 2},   // 1.5 -> 2
        {255, 0, 2, 5},  // 5.1 -> 5
        {0, 255, 93, 18}, // 17.85 -> 18
    };
    for (const Row& r : rows) {
        QImage a(2, 1, QImage::Format_RGB32), b(2, 1, QImage::Format_RGB32), out;
        a.fill(QColor(r.old, r.old, r.old));
        b.fill(QColor(r.next, r.next, r.next));
        BlendFrames(a, b, r.step, out);
        ASSERT_EQ(out.size(), QSize(2, 1));
        EXPECT_EQ(qRed(out.pixel(1, 0)), r.out) << int(r.old) << " " << int(r.next) << " @" << r.step;
        EXPECT_EQ(qBlue(out.pixel(0, 0)), r.out);
    }
}
