#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "codec/BlockMask.h"
#include "codec/SelectionMask.h"

namespace {

std::vector<uint8_t> Blocks(const TBlockMask* m)
{
    return m ? m->Bytes : std::vector<uint8_t>{};
}

// A rectangle in pixels of a picture of this size, as a shape in millionths.
TMaskShape PixelRect(int w, int h, int l, int t, int r, int b)
{
    return {TMaskShape::Rectangle, l * 1000000 / w, t * 1000000 / h, r * 1000000 / w, b * 1000000 / h, {}};
}

const TSamplingFactor kMode0[] = {{2, 2}, {1, 1}, {1, 1}};
const TSamplingFactor kMode2[] = {{1, 1}, {2, 2}, {2, 2}};
const TSamplingFactor kNone[] = {{1, 1}, {1, 1}, {1, 1}};

} // namespace

TEST(SelectionMask, SizeAndPaint)
{
    TBitmap mask = CreateMaskBitmap(20, 10);
    EXPECT_EQ(std::tuple(mask.Width(), mask.Height(), mask.ScanLine(15)[2]), std::tuple(24, 16, 0xFF)); // white: nothing selected

    // Millionths convert with the picture's size and round half to even: 0.25 * 10 = 2.5 -> 2,
    // 0.35 * 10 = 3.5 -> 4.
    PaintSelectionMask(10, 10, {TMaskShape{TMaskShape::Rectangle, 250000, 0, 350000, 100000, {}}}, mask);
    EXPECT_EQ(mask.ScanLine(0)[0], 0b11001111);
    EXPECT_EQ(mask.ScanLine(1)[0], 0xFF);

    // Kinds painted in order; a polygon; an unknown kind skipped.
    const TMaskShape poly{TMaskShape::Polygon, 0, 0, 0, 0, {{0, 500000}, {400000, 500000}, {400000, 900000}, {0, 900000}}};
    PaintSelectionMask(10, 10, {poly, TMaskShape{7, 0, 0, 1000000, 1000000, {}}}, mask);
    // Repainted white first; rows 5..9 selected in columns 0..4.
    const int want[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0b00000111, 0b00000111, 0b00000111, 0b00000111, 0b00000111, 0xFF};
    for (int y = 0; y < 11; ++y) EXPECT_EQ(mask.ScanLine(y)[0], want[y]) << y;
}

// The threshold counts selected pixels: 50 -> 32 of 64, 0 -> every block even with no areas.
// Without subsampling every component quantises with the large mask.
TEST(BlockMask, ThresholdSubsamplingAndMasksThatDoNotFit)
{
    TBitmap mask = CreateMaskBitmap(8, 8);
    struct Case { int rows, threshold; uint8_t selected; };
    const Case cases[] = {{4, 50, 1},  {3, 50, 0}, {0, 0, 1}, {8, 100, 1},
                          {7, 100, 0}, {1, 2, 1},  {0, 1, 0}, {8, 101, 0}};
    for (Case c : cases) {
        PaintSelectionMask(8, 8,
                           c.rows ? std::vector<TMaskShape>{PixelRect(8, 8, 0, 0, 8, c.rows)}
                                  : std::vector<TMaskShape>{},
                           mask);
        const TBlockMasks m = BuildBlockMasks(&mask, 8, 8, kNone, c.threshold);
        ASSERT_FALSE(m.Empty());
        EXPECT_EQ(m.LargeBlockMask->Bytes[0], c.selected) << c.rows << " rows, threshold " << c.threshold;
        const TBlockMask* l = m.LargeBlockMask.get();
        EXPECT_EQ(std::tuple(m.SmallBlockMask.get(), m.ForComponent(0), m.ForComponent(1), m.ForComponent(2)),
                  std::tuple(nullptr, l, l, l));
    }
    // Subsampled (40 x 24: 5 x 3 large blocks, 3 x 2 small): a small block is taken when the four large
    // blocks it covers are selected and inside the picture; mode 2 gives the large mask to the chroma.
    TBitmap sub = CreateMaskBitmap(40, 24);
    PaintSelectionMask(40, 24, {PixelRect(40, 24, 0, 0, 24, 16), PixelRect(40, 24, 32, 16, 40, 24)}, sub);
    for (bool mode0 : {true, false}) {
        const TBlockMasks m = BuildBlockMasks(&sub, 40, 24, mode0 ? kMode0 : kMode2, 50);
        const TBlockMask *l = m.LargeBlockMask.get(), *s = m.SmallBlockMask.get();
        EXPECT_EQ(std::tuple(Blocks(s), m.ForComponent(0), m.ForComponent(1), m.ForComponent(2)),
                  std::tuple(std::vector<uint8_t>{1, 0, 0, 0, 0, 0}, mode0 ? l : s, mode0 ? s : l, mode0 ? s : l));
    }
    // Without a usable mask no block masks are made: the picture is quantised as without masks.
    TBitmap big = CreateMaskBitmap(32, 32);
    const TSamplingFactor bad[] = {{2, 2}, {0, 1}};
    TBitmap bytes(32, 32, TPixelFormat::pf8bit);
    struct TFit { const TBitmap* mask; int w, h; std::span<const TSamplingFactor> f; };
    const TFit fits[] = {{nullptr, 32, 32, kMode0}, {&big, 32, 40, kMode0},  {&big, 32, 16, kMode0},
                          {&big, 48, 32, kMode0},   {&bytes, 32, 32, kMode0}, {&big, 32, 32, bad},
                          {&big, 0, 0, kMode0},     {&big, 32, 32, {}}};
    for (const TFit& c : fits) {
        const TBlockMasks m = BuildBlockMasks(c.mask, c.w, c.h, c.f, 50);
        EXPECT_TRUE(m.Empty()) << c.w << "x" << c.h;
        for (size_t ci = 0; ci < 4; ++ci)
            EXPECT_EQ(m.ForComponent(ci), nullptr);
    }
    // Rows that match but a picture 1..7 pixels shorter than the mask (rounded) still fits.
    EXPECT_FALSE(BuildBlockMasks(&big, 25, 30, kMode0, 50).Empty());
    // Lookups outside a mask read as main area.
    const TBlockMasks m = BuildBlockMasks(&big, 32, 32, kMode0, 0);
    EXPECT_TRUE(m.LargeBlockMask->Selected(3, 3));
    EXPECT_FALSE(m.LargeBlockMask->Selected(4, 0));
    EXPECT_FALSE(m.LargeBlockMask->Selected(-1, 0));
}
