// Damaged pictures: every fixture, cut short at many lengths and with single bytes changed, must
// load or fail with the loaders' own exceptions, never crash, hang or raise anything else.
#include <gtest/gtest.h>

#include <thread>

#include "TestFormats.h"
#include "codec/JPEGImage.h"
#include "formats/BitmapGraphic.h"
#include "formats/FileFormatList.h"
#include "formats/Picture.h"
#include "formats/PictureLoader.h"

namespace {

// The file whole, then its damaged copies: cut at about 80 lengths, and each of about 150 positions
// set to 0x00, 0xFF and its inverse.
std::vector<std::vector<uint8_t>> Mutations(const std::vector<uint8_t>& data)
{
    std::vector<std::vector<uint8_t>> out = {data};
    const size_t cutStep = std::max<size_t>(1, data.size() / 80);
    for (size_t n = 0; n < data.size(); n += cutStep) out.emplace_back(data.begin(), data.begin() + std::ptrdiff_t(n));
    const size_t flipStep = std::max<size_t>(1, data.size() / 150);
    for (size_t i = 0; i < data.size(); i += (i < 64 ? 1 : flipStep))
        for (const uint8_t value : {uint8_t(0x00), uint8_t(0xFF), uint8_t(~data[i])}) {
            out.push_back(data);
            out.back()[i] = value;
        }
    return out;
}

// Loads the data into the graphic, decoding it fully: true when it loads, false on one of the
// loaders' own exceptions; anything else escapes and fails the test.
bool Loads(TGraphic& graphic, const std::vector<uint8_t>& data)
{
    try {
        TMemoryStream s(data);
        graphic.LoadFromStream(s);
        graphic.GetBitmap();
        return true;
    } catch (const EInvalidGraphic&) {
    } catch (const EReadError&) {
    } catch (const EOutOfResources&) {
    } catch (const EGraphicCompression&) { // decompressors, passed through by the loaders
    } catch (const EColorConversionError&) {
    }
    return false;
}

// The picture files of the fixture folders (not their scripts, references and lists).
std::vector<std::filesystem::path> PictureFixtures()
{
    std::vector<std::filesystem::path> files;
    for (const char* folder : {"formats", "tiff", "png", "gif"})
        for (const auto& e : std::filesystem::directory_iterator(std::string(QM_FIXTURES_DIR) + "/" + folder)) {
            const std::string ext = e.path().extension();
            if (ext == ".py" || ext == ".sh" || ext == ".ppm" || ext == ".pgm" || e.path().filename() == "MANIFEST")
                continue;
            files.push_back(e.path());
        }
    return files;
}

// The graphic its extension names: BMP and JPEG directly, the other formats through the registry.
std::unique_ptr<TGraphic> GraphicFor(const std::filesystem::path& file)
{
    const std::string ext = file.extension().string().substr(1);
    if (ext == "jpg") return std::make_unique<TJPEGImage>();
    if (ext == "bmp") return std::make_unique<TBitmapGraphic>();
    const TGraphicClass* cls = FileFormatList().FindPictureClass(ext);
    return cls ? cls->Create() : nullptr;
}
} // namespace

// Each copy straight into its graphic; a third of them through a file and LoadPicture with a preview
// box, which lets nothing but a plain exception out and then holds no picture. The fixtures run on
// threads of their own at once (the loaders share no mutable state); each loads whole both ways.
TEST(Mutation, LoadsRaiseOnlyTheirOwnExceptions)
{
    TScratchFolder tmp;
    std::vector<std::jthread> threads;
    for (const auto& path : PictureFixtures()) {
        const std::string name = path.filename();
        threads.emplace_back([&tmp, name, path] {
            std::ifstream in(path, std::ios::binary);
            const std::vector<uint8_t> data(std::istreambuf_iterator<char>(in), {});
            ASSERT_FALSE(data.empty()) << name;
            ASSERT_NE(GraphicFor(path), nullptr) << name;
            int failures = 0, n = 0;
            for (const auto& m : Mutations(data)) {
                std::unique_ptr<TGraphic> g = GraphicFor(path);
                EXPECT_NO_THROW(failures += !Loads(*g, m)) << name << " size " << m.size();
                EXPECT_TRUE(n > 0 || failures == 0) << name;
                if (n++ % 3 != 0) continue;
                TPicture picture;
                TImageFileInfo info;
                try {
                    LoadPicture(picture, tmp.Write(name, m), true, 8, 8, info);
                    EXPECT_TRUE(info.PictureInfoValid && !picture.Empty()) << name;
                } catch (const Exception& e) {
                    EXPECT_TRUE(n > 1 && typeid(e) == typeid(Exception)) << name << ": " << e.what();
                    EXPECT_EQ(picture.Graphic(), nullptr) << name;
                }
            }
            EXPECT_GT(failures, 0) << name; // the truncations at least fail
        });
    }
}

// The raster formats' fixtures, each through the class its extension names (the Photo-CD packs,
// 788 KB each, are left to their 47 KB overview file, which takes the same path).
TEST(Mutation, RasterFormatsRaiseOnlyTheirOwnExceptions)
{
    std::vector<std::jthread> threads;
    for (const char* folder : {"psd", "psp", "pcx", "tga", "cut", "sgi", "rla", "autodesk", "pnm", "pcd"}) {
        threads.emplace_back([folder] {
            const std::filesystem::path dir = std::filesystem::path(QM_FIXTURES_DIR) / folder;
            std::ifstream manifest(dir / "MANIFEST");
            std::string file;
            int fixtures = 0;
            while (manifest >> file) {
                std::string rest;
                std::getline(manifest, rest);
                const std::string extension = file.substr(file.rfind('.') + 1);
                const TGraphicClass* cls = FileFormatList().FindPictureClass(extension);
                ASSERT_NE(cls, nullptr) << file;
                std::ifstream in(dir / file, std::ios::binary);
                const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), {});
                if (data.size() > 200 * 1024) continue;
                ++fixtures;
                int failures = 0;
                for (const auto& m : Mutations(data)) {
                    const std::unique_ptr<TGraphic> g = cls->Create();
                    EXPECT_NO_THROW(failures += !Loads(*g, m) || g->Empty()) << folder << "/" << file << " size " << m.size();
                }
                // The truncations at least fail or (for the formats that end such a load quietly) load nothing.
                EXPECT_GT(failures, 0) << folder << "/" << file;
            }
            EXPECT_GT(fixtures, 0) << folder;
        });
    }
}
