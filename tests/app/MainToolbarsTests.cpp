// The main window's toolbars: their docks and buttons, the toolbar menu, View > Toolbars, dragging
// one to another dock and keeping its place over a restart.
#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QMdiArea>
#include <QMenu>
#include <QSlider>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include "MainFormTestKit.h"
#include "app/CommandPictures.h"
#include "app/QtSettingsStore.h"
#include "controls/Dock.h"
#include "controls/Toolbar.h"
#include "controls/ToolbarButton.h"

namespace {

using testkit::TMainFormTest;

// A picture that shows something: 16 x 16 device-independent pixels, a dozen or more of them drawn
// (as many as the sparest pictures, a chevron or a dashed outline, draw).
bool ShowsAPicture(const QPixmap& pm)
{
    const QImage img = pm.toImage().convertToFormat(QImage::Format_ARGB32);
    int drawn = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            drawn += qAlpha(img.pixel(x, y)) >= 128;
    return pm.deviceIndependentSize().toSize() == QSize(16, 16) &&
           drawn * 256 >= 10 * img.width() * img.height();
}

class MainToolbarsTest : public TMainFormTest
{
  protected:
    // The buttons of a toolbar in its order (separators and other controls left out).
    static std::vector<TToolbarButton*> Buttons(TToolbar* bar)
    {
        std::vector<TToolbarButton*> out;
        for (QWidget* w : bar->OrderList())
            if (auto* b = qobject_cast<TToolbarButton*>(w)) out.push_back(b);
        return out;
    }
    static TToolbarButton* ButtonOf(TToolbar* bar, QAction* action)
    {
        for (TToolbarButton* b : Buttons(bar))
            if (b->Action() == action) return b;
        return nullptr;
    }
    // Ends this main window (it saves its settings) and starts the next on the same settings file,
    // with the given values written in between.
    void Restart(const std::vector<std::pair<std::string, std::string>>& values = {})
    {
        Form.reset();
        {
            TQtSettingsStore store(Path("QMK.conf"));
            for (const auto& [name, value] : values) {
                const auto slash = name.rfind('/');
                if (slash == std::string::npos)
                    store.WriteValue(name, value);
                else
                    store.OpenGroup(name.substr(0, slash))->WriteValue(name.substr(slash + 1), value);
            }
            store.Flush();
        }
        Form = std::make_unique<TMainForm>(
            std::vector<std::string>{}, std::make_unique<TQtSettingsStore>(Path("QMK.conf")), Path("sock"));
        Form->resize(Width, 900);
        Form->show();
    }
    std::string Stored(const std::string& group, const std::string& name)
    {
        TQtSettingsStore store(Path("QMK.conf"));
        return store.OpenGroup(group)->ReadValue(name).value_or("(none)");
    }
};

TEST_F(MainToolbarsTest, EveryToolbarStandsOnItsDockWithItsButtonsBound)
{
    struct TRow
    {
        TToolbar* Bar;
        TDock* Dock;
        int Buttons;    // buttons counted by hand from the designed contents
        QAction* First; // the action of the first button
    };
    const TRow rows[] = {
        {Form->FileToolbar, Form->TopDockBar, 10, Form->FileOpenAction},
        {Form->SelectionToolbar, Form->TopDockBar, 6, Form->SelRectAction},
        {Form->EditToolbar, Form->TopDockBar, 6, Form->EditPasteAction},
        {Form->ToolsToolbar, Form->TopDockBar, 3, Form->OptToolMoveAction},
        {Form->WindowToolbar, Form->TopDockBar, 6, Form->WindowCascadeAction},
        {Form->OptionsToolbar, Form->LeftDockBar, 9, Form->OptPlainAction},
        {Form->ControlsToolbar, Form->LeftDockBar, 5, Form->OptEqAdjAction},
        {Form->ZoomToolbar, Form->RightDockBar, 5, Form->ViewZoomInAction},
        {Form->ViewToolbar, Form->RightDockBar, 4, Form->ViewArrHorzAction},
        {Form->ComprToolbar, Form->BottomDockBar, 0, nullptr},
        {Form->PrefiltToolbar, Form->BottomDockBar, 0, nullptr},
    };
    for (const TRow& r : rows) {
        const std::string name = r.Bar->objectName().toStdString();
        EXPECT_EQ(r.Bar->DockedTo(), r.Dock) << name;
        EXPECT_EQ(r.Bar->DefaultDock(), r.Dock) << name;
        EXPECT_TRUE(r.Bar->isVisible()) << name;
        const std::vector<TToolbarButton*> buttons = Buttons(r.Bar);
        ASSERT_EQ(int(buttons.size()), r.Buttons) << name;
        if (r.First) EXPECT_EQ(buttons.front()->Action(), r.First) << name;
        for (TToolbarButton* b : buttons) {
            // Every button but Quick Compare runs an action and draws its picture.
            if (b != Form->ViewSrcAsResBtn) EXPECT_NE(b->Action(), nullptr) << name;
            ASSERT_TRUE(b->Images() && b->ImageIndex() >= 0) << name;
            EXPECT_TRUE(ShowsAPicture((*b->Images())[b->ImageIndex()])) << b->objectName().toStdString();
        }
    }
    // The parameter toolbars dock at the top or the bottom only, their controls in a strict order.
    for (TToolbar* bar : {Form->ComprToolbar, Form->PrefiltToolbar}) {
        EXPECT_EQ(bar->DockableTo(), TDockableTo(dtTop | dtBottom));
        EXPECT_TRUE(bar->StrictOrder());
    }
    // The designed places fit the designed window: nothing sticks out of its dock.
    Form->resize(900, 650);
    QApplication::processEvents();
    for (const TRow& r : rows)
        EXPECT_TRUE(r.Dock->rect().contains(r.Bar->geometry())) << r.Bar->objectName().toStdString();
    // Batch Processing ends the File toolbar, after the profile button.
    EXPECT_EQ(Buttons(Form->FileToolbar).back()->Action(), Form->FileBatchProcAction);
    EXPECT_EQ(Buttons(Form->FileToolbar).end()[-2], Form->ProfileBtn);
    // The menus show the same pictures.
    EXPECT_FALSE(Form->FileOpenAction->icon().isNull());
    EXPECT_EQ(Form->FileOpenAction->property("ImageIndex").toInt(),
              ButtonOf(Form->FileToolbar, Form->FileOpenAction)->ImageIndex());
}

TEST_F(MainToolbarsTest, EveryCommandShowsAPictureOfItsOwn)
{
    ASSERT_EQ(Form->Images.size(), 111);
    // Every command of the table is a button or an action of the main window with a slot and a
    // picture of its own (the common ones from the icon theme, also offscreen with no desktop).
    std::map<int, std::string> bySlot;
    for (const TCommandPicture& p : CommandPictures()) {
        EXPECT_TRUE(Form->findChild<QAction*>(p.Name) || Form->findChild<QWidget*>(p.Name)) << p.Name;
        const int slot = PictureSlot(p.Name);
        EXPECT_TRUE(bySlot.emplace(slot, p.Name).second) << p.Name << " shares slot " << slot;
        EXPECT_TRUE(ShowsAPicture(Form->Images[slot])) << p.Name;
    }
    for (auto a = bySlot.begin(); a != bySlot.end(); ++a)
        for (auto b = std::next(a); b != bySlot.end(); ++b)
            EXPECT_NE(Form->Images[a->first].toImage(), Form->Images[b->first].toImage())
                << a->second << " and " << b->second << " look the same";
    // The slots of no command that other windows ask for: the status panel layouts, the ratio, the
    // profile items and the area tabs.
    for (int slot : {89, 90, 91, 92, 93, 94, 95, 96, 99, 102, 106, 109, 110})
        EXPECT_TRUE(!bySlot.count(slot) && ShowsAPicture(Form->Images[slot])) << slot;
    // Drawn for a double-density screen, a picture has twice the pixels each way.
    const QList<QPixmap> sharp = MakeImageList(2.0);
    for (int slot : {PictureSlot("FileOpenAction"), PictureSlot("SelRectAction"), 89, 110})
        EXPECT_TRUE(sharp[slot].size() == QSize(32, 32) && ShowsAPicture(sharp[slot])) << slot;
    // The program's icon is a picture of its own (also when the list is made after it).
    const QImage program = ProgramIcon().pixmap(16, 16).toImage();
    EXPECT_TRUE(ShowsAPicture(QPixmap::fromImage(program)));
    for (int slot = 0; slot < Form->Images.size(); ++slot)
        EXPECT_NE(Form->Images[slot].toImage(), program) << slot;

    // The menus show the picture of the action's own slot (the 54 toolbar actions and Close).
    int pictured = 0;
    for (QAction* a : Form->findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
        const int slot = a->property("ImageIndex").isValid() ? a->property("ImageIndex").toInt() : -1;
        if (slot < 0) continue;
        ++pictured;
        EXPECT_TRUE(!a->icon().isNull() && bySlot[slot] == a->objectName().toStdString())
            << a->objectName().toStdString();
    }
    EXPECT_EQ(pictured, 55);
    // Both tie buttons show the picture of Tie; the prefilter buttons each their own.
    const QImage tie = Form->LumChromSyncBtn->icon().pixmap(16, 16).toImage();
    EXPECT_FALSE(tie.isNull());
    EXPECT_EQ(Form->SLumChromSyncBtn->icon().pixmap(16, 16).toImage(), tie);
    for (QToolButton* b : Form->FiltBtn)
        EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();
}

TEST_F(MainToolbarsTest, CheckingAnActionLatchesItsButtonAndGroupsKeepOneDown)
{
    TToolbarButton* hide = ButtonOf(Form->SelectionToolbar, Form->SelHideAction);
    ASSERT_TRUE(hide);
    EXPECT_TRUE(hide->AllowAllUp()); // a lone toggle may be up
    Form->SelHideAction->setChecked(true);
    EXPECT_TRUE(hide->Down());
    Form->SelHideAction->setChecked(false);
    EXPECT_FALSE(hide->Down());

    // Gray and True Color latch in one group; Plain and Selective in another.
    TToolbarButton* gray = ButtonOf(Form->OptionsToolbar, Form->OptGrayAction);
    TToolbarButton* colour = ButtonOf(Form->OptionsToolbar, Form->OptColorAction);
    TToolbarButton* plain = ButtonOf(Form->OptionsToolbar, Form->OptPlainAction);
    ASSERT_TRUE(gray && colour && plain);
    EXPECT_EQ(gray->GroupIndex(), colour->GroupIndex());
    EXPECT_NE(gray->GroupIndex(), plain->GroupIndex());
    EXPECT_NE(gray->GroupIndex(), 0);
    EXPECT_FALSE(gray->AllowAllUp());
    Form->OptGrayAction->setChecked(true);
    EXPECT_TRUE(gray->Down());

    // A plain command does not latch.
    TToolbarButton* open = ButtonOf(Form->FileToolbar, Form->FileOpenAction);
    EXPECT_EQ(open->GroupIndex(), 0);

    // The profile button is a combo with the profile menu.
    EXPECT_TRUE(Form->ProfileBtn->DropdownCombo());
    EXPECT_EQ(Form->ProfileBtn->DropdownMenu(), Form->LoadProfileMenu);
}

TEST_F(MainToolbarsTest, HighlightPressedButtonsPaintsThePatternAndRemovesIt)
{
    TToolbarButton* hide = ButtonOf(Form->SelectionToolbar, Form->SelHideAction);
    Form->SelHideAction->setEnabled(true); // no image window: enabled only for these grabs
    Form->SelHideAction->setChecked(true);
    ASSERT_TRUE(hide->Down());
    ASSERT_TRUE(hide->isEnabled());
    // Pixels one above the other inside the border, left of the glyph: the pattern alternates them.
    auto neighboursDiffer = [&] {
        const QImage img = hide->grab().toImage();
        int differ = 0;
        for (int y = 6; y < 10; ++y)
            differ += img.pixel(2, y) != img.pixel(2, y + 1);
        return differ;
    };
    if (!Form->Prefs.HiliteButtons) Form->HiliteButtonsItem->trigger();
    ASSERT_TRUE(hide->HighlightWhenDown());
    EXPECT_EQ(neighboursDiffer(), 4);
    Form->HiliteButtonsItem->trigger();
    EXPECT_FALSE(Form->Prefs.HiliteButtons);
    EXPECT_FALSE(hide->HighlightWhenDown());
    EXPECT_EQ(neighboursDiffer(), 0);
}

TEST_F(MainToolbarsTest, FlatButtonsOffGivesEveryButtonABorder)
{
    ASSERT_TRUE(Form->Prefs.FlatButtons);
    Form->FlatButtonsItem->trigger();
    EXPECT_FALSE(Form->Prefs.FlatButtons);
    for (TToolbarButton* b : Form->findChildren<TToolbarButton*>())
        EXPECT_TRUE(b->NoBorder()) << b->objectName().toStdString();
    Form->FlatButtonsItem->trigger();
    for (TToolbarButton* b : Form->findChildren<TToolbarButton*>())
        EXPECT_FALSE(b->NoBorder()) << b->objectName().toStdString();
}

TEST_F(MainToolbarsTest, ARightClickOnAButtonOpensTheToolbarMenuForItsToolbar)
{
    TToolbarButton* button = ButtonOf(Form->ZoomToolbar, Form->ViewCenterAction);
    ASSERT_TRUE(button);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &event);
    EXPECT_TRUE(Form->ToolbarMenu->isVisible());
    EXPECT_EQ(Form->ToolbarMenuTarget.data(), Form->ZoomToolbar);
    Form->ToolbarMenu->hide();
}

