// Quality curves, the quantisation-table slots and the detail equaliser.
#include <gtest/gtest.h>

#include "codec/QuantTables.h"
#include "platform/Round.h"

using namespace qmjpeg;

TEST(QuantTables, QualityCurves)
{
    struct Case { int Quality; int Luma; int Chroma; };
    for (const Case& c : std::vector<Case>{{-7, 2500, 2100}, {0, 2500, 2100}, {1, 2500, 2100}, {4, 1000, 525},
                                           {5, 800, 480}, {19, 210, 200}, {20, 200, 200}, {21, 198, 198},
                                           {23, 192, 192}, {50, 125, 125}, {75, 62, 62}, {99, 2, 2},
                                           {100, 0, 0}, {250, 0, 0}})
    {
        EXPECT_EQ(jpeg_quality_scaling(c.Quality, true), c.Luma) << c.Quality;
        EXPECT_EQ(jpeg_quality_scaling(c.Quality, false), c.Chroma) << c.Quality;
    }
}

TEST(QuantTables, AddQuantTableScalesAndClamps)
{
    TQuantSlots slots;
    std::array<uint8_t, 64> basic{};
    for (size_t i = 0; i < 64; ++i) basic[i] = uint8_t(i * 4 + 1);
    jpeg_add_quant_table(slots, 5, basic.data(), false, 100);
    ASSERT_TRUE(slots[5]);
    for (size_t i = 0; i < 64; ++i) EXPECT_EQ((*slots[5])[i], basic[i]);
    EXPECT_FALSE(slots[0]);

    jpeg_add_quant_table(slots, 0, basic.data(), false, 150);
    EXPECT_EQ((*slots[0])[0], 2);                    // (1 x 150 + 50) div 100
    EXPECT_EQ((*slots[0])[1], 8);                    // (5 x 150 + 50) div 100
    jpeg_add_quant_table(slots, 0, basic.data(), false, 1000000);
    EXPECT_EQ((*slots[0])[63], 32767);               // clamped to the library's limit
    jpeg_add_quant_table(slots, 0, basic.data(), true, 1000);
    EXPECT_EQ((*slots[0])[63], 255);                 // baseline limit
    jpeg_add_quant_table(slots, 1, basic.data(), true, 0);
    EXPECT_EQ((*slots[1])[63], 1);                   // at least 1
}

TEST(QuantTables, AddQuantTableErrorsUseTheLibraryTexts)
{
    TQuantSlots slots;
    uint8_t basic[64] = {};
    struct Case { int Slot; int State; std::string Text; };
    for (const Case& c : std::vector<Case>{{6, JpegStartState, "Bogus DQT index 6"},
                                           {-1, JpegStartState, "Bogus DQT index -1"},
                                           {0, 101, "Improper call to JPEG library in state 101"}})
    {
        try {
            jpeg_add_quant_table(slots, c.Slot, basic, true, 100, c.State);
            ADD_FAILURE() << "no error for slot " << c.Slot;
        } catch (const EJPEG& e) {
            EXPECT_EQ(std::string(e.what()), c.Text);
        }
    }
}

TEST(QuantTables, SetQualityMatchesTheLibraryAtSharedScales)
{
    // Above quality 20 our curve differs from the library's only in rounding (250 - 2.5q vs 200 - 2q
    // above 50); at equal scales the tables must be the library's.
    for (int scale : {1, 50, 100, 125, 200, 5000}) {
        TQuantSlots ours;
        jpeg_set_linear_quality(ours, scale, scale, true);
        TJpegCompressor c;
        c->in_color_space = JCS_RGB;
        c->input_components = 3;
        jpeg_set_defaults(c.Get());
        jpeg_set_linear_quality(c.Get(), scale, TRUE);
        for (int t = 0; t < 2; ++t)
            for (size_t i = 0; i < 64; ++i) EXPECT_EQ((*ours[size_t(t)])[i], c->quant_tbl_ptrs[t]->quantval[i]);
    }
}

