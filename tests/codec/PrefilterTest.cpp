#include <gtest/gtest.h>

#include "PrefilterReference.h"
#include "codec/Prefilter.h"
#include "codec/PrefilterParams.h"
#include "platform/Exceptions.h"

using reference::SamePixels;

namespace {

TRect Whole(const TBitmap& b) { return Rect(0, 0, b.Width(), b.Height()); }

// A destination that already holds something, so that "left as it was" is visible.
TBitmap Prefilled(int w, int h) { return reference::Picture(w, h, 999); }

// The engine's Dest against the reference's, both from the same Dest before the call.
bool SameAsReference(const TBitmap& src, TRect rc, int radius, int strength, int param5, uint8_t maskValue, bool only,
                     int kind, const TBitmap* mask, const TBitmap& before, int threads)
{
    TPrefilterBuffer buffer;
    buffer.Threads = threads;
    TBitmap dest = before;
    ApplyEffect(src, rc, radius, strength, param5, 7, maskValue, only, kind, mask, buffer, dest);
    return SamePixels(reference::Filter(src, rc, radius, strength, param5, maskValue, only, kind, mask, before), dest);
}

} // namespace

// The strength curves and the neighbourhood sizes, worked out by hand.
TEST(Prefilter, CurvesAtTheirBreakpointsAndTheEngineMatchesTheReference)
{
    prefilter_detail::TKindParams p;
    for (const reference::TStrengthPoint& c : reference::StrengthPoints) {
        SCOPED_TRACE(c.S);
        ASSERT_TRUE(prefilter_detail::SetupKind(4, 1, c.S, 50, p));
        EXPECT_DOUBLE_EQ(p.W, c.CentreR1);
        prefilter_detail::SetupKind(4, 3, c.S, 50, p);
        EXPECT_DOUBLE_EQ(p.W, c.Centre);
        prefilter_detail::SetupKind(8, 2, c.S, 50, p);
        EXPECT_DOUBLE_EQ(p.A, c.MeanWeight);
        prefilter_detail::SetupKind(5, 2, c.S, 50, p);
        EXPECT_EQ(p.Level, c.Level);
    }
    // Radius -> lattice points within the disc less the centre (counted apart), and the median's rank.
    struct TDisc { int Radius, N, Half; };
    for (TDisc d : {TDisc{-4, 8, 4}, TDisc{1, 8, 4}, TDisc{2, 12, 6}, TDisc{3, 28, 14}, TDisc{40, 3208, 1604}}) {
        ASSERT_TRUE(prefilter_detail::SetupKind(9, d.Radius, 50, 50, p));
        EXPECT_EQ(p.N, d.N) << d.Radius;
        EXPECT_EQ(p.Count, d.Half) << d.Radius;
    }
    EXPECT_FALSE(prefilter_detail::SetupKind(6, 2, 50, 50, p));
    // The engine against the plain walk over the disc, on small pictures (1 to 3 pixels on a side
    // included, where every neighbour comes from the mirrored margin), random masks smaller than the
    // larger pictures (pixels beyond a mask are outside the selection), both pass kinds, with and without
    // OnlyFilter, every hand-computed strength, radii beyond 1..32 (clamped) and unknown kinds (Dest
    // left alone).
    struct Size { int w, h; };
    const Size sizes[] = {{1, 1}, {1, 3}, {3, 1}, {2, 2}, {3, 3}, {19, 11}, {37, 6}};
    int n = 0;
    for (Size sz : sizes) {
        const TBitmap src = reference::Picture(sz.w, sz.h, 11 + sz.w * 31 + sz.h);
        const TBitmap mask = reference::RandomMask(sz.w / 2 + 1, sz.h / 2 + 1, sz.w * 7 + sz.h, 40);
        for (int kind : {4, 5, 7, 8, 9, 0, 6})
            for (int radius : {-3, 2, 3, 5, 8, 40})
                for (int variant = 0; variant < 4; ++variant) {
                    const uint8_t maskValue = variant == 2 ? 255 : 0;
                    const bool only = variant != 3;
                    const int s = reference::StrengthPoints[size_t(n++) % std::size(reference::StrengthPoints)].S;
                    const TBitmap* m = variant > 0 ? &mask : nullptr;
                    ASSERT_TRUE(SameAsReference(src, Whole(src), radius, s, 50, maskValue, only, kind, m,
                                                Prefilled(sz.w, sz.h), 1 + n % 3))
                        << "kind " << kind << " radius " << radius << " strength " << s << " size " << sz.w << "x"
                        << sz.h << " variant " << variant;
                }
    }
}

