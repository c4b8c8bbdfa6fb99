// Image windows on real files with a compression worker: automatic compression, the change counter
// across a run, stopping, closing and destroying busy windows.
#include <filesystem>
#include <memory>

#include <unistd.h>

#include <QMdiArea>
#include <QPointer>
#include <gtest/gtest.h>

#include "GuiTestApp.h"
#include "app/ClipboardBitmap.h"
#include "codec/StageCache.h"
#include "TestCompressionEngine.h"
#include "controls/EnhScrollBox.h"
#include "platform/BmpFile.h"
#include "platform/Exceptions.h"
#include "platform/MessageBox.h"
#include "platform/TickCount.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"

namespace {

// Left half red, right half blue.
TBitmap TwoColourBitmap(int w, int h)
{
    TBitmap bmp(w, h, TPixelFormat::pf24bit);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bmp.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            bool left = x < w / 2;
            row[x * 3 + 0] = left ? 0 : 255;
            row[x * 3 + 1] = 0;
            row[x * 3 + 2] = left ? 255 : 0;
        }
    }
    bmp.Modified();
    return bmp;
}

class ImageFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureGuiTestApp();
        TTestCompressionEngine::Install();
        TTestCompressionEngine::GateOpen = true;
        ImageWindowPrefs() = TImageWindowPrefs();
        ImageWindowPrefs().ComprDelay = 0;
        Area = std::make_unique<QMdiArea>();
        Area->resize(1000, 700);
        Area->show();
        Dir = std::filesystem::temp_directory_path() / ("qm_gui_" + std::to_string(::getpid()));
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override
    {
        TTestCompressionEngine::GateOpen = true;
        Area.reset();
        ASSERT_TRUE(WaitUntil([] { return TTestCompressionEngine::Running == 0; }));
        std::filesystem::remove_all(Dir);
    }

    TImageForm* NewForm()
    {
        auto* form = new TImageForm(nullptr, [this](TImageForm*, uint8_t kind) { ++StateChanges[kind]; });
        Area->addSubWindow(form);
        form->resize(900, 600);
        form->show();
        return form;
    }

    // What the host's timer does: start the run once it is due; then wait for its end.
    static void CompressWhenDue(TImageForm* form)
    {
        ASSERT_TRUE(WaitUntil([&] { return form->AutoCompressDue(); }));
        form->StartCompression();
        ASSERT_TRUE(form->Busy);
        ASSERT_TRUE(WaitUntil([&] { return !form->Busy; }));
    }

    static QColor ResultPixel(TImageForm* form, int x, int y)
    {
        QImage shot = form->ResImage->grab().toImage();
        return shot.pixelColor(x, y);
    }

    std::string WriteBmp(const TBitmap& bmp)
    {
        std::string name = (Dir / "two.bmp").string();
        SaveBmpToFile(bmp, name);
        return name;
    }

    std::unique_ptr<QMdiArea> Area;
    std::filesystem::path Dir;
    int StateChanges[3] = {0, 0, 0};
};

TEST_F(ImageFormTest, BmpFileIsCompressedAutomaticallyAndTheResultViewShowsDecodedPixels)
{
    TImageForm* form = NewForm();
    form->LoadSourceFromNames({WriteBmp(TwoColourBitmap(64, 48))});
    EXPECT_EQ(form->Zoom, 100);
    EXPECT_EQ(form->FileInfo.Width, 64);
    EXPECT_FALSE(form->HasFileName);
    EXPECT_EQ(form->windowTitle().toStdString(), form->FileInfo.FileName + "  [zoom:100%]");
    CompressWhenDue(form);

    EXPECT_FALSE(form->LastRunStopped);
    EXPECT_EQ(form->PendingChanges, 0);
    ASSERT_GT(form->ResultSize, 0);
    EXPECT_EQ(form->ResultSize, form->Image->GetJpegDataSize());
    EXPECT_FALSE(form->Saved);
    EXPECT_TRUE(form->CanSave());
    ASSERT_NE(form->Image->Bitmap, nullptr);
    EXPECT_EQ(form->ResImage->ViewBitmap(), form->Image->Bitmap.get());
    EXPECT_EQ(form->ResImage->size(), QSize(64, 48));
    EXPECT_EQ(form->SrcImage->size(), QSize(64, 48));

    QColor left = ResultPixel(form, 8, 24), right = ResultPixel(form, 56, 24);
    EXPECT_GT(left.red(), 200);
    EXPECT_LT(left.blue(), 60);
    EXPECT_GT(right.blue(), 200);
    EXPECT_LT(right.red(), 60);
    EXPECT_FALSE(form->AutoCompressDue());
    // Loading activated the window; changes and progress were reported.
    EXPECT_GE(StateChanges[0], 1);
    EXPECT_GE(StateChanges[1], 2);
}

