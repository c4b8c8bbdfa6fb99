// Building DIBs from SANE frames made by hand: every format and depth, three passes, unknown line
// counts, padding, short frames and sizes over the limit.
#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "twain/SaneDib.h"
#include "twain/TwainMemory.h"

namespace {

SANE_Parameters Params(SANE_Frame format, int ppl, int bpl, int lines, int depth, bool last = true)
{
    SANE_Parameters p{};
    p.format = format;
    p.last_frame = last ? SANE_TRUE : SANE_FALSE;
    p.pixels_per_line = ppl;
    p.bytes_per_line = bpl;
    p.lines = lines;
    p.depth = depth;
    return p;
}

struct TDib
{
    int32_t Width = 0, Height = 0;
    uint16_t Bits = 0;
    uint32_t ClrUsed = 0, SizeImage = 0;
    std::vector<uint8_t> Palette; // 4 bytes an entry
    std::vector<uint8_t> Pixels;  // as stored (bottom-up)
};

TDib Unpack(TW_HANDLE h)
{
    const auto* p = static_cast<const uint8_t*>(TwainLockBlock(h));
    TDib d;
    std::memcpy(&d.Width, p + 4, 4);
    std::memcpy(&d.Height, p + 8, 4);
    std::memcpy(&d.Bits, p + 14, 2);
    std::memcpy(&d.SizeImage, p + 20, 4);
    std::memcpy(&d.ClrUsed, p + 32, 4);
    d.Palette.assign(p + 40, p + 40 + 4 * d.ClrUsed);
    d.Pixels.assign(p + 40 + 4 * d.ClrUsed, p + TwainBlockSize(h));
    TwainFreeBlock(h);
    return d;
}

TDib Build(const std::vector<std::pair<SANE_Parameters, std::vector<uint8_t>>>& frames, size_t chunk = 5)
{
    TSaneDibBuilder b(100);
    for (const auto& [params, data] : frames) {
        b.BeginFrame(params);
        for (size_t i = 0; i < data.size(); i += chunk)
            b.AddData(data.data() + i, std::min(chunk, data.size() - i));
        EXPECT_TRUE(b.EndFrame());
    }
    EXPECT_TRUE(b.Complete());
    return Unpack(b.TakeDib());
}

std::vector<uint8_t> U16(std::initializer_list<uint16_t> values)
{
    std::vector<uint8_t> b(values.size() * 2);
    std::memcpy(b.data(), std::data(values), b.size());
    return b;
}

} // namespace

