// Loads a picture file through the program's picture loading (the class its extension names, then
// content sniffing) and writes its pixels as a binary 24-bit portable pixmap: the decode half of
// the format benchmarks, which time it against ImageMagick's convert FILE ppm:OUT.
//   bench_load_picture IN OUT.ppm
#include <cstdio>
#include <exception>
#include <vector>

#include "formats/ImageFileInfo.h"
#include "formats/Picture.h"
#include "formats/PictureLoader.h"
#include "platform/Bitmap.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN OUT.ppm\n", argv[0]);
        return 2;
    }
    try {
        TPicture picture;
        TImageFileInfo info;
        LoadPicture(picture, argv[1], false, 0, 0, info);
        const TBitmap* bitmap = picture.Graphic()->GetBitmap();
        if (!bitmap) throw std::runtime_error("empty picture");
        std::FILE* out = std::fopen(argv[2], "wb");
        if (!out) throw std::runtime_error("cannot write the output");
        std::fprintf(out, "P6\n%d %d\n255\n", bitmap->Width(), bitmap->Height());
        std::vector<uint8_t> row(size_t(bitmap->Width()) * 3);
        for (int y = 0; y < bitmap->Height(); ++y) {
            bitmap->RowTo24(y, row.data());
            for (size_t x = 0; x < row.size(); x += 3) std::swap(row[x], row[x + 2]);
            std::fwrite(row.data(), 1, row.size(), out);
        }
        if (std::fclose(out) != 0) throw std::runtime_error("cannot write the output");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
        return 1;
    }
    return 0;
}