TEST_F(ImageFormTest, DueAfterTheQuietTimeAlsoAcrossTheTickCounterWrap)
{
    ImageWindowPrefs().ComprDelay = 1500;
    TImageForm* form = NewForm();
    form->LoadSourceFromBitmap(TwoColourBitmap(16, 16), 1);
    form->ForceRun = false;
    struct TCase
    {
        uint32_t ago; // milliseconds since the last change
        bool due;
    } cases[] = {{0, false}, {1400, false}, {1600, true}, {100000, true}};
    for (const TCase& c : cases) {
        // The change tick lies on the other side of a counter wrap when now - ago wraps; the
        // difference is what counts.
        form->LastChangeTick = GetTickCount() - c.ago;
        EXPECT_EQ(form->AutoCompressDue(), c.due) << c.ago;
    }
    form->LastChangeTick = GetTickCount();
    form->ForceRun = true;
    EXPECT_TRUE(form->AutoCompressDue());
    form->LastRunStopped = true;
    form->ForceRun = false;
    form->LastChangeTick = GetTickCount() - 5000;
    EXPECT_FALSE(form->AutoCompressDue());
    form->PendingChanges = 0;
    form->LastRunStopped = false;
    EXPECT_FALSE(form->AutoCompressDue());
}

TEST(ComprPriority, MapsToNiceValuesAndOtherValuesRunNormally)
{
    EXPECT_GT(ComprPriorityNice(0), ComprPriorityNice(1));
    EXPECT_GT(ComprPriorityNice(1), 0);
    EXPECT_EQ(ComprPriorityNice(2), 0);
    EXPECT_LT(ComprPriorityNice(3), 0);
    EXPECT_LT(ComprPriorityNice(4), ComprPriorityNice(3));
    EXPECT_EQ(ComprPriorityNice(7), 0);
    EXPECT_EQ(ComprPriorityNice(-1), 0);
}

TEST_F(ImageFormTest, JpegFileIsDecodedAndCompressed)
{
    TImageForm* form = NewForm();
    form->LoadSourceFromNames({std::string(QM_FIXTURES_DIR) + "/formats/color_40x24.jpg"});
    const TBitmap* src = form->SourceBitmap();
    ASSERT_NE(src, nullptr);
    ASSERT_EQ(src->Width(), 40);
    CompressWhenDue(form);
    ASSERT_GT(form->ResultSize, 0);
    ASSERT_NE(form->Image->Bitmap, nullptr);
    EXPECT_EQ(form->Image->Bitmap->Width(), 40);
    EXPECT_EQ(form->Image->Bitmap->Height(), 24);
    // The result view shows the decoded result, close to the source.
    for (QPoint p : {QPoint(5, 5), QPoint(30, 18)}) {
        QColor got = ResultPixel(form, p.x(), p.y());
        const uint8_t* px = src->ScanLine(p.y()) + p.x() * 3;
        EXPECT_NEAR(got.blue(), px[0], 48);
        EXPECT_NEAR(got.green(), px[1], 48);
        EXPECT_NEAR(got.red(), px[2], 48);
    }
}

TEST_F(ImageFormTest, LoadFailuresWarnAndCloseTheWindow)
{
    TRecordingMessageBox box;
    TScopedMessageBox scoped(&box);
    struct TCase
    {
        const char* what;
        std::function<void(TImageForm*)> load;
    } cases[] = {
        {"missing file", [this](TImageForm* f) { f->LoadSourceFromNames({(Dir / "none.bmp").string()}); }},
        {"empty bitmap", [](TImageForm* f) { f->LoadSourceFromBitmap(TBitmap(), 3); }},
    };
    for (const TCase& c : cases) {
        QPointer<TImageForm> form = NewForm();
        c.load(form);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull()) << c.what;
    }
    auto calls = box.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].Text.rfind("Cannot load an image from  ", 0), 0u);
    EXPECT_EQ(calls[1].Text, "Cannot load an image from  NoName3");

    // A window whose new source fails to load closes; its pending changes start no run meanwhile.
    QPointer<TImageForm> form = NewForm();
    form->LoadSourceFromBitmap(TwoColourBitmap(16, 16), 1);
    ASSERT_TRUE(form->AutoCompressDue());
    form->LoadSourceFromBitmap(TBitmap(), 2);
    ASSERT_FALSE(form.isNull());
    EXPECT_FALSE(form->AutoCompressDue());
    form->StartCompression();
    EXPECT_FALSE(form->Busy);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
}

