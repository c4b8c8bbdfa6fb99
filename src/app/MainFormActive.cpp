// The main window follows the active image window: the state callback of every window, the kept
// profile, the default profile of a new window, the command states and the timer.
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QScopedValueRollback>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdlib>

#include "app/MainForm.h"
#include "controls/ToolbarButton.h"
#include "app/ParamWidgets.h"
#include "app/ProfileMenu.h"
#include "codec/JPEGImage.h"
#include "codec/ProfileFile.h"
#include "common/CommLib.h"
#include "workspace/ImageForm.h"

namespace {

// Commands that follow whether an image window is open: enabled when the first one opens (the
// rest of the list is then set by the active window's state), disabled when the last one closes.
enum : uint8_t { icEnableWithImage = 1, icDisableWithoutImage = 2, icBoth = 3 };

void SetCommandEnabled(QObject* command, bool enabled)
{
    if (auto* action = qobject_cast<QAction*>(command))
        action->setEnabled(enabled);
    else if (auto* widget = qobject_cast<QWidget*>(command))
        widget->setEnabled(enabled);
}

} // namespace

std::vector<std::pair<QObject*, uint8_t>> TMainForm::ImageCommands() const
{
    return {
        {FileCloseAction, icBoth},
        {FileSaveAction, icDisableWithoutImage},
        {FileSaveAsAction, icDisableWithoutImage},
        {ExportSubMenu->menuAction(), icBoth},
        {FileExportBMPAction, icBoth},
        {LoadProfileSubMenu->menuAction(), icBoth},
        {LoadProfileMenu, icBoth},
        {FileLoadProfileAction, icBoth},
        {FileSaveProfileAction, icBoth},
        {FileMailAction, icDisableWithoutImage},
        {FileSysMenuAction, icDisableWithoutImage},
        {EditCompressAction, icDisableWithoutImage},
        {EditStopAction, icDisableWithoutImage},
        {EditCopyAction, icBoth},
        {SelRectAction, icDisableWithoutImage},
        {SelElliptAction, icDisableWithoutImage},
        {SelPolyAction, icDisableWithoutImage},
        {SelDelAction, icDisableWithoutImage},
        {SelDelAllAction, icDisableWithoutImage},
        {ViewZoomInAction, icDisableWithoutImage},
        {ViewZoomOutAction, icDisableWithoutImage},
        {ViewZoomFitAction, icDisableWithoutImage},
        {ViewActSizeAction, icDisableWithoutImage},
        {ViewSrcAsResBtn, icBoth},
        {ZoomTrackBar, icBoth},
        {EditCropAction, icDisableWithoutImage},
        {EditResizeAction, icBoth},
        {EditCommentAction, icBoth},
        {EditProfileAction, icBoth},
        {SelHideAction, icBoth},
        {OptToolMoveAction, icBoth},
        {OptToolSelAction, icBoth},
        {OptToolZoomAction, icBoth},
        {OptPlainAction, icBoth},
        {OptSelAction, icBoth},
        {OptOptAction, icBoth},
        {OptProgAction, icBoth},
        {OptColorAction, icBoth},
        {OptGrayAction, icBoth},
        {OptEqAdjAction, icBoth},
        {OptEqFullAction, icBoth},
        {OptPrecNormAction, icDisableWithoutImage},
        {OptPrecHighAction, icDisableWithoutImage},
        {OptPrecLowAction, icDisableWithoutImage},
        {OptIntMarksAction, icBoth},
        {OptDPIAction, icBoth},
        {OptResetAction, icBoth},
        {ViewCenterAction, icBoth},
        {ViewArrHorzAction, icBoth},
        {ViewArrVertAction, icBoth},
        {ViewArrResAction, icBoth},
        {ViewInfoAction, icBoth},
        {WindowCascadeAction, icBoth},
        {WindowTileHorzAction, icBoth},
        {WindowTileVertAction, icBoth},
        {WindowMinimizeAllAction, icBoth},
        {WindowArrangeAllAction, icBoth},
        {WindowFitAction, icBoth},
        {WindowDuplAction, icBoth},
    };
}

std::string TMainForm::ProfileDir()
{
    // An installed program's own folder is read-only: the profiles live with the user's data.
    QString base;
    const char* dir = std::getenv("QM_SETTINGS_DIR");
    if (dir && *dir)
        base = QDir(QString::fromLocal8Bit(dir)).filePath("Tarnwick/QMK");
    else
        base = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath("Tarnwick/QMK");
    return QDir(base).filePath("Profiles").toStdString();
}

// ---- image windows ----

TImageForm* TMainForm::ActiveImage() const
{
    // The current window, not the focused one: a box or a floating toolbar taking the focus does
    // not take the panels away from it.
    return qobject_cast<TImageForm*>(MdiArea->currentSubWindow());
}

