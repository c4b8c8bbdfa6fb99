// View and help commands of the main window: zoom, centre, the layouts, the image information, and
// the help pages, mail links and the about box.
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>

#include "app/AboutBox.h"
#include "controls/HelpWindow.h"
#include "app/InfoForm.h"
#include "app/MailImage.h"
#include "app/MainForm.h"
#include "common/HelpTopics.h"
#include "common/StrRes.h"
#include "controls/Toolbar.h"
#include "workspace/ImageForm.h"
#include "workspace/WindowCommandMath.h"

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
    auto link = [this](std::string url) { return [this, url] { OpenAddress(Owner(), url); }; };
    // The F1 key opens the page of the panel under the mouse; the menu item and the button the contents.
    HelpContentsAction = MakeAction("HelpContentsAction", "&Contents...", QKeySequence("F1"), [this] {
        const int topic = FHelpByKey ? ContextHelpTopic() : htContents;
        FHelpByKey = false;
        if (OnHelp) OnHelp(topic);
    });
    HelpTopicsAction = MakeAction("HelpTopicsAction", "Help &Topics...", {}, help(htIndex));
    HelpSupportAction = MakeAction("HelpSupportAction", "&Support...", {},
                                   link(std::string("mailto:") + SMakerSupportAddress));
    HelpFeedbackAction = MakeAction("HelpFeedbackAction", "&Feedback...", {},
                                    link(std::string("mailto:") + SMakerFeedbackAddress));
    HelpTellFriendsAction = MakeAction("HelpTellFriendsAction", "T&ell My Friends...", {}, link("mailto:"));
    HelpWebSiteAction = MakeAction("HelpWebSiteAction", "&Web Site...", {}, link(SMakerWebAddress));
    HelpAboutAction = MakeAction("HelpAboutAction", "&About...", {}, [this] { HelpAboutActionExecute(); });
}

void TMainForm::AssignHelpTopics()
{
    auto assign = [](int topic, std::initializer_list<QWidget*> widgets) {
        for (QWidget* w : widgets)
            SetHelpTopic(w, topic);
    };
    assign(htCompressionLevels, {ComprToolbar, ComprPanel});
    assign(htHoldAndKeep, {HoldComprRatioBtn, ComprRatioLabel, ComprRatioEdit, GlobalProfileBtn});
    assign(htEqualizer, {ComprEqPanel});
    assign(htPrefilters, {PrefiltToolbar, PrefiltPanel1, PrefiltPanel2});
    assign(htSelectiveCompression, {SComprPanel, ComprTabControl, PrefiltTabControl, SelectionToolbar});
    assign(htImageWindows, {ToolsToolbar, ZoomToolbar, ViewToolbar});
    assign(htStatusBars, {statusBar()});
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