TEST_F(ImageFormTest, BitmapSourceIsNamedAndDescribed)
{
    TImageForm* form = NewForm();
    TBitmap bmp(10, 6, TPixelFormat::pf8bit);
    form->LoadSourceFromBitmap(bmp, 3);
    EXPECT_EQ(form->FileInfo.FileName, "NoName3");
    EXPECT_EQ(form->FileInfo.BitsPerPixel, 24);
    EXPECT_EQ(form->FileInfo.FormatIndex, 1);
    EXPECT_GT(form->FileInfo.Created, 0);
    EXPECT_EQ(form->FileInfo.Created, form->FileInfo.Modified);
    EXPECT_EQ(form->FileInfo.FileSize, 32 * 6);
    EXPECT_EQ(form->SourceBitmap()->PixelFormat(), TPixelFormat::pf24bit);
}

TEST_F(ImageFormTest, ClipboardPasteIsNumberedAndDescribed)
{
    SetClipboardBitmap(TwoColourBitmap(30, 20));
    ASSERT_TRUE(ClipboardHasBitmap());
    TImageForm* form = NewForm();
    form->LoadSourceFromClipboard(3);
    EXPECT_EQ(form->FileInfo.FileName, "NoName3");
    EXPECT_EQ(form->FileInfo.Width, 30);
    EXPECT_EQ(form->FileInfo.BitsPerPixel, 24);
    EXPECT_EQ(form->FileInfo.FormatIndex, 1);
    EXPECT_EQ(form->FileInfo.Bytes24, 30 * 20 * 3);
    ASSERT_NE(form->SourceBitmap(), nullptr);
    EXPECT_EQ(form->SourceBitmap()->ScanLine(5)[2], 255); // red on the left
}

TEST_F(ImageFormTest, ProfileResamplingRunsBeforeTheFirstCompressionOnly)
{
    TImageForm* form = NewForm();
    form->LoadSourceFromBitmap(TwoColourBitmap(64, 48), 1);
    form->Image->ResamplingOptions.Width = 32; // pixels; the height follows the aspect ratio
    ASSERT_TRUE(WaitUntil([&] { return form->AutoCompressDue(); }));
    form->StartCompression();
    EXPECT_EQ(form->ProgressOperation, 2);
    // The resampled picture becomes the source; the compression follows on its own.
    ASSERT_TRUE(WaitUntil([&] { return form->ResultSize > 0 && !form->Busy; }));
    EXPECT_EQ(form->SourceBitmap()->Width(), 32);
    EXPECT_EQ(form->SourceBitmap()->Height(), 24);
    EXPECT_EQ(form->Image->Bitmap->Width(), 32);
    EXPECT_EQ(form->FileInfo.FileName, "NoName1");
    EXPECT_TRUE(form->ProfileResizeDone);
    EXPECT_EQ(form->ResultBitmap(), form->Image->Bitmap.get());
    // A resampling that is a no-op compresses at once.
    TImageForm* other = NewForm();
    other->LoadSourceFromBitmap(TwoColourBitmap(64, 48), 2);
    other->Image->ResamplingOptions.Width = 64;
    ASSERT_TRUE(WaitUntil([&] { return other->AutoCompressDue(); }));
    other->StartCompression();
    EXPECT_EQ(other->ProgressOperation, 0);
    ASSERT_TRUE(WaitUntil([&] { return !other->Busy; }));
    EXPECT_EQ(other->SourceBitmap()->Width(), 64);
}

TEST_F(ImageFormTest, TwoChangesDuringARunCauseOneMoreRun)
{
    TImageForm* form = NewForm();
    form->LoadSourceFromBitmap(TwoColourBitmap(64, 48), 1);
    TTestCompressionEngine::GateOpen = false;
    ASSERT_TRUE(WaitUntil([&] { return form->AutoCompressDue(); }));
    form->StartCompression();
    form->MarkParamsChanged(true);
    form->MarkParamsChanged(true);
    EXPECT_FALSE(form->AutoCompressDue()); // busy
    TTestCompressionEngine::GateOpen = true;
    ASSERT_TRUE(WaitUntil([&] { return !form->Busy; }));
    EXPECT_EQ(form->PendingChanges, 2);
    EXPECT_FALSE(form->ForceRun);
    CompressWhenDue(form);
    EXPECT_EQ(form->PendingChanges, 0);
    EXPECT_FALSE(form->AutoCompressDue());
}

