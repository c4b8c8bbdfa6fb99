// The main window's edit, selection, option, view, window and help commands, its menus and
// toolbars, on real image windows.
#include <gtest/gtest.h>

#include <QActionGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QToolButton>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextBrowser>
#include <QTimer>
#include <filesystem>

#include "MainFormTestKit.h"
#include "RecordingLauncher.h"
#include "app/CommentsForm.h"
#include "app/ProgramHelp.h"
#include "controls/HelpWindow.h"
#include "app/IntMarksForm.h"
#include "app/MailImage.h"
#include "resample/ui/ResolutionForm.h"
#include "app/MainForm.h"
#include "app/ParamWidgets.h"
#include "app/QtSettingsStore.h"
#include "codec/JPEGImage.h"
#include "codec/ProfileFile.h"
#include "controls/ClipboardBitmap.h"
#include "controls/Dock.h"
#include "controls/Toolbar.h"
#include "controls/ToolbarButton.h"
#include "workspace/ImageForm.h"

namespace {

using namespace testkit;

class MainFormCommandsTest : public TMainFormTest
{
  protected:
    void SetUp() override
    {
        Width = 1200;
        TMainFormTest::SetUp();
        Form->OnHelp = [this](int topic) { HelpTopics.push_back(topic); };
    }
    TImageForm* Open(const char* name, int w = 64, int h = 48)
    {
        WriteBmp(Path(name), w, h);
        TImageForm* form = Form->NewImageWindow({Path(name)});
        EXPECT_TRUE(
            PumpUntil([form] { return !form->Busy && form->ResultSize > 0 && form->PendingChanges == 0; }));
        return form;
    }
    // What a user's command does: the action triggered, as a menu or a button triggers it.
    static void Run(QAction* action)
    {
        ASSERT_TRUE(action->isEnabled()) << action->objectName().toStdString();
        action->trigger();
    }
    static int CheckedCount(QAction* action)
    {
        int n = 0;
        for (QAction* a : action->actionGroup()->actions())
            n += a->isChecked();
        return n;
    }