std::vector<TImageForm*> TMainForm::ImageWindows() const
{
    std::vector<TImageForm*> forms;
    for (QMdiSubWindow* w : MdiArea->subWindowList())
        if (auto* f = qobject_cast<TImageForm*>(w)) forms.push_back(f);
    return forms;
}

void TMainForm::ApplyDefaultProfile(TImageForm* a)
{
    a->DefaultProfileApplied = true;
    if (Prefs.NameDefProfile.empty()) return; // no profile chosen yet
    const std::string file = ProfileFileName(ProfileDir(), Prefs.NameDefProfile);
    try {
        ReadProfileFile(*a->Image, file); // applies nothing unless the whole file was read
    } catch (const std::exception& e) {
        // Reported once per file in a session, after the callback has returned (no box inside it).
        if (std::find(FProfileWarned.begin(), FProfileWarned.end(), file) != FProfileWarned.end()) return;
        FProfileWarned.push_back(file);
        const std::string text = "Cannot apply the default compression profile " + file + "\n" + e.what();
        QTimer::singleShot(0, this, [this, text] { ShowWarning(Owner(), text); });
    }
}

void TMainForm::ImageStateChanged(TImageForm* sender, uint8_t kind)
{
    TImageForm* a = ActiveImage();
    const bool keep = GlobalProfileBtn->isChecked();
    // 1: the default profile of a new window.
    if (a && !a->DefaultProfileApplied && !keep && (Prefs.InitComprParams == 1 || Prefs.InitComprParams == 2))
        ApplyDefaultProfile(a);
    // 2: the active window closing hands its settings to the kept profile before it goes.
    if (kind == 2 && keep && sender == a) {
        GetSettingsRecord(*sender->Image, GlobalProfile);
        LastActiveImage = nullptr;
        return;
    }
    // 3.
    if (!a || a->IsClosing()) return;
    // 4: the window left behind gives the kept profile its latest settings.
    TImageForm* last = LastActiveImage.data();
    if (keep && a != last && last && !last->IsClosing()) GetSettingsRecord(*last->Image, GlobalProfile);
    // 5.
    if (sender != a) return;
    if (kind == 0) {
        bool unchanged = !a->HasPendingChanges();
        // 7: the kept profile goes to a window that differs from it, which then runs at once.
        if (keep && a != last) {
            TJPEGProfile current;
            GetSettingsRecord(*a->Image, current);
            if (!ProfilesMatch(current, GlobalProfile)) {
                ApplySettingsRecord(*a->Image, GlobalProfile);
                a->DefaultProfileApplied = true;
                a->MarkParamsChanged(true);
                a->ForceRun = true;
                unchanged = false;
            }
        }
        LastActiveImage = a;
        const QScopedValueRollback<bool> showing(ShowingWindowSettings, true);
        EnableImageActions(); // at once, not only at the next idle pass
        PullWindowState(a);
        FillPanels(*a->Image, true, pgAll);
        SetZoomTrack(a->Zoom);
        // Filling the panels is no change.
        if (unchanged && a->HasPendingChanges()) a->MarkParamsChanged(false);
    }
    // 12: what a progress report changes too.
    UpdateStopAction(a);
    EchoRatio(a);
    RepaintStatusBar();
}

void TMainForm::PullWindowState(TImageForm* a)
{
    LumChromSyncBtn->setChecked(a->LumChromSync);
    SLumChromSyncBtn->setChecked(a->SLumChromSync);
    HoldComprRatioBtn->setChecked(a->Image->ComprRatio > 0.0f);
    const bool selecting = a->Tool == 2;
    QAction* shapes[] = {SelRectAction, SelElliptAction, SelPolyAction};
    for (int i = 0; i < 3; ++i) {
        shapes[i]->setEnabled(selecting);
        if (a->SelShape == i) shapes[i]->setChecked(true);
    }
    ViewZoomInAction->setEnabled(a->CanZoomIn());
    ViewZoomOutAction->setEnabled(a->CanZoomOut());
    ViewActSizeAction->setEnabled(!a->IsActualSize());
    // The checks of the window's tool, options and layout.
    QAction* tools[] = {OptToolMoveAction, OptToolZoomAction, OptToolSelAction};
    if (a->Tool <= 2) tools[a->Tool]->setChecked(true);
    SelHideAction->setChecked(a->SelectionsHidden);
    const TJPEGImage& image = *a->Image;
    (image.SelectiveCompression ? OptSelAction : OptPlainAction)->setChecked(true);
    (image.ProgressiveEncoding ? OptProgAction : OptOptAction)->setChecked(true);
    (image.Grayscale ? OptGrayAction : OptColorAction)->setChecked(true);
    (image.EqualizerFullControl ? OptEqFullAction : OptEqAdjAction)->setChecked(true);
    QAction* precision[] = {OptPrecNormAction, OptPrecHighAction, OptPrecLowAction};
    const int mode = image.Grayscale ? a->SavedPrecision : image.GetSubsampling();
    if (mode >= 0 && mode <= 2) precision[mode]->setChecked(true);
    // A grey picture has no chroma: the precision keeps its check but cannot be chosen.
    for (QAction* p : precision) p->setEnabled(!image.Grayscale);
    QAction* layouts[] = {ViewArrHorzAction, ViewArrVertAction, ViewArrResAction};
    if (a->ViewLayout <= 2) layouts[a->ViewLayout]->setChecked(true);
}

