// Image windows on pictures of every format the format library reads, and of every TIFF compression:
// the window opens the file, compresses it, and its result view shows the source.
#include <fstream>

#include "ImageFormFixture.h"

namespace {
std::string Fixture(const std::string& name) { return std::string(QM_FIXTURES_DIR) + "/" + name; }

// The mean difference of a channel between the source picture and the result view.
double MeanDifference(const TBitmap& src, const QImage& shot)
{
    int64_t sum = 0;
    std::vector<uint8_t> row(size_t(src.Width()) * 3);
    for (int y = 0; y < src.Height(); ++y) {
        src.RowTo24(y, row.data());
        for (int x = 0; x < src.Width(); ++x) {
            const QColor got = shot.pixelColor(x, y);
            const uint8_t* px = row.data() + size_t(x) * 3;
            sum += std::abs(got.blue() - px[0]) + std::abs(got.green() - px[1]) + std::abs(got.red() - px[2]);
        }
    }
    return double(sum) / (3.0 * src.Width() * src.Height());
}

TEST_F(ImageFormTest, EveryFormatAndTiffCompressionOpensCompressesAndShowsItsPicture)
{
    const char* const files[] = {
        "tiff/tc_none.tif", "tiff/tc_packbits.tif", "tiff/tc_lzw2.tif", "tiff/tc_zip2.tif", "tiff/tc_g3_msb.tif",
        "tiff/pil_tiff_ccitt.tif", "tiff/pil_tiff_raw_16.tif", "tiff/tc_jpeg90.tif", "tiff/raw_thunderscan.tif",
        "tiff/tc_tiles.tif", "tiff/tc_separate.tif", "tiff/fax2tiff.tif", "tiff/im_cmyk.tif", "tiff/im_ept.eps",
        "png/im_rgb8.png", "png/nb_pal16.png", "png/im_rgba8_interlaced.png", "gif/im_256.gif",
        "gif/nb_interlaced.gif"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        TImageForm* form = NewForm();
        form->LoadSourceFromNames({Fixture(file)});
        const TBitmap* src = form->SourceBitmap();
        ASSERT_NE(src, nullptr);
        EXPECT_GT(src->Width(), 0);
        CompressWhenDue(form);
        ASSERT_GT(form->ResultSize, 0);
        ASSERT_EQ(form->ResImage->size(), QSize(src->Width(), src->Height()));
        // Lossy compression at the default quality: close to the source on the whole (the fixtures'
        // sharp blue stripes and bilevel edges differ most).
        const double mean = MeanDifference(*src, form->ResImage->grab().toImage());
        EXPECT_LE(mean, 16.0); // dithered palettes included
        EXPECT_GT(mean, 0.0); // a view left empty or showing something else would be far off or exact
    }
    EXPECT_TRUE(Box.Calls().empty()); // nothing to warn about
}

TEST_F(ImageFormTest, JpegWarningsOfATiffLoadAreShownOnceAfterIt)
{
    // tc_jpeg90.tif with its first strip's byte count cut to a third: the strip ends early.
    std::ifstream in(Fixture("tiff/tc_jpeg90.tif"), std::ios::binary);
    std::vector<uint8_t> f(std::istreambuf_iterator<char>(in), {});
    auto le16 = [&](size_t at) { return uint32_t(f[at] | f[at + 1] << 8); };
    auto le32 = [&](size_t at) { return le16(at) | le16(at + 2) << 16; };
    const size_t dir = le32(4);
    for (uint32_t i = 0; i < le16(dir); ++i) {
        const size_t e = dir + 2 + 12 * i;
        if (le16(e) != 279) continue;
        const size_t list = le32(e + 4) > 1 ? le32(e + 8) : e + 8; // 3 strips: the list lies outside
        const int size = le16(e + 2) == 3 ? 2 : 4;
        const uint32_t cut = (size == 2 ? le16(list) : le32(list)) / 3;
        for (int k = 0; k < size; ++k) f[list + size_t(k)] = uint8_t(cut >> (8 * k));
    }
    const std::string name = Dir.filePath("cut.tif").toStdString();
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(f.data()), std::streamsize(f.size()));

    TImageForm* form = NewForm();
    form->LoadSourceFromNames({name});
    ASSERT_NE(form->SourceBitmap(), nullptr);
    const auto calls = Box.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(std::tuple(calls[0].Kind, calls[0].Caption), std::tuple(TMsgKind::mkWarning, std::string("Warning")));
    EXPECT_NE(calls[0].Text.find("JPEG decompression error. Unexpected end of input."), std::string::npos);
    CompressWhenDue(form);
    EXPECT_EQ(Box.Calls().size(), 1u); // not again
}

} // namespace