    std::vector<int> HelpTopics;
};

TEST_F(MainFormCommandsTest, GrayKeepsThePrecisionForTrueColorAndDisablesItsCommands)
{
    TImageForm* a = Open("a.bmp");
    Run(Form->OptPrecLowAction);
    EXPECT_EQ(a->Image->GetSubsampling(), 2);
    Run(Form->OptGrayAction);
    EXPECT_TRUE(a->Image->Grayscale);
    EXPECT_TRUE(a->HasPendingChanges());
    for (QAction* p : {Form->OptPrecNormAction, Form->OptPrecHighAction, Form->OptPrecLowAction})
        EXPECT_FALSE(p->isEnabled()) << p->objectName().toStdString();
    EXPECT_TRUE(Form->OptPrecLowAction->isChecked()); // the check stays where it was
    Run(Form->OptColorAction);
    EXPECT_FALSE(a->Image->Grayscale);
    EXPECT_EQ(a->Image->GetSubsampling(), 2);
    EXPECT_TRUE(Form->OptPrecLowAction->isEnabled());
    EXPECT_TRUE(Form->OptPrecLowAction->isChecked());
}

TEST_F(MainFormCommandsTest, EqualizerModesZeroTheBaseBands)
{
    TImageForm* a = Open("a.bmp");
    for (QAction* mode : {Form->OptEqFullAction, Form->OptEqAdjAction}) {
        a->Image->SetEqualizerBand(0, 30);
        a->Image->SetEqualizerBand(4, -20);
        a->Image->SetSelEqualizerBand(2, 11);
        Run(mode);
        EXPECT_EQ(a->Image->EqualizerFullControl, mode == Form->OptEqFullAction);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(a->Image->GetEqualizerBand(i), 0) << i;
        EXPECT_EQ(a->Image->GetSelEqualizerBand(2), 11); // the selection's bands are left alone
        EXPECT_EQ(Form->EqTrackBar[0]->value(), Form->EqTrackBar[2]->value());
    }
}

TEST_F(MainFormCommandsTest, ResetGivesEveryDefaultWithAutomaticCompression)
{
    TImageForm* a = Open("a.bmp");
    TJPEGImage defaults;
    Run(Form->OptCompCmdAction);
    Run(Form->OptSelAction);
    Run(Form->OptProgAction);
    Run(Form->OptPrecHighAction);
    Run(Form->OptGrayAction);
    Run(Form->OptEqFullAction);
    a->Image->LumQuality = 12;
    a->Image->SelChromQuality = 90;
    a->Image->SetFilterValue(1, 80);
    a->Image->ActiveFilter = 2;
    Run(Form->OptResetAction);
    EXPECT_TRUE(Form->AutoCompress);
    EXPECT_TRUE(Form->OptCompAutAction->isChecked());
    const TJPEGImage& i = *a->Image;
    EXPECT_EQ(i.LumQuality, defaults.LumQuality);
    EXPECT_EQ(i.SelChromQuality, defaults.SelChromQuality);
    EXPECT_EQ(i.GetFilterValue(1), defaults.GetFilterValue(1));
    EXPECT_EQ(i.ActiveFilter, 0);
    EXPECT_FALSE(i.SelectiveCompression);
    EXPECT_FALSE(i.ProgressiveEncoding);
    EXPECT_FALSE(i.Grayscale);
    EXPECT_FALSE(i.EqualizerFullControl);
    EXPECT_EQ(i.GetSubsampling(), 0);
    for (QAction* on : {Form->OptPlainAction, Form->OptOptAction, Form->OptColorAction, Form->OptEqAdjAction,
                        Form->OptPrecNormAction})
        EXPECT_TRUE(on->isChecked()) << on->objectName().toStdString();
}

TEST_F(MainFormCommandsTest, RadioGroupsKeepExactlyOneCheck)
{
    Open("a.bmp");
    QAction* groups[][3] = {
        {Form->SelRectAction, Form->SelElliptAction, Form->SelPolyAction},
        {Form->OptToolMoveAction, Form->OptToolZoomAction, Form->OptToolSelAction},
        {Form->OptPrecNormAction, Form->OptPrecHighAction, Form->OptPrecLowAction},
        {Form->ViewArrHorzAction, Form->ViewArrVertAction, Form->ViewArrResAction},
        {Form->OptPlainAction, Form->OptSelAction, nullptr},
        {Form->OptOptAction, Form->OptProgAction, nullptr},
        {Form->OptColorAction, Form->OptGrayAction, nullptr},
        {Form->OptEqAdjAction, Form->OptEqFullAction, nullptr},
        {Form->OptCompAutAction, Form->OptCompCmdAction, nullptr},
    };
    Run(Form->OptToolSelAction); // the shapes can be chosen with the Selection tool
    for (auto& group : groups)
        for (QAction* a : group) {
            if (!a) continue;
            Run(a);
            EXPECT_TRUE(a->isChecked()) << a->objectName().toStdString();
            EXPECT_EQ(CheckedCount(a), 1) << a->objectName().toStdString();
            Run(a); // run again, it stays checked
            EXPECT_TRUE(a->isChecked()) << a->objectName().toStdString();
        }
}

TEST_F(MainFormCommandsTest, SelectiveAndTheSelectionToolCallEachOtherOnlyFromTheUser)
{
    TImageForm* a = Open("a.bmp");
    int toolChanges = 0;
    QObject::connect(Form->OptToolSelAction, &QAction::toggled, Form.get(),
                     [&](bool on) { toolChanges += on; });
    Run(Form->OptSelAction);
    EXPECT_TRUE(a->Image->SelectiveCompression);
    EXPECT_EQ(a->Tool, 2);
    EXPECT_EQ(toolChanges, 1);
    Run(Form->OptToolMoveAction);
    Run(Form->OptPlainAction);
    EXPECT_EQ(a->Tool, 0); // Plain leaves the tool alone
    Run(Form->OptToolSelAction);
    EXPECT_TRUE(a->Image->SelectiveCompression);
    EXPECT_TRUE(Form->OptSelAction->isChecked());
    // Reset runs Plain, not by the user: nothing else moves.
    Run(Form->OptResetAction);
    EXPECT_EQ(a->Tool, 2);
    // Hidden areas are shown again by the Selection tool.
    a->SetZoom(100);
    a->ImageMouseDown(a->SrcImage, Qt::LeftButton, 10, 5);
    a->ImageMouseMove(a->SrcImage, Qt::LeftButton, 30, 25);
    a->ImageMouseUp(a->SrcImage, Qt::LeftButton, 30, 25);
    Form->AppIdle();
    Run(Form->SelHideAction);
    EXPECT_TRUE(a->SelectionsHidden);
    EXPECT_TRUE(Form->SelHideAction->isChecked());
    Run(Form->OptToolSelAction);
    EXPECT_FALSE(a->SelectionsHidden);
    EXPECT_FALSE(Form->SelHideAction->isChecked());
}

TEST_F(MainFormCommandsTest, CropOpensTheRectangleAndLeavesItOnTheClipboard)
{
    TImageForm* a = Open("a.bmp", 64, 48);
    EXPECT_FALSE(Form->EditCropAction->isEnabled());
    a->SetZoom(100);
    Run(Form->OptToolSelAction);
    Run(Form->SelRectAction);
    a->ImageMouseDown(a->SrcImage, Qt::LeftButton, 10, 5);
    a->ImageMouseMove(a->SrcImage, Qt::LeftButton, 20, 15);
    a->ImageMouseMove(a->SrcImage, Qt::LeftButton, 30, 25);
    a->ImageMouseUp(a->SrcImage, Qt::LeftButton, 30, 25);
    ASSERT_EQ(a->SelectionCount(), 1);
    Form->AppIdle();
    Run(Form->EditCropAction);
    ASSERT_EQ(Form->ImageWindows().size(), 2u);
    TImageForm* cut = Form->ActiveImage();
    ASSERT_NE(cut, a);
    ASSERT_TRUE(PumpUntil([cut] { return cut->SourceBitmap() != nullptr; }));
    const TBitmap* picture = cut->SourceBitmap();
    EXPECT_EQ(picture->Width(), 20);
    EXPECT_EQ(picture->Height(), 20);
    // The pattern's pixel (10, 5): blue 10, green 5, red 15.
    const uint8_t* p = picture->ScanLine(0);
    EXPECT_EQ(std::vector<int>({p[0], p[1], p[2]}), std::vector<int>({10, 5, 15}));
    ASSERT_TRUE(ClipboardHasBitmap());
    TBitmap clip = GetClipboardBitmap();
    EXPECT_EQ(clip.Width(), 20);
    EXPECT_EQ(clip.Height(), 20);
    // An ellipse as the last area: nothing to crop.
    Form->MdiArea->setActiveSubWindow(a);
    Run(Form->SelElliptAction);
    a->ImageMouseDown(a->SrcImage, Qt::LeftButton, 2, 2);
    a->ImageMouseMove(a->SrcImage, Qt::LeftButton, 12, 12);
    a->ImageMouseUp(a->SrcImage, Qt::LeftButton, 12, 12);
    Form->AppIdle();
    EXPECT_FALSE(Form->EditCropAction->isEnabled());
    Run(Form->SelDelAllAction);
    EXPECT_EQ(a->SelectionCount(), 0);
}

TEST_F(MainFormCommandsTest, ZoomCommandsFollowTheStepsAndRefreshTheirNeighbours)
{
    TImageForm* a = Open("a.bmp", 400, 300);
    a->SetZoom(25);
    const int slider25 = (Form->SetZoomTrack(25), Form->ZoomTrackBar->value());
    struct
    {
        QAction* action;
        int zoom;
    } steps[] = {
        {Form->ViewZoomInAction, 33},   {Form->ViewZoomInAction, 50},  {Form->ViewZoomInAction, 100},
        {Form->ViewZoomInAction, 200},  {Form->ViewZoomInAction, 300}, {Form->ViewZoomOutAction, 200},
        {Form->ViewZoomOutAction, 100}, {Form->ViewZoomOutAction, 50}, {Form->ViewZoomOutAction, 33},
        {Form->ViewActSizeAction, 100},
    };
    for (const auto& s : steps) {
        Run(s.action);
        EXPECT_EQ(a->Zoom, s.zoom);
        EXPECT_EQ(Form->ViewActSizeAction->isEnabled(), s.zoom != 100) << s.zoom;
        EXPECT_EQ(Form->ViewZoomInAction->isEnabled(), s.zoom < 300) << s.zoom;
    }
    EXPECT_NE(Form->ZoomTrackBar->value(), slider25); // the slider followed to 100 %
    a->SetZoom(10);
    Run(Form->ViewZoomInAction); // leaves 10 % so that Zoom Out can come back
    Run(Form->ViewZoomOutAction);
    EXPECT_EQ(a->Zoom, 10);
    EXPECT_FALSE(Form->ViewZoomOutAction->isEnabled());
    Run(Form->ViewArrResAction);
    EXPECT_EQ(a->ViewLayout, 2);
}

TEST_F(MainFormCommandsTest, TilersMinimizeAndArrange)
{
    TImageForm* a = Open("a.bmp");
    TImageForm* b = Open("b.bmp");
    TImageForm* c = Open("c.bmp");
    const QSize area = Form->MdiArea->viewport()->size();
    Run(Form->WindowTileHorzAction);
    for (TImageForm* w : {a, b, c}) {
        EXPECT_EQ(w->x(), 0);
        EXPECT_EQ(w->width(), area.width());
    }
    // Rows one under the other, covering the area.
    EXPECT_EQ(a->y(), 0);
    EXPECT_EQ(b->y(), a->height());
    EXPECT_EQ(c->y() + c->height(), area.height());
    EXPECT_LE(a->height() - c->height(), 1);
    Run(Form->WindowTileVertAction);
    for (TImageForm* w : {a, b, c}) {
        EXPECT_EQ(w->y(), 0);
        EXPECT_EQ(w->height(), area.height());
    }
    EXPECT_EQ(a->x(), 0);
    EXPECT_EQ(b->x(), a->width());
    EXPECT_EQ(c->x() + c->width(), area.width());
    Run(Form->WindowMinimizeAllAction);
    for (TImageForm* w : {a, b, c})
        EXPECT_TRUE(w->isMinimized());
    // Side by side along the bottom, from the left.
    EXPECT_EQ(a->geometry().bottomLeft(), QPoint(0, area.height() - 1));
    EXPECT_EQ(b->pos(), QPoint(a->width(), a->y()));
    EXPECT_EQ(c->pos(), QPoint(2 * a->width(), a->y()));
    // The window list names every window; choosing one brings it back.
    emit Form->WindowMenu->aboutToShow();
    QList<QAction*> items = Form->WindowMenu->actions();
    QStringList names;
    for (QAction* i : items)
        if (i->text().startsWith('&') && i->text()[1].isDigit()) names << i->text();
    ASSERT_EQ(names.size(), 3);
    EXPECT_TRUE(names[1].startsWith("&2 "));
    emit Form->WindowMenu->aboutToShow(); // rebuilt, not added to
    int count = 0;
    for (QAction* i : Form->WindowMenu->actions())
        count += i->text().startsWith('&') && i->text()[1].isDigit();
    EXPECT_EQ(count, 3);
}

TEST_F(MainFormCommandsTest, MenusToolbarsAndHelpAreWhereAUserLooks)
{
    QStringList titles;
    for (QAction* m : Form->menuBar()->actions())
        titles << m->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&Selection", "&Options", "&View", "&Window", "&Help"}));
    QStringList file;
    for (QAction* item : Form->menuBar()->actions().first()->menu()->actions())
        file << (item->isSeparator() ? "-" : item->text());
    EXPECT_EQ(file, (QStringList{"&Open...", "Batch Processing...", "-", "&Save", "Save &As...", "&Export To",
                                 "&Close", "-", "&Load Profile", "Save &Profile...", "-", "Select So&urce...",
                                 "&Acquire...", "-", "&Mail Image", "-", "System Menu", "-", "E&xit"}));
    EXPECT_EQ(Form->SelDelAllAction->text(), "Delete &All");
    const char* bars[] = {"FileToolbar",   "EditToolbar",    "SelectionToolbar", "ToolsToolbar",
                          "WindowToolbar", "OptionsToolbar", "ControlsToolbar",  "ZoomToolbar",
                          "ViewToolbar",   "ComprToolbar",   "PrefiltToolbar"};
    for (const char* name : bars)
        EXPECT_TRUE(Form->findChild<TToolbar*>(name)) << name;
    ASSERT_EQ(Form->ToolbarItems.size(), 11u);
    EXPECT_EQ(Form->OptionsToolbar->DockedTo(), Form->LeftDockBar);
    EXPECT_EQ(Form->ZoomToolbar->DockedTo(), Form->RightDockBar);
    EXPECT_EQ(Form->ComprToolbar->DockedTo(), Form->BottomDockBar);

    // View > Toolbars hides and shows; the check follows a toolbar hidden another way.
    auto [item, bar] = Form->ToolbarItems[2];
    EXPECT_EQ(bar, Form->SelectionToolbar);
    EXPECT_TRUE(item->isChecked());
    item->trigger();
    EXPECT_TRUE(bar->isHidden());
    item->trigger();
    EXPECT_FALSE(bar->isHidden());
    bar->SetVisible(false);
    EXPECT_FALSE(item->isChecked());
    bar->SetVisible(true);
    EXPECT_TRUE(item->isChecked());

    // The toolbar menu shows the preferences and changes them.
    Form->ToolbarMenuPopup(Form->EditToolbar, QPoint(10, 10));
    EXPECT_EQ(Form->FlatButtonsItem->isChecked(), Form->Prefs.FlatButtons);
    EXPECT_TRUE(Form->DockedItem->isChecked());
    Form->ToolbarMenu->hide();
    const bool flat = Form->Prefs.FlatButtons;
    Form->FlatButtonsItem->trigger();
    EXPECT_NE(Form->Prefs.FlatButtons, flat);
    TToolbarButton* someButton = Form->EditToolbar->findChild<TToolbarButton*>();
    ASSERT_TRUE(someButton);
    EXPECT_EQ(someButton->NoBorder(), !Form->Prefs.FlatButtons);
    const bool tips = Form->Prefs.ShowTips;
    Form->ShowTipsItem->trigger();
    EXPECT_NE(Form->Prefs.ShowTips, tips);

    // Help: F1's contents, the index, the toolbar menu's topic, the image menu's contents.
    Form->HelpContentsAction->trigger();
    Form->HelpTopicsAction->trigger();
    for (QAction* a : Form->ToolbarMenu->actions())
        if (a->text() == "&Help...") a->trigger();
    for (QAction* a : Form->ImageMenu->actions())
        if (a->objectName() == "ImageHelpItem") a->trigger();
    EXPECT_EQ(HelpTopics, (std::vector<int>{htContents, htIndex, htToolbars, htContents}));
    EXPECT_EQ(Form->HelpContentsAction->shortcut(), QKeySequence("F1"));
}

TEST_F(MainFormCommandsTest, WithoutAWindowTheWindowCommandsRest)
{
    for (QAction* a :
         {Form->EditCropAction, Form->OptToolSelAction, Form->OptGrayAction, Form->OptPrecLowAction,
          Form->ViewInfoAction, Form->WindowFitAction, Form->WindowDuplAction, Form->OptDPIAction})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    // Nor do Load Profile, Export To and their menus; a profile item reached anyway makes no default.
    QAction* loadProfileMenu = Form->LoadProfileSubMenu->menuAction();
    QAction* exportMenu = Form->ExportSubMenu->menuAction();
    for (QAction* a : {Form->FileLoadProfileAction, loadProfileMenu, exportMenu})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    EXPECT_FALSE(Form->LoadProfileMenu->isEnabled());
    std::filesystem::create_directories(Form->ProfileDir());
    WriteProfileFile(TJPEGImage(), Form->ProfileDir() + "/Web.qmp");
    Form->Prefs.InitComprParams = 1;
    Form->Prefs.NameDefProfile = "Mine";
    Form->FillProfileMenu();
    Form->LoadProfileSubMenu->actions().first()->trigger();
    EXPECT_EQ(Form->Prefs.NameDefProfile, "Mine");

    TImageForm* a = Open("a.bmp");
    Form->AppIdle();
    for (QAction* x : {Form->OptToolSelAction, Form->OptGrayAction, Form->ViewInfoAction,
                       Form->WindowDuplAction, Form->FileLoadProfileAction, loadProfileMenu, exportMenu})
        EXPECT_TRUE(x->isEnabled()) << x->objectName().toStdString();
    EXPECT_FALSE(Form->SelHideAction->isEnabled()) << "no areas to hide";
    Run(Form->WindowDuplAction);
    EXPECT_EQ(Form->ImageWindows().size(), 2u);
    a->SetSaved(true);
}

TEST_F(MainFormCommandsTest, EditProfileAppliesAChangedProfileAndMarksItOnlyThen)
{
    TImageForm* a = Open("a.bmp");
    int runs = 0;
    Form->ProfileEditorRunner = [&](TJPEGProfile& p, const TJPEGImage&) {
        ++runs;
        return true; // OK with nothing changed
    };
    Run(Form->EditProfileAction);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(a->HasPendingChanges());
    EXPECT_FALSE(a->ForceRun);
    Form->ProfileEditorRunner = [&](TJPEGProfile& p, const TJPEGImage&) {
        p.LumQuality = 17;
        return true;
    };
    Run(Form->EditProfileAction);
    EXPECT_EQ(a->Image->LumQuality, 17);
    EXPECT_TRUE(a->HasPendingChanges() || a->Busy || a->ForceRun);
    EXPECT_EQ(Form->LumUpDown->value(), 84); // the panels show it, as the level 101 - 17
    Form->ProfileEditorRunner = [&](TJPEGProfile& p, const TJPEGImage&) {
        p.LumQuality = 90;
        return false; // cancelled
    };
    Run(Form->EditProfileAction);
    EXPECT_EQ(a->Image->LumQuality, 17);
}

TEST_F(MainFormCommandsTest, HelpMenuLinksGoThroughTheLauncher)
{
    testkit::TRecordingLauncher launcher;
    testkit::TScopedLauncher use(&launcher);
    for (QAction* a : {Form->HelpSupportAction, Form->HelpFeedbackAction, Form->HelpTellFriendsAction,
                       Form->HelpWebSiteAction})
        Run(a);
    // The maker's one set of addresses, the same as the about box and the mail body give.
    EXPECT_EQ(launcher.Urls,
              (std::vector<std::string>{"mailto:support@example.com", "mailto:feedback@example.com",
                                        "mailto:", "https://www.example.com/quillmark/"}));
    // No program for the address: a box over the main window says so.
    launcher.OpenSucceeds = false;
    Run(Form->HelpSupportAction);
    ASSERT_EQ(Box.Calls().size(), 1u);
    EXPECT_EQ(Box.Calls()[0].Text, NothingOpens("mailto:support@example.com"));
    EXPECT_EQ(Box.Calls()[0].Owner, static_cast<QWidget*>(Form.get()));
}

// Runs answer on the dialog the command opens, then the command.
template <class TDialog, class TAnswer> void Answer(QAction* action, TAnswer answer)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        seen = true;
        answer(*dialog);
    });
    action->trigger();
    EXPECT_TRUE(seen);
}

