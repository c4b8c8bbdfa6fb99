#pragma once
// Pictures and the library's own encoder for the encoder tests.
#include <cstdint>
#include <random>
#include <vector>

#include "codec/JpegEncoder.h"

// Noise: every byte random.
inline TBitmap RandomPicture(int width, int height, uint32_t seed)
{
    TBitmap bmp(width, height, TPixelFormat::pf24bit);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
    {
        uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < width * 3; ++x) row[x] = uint8_t(rng());
    }
    return bmp;
}

// Smooth gradients, a texture, hard edges and some noise.
inline TBitmap PhotoLikePicture(int width, int height, uint32_t seed)
{
    TBitmap bmp(width, height, TPixelFormat::pf24bit);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
    {
        uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < width; ++x)
        {
            int r = 40 + x * 160 / (width + 1) + y * 40 / (height + 1);
            int g = 60 + y * 150 / (height + 1);
            int b = 200 - x * 100 / (width + 1);
            if (((x / 7) + (y / 5)) % 2) r += 25, g -= 15;          // texture
            if (x > width / 2 && y > height / 3) r = 250 - r / 3, b = 20; // an edge
            int n = int(rng() % 9) - 4;
            row[x * 3 + 0] = uint8_t(std::clamp(b + n, 0, 255));
            row[x * 3 + 1] = uint8_t(std::clamp(g + n, 0, 255));
            row[x * 3 + 2] = uint8_t(std::clamp(r + n, 0, 255));
        }
    }
    return bmp;
}

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
    c->density_unit = UINT8(p.Coding.DensityUnit);
    c->X_density = ClampDensity(p.Coding.XDensity);
    c->Y_density = ClampDensity(p.Coding.YDensity);
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

// Library rounding with the tables of the given qualities.
inline TEncodeParams IdentityParams(int lumQuality = 75, int chromQuality = 60)
{
    TEncodeParams p;
    qmjpeg::TQuantSettings s;
    s.LumQuality = lumQuality;
    s.ChromQuality = chromQuality;
    p.Coding.Tables = qmjpeg::BuildQuantTables(s);
    p.Coding.Rounding = TQuantRounding::Library;
    return p;
}
