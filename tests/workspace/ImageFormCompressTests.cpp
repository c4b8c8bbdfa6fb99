// Image windows on real files with a compression worker (the stand-in, and the program's own engine):
// automatic compression, the change counter across a run, stopping, closing and destroying busy windows.
#include <QPointer>
#include <fstream>

#include "ImageFormFixture.h"
#include "codec/StageCache.h"
#include "controls/ClipboardBitmap.h"
#include "platform/BmpFile.h"
#include "platform/Exceptions.h"

namespace {

TEST_F(ImageFormTest, FilesAreCompressedAutomaticallyAndTheResultViewShowsDecodedPixels)
{
    const std::string bmp = Dir.filePath("pattern.bmp").toStdString();
    SaveBmpToFile(TestPattern(64, 48), bmp);
    for (const std::string& name : {bmp, std::string(QM_FIXTURES_DIR) + "/formats/color_40x24.jpg"}) {
        TImageForm* form = NewForm();
        form->LoadSourceFromNames({name});
        const TBitmap* src = form->SourceBitmap();
        ASSERT_NE(src, nullptr) << name;
        EXPECT_EQ(form->windowTitle().toStdString(), name + "  [zoom:100%]");
        CompressWhenDue(form);
        ASSERT_GT(form->ResultSize, 0);
        EXPECT_EQ(std::tuple(form->LastRunStopped, form->PendingChanges, form->ResultSize, form->CanSave(),
                             form->AutoCompressDue()),
                  std::tuple(false, 0, form->Image->GetJpegDataSize(), true, false));
        ASSERT_NE(form->Image->Bitmap, nullptr);
        EXPECT_EQ(std::tuple(form->ResImage->ViewBitmap(), form->ResImage->size()),
                  std::tuple(form->Image->Bitmap.get(), QSize(src->Width(), src->Height())));
        const QImage shot = form->ResImage->grab().toImage(); // within 48 of the source
        for (QPoint p : {QPoint(5, 5), QPoint(30, 18)}) {
            const uint8_t* px = src->ScanLine(p.y()) + p.x() * 3;
            const QColor got = shot.pixelColor(p);
            const int off = std::max({std::abs(got.blue() - px[0]), std::abs(got.green() - px[1]),
                                      std::abs(got.red() - px[2])});
            EXPECT_LE(off, 48) << name << " " << p.x() << "," << p.y();
        }
    }
    // Loading activated the windows; changes and progress were reported.
    EXPECT_TRUE(StateChanges[0] >= 2 && StateChanges[1] >= 4);
}

TEST_F(ImageFormTest, DueAfterTheQuietTimeAlsoAcrossTheTickCounterWrap)
{
    ImageWindowPrefs().ComprDelay = 1500;
    TImageForm* form = NewForm(1);
    // The window's clock is set by hand: a change just before the 32-bit tick count wraps, checked at
    // times on both sides of the wrap. A new source or a duplicate (a forced run) does not wait.
    static uint32_t now;
    TImageForm::SetTickSource([] { return now; });
    struct TClockScope
    {
        ~TClockScope() { TImageForm::SetTickSource(nullptr); }
    } restore;
    const std::tuple<uint32_t, uint32_t, bool, bool> cases[] = {
        // change, check, forced, due
        {0xFFFFFF00u, 0xFFFFFF00u, false, false},
        {0xFFFFFF00u, 0x0000047Cu, false, false}, // 1404 ms
        {0xFFFFFF00u, 0x000004E0u, false, true},  // 1504 ms
        {0xFFFFFF00u, 0x00100000u, false, true},
        {0xFFFFFF00u, 0xFFFFFF00u, true, true},
        {1000, 2500, false, false},
        {1000, 2501, false, true}}; // no wrap
    for (auto [change, check, forced, due] : cases) {
        now = change;
        form->MarkParamsChanged(true);
        form->ForceRun = forced;
        now = check;
        EXPECT_EQ(form->AutoCompressDue(), due) << change << " " << check << " " << forced;
    }
    EXPECT_EQ(form->LastChangeTick, 1000u);
}

TEST_F(ImageFormTest, LoadFailuresWarnWithTheLoadersReasonAndCloseTheWindow)
{
    const std::string damaged = Dir.filePath("damaged.bmp").toStdString();
    std::ofstream(damaged) << "BM not really a bitmap";
    const std::function<void(TImageForm*)> loads[] = {
        [&](TImageForm* f) { f->LoadSourceFromNames({damaged}); },
        [](TImageForm* f) { f->LoadSourceFromBitmap(TBitmap(), 3); },
    };
    for (const auto& load : loads) {
        QPointer<TImageForm> form = NewForm();
        load(form);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull());
    }
    auto calls = Box.Calls();
    ASSERT_EQ(calls.size(), 2u);
    const std::string first = "Cannot load an image from  " + damaged + "\n";
    EXPECT_EQ(calls[0].Text.substr(0, first.size()), first);
    EXPECT_GT(calls[0].Text.size(), first.size() + 5); // the loader's own words
    EXPECT_EQ(calls[1].Text, "Cannot load an image from  NoName3\nThe picture is empty");