TEST_F(MainFormCommandsTest, DialogsWriteBackIntoTheWindow)
{
    TImageForm* a = Open("a.bmp");
    a->Image->RestartInterval = 0;
    Answer<TIntMarksForm>(Form->OptIntMarksAction, [](TIntMarksForm& d) {
        EXPECT_FALSE(d.InsertCheckBox->isChecked());
        d.InsertCheckBox->setChecked(true); // the designed 24
        d.accept();
    });
    EXPECT_EQ(a->Image->RestartInterval, 24);
    Answer<TIntMarksForm>(Form->OptIntMarksAction, [](TIntMarksForm& d) {
        EXPECT_EQ(d.IntervalUpDown->value(), 24);
        d.InsertCheckBox->setChecked(false);
        d.accept();
    });
    EXPECT_EQ(a->Image->RestartInterval, 0);

    a->Image->XDensity = 72;
    a->Image->YDensity = 144;
    a->Image->MatchMask = 0;
    a->MarkParamsChanged(false);
    Answer<TResolutionForm>(Form->OptDPIAction, [](TResolutionForm& d) {
        EXPECT_EQ(d.HorzUpDown->value(), 72);
        EXPECT_EQ(d.VertUpDown->value(), 144);
        d.EqualCheckBox->click(); // both take 144
        d.ProfileCheckBox->setChecked(true);
        d.accept();
    });
    EXPECT_EQ(a->Image->XDensity, 144);
    EXPECT_EQ(a->Image->YDensity, 144);
    EXPECT_EQ(a->Image->MatchMask, 0x4000);
    EXPECT_TRUE(a->HasPendingChanges());
    Answer<TResolutionForm>(Form->OptDPIAction, [](TResolutionForm& d) {
        EXPECT_TRUE(d.ProfileCheckBox->isChecked());
        d.reject();
    });
    EXPECT_EQ(a->Image->MatchMask, 0x4000);

    a->SetCommentText("first\r\n");
    Answer<TCommentsForm>(Form->EditCommentAction, [](TCommentsForm& d) {
        EXPECT_EQ(d.Memo->toPlainText(), "first");
        d.Memo->setPlainText("first\nsecond");
        d.accept();
    });
    EXPECT_EQ(a->GetCommentText(), "first\r\nsecond\r\n");
}

} // namespace

namespace {

TEST_F(MainFormCommandsTest, TheHelpWindowClosesWithTheMainWindow)
{
    Form->OnHelp = [this](int topic) { ShowProgramHelp(Form.get(), topic); };
    Form->HelpContentsAction->trigger();
    auto* help = Form->findChild<THelpWindow*>();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->Browser->documentTitle(), "Quillmark Help");
    EXPECT_TRUE(Form->close()); // the help offer answered No
    EXPECT_FALSE(help->isVisible());
}

} // namespace