TEST_F(MainToolbarsTest, DockedFloatsAndDocksBackAndHideHides)
{
    TToolbar* bar = Form->WindowToolbar;
    Form->ToolbarMenuPopup(bar, QPoint(10, 10));
    EXPECT_TRUE(Form->DockedItem->isChecked());
    Form->ToolbarMenu->hide();
    Form->DockedItem->trigger();
    EXPECT_FALSE(bar->IsDocked());
    EXPECT_TRUE(bar->Floating());
    Form->ToolbarMenuPopup(bar, QPoint(10, 10));
    EXPECT_FALSE(Form->DockedItem->isChecked());
    Form->ToolbarMenu->hide();
    Form->DockedItem->trigger();
    EXPECT_EQ(bar->DockedTo(), Form->TopDockBar);

    // "Hide" hides the toolbar the menu was opened on, and View > Toolbars follows.
    QAction* item = Form->ToolbarItems[6].first; // "&Window"
    ASSERT_EQ(Form->ToolbarItems[6].second, bar);
    Form->ToolbarMenuPopup(bar, QPoint(10, 10));
    Form->ToolbarMenu->hide();
    Form->HideToolbarItem->trigger();
    EXPECT_FALSE(bar->Visible());
    EXPECT_FALSE(item->isChecked());
    item->trigger();
    EXPECT_TRUE(bar->Visible());
    EXPECT_TRUE(item->isChecked());
}