TEST_F(ImageFormTest, TheViewKeepsThePreviousResultWhileARunDecodesItsOwn)
{
    TImageForm* form = NewForm();
    form->LoadSourceFromBitmap(TwoColourBitmap(64, 48), 1);
    CompressWhenDue(form);
    const TBitmap* first = form->ResImage->ViewBitmap();
    ASSERT_NE(first, nullptr);
    TTestCompressionEngine::GateOpen = false;
    form->Image->LumQuality = 90;
    form->MarkParamsChanged(true);
    ASSERT_TRUE(WaitUntil([&] { return form->AutoCompressDue(); }));
    form->StartCompression();
    // The image gave its bitmap up to the view: the worker cannot decode into what is painted.
    EXPECT_EQ(form->ResImage->ViewBitmap(), first);
    EXPECT_EQ(form->Image->Bitmap, nullptr);
    EXPECT_TRUE(form->HasResult());
    TTestCompressionEngine::GateOpen = true;
    ASSERT_TRUE(WaitUntil([&] { return !form->Busy; }));
    ASSERT_NE(form->Image->Bitmap, nullptr);
    EXPECT_EQ(form->ResImage->ViewBitmap(), form->Image->Bitmap.get());
}

TEST_F(ImageFormTest, ANewSourceReplacesWhatTheViewsShowAndTheEncodersCache)
{
    TImageForm* form = NewForm();
    form->LoadSourceFromBitmap(TwoColourBitmap(64, 48), 1);
    CompressWhenDue(form);
    EXPECT_FALSE(form->Image->StageCache().Empty());
    // The result view shows the source; the source is then replaced (as after a resampling).
    form->ShowSourceAsResult(true);
    form->LoadSourceFromBitmap(TwoColourBitmap(32, 40), -1);
    EXPECT_EQ(form->FileInfo.FileName, "NoName1");
    EXPECT_EQ(form->SrcImage->ViewBitmap(), form->SourceBitmap());
    EXPECT_EQ(form->ResImage->ViewBitmap(), form->SourceBitmap());
    EXPECT_TRUE(ResultPixel(form, 4, 4).isValid()); // paints the new picture, not the freed one
    // The next run works on the new picture: the stages kept for the old one are dropped.
    TTestCompressionEngine::GateOpen = false;
    ASSERT_TRUE(WaitUntil([&] { return form->AutoCompressDue(); }));
    form->StartCompression();
    EXPECT_TRUE(form->Image->StageCache().Empty());
    TTestCompressionEngine::GateOpen = true;
    ASSERT_TRUE(WaitUntil([&] { return !form->Busy; }));
}

TEST_F(ImageFormTest, StopKeepsThePreviousResultAndSuspendsAutomaticRuns)
{
    TRecordingMessageBox box;
    TScopedMessageBox scoped(&box);
    TImageForm* form = NewForm();
    form->LoadSourceFromBitmap(TwoColourBitmap(64, 48), 1);
    CompressWhenDue(form);
    int64_t firstSize = form->ResultSize;
    const TBitmap* firstBitmap = form->Image->Bitmap.get();

    TTestCompressionEngine::GateOpen = false;
    form->Image->LumQuality = 95;
    form->MarkParamsChanged(true);
    ASSERT_TRUE(WaitUntil([&] { return form->AutoCompressDue(); }));
    form->StartCompression();
    form->StopProcessing();
    ASSERT_TRUE(WaitUntil([&] { return !form->Busy; }));

    EXPECT_TRUE(form->LastRunStopped);
    EXPECT_EQ(form->PendingChanges, 1);
    EXPECT_EQ(form->ResultSize, firstSize);
    EXPECT_EQ(form->Image->Bitmap.get(), firstBitmap);
    EXPECT_EQ(form->ResImage->ViewBitmap(), firstBitmap);
    EXPECT_TRUE(box.Calls().empty());
    EXPECT_FALSE(form->AutoCompressDue());
    form->MarkParamsChanged(true);
    EXPECT_FALSE(form->LastRunStopped);
    TTestCompressionEngine::GateOpen = true;
    CompressWhenDue(form);
    EXPECT_NE(form->ResultSize, firstSize);
}

