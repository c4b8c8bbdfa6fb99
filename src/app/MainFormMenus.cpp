// The main menu after File, the eleven toolbars with their common menu, View > Toolbars, and the
// image windows' pop-up menu.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QGridLayout>

#include "controls/Dock.h"
#include "controls/Toolbar.h"
#include "controls/ToolbarButton.h"

#include "app/CommandPictures.h"
#include "app/MainForm.h"
#include "app/ParamWidgets.h"
#include "common/HelpTopics.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"
#include "workspace/WindowCommandMath.h"

namespace {

constexpr int KZoomSliderLength = 90;
constexpr int KZoomSliderBreadth = 22;
// The first group index handed to a lone checkable button (the designed groups use 1..6).
constexpr int KLoneGroupBase = 100;

// One entry of a toolbar's table: an action's button, or a separator (no action).
struct TBarItem
{
    QAction* Action = nullptr;
    int Group = 0; // 0: the button does not latch with others
};
constexpr TBarItem KSep{};

} // namespace

void TMainForm::CreateCommandMenus()
{
    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->addActions({EditCompressAction, EditStopAction});
    edit->addSeparator();
    edit->addActions({EditCopyAction, EditPasteAction});
    edit->addSeparator();
    edit->addActions({EditCropAction, EditResizeAction});
    edit->addSeparator();
    edit->addAction(EditCommentAction);
    edit->addSeparator();
    edit->addAction(EditProfileAction);

    QMenu* sel = menuBar()->addMenu("&Selection");
    sel->addActions({SelRectAction, SelElliptAction, SelPolyAction});
    sel->addSeparator();
    sel->addActions({SelDelAction, SelDelAllAction});
    sel->addSeparator();
    sel->addAction(SelHideAction);

    QMenu* opt = menuBar()->addMenu("&Options");
    opt->addMenu("Tool")->addActions({OptToolMoveAction, OptToolSelAction, OptToolZoomAction});
    opt->addSeparator();
    opt->addActions({OptPlainAction, OptSelAction});
    opt->addSeparator();
    opt->addActions({OptOptAction, OptProgAction});
    opt->addSeparator();
    opt->addActions({OptColorAction, OptGrayAction});
    opt->addSeparator();
    opt->addMenu("Pre&cision")->addActions({OptPrecNormAction, OptPrecHighAction, OptPrecLowAction});
    opt->addMenu("&Equalizer")->addActions({OptEqAdjAction, OptEqFullAction});
    opt->addSeparator();
    opt->addMenu("Advanced")
        ->addActions({OptDPIAction, OptIntMarksAction, OptKeepDateAction, OptMaxOptAction});
    opt->addSeparator();
    opt->addMenu("Co&mpress on")->addActions({OptCompAutAction, OptCompCmdAction});
    opt->addSeparator();
    opt->addAction(OptResetAction);
    opt->addSeparator();
    opt->addAction(OptPrefsAction);

    QMenu* view = menuBar()->addMenu("&View");
    view->addActions(
        {ViewZoomInAction, ViewZoomOutAction, ViewZoomFitAction, ViewActSizeAction, ViewCenterAction});
    view->addSeparator();
    view->addActions({ViewArrHorzAction, ViewArrVertAction, ViewArrResAction});
    view->addSeparator();
    view->addAction(ViewInfoAction);
    view->addSeparator();
    ToolbarsMenu = view->addMenu("&Toolbars");
    ToolbarsMenu->setObjectName("ToolbarsMenu");

    WindowMenu = menuBar()->addMenu("&Window");
    WindowMenu->setObjectName("WindowMenu");
    WindowMenu->addActions({WindowCascadeAction, WindowTileHorzAction, WindowTileVertAction,
                            WindowMinimizeAllAction, WindowArrangeAllAction});
    WindowMenu->addSeparator();
    WindowMenu->addActions({WindowDuplAction, WindowFitAction});
    WindowMenu->addSeparator()->setObjectName("WindowListSeparator");
    connect(WindowMenu, &QMenu::aboutToShow, this, [this] { RebuildWindowList(); });

    QMenu* help = menuBar()->addMenu("&Help");
    help->addActions({HelpContentsAction, HelpTopicsAction});
    help->addSeparator();
    help->addActions({HelpSupportAction, HelpFeedbackAction});
    help->addSeparator();
    help->addAction(HelpTellFriendsAction);
    help->addSeparator();
    help->addActions({HelpWebSiteAction, HelpAboutAction});
}

