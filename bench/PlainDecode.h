#pragma once
// The reference decode of the benchmarks: the library alone, blue-green-red rows into one buffer
// (kept between rounds, as an image keeps its bitmap when the size stays). A denominator above 1 is
// the library's own scaled decode (1/2, 1/4, 1/8).
#include <cstdint>
#include <vector>

#include <jpeglib.h>

#include "codec/JpegGlue.h"

inline void PlainDecode(const std::vector<uint8_t>& file, std::vector<uint8_t>& pixels, unsigned denom = 1)
{
    TJpegDecompressor d;
    JpegMemorySource(d.Get(), file.data(), file.size());
    jpeg_read_header(d.Get(), TRUE);
    d->out_color_space = JCS_EXT_BGR;
    d->scale_num = 1;
    d->scale_denom = denom;
    jpeg_start_decompress(d.Get());
    const size_t stride = (size_t(d->output_width) * 3 + 3) & ~size_t(3);
    if (pixels.size() != stride * d->output_height) pixels.resize(stride * d->output_height);
    while (d->output_scanline < d->output_height) {
        JSAMPROW row = &pixels[stride * d->output_scanline];
        jpeg_read_scanlines(d.Get(), &row, 1);
    }
    jpeg_finish_decompress(d.Get());
}