    // A window whose new source fails to load closes; its pending changes start no run meanwhile.
    QPointer<TImageForm> form = NewForm(1);
    ASSERT_TRUE(form->AutoCompressDue());
    form->LoadSourceFromBitmap(TBitmap(), 2);
    ASSERT_FALSE(form.isNull());
    EXPECT_FALSE(form->AutoCompressDue());
    form->StartCompression();
    EXPECT_FALSE(form->Busy);
}

TEST_F(ImageFormTest, BitmapAndClipboardSourcesAreNumberedAndDescribedAs24Bit)
{
    TImageForm* form = NewForm();
    form->LoadSourceFromBitmap(TBitmap(10, 6, TPixelFormat::pf8bit), 3);
    const TImageFileInfo& info = form->FileInfo;
    EXPECT_EQ(std::tuple(info.FileName, info.BitsPerPixel, info.FormatIndex, info.FileSize,
                         form->SourceBitmap()->PixelFormat()),
              std::tuple("NoName3", 24, 1, 32 * 6, TPixelFormat::pf24bit));

    const TBitmap pattern = TestPattern(30, 20);
    SetClipboardBitmap(pattern);
    TImageForm* pasted = NewForm();
    pasted->LoadSourceFromClipboard(4);
    EXPECT_EQ(std::tuple(pasted->FileInfo.FileName, pasted->FileInfo.Bytes24), std::tuple("NoName4", 30 * 20 * 3));
    ASSERT_NE(pasted->SourceBitmap(), nullptr);
    EXPECT_EQ(std::memcmp(pasted->SourceBitmap()->ScanLine(5), pattern.ScanLine(5), 90), 0);
}

TEST_F(ImageFormTest, ProfileResamplingRunsBeforeTheFirstCompressionOnly)
{
    TImageForm* form = NewForm(1);
    form->Image->ResamplingOptions.Width = 32; // pixels; the height follows the aspect ratio
    ASSERT_TRUE(PumpUntil([&] { return form->AutoCompressDue(); }));
    form->StartCompression();
    EXPECT_EQ(form->ProgressOperation, 2);
    // The resampled picture becomes the source; the compression follows on its own.
    ASSERT_TRUE(PumpUntil([&] { return form->ResultSize > 0 && !form->Busy; }));
    EXPECT_EQ(std::tuple(form->SourceBitmap()->Width(), form->SourceBitmap()->Height(), form->Image->Bitmap->Width()),
              std::tuple(32, 24, 32));
    EXPECT_EQ(std::tuple(form->FileInfo.FileName, form->ProfileResizeDone), std::tuple("NoName1", true));
}

TEST_F(ImageFormTest, AStoppedOrImpossibleResamplingLeavesTheSourceAndWarnsOnlyOfTheFailure)
{
    struct { const char* Case; int Width; bool Stop; size_t Warnings; } const cases[] = {
        {"stopped at once", 1800, true, 0},
        {"a target beyond the pixel limit", 2000000, false, 1},
    };
    const TBitmap big = TestPattern(2400, 1800);
    for (const auto& c : cases) {
        TImageForm* form = NewForm();
        form->LoadSourceFromBitmap(big, 1);
        form->Image->ResamplingOptions.Width = c.Width;
        form->StartCompression();
        if (c.Stop) {
            ASSERT_EQ(form->ProgressOperation, 2) << c.Case;
            form->StopProcessing();
        }
        ASSERT_TRUE(PumpUntil([&] { return !form->Busy; })) << c.Case;
        EXPECT_EQ(std::tuple(form->SourceBitmap()->Width(), form->ResampledBitmap.get(), Box.Calls().size()),
                  std::tuple(2400, nullptr, c.Warnings)) << c.Case;
        if (c.Stop) { // a stop suspends automatic runs; the profile's resampling is due again
            EXPECT_EQ(std::tuple(form->LastRunStopped, form->ProfileResizeDone, form->AutoCompressDue()),
                      std::tuple(true, false, false));
        } else {
            EXPECT_EQ(Box.Calls().back().Text.rfind("There are not enough free resources", 0), 0u);
        }
        delete form;
    }
}

