#include <gtest/gtest.h>

#include <random>

#include "PrefilterReference.h"
#include "codec/Prefilter.h"
#include "platform/Exceptions.h"

using reference::SamePixels;

namespace {

const int kKinds[] = {4, 5, 7, 8, 9};

TRect Whole(const TBitmap& b)
{
    return Rect(0, 0, b.Width(), b.Height());
}

// A destination that already holds something, so that "left as it was" is visible.
TBitmap Prefilled(int w, int h)
{
    return reference::Picture(w, h, 999);
}

TBitmap Filtered(const TBitmap& src, TRect rc, int radius, int strength, uint8_t maskValue, bool only,
                 int kind, const TBitmap* mask, TBitmap dest, int threads = 1, int param5 = 50)
{
    TPrefilterBuffer buffer;
    buffer.Threads = threads;
    ApplyEffect(src, rc, radius, strength, param5, 7, maskValue, only, kind, mask, buffer, dest);
    return dest;
}

} // namespace

// The engine against the plain walk over the disc, on small pictures (1 to 3 pixels on a side
// included, where every neighbour comes from the mirrored margin), random masks, both pass kinds,
// with and without OnlyFilter.
TEST(Prefilter, MatchesReference)
{
    struct Size { int w, h; };
    const Size sizes[] = {{1, 1}, {1, 3}, {3, 1}, {2, 2}, {3, 3}, {19, 11}, {37, 6}};
    const int radii[] = {1, 2, 3, 5, 8};
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> strength(0, 100);
    int cases = 0;
    for (Size sz : sizes) {
        const TBitmap src = reference::Picture(sz.w, sz.h, 11 + sz.w * 31 + sz.h);
        const TBitmap mask = reference::RandomMask(sz.w, sz.h, sz.w * 7 + sz.h, 40);
        for (int kind : kKinds)
            for (int radius : radii)
                for (int variant = 0; variant < 4; ++variant) {
                    const bool useMask = variant > 0;
                    const uint8_t maskValue = variant == 2 ? 255 : 0;
                    const bool only = variant != 3;
                    const int s = variant == 0 ? 100 : strength(rng);
                    const TBitmap* m = useMask ? &mask : nullptr;
                    const TBitmap before = Prefilled(sz.w, sz.h);
                    const TBitmap want =
                        reference::Filter(src, Whole(src), radius, s, 50, maskValue, only, kind, m, before);
                    const TBitmap got =
                        Filtered(src, Whole(src), radius, s, maskValue, only, kind, m, before);
                    ASSERT_TRUE(SamePixels(want, got))
                        << "kind " << kind << " radius " << radius << " strength " << s << " size " << sz.w
                        << "x" << sz.h << " variant " << variant;
                    ++cases;
                }
    }
    EXPECT_EQ(cases, 7 * 5 * 5 * 4);
}

// The largest radius and the other percentiles of kind 7 on a picture smaller than the disc.
TEST(Prefilter, LargeRadiusAndPercentilesMatchReference)
{
    const TBitmap src = reference::Picture(45, 23, 5);
    const TBitmap mask = reference::RandomMask(45, 23, 3, 50);
    for (int kind : kKinds) {
        const TBitmap want =
            reference::Filter(src, Whole(src), 32, 80, 50, 0, true, kind, &mask, Prefilled(45, 23));
        EXPECT_TRUE(
            SamePixels(want, Filtered(src, Whole(src), 32, 80, 0, true, kind, &mask, Prefilled(45, 23))))
            << "kind " << kind;
    }
    // A rectangle inside the picture: only its pixels change, Dest rows start at its top.
    for (int kind : kKinds) {
        const TRect inner = Rect(5, 2, 30, 20);
        const TBitmap want =
            reference::Filter(src, inner, 7, 65, 50, 255, false, kind, &mask, Prefilled(45, 18));
        for (int threads : {1, 4})
            EXPECT_TRUE(SamePixels(
                want, Filtered(src, inner, 7, 65, 255, false, kind, &mask, Prefilled(45, 18), threads)))
                << "kind " << kind << " threads " << threads;
    }
    for (int param5 : {-5, 0, 1, 25, 75, 100, 250}) {
        const TBitmap want =
            reference::Filter(src, Whole(src), 6, 70, param5, 0, true, 7, nullptr, Prefilled(45, 23));
        EXPECT_TRUE(SamePixels(
            want, Filtered(src, Whole(src), 6, 70, 0, true, 7, nullptr, Prefilled(45, 23), 1, param5)))
            << "param5 " << param5;
    }
}

