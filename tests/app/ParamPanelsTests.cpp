// The main window's parameter panels with real image windows: what each control writes into the
// active window, what counts as a change, the kept and the default profile, and when the timer runs.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMdiArea>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "MainFormTestKit.h"
#include "controls/Dock.h"
#include "controls/Toolbar.h"
#include "controls/ToolbarButton.h"
#include "app/MainForm.h"
#include "app/ParamWidgets.h"
#include "app/QtSettingsStore.h"
#include "codec/ProfileFile.h"
#include "workspace/ImageForm.h"

namespace {

using namespace testkit;

class ParamPanelsTest : public TMainFormTest
{
protected:
    // A window on a picture of its own, compressed once and idle, with nothing pending.
    TImageForm* OpenIdle(const char* name, int w = 64, int h = 48)
    {
        WriteBmp(Path(name), w, h);
        TImageForm* form = Form->NewImageWindow({Path(name)});
        EXPECT_EQ(Form->ActiveImage(), form) << name;
        EXPECT_TRUE(WaitIdle(form)) << name;
        return form;
    }
    static bool WaitIdle(TImageForm* f)
    {
        return PumpUntil([f] { return !f->Busy && f->ResultSize > 0 && f->PendingChanges == 0; });
    }
    void Activate(TImageForm* f)
    {
        Form->MdiArea->setActiveSubWindow(f);
        ASSERT_EQ(Form->ActiveImage(), f);
    }
    // The slider moved as a user moves it: through the widget.
    static void Move(QSlider* bar, int position) { bar->setValue(position); }

};

TEST_F(ParamPanelsTest, SlidersWriteIntoTheActiveWindowOnlyAndActivationShowsEachWindowsOwnValues)
{
    TImageForm* x = OpenIdle("x.bmp");
    TImageForm* y = OpenIdle("y.bmp");
    Form->OptCompCmdAction->trigger(); // nothing runs by itself now

    Move(Form->LumTrackBar, 80);
    EXPECT_EQ(y->Image->LumQuality, 21);
    EXPECT_EQ(y->PendingChanges, 1);
    EXPECT_EQ(Form->LumUpDown->value(), 80);
    EXPECT_EQ(Form->LumUpDown->Edit()->text(), "80");
    EXPECT_EQ(Form->StatusPanelText(2), "Changed");
    Move(Form->LumTrackBar, 1);
    EXPECT_EQ(y->Image->LumQuality, 100);
    EXPECT_EQ(x->Image->LumQuality, 50) << "the other window";

    // The up-down moves its slider, which writes.
    Form->ChromUpDown->setValue(100);
    EXPECT_EQ(Form->ChromTrackBar->value(), 100);
    EXPECT_EQ(y->Image->ChromQuality, 1);

    Activate(x);
    EXPECT_EQ(Form->LumTrackBar->value(), 51);
    EXPECT_EQ(Form->ChromTrackBar->value(), 51);
    EXPECT_EQ(x->PendingChanges, 0) << "filling the panels is no change";
    EXPECT_EQ(Form->StatusPanelText(2), "Done.");
    Activate(y);
    EXPECT_EQ(Form->LumTrackBar->value(), 1);
    EXPECT_EQ(Form->ChromTrackBar->value(), 100);
    EXPECT_GE(y->PendingChanges, 1) << "its own changes stay pending";
    EXPECT_EQ(x->Image->LumQuality, 50);
}

TEST_F(ParamPanelsTest, TieFullControlAndGreyScaleDecideWhichSlidersMove)
{
    TImageForm* a = OpenIdle("a.bmp");
    Form->OptCompCmdAction->trigger();
    Move(Form->ChromTrackBar, 70);
    Form->LumChromSyncBtn->click();
    EXPECT_TRUE(a->LumChromSync);
    EXPECT_EQ(Form->ChromTrackBar->value(), 51) << "tying takes the luma position";
    EXPECT_EQ(a->Image->ChromQuality, 50);
    Move(Form->LumTrackBar, 30);
    EXPECT_EQ(std::tuple(int(a->Image->LumQuality), int(a->Image->ChromQuality)), std::tuple(71, 71));

    // A grey-scale image: chroma is off and stays where it is.
    a->Image->Grayscale = true;
    Form->FillPanels(*a->Image, true, TMainForm::pgAll);
    EXPECT_FALSE(Form->ChromTrackBar->isEnabled());
    EXPECT_FALSE(Form->ChromTrackBar->HasHighlight());
    Move(Form->LumTrackBar, 40);
    EXPECT_EQ(std::tuple(int(a->Image->LumQuality), int(a->Image->ChromQuality)), std::tuple(61, 71));
    // Enabled again while tied, chroma takes the luma position.
    a->Image->Grayscale = false;
    Form->FillPanels(*a->Image, true, TMainForm::pgAll);
    EXPECT_TRUE(Form->ChromTrackBar->isEnabled());
    EXPECT_EQ(Form->ChromTrackBar->value(), 40);

    // Full Control: the equalizer is the luma control, base and selection.
    a->Image->EqualizerFullControl = true;
    Form->FillPanels(*a->Image, true, TMainForm::pgAll);
    EXPECT_FALSE(Form->LumTrackBar->isEnabled());
    EXPECT_FALSE(Form->LumUpDown->isEnabled());
    EXPECT_FALSE(Form->SLumTrackBar->isEnabled());
    EXPECT_TRUE(Form->ChromTrackBar->isEnabled());
    EXPECT_EQ(Form->EqTrackBar[0]->HighlightTo(), 100) << "full control highlights up to 100";

    // Hold-ratio ties the level highlights to each other.
    a->Image->EqualizerFullControl = false;
    Form->LumChromSyncBtn->click(); // untie
    Form->FillPanels(*a->Image, true, TMainForm::pgAll);
    Move(Form->ChromTrackBar, 90);
    Form->HoldComprRatioBtn->click();
    EXPECT_EQ(std::tuple(Form->LumTrackBar->HighlightFrom(), Form->LumTrackBar->HighlightTo()), std::tuple(40, 90));
    EXPECT_EQ(std::tuple(Form->ChromTrackBar->HighlightFrom(), Form->ChromTrackBar->HighlightTo()), std::tuple(40, 90));
}

TEST_F(ParamPanelsTest, EqualizerAndPrefiltersCountOnlyWhatChangesTheResult)
{
    TImageForm* a = OpenIdle("a.bmp");
    Form->OptCompCmdAction->trigger();
    Move(Form->EqTrackBar[2], 0);
    EXPECT_EQ(a->Image->QualityEqualizerBands[2], 50);
    EXPECT_EQ(a->PendingChanges, 1);
    Move(Form->EqTrackBar[2], 100);
    EXPECT_EQ(a->Image->QualityEqualizerBands[2], -50);
    // The top of a band is its "Max": a click above the handle and the up key raise the band.
    QSlider* band = Form->EqTrackBar[2];
    Move(band, 50);
    QTest::mouseClick(band, Qt::LeftButton, {}, QPoint(band->width() / 2, 2));
    EXPECT_EQ(a->Image->QualityEqualizerBands[2], 10);
    QTest::keyClick(band, Qt::Key_Up);
    EXPECT_EQ(a->Image->QualityEqualizerBands[2], 11);

    a->MarkParamsChanged(false);
    QToolButton* noise = Form->FiltBtn[2]; // "Noise Removing"
    EXPECT_EQ(noise->text(), "Noise Removing");
    Move(Form->FiltTrackBar[2], 0); // switches it on at strength 0
    EXPECT_EQ(a->Image->ActiveFilter, 3);
    EXPECT_TRUE(noise->isChecked());
    EXPECT_EQ(a->PendingChanges, 0);
    noise->click(); // off at strength 0
    EXPECT_EQ(a->Image->ActiveFilter, 0);
    noise->click(); // on again
    EXPECT_EQ(a->Image->ActiveFilter, 3);
    EXPECT_EQ(a->PendingChanges, 0);
    EXPECT_FALSE(Form->FiltUpDown[0]->isEnabled()) << "an inactive filter's edit";
    EXPECT_TRUE(Form->FiltUpDown[2]->isEnabled());
    Move(Form->FiltTrackBar[2], 1);
    EXPECT_EQ(a->Image->FilterValues[2], 1);
    EXPECT_EQ(a->PendingChanges, 1);

    // Moving another filter's strength switches to it; the radius counts while a filter is on.
    a->MarkParamsChanged(false);
    Move(Form->FiltTrackBar[0], 60);
    EXPECT_EQ(a->Image->ActiveFilter, 1);
    EXPECT_FALSE(Form->FiltBtn[2]->isChecked());
    EXPECT_EQ(a->PendingChanges, 1);
    Move(Form->FiltRadTrackBar, 7);
    EXPECT_EQ(a->Image->FilterRadius, 7);
    EXPECT_EQ(a->PendingChanges, 2);
    Form->FiltBtn[0]->click(); // off
    a->MarkParamsChanged(false);
    Move(Form->FiltRadTrackBar, 2);
    EXPECT_EQ(a->Image->FilterRadius, 2);
    EXPECT_EQ(a->PendingChanges, 0) << "radius without a filter";
}

TEST_F(ParamPanelsTest, TheSelectedTabEditsTheSelectionSetOnlyWithSelectiveCompression)
{
    TImageForm* a = OpenIdle("a.bmp");
    Form->OptCompCmdAction->trigger();
    Form->ComprTabControl->setCurrentIndex(1);
    EXPECT_EQ(Form->PrefiltTabControl->currentIndex(), 1) << "the tab bars stay in step";
    EXPECT_TRUE(Form->SComprPanel->isVisibleTo(Form.get()));
    EXPECT_FALSE(Form->ComprPanel->isVisibleTo(Form.get()));
    EXPECT_FALSE(Form->ComprEqPanel->isEnabled());
    EXPECT_FALSE(Form->PrefiltPanel1->isEnabled());
    EXPECT_FALSE(Form->SLumTrackBar->isEnabled());

    a->Image->SelectiveCompression = true;
    Form->EnablePanels(true);
    EXPECT_TRUE(Form->ComprEqPanel->isEnabled());
    EXPECT_TRUE(Form->SLumTrackBar->isEnabled());
    Move(Form->EqTrackBar[0], 20);
    Move(Form->FiltTrackBar[4], 10);
    Move(Form->SLumTrackBar, 11);
    Move(Form->SThresholdTrackBar, 75);
    EXPECT_EQ(a->Image->SelQualityEqualizerBands[0], 30);
    EXPECT_EQ(a->Image->QualityEqualizerBands[0], 0);
    EXPECT_EQ(std::tuple(a->Image->SelActiveFilter, int(a->Image->SelFilterValues[4])), std::tuple(5, 10));
    EXPECT_EQ(a->Image->ActiveFilter, 0);
    EXPECT_EQ(a->Image->SelLumQuality, 90);
    EXPECT_EQ(a->Image->LumQuality, 50);
    EXPECT_EQ(a->Image->SelThreshold, 75);

    // Each reset restores its own group of the shown area.
    Form->ComprEqResetBtn->click();
    EXPECT_EQ(a->Image->SelQualityEqualizerBands[0], 0);
    EXPECT_EQ(Form->EqTrackBar[0]->value(), 50);
    Form->Prefilt1ResetBtn->click();
    EXPECT_EQ(std::tuple(a->Image->SelActiveFilter, int(a->Image->SelFilterValues[4])), std::tuple(0, 50));
    Form->SComprOptResetBtn->click();
    EXPECT_EQ(std::tuple(int(a->Image->SelLumQuality), int(a->Image->SelThreshold)), std::tuple(50, 50));

    Form->ComprTabControl->setCurrentIndex(0);
    EXPECT_TRUE(Form->ComprPanel->isVisibleTo(Form.get()));
    Move(Form->LumTrackBar, 91);
    Move(Form->EqTrackBar[4], 80);
    a->MarkParamsChanged(false);
    Form->ComprOptResetBtn->click();
    EXPECT_EQ(a->Image->LumQuality, 50);
    EXPECT_EQ(a->PendingChanges, 1) << "the reset changed something";
    Form->ComprEqResetBtn->click();
    EXPECT_EQ(a->Image->QualityEqualizerBands[4], 0);
    a->MarkParamsChanged(false);
    Form->ComprOptResetBtn->click();
    EXPECT_EQ(a->PendingChanges, 0) << "nothing to reset, nothing pending";
}

TEST_F(ParamPanelsTest, TheRatioEditTakesOnlyFinishedNumbersAndNeverOpensABox)
{
    TImageForm* a = OpenIdle("a.bmp");
    Form->OptCompCmdAction->trigger();
    EXPECT_FALSE(Form->ComprRatioEdit->isEnabled()) << "no target yet";
    const QString shown = Form->ComprRatioEdit->text();
    EXPECT_EQ(shown.toInt(), a->Image->RoundedRatio());
    Form->HoldComprRatioBtn->click();
    EXPECT_EQ(a->Image->ComprRatio, float(shown.toInt())) << "hold takes the shown ratio";
    EXPECT_TRUE(Form->ComprRatioEdit->isEnabled());

    a->MarkParamsChanged(false);
    Form->ComprRatioEdit->selectAll();
    QTest::keyClick(Form->ComprRatioEdit, Qt::Key_Backspace);
    EXPECT_EQ(Form->ComprRatioEdit->text(), "");
    EXPECT_EQ(a->Image->ComprRatio, float(shown.toInt())) << "an empty edit writes nothing";
    EXPECT_EQ(a->PendingChanges, 0);
    QTest::keyClicks(Form->ComprRatioEdit, "1");
    EXPECT_EQ(a->Image->ComprRatio, 1.0f);
    EXPECT_EQ(a->PendingChanges, 1);
    QTest::keyClicks(Form->ComprRatioEdit, ".");
    EXPECT_EQ(Form->ComprRatioEdit->text(), "1.");
    EXPECT_EQ(a->PendingChanges, 1) << "an unfinished number writes nothing";
    QTest::keyClicks(Form->ComprRatioEdit, "abc"); // refused while typed
    EXPECT_EQ(Form->ComprRatioEdit->text(), "1.");
    QTest::keyClicks(Form->ComprRatioEdit, "5"); // 1.5 rounds to 2
    EXPECT_EQ(a->Image->ComprRatio, 2.0f);
    EXPECT_EQ(a->PendingChanges, 2);
    Form->ComprRatioEdit->selectAll();
    QTest::keyClicks(Form->ComprRatioEdit, "0");
    EXPECT_EQ(a->Image->ComprRatio, 1.0f);
    EXPECT_EQ(Form->ComprRatioEdit->text(), "1");

    // Hold up: no target; the edit then shows the ratio reached.
    Form->HoldComprRatioBtn->click();
    EXPECT_EQ(a->Image->ComprRatio, 0.0f);
    EXPECT_FALSE(Form->ComprRatioEdit->isEnabled());
    EXPECT_TRUE(Box.Calls().empty());
}

TEST_F(ParamPanelsTest, TheKeptProfileGoesToAWindowThatDiffersAndComesFromTheOneThatCloses)
{
    TImageForm* x = OpenIdle("x.bmp");
    TImageForm* y = OpenIdle("y.bmp");
    Move(Form->LumTrackBar, 31);
    ASSERT_TRUE(WaitIdle(y));
    Activate(x);
    Move(Form->LumTrackBar, 71);
    ASSERT_TRUE(WaitIdle(x));
    Form->GlobalProfileBtn->click();
    ASSERT_TRUE(Form->GlobalProfileBtn->isChecked());
    EXPECT_EQ(Form->GlobalProfile.LumQuality, 30);

    Form->OptCompCmdAction->trigger(); // the forced run is looked at before the timer takes it
    Activate(y);
    EXPECT_EQ(y->Image->LumQuality, 30);
    EXPECT_EQ(Form->LumTrackBar->value(), 71);
    EXPECT_TRUE(y->ForceRun);
    EXPECT_GE(y->PendingChanges, 1);
    Form->OptCompAutAction->trigger();
    ASSERT_TRUE(WaitIdle(y));

    Activate(x);
    EXPECT_EQ(x->Image->LumQuality, 30);
    EXPECT_FALSE(x->ForceRun);
    EXPECT_EQ(x->PendingChanges, 0) << "back to X recompresses nothing";

    // Closing the active window keeps its settings; the next window takes them.
    Move(Form->LumTrackBar, 61);
    ASSERT_TRUE(WaitIdle(x));
    x->SetSaved(true);
    ASSERT_TRUE(x->close());
    EXPECT_EQ(Form->GlobalProfile.LumQuality, 40);
    ASSERT_TRUE(PumpUntil([&] { return Form->ImageWindows().size() == 1; }));
    ASSERT_EQ(Form->ActiveImage(), y);
    EXPECT_EQ(y->Image->LumQuality, 40);
    EXPECT_EQ(Form->LastActiveImage.data(), y);
}

TEST_F(ParamPanelsTest, TheDefaultProfileGoesToTheNewWindowAndAnUnreadableOneIsReportedOnce)
{
    TImageForm* x = OpenIdle("x.bmp");
    x->DefaultProfileApplied = true; // as if opened with its own default profile
    {
        TJPEGImage settings;
        settings.LumQuality = 20;
        std::filesystem::create_directories(Form->ProfileDir());
        WriteProfileFile(settings, Form->ProfileDir() + "/Fine.qmp");
    }
    Form->Prefs.InitComprParams = 2;
    Form->Prefs.NameDefProfile = "Fine";
    TImageForm* y = OpenIdle("y.bmp");
    EXPECT_TRUE(y->DefaultProfileApplied);
    EXPECT_EQ(y->Image->LumQuality, 20);
    EXPECT_EQ(x->Image->LumQuality, 50) << "the window active before keeps its settings";
    EXPECT_EQ(Form->LumTrackBar->value(), 81);

    Form->Prefs.NameDefProfile = "Missing";
    TImageForm* z = OpenIdle("z.bmp");
    TImageForm* w = OpenIdle("w.bmp");
    for (TImageForm* f : {z, w}) {
        EXPECT_TRUE(f->DefaultProfileApplied);
        EXPECT_EQ(f->Image->LumQuality, 50);
    }
    PumpUntil([] { return false; }, 100);
    auto calls = Box.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_NE(calls[0].Text.find("Missing.qmp"), std::string::npos) << calls[0].Text;
}

TEST_F(ParamPanelsTest, ARunInProgressKeepsTheSliderWhereTheUserPutItAndShowsItsProgress)
{
    Form->OptCompCmdAction->trigger();
    WriteBmp(Path("big.bmp"), 1600, 1200);
    TImageForm* a = Form->NewImageWindow({Path("big.bmp")});
    ASSERT_FALSE(a->Busy);
    ASSERT_TRUE(PumpUntil([&] { return Form->EditCompressAction->isEnabled(); })); // the idle pass
    EXPECT_FALSE(Form->ViewInfoAction->isEnabled()) << "no result to describe yet";
    const QString before = Form->ComprRatioEdit->text();
    Form->EditCompressAction->trigger();
    ASSERT_TRUE(a->Busy);
    Move(Form->LumTrackBar, 90); // during the run
    bool progressSeen = false, stopCarried = false;
    PumpUntil([&] {
        if (!a->Busy) return true;
        progressSeen = progressSeen || Form->StatusPanelText(2).startsWith("Compressing..");
        stopCarried = stopCarried || Form->CompressBtn->Action() == Form->EditStopAction;
        EXPECT_EQ(Form->LumTrackBar->value(), 90);
        EXPECT_EQ(Form->ComprRatioEdit->text(), before) << "the data is the worker's";
        return false;
    });
    EXPECT_TRUE(progressSeen);
    EXPECT_TRUE(stopCarried);
    EXPECT_EQ(Form->CompressBtn->Action(), Form->EditCompressAction);
    EXPECT_EQ(Form->LumTrackBar->value(), 90);
    EXPECT_EQ(a->Image->LumQuality, 11);
    EXPECT_EQ(a->PendingChanges, 1) << "the change made during the run is still due";
    EXPECT_EQ(Form->ComprRatioEdit->text().toInt(), a->Image->RoundedRatio()) << "the completion brings the ratio";
    Form->OptCompAutAction->trigger();
    ASSERT_TRUE(WaitIdle(a));
    EXPECT_EQ(Form->LumTrackBar->value(), 90);
}

TEST_F(ParamPanelsTest, TheTimerRunsOnlyInAutomaticModeAndOnlyAfterTheQuietTime)
{
    TImageForm* a = OpenIdle("a.bmp");
    Form->OptCompCmdAction->trigger();
    Move(Form->LumTrackBar, 20);
    PumpUntil([] { return false; }, 300);
    for (int i = 0; i < 3; ++i) Form->TimerTimer();
    EXPECT_FALSE(a->Busy);
    EXPECT_EQ(a->PendingChanges, 1);

    Form->Prefs.ComprDelay = 600;
    Form->ApplyPreferences();
    Form->OptCompAutAction->trigger();
    const auto start = std::chrono::steady_clock::now();
    Move(Form->LumTrackBar, 25);
    Form->TimerTimer();
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(a->PendingChanges, 2) << "not yet";
    ASSERT_TRUE(WaitIdle(a));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(600));
    EXPECT_EQ(a->Image->LumQuality, 76);
}

