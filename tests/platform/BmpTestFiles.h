#pragma once
// Building BMP files byte by byte, the fixture list and the P6 reference pictures, for the BMP tests.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/BmpFile.h"
#include "platform/Stream.h"

namespace bmptest {

using Bytes = std::vector<uint8_t>;
const std::string FixtureDir = std::string(QM_FIXTURES_DIR) + "/bmp/";

inline void PutLE(Bytes& b, uint32_t v, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// The fields of a file with a 40-byte (or longer Windows) header. Pixels are given as the file
// stores them, rows in file order and already padded.
struct TBmpRecipe
{
    uint32_t HeaderSize = 40;
    int32_t Width = 4, Height = 2;
    uint16_t Planes = 1, BitCount = 24;
    uint32_t Compression = 0, ClrUsed = 0;
    std::vector<uint32_t> Masks{};   // inside the header (52 and up) or after a 40-byte one
    std::vector<uint32_t> Palette{}; // 0x00RRGGBB entries, written as 4 bytes
    Bytes Pixels{};
    int64_t OffBits = -1; // -1: right after the palette

    Bytes Build() const
    {
        Bytes info, pal;
        for (uint32_t v : {HeaderSize, uint32_t(Width), uint32_t(Height)}) PutLE(info, v);
        PutLE(info, Planes, 2);
        PutLE(info, BitCount, 2);
        for (uint32_t v : {Compression, uint32_t(Pixels.size()), 2835u, 2835u, ClrUsed, 0u}) PutLE(info, v);
        for (uint32_t m : Masks) PutLE(info, m);
        if (info.size() < HeaderSize) info.resize(HeaderSize, 0);
        for (uint32_t c : Palette) PutLE(pal, c);
        Bytes f{'B', 'M'};
        PutLE(f, uint32_t(14 + info.size() + pal.size() + Pixels.size()));
        PutLE(f, 0);
        PutLE(f, OffBits >= 0 ? uint32_t(OffBits) : uint32_t(14 + info.size() + pal.size()));
        for (const Bytes* part : std::initializer_list<const Bytes*>{&info, &pal, &Pixels})
            f.insert(f.end(), part->begin(), part->end());
        return f;
    }
};

inline void LoadBytes(TBitmap& bmp, const Bytes& file)
{
    TMemoryStream s(file);
    LoadBmpFromStream(bmp, s);
}
inline TBitmap Loaded(const Bytes& file)
{
    TBitmap bmp;
    LoadBytes(bmp, file);
    return bmp;
}
inline TBitmap Loaded(const TBmpRecipe& recipe) { return Loaded(recipe.Build()); }

inline Bytes ReadFileBytes(const std::string& name)
{
    std::ifstream f(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

// The fixture names and the pixel format each must load as, from MANIFEST.
inline std::vector<std::pair<std::string, std::string>> FixtureList()
{
    std::vector<std::pair<std::string, std::string>> list;
    std::ifstream f(FixtureDir + "MANIFEST");
    std::string name, format;
    while (f >> name >> format) list.emplace_back(name, format);
    return list;
}

// A binary P6 file with maxval 255 (no comments) as a 24-bit bitmap; an empty bitmap if it is not one.
inline TBitmap ReadPpm(const std::string& name)
{
    const Bytes d = ReadFileBytes(name);
    int w = 0, h = 0, header = 0; // after the header, a single white space before the pixels
    const std::string start(d.begin(), d.begin() + std::min<size_t>(d.size(), 64));
    std::sscanf(start.c_str(), "P6 %d %d 255%n", &w, &h, &header);
    const size_t pos = size_t(header) + 1;
    if (header == 0 || d.size() < pos + size_t(w) * h * 3) return {};
    TBitmap bmp(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 3 * w; ++x)
            bmp.ScanLine(y)[x] = d[pos + size_t(y) * 3 * w + x - x % 3 + 2 - x % 3];
    return bmp;
}

// The first pixel where two 24-bit bitmaps differ, as "x,y channel c: ours vs reference", or "".
inline std::string FirstDifference(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return "the sizes differ";
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width() * 3; ++x)
            if (a.ScanLine(y)[x] != b.ScanLine(y)[x])
                return std::to_string(x / 3) + "," + std::to_string(y) + " channel " + std::to_string(x % 3) +
                       ": " + std::to_string(a.ScanLine(y)[x]) + " vs " + std::to_string(b.ScanLine(y)[x]);
    return "";
}

// Restores the pixel limit when a test ends.
struct TPixelLimitGuard
{
    int64_t Saved = TBitmap::PixelLimit();
    explicit TPixelLimitGuard(int64_t limit) { TBitmap::SetPixelLimit(limit); }
    ~TPixelLimitGuard() { TBitmap::SetPixelLimit(Saved); }
};

} // namespace bmptest
