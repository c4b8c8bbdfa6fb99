// Docks and tool windows without the mouse: the dock change and its events, the last-dock rules,
// the dock's own thickness, and when a floating frame shows.
#include <gtest/gtest.h>

#include <QScreen>

#include "DockTestForm.h"

namespace {

bool GActive = true;

TEST(ToolWindow, TheDockChangeAnnouncesItselfOnceInOrder)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 3, f.Top);
    f.Show();
    std::vector<std::string> seen;
    auto name = [&](TDock* d) { return d ? d->objectName().toStdString() : std::string("none"); };
    a->OnDockChanging = [&](TCustomToolWindow*) { seen.push_back("changing"); };
    a->OnDockChangingEx = [&](TCustomToolWindow*, TDock* d) { seen.push_back("changing to " + name(d)); };
    a->OnRecreating = [&](TCustomToolWindow*) { seen.push_back("recreating"); };
    a->OnDockChangingHidden = [&](TCustomToolWindow*, TDock* d) { seen.push_back("hidden to " + name(d)); };
    a->OnRecreated = [&](TCustomToolWindow*) { seen.push_back("recreated"); };
    a->OnDockChanged = [&](TCustomToolWindow*) { seen.push_back("changed"); };
    f.Top->OnInsertRemoveBar = [&](TDock* d, bool in, TCustomToolWindow*) { seen.push_back(name(d) + (in ? " +" : " -")); };
    f.Left->OnInsertRemoveBar = f.Top->OnInsertRemoveBar;
    a->SetDockedTo(f.Left);
    const std::vector<std::string> want = {"changing", "changing to LeftDock", "recreating", "hidden to LeftDock",
                                           "TopDock -", "LeftDock +", "recreated", "changed"};
    EXPECT_EQ(seen, want);
    seen.clear();
    a->SetDockedTo(f.Left); // no change: nothing announced
    EXPECT_TRUE(seen.empty());
    a->SetDockedTo(nullptr);
    EXPECT_EQ(seen.front(), "changing");
    EXPECT_EQ(seen[1], "changing to none");
    EXPECT_TRUE(a->Floating());
    EXPECT_TRUE(TCustomToolWindow::FloatingToolWindows().contains(a));
    a->SetDockedTo(f.Top);
    EXPECT_FALSE(TCustomToolWindow::FloatingToolWindows().contains(a));
}

TEST(ToolWindow, ControlsAskForTheEdgeOfTheirWindowsDock)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 2, f.Right);
    auto* inner = new QWidget(new QWidget(a));
    TDockPosition p = TDockPosition::dpTop;
    EXPECT_TRUE(DockPositionOf(inner, p));
    EXPECT_EQ(p, TDockPosition::dpRight);
    a->SetDockedTo(nullptr);
    EXPECT_FALSE(DockPositionOf(inner, p));
    EXPECT_FALSE(DockPositionOf(f.Centre, p));
}

TEST(ToolWindow, LastDockRules)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 2, f.Left);
    f.Show();
    a->SetLastDock(f.Bottom); // docked and remembering: forced to the current dock
    EXPECT_EQ(a->LastDock(), f.Left);
    a->SetDockedTo(nullptr);
    EXPECT_EQ(a->LastDock(), f.Left);
    EXPECT_TRUE(f.Left->DockList().contains(a)); // kept in the list while floating
    a->SetUseLastDock(false);
    EXPECT_EQ(a->LastDock(), nullptr);
    EXPECT_FALSE(f.Left->DockList().contains(a));
    a->SetLastDock(f.Top);
    EXPECT_TRUE(a->UseLastDock());
    EXPECT_TRUE(f.Top->DockList().contains(a));
    delete f.Top; // a dock that goes away is forgotten
    EXPECT_EQ(a->LastDock(), nullptr);
}