TEST_F(ParamPanelsTest, ZoomSliderZoomCommandsAndTheCompareButtonFollowEachOther)
{
    TImageForm* a = OpenIdle("a.bmp");
    Move(Form->ZoomTrackBar, 0);
    EXPECT_EQ(a->Zoom, 300);
    EXPECT_FALSE(Form->ViewZoomInAction->isEnabled());
    Form->ViewActSizeAction->trigger();
    EXPECT_EQ(a->Zoom, 100);
    EXPECT_EQ(Form->ZoomTrackBar->value(), 50);
    Move(Form->ZoomTrackBar, 100);
    EXPECT_EQ(a->Zoom, 10);
    EXPECT_FALSE(Form->ViewZoomOutAction->isEnabled());

    // Continuous zoom moves the slider with it.
    Form->ViewActSizeAction->trigger();
    a->SetTool(1);
    a->ImageMouseDown(a->SrcImage, Qt::LeftButton, 10, 10);
    for (int i = 0; i < 3; ++i) Form->TimerTimer();
    a->ImageMouseUp(a->SrcImage, Qt::LeftButton, 10, 10);
    EXPECT_GE(a->Zoom, 106);
    EXPECT_LT(Form->ZoomTrackBar->value(), 50);

    // Standing at the left, the slider stands upright.
    Form->ZoomToolbar->SetDockedTo(Form->LeftDockBar);
    EXPECT_EQ(Form->ZoomTrackBar->orientation(), Qt::Vertical);
    Form->ZoomToolbar->SetDockedTo(Form->TopDockBar);
    EXPECT_EQ(Form->ZoomTrackBar->orientation(), Qt::Horizontal);
    EXPECT_GT(Form->ZoomTrackBar->width(), Form->ZoomTrackBar->height());

    // The source in the result view while the button is held.
    ASSERT_TRUE(PumpUntil([&] { return Form->ViewSrcAsResBtn->isEnabled(); }));
    QTest::mousePress(Form->ViewSrcAsResBtn, Qt::LeftButton);
    EXPECT_TRUE(a->SourceAsResult);
    QTest::mouseRelease(Form->ViewSrcAsResBtn, Qt::LeftButton);
    EXPECT_FALSE(a->SourceAsResult);
}

