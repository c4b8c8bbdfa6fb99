// Image windows with the program's own compression engine: a whole automatic run, and windows
// closed or destroyed in the middle of one.
#include <memory>

#include <QMdiArea>
#include <QPointer>
#include <gtest/gtest.h>

#include "app/GuiTestApp.h"
#include "controls/EnhScrollBox.h"
#include "platform/MessageBox.h"
#include "workspace/CompressionWorker.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"

namespace {

class ImageFormEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureGuiInvoker();
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

    static void CompressWhenDue(TImageForm* form)
    {
        ASSERT_TRUE(PumpUntil([&] { return form->AutoCompressDue(); }));
        form->StartCompression();
        ASSERT_TRUE(PumpUntil([&] { return !form->Busy; }));
    }

    TRecordingMessageBox Box;
    TScopedMessageBox UseBox{&Box};
    std::unique_ptr<QMdiArea> Area;
};

TEST_F(ImageFormEngineTest, AutomaticRunShowsTheDecodedResultAndALowerQualityRunsSmaller)
{
    TImageForm* form = NewForm(TestPattern(120, 80));
    CompressWhenDue(form);
    ASSERT_GT(form->ResultSize, 0);
    EXPECT_EQ(form->ResultSize, form->Image->GetJpegDataSize());
    ASSERT_NE(form->Image->Bitmap, nullptr);
    EXPECT_EQ(form->ResImage->ViewBitmap(), form->Image->Bitmap.get());
    QImage shot = form->ResImage->grab().toImage();
    ASSERT_EQ(shot.size(), form->SrcImage->size());
    const TBitmap* src = form->SourceBitmap();
    for (QPoint p : {QPoint(10, 10), QPoint(100, 60)}) {
        const uint8_t* px = src->ScanLine(p.y()) + p.x() * 3;
        QColor got = shot.pixelColor(p);
        EXPECT_NEAR(got.blue(), px[0], 40);
        EXPECT_NEAR(got.green(), px[1], 40);
        EXPECT_NEAR(got.red(), px[2], 40);
    }
    int64_t first = form->ResultSize;
    form->Image->LumQuality = 10;
    form->Image->ChromQuality = 10;
    form->MarkParamsChanged(true);
    CompressWhenDue(form);
    EXPECT_LT(form->ResultSize, first);
}

TEST_F(ImageFormEngineTest, WindowsClosedOrDestroyedDuringARunWaitForTheEngine)
{
    TBitmap big = TestPattern(1600, 1200);
    for (bool close : {true, false}) {
        QPointer<TImageForm> form = NewForm(big);
        form->StartCompression();
        ASSERT_TRUE(form->Busy);
        if (close) {
            EXPECT_TRUE(form->close());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_TRUE(form.isNull());
        } else {
            delete form.data();
        }
    }
    // A run the stop came too late for ends with a result: then the close asked (answered No).
    for (const auto& c : Box.Calls()) EXPECT_EQ(c.Kind, TMsgKind::mkYesNoCancel);
}

} // namespace
