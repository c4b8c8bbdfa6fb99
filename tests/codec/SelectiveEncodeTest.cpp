// The prefilters inside the encoder give the picture a brute-force filter gives; the selection
// areas come from the settings record. (The selection's qualities: the pinned outputs.)
#include <gtest/gtest.h>

#include <functional>

#include "EncoderTestUtil.h"
#include "PrefilterReference.h"
#include "SelectionTestUtil.h"
#include "codec/Prefilter.h"
#include "codec/PrefilterStage.h"
#include "codec/RegionMask.h"
#include "codec/SelectionMask.h"

// A prefiltered run encodes the picture the brute-force filter makes, for each filter alone and both
// together, at every shape of the last band. The stage's band loop gives that picture for any band
// height and thread count, reporting after each band; a cancel from the progress ends it.
TEST(SelectiveEncode, PrefiltersGiveTheReferencePictureAndAreasComeFromTheRecord)
{
    // Filters 1..5 of the user are kinds 8, 7, 5, 9 and 4 of the engine.
    struct TFilters { const char* Name; int Main, MainKind, MainValue, MainRadius, Sel, SelKind, SelValue, SelRadius; bool Selective; } filters[] = {
        {"main alone", 3, 5, 60, 2, 0, 0, 0, 0, false},
        {"main with a selection", 1, 8, 50, 3, 0, 0, 0, 0, true},
        {"selection alone", 0, 0, 0, 0, 5, 4, 70, 1, true},
        {"both", 2, 7, 55, 4, 4, 9, 30, 2, true},
    };
    const int w = 300; // wide enough for the columns of a band to be split between threads
    for (int h : {1, 2, 4, 5, 9, 71}) {
        const TBitmap src = reference::Picture(w, h, uint32_t(h));
        TBitmap mask = CreateMaskBitmap(w, h);
        PaintSelectionMask(w, h, {TMaskShape{TMaskShape::Ellipse, 100000, 0, 700000, 1000000, {}}}, mask);
        for (const TFilters& f : filters) {
            SCOPED_TRACE(std::string(f.Name) + ", height " + std::to_string(h));
            auto setup = [&](TJPEGImage& im) {
                im.SelectiveCompression = f.Selective;
                im.SelLumQuality = 30;
                AddSelectionArea(im, skEllipse, 100000, 0, 700000, 1000000);
            };
            const TBitmap* m = f.Selective ? &mask : nullptr;
            const TRect all = Rect(0, 0, w, h);
            TBitmap want(w, h, TPixelFormat::pf24bit);
            if (f.Main) want = reference::Filter(src, all, f.MainRadius, f.MainValue, 50, 0, !f.Sel, f.MainKind, m, want);
            if (f.Sel) want = reference::Filter(src, all, f.SelRadius, f.SelValue, 50, 255, !f.Main, f.SelKind, m, want);
            EXPECT_FALSE(reference::SamePixels(want, src)) << "the filters change the picture";
            const std::vector<uint8_t> filtered = EncodeImage(src, [&](TJPEGImage& im) {
                setup(im);
                im.ActiveFilter = f.Main;
                if (f.Main) im.SetFilterValue(f.Main, f.MainValue);
                im.FilterRadius = f.MainRadius;
                im.SelActiveFilter = f.Sel;
                if (f.Sel) im.SetSelFilterValue(f.Sel, f.SelValue);
                im.SelFilterRadius = f.SelRadius;
            });
            EXPECT_EQ(filtered, EncodeImage(want, setup));
            TPrefilterStage stage{{f.Main, f.MainValue, f.MainRadius}, {f.Sel, f.SelValue, f.SelRadius}, m, 1};
            for (int bandRows : {1, 3, 4, PrefilterBandRows})
                for (int threads : {1, 3, 0}) {
                    stage.BandRows = bandRows;
                    stage.Threads = threads;
                    int calls = 0, lastDone = 0, lastTotal = 0;
                    const TBitmap got = ApplyPrefilters(src, stage, [&](int done, int total) {
                        ++calls;
                        lastDone = done;
                        lastTotal = total;
                    });
                    const int bands = (h + bandRows - 1) / bandRows;
                    EXPECT_TRUE(reference::SamePixels(got, want)) << "bands of " << bandRows << ", threads " << threads;
                    EXPECT_EQ(std::tuple(calls, lastDone, lastTotal), std::tuple(bands, bands, bands));
                }
        }
    }
    const TBitmap src = reference::Picture(8, 8, 1);
    TPrefilterStage stage;
    stage.Main = {1, 50, 1};
    stage.BandRows = 3;
    EXPECT_THROW(ApplyPrefilters(src, stage, [](int, int) { throw EAbort(); }), EAbort);
    // The areas of the settings record.
    TJPEGImage im;
    AddSelectionArea(im, skEllipse, 1, 2, 3, 4);
    AddSelectionPolygon(im, {{10, 20}, {30, 40}, {50, 5}});
    AddSelectionArea(im, skRectangle, 5, 6, 7, 8);
    TJPEGProfile rec;
    GetSettingsRecord(im, rec);
    std::vector<TMaskShape> shapes = SelectionShapesOf(rec);
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(std::tuple(shapes[0].Kind, shapes[0].EndY, shapes[1].Points, shapes[2].BegX),
              std::tuple(TMaskShape::Ellipse, 4, std::vector<TPoint>{{10, 20}, {30, 40}, {50, 5}}, 5));

    // Damaged records (the image's areas are read through the same reader): counts beyond the last
    // entry, a huge point count, an unknown kind.
    struct TCase { const char* Name; std::function<void(TJPEGProfile&)> Damage; size_t Shapes; } cases[] = {
        {"more areas than written", [](TJPEGProfile& r) { r.Data[1] = 100; }, 3},
        {"last entry beyond the array", [](TJPEGProfile& r) { r.Data[0] = 100000; }, 3},
        {"last entry inside the polygon", [](TJPEGProfile& r) { r.Data[0] = 10; }, 1},
        {"huge point count", [](TJPEGProfile& r) { r.Data[8] = 0x7FFFFFFF; }, 1},
        {"negative point count", [](TJPEGProfile& r) { r.Data[8] = -1; }, 1},
        {"unknown kind", [](TJPEGProfile& r) { r.Data[7] = 9; }, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TJPEGProfile damaged = rec;
        c.Damage(damaged);
        EXPECT_EQ(SelectionShapesOf(damaged).size(), c.Shapes);
    }
    // Counts as large as they go: the zero entries after the areas read as empty rectangles up to
    // the end of the array, and no further.
    TJPEGProfile huge = rec;
    huge.Data[0] = huge.Data[1] = 0x7FFFFFFF;
    EXPECT_LE(SelectionShapesOf(huge).size(), huge.Data.size() / 5 + 3);
}

// Threshold 0 selects every block with or without areas: the file equals one whose whole picture is
// an area at threshold 100; at 50 without areas nothing is selected.
TEST(SelectiveEncode, ThresholdZeroSelectsEveryBlock)
{
    const TBitmap src = PhotoLikePicture(48, 40, 7); // whole blocks: a full rectangle covers each
    auto encode = [&](int threshold, bool wholeArea) {
        return EncodeImage(src, [&](TJPEGImage& im) {
            std::tie(im.LumQuality, im.SelectiveCompression, im.SelLumQuality, im.SelChromQuality) =
                std::tuple(80, true, 20, 10);
            im.SelThreshold = uint8_t(threshold);
            if (wholeArea) AddSelectionArea(im, skRectangle, 0, 0, 1000000, 1000000);
        });
    };
    const std::vector<uint8_t> all = encode(0, false);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all, encode(100, true));
    EXPECT_NE(all, encode(50, false));
}