// A track bar's only marking is the highlighted range the panels set, in a band beside the groove:
// the groove shows no fill from an end to the handle, at either end of the scale, on the level,
// equalizer, prefilter and zoom sliders alike.
TEST_F(ParamPanelsTest, TrackBarsAreMarkedByTheirHighlightedRangeAlone)
{
    OpenIdle("a.bmp");
    // Where the bar shows colour (the highlight's; the groove and the handle are grey).
    auto coloured = [](QSlider* bar) {
        const QImage image = bar->grab().toImage();
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).hsvSaturation() > 80) box |= QRect(x, y, 1, 1);
        return box;
    };
    for (QSlider* bar : std::initializer_list<QSlider*>{Form->LumTrackBar, Form->ChromTrackBar, Form->EqTrackBar[0],
                                                        Form->EqTrackBar[4], Form->FiltTrackBar[2],
                                                        Form->FiltRadTrackBar, Form->ZoomTrackBar}) {
        auto* ranged = qobject_cast<TRangeSlider*>(bar);
        ASSERT_NE(ranged, nullptr) << bar->objectName().toStdString();
        bar->resize(bar->orientation() == Qt::Horizontal ? QSize(120, 24) : QSize(24, 62));
        for (int value : {bar->minimum(), bar->maximum()}) {
            Move(bar, value);
            ranged->ClearHighlight();
            EXPECT_TRUE(coloured(bar).isEmpty()) << bar->objectName().toStdString() << " at " << value;
            ranged->SetHighlight(bar->minimum(), bar->maximum());
            const QRect band = coloured(bar);
            EXPECT_FALSE(band.isEmpty()) << bar->objectName().toStdString() << " at " << value;
            // The band runs along the bottom (or the right) edge, 3 pixels from it.
            const bool lying = bar->orientation() == Qt::Horizontal;
            EXPECT_EQ(lying ? band.top() : band.left(), (lying ? bar->height() : bar->width()) - 4)
                << bar->objectName().toStdString() << " at " << value;
        }
    }
}

