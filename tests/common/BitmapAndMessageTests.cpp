#include <gtest/gtest.h>

#include <cstring>

#include "common/CommLib.h"
#include "common/StrRes.h"
#include "platform/Bitmap.h"
#include "platform/Exceptions.h"

namespace {

TBitmap RampBitmap(int w, int h)
{
    TBitmap b(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; ++x) b.ScanLine(y)[x] = uint8_t(y * w * 3 + x);
    return b;
}

TEST(AdjustBrightness, MovesEveryChannelTowardWhiteOrBlackAndClamps)
{
    // amount, in, out: 127.5 and 255 - 76.5 round to even; beyond 100 % clamps, never wraps
    const int cases[][3] = {{0, 77, 77},    {50, 0, 128},   {50, 1, 128},  {50, 255, 255},  {-30, 255, 179},
                            {-30, 100, 70}, {-100, 200, 0}, {100, 3, 255}, {150, 200, 255}, {-150, 100, 0}};
    for (const auto& c : cases) {
        TBitmap src(1, 1), dst(1, 1);
        std::memset(src.ScanLine(0), c[1], 3);
        AdjustBrightness(src, c[0], dst);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(dst.ScanLine(0)[i], c[2]) << c[0] << " " << c[1];
    }
}

TEST(AdjustBrightness, WorksInPlaceLeavingRowPaddingAloneAndRefusesOtherFormatsAndSizes)
{
    TBitmap b = RampBitmap(5, 3), copy(5, 3); // 15 bytes of pixels in rows of 16
    ASSERT_EQ(b.Stride(), 16u);
    AdjustBrightness(b, -30, copy);
    b.ScanLine(1)[15] = 0xAB;
    uint64_t before = b.Generation();
    AdjustBrightness(b, -30, b);
    EXPECT_NE(b.Generation(), before);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(0, std::memcmp(b.ScanLine(y), copy.ScanLine(y), 15)) << y;
    EXPECT_EQ(b.ScanLine(1)[15], 0xAB);

    TBitmap smaller(3, 3), indexed(5, 3, TPixelFormat::pf8bit);
    EXPECT_THROW(AdjustBrightness(b, 10, smaller), EInvalidGraphicOperation);
    EXPECT_THROW(AdjustBrightness(indexed, 10, b), EInvalidGraphicOperation);
    EXPECT_THROW(AdjustBrightness(b, 10, indexed), EInvalidGraphicOperation);
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
