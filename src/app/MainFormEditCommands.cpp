// Edit and selection commands of the main window, and the helpers every command file uses to make
// its actions.
#include <QAction>
#include <QActionGroup>

#include "app/CommentsForm.h"
#include "app/MainForm.h"
#include "codec/JPEGImage.h"
#include "codec/JPEGProfile.h"
#include "common/StrRes.h"
#include "platform/SettingsStore.h"
#include "resample/ui/ResizeForm.h"
#include "controls/ClipboardBitmap.h"
#include "workspace/ImageForm.h"

QAction* TMainForm::MakeAction(const char* name, const char* caption, const QKeySequence& keys,
                               std::function<void()> run)
{
    auto* action = new QAction(QString::fromUtf8(caption), this);
    action->setObjectName(name);
    if (!keys.isEmpty()) action->setShortcut(keys);
    connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    return action;
}

QActionGroup* TMainForm::RadioGroup(std::initializer_list<QAction*> actions)
{
    auto* group = new QActionGroup(this);
    for (QAction* a : actions) {
        a->setCheckable(true);
        group->addAction(a);
    }
    (*actions.begin())->setChecked(true);
    return group;
}

void TMainForm::CreateEditActions()
{
    auto onActive = [this](std::function<void(TImageForm*)> fn) {
        return [this, fn = std::move(fn)] {
            if (TImageForm* a = ActiveImage()) fn(a);
        };
    };
    auto compress = onActive([](TImageForm* a) {
        if (a->Busy)
            a->StopProcessing();
        else
            a->StartCompression();
    });
    EditCompressAction = MakeAction("EditCompressAction", "Com&press", QKeySequence("Ctrl+P"), compress);
    EditStopAction = MakeAction("EditStopAction", "Stop", QKeySequence("Shift+P"), compress);
    EditCopyAction = MakeAction("EditCopyAction", "&Copy", QKeySequence("Ctrl+C"),
                                onActive([](TImageForm* a) { a->CopyToClipboard(); }));
    EditPasteAction = MakeAction("EditPasteAction", "&Paste as New Image", QKeySequence("Ctrl+V"),
                                 [this] { MakeImageWindow()->LoadSourceFromClipboard(UntitledCounter++); });
    EditCropAction =
        MakeAction("EditCropAction", "C&rop", QKeySequence("Ctrl+X"), [this] { EditCropActionExecute(); });
    EditResizeAction = MakeAction("EditResizeAction", "Re&size...", QKeySequence("Shift+S"),
                                  [this] { EditResizeActionExecute(); });
    EditCommentAction = MakeAction("EditCommentAction", "Co&mment...", QKeySequence("Alt+T"),
                                   [this] { EditCommentActionExecute(); });
    EditProfileAction = MakeAction("EditProfileAction", "&Edit Profile...", QKeySequence("Alt+P"),
                                   [this] { EditProfileActionExecute(); });

    SelRectAction = MakeAction("SelRectAction", "&Rectangular", {},
                               onActive([](TImageForm* a) { a->SetSelectionShape(0); }));
    SelElliptAction = MakeAction("SelElliptAction", "&Elliptic", {},
                                 onActive([](TImageForm* a) { a->SetSelectionShape(1); }));
    SelPolyAction = MakeAction("SelPolyAction", "&Polygonal", {},
                               onActive([](TImageForm* a) { a->SetSelectionShape(2); }));
    RadioGroup({SelRectAction, SelElliptAction, SelPolyAction});
    SelDelAction = MakeAction("SelDelAction", "&Delete", QKeySequence("Ctrl+D"),
                              onActive([](TImageForm* a) { a->DeleteLastSelection(); }));
    SelDelAllAction = MakeAction("SelDelAllAction", "Delete &All", QKeySequence("Ctrl+Alt+D"),
                                 onActive([](TImageForm* a) { a->DeleteAllSelections(); }));
    SelHideAction = MakeAction("SelHideAction", "&Hide All", {}, onActive([this](TImageForm* a) {
                                   a->ToggleSelectionsHidden();
                                   SelHideAction->setChecked(a->SelectionsHidden);
                               }));
    SelHideAction->setCheckable(true);
}

void TMainForm::EditResizeActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a || a->Busy) return;
    const TBitmap* source = a->SourceBitmap();
    if (!source) return;
    std::unique_ptr<TSettingsStore> history = Settings ? Settings->OpenGroup(SResamplingSubKey) : nullptr;
    TResizeForm form(this, history.get(), OnHelp);
    form.SetImage(source->Width(), source->Height(), a->Image->XDensity, a->Image->YDensity,
                  a->Image->MatchMask & mmResolution);
    const bool ok = ResizeDialogRunner ? ResizeDialogRunner(form) : form.exec() == QDialog::Accepted;
    if (!ok) return;
    a->ResizeOptions = form.Options;
    a->StartResampling(true, [this](TImageForm* w) { OnResampleDone(w); });
    ApplyResolution(*a->Image, form.HorzDPI, form.VertDPI, form.ResolutionFlag);
}

void TMainForm::OnResampleDone(TImageForm* window)
{
    MakeImageWindow()->LoadSourceFromWindow(window, -1);
}

void TMainForm::EditCropActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a || !a->HasRectSelection()) return;
    // The new window takes the cut picture itself; the clipboard gets a copy of it (another
    // program may own the clipboard, or refuse it, without changing what opens).
    const TBitmap cut = a->ClipboardPicture();
    if (cut.Empty()) return;
    SetClipboardBitmap(cut);
    MakeImageWindow()->LoadSourceFromBitmap(cut, UntitledCounter++);
}

void TMainForm::EditProfileActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    TJPEGProfile current;
    GetSettingsRecord(*a->Image, current);
    TJPEGProfile edited = current;
    if (!RunProfileEditor(edited, *a->Image)) return;
    ApplyEditedProfile(a, current, edited);
}

void TMainForm::ApplyEditedProfile(TImageForm* a, const TJPEGProfile& current, const TJPEGProfile& edited)
{
    ApplySettingsRecord(*a->Image, edited);
    if (ProfilesMatch(edited, current)) return;
    // Other settings: the result shown was not made with them, and the panels show them.
    a->MarkParamsChanged(true);
    a->ForceRun = true;
    ImageStateChanged(a, 0);
}

void TMainForm::EditCommentActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    TCommentsForm form(this, OnHelp);
    form.SetText(a->GetCommentText());
    if (form.exec() == QDialog::Accepted) a->SetCommentText(form.Text());
}