// Filters that are off change nothing: a main filter at value 0, a selection filter without areas,
// a selection filter at value 0.
TEST(SelectiveEncode, FiltersThatAreOff)
{
    const TBitmap src = PhotoLikePicture(30, 20, 12);
    struct TCase
    {
        const char* Name;
        std::function<void(TJPEGImage&)> Change;
    } cases[] = {
        {"main value 0",
         [](TJPEGImage& im) {
             im.ActiveFilter = 3;
             im.SetFilterValue(3, 0);
         }},
        {"selection filter, no areas",
         [](TJPEGImage& im) {
             im.SelActiveFilter = 1;
             im.SetSelFilterValue(1, 90);
         }},
        {"selection value 0",
         [](TJPEGImage& im) {
             im.SelActiveFilter = 1;
             im.SetSelFilterValue(1, 0);
             AddSelectionArea(im, skRectangle, 0, 0, 1000000, 1000000);
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        bool withArea = false;
        const std::vector<uint8_t> changed = EncodeImage(src, [&](TJPEGImage& im) {
            im.SelectiveCompression = true;
            c.Change(im);
            withArea = im.SelUnits.Count() > 0;
        });
        const std::vector<uint8_t> base = EncodeImage(src, [&](TJPEGImage& im) {
            im.SelectiveCompression = true;
            if (withArea) AddSelectionArea(im, skRectangle, 0, 0, 1000000, 1000000);
        });
        ASSERT_FALSE(base.empty());
        EXPECT_EQ(base, changed);
    }
}
