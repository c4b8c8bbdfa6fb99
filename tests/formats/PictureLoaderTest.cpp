#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>

#include "TestFormats.h"
#include "codec/JPEGImage.h"
#include "formats/BitmapGraphic.h"
#include "formats/FileFormatList.h"
#include "formats/Picture.h"
#include "formats/PictureLoader.h"

namespace {
// Loads the file ("" when it loads); a failure must leave only a plain exception and no picture.
std::string Load(TPicture& picture, const std::string& path, TImageFileInfo& info,
                 const TFileFormatList& formats = FileFormatList(), int box = 0)
{
    try {
        LoadPicture(picture, path, box > 0, box, box, info, formats);
    } catch (const Exception& e) {
        EXPECT_EQ(std::tuple(typeid(e) == typeid(Exception), picture.Graphic(), info.PictureInfoValid),
                  std::tuple(true, nullptr, false))
            << path << ": " << e.what();
        return e.what();
    }
    return "";
}

// A picture whose size a real bitmap could not have, to test the 64-bit figures.
class THugeGraphic : public TTestGraphic
{
public:
    int Width() const override { return 60000; }
    int Height() const override { return 40000; }
};
} // namespace

// Each fixture under its own name, a JPEG named as a bitmap (loaded by content), a bitmap under a path
// of more than 300 characters (never cut), previews at a reduced and at the full scale, and failures:
// each reports the load by extension (never a content attempt), except a preview whose header reads
// well but whose pixels cannot be decoded (a component names a quantisation table the file lacks),
// which reports the decoder. A missing file, a named pipe and a folder leave the file fields empty;
// the pipe and the folder are refused for what they are. An "@" in a message stands for the file's path.
TEST(PictureLoader, LoadsAndFigures)
{
    const std::string longName = std::string(120, 'a') + "/" + std::string(120, 'b') + "/" + std::string(120, 'c');
    Bytes garbage(300), noTable = ReadFixture("color_40x24.jpg");
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 7 + 3);
    Bytes fakeBitmap = garbage;
    std::copy_n("BM", 2, fakeBitmap.begin());
    noTable.at(170) = 3; // the luminance component's table selector, 0 before
    const struct
    {
        std::string name;
        std::optional<Bytes> data; // none: not written
        const char* message;       // "" loads
        int width = 0, height = 0, bits = 0;
        int64_t imageBytes = 0, bytes24 = 0;
        int formatIndex = 0, box = 0, scale = 0, previewWidth = 0;
    } cases[] = {
        {"a.bmp", ReadFixture("bits1_10x1.bmp"), "", 10, 1, 1, 4, 32, ImageFormatBMP},
        {"b.bmp", ReadFixture("bits8_7x5.bmp"), "", 7, 5, 8, 40, 120, ImageFormatBMP},
        {longName + "/c.bmp", ReadFixture("bits24_3x2.bmp"), "", 3, 2, 24, 24, 24, ImageFormatBMP},
        {"d.bmp", ReadFixture("rle8_9x4.bmp"), "", 9, 4, 8, 48, 112, ImageFormatBMP},
        {"h.bmp", ReadFixture("bitfields444_4x2.bmp"), "", 4, 2, 16, 16, 24, ImageFormatBMP}, // held as 32 bits
        {"e.jpg", ReadFixture("progressive_24x16.jpg"), "", 24, 16, 24, 1152, 1152, ImageFormatJPEG},
        {"f.jpg", ReadFixture("gray_16x16.jpg"), "", 16, 16, 8, 256, 768, ImageFormatJPEG},
        {"jpeg.bmp", ReadFixture("color_40x24.jpg"), "", 40, 24, 24, 2880, 2880, ImageFormatJPEG},
        {"g.jpg", ReadFixture("color_40x24.jpg"), "", 40, 24, 24, 2880, 2880, ImageFormatJPEG, 10, 2, 10},
        {"i.jpg", ReadFixture("color_40x24.jpg"), "", 40, 24, 24, 2880, 2880, ImageFormatJPEG, 100, 0, 40},
        {"j.jpg", noTable, "Quantization table 0x03 was not defined", 0, 0, 0, 0, 0, 0, 10},
        {"junk.jpg", garbage, "Not a JPEG file: starts with 0x03 0x0a"},
        {"junk.bmp", garbage, "Bitmap image is not valid: the file does not start with \"BM\""},
        {"fake.jpg", fakeBitmap, "Not a JPEG file: starts with 0x42 0x4d"}, // content tries BMP
        {"junk.xyz", garbage, "Unknown picture file extension (.xyz)"},
        {"empty.bmp", Bytes{}, "Bitmap image is not valid: the file is too short for a bitmap file header"},
        {"missing.bmp", std::nullopt, "Cannot open file \"@\". No such file or directory"},
        {"pipe.bmp", std::nullopt, "Cannot open file \"@\". It is a named pipe, not a regular file."},
        {"folder.jpg", std::nullopt, "Cannot open file \"@\". It is a folder, not a regular file."},
    };
    setenv("TZ", "UTC", 1); // file dates are read in UTC here (and in the rest of this program)
    tzset();
    TScratchFolder tmp;
    ASSERT_EQ(::mkfifo(tmp.Path("pipe.bmp").c_str(), 0600), 0);
    std::filesystem::create_directory(tmp.Path("folder.jpg"));
    for (const auto& c : cases) {
        std::filesystem::create_directories(std::filesystem::path(tmp.Path(c.name)).parent_path());
        const std::string path = c.data ? tmp.Write(c.name, *c.data) : tmp.Path(c.name);
        struct timeval times[2] = {{86400 + 3600, 0}, {86400 + 3600, 0}}; // 2 Jan 1970 01:00:00
        EXPECT_TRUE(!c.data || utimes(path.c_str(), times) == 0);
        TPicture picture;
        picture.SetGraphic(std::make_unique<TBitmapGraphic>(TBitmap(2, 2))); // replaced or emptied
        TImageFileInfo info;
        std::string message = c.message;
        if (const size_t at = message.find('@'); at != std::string::npos) message.replace(at, 1, path);
        EXPECT_EQ(Load(picture, path, info, FileFormatList(), c.box), message);
        const double size = c.data ? double(c.data->size()) : 0;
        EXPECT_EQ(std::tuple(info.FileName, info.FileInfoValid, info.FileSize),
                  std::tuple(path, c.data.has_value(), int64_t(size)));
        if (*c.message) continue;
        const char* description = c.formatIndex == ImageFormatBMP ? "Windows Bitmap" : "JPEG/JFIF compliant";
        EXPECT_EQ(std::tuple(info.LoadedByContent, info.PictureInfoValid), std::tuple(c.name == "jpeg.bmp", true));
        EXPECT_EQ(std::tuple(info.Width, info.Height, info.BitsPerPixel, info.ImageBytes, info.Bytes24),
                  std::tuple(c.width, c.height, c.bits, c.imageBytes, c.bytes24))
            << c.name;
        EXPECT_FLOAT_EQ(info.ImageRatio, float(c.imageBytes / size));
        EXPECT_FLOAT_EQ(info.Ratio24, float(c.bytes24 / size));
        EXPECT_FLOAT_EQ(info.FileBitsPerPixel, float(size * 8 / (c.width * c.height)));
        EXPECT_EQ(std::tuple(int(info.FormatIndex), info.FormatDescription), std::tuple(c.formatIndex, description));
        EXPECT_EQ(GetGraphicFormatDescription(picture), description);
        EXPECT_DOUBLE_EQ(info.Modified, 25570.0 + 1.0 / 24); // days since 30 Dec 1899
        if (auto* bitmap = dynamic_cast<TBitmapGraphic*>(picture.Graphic())) {
            bitmap->Bitmap().Modified(); // changed pixels: the depth the bitmap is held at
            EXPECT_EQ(bitmap->BitsPerPixel(), c.bits == 16 ? 32 : c.bits);
        }
        if (c.box == 0) continue;
        auto* jpeg = dynamic_cast<TJPEGImage*>(picture.Graphic());
        ASSERT_TRUE(jpeg && jpeg->Bitmap);
        EXPECT_EQ(std::tuple(info.JpegScale, int(jpeg->Scale), jpeg->Bitmap->Width()),
                  std::tuple(c.scale != 0, c.scale, c.previewWidth));
    }
    // The signature tests: a file that cannot be opened passes both (the load that follows reports it).
    EXPECT_TRUE(IsBitmapFile(tmp.Path("missing.bmp")) && IsJpegFile(tmp.Path("missing.bmp")));
    EXPECT_FALSE(IsBitmapFile(tmp.Path("empty.bmp")) || IsJpegFile(tmp.Path("fake.jpg")));
    EXPECT_TRUE(IsBitmapFile(tmp.Path("fake.jpg")));
}