TEST_F(ParamPanelsTest, TheAreaTabsGoOnTopOfANarrowToolbarAndBackBesideAWideOne)
{
    auto* panel = qobject_cast<TTabbedPanel*>(Form->ComprTabControl->parentWidget());
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->TabsLeft());
    panel->PlaceTabs(80, 100);
    EXPECT_FALSE(panel->TabsLeft());
    EXPECT_EQ(Form->ComprTabControl->shape(), QTabBar::RoundedNorth);
    panel->PlaceTabs(110, 100); // between the thresholds: stays on top
    EXPECT_FALSE(panel->TabsLeft());
    panel->PlaceTabs(130, 100);
    EXPECT_TRUE(panel->TabsLeft());
    EXPECT_EQ(Form->ComprTabControl->shape(), QTabBar::RoundedWest);
    // The toolbar made narrow: the panel takes the size of its new arrangement at once.
    Form->ComprToolbar->resize(80, 100);
    EXPECT_FALSE(panel->TabsLeft());
    EXPECT_EQ(panel->size(), panel->sizeHint());
}

// Both area tabs lay out without overlap at the designed and the smallest window size: the selection's
// levels, wider than the base ones, keep their room although hidden while the toolbar is sized.
TEST_F(ParamPanelsTest, BothAreaTabsLayOutWithoutOverlapAtTheDesignedAndTheSmallestSize)
{
    OpenIdle("a.bmp");
    Form->OptSelAction->trigger(); // the selection's controls enabled
    auto place = [](QWidget* w, QWidget* bar) { return QRect(w->mapTo(bar, QPoint()), w->size()); };
    for (const QSize& size : {QSize(900, 650), Form->minimumSizeHint().expandedTo(Form->minimumSize())}) {
        QSize selectedTabToolbar;
        for (int tab : {1, 0}) {
            Form->resize(size);
            Form->ComprTabControl->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            if (tab == 1) selectedTabToolbar = Form->ComprToolbar->size();
            EXPECT_EQ(Form->ComprToolbar->size(), selectedTabToolbar) << "the same on both tabs";
            for (TToolbar* bar : {Form->ComprToolbar, Form->PrefiltToolbar}) {
                std::vector<QWidget*> shown; // the shown controls of the bar's shown panels
                for (QWidget* panel : {Form->ComprPanel, Form->SComprPanel, Form->ComprEqPanel,
                                       Form->PrefiltPanel1, Form->PrefiltPanel2})
                    if (panel->isVisible() && bar->isAncestorOf(panel))
                        for (QWidget* w : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                            if (w->isVisible()) shown.push_back(w);
                ASSERT_GT(shown.size(), 6u);
                for (size_t i = 0; i < shown.size(); ++i)
                    for (size_t j = i + 1; j < shown.size(); ++j)
                        EXPECT_FALSE(place(shown[i], bar).intersects(place(shown[j], bar)))
                            << size.width() << ", tab " << tab << ": " << shown[i]->objectName().toStdString()
                            << " over " << shown[j]->objectName().toStdString();
            }
        }
    }
}

TEST_F(ParamPanelsTest, TheLastWindowClosingDisablesTheImageCommandsAndThePanels)
{
    TImageForm* a = OpenIdle("a.bmp");
    EXPECT_TRUE(Form->LumTrackBar->isEnabled());
    EXPECT_TRUE(Form->ZoomTrackBar->isEnabled());
    EXPECT_EQ(Form->CompressBtn->Action(), Form->EditCompressAction);
    a->SetSaved(true);
    ASSERT_TRUE(a->close());
    ASSERT_TRUE(PumpUntil([&] { return Form->NoImageState; }));
    EXPECT_EQ(Form->LastActiveImage.data(), nullptr);
    for (QAction* action : {Form->FileCloseAction, Form->FileSaveAction, Form->FileSaveAsAction,
                            Form->FileExportBMPAction, Form->EditCompressAction, Form->EditStopAction,
                            Form->EditCopyAction, Form->SelDelAction, Form->ViewZoomInAction,
                            Form->ViewActSizeAction})
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    for (QWidget* w : std::initializer_list<QWidget*>{Form->ZoomTrackBar, Form->ViewSrcAsResBtn, Form->ComprPanel,
                                                     Form->ComprEqPanel, Form->PrefiltPanel1, Form->PrefiltPanel2,
                                                     Form->ComprTabControl, Form->LumTrackBar})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(Form->FileOpenAction->isEnabled());
    EXPECT_EQ(Form->StatusPanelText(1), "");
}

} // namespace
