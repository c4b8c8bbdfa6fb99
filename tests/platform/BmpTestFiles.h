#pragma once
// Building BMP files byte by byte, and reading the P6 reference pictures, for the BMP tests.
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/BmpFile.h"
#include "platform/Stream.h"

namespace bmptest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}
inline void Set32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

// The fields of a file with a 40-byte (or longer Windows) header. Pixels are given as the file
// stores them, rows in file order and already padded.
struct TBmpRecipe
{
    uint32_t HeaderSize = 40;
    int32_t Width = 4;
    int32_t Height = 2;
    uint16_t Planes = 1;
    uint16_t BitCount = 24;
    uint32_t Compression = 0;
    uint32_t ClrUsed = 0;
    std::vector<uint32_t> Masks;   // inside the header (52 and up) or after a 40-byte one
    std::vector<uint32_t> Palette; // 0x00RRGGBB entries, written as 4 bytes
    Bytes Pixels;
    int64_t OffBits = -1; // -1: right after the palette

    Bytes Build() const
    {
        Bytes info;
        Put32(info, HeaderSize);
        Put32(info, uint32_t(Width));
        Put32(info, uint32_t(Height));
        Put16(info, Planes);
        Put16(info, BitCount);
        Put32(info, Compression);
        Put32(info, uint32_t(Pixels.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, ClrUsed);
        Put32(info, 0);
        for (uint32_t m : Masks)
            Put32(info, m);
        if (info.size() < HeaderSize) info.resize(HeaderSize, 0);
        Bytes pal;
        for (uint32_t c : Palette)
            Put32(pal, c);
        uint32_t off = OffBits >= 0 ? uint32_t(OffBits) : uint32_t(14 + info.size() + pal.size());
        Bytes f{'B', 'M'};
        Put32(f, uint32_t(14 + info.size() + pal.size() + Pixels.size()));
        Put32(f, 0);
        Put32(f, off);
        f.insert(f.end(), info.begin(), info.end());
        f.insert(f.end(), pal.begin(), pal.end());
        f.insert(f.end(), Pixels.begin(), Pixels.end());
        return f;
    }
};

inline void Load(TBitmap& bmp, const Bytes& file)
{
    TMemoryStream s(file);
    LoadBmpFromStream(bmp, s);
}

inline Bytes ReadFile(const std::string& name)
{
    std::ifstream f(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

// A binary P6 file with maxval 255 as a 24-bit bitmap; an empty bitmap if it is not one.
inline TBitmap ReadPpm(const std::string& name)
{
    Bytes d = ReadFile(name);
    size_t pos = 0;
    auto token = [&]() {
        std::string t;
        while (pos < d.size()) {
            if (d[pos] == '#')
                while (pos < d.size() && d[pos] != '\n')
                    ++pos;
            else if (isspace(d[pos]))
                ++pos;
            else
                break;
        }
        while (pos < d.size() && !isspace(d[pos]))
            t += char(d[pos++]);
        return t;
    };
    if (token() != "P6") return {};
    int w = std::stoi(token()), h = std::stoi(token());
    if (token() != "255") return {};
    ++pos; // the single white space before the pixels
    if (d.size() - pos < size_t(w) * h * 3) return {};
    TBitmap bmp(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < w; ++x, pos += 3) {
            row[3 * x] = d[pos + 2];
            row[3 * x + 1] = d[pos + 1];
            row[3 * x + 2] = d[pos];
        }
    }
    return bmp;
}

// Index of the first pixel where two 24-bit bitmaps differ, as "x,y: ours vs reference", or "".
inline std::string FirstDifference(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return "size " + std::to_string(a.Width()) + "x" + std::to_string(a.Height()) + " vs " +
               std::to_string(b.Width()) + "x" + std::to_string(b.Height());
    for (int y = 0; y < a.Height(); ++y) {
        const uint8_t *p = a.ScanLine(y), *q = b.ScanLine(y);
        for (int x = 0; x < a.Width() * 3; ++x)
            if (p[x] != q[x])
                return std::to_string(x / 3) + "," + std::to_string(y) + " channel " + std::to_string(x % 3) +
                       ": " + std::to_string(p[x]) + " vs " + std::to_string(q[x]);
    }
    return "";
}

} // namespace bmptest
