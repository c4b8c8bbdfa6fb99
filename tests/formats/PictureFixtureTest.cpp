// Every TIFF, EPS, PNG and GIF fixture loads as the pixel format its MANIFEST gives, with the pixels
// (and the alpha, where the loader keeps it) of the tool's decode: exactly for 8-bit data, within
// one level where the file holds 16-bit samples.
#include <gtest/gtest.h>

#include <cstdlib>

#include "PictureFixtures.h"
#include "TestFormats.h"
#include "formats/FormatGraphic.h"
#include "formats/Picture.h"
#include "formats/PictureLoader.h"

#include <algorithm>

using namespace picturefixtures;

namespace {
// Compares the bitmap with the reference; the message names the first differing pixel.
std::string Difference(const TBitmap& bmp, const TPnm& ref, int tolerance)
{
    if (bmp.Width() != ref.Width || bmp.Height() != ref.Height)
        return "size " + std::to_string(bmp.Width()) + "x" + std::to_string(bmp.Height()) + " instead of " +
               std::to_string(ref.Width) + "x" + std::to_string(ref.Height);
    std::vector<uint8_t> row(size_t(bmp.Width()) * 3);
    for (int y = 0; y < bmp.Height(); ++y) {
        bmp.RowTo24(y, row.data());
        for (int x = 0; x < bmp.Width(); ++x)
            for (int c = 0; c < 3; ++c) {
                const int got = row[size_t(x) * 3 + size_t(2 - c)]; // blue, green, red
                const int want = ref.Samples[(size_t(y) * size_t(ref.Width) + size_t(x)) * 3 + size_t(c)];
                if (std::abs(got - want) > tolerance)
                    return "pixel (" + std::to_string(x) + "," + std::to_string(y) + ") channel " + std::to_string(c) +
                           ": " + std::to_string(got) + " instead of " + std::to_string(want);
            }
    }
    return "";
}

std::string AlphaDifference(const TBitmap& bmp, const TPnm& ref)
{
    if (bmp.PixelFormat() != TPixelFormat::pf32bit || ref.Channels != 1) return "no alpha to compare";
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            const int got = bmp.ScanLine(y)[size_t(x) * 4 + 3];
            const int want = ref.Samples[size_t(y) * size_t(ref.Width) + size_t(x)];
            if (got != want)
                return "alpha (" + std::to_string(x) + "," + std::to_string(y) + "): " + std::to_string(got) +
                       " instead of " + std::to_string(want);
        }
    return "";
}
} // namespace

TEST(PictureFixtures, EveryFixtureMatchesTheToolsDecode)
{
    for (const char* folder : kFolders) {
        const auto fixtures = Fixtures(folder);
        EXPECT_GE(fixtures.size(), 10u) << "MANIFEST missing or short in " << FolderPath(folder);
        for (const TFixture& f : fixtures) {
            SCOPED_TRACE(f.Folder + "/" + f.Name);
            ASSERT_FALSE(f.Path.empty()) << "no picture file";
            auto graphic = GraphicFor(f.Path);
            ASSERT_NE(graphic, nullptr);
            try {
                graphic->LoadFromFile(f.Path);
            } catch (const std::exception& e) {
                ADD_FAILURE() << "load failed: " << e.what();
                continue;
            }
            const TBitmap* bmp = graphic->GetBitmap();
            ASSERT_NE(bmp, nullptr);
            EXPECT_STREQ(FormatName(bmp->PixelFormat()), f.Format.c_str());
            const TPnm ref = ReadPnm(FolderPath(folder) + f.Name + ".ppm");
            ASSERT_EQ(ref.Channels, 3) << "reference unreadable";
            EXPECT_EQ(Difference(*bmp, ref, f.Tolerance), "");
            if (f.Alpha) {
                EXPECT_EQ(AlphaDifference(*bmp, ReadPnm(FolderPath(folder) + f.Name + ".alpha.pgm")), "");
            }
        }
    }
}

// The program's registry: the new extensions name their classes with their descriptions, the classes
// are asked in registration order, and every fixture is recognised by content as its own format,
// also under a misleading extension (through LoadPicture).
TEST(PictureFixtures, RegisteredAndRecognisedByContent)
{
    const TFileFormatList& list = FileFormatList();
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"TIFF", "TTIFFGraphic", "Macintosh TIFF images"}, {"tif", "TTIFFGraphic", "PC TIF images"},
        {"Fax", "TTIFFGraphic", "GFI fax"}, {"eps", "TEPSGraphic", "Encapsulated Postscript"},
        {"gif", "TGIFGraphic", "Graphics Interchange Format (GIF)"},
        {"png", "TPNGGraphic", "Portable Network Graphic (PNG)"}};
    for (const auto& [ext, cls, description] : rows) {
        const TGraphicClass* c = list.FindPictureClass(ext);
        ASSERT_NE(c, nullptr) << ext;
        EXPECT_EQ(c->ClassName, cls);
        bool described = false;
        for (const TPictureFormat& f : list.PictureFormats())
            described |= f.GraphicClass == c && f.Description == description;
        EXPECT_TRUE(described) << ext;
    }
    EXPECT_EQ(list.GetDescription(*list.FindPictureClass("tif")), "Tagged Image File Format (TIFF)");
    std::vector<std::string> order;
    for (int i = 0; i < list.ClassCount(); ++i) order.push_back(list.ClassEntry(i).GraphicClass->ClassName);
    auto at = [&](const char* name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
    EXPECT_TRUE(at("TTIFFGraphic") < at("TEPSGraphic") && at("TEPSGraphic") < at("TGIFGraphic") &&
                at("TGIFGraphic") < at("TPNGGraphic") && at("TPNGGraphic") < std::ptrdiff_t(order.size()));

    for (const char* folder : kFolders)
        for (const TFixture& f : Fixtures(folder)) {
            TMemoryStream s(ReadAll(f.Path));
            const TGraphicClass* c = list.GraphicFromContent(s);
            const TGraphicClass* byExtension = GraphicFor(f.Path) ? list.FindPictureClass(f.Path.substr(f.Path.size() - 3)) : nullptr;
            ASSERT_NE(c, nullptr) << f.Name;
            EXPECT_EQ(c, byExtension) << f.Name;
        }
    // A TIFF named as a GIF and a GIF named as a PNG load by content.
    TScratchFolder tmp;
    const std::pair<std::string, const char*> misnamed[] = {{"tiff/tc_lzw2.tif", "TTIFFGraphic"},
                                                            {"gif/im_256.gif", "TGIFGraphic"}};
    for (const auto& [file, cls] : misnamed) {
        TPicture picture;
        TImageFileInfo info;
        const std::string name = tmp.Write(std::string(cls) + (file[0] == 't' ? ".gif" : ".png"),
                                           ReadAll(std::string(QM_FIXTURES_DIR) + "/" + file));
        LoadPicture(picture, name, false, 0, 0, info);
        ASSERT_NE(picture.Graphic(), nullptr);
        EXPECT_EQ(list.ClassOf(*picture.Graphic())->ClassName, cls);
        EXPECT_EQ(std::tuple(picture.Width(), picture.Height()), std::tuple(70, 46));
    }
}
