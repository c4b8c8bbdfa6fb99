// The raster formats against pictures that other tools wrote (or a script coded by hand): every
// fixture listed in its folder's MANIFEST loads through the picture registry by its extension, has
// the pixel format the list names, and its pixels (and alpha where kept) equal the reference that
// an independent decoder made, within the listed tolerance.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "formats/FormatGraphic.h"
#include "formats/Picture.h"
#include "platform/Bitmap.h"

namespace {

const char* const kFolders[] = {"psd", "psp", "pcx", "tga", "cut", "sgi", "rla", "autodesk", "pnm", "pcd"};

struct TReference
{
    int Width = 0, Height = 0, Channels = 0;
    std::vector<uint8_t> Samples;
};

// A binary portable map (P5 grey or P6 colour, maximum 255) as the reference tools write them.
TReference ReadReference(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    TReference r;
    std::string magic;
    int maxValue = 0;
    f >> magic >> r.Width >> r.Height >> maxValue;
    f.get();
    r.Channels = magic == "P6" ? 3 : 1;
    if (!f || maxValue != 255 || (magic != "P5" && magic != "P6")) return TReference{};
    r.Samples.resize(size_t(r.Width) * size_t(r.Height) * size_t(r.Channels));
    f.read(reinterpret_cast<char*>(r.Samples.data()), std::streamsize(r.Samples.size()));
    return f ? r : TReference{};
}

const char* FormatName(TPixelFormat f)
{
    static const char* const names[] = {"pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit", "pf32bit"};
    return names[int(f)];
}

struct TFixture
{
    std::string Folder, File, Format;
    int Tolerance = 0;
};

std::vector<TFixture> Manifest()
{
    std::vector<TFixture> list;
    for (const char* folder : kFolders) {
        std::ifstream m(std::string(QM_FIXTURES_DIR) + "/" + folder + "/MANIFEST");
        std::string line;
        while (std::getline(m, line)) {
            std::istringstream in(line);
            TFixture f{folder};
            if (in >> f.File >> f.Format >> f.Tolerance) list.push_back(f);
        }
    }
    return list;
}

std::string Stem(const std::string& file) { return file.substr(0, file.rfind('.')); }

} // namespace

TEST(RasterFixtures, ManifestsListEveryFolder)
{
    const auto list = Manifest();
    for (const char* folder : kFolders)
        EXPECT_TRUE(std::any_of(list.begin(), list.end(), [&](const TFixture& f) { return f.Folder == folder; }))
            << folder;
    EXPECT_GE(list.size(), 85u);
}

// One fixture against its references.
static void CheckFixture(const TFixture& fx)
{
    {
        const std::string dir = std::string(QM_FIXTURES_DIR) + "/" + fx.Folder + "/";
        TPicture picture;
        try {
            picture.LoadFromFile(dir + fx.File);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
            return;
        }
        auto* graphic = dynamic_cast<TFormatGraphic*>(picture.Graphic());
        ASSERT_NE(graphic, nullptr);
        const TBitmap& bitmap = graphic->Bitmap();
        EXPECT_STREQ(FormatName(bitmap.PixelFormat()), fx.Format.c_str());
        const TReference ref = ReadReference(dir + Stem(fx.File) + ".ppm");
        ASSERT_EQ(ref.Channels, 3);
        ASSERT_EQ(bitmap.Width(), ref.Width);
        ASSERT_EQ(bitmap.Height(), ref.Height);
        std::vector<uint8_t> row(size_t(ref.Width) * 3);
        int worst = 0, wrong = 0;
        for (int y = 0; y < ref.Height; ++y) {
            bitmap.RowTo24(y, row.data());
            for (int x = 0; x < ref.Width; ++x)
                for (int c = 0; c < 3; ++c) {
                    const int ours = row[size_t(x) * 3 + size_t(2 - c)];
                    const int theirs = ref.Samples[(size_t(y) * size_t(ref.Width) + size_t(x)) * 3 + size_t(c)];
                    const int d = std::abs(ours - theirs);
                    worst = std::max(worst, d);
                    wrong += d > fx.Tolerance;
                }
        }
        EXPECT_EQ(wrong, 0) << "largest difference " << worst;
        const TReference alpha = ReadReference(dir + Stem(fx.File) + ".alpha.pgm");
        if (alpha.Channels == 1) {
            ASSERT_EQ(bitmap.PixelFormat(), TPixelFormat::pf32bit);
            int alphaWrong = 0;
            for (int y = 0; y < alpha.Height; ++y)
                for (int x = 0; x < alpha.Width; ++x)
                    alphaWrong += bitmap.ScanLine(y)[size_t(x) * 4 + 3] != alpha.Samples[size_t(y) * size_t(alpha.Width) + size_t(x)];
            EXPECT_EQ(alphaWrong, 0);
        }
    }
}

TEST(RasterFixtures, PixelsEqualTheIndependentDecoders)
{
    for (const auto& fx : Manifest()) {
        SCOPED_TRACE(fx.Folder + "/" + fx.File);
        CheckFixture(fx);
    }
}