TEST_F(ImageFormTest, AnExplicitResizeHandsItsResultOverAndNeverConvertsTheSourcePicture)
{
    // An 8-bit file: the engine works on 24 bits, the window's picture stays as it was loaded.
    const std::string grey = Dir.filePath("grey.bmp").toStdString();
    TBitmap g(40, 30, TPixelFormat::pf8bit);
    std::vector<TRGBQuad> palette(256);
    for (int i = 0; i < 256; ++i) palette[size_t(i)] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    g.SetPalette(palette);
    SaveBmpToFile(g, grey);
    TImageForm* form = NewForm();
    form->LoadSourceFromNames({grey});
    ASSERT_EQ(form->SourceBitmap()->PixelFormat(), TPixelFormat::pf8bit);
    form->ResizeOptions.Width = 20;
    TImageForm* handedTo = nullptr;
    form->StartResampling(true, [&](TImageForm* f) { handedTo = f; });
    ASSERT_TRUE(PumpUntil([&] { return !form->Busy; }));
    EXPECT_EQ(handedTo, form);
    ASSERT_NE(form->ResampledBitmap, nullptr);
    const TBitmap* source = form->SourceBitmap();
    EXPECT_EQ(std::tuple(form->ResampledBitmap->Width(), source->PixelFormat(), source->Width()),
              std::tuple(20, TPixelFormat::pf8bit, 40));
}

TEST_F(ImageFormTest, TheViewKeepsThePreviousResultWhileARunDecodesItsOwnAndChangesMeanwhileCauseOneMoreRun)
{
    TImageForm* form = NewForm(1);
    CompressWhenDue(form);
    const TBitmap* first = form->ResImage->ViewBitmap();
    ASSERT_NE(first, nullptr);
    form->Image->LumQuality = 90;
    form->MarkParamsChanged(true);
    StartHeldRun(form);
    // The run's fields are the worker's now: the image's asserts would stop the main thread.
    EXPECT_TRUE(form->Image->RunInProgress() && !form->Image->MayUseRunFields());
    // The image gave its bitmap up to the view: the worker cannot decode into what is painted.
    EXPECT_EQ(std::tuple(form->ResImage->ViewBitmap(), form->Image->Bitmap.get(), form->HasResult()),
              std::tuple(first, nullptr, true));
    // Two changes during the run cause one more run.
    form->MarkParamsChanged(true);
    form->MarkParamsChanged(true);
    EXPECT_FALSE(form->AutoCompressDue()); // busy
    ReleaseRun(form);
    ASSERT_NE(form->Image->Bitmap, nullptr);
    EXPECT_EQ(form->ResImage->ViewBitmap(), form->Image->Bitmap.get());
    EXPECT_EQ(std::tuple(form->PendingChanges, form->ForceRun), std::tuple(2, false));
    CompressWhenDue(form);
    EXPECT_EQ(std::tuple(form->PendingChanges, form->AutoCompressDue()), std::tuple(0, false));
}

TEST_F(ImageFormTest, ANewSourceReplacesWhatTheViewsShowAndTheEncodersCache)
{
    TImageForm* form = NewForm(1);
    CompressWhenDue(form);
    EXPECT_FALSE(form->Image->StageCache().Empty());
    // The result view shows the source; the source is then replaced (as after a resampling).
    form->ShowSourceAsResult(true);
    form->LoadSourceFromBitmap(TestPattern(32, 40), -1);
    EXPECT_EQ(std::tuple(form->FileInfo.FileName, form->SrcImage->ViewBitmap(), form->ResImage->ViewBitmap()),
              std::tuple("NoName1", form->SourceBitmap(), form->SourceBitmap()));
    EXPECT_TRUE(form->ResImage->grab().toImage().pixelColor(4, 4).isValid()); // paints the new picture
    // The next run works on the new picture: the stages kept for the old one are dropped.
    StartHeldRun(form);
    EXPECT_TRUE(form->Image->StageCache().Empty());
    ReleaseRun(form);
}

