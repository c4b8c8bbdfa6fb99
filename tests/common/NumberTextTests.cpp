#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "common/CommLib.h"
#include "platform/Bitmap.h"
#include "platform/Exceptions.h"

namespace {

// Two decimals, then one, then none as the value grows (steps at 10 and 1000 KB, at 1 and 100
// seconds at 28800 bit/s when slow, else 56000 bit/s); ties go to even.
TEST(NumberText, SizesAndModemTimesChooseTheirDecimalsByMagnitude)
{
    const std::pair<int64_t, const char*> sizes[] = {{10239, "10.00"}, {10240, "10.0"},   {1023999, "1000.0"},
                                                     {1024000, "1000"}, {64, "0.06"}, {5LL << 30, "5242880"}};
    for (const auto& [bytes, text] : sizes) EXPECT_EQ(FormatSizeKB(bytes), text) << bytes;
    const std::tuple<int64_t, bool, const char*> times[] = {
        {3600, true, "1.0"}, {3599, true, "1.00"}, {7000, false, "1.0"}, {359999, true, "100.0"}};
    for (const auto& [bytes, slow, text] : times) EXPECT_EQ(FormatModemTime(bytes, slow), text) << bytes;
    EXPECT_EQ(KeepNumericChars("ab1.2.3", '.'), "1.23");
    EXPECT_EQ(KeepNumericChars("-1,5.2 cm", '.'), "15.2");
    const std::tuple<const char*, char, const char*> kept[] = {
        {"1,5 cm", ',', "1,5"}, {"..5", '.', ".5"}, {"abc", '.', ""}, {"-12e3", '.', "123"}};
    for (const auto& [in, separator, out] : kept) EXPECT_EQ(KeepNumericChars(in, separator), out) << in;
    EXPECT_EQ(KeepNumericChars("x7.5.0"), "7.50"); // the point by default
    EXPECT_EQ(ClampValue(5, 10, 1), 10); // the low end is tested first
    EXPECT_EQ(ClampValue(20, 10, 1), 1);
}

TEST(MulDiv, RoundsToNearestWithHalvesAwayFromZero)
{
    // a, b, c, a * b / c; -1 for a division by zero or an overflow
    const int32_t kMax = INT32_MAX, cases[][4] = {
        {1, 1, 2, 1},   {5, 1, 2, 3},     {-5, 1, 2, -3},  {1, 3, 2, 2},  {7, 1, 2, 4},     {1, -3, -2, 2},
        {10, 10, 3, 33}, {20, 10, 3, 67}, {-20, 10, 3, -67}, {5, 7, 0, -1}, {kMax, 2, 1, -1},
        {kMax, kMax, kMax, kMax}};
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << " " << c[2];
}

TEST(FitRectCentered, KeepsOrScalesByThePicturesOrientation)
{
    const struct
    {
        int32_t w, h, W, H;
        TRect r;
    } cases[] = {
        {100, 50, 200, 200, {50, 75, 150, 125}}, {400, 200, 200, 200, {0, 50, 200, 150}},
        {101, 51, 200, 200, {49, 74, 150, 125}},  // odd remainder: offsets round toward zero
        {100, 400, 300, 200, {125, 0, 175, 200}}, // portrait in a wide box fits exactly
        {300, 400, 100, 200, {-25, 0, 125, 200}}, // portrait in a narrow box overflows sideways
        {200, 1, 100, 100, {0, 49, 100, 50}},     // half a pixel rounds up: the strip stays
        {1000, 1, 100, 100, {0, 49, 100, 50}},    // a tenth of a pixel: one pixel, never empty
        {1, 800, 100, 100, {49, 0, 50, 100}},     {0, 0, 100, 100, {0, 0, 0, 0}},
        {-10, 10, 100, 100, {0, 0, 0, 0}},        {0, 300, 100, 100, {50, 0, 50, 100}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitRectCentered(c.w, c.h, c.W, c.H), c.r) << c.w << " " << c.h << " " << c.W << " " << c.H;
}

TEST(AdjustBrightness, MovesEveryChannelTowardWhiteOrBlackAndClamps)
{
    // amount, in, out: 127.5 and 255 - 76.5 round to even; beyond 100 % clamps, never wraps
    const int cases[][3] = {{0, 77, 77},    {50, 0, 128},   {50, 1, 128},   {-30, 255, 179},
                            {-30, 100, 70}, {100, 3, 255},  {150, 200, 255}, {-150, 100, 0},
                            {50, 255, 255}, {-100, 200, 0}};
    for (const auto& c : cases) {
        TBitmap b(5, 3); // in place, 15 bytes of pixels in rows of 16: the padding stays
        for (int y = 0; y < 3; ++y) std::memset(b.ScanLine(y), c[1], 16);
        AdjustBrightness(b, c[0], b);
        for (int y = 0; y < 3; ++y)
            for (int i = 0; i < 16; ++i)
                ASSERT_EQ(b.ScanLine(y)[i], i < 15 ? c[2] : c[1]) << c[0] << " " << c[1];
    }
    TBitmap b(5, 3), smaller(3, 3), indexed(5, 3, TPixelFormat::pf8bit);
    EXPECT_THROW(AdjustBrightness(b, 10, smaller), EInvalidGraphicOperation);
    EXPECT_THROW(AdjustBrightness(indexed, 10, b), EInvalidGraphicOperation);
    EXPECT_THROW(AdjustBrightness(b, 10, indexed), EInvalidGraphicOperation);
}

TEST(MessageBoxHelpers, OnlyYesIsYesUnderTheProgramsCaption)
{
    TRecordingMessageBox box;
    TScopedMessageBox scope(&box);
    for (auto answer : {mrYes, mrNo, mrCancel}) box.Answer(answer);
    EXPECT_TRUE(AskYesNo(nullptr, "q1"));
    EXPECT_FALSE(AskYesNo(nullptr, "q2"));
    EXPECT_FALSE(AskYesNo(nullptr, "q3"));
    ShowError(nullptr, "e");
    ShowWarning(nullptr, "w");
    ASSERT_EQ(box.Calls().size(), 5u);
    EXPECT_EQ(box.Calls()[3].Caption, "Quillmark");
    EXPECT_EQ(box.Calls()[3].Kind, box.Calls()[4].Kind); // the error box looks like the warning
    EXPECT_EQ(box.Calls()[4].Kind, TMsgKind::mkWarning);
}

} // namespace