TEST_F(MainToolbarsTest, TheZoomToolbarDraggedToTheTopStaysThereAfterARestart)
{
    TToolbar* zoom = Form->ZoomToolbar;
    ASSERT_EQ(Form->ZoomTrackBar->orientation(), Qt::Vertical);
    EXPECT_TRUE(Form->ZoomTrackBar->invertedAppearance()); // 300 % at the top, as the zoom-in button above
    // The handle lies on top in a side dock.
    QTest::mousePress(zoom, Qt::LeftButton, {}, QPoint(10, 5));
    const QPoint target = Form->TopDockBar->mapToGlobal(QPoint(600, Form->TopDockBar->height() / 2));
    QTest::mouseMove(zoom, zoom->mapFromGlobal(target));
    QTest::mouseRelease(zoom, Qt::LeftButton, {}, zoom->mapFromGlobal(target));
    ASSERT_EQ(zoom->DockedTo(), Form->TopDockBar);
    EXPECT_EQ(Form->ZoomTrackBar->orientation(), Qt::Horizontal);
    EXPECT_FALSE(Form->ZoomTrackBar->invertedAppearance()); // 300 % at the left

    Restart();
    EXPECT_EQ(Stored("Toolbars/ZoomToolbar", "DockedTo"), "TopDockBar");
    EXPECT_EQ(Form->ZoomToolbar->DockedTo(), Form->TopDockBar);
    EXPECT_EQ(Form->ZoomTrackBar->orientation(), Qt::Horizontal);

    // With "Save toolbar positions" off the stored places are ignored (and still written).
    Restart({{"SaveToolbarsPos", "0"}});
    EXPECT_EQ(Form->ZoomToolbar->DockedTo(), Form->RightDockBar);
    EXPECT_EQ(Form->ZoomTrackBar->orientation(), Qt::Vertical);
    Restart({{"SaveToolbarsPos", "1"}, {"Toolbars/ViewToolbar/Visible", "0"}});
    EXPECT_EQ(Form->ZoomToolbar->DockedTo(), Form->RightDockBar);
    EXPECT_FALSE(Form->ViewToolbar->Visible());
    EXPECT_FALSE(Form->ToolbarItems[5].first->isChecked()); // "&View"
}

