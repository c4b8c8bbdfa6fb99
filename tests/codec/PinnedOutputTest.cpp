// The bytes the program writes for fixed pictures, and the pixels it decodes from them, are the
// same on every machine: with the plain and the vector kernels, on one thread and on all. A change
// that moves any byte fails here; the commit that changes a value says why.
#include <gtest/gtest.h>

#include <zlib.h>

#include "EncoderTestUtil.h"
#include "SelectionTestUtil.h"
#include "codec/JPEGImage.h"
#include "platform/Parallel.h"

namespace {

TEncodeParams ProgramParams(const qmjpeg::TQuantSettings& q, int threads)
{
    TEncodeParams p;
    p.Coding.Tables = qmjpeg::BuildQuantTables(q);
    std::tie(p.Coding.Rounding, p.Coding.OptimizeCoding) = std::tuple(TQuantRounding::Program, true);
    p.FrontEnd.Threads = p.Coding.Threads = threads;
    return p;
}

uint32_t Crc(const uint8_t* p, size_t n, uint32_t crc = 0)
{
    return uint32_t(crc32(crc, p, uInt(n)));
}

// The file decoded by the program into 24-bit pixels.
uint32_t DecodedCrc(const std::vector<uint8_t>& file)
{
    TJPEGImage image;
    image.PixelFormat8Bit = false;
    TMemoryStream s(file);
    image.LoadFromStream(s);
    image.EnsureBitmap();
    const TBitmap& b = *image.Bitmap;
    uint32_t crc = 0;
    for (int y = 0; y < b.Height(); ++y) crc = Crc(b.ScanLine(y), size_t(b.Width()) * 3, crc);
    return crc;
}

} // namespace

TEST(PinnedOutput, SameBytesWithEveryKernelAndThreadCount)
{
    const TBitmap photo = PhotoLikePicture(203, 151, 1), noise = RandomPicture(61, 47, 2);
    TBitmap indexed(61, 47, TPixelFormat::pf8bit);
    indexed.SetPalette({{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {128, 128, 128, 0}});
    for (int y = 0; y < 47; ++y) std::copy_n(noise.ScanLine(y), 61, indexed.ScanLine(y)); // indices past the palette too
    struct TCase
    {
        const char* Name;
        std::function<std::vector<uint8_t>(int threads)> Encode;
        uint32_t File, Decoded;
    };
    // Through the image, which takes "one per core" from the process's core count.
    auto image = [](const TBitmap& src, std::function<void(TJPEGImage&)> setup) {
        return [&src, setup](int threads) {
            SetCoreCount(threads);
            struct TRestore
            {
                ~TRestore() { SetCoreCount(0); }
            } restore;
            return EncodeImage(src, setup);
        };
    };
    const TCase cases[] = {
        {"plain", [&](int t) { return EncodeBitmapToJpeg(photo, ProgramParams({75, 60}, t)); },
         0x44f9de22, 0x6bf15d90},
        {"grey",
         [&](int t) {
             TEncodeParams p = ProgramParams({60, 60}, t);
             p.FrontEnd.Grayscale = true;
             return EncodeBitmapToJpeg(noise, p);
         },
         0x1c8d2fd6, 0xd9a34073},
        {"progressive with restarts", image(photo, [](TJPEGImage& im) {
             std::tie(im.LumQuality, im.ChromQuality, im.ProgressiveEncoding, im.RestartInterval) = std::tuple(85, 50, true, 2);
             im.SamplingFactors = {{{2, 1}, {1, 1}, {1, 1}}};
         }), 0x44cf4e7f, 0xbec09e7e},
        // An ellipse selected at finer qualities, a median prefilter outside it and a mean inside.
        {"selective with prefilters", image(photo, [](TJPEGImage& im) {
             std::tie(im.LumQuality, im.ChromQuality, im.SelLumQuality, im.SelChromQuality) = std::tuple(40, 30, 90, 80);
             std::tie(im.SelectiveCompression, im.ActiveFilter, im.FilterRadius) = std::tuple(true, 4, 3);
             std::tie(im.SelActiveFilter, im.SelFilterRadius) = std::tuple(2, 2);
             im.SetFilterValue(4, 60);
             im.SetSelFilterValue(2, 40);
             AddSelectionArea(im, skEllipse, 200000, 100000, 800000, 700000);
         }), 0x4c3a3c18, 0xfb3eac8e},
        {"ratio search", image(photo, [](TJPEGImage& im) { im.SetCompressionRatio(30); }), 0xc14cbf87, 0xee3b6ea5},
        {"8-bit source", image(indexed, {}), 0x9eb16f95, 0xacab2a87},
        // Selection qualities with the chroma at full size: the luma's block mask derives from the chroma's.
        {"selection qualities, chroma full size", image(photo, [](TJPEGImage& im) {
             im.SetSubsampling(2);
             std::tie(im.SelectiveCompression, im.SelLumQuality, im.SelChromQuality) = std::tuple(true, 95, 10);
             AddSelectionArea(im, skEllipse, 150000, 250000, 650000, 900000);
         }), 0x54c0cb40, 0x2d53cc2e},
    };
    for (const TCase& c : cases)
        for (bool plain : {false, true})
            for (int threads : {1, 0}) {
                SCOPED_TRACE(std::string(c.Name) + (plain ? ", plain kernels" : ", vector kernels") +
                             ", threads " + std::to_string(threads));
                std::vector<uint8_t> file;
                {
                    const TKernelChoice kernels(plain);
                    file = c.Encode(threads);
                }
                ASSERT_FALSE(file.empty());
                EXPECT_EQ(Crc(file.data(), file.size()), c.File) << std::hex << Crc(file.data(), file.size());
                EXPECT_EQ(DecodedCrc(file), c.Decoded) << std::hex << DecodedCrc(file);
            }
}
