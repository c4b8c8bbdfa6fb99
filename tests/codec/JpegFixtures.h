#pragma once
// Small JPEG files made in the tests with the library's own encoder, and what they raise.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "codec/JPEGImage.h"
#include "codec/JpegGlue.h"

namespace fixtures {

struct TJpegRecipe
{
    int Width = 64;
    int Height = 48;
    int Components = 3; // 1 grey, 3 colour, 4 CMYK
    bool Progressive = false;
    int Quality = 85;
    bool WriteJfif = true;
    int DensityUnit = 1;
    int XDensity = 72;
    int YDensity = 72;
    std::vector<std::string> Comments = {}; // one COM marker each
    std::vector<std::string> App12 = {};    // one APP12 marker each
};

// A smooth picture whose three channels differ: sample c of pixel (x, y).
inline uint8_t Sample(int x, int y, int c)
{
    int v = c == 0 ? x * 4 + y : c == 1 ? y * 5 + x : 2 * x + 3 * y + 128;
    v %= 510;
    return uint8_t(v < 256 ? v : 509 - v); // a triangle wave: no hard edges
}

inline std::vector<uint8_t> MakeJpeg(const TJpegRecipe& recipe)
{
    std::vector<uint8_t> out;
    TJpegCompressor c;
    j_compress_ptr cinfo = c.Get();
    JpegMemoryDest(cinfo, out);
    cinfo->image_width = JDIMENSION(recipe.Width);
    cinfo->image_height = JDIMENSION(recipe.Height);
    cinfo->input_components = recipe.Components;
    cinfo->in_color_space = recipe.Components == 1 ? JCS_GRAYSCALE : recipe.Components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, recipe.Quality, TRUE);
    cinfo->write_JFIF_header = recipe.WriteJfif && recipe.Components != 4;
    cinfo->density_unit = UINT8(recipe.DensityUnit);
    cinfo->X_density = UINT16(recipe.XDensity);
    cinfo->Y_density = UINT16(recipe.YDensity);
    if (recipe.Progressive) jpeg_simple_progression(cinfo);
    jpeg_start_compress(cinfo, TRUE);
    for (const std::string& s : recipe.Comments)
        jpeg_write_marker(cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(s.data()), unsigned(s.size()));
    for (const std::string& s : recipe.App12)
        jpeg_write_marker(cinfo, JPEG_APP0 + 12, reinterpret_cast<const JOCTET*>(s.data()), unsigned(s.size()));
    std::vector<uint8_t> row(size_t(recipe.Width) * size_t(recipe.Components));
    while (cinfo->next_scanline < cinfo->image_height) {
        int y = int(cinfo->next_scanline);
        for (int x = 0; x < recipe.Width; ++x)
            for (int k = 0; k < recipe.Components; ++k) row[size_t(x * recipe.Components + k)] = Sample(x, y, k);
        JSAMPROW r = row.data();
        jpeg_write_scanlines(cinfo, &r, 1);
    }
    jpeg_finish_compress(cinfo);
    return out;
}

// Loads the file into the image (the header is read while loading).
inline void LoadInto(TJPEGImage& image, const std::vector<uint8_t>& file)
{
    TMemoryStream s(file);
    image.LoadFromStream(s);
}

// The markers of a JPEG file up to the first scan, in file order.
struct TMarker
{
    int Code;
    std::string Payload;
    size_t At; // offset of the 0xFF
};
inline std::vector<TMarker> MarkersBeforeScan(const std::vector<uint8_t>& f)
{
    std::vector<TMarker> list;
    for (size_t p = 2; p + 4 <= f.size() && f[p] == 0xFF && (list.empty() || list.back().Code != 0xDA);) {
        const size_t len = size_t(f[p + 2]) << 8 | f[p + 3];
        if (len < 2 || p + 2 + len > f.size()) break;
        list.push_back({f[p + 1], std::string(reinterpret_cast<const char*>(&f[p + 4]), len - 2), p});
        p += 2 + len;
    }
    return list;
}

// Offset of the first marker of one of the kinds before the first scan (0 when there is none).
inline size_t MarkerOffset(const std::vector<uint8_t>& f, std::initializer_list<uint8_t> kinds)
{
    for (const TMarker& m : MarkersBeforeScan(f))
        if (std::find(kinds.begin(), kinds.end(), m.Code) != kinds.end()) return m.At;
    return 0;
}

// The text of the exception of type E that f raises, or "(no exception)".
template <class E> std::string MessageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "(no exception)";
}

} // namespace fixtures
