// Quality curves, the quantisation-table slots and the detail equaliser.
#include <gtest/gtest.h>

#include <tuple>

#include "JpegFixtures.h"
#include "codec/QuantTables.h"
#include "platform/Round.h"

using namespace qmjpeg;

TEST(QuantTables, CurvesLibraryTablesRefusalsAndEqualizerEntries)
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
    // Without the baseline limit entries stop at the library's 32767; other slots are left empty.
    TQuantSlots slots;
    const uint8_t basic[64] = {1, 5};
    jpeg_add_quant_table(slots, 3, basic, false, 1000000);
    EXPECT_EQ(std::tuple(bool(slots[0]), (*slots[3])[0], (*slots[3])[1], (*slots[3])[2]), std::tuple(false, 10000, 32767, 1));
    // Slots and states the library refuses, in its words.
    for (auto [slot, state, text] : {std::tuple(6, JpegStartState, "Bogus DQT index 6"), {-1, JpegStartState, "Bogus DQT index -1"},
                                     {0, 101, "Improper call to JPEG library in state 101"}})
        EXPECT_EQ(fixtures::MessageOf<EJPEG>([&] { jpeg_add_quant_table(slots, slot, basic, true, 100, state); }), text);
    // Entries worked out by hand from the standard tables, the bands and the quality's scale.
    struct TCase { const char* Name; bool Chroma; TBands Bands; int Quality; bool Full; size_t Index; int Want; };
    const TCase cases[] = {
        {"q50: 125 %", false, {}, 50, false, 0, 20},                     // 16 x 1.25
        {"q100 clamps to 1", false, {}, 100, false, 63, 1},
        {"chroma q1 clamps to 255", true, {}, 1, false, 0, 255},
        {"band 5 at -50 triples", false, {0, 0, 0, 0, -50}, 75, false, 63, 184}, // round(0.62 x 297)
        {"band 5 at +50 leaves 10 %", false, {0, 0, 0, 0, 50}, 75, false, 63, 6}, // round(0.62 x 10)
        {"band 5 leaves the DC", false, {0, 0, 0, 0, -50}, 75, false, 0, 10},     // round(0.62 x 16)
        {"band 1 at +20 on the DC", false, {20}, 50, false, 0, 14},               // (16 - 5) x 1.25
        {"interpolated at zigzag 1", false, {20}, 50, false, 1, 10},              // (11 - 3) x 1.25
        {"beyond the centre at 5", false, {20}, 50, false, 24, 18},               // 14 x 1.25 = 17.5
        {"chroma ignores full control", true, {}, 60, true, 9, 21},             // 21 x 1.00, not q50
        {"full control, bands 0: q50", false, {}, 1, true, 0, 20},
        {"full control, bands +50: q100", false, {50, 50, 50, 50, 50}, 30, true, 40, 1},
        {"full control, bands -50: 25 x", false, {-50, -50, -50, -50, -50}, 30, true, 1, 255},
        {"full control, bands -50, DC", false, {-50, -50, -50, -50, -50}, 30, true, 0, 255},
        {"full control, band 5 at +25", false, {0, 0, 0, 0, 25}, 30, true, 63, 61}, // 99 x 0.62
    };
    for (const TCase& c : cases)
        EXPECT_EQ(EqualizeBaseTable(c.Chroma, c.Bands, c.Quality, c.Full)[c.Index], c.Want) << c.Name;
}