TEST_F(ImageFormTest, StopKeepsThePreviousResultSuspendsAutomaticRunsAndNeedsNoSaveQuestion)
{
    TImageForm* form = NewForm(1);
    CompressWhenDue(form);
    int64_t firstSize = form->ResultSize;
    const TBitmap* firstBitmap = form->Image->Bitmap.get();

    form->Image->LumQuality = 95;
    form->MarkParamsChanged(true);
    StartHeldRun(form);
    form->StopProcessing();
    ASSERT_TRUE(PumpUntil([&] { return !form->Busy; }));

    EXPECT_EQ(std::tuple(form->LastRunStopped, form->PendingChanges, form->ResultSize, form->AutoCompressDue()),
              std::tuple(true, 1, firstSize, false));
    EXPECT_EQ(std::tuple(form->Image->Bitmap.get(), form->ResImage->ViewBitmap()),
              std::tuple(firstBitmap, firstBitmap));
    EXPECT_TRUE(form->close()); // a stopped run's window closes without asking to save
    EXPECT_TRUE(Box.Calls().empty());
}

TEST_F(ImageFormTest, ClosingABusyWindowWaitsThenAsks)
{
    QPointer<TImageForm> form = NewForm(7);
    CompressWhenDue(form);
    form->MarkParamsChanged(true);
    StartHeldRun(form);
    Box.Answer(mrCancel);
    EXPECT_FALSE(form->close());
    EXPECT_FALSE(form->Busy);
    ASSERT_EQ(Box.Calls().size(), 1u);
    EXPECT_EQ(Box.Calls()[0].Text, "Current compression settings have been applied\r\nto the source image (NoName7)"
                                   "\r\n\r\nSave the result image ?");
    Box.Answer(mrNo);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(StateChanges[2], 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
}

// The worker is held before it compresses and the gate is never opened: it can only have ended by
// the stop the window's destruction sent, and it had ended before the window's image was freed.
TEST_F(ImageFormTest, DestroyingABusyWindowStopsAndWaitsForItsWorker)
{
    TImageForm* form = NewForm(1);
    StartHeldRun(form);
    ASSERT_TRUE(PumpUntil([] { return TTestCompressionEngine::Running == 1; }));
    delete form;
    EXPECT_EQ(std::tuple(TTestCompressionEngine::Running.load(), TTestCompressionEngine::GateOpen.load()),
              std::tuple(0, false));
}

TEST_F(ImageFormTest, AStartThatFailsWarnsOnce)
{
    SetCompressionWorkerFactory([](TJPEGImage*, TEngineProgressEvent, TEngineProgressEvent) -> TCompressionWorker {
        throw EOutOfResources("Out of system resources");
    });
    TImageForm* form = NewForm(1);
    ASSERT_TRUE(form->AutoCompressDue());
    form->StartCompression();
    EXPECT_FALSE(form->Busy);
    // The failure is not repeated at every tick of the timer.
    EXPECT_FALSE(form->AutoCompressDue());
    ASSERT_EQ(Box.Calls().size(), 1u);
    EXPECT_EQ(Box.Calls()[0].Text,
              "There are not enough free resources in the system to proceed the current operation. ");
}

// ---- the program's own engine ----

class ImageFormEngineTest : public ImageFormTest
{
protected:
    void SetUp() override
    {
        ImageFormTest::SetUp();
        SetCompressionWorkerFactory(nullptr);
    }
};

// The engine uses the window's image until it ends: a worker outliving a closed or destroyed window
// would read freed memory, which the sanitizer build reports.
TEST_F(ImageFormEngineTest, AWindowClosedOrDestroyedDuringARunWaitsForTheEngine)
{
    const TBitmap big = TestPattern(1600, 1200);
    for (bool close : {true, false}) {
        QPointer<TImageForm> form = NewForm();
        form->LoadSourceFromBitmap(big, 1);
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
