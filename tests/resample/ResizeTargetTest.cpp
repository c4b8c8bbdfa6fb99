#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "platform/Exceptions.h"
#include "resample/ResampleSize.h"
#include "resample/ResizeTarget.h"

namespace {
using PF = TPixelFormat;

TResamplingOptions Opts(int purpose, int w, int h, int wu = 0, int hu = 0, int hdpi = 0, int vdpi = 0)
{
    return {purpose, w, h, wu, hu, false, hdpi, vdpi};
}

TEST(CalcResampleSize, GivesTheTargetSizeForEveryUnitAndThumbnailBox)
{
    // what, options, picture width and height, target width and height
    const std::tuple<const char*, TResamplingOptions, int, int, int, int> cases[] = {
        {"percent both sides", Opts(0, 50, 50, 1, 1), 102, 98, 51, 49},
        {"percent rounds half to even", Opts(0, 50, 50, 1, 1), 101, 103, 50, 52},
        {"pixels, height follows", Opts(0, 800, 0), 1600, 1200, 800, 600},
        {"pixels, width follows", Opts(0, 0, 300), 1600, 1200, 400, 300},
        {"nothing given", Opts(0, 0, 0), 640, 480, 0, 0},
        {"inches: the width's unit decides both", Opts(0, 2000, 1000, 2, 0, 300, 200), 10, 10, 600, 200},
        {"percent width, pixel height", Opts(0, 50, 70, 1, 0), 200, 100, 100, 70},
        {"thumbnail of a wide picture", Opts(1, 100, 100), 400, 200, 100, 50},
        {"thumbnail of a tall picture", Opts(1, 100, 100), 200, 400, 50, 100},
        {"thumbnail box in percent", Opts(1, 50, 50, 1, 1), 400, 200, 200, 100},
        {"thumbnail box without height fits the width", Opts(1, 100, 0), 400, 200, 100, 50},
        {"thumbnail box without width fits the height", Opts(1, 0, 100), 400, 200, 200, 100},
        {"thumbnail box without sides keeps the size", Opts(1, 0, 0), 400, 200, 400, 200},
        {"empty picture", Opts(0, 50, 50, 1, 1), 0, 0, 0, 0},
        {"picture without height", Opts(0, 100, 0), 100, 0, 100, 0},
        {"picture without width", Opts(1, 100, 100), 0, 100, 0, 100},
        {"beyond the integer range saturates", Opts(0, INT_MAX, 0, 1, 0), 1000, 1000, INT_MAX, INT_MAX},
    };
    for (const auto& [what, options, w0, h0, w1, h1] : cases) {
        int32_t w = -7, h = -7;
        CalcResampleSize(w, h, options, w0, h0);
        EXPECT_EQ(std::pair(w, h), std::pair(w1, h1)) << what;
    }
}

TEST(ResizeIsNoOp, Table)
{
    const std::tuple<TResamplingOptions, int, int, bool> cases[] = { // options, picture size, no-op
        {Opts(0, 0, 0), 640, 480, true},          {Opts(0, 100, 0, 1, 1), 37, 1, true},
        {Opts(0, 640, 480), 640, 480, true},      {Opts(0, 641, 0), 640, 480, false},
        {Opts(0, 640, 481), 640, 480, false},     {Opts(0, -640, 480), 640, 480, false},
        {Opts(1, 640, 480), 640, 480, true},      {Opts(1, 600, 1000), 640, 480, false},
        {Opts(1, 1000, 400), 640, 480, false},    {Opts(2, 100, 100), 640, 480, false},
        {Opts(2, 100, 100), 0, 0, true},
        // 100 percent of the width, the same width in pixels (the height follows), a thumbnail box
        // larger than the picture on both sides (a thumbnail never enlarges)
        {Opts(0, 100, 0, 1, 1), 640, 480, true},  {Opts(0, 640, 0), 640, 480, true},
        {Opts(1, 1000, 1000), 640, 480, true},
    };
    for (const auto& [options, w0, h0, noOp] : cases)
        EXPECT_EQ(ResizeIsNoOp(options, w0, h0), noOp)
            << options.Purpose << " " << options.Width << " " << w0;
}

TEST(CreateResizedBitmap, MakesA24BitTargetOrRefusesUnusableSizes)
{
    auto b = CreateResizedBitmap(Opts(0, 50, 0, 1, 1), 102, 98);
    ASSERT_TRUE(b);
    EXPECT_EQ(std::tuple(b->Width(), b->Height(), b->PixelFormat()), std::tuple(51, 49, PF::pf24bit));
    // Nothing given gives 0 x 0; a negative or tiny percentage gives no pixels.
    for (const auto& o : {Opts(0, 0, 0), Opts(0, -10, 10), Opts(0, 0, 0, 1, 1)})
        EXPECT_THROW(CreateResizedBitmap(o, 640, 480), EInvalidGraphicOperation);
    EXPECT_THROW(CreateResizedBitmap(Opts(0, 1, 1, 1, 1), 10, 10), EInvalidGraphicOperation);
    for (const auto& o : {Opts(0, 200000, 200000), Opts(0, 2000000000, 0, 1, 1)})
        EXPECT_THROW(CreateResizedBitmap(o, 640, 480), EOutOfResources);
}

} // namespace