TEST(SaneDib, FormatsAndDepths)
{
    struct TCase
    {
        const char* Name;
        std::vector<std::pair<SANE_Parameters, std::vector<uint8_t>>> Frames;
        int Width, Height, Bits, Colours;
        std::vector<uint8_t> Pixels; // bottom-up, rows padded to 4
    };
    const TCase cases[] = {
        {"grey 8",
         {{Params(SANE_FRAME_GRAY, 3, 3, 2, 8), {1, 2, 3, 4, 5, 6}}},
         3,
         2,
         8,
         256,
         {4, 5, 6, 0, 1, 2, 3, 0}},
        {"grey 16 keeps the high byte",
         {{Params(SANE_FRAME_GRAY, 2, 4, 1, 16), U16({0x12FF, 0xAB01})}},
         2,
         1,
         8,
         256,
         {0x12, 0xAB, 0, 0}},
        {"lineart: 1 is black, trailing bits cleared",
         {{Params(SANE_FRAME_GRAY, 10, 2, 1, 1), {0xA0, 0x40}}},
         10,
         1,
         1,
         2,
         {0x5F, 0x80, 0, 0}},
        {"RGB 8 to blue-green-red",
         {{Params(SANE_FRAME_RGB, 2, 6, 1, 8), {10, 20, 30, 40, 50, 60}}},
         2,
         1,
         24,
         0,
         {30, 20, 10, 60, 50, 40, 0, 0}},
        {"RGB 16",
         {{Params(SANE_FRAME_RGB, 1, 6, 1, 16), U16({0x1100, 0x2200, 0x33FF})}},
         1,
         1,
         24,
         0,
         {0x33, 0x22, 0x11, 0}},
        {"padding beyond the pixels is skipped",
         {{Params(SANE_FRAME_GRAY, 2, 5, 2, 8), {1, 2, 99, 99, 99, 3, 4, 99, 99, 99}}},
         2,
         2,
         8,
         256,
         {3, 4, 0, 0, 1, 2, 0, 0}},
        {"three passes joined",
         {{Params(SANE_FRAME_GREEN, 2, 2, 1, 8, false), {21, 22}},
          {Params(SANE_FRAME_RED, 2, 2, 1, 8, false), {11, 12}},
          {Params(SANE_FRAME_BLUE, 2, 2, 1, 8, true), {31, 32}}},
         2,
         1,
         24,
         0,
         {31, 21, 11, 32, 22, 12, 0, 0}},
        {"unknown line count grows, then flips",
         {{Params(SANE_FRAME_GRAY, 1, 1, -1, 8), {7, 8, 9}}},
         1,
         3,
         8,
         256,
         {9, 0, 0, 0, 8, 0, 0, 0, 7, 0, 0, 0}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (size_t chunk : {size_t(1), size_t(4), size_t(1000)}) {
            const TDib d = Build(c.Frames, chunk);
            EXPECT_EQ(d.Width, c.Width);
            EXPECT_EQ(d.Height, c.Height);
            EXPECT_EQ(d.Bits, c.Bits);
            EXPECT_EQ(d.ClrUsed, uint32_t(c.Colours));
            EXPECT_EQ(d.SizeImage, c.Pixels.size());
            EXPECT_EQ(d.Pixels, c.Pixels);
        }
    }
}

TEST(SaneDib, Palettes)
{
    const TDib grey = Build({{Params(SANE_FRAME_GRAY, 1, 1, 1, 8), {0}}});
    ASSERT_EQ(grey.Palette.size(), 1024u);
    EXPECT_EQ(std::vector<uint8_t>(grey.Palette.begin() + 4 * 200, grey.Palette.begin() + 4 * 201),
              (std::vector<uint8_t>{200, 200, 200, 0}));
    const TDib lineart = Build({{Params(SANE_FRAME_GRAY, 1, 1, 1, 1), {0}}});
    EXPECT_EQ(lineart.Palette, (std::vector<uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));
}

TEST(SaneDib, ShortFramesAndRefusedParameters)
{
    TSaneDibBuilder b;
    b.BeginFrame(Params(SANE_FRAME_GRAY, 2, 2, 3, 8));
    const uint8_t data[5] = {1, 2, 3, 4, 5};
    b.AddData(data, 5); // two lines and a half
    EXPECT_FALSE(b.EndFrame());
    EXPECT_EQ(b.Lines(), 2); // the half line is not taken

    struct TCase
    {
        const char* Name;
        SANE_Parameters Params;
    };
    const TCase refused[] = {
        {"colour at 1 bit", Params(SANE_FRAME_RGB, 8, 3, 1, 1)},
        {"depth 4", Params(SANE_FRAME_GRAY, 2, 1, 1, 4)},
        {"lines shorter than their pixels", Params(SANE_FRAME_RGB, 4, 11, 1, 8)},
        {"no pixels", Params(SANE_FRAME_GRAY, 0, 0, 1, 8)},
        {"unknown frame", Params(SANE_Frame(9), 1, 1, 1, 8)},
    };
    for (const TCase& c : refused) {
        SCOPED_TRACE(c.Name);
        TSaneDibBuilder r;
        EXPECT_THROW(r.BeginFrame(c.Params), EInvalidGraphic);
    }
    // Sizes over the bitmap limit are refused before anything is allocated.
    TSaneDibBuilder large;
    EXPECT_THROW(large.BeginFrame(Params(SANE_FRAME_GRAY, 1000000, 1000000, 1000000, 8)), EOutOfResources);
    // A second frame of another width does not join the first.
    TSaneDibBuilder mixed;
    mixed.BeginFrame(Params(SANE_FRAME_RED, 2, 2, 1, 8, false));
    EXPECT_THROW(mixed.BeginFrame(Params(SANE_FRAME_GREEN, 3, 3, 1, 8, false)), EInvalidGraphic);
}
