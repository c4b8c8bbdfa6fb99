#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>

#include <thread>
#include <tuple>

#include "ScratchFolder.h"
#include "TestFormats.h"
#include "codec/JPEGImage.h"
#include "formats/BitmapGraphic.h"
#include "formats/FileFormatList.h"
#include "formats/Picture.h"
#include "formats/PictureLoader.h"

namespace {
// The message the load by extension raises for a file.
std::string ExtensionMessage(const std::string& path)
{
    try {
        TPicture p;
        p.LoadFromFile(path);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(loaded)";
}

// Loads the file ("" when it loads); a failure must leave only a plain exception and no picture.
std::string Load(TPicture& picture, const std::string& path, TImageFileInfo& info,
                 const TFileFormatList& formats = FileFormatList(), int box = 0)
{
    try {
        LoadPicture(picture, path, box > 0, box, box, info, formats);
    } catch (const Exception& e) {
        EXPECT_EQ(typeid(e), typeid(Exception)) << path;
        EXPECT_EQ(picture.Graphic(), nullptr) << path;
        EXPECT_FALSE(info.PictureInfoValid) << path;
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

TEST(FileFormatList, ProgramRegistry)
{
    const TFileFormatList& list = FileFormatList();
    EXPECT_EQ(std::tuple(list.ExtensionCount(), list.ClassCount()), std::tuple(7, 2));
    EXPECT_EQ(list.FindPictureClass("DIB")->ClassName, "TBitmap");
    EXPECT_EQ(list.FindPictureClass("jfif")->ClassName, "TJPEGImage");
    // Neither class has a content test: loading tests them itself.
    TMemoryStream bmp(std::vector<uint8_t>{'B', 'M', 0, 0, 0, 0});
    EXPECT_EQ(list.GraphicFromContent(bmp), nullptr);
}

// Every failure reports the load by extension, never a content attempt; a missing file and a
// named pipe nobody writes to (which fails instead of waiting) leave the file fields empty.
TEST(PictureLoader, FailuresReportTheLoadByExtension)
{
    TScratchFolder tmp;
    std::vector<uint8_t> garbage(300);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 7 + 3);
    std::vector<uint8_t> fakeBitmap = garbage;
    fakeBitmap[0] = 'B';
    fakeBitmap[1] = 'M';
    ASSERT_EQ(::mkfifo(tmp.Path("pipe.bmp").c_str(), 0600), 0);
    const struct
    {
        const char* name;
        std::optional<std::vector<uint8_t>> data; // none: not written
    } cases[] = {{"junk.jpg", garbage}, {"junk.bmp", garbage}, {"fake.jpg", fakeBitmap}, // content tries BMP
                 {"junk.xyz", garbage}, {"empty.bmp", std::vector<uint8_t>{}}, {"missing.bmp", {}}, {"pipe.bmp", {}}};
    for (const auto& c : cases) {
        const std::string path = c.data ? tmp.Write(c.name, *c.data) : tmp.Path(c.name);
        TPicture picture;
        picture.SetGraphic(std::make_unique<TBitmapGraphic>(TBitmap(2, 2)));
        TImageFileInfo info;
        EXPECT_EQ(Load(picture, path, info), ExtensionMessage(path)) << c.name;
        EXPECT_EQ(info.FileInfoValid, c.data.has_value()) << c.name;
        EXPECT_EQ(info.FileSize, c.data ? int64_t(c.data->size()) : 0);
        EXPECT_EQ(info.FileName, path);
    }
    EXPECT_EQ(ExtensionMessage(tmp.Path("junk.xyz")), "Unknown picture file extension (.xyz)");
    // The signature tests: a file that cannot be opened passes both (the load that follows reports it).
    EXPECT_TRUE(IsBitmapFile(tmp.Path("missing.bmp")) && IsJpegFile(tmp.Path("missing.bmp")));
    EXPECT_FALSE(IsBitmapFile(tmp.Path("empty.bmp")) || IsJpegFile(tmp.Path("fake.jpg")));
    EXPECT_TRUE(IsBitmapFile(tmp.Path("fake.jpg")));
}

// Each fixture under its own name, a JPEG named as a bitmap (loaded by content) and a bitmap under a
// path of more than 300 characters (never cut).
TEST(PictureLoader, ImageFileInfoFigures)
{
    const std::string longDir = std::string(120, 'a') + "/" + std::string(120, 'b') + "/" + std::string(120, 'c');
    const struct
    {
        const char* fixture;
        std::string name;
        int width, height, bits;
        int64_t imageBytes, bytes24;
        int formatIndex;
    } cases[] = {
        {"bits1_10x1.bmp", "a.bmp", 10, 1, 1, 4, 32, ImageFormatBMP},
        {"bits8_7x5.bmp", "b.bmp", 7, 5, 8, 40, 120, ImageFormatBMP},
        {"bits24_3x2.bmp", longDir + "/c.bmp", 3, 2, 24, 24, 24, ImageFormatBMP},
        {"rle8_9x4.bmp", "d.bmp", 9, 4, 8, 48, 112, ImageFormatBMP},
        {"bitfields444_4x2.bmp", "h.bmp", 4, 2, 16, 16, 24, ImageFormatBMP}, // held as 32 bits
        {"progressive_24x16.jpg", "e.jpg", 24, 16, 24, 1152, 1152, ImageFormatJPEG},
        {"gray_16x16.jpg", "f.jpg", 16, 16, 8, 256, 768, ImageFormatJPEG},
        {"color_40x24.jpg", "g.jpg", 40, 24, 24, 2880, 2880, ImageFormatJPEG},
        {"color_40x24.jpg", "jpeg.bmp", 40, 24, 24, 2880, 2880, ImageFormatJPEG},
    };
    const char* zone = getenv("TZ");
    const std::string oldZone = zone ? zone : "";
    setenv("TZ", "UTC", 1);
    tzset();
    TScratchFolder tmp;
    for (const auto& c : cases) {
        const auto data = ReadFixture(c.fixture);
        std::filesystem::create_directories(std::filesystem::path(tmp.Path(c.name)).parent_path());
        const std::string path = tmp.Write(c.name, data);
        struct timeval times[2] = {{86400 + 3600, 0}, {86400 + 3600, 0}}; // 2 Jan 1970 01:00:00
        EXPECT_EQ(utimes(path.c_str(), times), 0);
        TPicture picture;
        TImageFileInfo info;
        EXPECT_EQ(Load(picture, path, info), "") << c.name;
        const double size = double(data.size());
        const char* description = c.formatIndex == ImageFormatBMP ? "Windows Bitmap" : "JPEG/JFIF compliant";
        EXPECT_EQ(info.LoadedByContent, c.name == "jpeg.bmp");
        EXPECT_TRUE(info.PictureInfoValid && info.FileInfoValid);
        EXPECT_EQ(std::tuple(info.FileName, info.FileSize), std::tuple(path, int64_t(data.size())));
        EXPECT_EQ(std::tuple(info.Width, info.Height, info.BitsPerPixel, info.ImageBytes, info.Bytes24),
                  std::tuple(c.width, c.height, c.bits, c.imageBytes, c.bytes24))
            << c.name;
        EXPECT_FLOAT_EQ(info.ImageRatio, float(c.imageBytes / size));
        EXPECT_FLOAT_EQ(info.Ratio24, float(c.bytes24 / size));
        EXPECT_FLOAT_EQ(info.FileBitsPerPixel, float(size * 8 / (c.width * c.height)));
        EXPECT_EQ(info.FormatIndex, c.formatIndex);
        EXPECT_EQ(info.FormatDescription, description);
        EXPECT_EQ(GetGraphicFormatDescription(picture), description);
        EXPECT_DOUBLE_EQ(info.Modified, 25570.0 + 1.0 / 24); // days since 30 Dec 1899
    }
    zone ? setenv("TZ", oldZone.c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST(PictureLoader, FiguresAbove2GBStayPositive)
{
    TFileFormatList formats;
    static const TGraphicClass cls = MakeFormatGraphicClass<THugeGraphic>("TPNGGraphic");
    formats.RegisterFileFormat("huge", "Huge pictures", "", FormatKind::Raster, false, cls);
    auto graphic = std::make_unique<THugeGraphic>();
    graphic->ImageProperties.BitsPerPixel = 24;
    TPicture picture;
    picture.SetGraphic(std::move(graphic));
    TImageFileInfo info;
    info.FileSize = 3'000'000'000;
    FillImageInfo(picture, info, formats);
    EXPECT_EQ(info.FormatIndex, 8);
    EXPECT_EQ(std::tuple(info.ImageBytes, info.Bytes24), std::tuple(int64_t(7'200'000'000), int64_t(7'200'000'000)));
    EXPECT_FLOAT_EQ(info.ImageRatio, 2.4f);
    EXPECT_FLOAT_EQ(info.FileBitsPerPixel, 10.0f);
}

// A private registry: its content test names a class after BMP and JPEG, and a load that leaves an
// empty picture counts as a failure.
TEST(PictureLoader, ContentSniffingAsksTheRegistryLastAndRefusesEmptyLoads)
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
    EXPECT_TRUE(info.LoadedByContent);
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(info.FormatIndex, 0); // not a class of the image format table
    EXPECT_FALSE(info.PictureInfoValid);
    EXPECT_EQ(LoadGraphicByContent(path), nullptr); // the program's registry knows no such format

    ASSERT_EQ(Load(picture, tmp.Write("a.lnt", ReadFixture("gray_16x16.jpg")), info, formats), "");
    EXPECT_TRUE(info.LoadedByContent);
    EXPECT_EQ(picture.Width(), 16);
    EXPECT_EQ(Load(picture, tmp.Write("b.lnt", std::vector<uint8_t>(40, 1)), info, formats), EmptyPictureText);
}

// The preview decode: a reduced scale when the box asks for it; a file whose header reads well but
// whose pixels cannot be decoded (a component names a quantisation table the file lacks) fails as
// any other load does, with the decoder's message.
TEST(PictureLoader, PreviewDecodesJpegAtAFittingScale)
{
    TScratchFolder tmp;
    std::vector<uint8_t> noTable = ReadFixture("color_40x24.jpg");
    ASSERT_EQ(noTable[170], 0); // the luminance component's table selector
    noTable[170] = 3;
    const struct
    {
        std::vector<uint8_t> data;
        int box, scale, width;
        const char* message;
    } cases[] = {{ReadFixture("color_40x24.jpg"), 10, 2, 10, ""},
                 {ReadFixture("color_40x24.jpg"), 100, 0, 40, ""}, // the full size fits
                 {noTable, 10, 0, 0, "Quantization table 0x03 was not defined"}};
    for (const auto& c : cases) {
        TPicture picture;
        TImageFileInfo info;
        ASSERT_EQ(Load(picture, tmp.Write("c.jpg", c.data), info, FileFormatList(), c.box), c.message);
        if (*c.message) {
            EXPECT_TRUE(info.FileInfoValid && info.Width == 0);
            continue;
        }
        EXPECT_EQ(info.JpegScale, c.scale != 0);
        auto* jpeg = dynamic_cast<TJPEGImage*>(picture.Graphic());
        ASSERT_TRUE(jpeg && jpeg->Bitmap);
        EXPECT_EQ(std::tuple(int(jpeg->Scale), jpeg->Bitmap->Width()), std::tuple(c.scale, c.width));
    }
}

TEST(PictureLoader, LoadsOnSeveralThreadsAtOnce)
{
    TScratchFolder tmp;
    const std::string files[] = {tmp.Write("a.bmp", ReadFixture("bits8_7x5.bmp")),
                                 tmp.Write("b.bmp", ReadFixture("color_40x24.jpg"))};
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 10; ++i) {
                TPicture picture;
                TImageFileInfo info;
                LoadPicture(picture, files[(t + i) % 2], false, 0, 0, info);
                if (info.PictureInfoValid) ++good;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(good, 40);
}
