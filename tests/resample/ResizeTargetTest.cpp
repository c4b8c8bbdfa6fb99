#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "resample/ResizeTarget.h"
#include "ResizeOptionsTestUtil.h"

namespace {

TEST(ResizeIsNoOp, Table)
{
    const struct
    {
        const char* what;
        TResamplingOptions options;
        int w0, h0;
        bool noOp;
    } cases[] = {
        {"nothing given", Opts(0, 0, 0), 640, 480, true},
        {"width 100 percent", Opts(0, 100, 0, 1, 1), 640, 480, true},
        {"width 100 percent, odd size", Opts(0, 100, 0, 1, 1), 37, 1, true},
        {"same width in pixels", Opts(0, 640, 0), 640, 480, true},
        {"same size in pixels", Opts(0, 640, 480), 640, 480, true},
        {"other width", Opts(0, 641, 0), 640, 480, false},
        {"other height", Opts(0, 640, 481), 640, 480, false},
        {"negative width", Opts(0, -640, 480), 640, 480, false},
        {"thumbnail box larger on both sides", Opts(1, 1000, 1000), 640, 480, true},
        {"thumbnail box exactly the picture", Opts(1, 640, 480), 640, 480, true},
        {"thumbnail box smaller in width only", Opts(1, 600, 1000), 640, 480, false},
        {"thumbnail box smaller in height only", Opts(1, 1000, 400), 640, 480, false},
        {"unknown purpose", Opts(2, 100, 100), 640, 480, false},
        {"unknown purpose, empty picture", Opts(2, 100, 100), 0, 0, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResizeIsNoOp(c.options, c.w0, c.h0), c.noOp) << c.what;
}

TEST(CreateResizedBitmap, MakesA24BitTargetOrRefusesUnusableSizes)
{
    auto b = CreateResizedBitmap(Opts(0, 50, 0, 1, 1), 102, 98);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Width(), 51);
    EXPECT_EQ(b->Height(), 49);
    EXPECT_EQ(b->PixelFormat(), TPixelFormat::pf24bit);
    // Nothing given gives 0 x 0; a negative or tiny percentage gives no pixels.
    for (const auto& o : {Opts(0, 0, 0), Opts(0, -10, 10), Opts(0, 0, 0, 1, 1)})
        EXPECT_THROW(CreateResizedBitmap(o, 640, 480), EInvalidGraphicOperation);
    EXPECT_THROW(CreateResizedBitmap(Opts(0, 1, 1, 1, 1), 10, 10), EInvalidGraphicOperation);
    for (const auto& o : {Opts(0, 200000, 200000), Opts(0, 2000000000, 0, 1, 1)})
        EXPECT_THROW(CreateResizedBitmap(o, 640, 480), EOutOfResources);
}

TEST(SameResizeOptions, ComparesTheRequestNotTheMethod)
{
    TResamplingOptions a = Opts(0, 800, 600), b = a;
    b.Method = 3;
    b.Fidelity = 100;
    b.HorzDPI = 300;
    EXPECT_TRUE(SameResizeOptions(a, b));
    b.Aspect = true;
    EXPECT_FALSE(SameResizeOptions(a, b));
    b = a;
    b.HUnits = 1;
    EXPECT_FALSE(SameResizeOptions(a, b));
}

} // namespace
