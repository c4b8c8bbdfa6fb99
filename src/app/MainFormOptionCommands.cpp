// Option commands of the main window: the mouse tool, plain or selective compression, the encoding
// options, the equalizer mode, the chroma precision, when to compress, the advanced settings and
// Reset.
#include <QAction>
#include <QActionGroup>

#include "app/IntMarksForm.h"
#include "app/MainForm.h"
#include "resample/ui/ResolutionForm.h"
#include "codec/JPEGImage.h"
#include "codec/JPEGProfile.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"

void TMainForm::CreateOptionActions()
{
    OptToolMoveAction =
        MakeAction("OptToolMoveAction", "&Move", {}, [this] { OptToolActionExecute(0, true); });
    OptToolSelAction =
        MakeAction("OptToolSelAction", "&Selection", {}, [this] { OptToolActionExecute(2, true); });
    OptToolZoomAction =
        MakeAction("OptToolZoomAction", "&Zoom", {}, [this] { OptToolActionExecute(1, true); });
    RadioGroup({OptToolMoveAction, OptToolSelAction, OptToolZoomAction});
    OptPlainAction = MakeAction("OptPlainAction", "&Plain", {}, [this] { OptSelectiveExecute(false, true); });
    OptSelAction = MakeAction("OptSelAction", "&Selective", {}, [this] { OptSelectiveExecute(true, true); });
    RadioGroup({OptPlainAction, OptSelAction});
    OptOptAction = MakeAction("OptOptAction", "&Optimized", {}, [this] { OptProgressiveExecute(false); });
    OptProgAction =
        MakeAction("OptProgAction", "P&rogressive (Web)", {}, [this] { OptProgressiveExecute(true); });
    RadioGroup({OptOptAction, OptProgAction});
    OptColorAction =
        MakeAction("OptColorAction", "&True Color (24 bit)", {}, [this] { OptColorActionExecute(); });
    OptGrayAction =
        MakeAction("OptGrayAction", "&Gray Scale (8 bit)", {}, [this] { OptGrayActionExecute(); });
    RadioGroup({OptColorAction, OptGrayAction});
    OptEqAdjAction = MakeAction("OptEqAdjAction", "&Adjustment", {}, [this] { OptEqualizerExecute(false); });
    OptEqFullAction =
        MakeAction("OptEqFullAction", "&Full Control", {}, [this] { OptEqualizerExecute(true); });
    RadioGroup({OptEqAdjAction, OptEqFullAction});
    OptPrecNormAction = MakeAction("OptPrecNormAction", "&Normal (2 Luma : 1 Chroma)", {},
                                   [this] { OptPrecisionExecute(0); });
    OptPrecHighAction =
        MakeAction("OptPrecHighAction", "&High (2 Luma : 2 Chroma)", {}, [this] { OptPrecisionExecute(1); });
    OptPrecLowAction =
        MakeAction("OptPrecLowAction", "&Low (1 Luma : 2 Chroma)", {}, [this] { OptPrecisionExecute(2); });
    RadioGroup({OptPrecNormAction, OptPrecHighAction, OptPrecLowAction});
    OptCompAutAction = MakeAction("OptCompAutAction", "&Options change (automatically)", {},
                                  [this] { OptCompressOnExecute(true); });
    OptCompCmdAction =
        MakeAction("OptCompCmdAction", "&Command", {}, [this] { OptCompressOnExecute(false); });
    RadioGroup({OptCompAutAction, OptCompCmdAction});
    OptIntMarksAction =
        MakeAction("OptIntMarksAction", "&Integrity marks...", {}, [this] { OptIntMarksActionExecute(); });
    OptDPIAction = MakeAction("OptDPIAction", "Resolution...", {}, [this] { OptDPIActionExecute(); });
    OptKeepDateAction = MakeAction("OptKeepDateAction", "Keep original file date", {}, [this] {
        Prefs.KeepOrigDatetime = OptKeepDateAction->isChecked();
        ImageWindowPrefs().KeepOrigDatetime = Prefs.KeepOrigDatetime;
        for (TImageForm* f : ImageWindows())
            f->KeepOrigDatetime = Prefs.KeepOrigDatetime;
    });
    OptKeepDateAction->setCheckable(true);
    OptMaxOptAction = MakeAction("OptMaxOptAction", "Maximum optimization", {}, [this] {
        Prefs.ExtraOptimization = OptMaxOptAction->isChecked();
        ImageWindowPrefs().ExtraOptimization = Prefs.ExtraOptimization;
        for (TImageForm* f : ImageWindows())
            f->Image->OptimizeCoding = Prefs.ExtraOptimization;
    });
    OptMaxOptAction->setCheckable(true);
    OptResetAction = MakeAction("OptResetAction", "Reset", {}, [this] { OptResetActionExecute(); });
    OptPrefsAction = MakeAction("OptPrefsAction", "Program Preferences...", QKeySequence("Alt+A"),
                                [this] { OptPrefsActionExecute(); });
}