TEST(QuantTables, EqualizerNormalMode)
{
    const TBands zero{};
    // Quality 50, flat bands: the standard table scaled by 125 %.
    TBaseTable q50 = EqualizeBaseTable(false, zero, 50);
    EXPECT_EQ(q50[0], 20);
    for (size_t i = 0; i < 64; ++i) EXPECT_EQ(q50[i], int(Round(StdLumaTable[i] * 1.25))) << i;
    // Quality 100: every entry clamps to 1; chroma quality 1: every entry clamps to 255.
    for (uint8_t v : EqualizeBaseTable(false, zero, 100)) EXPECT_EQ(v, 1);
    for (uint8_t v : EqualizeBaseTable(true, zero, 1)) EXPECT_EQ(v, 255);

    // Band 5 at -50 triples position 63 (99 -> 297) before the scale; at +50 leaves 10 %.
    TBands coarse{0, 0, 0, 0, -50}, fine{0, 0, 0, 0, 50};
    EXPECT_EQ(EqualizeBaseTable(false, coarse, 75)[63], 184); // round(0.62 x 297) = 184
    EXPECT_EQ(EqualizeBaseTable(false, fine, 75)[63], 6);      // 99 - 89 = 10, round(6.2) = 6
    EXPECT_EQ(EqualizeBaseTable(false, coarse, 75)[0], EqualizeBaseTable(false, zero, 75)[0]);

    // Between two centres the percentage is interpolated: band 1 at +20 (t = 30 at position 0,
    // 0 at position 5); zigzag position 1 (natural 1, base 11) gets t = 24: 11 - round(2.64) = 8.
    TBands first{20, 0, 0, 0, 0};
    TBaseTable t = EqualizeBaseTable(false, first, 50);
    EXPECT_EQ(t[0], 14);  // 16 - round(4.8) = 11, round(13.75) = 14
    EXPECT_EQ(t[1], 10);  // 8 x 1.25
    EXPECT_EQ(t[24], 18); // zigzag 9 lies beyond the centre at 5: untouched, 14 x 1.25 = 17.5 -> 18

    // Chroma tables ignore full-control mode.
    TBands any{10, -20, 30, -40, 50};
    EXPECT_EQ(EqualizeBaseTable(true, any, 60, true), EqualizeBaseTable(true, any, 60, false));
}

TEST(QuantTables, EqualizerFullControl)
{
    // Every band at b acts as quality b + 50: all bands 0 is the quality-50 table whatever the quality.
    const TBands zero{};
    EXPECT_EQ(EqualizeBaseTable(false, zero, 1, true), EqualizeBaseTable(false, zero, 50, false));
    EXPECT_EQ(EqualizeBaseTable(false, zero, 100, true), EqualizeBaseTable(false, zero, 50, false));
    // All bands +50 is quality 100 (every entry 1); -50 is quality 0, clamped to 1 (25 times the base).
    for (uint8_t v : EqualizeBaseTable(false, TBands{50, 50, 50, 50, 50}, 30, true)) EXPECT_EQ(v, 1);
    TBaseTable coarsest = EqualizeBaseTable(false, TBands{-50, -50, -50, -50, -50}, 30, true);
    for (size_t i = 0; i < 64; ++i) EXPECT_EQ(coarsest[i], std::min(255, 25 * StdLumaTable[i]));
    // Band 5 alone at +25 (quality 75, 0.62) reaches position 63: 99 x 0.62 = 61.38 -> 61.
    EXPECT_EQ(EqualizeBaseTable(false, TBands{0, 0, 0, 0, 25}, 30, true)[63], 61);
}

TEST(QuantTables, BuildQuantTables)
{
    TQuantSettings s;
    s.LumQuality = 40;
    s.ChromQuality = 30;
    s.Bands = {5, 0, -10, 0, 20};
    TQuantSlots plain = BuildQuantTables(s);
    ASSERT_TRUE(plain[0] && plain[1]);
    for (size_t q = 2; q < 6; ++q) EXPECT_FALSE(plain[q]);
    TBaseTable luma = EqualizeBaseTable(false, s.Bands, 40), chroma = EqualizeBaseTable(true, {}, 30);
    for (size_t i = 0; i < 64; ++i) {
        EXPECT_EQ((*plain[0])[i], luma[i]);
        EXPECT_EQ((*plain[1])[i], chroma[i]);
    }

    s.SelectiveCompression = true;
    s.SelLumQuality = 70;
    s.SelChromQuality = 10;
    s.SelBands = {0, 10, -20, 0, 0};
    TQuantSlots sel = BuildQuantTables(s);
    for (size_t q = 0; q < 6; ++q) ASSERT_TRUE(sel[q]) << q;
    struct Expect { size_t Slot; TBaseTable Table; };
    for (const Expect& e : std::vector<Expect>{
             {0, EqualizeBaseTable(false, TBands{5, 10, -10, 0, 20}, 70)}, // finer of both, band by band
             {1, EqualizeBaseTable(true, {}, 30)},
             {2, EqualizeBaseTable(false, s.Bands, 40)},
             {3, EqualizeBaseTable(true, {}, 30)},
             {4, EqualizeBaseTable(false, s.SelBands, 70)},
             {5, EqualizeBaseTable(true, {}, 10)}})
        for (size_t i = 0; i < 64; ++i) EXPECT_EQ((*sel[e.Slot])[i], e.Table[i]) << e.Slot << " " << i;
}