// Records the hides of a widget itself (not those that come with its parent's) and its shows, in order.
class TShowRecorder : public QObject
{
  public:
    std::string Events;
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Hide && static_cast<QWidget*>(watched)->isHidden()) Events += 'H';
        if (e->type() == QEvent::Show) Events += 'S';
        return false;
    }
};

TEST_F(MainToolbarsTest, TheAreaTabsHideWhileAParameterToolbarChangesDocks)
{
    TShowRecorder recorder;
    Form->ComprTabControl->installEventFilter(&recorder);
    Form->ComprToolbar->SetDockedTo(Form->TopDockBar);
    EXPECT_EQ(Form->ComprToolbar->DockedTo(), Form->TopDockBar);
    EXPECT_EQ(recorder.Events, "HS");
    EXPECT_TRUE(Form->ComprTabControl->isVisible());
    // Its panel keeps its size on the new dock: the toolbar still shows it whole.
    QWidget* panel = Form->ComprTabControl->parentWidget();
    EXPECT_TRUE(Form->ComprToolbar->rect().contains(panel->geometry()));
}

TEST_F(MainToolbarsTest, AParameterToolbarResizedNarrowTakesItsTabsOnTop)
{
    TToolbar* bar = Form->PrefiltToolbar;
    QTabBar* tabs = Form->PrefiltTabControl;
    ASSERT_EQ(tabs->shape(), QTabBar::RoundedWest);
    bar->resize(80, 100); // narrower than 90
    EXPECT_EQ(tabs->shape(), QTabBar::RoundedNorth);
    bar->resize(110, 100); // between 90 and 120: no change
    EXPECT_EQ(tabs->shape(), QTabBar::RoundedNorth);
    bar->resize(130, 100); // wider than 120
    EXPECT_EQ(tabs->shape(), QTabBar::RoundedWest);
    // The other toolbar's tabs stay where they were.
    EXPECT_EQ(Form->ComprTabControl->shape(), QTabBar::RoundedWest);
}

TEST_F(MainToolbarsTest, FitToImageLeavesTheDocksOut)
{
    // The room given to the window is the image area: its size equals the client less the docks.
    const QSize client = Form->centralWidget()->size();
    const QSize area = Form->MdiArea->size();
    EXPECT_EQ(area.width(), client.width() - Form->LeftDockBar->width() - Form->RightDockBar->width());
    EXPECT_EQ(area.height(), client.height() - Form->TopDockBar->height() - Form->BottomDockBar->height());
    EXPECT_GT(Form->LeftDockBar->width(), 0);
    EXPECT_GT(Form->BottomDockBar->height(), 0);
}

} // namespace
