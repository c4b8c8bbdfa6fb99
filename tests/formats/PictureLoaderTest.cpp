#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>

#include <thread>

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

std::string LoadError(const std::string& path, TImageFileInfo& info, TPicture& picture)
{
    try {
        LoadPicture(picture, path, false, 0, 0, info);
    } catch (const Exception& e) {
        EXPECT_EQ(typeid(e), typeid(Exception)); // a plain exception carries the message
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
    const char* extensions[] = {"bmp", "jfif", "jpg", "jpe", "jpeg", "rle", "dib"};
    ASSERT_EQ(list.ExtensionCount(), 7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(list.ExtensionEntry(i).Extension, extensions[i]);
    ASSERT_EQ(list.ClassCount(), 2);
    EXPECT_EQ(list.ClassEntry(0).GraphicClass->ClassName, "TBitmap");
    EXPECT_EQ(list.ClassEntry(0).Description, "Windows Bitmap");
    EXPECT_EQ(list.ClassEntry(1).GraphicClass->ClassName, "TJPEGImage");
    EXPECT_EQ(list.ClassEntry(1).Description, "JPEG/JFIF compliant");
    EXPECT_EQ(list.PictureFormats()[0].Description, "Windows Bitmap");
    EXPECT_EQ(list.PictureFormats()[6].Description, "Device independant Windows bitmaps");
    EXPECT_EQ(list.FindPictureClass("JPG")->ClassName, "TJPEGImage");
    // Neither of the two classes has a content test: loading tests them itself.
    TMemoryStream bmp(std::vector<uint8_t>{'B', 'M', 0, 0, 0, 0});
    EXPECT_EQ(list.GraphicFromContent(bmp), nullptr);
}

TEST(PictureLoader, JpegWithABitmapNameLoadsByContent)
{
    TScratchFolder tmp;
    const std::string path = tmp.Write("x.bmp", ReadFixture("color_40x24.jpg"));
    EXPECT_FALSE(IsBitmapFile(path));
    EXPECT_TRUE(IsJpegFile(path));
    TPicture picture;
    TImageFileInfo info;
    LoadPicture(picture, path, false, 0, 0, info);
    EXPECT_TRUE(info.LoadedByContent);
    EXPECT_EQ(info.FormatIndex, ImageFormatJPEG);
    EXPECT_STREQ(ImageFormatShortName(info.FormatIndex), "JPEG");
    EXPECT_EQ(info.FormatDescription, "JPEG/JFIF compliant");
    EXPECT_NE(dynamic_cast<TJPEGImage*>(picture.Graphic()), nullptr);
    EXPECT_EQ(info.Width, 40);
    EXPECT_EQ(info.Height, 24);
}

TEST(PictureLoader, FailuresReportTheLoadByExtension)
{
    TScratchFolder tmp;
    std::vector<uint8_t> garbage(300);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 7 + 3);
    std::vector<uint8_t> fakeBitmap = garbage;
    fakeBitmap[0] = 'B';
    fakeBitmap[1] = 'M';
    struct Case
    {
        std::string name;
        std::vector<uint8_t> data;
    } cases[] = {
        {"junk.jpg", garbage},      // JPEG message
        {"junk.bmp", garbage},      // BMP message
        {"fake.jpg", fakeBitmap},   // the content test tries BMP and fails with another message
        {"junk.xyz", garbage},      // unknown extension
        {"empty.bmp", {}},          // zero bytes
    };
    for (const auto& c : cases) {
        const std::string path = tmp.Write(c.name, c.data);
        const std::string expected = ExtensionMessage(path);
        TPicture picture;
        picture.SetGraphic(std::make_unique<TBitmapGraphic>(TBitmap(2, 2)));
        TImageFileInfo info;
        EXPECT_EQ(LoadError(path, info, picture), expected) << c.name;
        EXPECT_EQ(picture.Graphic(), nullptr) << c.name; // the picture is emptied
        EXPECT_TRUE(info.FileInfoValid);
        EXPECT_EQ(info.FileSize, int64_t(c.data.size()));
        EXPECT_EQ(info.FileName, path);
        EXPECT_FALSE(info.PictureInfoValid);
        EXPECT_EQ(info.ImageRatio, 0.0f);
    }
    EXPECT_EQ(ExtensionMessage(tmp.Path("junk.xyz")), "Unknown picture file extension (.xyz)");

    TPicture picture;
    TImageFileInfo info;
    const std::string missing = tmp.Path("missing.bmp");
    EXPECT_EQ(LoadError(missing, info, picture), ExtensionMessage(missing));
    EXPECT_FALSE(info.FileInfoValid);
    EXPECT_EQ(info.FileSize, 0);

    // A named pipe that nobody writes to fails like a file without a picture instead of waiting.
    const std::string pipe = tmp.Path("pipe.bmp");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(LoadError(pipe, info, picture), ExtensionMessage(pipe));
    EXPECT_FALSE(info.FileInfoValid);
    EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST(PictureLoader, ImageFileInfoFigures)
{
    struct Case
    {
        const char* fixture;
        int width, height, bits;
        int64_t imageBytes, bytes24;
        int formatIndex;
        const char* description;
    } cases[] = {
        {"bits1_10x1.bmp", 10, 1, 1, 4, 32, ImageFormatBMP, "Windows Bitmap"},
        {"bits8_7x5.bmp", 7, 5, 8, 40, 120, ImageFormatBMP, "Windows Bitmap"},
        {"bits24_3x2.bmp", 3, 2, 24, 24, 24, ImageFormatBMP, "Windows Bitmap"},
        {"rle8_9x4.bmp", 9, 4, 8, 48, 112, ImageFormatBMP, "Windows Bitmap"},
        {"progressive_24x16.jpg", 24, 16, 24, 1152, 1152, ImageFormatJPEG, "JPEG/JFIF compliant"},
        {"gray_16x16.jpg", 16, 16, 8, 256, 768, ImageFormatJPEG, "JPEG/JFIF compliant"},
        {"color_40x24.jpg", 40, 24, 24, 2880, 2880, ImageFormatJPEG, "JPEG/JFIF compliant"},
    };
    TScratchFolder tmp;
    for (const auto& c : cases) {
        const auto data = ReadFixture(c.fixture);
        const std::string path = tmp.Write(c.fixture, data);
        // A known modification time: 2 Jan 1970 01:00:00 UTC.
        struct timeval times[2] = {{86400 + 3600, 0}, {86400 + 3600, 0}};
        ASSERT_EQ(utimes(path.c_str(), times), 0);
        TPicture picture;
        TImageFileInfo info;
        LoadPicture(picture, path, false, 0, 0, info);
        const double size = double(data.size());
        EXPECT_FALSE(info.LoadedByContent);
        EXPECT_TRUE(info.PictureInfoValid);
        EXPECT_TRUE(info.FileInfoValid);
        EXPECT_EQ(info.FileSize, int64_t(data.size()));
        EXPECT_EQ(info.Width, c.width) << c.fixture;
        EXPECT_EQ(info.Height, c.height) << c.fixture;
        EXPECT_EQ(info.BitsPerPixel, c.bits) << c.fixture;
        EXPECT_EQ(info.ImageBytes, c.imageBytes) << c.fixture;
        EXPECT_EQ(info.Bytes24, c.bytes24) << c.fixture;
        EXPECT_FLOAT_EQ(info.ImageRatio, float(c.imageBytes / size));
        EXPECT_FLOAT_EQ(info.Ratio24, float(c.bytes24 / size));
        EXPECT_FLOAT_EQ(info.FileBitsPerPixel, float(size * 8 / (c.width * c.height)));
        EXPECT_EQ(info.FormatIndex, c.formatIndex);
        EXPECT_EQ(info.FormatDescription, c.description);
        EXPECT_EQ(GetGraphicFormatDescription(picture), c.description);
        EXPECT_DOUBLE_EQ(info.Modified, LocalDateTimeFromUnix(86400 + 3600));
        EXPECT_FALSE(info.JpegScale);
    }
}

TEST(PictureLoader, DateTimesAreLocalWholeSeconds)
{
    const char* old = getenv("TZ");
    std::string saved = old ? old : "";
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_DOUBLE_EQ(LocalDateTimeFromUnix(0), 25569.0);
    EXPECT_DOUBLE_EQ(LocalDateTimeFromUnix(86400 + 43200), 25570.5);
    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(PictureLoader, FiguresAbove2GBStayPositive)
{
    TFileFormatList formats;
    static const TGraphicClass cls = MakeFormatGraphicClass<THugeGraphic>("TPNGGraphic");
    formats.RegisterFileFormat("huge", "Huge pictures", "", ftRaster, false, cls);
    auto graphic = std::make_unique<THugeGraphic>();
    graphic->ImageProperties.BitsPerPixel = 24;
    TPicture picture;
    picture.SetGraphic(std::move(graphic));
    TImageFileInfo info;
    info.FileSize = 3'000'000'000;
    FillImageInfo(picture, info, formats);
    EXPECT_EQ(info.FormatIndex, 8);
    EXPECT_EQ(info.ImageBytes, int64_t(40000) * 180000);
    EXPECT_EQ(info.Bytes24, info.ImageBytes);
    EXPECT_FLOAT_EQ(info.ImageRatio, 2.4f);
    EXPECT_FLOAT_EQ(info.FileBitsPerPixel, 10.0f);
}

TEST(PictureLoader, LongFileNamesLoadWhole)
{
    TScratchFolder tmp;
    std::filesystem::path dir = tmp.Root();
    for (int i = 0; i < 3; ++i) dir /= std::string(120, char('a' + i));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "picture.bmp").string();
    ASSERT_GT(path.size(), 300u);
    const auto data = ReadFixture("bits24_3x2.bmp");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    TPicture picture;
    TImageFileInfo info;
    LoadPicture(picture, path, false, 0, 0, info);
    EXPECT_EQ(info.FileName, path);
    EXPECT_TRUE(info.FileInfoValid);
    EXPECT_EQ(info.Width, 3);
}

TEST(PictureLoader, AnEmptyLoadCountsAsAFailure)
{
    TScratchFolder tmp;
    TFileFormatList formats;
    // "lnt" loads quietly into an empty picture whatever the file holds.
    formats.RegisterFileFormat("lnt", "Lenient", "", ftRaster, false, TLenientGraphic::Class());
    const std::string jpeg = tmp.Write("a.lnt", ReadFixture("gray_16x16.jpg"));
    TPicture picture;
    TImageFileInfo info;
    LoadPicture(picture, jpeg, false, 0, 0, info, formats);
    EXPECT_TRUE(info.LoadedByContent);
    EXPECT_EQ(picture.Width(), 16);

    const std::string junk = tmp.Write("b.lnt", std::vector<uint8_t>(40, 1));
    try {
        LoadPicture(picture, junk, false, 0, 0, info, formats);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), gesEmptyPicture);
    }
    EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST(PictureLoader, ContentSniffingAsksTheRegistryLast)
{
    TScratchFolder tmp;
    TFileFormatList formats;
    formats.RegisterFileFormat("qmt", "Test images", "", ftRaster, false, TTestGraphic::Class());
    const std::string path = tmp.Write("test.dat", TTestGraphic::Make(5, 4));
    TPicture picture;
    TImageFileInfo info;
    LoadPicture(picture, path, false, 0, 0, info, formats);
    EXPECT_TRUE(info.LoadedByContent);
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(info.FormatIndex, 0); // not a class of the image format table
    EXPECT_FALSE(info.PictureInfoValid);
    EXPECT_EQ(info.Width, 0);
    // The program's registry knows no such format.
    EXPECT_EQ(LoadGraphicByContent(path), nullptr);
}

TEST(PictureLoader, PreviewDecodesJpegAtAFittingScale)
{
    TScratchFolder tmp;
    const std::string path = tmp.Write("c.jpg", ReadFixture("color_40x24.jpg"));
    TPicture picture;
    TImageFileInfo info;
    LoadPicture(picture, path, true, 10, 10, info);
    EXPECT_TRUE(info.JpegScale);
    auto* jpeg = dynamic_cast<TJPEGImage*>(picture.Graphic());
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->Scale, 2);
    ASSERT_TRUE(jpeg->Bitmap);
    EXPECT_EQ(jpeg->Bitmap->Width(), 10);
    LoadPicture(picture, path, true, 100, 100, info); // the full size fits
    EXPECT_FALSE(info.JpegScale);
}

TEST(PictureLoader, SignatureTests)
{
    TScratchFolder tmp;
    struct Case
    {
        std::vector<uint8_t> data;
        bool bitmap, jpeg;
    } cases[] = {{{'B', 'M', 1}, true, false}, {{0xFF, 0xD8}, false, true}, {{'B'}, false, false}, {{}, false, false}};
    int n = 0;
    for (const auto& c : cases) {
        std::string name = "s";
        name += std::to_string(n++);
        const std::string path = tmp.Write(name, c.data);
        EXPECT_EQ(IsBitmapFile(path), c.bitmap) << n;
        EXPECT_EQ(IsJpegFile(path), c.jpeg) << n;
    }
    EXPECT_TRUE(IsBitmapFile(tmp.Path("none"))); // cannot be opened: the load reports it
    EXPECT_TRUE(IsJpegFile(tmp.Path("none")));
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