TEST(ToolWindow, DockThicknessFollowsItsVisibleWindowsAndBoundLines)
{
    TDockTestForm f;
    f.Show();
    EXPECT_EQ(f.Top->height(), 0);
    f.Top->SetFixAlign(true);
    EXPECT_EQ(f.Top->height(), 1);
    f.Top->SetBoundLines(blTop | blBottom | blLeft);
    TSampleToolWindow* a = f.Add("A", 3, f.Top);
    // A row of 22 + 4, plus one line above and one below; the window starts after the left line.
    EXPECT_EQ(f.Top->height(), 28);
    EXPECT_EQ(a->geometry().topLeft(), QPoint(1, 1));
    int changes = 0;
    a->OnVisibleChanged = [&](TCustomToolWindow*) { ++changes; };
    a->SetVisible(false);
    EXPECT_EQ(f.Top->height(), 1);
    EXPECT_FALSE(a->isVisible());
    a->SetVisible(true);
    EXPECT_EQ(f.Top->height(), 28);
    EXPECT_EQ(changes, 2);
    // A window that goes away leaves no gap.
    TSampleToolWindow* second = f.Add("Second", 2, f.Top, 1);
    EXPECT_EQ(f.Top->height(), 28 + 26);
    delete second;
    EXPECT_EQ(f.Top->height(), 28);
    // An empty dock may change its edge; the thickness then goes across the other way.
    f.Bottom->SetPosition(TDockPosition::dpRight);
    f.Add("B", 2, f.Bottom);
    EXPECT_EQ(f.Bottom->width(), TSampleToolWindow::Box + 4);
}

TEST(ToolWindow, ATransparentBackgroundTakesTheDockColourForItsBottomLeftColour)
{
    TDockTestForm f;
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.setPixel(0, 0, qRgb(255, 0, 0));
    tile.setPixel(1, 0, qRgb(0, 0, 255));
    tile.setPixel(0, 1, qRgb(0, 0, 255)); // bottom left: the colour to replace
    tile.setPixel(1, 1, qRgb(0, 255, 0));
    f.Top->SetColor(QColor(10, 20, 30));
    f.Top->SetBackground(QPixmap::fromImage(tile));
    EXPECT_EQ(f.Top->BackgroundTile().toImage().pixel(1, 0), qRgb(0, 0, 255));
    f.Top->SetBackgroundTransparent(true);
    const QImage seen = f.Top->BackgroundTile().toImage();
    EXPECT_EQ(seen.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(seen.pixel(1, 0), qRgb(10, 20, 30));
    EXPECT_EQ(seen.pixel(0, 1), qRgb(10, 20, 30));
    EXPECT_EQ(seen.pixel(1, 1), qRgb(0, 255, 0));
}

TEST(ToolWindow, AFloatingFrameShowsByTheFloatingRules)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 3, f.Top);
    f.Show();
    a->SetDockedTo(nullptr);
    QWidget* frame = a->FloatParent();
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->isVisible());
    EXPECT_TRUE(bool(frame->windowFlags() & Qt::Tool));
    EXPECT_EQ(frame->parentWidget(), &f.Form);

    GActive = true;
    SetApplicationIsActiveFn([] { return GActive; });
    GActive = false;
    TCustomToolWindow::UpdateAllFloating(); // what the activation event runs
    EXPECT_FALSE(frame->isVisible());
    EXPECT_TRUE(a->CaptionInactive());
    a->SetHideWhenInactive(false);
    EXPECT_TRUE(frame->isVisible());
    GActive = true;

    // The form hiding is seen through the shared window events.
    f.Form.hide();
    EXPECT_FALSE(frame->isVisible());
    f.Form.show();
    EXPECT_TRUE(frame->isVisible());
    a->SetFloatingMode(TToolWindowFloatingMode::fmOnTopOfAllForms);
    EXPECT_TRUE(bool(frame->windowFlags() & Qt::WindowStaysOnTopHint));
    f.Form.hide();
    EXPECT_TRUE(frame->isVisible());
    f.Form.show();

    a->SetVisible(false);
    EXPECT_FALSE(frame->isVisible());
    a->SetVisible(true);
    EXPECT_TRUE(frame->isVisible());
}

TEST(ToolWindow, MoveOnScreenBringsALostFrameBack)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 3, nullptr);
    f.Show();
    a->SetParent(&f.Form);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    a->MoveFloating(screen.bottomRight() + QPoint(5000, 5000));
    a->MoveOnScreen(true);
    EXPECT_EQ(a->WindowBounds().bottomRight(), screen.bottomRight());
    a->MoveFloating(QPoint(screen.right() - 10, 40)); // still touching: left alone
    a->MoveOnScreen(true);
    EXPECT_EQ(a->WindowBounds().topLeft(), QPoint(screen.right() - 10, 40));
    a->MoveOnScreen(false);
    EXPECT_EQ(a->WindowBounds().right(), screen.right());
}

} // namespace