// A very wide picture is worked through a row or two at a time; the result must not change.
TEST(Prefilter, VeryWidePicture)
{
    const int w = 1500000, h = 3;
    const TBitmap src = reference::Picture(w, h, 17);
    const TBitmap mask = reference::RandomMask(w, h, 18, 50);
    const TBitmap want = reference::Filter(src, Whole(src), 2, 100, 50, 255, true, 4, &mask, TBitmap(w, h));
    EXPECT_TRUE(SamePixels(want, Filtered(src, Whole(src), 2, 100, 255, true, 4, &mask, TBitmap(w, h), 4)));
}

// The encoder filters 3-row bands into a 3-row work bitmap, the main pass then the selection pass,
// with one buffer; the bands put together must equal both passes over the whole picture, and
// spreading the whole picture over threads must change nothing.
TEST(Prefilter, BandsAndThreadsEqualWholePicture)
{
    const int w = 800, h = 71; // wide enough for the columns of a band to be split between threads
    const TBitmap src = reference::Picture(w, h, 21);
    const TBitmap mask = reference::RandomMask(w, h, 22, 30);
    struct Pass { int kind, radius, strength; };
    const Pass passes[][2] = {{{8, 3, 60}, {5, 9, 90}},
                              {{7, 12, 50}, {4, 2, 30}},
                              {{9, 32, 100}, {8, 1, 20}},
                              {{5, 4, 45}, {5, 4, 95}}};
    for (const auto& pair : passes) {
        TBitmap whole(w, h, TPixelFormat::pf24bit);
        for (int p = 0; p < 2; ++p)
            whole = Filtered(src, Whole(src), pair[p].radius, pair[p].strength, p ? 255 : 0, false,
                             pair[p].kind, &mask, whole, 1);
        for (int threads : {1, 3, 8}) {
            TPrefilterBuffer buffer;
            buffer.Threads = threads;
            TBitmap work(w, 3, TPixelFormat::pf24bit);
            TBitmap joined(w, h, TPixelFormat::pf24bit);
            for (int y = 0; y < h; y += 3) {
                const int n = std::min(3, h - y);
                for (int p = 0; p < 2; ++p)
                    ApplyEffect(src, Rect(0, y, w, y + n), pair[p].radius, pair[p].strength, 50, 7,
                                p ? 255 : 0, false, pair[p].kind, &mask, buffer, work);
                for (int i = 0; i < n; ++i)
                    std::copy_n(work.ScanLine(i), 3 * w, joined.ScanLine(y + i));
            }
            EXPECT_TRUE(SamePixels(whole, joined)) << "kind " << pair[0].kind << " threads " << threads;

            TBitmap spread(w, h, TPixelFormat::pf24bit);
            for (int p = 0; p < 2; ++p)
                spread = Filtered(src, Whole(src), pair[p].radius, pair[p].strength, p ? 255 : 0, false,
                                  pair[p].kind, &mask, spread, threads);
            EXPECT_TRUE(SamePixels(whole, spread)) << "kind " << pair[0].kind << " threads " << threads;
        }
    }
}

// A band that does not continue the previous one, and a picture changed between calls, must not
// reuse stale rows.
TEST(Prefilter, BufferNotReusedAcrossJumpsOrChanges)
{
    TBitmap src = reference::Picture(40, 30, 2);
    TPrefilterBuffer buffer;
    buffer.Threads = 1;
    TBitmap dest(40, 3, TPixelFormat::pf24bit);
    ApplyEffect(src, Rect(0, 0, 40, 3), 5, 60, 50, 7, 0, true, 9, nullptr, buffer, dest);
    for (int y = 0; y < src.Height(); ++y)
        for (int i = 0; i < 3 * 40; ++i)
            src.ScanLine(y)[i] ^= 0x5A;
    src.Modified();
    for (int top : {3, 20, 6}) {
        ApplyEffect(src, Rect(0, top, 40, top + 3), 5, 60, 50, 7, 0, true, 9, nullptr, buffer, dest);
        TBitmap want = reference::Filter(src, Rect(0, top, 40, top + 3), 5, 60, 50, 0, true, 9, nullptr,
                                         TBitmap(40, 3, TPixelFormat::pf24bit));
        EXPECT_TRUE(SamePixels(want, dest)) << "top " << top;
    }
}

