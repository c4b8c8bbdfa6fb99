// decode_ratio: the program's decoder driver (DecodeJpeg into the image's bitmap) against a plain
// library decode of the same data to blue-green-red rows, in the same process: the bench photo
// at the library's quality 85. Goal: <= 1.1.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "BenchPhoto.h"
#include "PlainDecode.h"
#include "codec/JPEGImage.h"
#include "codec/JpegDecode.h"
#include "codec/JpegGlue.h"

namespace {

template <class F> double Seconds(F&& f)
{
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int main()
{
    const TBitmap photo = BenchPhoto();
    PrintPhotoInfo(photo);
    const std::vector<uint8_t> file = LibraryEncodeAtQuality(photo, 85);
    std::printf("info: decoded file: quality 85, %.2f bit per pixel\n",
                8.0 * double(file.size()) / (double(photo.Width()) * photo.Height()));
    TJPEGImage image;
    {
        TMemoryStream s(file);
        image.LoadFromStream(s);
    }
    std::vector<uint8_t> pixels;
    double ours = 1e9, plain = 1e9;
    for (int round = 0; round < 5; ++round) {
        plain = std::min(plain, Seconds([&] { PlainDecode(file, pixels); }));
        ours = std::min(ours, Seconds([&] { DecodeJpeg(image); }));
    }
    std::printf("info decode_ratio: ours %.1f ms, plain library decode %.1f ms\n", ours * 1000, plain * 1000);
    std::printf("decode_ratio: %.3f\n", ours / plain);
    return 0;
}
