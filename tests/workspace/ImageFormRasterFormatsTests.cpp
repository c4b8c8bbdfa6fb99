// Image windows on pictures of the raster formats: each opens, compresses, and its result view shows
// the source within the coder's loss; a CUT picture opens with its palette file.
#include <fstream>

#include "ImageFormFixture.h"

namespace {

// The colour at (x, y) of a reference picture (binary P6) beside a fixture.
std::array<int, 3> ReferencePixel(const std::string& ppm, int x, int y)
{
    std::ifstream f(ppm, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, max = 0;
    f >> magic >> w >> h >> max;
    f.get();
    f.seekg(std::streamoff(y) * w * 3 + std::streamoff(x) * 3, std::ios::cur);
    uint8_t rgb[3] = {};
    f.read(reinterpret_cast<char*>(rgb), 3);
    return {rgb[0], rgb[1], rgb[2]};
}

TEST_F(ImageFormTest, PicturesOfEachRasterFormatOpenAndCompress)
{
    const std::string dir = std::string(QM_FIXTURES_DIR) + "/";
    for (const char* file : {"psd/im_rgb_rle.psd", "psp/v5_rgb_zlib.psp", "pcx/im_pal8.pcx", "tga/im_type10.tga",
                             "cut/halo.cut", "sgi/im_rle.sgi", "rla/rgb.rla", "autodesk/animator.cel", "pnm/nb_p6.ppm",
                             "pcd/overview.pcd"}) {
        const std::string name = dir + file;
        TImageForm* form = NewForm();
        form->LoadSourceFromNames({name});
        const TBitmap* src = form->SourceBitmap();
        ASSERT_NE(src, nullptr) << file;
        CompressWhenDue(form);
        ASSERT_GT(form->ResultSize, 0) << file;
        EXPECT_EQ(form->ResImage->size(), QSize(src->Width(), src->Height())) << file;
        const QImage shot = form->ResImage->grab().toImage();
        const std::string ppm = name.substr(0, name.rfind('.')) + ".ppm";
        for (QPoint p : {QPoint(5, 5), QPoint(30, 18), QPoint(60, 40)}) {
            // The source is the reference's picture (a CUT picture through its ".pal" file) ...
            const std::array<int, 3> ref = ReferencePixel(ppm, p.x(), p.y());
            const TBitmap src24 = src->To24();
            const uint8_t* px = src24.ScanLine(p.y()) + p.x() * 3;
            const int tolerance = std::string(file).starts_with("pcd/") ? 20 : 0;
            EXPECT_LE(std::max({std::abs(px[2] - ref[0]), std::abs(px[1] - ref[1]), std::abs(px[0] - ref[2])}), tolerance)
                << file << " " << p.x() << "," << p.y();
            // ... and the result view shows it within the coder's loss.
            const QColor got = shot.pixelColor(p);
            EXPECT_LE(std::max({std::abs(got.blue() - px[0]), std::abs(got.green() - px[1]), std::abs(got.red() - px[2])}), 48)
                << file << " " << p.x() << "," << p.y();
        }
    }
}

} // namespace