TEST_F(ImageFormTest, ClosingABusyWindowWaitsThenAsks)
{
    TRecordingMessageBox box;
    TScopedMessageBox scoped(&box);
    QPointer<TImageForm> form = NewForm();
    form->LoadSourceFromBitmap(TwoColourBitmap(64, 48), 7);
    CompressWhenDue(form);

    TTestCompressionEngine::GateOpen = false;
    form->MarkParamsChanged(true);
    ASSERT_TRUE(WaitUntil([&] { return form->AutoCompressDue(); }));
    form->StartCompression();
    box.Answer(mrCancel);
    EXPECT_FALSE(form->close());
    EXPECT_FALSE(form->Busy);
    ASSERT_EQ(box.Calls().size(), 1u);
    EXPECT_EQ(box.Calls()[0].Kind, TMsgKind::mkYesNoCancel);
    EXPECT_EQ(box.Calls()[0].Text, "Current compression settings have been applied\r\nto the source image (NoName7)"
                                   "\r\n\r\nSave the result image ?");

    box.Answer(mrNo);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(StateChanges[2], 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
}

TEST_F(ImageFormTest, ClosingAfterAStoppedRunDoesNotAsk)
{
    TRecordingMessageBox box;
    TScopedMessageBox scoped(&box);
    QPointer<TImageForm> form = NewForm();
    form->LoadSourceFromBitmap(TwoColourBitmap(64, 48), 1);
    CompressWhenDue(form);
    TTestCompressionEngine::GateOpen = false;
    form->MarkParamsChanged(true);
    ASSERT_TRUE(WaitUntil([&] { return form->AutoCompressDue(); }));
    form->StartCompression();
    form->StopProcessing();
    ASSERT_TRUE(WaitUntil([&] { return !form->Busy; }));
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(box.Calls().empty());
}

TEST_F(ImageFormTest, DestroyingABusyWindowStopsAndWaitsForItsWorker)
{
    TImageForm* form = NewForm();
    form->LoadSourceFromBitmap(TwoColourBitmap(64, 48), 1);
    TTestCompressionEngine::GateOpen = false;
    ASSERT_TRUE(WaitUntil([&] { return form->AutoCompressDue(); }));
    form->StartCompression();
    ASSERT_TRUE(WaitUntil([] { return TTestCompressionEngine::Running == 1; }));
    delete form;
    // The worker has ended before the window's image was freed.
    EXPECT_EQ(TTestCompressionEngine::Running, 0);
}

TEST_F(ImageFormTest, AStartThatFailsWarnsOnce)
{
    TRecordingMessageBox box;
    TScopedMessageBox scoped(&box);
    SetCompressionWorkerFactory([](TJPEGImage*, TEngineProgressEvent, TEngineProgressEvent) -> TCompressionWorker {
        throw EOutOfResources("Out of system resources");
    });
    TImageForm* form = NewForm();
    form->LoadSourceFromBitmap(TwoColourBitmap(16, 16), 1);
    ASSERT_TRUE(form->AutoCompressDue());
    form->StartCompression();
    EXPECT_FALSE(form->Busy);
    // The failure is not repeated at every tick of the timer.
    EXPECT_FALSE(form->AutoCompressDue());
    ASSERT_EQ(box.Calls().size(), 1u);
    EXPECT_EQ(box.Calls()[0].Text,
              "There are not enough free resources in the system to proceed the current operation. ");
}

TEST_F(ImageFormTest, DuplicateCopiesPictureSettingsAndAreas)
{
    TImageForm* a = NewForm();
    a->LoadSourceFromBitmap(TwoColourBitmap(64, 48), 1);
    a->Image->LumQuality = 77;
    a->SetTool(2);
    a->ImageMouseDown(a->SrcImage, Qt::LeftButton, 10, 10);
    a->ImageMouseMove(a->SrcImage, Qt::LeftButton, 30, 30);
    a->ImageMouseUp(a->SrcImage, Qt::LeftButton, 30, 30);
    ASSERT_EQ(a->SelectionCount(), 1);
    TImageForm* b = NewForm();
    b->LoadSourceFromWindow(a, 2);
    EXPECT_EQ(b->FileInfo.FileName, "NoName1");
    EXPECT_EQ(b->Image->LumQuality, 77);
    EXPECT_EQ(b->SelectionCount(), 1);
    ASSERT_NE(b->SourceBitmap(), nullptr);
    EXPECT_NE(b->SourceBitmap(), a->SourceBitmap());
    EXPECT_TRUE(b->ForceRun);
    EXPECT_EQ(b->Zoom, a->Zoom);
}

} // namespace