void TMainForm::CreateImages()
{
    Images = MakeImageList(qApp->devicePixelRatio());
    for (const TCommandPicture& picture : CommandPictures())
        if (auto* action = findChild<QAction*>(picture.Name, Qt::FindDirectChildrenOnly))
            SetActionImage(action, Images, PictureSlot(picture.Name));
    QuickCompareImage = PictureSlot("ViewSrcAsResBtn");
}

void TMainForm::CreateDocks()
{
    auto* centre = new QWidget(this);
    centre->setObjectName("DockFrame");
    TopDockBar = new TDock(centre, TDockPosition::dpTop);
    BottomDockBar = new TDock(centre, TDockPosition::dpBottom);
    LeftDockBar = new TDock(centre, TDockPosition::dpLeft);
    RightDockBar = new TDock(centre, TDockPosition::dpRight);
    TopDockBar->setObjectName("TopDockBar");
    BottomDockBar->setObjectName("BottomDockBar");
    LeftDockBar->setObjectName("LeftDockBar");
    RightDockBar->setObjectName("RightDockBar");
    TopDockBar->SetBoundLines(blTop | blBottom | blLeft | blRight);
    auto* grid = new QGridLayout(centre);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(TopDockBar, 0, 0, 1, 3);
    grid->addWidget(LeftDockBar, 1, 0);
    grid->addWidget(MdiArea, 1, 1);
    grid->addWidget(RightDockBar, 1, 2);
    grid->addWidget(BottomDockBar, 2, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    setCentralWidget(centre);
}

TToolbar* TMainForm::MakeToolbar(const char* caption, const char* name, TDock* dock, int row, int pos)
{
    auto* bar = new TToolbar(this);
    bar->setObjectName(name);
    bar->SetCaption(caption);
    bar->SetDefaultDock(dock);
    bar->SetDockRow(row);
    bar->SetDockPos(pos);
    bar->SetDockedTo(dock);
    return bar;
}

void TMainForm::CreateToolbars()
{
    CreateImages();
    int loneGroup = KLoneGroupBase;
    // A toolbar from its table: one button per action, a separator where the table has one. A
    // checkable action outside the designed groups latches on its own (a group of one that may be up).
    auto fill = [this, &loneGroup](TToolbar* bar, std::initializer_list<TBarItem> items) {
        for (const TBarItem& item : items) {
            if (!item.Action) {
                new TToolbarSep(bar);
                continue;
            }
            auto* b = new TToolbarButton(bar);
            b->setObjectName(item.Action->objectName() + "Btn");
            b->SetImages(&Images);
            if (item.Group) {
                b->SetGroupIndex(item.Group);
            } else if (item.Action->isCheckable()) {
                b->SetGroupIndex(loneGroup++);
                b->SetAllowAllUp(true);
            }
            b->SetAction(item.Action);
        }
        bar->ArrangeControls();
    };

    // Designed places for the 900 x 650 window: two lines at the top, a column each on the left and
    // the right, the parameter toolbars at the bottom.
    FileToolbar = MakeToolbar("File", "FileToolbar", TopDockBar, 0, 0);
    fill(FileToolbar, {{FileOpenAction},
                       {FileSaveAsAction},
                       {FileSaveAction},
                       KSep,
                       {FileAcquireAction},
                       {FileMailAction},
                       KSep});
    // One button carries Compress, or Stop while the active window works.
    CompressBtn = new TToolbarButton(FileToolbar);
    CompressBtn->setObjectName("CompressBtn");
    CompressBtn->SetImages(&Images);
    CompressBtn->SetAction(EditCompressAction);
    fill(FileToolbar, {{ViewInfoAction}, {HelpContentsAction}, KSep});
    // The profile button runs Load Profile; its arrow always drops the profile menu.
    ProfileBtn = new TToolbarButton(FileToolbar);
    ProfileBtn->setObjectName("ProfileBtn");
    ProfileBtn->SetImages(&Images);
    ProfileBtn->SetDropdownMenu(LoadProfileMenu);
    ProfileBtn->SetDropdownCombo(true);
    ProfileBtn->SetDropdownArrowWidth(12);
    ProfileBtn->SetAction(FileLoadProfileAction);
    ProfileBtn->setToolTip("Loads a compression profile");
    fill(FileToolbar, {KSep, {FileBatchProcAction}});

    SelectionToolbar = MakeToolbar("Selection", "SelectionToolbar", TopDockBar, 0, 330);
    fill(SelectionToolbar, {{SelRectAction, 7},
                            {SelElliptAction, 7},
                            {SelPolyAction, 7},
                            KSep,
                            {SelHideAction},
                            KSep,
                            {SelDelAction},
                            {SelDelAllAction}});
    EditToolbar = MakeToolbar("Edit", "EditToolbar", TopDockBar, 1, 0);
    fill(EditToolbar, {{EditPasteAction},
                       {EditCommentAction},
                       {EditCopyAction},
                       KSep,
                       {EditResizeAction},
                       {EditCropAction},
                       KSep,
                       {EditProfileAction}});
    ToolsToolbar = MakeToolbar("Tools", "ToolsToolbar", TopDockBar, 1, 180);
    fill(ToolsToolbar, {{OptToolMoveAction, 8}, {OptToolSelAction, 8}, {OptToolZoomAction, 8}});
    WindowToolbar = MakeToolbar("Window", "WindowToolbar", TopDockBar, 1, 270);
    fill(WindowToolbar, {{WindowCascadeAction},
                         {WindowTileHorzAction},
                         {WindowTileVertAction},
                         {WindowMinimizeAllAction},
                         KSep,
                         {WindowFitAction},
                         {WindowDuplAction}});

    OptionsToolbar = MakeToolbar("Options", "OptionsToolbar", LeftDockBar, 0, 0);
    fill(OptionsToolbar, {{OptPlainAction, 1},
                          {OptSelAction, 1},
                          KSep,
                          {OptGrayAction, 3},
                          {OptColorAction, 3},
                          KSep,
                          {OptProgAction, 2},
                          {OptOptAction, 2},
                          KSep,
                          {OptPrecHighAction, 4},
                          {OptPrecNormAction, 4},
                          {OptPrecLowAction, 4}});
    ControlsToolbar = MakeToolbar("Controls", "ControlsToolbar", LeftDockBar, 1, 0);
    fill(ControlsToolbar, {{OptEqAdjAction, 5},
                           {OptEqFullAction, 5},
                           KSep,
                           {OptCompAutAction, 6},
                           {OptCompCmdAction, 6},
                           KSep,
                           {OptResetAction}});

    ZoomToolbar = MakeToolbar("Zoom", "ZoomToolbar", RightDockBar, 0, 0);
    fill(ZoomToolbar, {{ViewZoomInAction},
                       {ViewZoomOutAction},
                       {ViewActSizeAction},
                       {ViewZoomFitAction},
                       {ViewCenterAction},
                       KSep});
    ZoomTrackBar = new TRangeSlider(Qt::Vertical, 0, 100, 50, ZoomToolbar);
    ZoomTrackBar->setObjectName("ZoomTrackBar");
    // Position 0 (the largest zoom) stands at the top of the upright slider and at the left of the
    // lying one; the arrow keys move toward where they point.
    auto placeLargestZoom = [this](bool vertical) {
        ZoomTrackBar->setInvertedAppearance(vertical);
        ZoomTrackBar->setInvertedControls(vertical);
    };
    placeLargestZoom(true);
    ZoomTrackBar->setToolTip("Zoom");
    ZoomTrackBar->resize(KZoomSliderBreadth, KZoomSliderLength);
    connect(ZoomTrackBar, &QSlider::valueChanged, this, [this] { ZoomTrackBarChange(); });
    // Vertical on a side dock, horizontal on the top or bottom one and floating.
    ZoomToolbar->OnDockChangingHidden = [this, placeLargestZoom](TCustomToolWindow*, TDock* dockingTo) {
        const bool vertical = dockingTo && dockingTo->Orientation() == TDockOrientation::doVertical;
        ZoomTrackBar->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
        placeLargestZoom(vertical);
        ZoomTrackBar->resize(vertical ? QSize(KZoomSliderBreadth, KZoomSliderLength)
                                      : QSize(KZoomSliderLength, KZoomSliderBreadth));
    };
    ZoomToolbar->ArrangeControls();

    ViewToolbar = MakeToolbar("View", "ViewToolbar", RightDockBar, 1, 0);
    fill(ViewToolbar, {{ViewArrHorzAction, 9}, {ViewArrResAction, 9}, {ViewArrVertAction, 9}, KSep});
    ViewSrcAsResBtn = new TToolbarButton(ViewToolbar);
    ViewSrcAsResBtn->setObjectName("ViewSrcAsResBtn");
    ViewSrcAsResBtn->SetImages(&Images);
    ViewSrcAsResBtn->SetImageIndex(QuickCompareImage);
    ViewSrcAsResBtn->setToolTip("Displays the source image instead of the result image (while pressed)");
    ViewSrcAsResBtn->setStatusTip(ViewSrcAsResBtn->toolTip());
    // The left button only: the source shows while it is held.
    ViewSrcAsResBtn->OnMouseDown = [this](TToolbarButton*, Qt::MouseButton button, Qt::KeyboardModifiers, int,
                                          int) {
        if (button != Qt::LeftButton) return;
        if (TImageForm* a = ActiveImage()) a->ShowSourceAsResult(true);
    };
    ViewSrcAsResBtn->OnMouseUp = [this](TToolbarButton*, Qt::MouseButton button, Qt::KeyboardModifiers, int,
                                        int) {
        if (button != Qt::LeftButton) return;
        if (TImageForm* a = ActiveImage()) a->ShowSourceAsResult(false);
    };
    ViewToolbar->ArrangeControls();
}

void TMainForm::CreateToolbarMenu()
{
    ToolbarMenu = new QMenu(this);
    ToolbarMenu->setObjectName("ToolbarMenu");
    ShowTipsItem = ToolbarMenu->addAction("Show &Tips");
    FlatButtonsItem = ToolbarMenu->addAction("&Flat Buttons");
    HiliteButtonsItem = ToolbarMenu->addAction("H&ighlight Pressed Buttons");
    ToolbarMenu->addSeparator();
    DockedItem = ToolbarMenu->addAction("&Docked");
    HideToolbarItem = ToolbarMenu->addAction("Hid&e");
    HideToolbarItem->setVisible(false); // toolbars are hidden through View > Toolbars
    ToolbarMenu->addSeparator();
    ToolbarMenu->addAction(OptPrefsAction);
    QAction* help = ToolbarMenu->addAction("&Help...");
    for (QAction* a : {ShowTipsItem, FlatButtonsItem, HiliteButtonsItem, DockedItem})
        a->setCheckable(true);
    // Each toggles its preference, whatever check the item was last shown with.
    connect(ShowTipsItem, &QAction::triggered, this, [this] { Prefs.ShowTips = !Prefs.ShowTips; });
    connect(FlatButtonsItem, &QAction::triggered, this, [this] {
        Prefs.FlatButtons = !Prefs.FlatButtons;
        ApplyButtonStyles();
    });
    connect(HiliteButtonsItem, &QAction::triggered, this, [this] {
        Prefs.HiliteButtons = !Prefs.HiliteButtons;
        ApplyButtonStyles();
    });
    connect(DockedItem, &QAction::triggered, this, [this] {
        if (TToolbar* bar = ToolbarMenuTarget.data()) ToggleToolbarDocked(bar);
    });
    connect(HideToolbarItem, &QAction::triggered, this, [this] {
        if (TToolbar* bar = ToolbarMenuTarget.data()) bar->SetVisible(false);
    });
    connect(help, &QAction::triggered, this, [this] {
        if (OnHelp) OnHelp(htToolbars);
    });

    // View > Toolbars, in the menu's order; the checks follow the toolbars.
    const std::pair<const char*, TToolbar*> items[] = {
        {"&File", FileToolbar},
        {"&Edit", EditToolbar},
        {"&Selection", SelectionToolbar},
        {"&Tools", ToolsToolbar},
        {"&Zoom", ZoomToolbar},
        {"&View", ViewToolbar},
        {"&Window", WindowToolbar},
        {"&Options", OptionsToolbar},
        {"&Controls", ControlsToolbar},
        {"Com&pression", ComprToolbar},
        {"&Image Prefiltering", PrefiltToolbar},
    };
    for (const auto& [caption, bar] : items) {
        QAction* item = ToolbarsMenu->addAction(caption);
        item->setCheckable(true);
        ToolbarItems.emplace_back(item, bar);
        connect(item, &QAction::triggered, this, [bar](bool on) { bar->SetVisible(on); });
        bar->OnVisibleChanged = [this](TCustomToolWindow*) { SyncToolbarItems(); };
        bar->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(bar, &QWidget::customContextMenuRequested, this,
                [this, bar](const QPoint& at) { ToolbarMenuPopup(bar, bar->mapToGlobal(at)); });
    }
    SyncToolbarItems();
}

void TMainForm::ToggleToolbarDocked(TToolbar* bar)
{
    if (bar->IsDocked()) {
        // Floats where it floated last, or where it stands now when it never did.
        QPoint place = bar->FloatingPosition();
        if (place.isNull()) place = bar->mapToGlobal(QPoint(0, 0));
        bar->SetParent(this);
        bar->MoveFloating(place);
        bar->MoveOnScreen(false);
    } else {
        TDock* dock = bar->LastDock() ? bar->LastDock() : bar->DefaultDock();
        if (dock) bar->SetDockedTo(dock);
    }
}

void TMainForm::ToolbarMenuPopup(TToolbar* bar, const QPoint& globalPos)
{
    ToolbarMenuTarget = bar;
    ShowTipsItem->setChecked(Prefs.ShowTips);
    FlatButtonsItem->setChecked(Prefs.FlatButtons);
    HiliteButtonsItem->setChecked(Prefs.HiliteButtons);
    DockedItem->setChecked(bar->IsDocked());
    ToolbarMenu->popup(globalPos);
}

void TMainForm::SyncToolbarItems()
{
    for (const auto& [item, bar] : ToolbarItems)
        item->setChecked(bar->Visible());
}

void TMainForm::ApplyButtonStyles()
{
    for (TToolbarButton* button : findChildren<TToolbarButton*>()) {
        button->SetNoBorder(!Prefs.FlatButtons);
        button->SetHighlightWhenDown(Prefs.HiliteButtons);
    }
}

void TMainForm::CreateImageMenu()
{
    ImageMenu = new QMenu(this);
    ImageMenu->setObjectName("ImageMenu");
    ImageMenu->addActions({EditCompressAction, EditStopAction});
    ImageMenu->addSeparator();
    ImageMenu->addActions({FileSaveAsAction, FileCloseAction, FileMailAction, FileSysMenuAction});
    ImageMenu->addSeparator();
    ImageMenu->addActions({EditCopyAction, EditCropAction, EditResizeAction});
    ImageMenu->addSeparator();
    ImageMenu->addMenu("&Tool")->addActions({OptToolMoveAction, OptToolSelAction, OptToolZoomAction});
    QMenu* selection = ImageMenu->addMenu("&Selection");
    selection->addActions({SelRectAction, SelElliptAction, SelPolyAction});
    selection->addSeparator();
    selection->addActions({SelDelAction, SelDelAllAction, SelHideAction});
    ImageMenu->addSeparator();
    ImageMenu->addActions({ViewZoomFitAction, ViewActSizeAction});
    ImageMenu->addSeparator();
    ImageMenu->addAction(ViewInfoAction);

    // The units of the status figures: bit 4 sizes in KBytes, 8 and 16 the download times.
    QMenu* units = ImageMenu->addMenu("&File Size Units");
    units->setObjectName("FileSizeUnitsMenu");
    QAction* bytes = units->addAction("&Bytes");
    QAction* kbytes = units->addAction("&KBytes");
    units->addSeparator();
    QAction* slow = units->addAction("Download Time at &28.8 Kbit");
    QAction* fast = units->addAction("Download Time at &56 KBit");
    for (QAction* a : {bytes, kbytes, slow, fast})
        a->setCheckable(true);
    auto change = [this](TSizeUnitItem item) {
        Prefs.ImageInfoOptions = ToggleSizeUnit(Prefs.ImageInfoOptions, item);
        ImageWindowPrefs().ImageInfoOptions = Prefs.ImageInfoOptions;
        for (TImageForm* f : ImageWindows())
            f->StatusBar->update();
    };
    connect(bytes, &QAction::triggered, this, [change] { change(TSizeUnitItem::Bytes); });
    connect(kbytes, &QAction::triggered, this, [change] { change(TSizeUnitItem::KBytes); });
    connect(slow, &QAction::triggered, this, [change] { change(TSizeUnitItem::Time28k); });
    connect(fast, &QAction::triggered, this, [change] { change(TSizeUnitItem::Time56k); });
    connect(units, &QMenu::aboutToShow, this, [this, bytes, kbytes, slow, fast] {
        bytes->setChecked(!(Prefs.ImageInfoOptions & 4));
        kbytes->setChecked(Prefs.ImageInfoOptions & 4);
        slow->setChecked(Prefs.ImageInfoOptions & 8);
        fast->setChecked(Prefs.ImageInfoOptions & 16);
    });
    ImageMenu->addSeparator();
    QAction* help = ImageMenu->addAction("&Help...\tF1");
    help->setObjectName("ImageHelpItem");
    connect(help, &QAction::triggered, this, [this] {
        if (OnHelp) OnHelp(htContents);
    });
}
