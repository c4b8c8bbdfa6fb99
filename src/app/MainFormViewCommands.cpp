// View and help commands of the main window: zoom, centre, the layouts, the image information, and
// the help pages, mail links and the about box.
#include <QAction>
#include <QActionGroup>

#include "app/AboutBox.h"
#include "app/HelpWindow.h"
#include "app/InfoForm.h"
#include "app/MailImage.h"
#include "app/MainForm.h"
#include "workspace/ImageForm.h"
#include "workspace/WindowCommandMath.h"

namespace {

const char* const KSupportMail = "mailto:support@tarnwick.example";
const char* const KFeedbackMail = "mailto:feedback@tarnwick.example";

} // namespace

void TMainForm::CreateViewActions()
{
    auto zoom = [this](std::function<void(TImageForm*)> fn) {
        return [this, fn = std::move(fn)] { ViewZoomExecute(fn); };
    };
    ViewZoomInAction = MakeAction("ViewZoomInAction", "Zoom &In", QKeySequence("Ctrl+Up"),
                                  zoom([](TImageForm* a) { a->SetZoom(ZoomInStep(a->Zoom)); }));
    ViewZoomOutAction = MakeAction("ViewZoomOutAction", "Zoom &Out", QKeySequence("Ctrl+Down"),
                                   zoom([](TImageForm* a) { a->SetZoom(ZoomOutStep(a->Zoom)); }));
    ViewZoomFitAction = MakeAction("ViewZoomFitAction", "Zoom to &Fit", QKeySequence("Ctrl+Ins"),
                                   zoom([](TImageForm* a) { a->ZoomToFit(); }));
    ViewActSizeAction = MakeAction("ViewActSizeAction", "&Actual size", QKeySequence("Ctrl+1"),
                                   zoom([](TImageForm* a) { a->SetZoom(100); }));
    ViewCenterAction = MakeAction("ViewCenterAction", "&Center", QKeySequence("Ctrl+Home"), [this] {
        if (TImageForm* a = ActiveImage()) a->CenterView();
    });
    ViewArrHorzAction = MakeAction("ViewArrHorzAction", "Arrange &Horizontally", QKeySequence("Alt+H"),
                                   [this] { ViewLayoutExecute(0); });
    ViewArrVertAction = MakeAction("ViewArrVertAction", "Arrange &Vertically", QKeySequence("Alt+V"),
                                   [this] { ViewLayoutExecute(1); });
    ViewArrResAction = MakeAction("ViewArrResAction", "Comp&ressed only", QKeySequence("Alt+R"),
                                  [this] { ViewLayoutExecute(2); });
    RadioGroup({ViewArrHorzAction, ViewArrVertAction, ViewArrResAction});
    ViewInfoAction = MakeAction("ViewInfoAction", "&Image Information", QKeySequence("Shift+I"),
                                [this] { ViewInfoActionExecute(); });
}

void TMainForm::CreateHelpActions()
{
    auto help = [this](int topic) {
        return [this, topic] {
            if (OnHelp) OnHelp(topic);
        };
    };
    auto link = [this](const char* url) { return [this, url] { OpenAddress(Owner(), url); }; };
    HelpContentsAction =
        MakeAction("HelpContentsAction", "&Contents...", QKeySequence("F1"), help(htContents));
    HelpTopicsAction = MakeAction("HelpTopicsAction", "Help &Topics...", {}, help(htIndex));
    HelpSupportAction = MakeAction("HelpSupportAction", "&Support...", {}, link(KSupportMail));
    HelpFeedbackAction = MakeAction("HelpFeedbackAction", "&Feedback...", {}, link(KFeedbackMail));
    HelpTellFriendsAction = MakeAction("HelpTellFriendsAction", "T&ell My Friends...", {}, link("mailto:"));
    HelpWebSiteAction = MakeAction("HelpWebSiteAction", "&Web Site...", {}, link(TAboutBox::MakerWeb));
    HelpAboutAction = MakeAction("HelpAboutAction", "&About...", {}, [this] { HelpAboutActionExecute(); });
}

void TMainForm::ViewZoomExecute(const std::function<void(TImageForm*)>& zoom)
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    zoom(a);
    ViewZoomInAction->setEnabled(a->CanZoomIn());
    ViewZoomOutAction->setEnabled(a->CanZoomOut());
    ViewActSizeAction->setEnabled(!a->IsActualSize());
    SetZoomTrack(a->Zoom);
}

void TMainForm::ViewLayoutExecute(uint8_t layout)
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    a->SetViewLayout(layout);
    QAction* layouts[] = {ViewArrHorzAction, ViewArrVertAction, ViewArrResAction};
    layouts[layout]->setChecked(true);
}

void TMainForm::ViewInfoActionExecute()
{
    TImageForm* a = ActiveImage();
    if (!a) return;
    TInfoForm form(this);
    form.Fill(ImageInfoFactsOf(*a));
    form.exec();
}

void TMainForm::HelpAboutActionExecute()
{
    TAboutBox about(this, false);
    about.exec();
}
