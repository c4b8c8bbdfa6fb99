// decode_ratio: the program's decoder driver (DecodeJpeg into the image's bitmap) against a plain
// library decode of the same data to blue-green-red rows, in the same process. Goal: <= 1.1.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "BenchPicture.h"
#include "codec/JPEGImage.h"
#include "codec/JpegDecode.h"
#include "codec/JpegGlue.h"

namespace {

constexpr int W = 4000, H = 3000; // 12 megapixels

// The benchmark picture as a JPEG file.
std::vector<uint8_t> MakePhoto()
{
    const TBitmap bmp = BenchPicture(W, H);
    std::vector<uint8_t> rgb(size_t(W) * H * 3);
    for (int y = 0; y < H; ++y) {
        const uint8_t* row = bmp.ScanLine(y);
        uint8_t* p = &rgb[size_t(y) * W * 3];
        for (int x = 0; x < W; ++x) {
            p[3 * x] = row[3 * x + 2];
            p[3 * x + 1] = row[3 * x + 1];
            p[3 * x + 2] = row[3 * x];
        }
    }
    std::vector<uint8_t> out;
    TJpegCompressor c;
    JpegMemoryDest(c.Get(), out);
    c->image_width = W;
    c->image_height = H;
    c->input_components = 3;
    c->in_color_space = JCS_RGB;
    jpeg_set_defaults(c.Get());
    jpeg_set_quality(c.Get(), 85, TRUE);
    jpeg_start_compress(c.Get(), TRUE);
    while (c->next_scanline < c->image_height) {
        JSAMPROW row = &rgb[size_t(c->next_scanline) * W * 3];
        jpeg_write_scanlines(c.Get(), &row, 1);
    }
    jpeg_finish_compress(c.Get());
    return out;
}

// The reference: the library alone, blue-green-red rows into one buffer (kept between rounds, as
// the image keeps its bitmap when the size stays).
void PlainDecode(const std::vector<uint8_t>& file, std::vector<uint8_t>& pixels)
{
    TJpegDecompressor d;
    JpegMemorySource(d.Get(), file.data(), file.size());
    jpeg_read_header(d.Get(), TRUE);
    d->out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(d.Get());
    const size_t stride = (size_t(d->output_width) * 3 + 3) & ~size_t(3);
    if (pixels.size() != stride * d->output_height) pixels.resize(stride * d->output_height);
    while (d->output_scanline < d->output_height) {
        JSAMPROW row = &pixels[stride * d->output_scanline];
        jpeg_read_scanlines(d.Get(), &row, 1);
    }
    jpeg_finish_decompress(d.Get());
}

template <class F> double Seconds(F&& f)
{
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace

int main()
{
    const std::vector<uint8_t> file = MakePhoto();
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
    std::printf("decode_ms: %.1f\n", ours * 1000);
    std::printf("decode_plain_ms: %.1f\n", plain * 1000);
    std::printf("decode_ratio: %.3f\n", ours / plain);
    return 0;
}