// A rectangle inside the picture: only its pixels change, Dest rows start at its top. The other
// percentiles of kind 7. A very wide picture, worked through a row or two at a time.
TEST(Prefilter, RectanglesPercentilesAndWidePictures)
{
    const TBitmap src = reference::Picture(45, 23, 5);
    const TBitmap mask = reference::RandomMask(45, 23, 3, 50);
    const TRect inner = Rect(5, 2, 30, 20);
    for (int kind : {4, 5, 7, 8, 9})
        EXPECT_TRUE(SameAsReference(src, inner, 7, 55, 50, 255, false, kind, &mask, Prefilled(45, 18), 4)) << kind;
    for (int param5 : {-5, 0, 1, 25, 75, 100, 250})
        EXPECT_TRUE(SameAsReference(src, Whole(src), 6, 70, param5, 0, true, 7, nullptr, Prefilled(45, 23), 1)) << param5;
    const int w = 1500000, h = 3;
    const TBitmap wide = reference::Picture(w, h, 17);
    const TBitmap wideMask = reference::RandomMask(w, h, 18, 50);
    EXPECT_TRUE(SameAsReference(wide, Whole(wide), 2, 100, 50, 255, true, 4, &wideMask, TBitmap(w, h), 4));
}

// Filtering onto the picture itself, an empty or too small Dest, a Rect beyond the picture, other
// formats. A band that does not continue the previous one, and a picture changed between calls,
// must not reuse stale rows.
TEST(Prefilter, DestinationRulesAndStaleRows)
{
    const TBitmap src = reference::Picture(16, 9, 13);
    const TBitmap want = reference::Filter(src, Whole(src), 3, 60, 50, 0, true, 5, nullptr, TBitmap(16, 9));
    // Filtering a picture onto itself reads the original pixels.
    TBitmap self = src;
    TPrefilterBuffer buffer;
    ApplyEffect(self, Whole(self), 3, 60, 50, 7, 0, true, 5, nullptr, buffer, self);
    EXPECT_TRUE(SamePixels(want, self));
    // An empty Dest is created with the source's width and the band's height.
    TBitmap made;
    ApplyEffect(src, Rect(0, 4, 16, 7), 3, 60, 50, 7, 0, true, 5, nullptr, buffer, made);
    ASSERT_EQ(std::pair(made.Width(), made.Height()), std::pair(16, 3));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::equal(made.ScanLine(i), made.ScanLine(i) + 48, want.ScanLine(4 + i)));
    // A Rect reaching past the picture is clipped.
    TBitmap clipped(16, 9);
    ApplyEffect(src, Rect(-5, -5, 100, 100), 3, 60, 50, 7, 0, true, 5, nullptr, buffer, clipped);
    EXPECT_TRUE(SamePixels(want, clipped));

    TBitmap tooSmall(16, 2), grey(16, 9, TPixelFormat::pf8bit), byteMask(16, 16, TPixelFormat::pf8bit);
    EXPECT_THROW(ApplyEffect(src, Rect(0, 0, 16, 3), 3, 60, 50, 7, 0, true, 5, nullptr, buffer, tooSmall),
                 EInvalidGraphicOperation);
    EXPECT_THROW(ApplyEffect(grey, Whole(grey), 3, 60, 50, 7, 0, true, 5, nullptr, buffer, clipped),
                 EInvalidGraphicOperation);
    EXPECT_THROW(ApplyEffect(src, Whole(src), 3, 60, 50, 7, 0, true, 5, &byteMask, buffer, clipped),
                 EInvalidGraphicOperation);
    // A jump between bands, then a changed picture: no stale rows.
    TBitmap moving = reference::Picture(40, 30, 2);
    TPrefilterBuffer one;
    one.Threads = 1;
    TBitmap dest(40, 3, TPixelFormat::pf24bit);
    ApplyEffect(moving, Rect(0, 0, 40, 3), 5, 60, 50, 7, 0, true, 9, nullptr, one, dest);
    for (int y = 0; y < moving.Height(); ++y)
        for (int i = 0; i < 3 * 40; ++i) moving.ScanLine(y)[i] ^= 0x5A;
    moving.Modified();
    for (int top : {3, 20, 6}) {
        ApplyEffect(moving, Rect(0, top, 40, top + 3), 5, 60, 50, 7, 0, true, 9, nullptr, one, dest);
        EXPECT_TRUE(SamePixels(reference::Filter(moving, Rect(0, top, 40, top + 3), 5, 60, 50, 0, true, 9, nullptr,
                                                 TBitmap(40, 3, TPixelFormat::pf24bit)),
                               dest))
            << "top " << top;
    }
}