// Strength 0 of kind 8 at any radius, and kind 4 at strength 0 and radius 1, change nothing; radii
// outside 1..32 are clamped.
TEST(Prefilter, IdentityCasesAndClampedRadius)
{
    const TBitmap src = reference::Picture(23, 17, 4);
    auto filter = [&](int radius, int strength, int kind) {
        return Filtered(src, Whole(src), radius, strength, 0, true, kind, nullptr, Prefilled(23, 17));
    };
    for (int radius : {1, 4, 32}) EXPECT_TRUE(SamePixels(src, filter(radius, 0, 8)));
    EXPECT_TRUE(SamePixels(src, filter(1, 0, 4)));
    for (int kind : kKinds) {
        EXPECT_TRUE(SamePixels(filter(32, 70, kind), filter(40, 70, kind))) << kind;
        for (int radius : {0, -3}) EXPECT_TRUE(SamePixels(filter(1, 70, kind), filter(radius, 70, kind))) << kind;
    }
}

// A mask without any selected pixel: the selection pass (mask value 255) filters nothing.
TEST(Prefilter, EmptySelectionFiltersNothing)
{
    const TBitmap src = reference::Picture(30, 10, 9);
    const TBitmap white = reference::RandomMask(30, 10, 1, 0);
    const TBitmap before = Prefilled(30, 10);
    for (int kind : kKinds) {
        EXPECT_TRUE(SamePixels(src, Filtered(src, Whole(src), 4, 100, 255, true, kind, &white, before)));
        EXPECT_TRUE(SamePixels(before, Filtered(src, Whole(src), 4, 100, 255, false, kind, &white, before)));
    }
    // Kinds the engine does not know leave Dest alone, OnlyFilter or not.
    for (int kind : {0, 1, 6, 10, -4})
        EXPECT_TRUE(SamePixels(before, Filtered(src, Whole(src), 4, 100, 0, true, kind, nullptr, before)));
}

// A mask smaller than the picture: pixels beyond it count as outside the selection.
TEST(Prefilter, MaskSmallerThanPicture)
{
    const TBitmap src = reference::Picture(20, 12, 12);
    TBitmap small(8, 8, TPixelFormat::pf1bit); // all 0 bits: all selected
    const TBitmap got = Filtered(src, Whole(src), 2, 90, 255, true, 9, &small, Prefilled(20, 12));
    TBitmap full(24, 16, TPixelFormat::pf1bit);
    for (int y = 0; y < 16; ++y) {
        uint8_t* row = full.ScanLine(y);
        row[0] = y < 8 ? 0x00 : 0xFF;
        row[1] = row[2] = 0xFF;
    }
    EXPECT_TRUE(SamePixels(
        reference::Filter(src, Whole(src), 2, 90, 50, 255, true, 9, &full, Prefilled(20, 12)), got));
}

TEST(Prefilter, DestinationRules)
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
    ASSERT_EQ(made.Width(), 16);
    ASSERT_EQ(made.Height(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(std::equal(made.ScanLine(i), made.ScanLine(i) + 48, want.ScanLine(4 + i)));
    // A Rect reaching past the picture is clipped.
    TBitmap clipped(16, 9);
    ApplyEffect(src, Rect(-5, -5, 100, 100), 3, 60, 50, 7, 0, true, 5, nullptr, buffer, clipped);
    EXPECT_TRUE(SamePixels(want, clipped));

    TBitmap tooSmall(16, 2);
    EXPECT_THROW(ApplyEffect(src, Rect(0, 0, 16, 3), 3, 60, 50, 7, 0, true, 5, nullptr, buffer, tooSmall),
                 EInvalidGraphicOperation);
    TBitmap grey(16, 9, TPixelFormat::pf8bit);
    EXPECT_THROW(ApplyEffect(grey, Whole(grey), 3, 60, 50, 7, 0, true, 5, nullptr, buffer, clipped),
                 EInvalidGraphicOperation);
    TBitmap byteMask(16, 16, TPixelFormat::pf8bit);
    EXPECT_THROW(ApplyEffect(src, Whole(src), 3, 60, 50, 7, 0, true, 5, &byteMask, buffer, clipped),
                 EInvalidGraphicOperation);
}

TEST(Prefilter, KindOfUserFilter)
{
    const int want[] = {0, 0, 8, 7, 5, 9, 4, 0}; // filters -1..6
    for (int i = -1; i <= 6; ++i) EXPECT_EQ(PrefilterKindOf(i), want[i + 1]) << i;
}
