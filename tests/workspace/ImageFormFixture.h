#pragma once
// What the image-window tests share: a stand-in for the compression engine, and windows in an MDI
// area with the helpers that run them.
//
// The stand-in compresses the image and decodes the result like the program's engine, reports
// through synchronised calls, and can be held at a gate before it compresses, where a stop request
// is honoured (the run then counts as cancelled).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include <QMdiArea>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/GuiTestApp.h"
#include "codec/JPEGImage.h"
#include "controls/EnhScrollBox.h"
#include "platform/MessageBox.h"
#include "platform/WorkerThread.h"
#include "workspace/CompressionWorker.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"

class TTestCompressionEngine : public TWorkerThread
{
public:
    static inline std::atomic<bool> GateOpen{true};
    static inline std::atomic<int> Running{0};

    // Marks the run as the program's engine does, so that the image's asserts see the main thread
    // use a field the worker owns while the run is on.
    TTestCompressionEngine(TJPEGImage* image, TEngineProgressEvent onProgress)
        : FImage(image), FOnProgress(std::move(onProgress))
    {
        FreeOnTerminate = true;
        FImage->BeginRun();
    }
    ~TTestCompressionEngine() override
    {
        if (!Started()) FImage->EndRun();
    }
    std::atomic<bool> Cancelled{false};

    static void Install()
    {
        SetCompressionWorkerFactory([](TJPEGImage* image, TEngineProgressEvent p, TEngineProgressEvent) {
            auto* e = new TTestCompressionEngine(image, std::move(p));
            return TCompressionWorker{e, [e] { return e->Cancelled.load(); }};
        });
    }

protected:
    void Execute() override
    {
        FImage->ClaimRun();
        ++Running;
        struct TDone { ~TDone() { --Running; } } done;
        while (!GateOpen.load() && !Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (Terminated()) {
            Cancelled = true;
            return;
        }
        Synchronize([this] { FOnProgress(this, 0, 50); });
        FImage->CompressImage();
        if (Terminated()) return;
        FImage->EnsureBitmap();
        Synchronize([this] { FOnProgress(this, 1, 100); });
    }
    void DoTerminate() override
    {
        FImage->EndRun();
        TWorkerThread::DoTerminate();
    }

private:
    TJPEGImage* FImage;
    TEngineProgressEvent FOnProgress;
};

class ImageFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureGuiInvoker();
        TTestCompressionEngine::Install();
        TTestCompressionEngine::GateOpen = true;
        ImageWindowPrefs() = TImageWindowPrefs();
        ImageWindowPrefs().ComprDelay = 0;
        Area = std::make_unique<QMdiArea>();
        Area->resize(1000, 700);
        Area->show();
    }
    void TearDown() override
    {
        TTestCompressionEngine::GateOpen = true;
        Area.reset();
        ASSERT_TRUE(PumpUntil([] { return TTestCompressionEngine::Running == 0; }));
    }

    // A new window; with a number, holding a 64 x 48 picture named after it.
    TImageForm* NewForm(int number = -1)
    {
        auto* form = new TImageForm(nullptr, [this](TImageForm*, uint8_t kind) { ++StateChanges[kind]; });
        Area->addSubWindow(form);
        form->resize(900, 600);
        form->show();
        if (number >= 0) form->LoadSourceFromBitmap(TestPattern(64, 48), number);
        return form;
    }

    // What the host's timer does: starts the run once it is due, its worker held before it compresses.
    static void StartHeldRun(TImageForm* form)
    {
        TTestCompressionEngine::GateOpen = false;
        ASSERT_TRUE(PumpUntil([&] { return form->AutoCompressDue(); }));
        form->StartCompression();
        ASSERT_TRUE(form->Busy);
    }

    static void ReleaseRun(TImageForm* form)
    {
        TTestCompressionEngine::GateOpen = true;
        ASSERT_TRUE(PumpUntil([&] { return !form->Busy; }));
    }

    // A whole run once it is due.
    static void CompressWhenDue(TImageForm* form)
    {
        StartHeldRun(form);
        ReleaseRun(form);
    }

    std::unique_ptr<QMdiArea> Area;
    QTemporaryDir Dir;
    TRecordingMessageBox Box;
    TScopedMessageBox UseBox{&Box};
    int StateChanges[3] = {0, 0, 0};
};
