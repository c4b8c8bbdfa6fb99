#include <gtest/gtest.h>

#include <climits>

#include "common/ResampleSize.h"
#include "../resample/ResizeOptionsTestUtil.h"

namespace {

TEST(CalcResampleSize, GivesTheTargetSizeForEveryUnitAndThumbnailBox)
{
    const struct
    {
        const char* what;
        TResamplingOptions options;
        int w0, h0, w, h;
    } cases[] = {
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
    for (const auto& c : cases) {
        int32_t w = -7, h = -7;
        CalcResampleSize(w, h, c.options, c.w0, c.h0);
        EXPECT_EQ(w, c.w) << c.what;
        EXPECT_EQ(h, c.h) << c.what;
    }
}

} // namespace
