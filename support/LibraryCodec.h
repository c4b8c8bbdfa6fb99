#pragma once
// The JPEG library's own encoder and decoder, called directly: the reference that the tests compare
// our files with and that the benchmarks measure our encoder against.
#include <cstdint>
#include <vector>

#include "codec/JpegEncoder.h"

// The library's own scanline encoder with the same settings and the tables of slots 0 and 1.
inline std::vector<uint8_t> LibraryEncode(const TBitmap& bmp, const TEncodeParams& p, TStringList* messages = nullptr)
{
    std::vector<uint8_t> out;
    TJpegCompressor c(messages, p.Coding.TraceLevel);
    JpegMemoryDest(c.Get(), out);
    c->image_width = JDIMENSION(bmp.Width());
    c->image_height = JDIMENSION(bmp.Height());
    c->input_components = 3;
    c->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(c.Get());
    for (int t = 0; t < 2; ++t)
    {
        unsigned int basic[64];
        for (size_t i = 0; i < 64; ++i) basic[i] = (*p.Coding.Tables[size_t(t)])[i];
        jpeg_add_quant_table(c.Get(), t, basic, 100, TRUE);
    }
    c->dct_method = JDCT_ISLOW;
    c->smoothing_factor = ClampSmoothing(p.FrontEnd.Smoothing);
    c->optimize_coding = p.Coding.OptimizeCoding;
    c->restart_interval = ClampRestartInterval(p.Coding.RestartInterval);
    SetJfifDensity(c.Get(), p.Coding.DensityUnit, p.Coding.XDensity, p.Coding.YDensity);
    for (int i = 0; i < 3; ++i)
        if (p.FrontEnd.SamplingFactors[size_t(i)].H > 0 && p.FrontEnd.SamplingFactors[size_t(i)].V > 0)
        {
            c->comp_info[i].h_samp_factor = p.FrontEnd.SamplingFactors[size_t(i)].H;
            c->comp_info[i].v_samp_factor = p.FrontEnd.SamplingFactors[size_t(i)].V;
        }
    if (p.FrontEnd.Grayscale) jpeg_set_colorspace(c.Get(), JCS_GRAYSCALE);
    if (p.Coding.Progressive) jpeg_simple_progression(c.Get());
    jpeg_start_compress(c.Get(), TRUE);
    for (const std::string& s : p.Coding.Comments)
        if (!s.empty()) jpeg_write_marker(c.Get(), JPEG_COM, reinterpret_cast<const JOCTET*>(s.data()), unsigned(s.size()));
    for (const std::string& s : p.Coding.AppTexts)
        if (!s.empty())
            jpeg_write_marker(c.Get(), JPEG_APP0 + 12, reinterpret_cast<const JOCTET*>(s.data()), unsigned(s.size()));
    while (c->next_scanline < c->image_height)
    {
        JSAMPROW row = const_cast<uint8_t*>(bmp.ScanLine(int(c->next_scanline)));
        jpeg_write_scanlines(c.Get(), &row, 1);
    }
    jpeg_finish_compress(c.Get());
    return out;
}

// The file decoded by the library into a 24-bit bitmap (blue, green, red); `components` gets the
// file's component count.
inline TBitmap LibraryDecode(const std::vector<uint8_t>& file, int* components = nullptr)
{
    TJpegDecompressor d;
    JpegMemorySource(d.Get(), file.data(), file.size());
    jpeg_read_header(d.Get(), TRUE);
    if (components) *components = d->num_components;
    d->out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(d.Get());
    TBitmap bmp(int(d->output_width), int(d->output_height), TPixelFormat::pf24bit);
    while (d->output_scanline < d->output_height) {
        JSAMPROW row = bmp.ScanLine(int(d->output_scanline));
        jpeg_read_scanlines(d.Get(), &row, 1);
    }
    jpeg_finish_decompress(d.Get());
    return bmp;
}