void TMainForm::OptToolActionExecute(uint8_t tool, bool byUser)
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    a->SetTool(tool);
    QAction* tools[] = {OptToolMoveAction, OptToolZoomAction, OptToolSelAction};
    tools[tool]->setChecked(true);
    if (tool == 2) {
        if (a->SelectionsHidden) a->ToggleSelectionsHidden();
        SelHideAction->setChecked(false);
        // Choosing the Selection tool means selective compression (never back again from there).
        if (byUser && !a->Image->SelectiveCompression) OptSelectiveExecute(true, false);
    }
    PullWindowState(a);
    UpdateImageActions();
}

void TMainForm::OptSelectiveExecute(bool selective, bool byUser)
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    a->Image->SelectiveCompression = selective;
    a->MarkParamsChanged(true);
    (selective ? OptSelAction : OptPlainAction)->setChecked(true);
    if (selective && byUser && a->Tool != 2) OptToolActionExecute(2, false);
    FillPanels(*a->Image, true, pgAll);
}

void TMainForm::OptProgressiveExecute(bool progressive)
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    a->Image->ProgressiveEncoding = progressive;
    a->MarkParamsChanged(true);
    (progressive ? OptProgAction : OptOptAction)->setChecked(true);
}

void TMainForm::OptColorActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    const bool wasGray = a->Image->Grayscale;
    a->Image->Grayscale = false;
    // The precision that was in force before the picture went grey.
    if (wasGray) a->Image->SetSubsampling(a->SavedPrecision);
    a->MarkParamsChanged(true);
    OptColorAction->setChecked(true);
    FillPanels(*a->Image, true, pgAll);
    PullWindowState(a);
}

void TMainForm::OptGrayActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    if (!a->Image->Grayscale) a->SavedPrecision = uint8_t(a->Image->GetSubsampling());
    a->Image->Grayscale = true;
    a->MarkParamsChanged(true);
    OptGrayAction->setChecked(true);
    FillPanels(*a->Image, true, pgAll);
    PullWindowState(a);
}

void TMainForm::OptEqualizerExecute(bool fullControl)
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    a->Image->EqualizerFullControl = fullControl;
    a->Image->ResetSettings(2); // the base bands start again from 0 in the other mode
    a->MarkParamsChanged(true);
    (fullControl ? OptEqFullAction : OptEqAdjAction)->setChecked(true);
    FillPanels(*a->Image, true, pgAll);
}

void TMainForm::OptPrecisionExecute(int mode)
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    a->Image->SetSubsampling(mode);
    a->MarkParamsChanged(true);
    QAction* modes[] = {OptPrecNormAction, OptPrecHighAction, OptPrecLowAction};
    modes[mode]->setChecked(true);
}

void TMainForm::OptCompressOnExecute(bool automatic)
{
    AutoCompress = automatic;
    (automatic ? OptCompAutAction : OptCompCmdAction)->setChecked(true);
}

void TMainForm::OptIntMarksActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    TIntMarksForm form(this, OnHelp);
    form.SetInterval(a->GetRestartInterval());
    if (form.exec() == QDialog::Accepted) a->SetRestartInterval(form.Interval());
}

void TMainForm::OptDPIActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    TResolutionForm form(this, OnHelp);
    form.HorzDPI = a->Image->XDensity;
    form.VertDPI = a->Image->YDensity;
    form.DefaultForProfile = a->Image->MatchMask & mmResolution;
    if (form.exec() != QDialog::Accepted) return;
    ApplyResolution(*a->Image, form.HorzDPI, form.VertDPI, form.DefaultForProfile);
    a->MarkParamsChanged(true);
}

void TMainForm::ApplyResolution(TJPEGImage& image, int horzDPI, int vertDPI, bool forProfile)
{
    image.XDensity = horzDPI;
    image.YDensity = vertDPI;
    if (forProfile)
        image.MatchMask |= mmResolution;
    else
        image.MatchMask &= uint16_t(~mmResolution);
}

void TMainForm::OptResetActionExecute()
{
    if (!ActiveImage()) return;
    for (int group : {0, 2, 4, 1, 3, 5})
        ResetGroup(group, pgAll);
    OptSelectiveExecute(false, false);
    OptProgressiveExecute(false);
    OptColorActionExecute();
    OptEqualizerExecute(false);
    OptPrecisionExecute(0);
    OptCompressOnExecute(true);
}
