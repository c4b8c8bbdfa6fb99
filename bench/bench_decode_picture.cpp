// Loads a picture file the way the program does (LoadPicture: by extension, then by content) and
// writes it as a binary PPM, for bench/decode_vs_im.sh to time against ImageMagick's decoder.
//   bench_decode_picture IN OUT.ppm
//   bench_decode_picture --photo     prints the file name of the cached bench photo (a 24-bit BMP)
#include <cstdio>
#include <exception>
#include <vector>

#include "BenchPhoto.h"
#include "formats/Picture.h"
#include "formats/PictureLoader.h"
#include "platform/Graphic.h"

namespace {
// Rows as red, green, blue, written one by one.
void WritePpm(const TBitmap& bmp, const char* name)
{
    const size_t w = size_t(bmp.Width()), h = size_t(bmp.Height());
    std::FILE* f = std::fopen(name, "wb");
    if (!f) throw std::runtime_error(std::string("cannot write ") + name);
    std::fprintf(f, "P6\n%zu %zu\n255\n", w, h);
    std::vector<uint8_t> row(w * 3);
    bool ok = true;
    for (size_t y = 0; y < h && ok; ++y) {
        bmp.RowTo24(int(y), row.data());
        for (size_t x = 0; x < w; ++x) std::swap(row[3 * x], row[3 * x + 2]);
        ok = std::fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    if (std::fclose(f) != 0 || !ok) throw std::runtime_error(std::string("cannot write ") + name);
}
} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc == 2 && std::string(argv[1]) == "--photo") {
            std::printf("%s\n", BenchPhotoPath().c_str());
            return 0;
        }
        if (argc != 3) {
            std::fprintf(stderr, "usage: %s IN OUT.ppm | --photo\n", argv[0]);
            return 2;
        }
        TPicture picture;
        TImageFileInfo info;
        LoadPicture(picture, argv[1], false, 0, 0, info);
        const TBitmap* bmp = picture.Graphic()->GetBitmap();
        if (!bmp) throw std::runtime_error("no picture");
        WritePpm(*bmp, argv[2]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
