// Image windows with the program's own compression engine: a whole automatic run, and windows
// closed or destroyed in the middle of one.
#include <memory>

#include <QMdiArea>
#include <QPointer>
#include <gtest/gtest.h>

#include "GuiTestApp.h"
#include "controls/EnhScrollBox.h"
#include "platform/MessageBox.h"
#include "workspace/CompressionWorker.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"

namespace {

// Smooth gradients with some texture, like a photo.
TBitmap Photo(int w, int h)
{
    TBitmap bmp(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            row[x * 3 + 0] = uint8_t(x * 255 / w);
            row[x * 3 + 1] = uint8_t(y * 255 / h);
            row[x * 3 + 2] = uint8_t(128 + ((x / 7 + y / 5) % 2) * 40);
        }
    }
    bmp.Modified();
    return bmp;
}

class ImageFormEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureGuiTestApp();
        SetCompressionWorkerFactory(nullptr);
        ImageWindowPrefs() = TImageWindowPrefs();
        ImageWindowPrefs().ComprDelay = 0;
        Area = std::make_unique<QMdiArea>();
        Area->resize(1000, 700);
        Area->show();
    }
    void TearDown() override { Area.reset(); }

    TImageForm* NewForm(const TBitmap& bmp)
    {
        auto* form = new TImageForm(nullptr, nullptr);
        Area->addSubWindow(form);
        form->resize(900, 600);
        form->show();
        form->LoadSourceFromBitmap(bmp, 1);
        return form;
    }

    std::unique_ptr<QMdiArea> Area;
};

TEST_F(ImageFormEngineTest, AutomaticRunShowsTheDecodedResult)
{
    TImageForm* form = NewForm(Photo(120, 80));
    ASSERT_TRUE(WaitUntil([&] { return form->AutoCompressDue(); }));
    form->StartCompression();
    ASSERT_TRUE(WaitUntil([&] { return !form->Busy; }));
    ASSERT_GT(form->ResultSize, 0);
    EXPECT_EQ(form->ResultSize, form->Image->GetJpegDataSize());
    ASSERT_NE(form->Image->Bitmap, nullptr);
    EXPECT_EQ(form->ResImage->ViewBitmap(), form->Image->Bitmap.get());
    QImage shot = form->ResImage->grab().toImage();
    ASSERT_EQ(shot.size(), form->SrcImage->size());
    // Compare a few pixels with the source (the view is at 100 %).
    const TBitmap* src = form->SourceBitmap();
    for (QPoint p : {QPoint(10, 10), QPoint(100, 60)}) {
        const uint8_t* px = src->ScanLine(p.y()) + p.x() * 3;
        QColor got = shot.pixelColor(p);
        EXPECT_NEAR(got.blue(), px[0], 40);
        EXPECT_NEAR(got.green(), px[1], 40);
        EXPECT_NEAR(got.red(), px[2], 40);
    }
    // A quality change makes another, smaller run.
    int64_t first = form->ResultSize;
    form->Image->LumQuality = 10;
    form->Image->ChromQuality = 10;
    form->MarkParamsChanged(true);
    ASSERT_TRUE(WaitUntil([&] { return form->AutoCompressDue(); }));
    form->StartCompression();
    ASSERT_TRUE(WaitUntil([&] { return !form->Busy; }));
    EXPECT_LT(form->ResultSize, first);
}

TEST_F(ImageFormEngineTest, WindowsClosedOrDestroyedDuringARunWaitForTheEngine)
{
    TRecordingMessageBox box;
    TScopedMessageBox scoped(&box);
    TBitmap big = Photo(1600, 1200);
    for (int round = 0; round < 2; ++round) {
        QPointer<TImageForm> form = NewForm(big);
        form->StartCompression();
        ASSERT_TRUE(form->Busy);
        if (round == 0) {
            EXPECT_TRUE(form->close());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(form.isNull());
        } else {
            delete form.data();
        }
    }
    // A run the stop came too late for ends with a result: then the close asked (answered No).
    for (const auto& c : box.Calls()) EXPECT_EQ(c.Kind, TMsgKind::mkYesNoCancel);
}

} // namespace