// A private registry: its content test names a class after BMP and JPEG, a load that leaves an empty
// picture counts as a failure, and figures above 2 GB stay positive.
TEST(PictureLoader, PrivateRegistrySniffsLastRefusesEmptyLoadsAndCountsIn64Bits)
{
    TScratchFolder tmp;
    TFileFormatList formats;
    formats.RegisterFileFormat("qmt", "Test images", "", FormatKind::Raster, false, TTestGraphic::Class());
    // "lnt" loads quietly into an empty picture whatever the file holds.
    formats.RegisterFileFormat("lnt", "Lenient", "", FormatKind::Raster, false, TLenientGraphic::Class());
    const std::string path = tmp.Write("test.dat", TTestGraphic::Make(5, 4));
    TPicture picture;
    TImageFileInfo info;
    ASSERT_EQ(Load(picture, path, info, formats), "");
    // Format index 0: not a class of the image format table.
    EXPECT_EQ(std::tuple(info.LoadedByContent, picture.Width(), int(info.FormatIndex), info.PictureInfoValid),
              std::tuple(true, 5, 0, false));
    EXPECT_EQ(LoadGraphicByContent(path), nullptr); // the program's registry knows no such format

    ASSERT_EQ(Load(picture, tmp.Write("a.lnt", ReadFixture("gray_16x16.jpg")), info, formats), "");
    EXPECT_EQ(std::tuple(info.LoadedByContent, picture.Width()), std::tuple(true, 16));
    EXPECT_EQ(Load(picture, tmp.Write("b.lnt", std::vector<uint8_t>(40, 1)), info, formats), EmptyPictureText);

    // A class named after the PNG graphic takes that format's index.
    formats.RegisterFileFormat("huge", "Huge pictures", "", FormatKind::Raster, false,
                               TestClass<THugeGraphic>("TPNGGraphic"));
    picture.SetGraphic(std::make_unique<THugeGraphic>());
    static_cast<THugeGraphic*>(picture.Graphic())->ImageProperties.BitsPerPixel = 24;
    info.FileSize = 3'000'000'000;
    FillImageInfo(picture, info, formats);
    EXPECT_EQ(std::tuple(int(info.FormatIndex), info.ImageBytes, info.Bytes24),
              std::tuple(8, int64_t(7'200'000'000), int64_t(7'200'000'000)));
    EXPECT_FLOAT_EQ(info.ImageRatio, 2.4f);
    EXPECT_FLOAT_EQ(info.FileBitsPerPixel, 10.0f);
}
