// The main menu after File, the eleven toolbars with their common menu, View > Toolbars, and the
// image windows' pop-up menu.
#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>

#include "app/HelpWindow.h"
#include "app/MainForm.h"
#include "workspace/ImageForm.h"
#include "workspace/ImageWindowPrefs.h"
#include "workspace/WindowCommandMath.h"

namespace {

// The toolbar pictures: a short mark on a tinted tile, one table for every button.
struct TGlyph
{
    const char* Action;
    const char* Mark;
    QRgb Tint;
};
constexpr QRgb KFile = 0xff3a6ea5, KEdit = 0xff5a8f3c, KSel = 0xffa5653a, KTool = 0xff7a4fa0,
               KWin = 0xff4f7f8f, KOpt = 0xff8f4f5f, KCtl = 0xff6f6f2f, KZoom = 0xff2f6f6f,
               KView = 0xff4f4f8f;
const TGlyph KGlyphs[] = {
    {"FileOpenAction", "Op", KFile},
    {"FileSaveAsAction", "S+", KFile},
    {"FileSaveAction", "Sv", KFile},
    {"EditCompressAction", "Go", KFile},
    {"FileAcquireAction", "Sc", KFile},
    {"FileMailAction", "@", KFile},
    {"FileBatchProcAction", "Bt", KFile},
    {"EditStopAction", "St", KFile},
    {"ViewInfoAction", "i", KFile},
    {"HelpContentsAction", "?", KFile},
    {"SelRectAction", "\u25ad", KSel},
    {"SelElliptAction", "\u25ef", KSel},
    {"SelPolyAction", "\u25b3", KSel},
    {"SelHideAction", "Hd", KSel},
    {"SelDelAction", "X", KSel},
    {"SelDelAllAction", "XX", KSel},
    {"EditPasteAction", "Pa", KEdit},
    {"EditCommentAction", "Tx", KEdit},
    {"EditCopyAction", "Cp", KEdit},
    {"EditResizeAction", "Rs", KEdit},
    {"EditCropAction", "Cr", KEdit},
    {"EditProfileAction", "Pf", KEdit},
    {"OptToolMoveAction", "\u2725", KTool},
    {"OptToolSelAction", "\u2b1a", KTool},
    {"OptToolZoomAction", "\u2315", KTool},
    {"WindowCascadeAction", "Cc", KWin},
    {"WindowTileHorzAction", "\u2261", KWin},
    {"WindowTileVertAction", "\u2016", KWin},
    {"WindowMinimizeAllAction", "_", KWin},
    {"WindowFitAction", "Ft", KWin},
    {"WindowDuplAction", "Dp", KWin},
    {"OptPlainAction", "Pl", KOpt},
    {"OptSelAction", "Se", KOpt},
    {"OptGrayAction", "Gr", KOpt},
    {"OptColorAction", "Co", KOpt},
    {"OptProgAction", "Pr", KOpt},
    {"OptOptAction", "Op", KOpt},
    {"OptPrecHighAction", "Hi", KOpt},
    {"OptPrecNormAction", "No", KOpt},
    {"OptPrecLowAction", "Lo", KOpt},
    {"OptEqAdjAction", "Ad", KCtl},
    {"OptEqFullAction", "Fc", KCtl},
    {"OptCompAutAction", "Au", KCtl},
    {"OptCompCmdAction", "Cm", KCtl},
    {"OptResetAction", "Rt", KCtl},
    {"ViewZoomInAction", "+", KZoom},
    {"ViewZoomOutAction", "\u2212", KZoom},
    {"ViewActSizeAction", "1:1", KZoom},
    {"ViewZoomFitAction", "Fit", KZoom},
    {"ViewCenterAction", "\u25ce", KZoom},
    {"ViewArrHorzAction", "\u25eb", KView},
    {"ViewArrResAction", "\u25a3", KView},
    {"ViewArrVertAction", "\u229f", KView},
};

constexpr int KGlyphSize = 18;
constexpr int KZoomSliderLength = 90;

QIcon GlyphIcon(const TGlyph& g)
{
    QPixmap pixmap(KGlyphSize, KGlyphSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor::fromRgba(g.Tint));
    p.setPen(Qt::NoPen);
    const QRect tile(0, 0, KGlyphSize, KGlyphSize);
    p.drawRoundedRect(QRectF(tile), 3, 3);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(QString::fromUtf8(g.Mark).size() > 2 ? 7 : 10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(tile, Qt::AlignCenter, QString::fromUtf8(g.Mark));
    p.end();
    return QIcon(pixmap);
}

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

void TMainForm::CreateToolbars()
{
    auto bar = [this](QToolBar*& toolbar, const char* title, const char* name, Qt::ToolBarArea area,
                      std::initializer_list<QAction*> actions) {
        toolbar = new QToolBar(title, this);
        toolbar->setObjectName(name);
        toolbar->setIconSize(QSize(KGlyphSize, KGlyphSize));
        toolbar->addActions(actions);
        addToolBar(area, toolbar);
    };
    bar(FileToolbar, "File", "FileToolbar", Qt::TopToolBarArea,
        {FileOpenAction, FileSaveAsAction, FileSaveAction, FileAcquireAction, FileMailAction, FileBatchProcAction});
    // One button carries Compress, or Stop while the active window works.
    CompressBtn = new QToolButton(FileToolbar);
    CompressBtn->setObjectName("CompressBtn");
    CompressBtn->setDefaultAction(EditCompressAction);
    FileToolbar->addWidget(CompressBtn);
    FileToolbar->addActions({ViewInfoAction, HelpContentsAction});
    // The profile button runs Load Profile; its arrow drops the profile menu.
    ProfileBtn = new QToolButton(FileToolbar);
    ProfileBtn->setObjectName("ProfileBtn");
    ProfileBtn->setText("Load Profile");
    ProfileBtn->setToolTip("Loads a compression profile");
    connect(ProfileBtn, &QToolButton::clicked, FileLoadProfileAction, &QAction::trigger);
    connect(FileLoadProfileAction, &QAction::enabledChanged, ProfileBtn, &QWidget::setEnabled);
    ProfileBtn->setMenu(LoadProfileMenu);
    ProfileBtn->setPopupMode(QToolButton::MenuButtonPopup);
    FileToolbar->addWidget(ProfileBtn);
    bar(SelToolbar, "Selection", "SelToolbar", Qt::TopToolBarArea,
        {SelRectAction, SelElliptAction, SelPolyAction, SelHideAction, SelDelAction, SelDelAllAction});
    // A second row at the top, so that no button hides behind the toolbar's arrow in the designed size.
    addToolBarBreak(Qt::TopToolBarArea);
    bar(EditToolbar, "Edit", "EditToolbar", Qt::TopToolBarArea,
        {EditPasteAction, EditCommentAction, EditCopyAction, EditResizeAction, EditCropAction,
         EditProfileAction});
    bar(ToolsToolbar, "Tools", "ToolsToolbar", Qt::TopToolBarArea,
        {OptToolMoveAction, OptToolSelAction, OptToolZoomAction});
    bar(WindowToolbar, "Window", "WindowToolbar", Qt::TopToolBarArea,
        {WindowCascadeAction, WindowTileHorzAction, WindowTileVertAction, WindowMinimizeAllAction,
         WindowFitAction, WindowDuplAction});
    bar(OptionsToolbar, "Options", "OptionsToolbar", Qt::LeftToolBarArea,
        {OptPlainAction, OptSelAction, OptGrayAction, OptColorAction, OptProgAction, OptOptAction,
         OptPrecHighAction, OptPrecNormAction, OptPrecLowAction});
    // Each side toolbar in a column of its own, so that neither hides buttons behind the other.
    addToolBarBreak(Qt::LeftToolBarArea);
    bar(ControlsToolbar, "Controls", "ControlsToolbar", Qt::LeftToolBarArea,
        {OptEqAdjAction, OptEqFullAction, OptCompAutAction, OptCompCmdAction, OptResetAction});

    bar(ZoomToolbar, "Zoom", "ZoomToolbar", Qt::RightToolBarArea,
        {ViewZoomInAction, ViewZoomOutAction, ViewActSizeAction, ViewZoomFitAction, ViewCenterAction});
    ZoomTrackBar = new QSlider(Qt::Vertical, ZoomToolbar);
    ZoomTrackBar->setObjectName("ZoomTrackBar");
    ZoomTrackBar->setRange(0, 100);
    ZoomTrackBar->setValue(50);
    ZoomTrackBar->setToolTip("Zoom");
    ZoomTrackBar->setFixedHeight(KZoomSliderLength);
    ZoomToolbar->addWidget(ZoomTrackBar);
    connect(ZoomTrackBar, &QSlider::valueChanged, this, [this] { ZoomTrackBarChange(); });
    // Horizontal while the toolbar stands at the top or bottom.
    connect(ZoomToolbar, &QToolBar::orientationChanged, this, [this](Qt::Orientation o) {
        ZoomTrackBar->setOrientation(o);
        ZoomTrackBar->setMinimumSize(0, 0);
        ZoomTrackBar->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (o == Qt::Vertical)
            ZoomTrackBar->setFixedHeight(KZoomSliderLength);
        else
            ZoomTrackBar->setFixedWidth(KZoomSliderLength);
    });

    addToolBarBreak(Qt::RightToolBarArea);
    bar(ViewToolbar, "View", "ViewToolbar", Qt::RightToolBarArea,
        {ViewArrHorzAction, ViewArrResAction, ViewArrVertAction});
    ViewSrcAsResBtn = new QToolButton(ViewToolbar);
    ViewSrcAsResBtn->setObjectName("ViewSrcAsResBtn");
    ViewSrcAsResBtn->setText("Cmp");
    ViewSrcAsResBtn->setToolTip("Displays the source image instead of the result image (while pressed)");
    ViewSrcAsResBtn->setStatusTip(ViewSrcAsResBtn->toolTip());
    ViewToolbar->addWidget(ViewSrcAsResBtn);
    // The left button only: pressed and released are the left button's.
    connect(ViewSrcAsResBtn, &QToolButton::pressed, this, [this] {
        if (TImageForm* a = ActiveImage()) a->ShowSourceAsResult(true);
    });
    connect(ViewSrcAsResBtn, &QToolButton::released, this, [this] {
        if (TImageForm* a = ActiveImage()) a->ShowSourceAsResult(false);
    });

    for (const TGlyph& g : KGlyphs)
        if (auto* action = findChild<QAction*>(g.Action, Qt::FindDirectChildrenOnly))
            action->setIcon(GlyphIcon(g));
    // The menus keep their captions without pictures.
    for (QAction* action : findChildren<QAction*>(Qt::FindDirectChildrenOnly))
        action->setIconVisibleInMenu(false);
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
    connect(ShowTipsItem, &QAction::triggered, this, [this](bool on) { Prefs.ShowTips = on; });
    connect(FlatButtonsItem, &QAction::triggered, this, [this](bool on) {
        Prefs.FlatButtons = on;
        ApplyButtonStyles();
    });
    connect(HiliteButtonsItem, &QAction::triggered, this, [this](bool on) { Prefs.HiliteButtons = on; });
    connect(DockedItem, &QAction::triggered, this, [this] {
        QToolBar* bar = ToolbarMenuTarget.data();
        if (!bar || !bar->isFloating()) return; // undocking a docked toolbar is not offered
        Qt::ToolBarArea area = toolBarArea(bar);
        addToolBar(area == Qt::NoToolBarArea ? Qt::TopToolBarArea : area, bar);
        bar->show();
    });
    connect(HideToolbarItem, &QAction::triggered, this, [this] {
        if (QToolBar* bar = ToolbarMenuTarget.data()) bar->hide();
    });
    connect(help, &QAction::triggered, this, [this] {
        if (OnHelp) OnHelp(htToolbars);
    });

    // View > Toolbars, in the menu's order; the checks follow the toolbars.
    const std::pair<const char*, QToolBar*> items[] = {
        {"&File", FileToolbar},
        {"&Edit", EditToolbar},
        {"&Selection", SelToolbar},
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
        connect(item, &QAction::triggered, this, [bar](bool on) { bar->setVisible(on); });
        connect(bar, &QToolBar::visibilityChanged, this, [this] { SyncToolbarItems(); });
        bar->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(bar, &QToolBar::customContextMenuRequested, this,
                [this, bar](const QPoint& at) { ToolbarMenuPopup(bar, bar->mapToGlobal(at)); });
    }
    SyncToolbarItems();
}

void TMainForm::ToolbarMenuPopup(QToolBar* bar, const QPoint& globalPos)
{
    ToolbarMenuTarget = bar;
    ShowTipsItem->setChecked(Prefs.ShowTips);
    FlatButtonsItem->setChecked(Prefs.FlatButtons);
    HiliteButtonsItem->setChecked(Prefs.HiliteButtons);
    DockedItem->setChecked(!bar->isFloating());
    DockedItem->setEnabled(bar->isFloating());
    ToolbarMenu->popup(globalPos);
}

void TMainForm::SyncToolbarItems()
{
    for (const auto& [item, bar] : ToolbarItems)
        item->setChecked(!bar->isHidden());
}

void TMainForm::ApplyButtonStyles()
{
    for (QToolBar* bar : findChildren<QToolBar*>())
        for (QToolButton* button : bar->findChildren<QToolButton*>())
            button->setAutoRaise(Prefs.FlatButtons);
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
