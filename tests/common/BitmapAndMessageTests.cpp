#include <gtest/gtest.h>

#include "common/CommLib.h"
#include "common/StrRes.h"
#include "platform/Bitmap.h"
#include "platform/Exceptions.h"

namespace {

TBitmap RampBitmap(int w, int h)
{
    TBitmap b(w, h, TPixelFormat::pf24bit);
    int v = 0;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < w * 3; ++x) row[x] = uint8_t(v++ % 256);
    }
    return b;
}

TEST(AdjustBrightness, MovesEveryChannelTowardWhiteOrBlackAndClamps)
{
    struct Case
    {
        int amount;
        int in, out;
    } cases[] = {
        {0, 77, 77},       {50, 0, 128},   // 127.5 rounds to even
        {50, 1, 128},      {50, 255, 255}, {-30, 255, 179}, // 255 - 76.5 -> 255 - 76 (ties to even)
        {-30, 100, 70},    {-100, 200, 0}, {100, 3, 255},
        {150, 200, 255},   // beyond 100 %: clamped, not wrapped
        {-150, 100, 0},
    };
    for (const auto& c : cases) {
        TBitmap src(1, 1), dst(1, 1);
        src.ScanLine(0)[0] = src.ScanLine(0)[1] = src.ScanLine(0)[2] = uint8_t(c.in);
        AdjustBrightness(src, c.amount, dst);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(dst.ScanLine(0)[i], c.out) << c.amount << " " << c.in;
    }
}

TEST(AdjustBrightness, WorksInPlaceOnPaddedRowsAndLeavesThePaddingAlone)
{
    TBitmap b = RampBitmap(5, 3); // 15 bytes of pixels in rows of 16
    ASSERT_EQ(b.Stride(), 16u);
    b.ScanLine(1)[15] = 0xAB;
    TBitmap expected = RampBitmap(5, 3);
    TBitmap copyDst(5, 3);
    AdjustBrightness(expected, -30, copyDst);
    uint64_t before = b.Generation();
    AdjustBrightness(b, -30, b);
    EXPECT_NE(b.Generation(), before);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 15; ++x) EXPECT_EQ(b.ScanLine(y)[x], copyDst.ScanLine(y)[x]);
    EXPECT_EQ(b.ScanLine(1)[15], 0xAB);
}

TEST(AdjustBrightness, RefusesOtherFormatsAndSizes)
{
    TBitmap a(4, 4), smaller(3, 4), indexed(4, 4, TPixelFormat::pf8bit);
    EXPECT_THROW(AdjustBrightness(a, 10, smaller), EInvalidGraphicOperation);
    EXPECT_THROW(AdjustBrightness(indexed, 10, a), EInvalidGraphicOperation);
    EXPECT_THROW(AdjustBrightness(a, 10, indexed), EInvalidGraphicOperation);
}

TEST(MessageBoxHelpers, CaptionKindAndAnswer)
{
    TRecordingMessageBox box;
    TScopedMessageBox scope(&box);
    int owner = 0;
    box.Answer(mrYes);
    box.Answer(mrNo);
    box.Answer(mrCancel);
    ShowWarning(&owner, "w");
    ShowError(nullptr, "e");
    EXPECT_TRUE(AskYesNo(nullptr, "q1"));
    EXPECT_FALSE(AskYesNo(nullptr, "q2"));
    EXPECT_FALSE(AskYesNo(nullptr, "q3")); // only Yes counts as yes

    auto calls = box.Calls();
    ASSERT_EQ(calls.size(), 5u);
    for (const auto& c : calls) EXPECT_EQ(c.Caption, "Quillmark");
    EXPECT_EQ(calls[0].Owner, &owner);
    EXPECT_EQ(calls[0].Kind, TMsgKind::mkWarning);
    EXPECT_EQ(calls[1].Kind, TMsgKind::mkWarning); // the error box looks like the warning
    EXPECT_EQ(calls[1].Text, "e");
    EXPECT_EQ(calls[2].Kind, TMsgKind::mkYesNo);
    EXPECT_EQ(box.PendingAnswers(), 0u);
}

} // namespace