// ---- command states ----

void TMainForm::EnableImageActions()
{
    if (!NoImageState) return;
    for (const auto& [command, use] : ImageCommands())
        if (use & icEnableWithImage) SetCommandEnabled(command, true);
    EnablePanels(true);
    NoImageState = false;
}

void TMainForm::UpdateNoImageState()
{
    if (NoImageState) return;
    for (const auto& [command, use] : ImageCommands())
        if (use & icDisableWithoutImage) SetCommandEnabled(command, false);
    EnablePanels(false);
    LastActiveImage = nullptr;
    NoImageState = true;
    // The next window opens at the top left again.
    NextCascadeStep = 0;
    RepaintStatusBar();
}

void TMainForm::UpdateImageActions()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    const bool savable = a->CanSave();
    FileSaveAction->setEnabled(savable);
    FileSaveAsAction->setEnabled(savable);
    FileMailAction->setEnabled(savable);
    FileSysMenuAction->setEnabled(savable);
    ViewInfoAction->setEnabled(savable);
    ViewSrcAsResBtn->setEnabled(savable);
    EditCompressAction->setEnabled(!a->Busy);
    EditStopAction->setEnabled(a->Busy && (a->ProgressOperation == 0 || a->ProgressOperation == 2));
    FileExportBMPAction->setEnabled(a->SourceBitmap() != nullptr);
    EditCopyAction->setEnabled(a->SourceBitmap() != nullptr);
    const bool selections = a->SelectionCount() > 0;
    SelDelAction->setEnabled(selections);
    SelDelAllAction->setEnabled(selections);
    SelHideAction->setEnabled(selections);
    EditCropAction->setEnabled(a->HasRectSelection() && a->SourceBitmap() != nullptr);
    EditResizeAction->setEnabled(!a->Busy && a->SourceBitmap() != nullptr);
    ViewZoomFitAction->setEnabled(!a->IsZoomedToFit());
    ViewZoomInAction->setEnabled(a->CanZoomIn());
    ViewZoomOutAction->setEnabled(a->CanZoomOut());
    ViewActSizeAction->setEnabled(!a->IsActualSize());
}

void TMainForm::UpdateStopAction(TImageForm* a)
{
    const bool busy = a && a->Busy && (a->ProgressOperation == 0 || a->ProgressOperation == 2);
    QAction* carried = busy ? EditStopAction : EditCompressAction;
    if (CompressBtn->Action() != carried) CompressBtn->SetAction(carried);
    EditStopAction->setEnabled(busy);
}

void TMainForm::EnablePanels(bool enabled)
{
    for (QTabBar* tabs : {ComprTabControl, PrefiltTabControl}) {
        tabs->setEnabled(enabled);
        // Without a window the tabs go back to "Base".
        if (!enabled && tabs->currentIndex() != 0) tabs->setCurrentIndex(0);
        tabs->update();
    }
    if (!enabled) {
        SComprPanel->hide();
        ComprPanel->show();
    }
    EnablePanel(ComprPanel, enabled);
    EnablePanel(SComprPanel, enabled);
    EnablePanel(ComprEqPanel, enabled);
    EnablePanel(PrefiltPanel1, enabled);
    EnablePanel(PrefiltPanel2, enabled);
    if (TImageForm* a = ActiveImage()) FillPanels(*a->Image, true, pgAll);
}

void TMainForm::EnablePanel(QWidget* panel, bool enabled)
{
    // The panel's own state; its controls follow it (and keep their own when it is enabled).
    if (panel->isEnabledTo(panel->parentWidget()) != enabled) panel->setEnabled(enabled);
}

void TMainForm::GlobalProfileBtnClick()
{
    if (TImageForm* a = ActiveImage()) GetSettingsRecord(*a->Image, GlobalProfile);
}

// ---- the timer ----

void TMainForm::TimerTimer()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    if (AutoCompress && a->AutoCompressDue()) {
        a->StartCompression();
        UpdateImageActions();
    }
    if (a->ZoomTimerActive) a->TimerEvent();
}
