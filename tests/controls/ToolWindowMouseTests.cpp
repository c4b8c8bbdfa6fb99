// Dragging, double-clicking, closing and resizing tool windows with QTest mouse and key events.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTest>

#include "controls/ToolWindowMouse.h"
#include "DockTestForm.h"

namespace {

// A point of the docked window's drag handle (left in a top dock).
QPoint HandlePoint() { return QPoint(5, 10); }

QPoint CentreOf(QWidget* w) { return w->mapToGlobal(w->rect().center()); }

// Mouse moves for a widget given in screen coordinates.
void MoveTo(QWidget* grabber, const QPoint& global) { QTest::mouseMove(grabber, grabber->mapFromGlobal(global)); }

TEST(ToolWindowMouse, DraggedFromTheTopDockToTheLeftDock)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 3, f.Top);
    f.Add("B", 2, f.Left);
    f.Show();
    int changed = 0;
    a->OnDockChanged = [&](TCustomToolWindow*) { ++changed; };
    QTest::mousePress(a, Qt::LeftButton, {}, HandlePoint());
    ASSERT_EQ(a->Mouse().State(), TToolWindowMouse::TState::Dragging);
    // Below the left dock's window, at the dock's near edge: the outline's middle lies in row 0.
    const QPoint target = f.Left->mapToGlobal(QPoint(2, f.Left->height() - 90));
    MoveTo(a, target);
    EXPECT_EQ(a->Mouse().Target().Dock >= 0, true);
    QTest::mouseRelease(a, Qt::LeftButton, {}, a->mapFromGlobal(target));
    EXPECT_EQ(a->DockedTo(), f.Left);
    EXPECT_EQ(changed, 1);
    // Vertical now: one box wide, three long, the handle on top (2 + 9 + 2 across the frame).
    EXPECT_EQ(a->size(), QSize(TSampleToolWindow::Box + 4, 3 * TSampleToolWindow::Box + 13));
    EXPECT_EQ(a->DockRow(), 0);
    EXPECT_GT(a->DockPos(), 0);
    EXPECT_EQ(a->geometry().top(), a->DockPos());
    EXPECT_EQ(f.Top->height(), 0);
    EXPECT_EQ(a->Mouse().State(), TToolWindowMouse::TState::Idle);
}

TEST(ToolWindowMouse, DroppedAwayFromEveryDockItFloatsWhereTheOutlineWas)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 3, f.Top);
    f.Show();
    QTest::mousePress(a, Qt::LeftButton, {}, HandlePoint());
    MoveTo(a, CentreOf(f.Centre));
    const QRect outline = a->Mouse().OutlineRect();
    ASSERT_FALSE(outline.isEmpty());
    EXPECT_EQ(a->Mouse().Target().Dock, -1);
    // The outline's size is the floating one: three boxes plus the sizing frame and caption.
    EXPECT_EQ(outline.size(), QSize(3 * TSampleToolWindow::Box + 8, TSampleToolWindow::Box + 24));
    QTest::mouseRelease(a, Qt::LeftButton, {}, a->mapFromGlobal(CentreOf(f.Centre)));
    ASSERT_TRUE(a->Floating());
    EXPECT_EQ(a->WindowBounds(), outline);
    EXPECT_EQ(a->FloatingPosition(), outline.topLeft());
    EXPECT_TRUE(a->FloatParent()->isVisible());
    EXPECT_TRUE(a->FloatParent()->objectName().startsWith("DockFloatingWindowParent_"));
}

TEST(ToolWindowMouse, EscapeCancelsAndCtrlRetargets)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 3, f.Top, 0, 50);
    f.Show();
    const QRect before = a->geometry();
    QTest::mousePress(a, Qt::LeftButton, {}, HandlePoint());
    const QPoint overLeft = f.Left->mapToGlobal(QPoint(0, 100));
    MoveTo(a, overLeft);
    EXPECT_GE(a->Mouse().Target().Dock, 0);
    QTest::keyPress(a, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(a->Mouse().Target().Dock, -1);
    QTest::keyRelease(a, Qt::Key_Control, Qt::NoModifier);
    EXPECT_GE(a->Mouse().Target().Dock, 0);
    // The dock is asked while the cursor is over it, and may refuse.
    int asked = 0;
    f.Left->OnRequestDock = [&](TDock*, TCustomToolWindow* bar, bool& accept) {
        ++asked;
        accept = bar != a;
    };
    MoveTo(a, overLeft + QPoint(0, 5));
    EXPECT_EQ(a->Mouse().Target().Dock, -1);
    EXPECT_EQ(asked, 1);
    QTest::keyClick(a, Qt::Key_Escape);
    EXPECT_EQ(a->Mouse().State(), TToolWindowMouse::TState::Idle);
    EXPECT_TRUE(a->Mouse().OutlineRect().isEmpty());
    QTest::mouseRelease(a, Qt::LeftButton, {}, a->mapFromGlobal(overLeft));
    EXPECT_EQ(a->DockedTo(), f.Top);
    EXPECT_EQ(a->geometry(), before);
}

TEST(ToolWindowMouse, AWindowThatCannotFloatShowsTheForbiddenCursorAndStays)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 3, f.Top, 0, 20);
    a->SetDockMode(TToolWindowDockMode::dmCannotFloat);
    f.Show();
    const QRect before = a->geometry();
    QTest::mousePress(a, Qt::LeftButton, {}, HandlePoint());
    MoveTo(a, CentreOf(f.Centre));
    EXPECT_TRUE(a->Mouse().OutlineRect().isEmpty());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
    QTest::mouseRelease(a, Qt::LeftButton, {}, a->mapFromGlobal(CentreOf(f.Centre)));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(a->DockedTo(), f.Top);
    EXPECT_EQ(a->geometry(), before);
}

TEST(ToolWindowMouse, AFullSizeWindowDroppedIntoAUsedRowTakesTheNext)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 2, f.Top);
    TSampleToolWindow* b = f.Add("B", 2, f.Left);
    b->SetFullSize(true);
    f.Show();
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 5)); // the handle lies on top in a left dock
    // The middle of row 0 of the top dock, right of A.
    const QPoint target = f.Top->mapToGlobal(QPoint(300, f.Top->height() / 2));
    MoveTo(b, target);
    QTest::mouseRelease(b, Qt::LeftButton, {}, b->mapFromGlobal(target));
    ASSERT_EQ(b->DockedTo(), f.Top);
    EXPECT_EQ(a->DockRow(), 0);
    EXPECT_EQ(b->DockRow(), 1);
    EXPECT_EQ(b->width(), f.Top->width());
}

TEST(ToolWindowMouse, DoubleClickFloatsAndDocksBack)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 3, f.Top, 0, 30);
    TSampleToolWindow* lone = f.Add("Lone", 1, nullptr);
    lone->SetUseLastDock(false);
    f.Show();
    a->SetFloatingPosition(QPoint(150, 200));
    QTest::mouseDClick(a, Qt::LeftButton, {}, HandlePoint());
    ASSERT_TRUE(a->Floating());
    EXPECT_EQ(a->WindowBounds().topLeft(), QPoint(150, 200));
    EXPECT_EQ(a->LastDock(), f.Top);
    // Docked back by a double click on the floating window's caption, away from its close button.
    QWidget* frame = a->FloatParent();
    ASSERT_TRUE(frame && frame->isVisible());
    const QPoint caption(12, 10);
    ASSERT_GT(a->mapTo(frame, QPoint(0, 0)).y(), caption.y()); // above the window's client area
    QTest::mouseDClick(frame, Qt::LeftButton, {}, caption);
    EXPECT_EQ(a->DockedTo(), f.Top);
    EXPECT_EQ(a->DockPos(), 30);

    // Floating with neither a last nor a default dock: nothing happens.
    lone->SetParent(&f.Form);
    ASSERT_TRUE(lone->Floating());
    QTest::mouseDClick(lone, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(lone->Floating());
    // With a default dock it goes there, first in row 0.
    lone->SetDefaultDock(f.Bottom);
    QTest::mouseDClick(lone, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(lone->DockedTo(), f.Bottom);
    EXPECT_EQ(lone->DockRow(), 0);
    EXPECT_EQ(lone->DockPos(), 0);
}

TEST(ToolWindowMouse, CloseButtonClosesOnlyWhenReleasedOnIt)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 4, nullptr);
    f.Show();
    a->SetParent(&f.Form);
    a->MoveFloating(QPoint(100, 100));
    QWidget* frame = a->FloatParent();
    ASSERT_TRUE(frame->isVisible());
    int closes = 0;
    a->OnClose = [&](TCustomToolWindow*) { ++closes; };
    const QPoint closePoint(frame->width() - 10, 10);
    QTest::mousePress(frame, Qt::LeftButton, {}, closePoint);
    EXPECT_TRUE(a->CloseButtonDown());
    QTest::mouseMove(frame, QPoint(10, 30));
    EXPECT_FALSE(a->CloseButtonDown());
    QTest::mouseRelease(frame, Qt::LeftButton, {}, QPoint(10, 30));
    EXPECT_TRUE(a->Visible());
    EXPECT_EQ(closes, 0);

    bool allow = false;
    a->OnCloseQuery = [&](TCustomToolWindow*, bool& canClose) { canClose = allow; };
    QTest::mouseClick(frame, Qt::LeftButton, {}, closePoint);
    EXPECT_TRUE(a->Visible());
    allow = true;
    QTest::mouseClick(frame, Qt::LeftButton, {}, closePoint);
    EXPECT_FALSE(a->Visible());
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(closes, 1);
}

TEST(ToolWindowMouse, ResizingFromEachEdgeStopsAtTheMinimum)
{
    // Minimum: one box plus the frame, 22 + 8 by 22 + 24.
    const QSize minimum(TSampleToolWindow::Box + 8, TSampleToolWindow::Box + 24);
    struct { const char* Name; QPoint Press; QPoint By; bool KeepsRight, KeepsBottom; } const cases[] = {
        {"left", {1, 30}, {400, 0}, true, false},
        {"right", {-2, 30}, {-400, 0}, false, false},
        {"top", {40, 1}, {0, 400}, false, true},
        {"bottom", {40, -2}, {0, -400}, false, false},
    };
    for (const auto& c : cases) {
        TDockTestForm f;
        TSampleToolWindow* a = f.Add("A", 4, nullptr);
        f.Show();
        a->SetParent(&f.Form);
        a->MoveFloating(QPoint(100, 100));
        a->SetWindowBounds(QRect(100, 100, 200, 120));
        QWidget* frame = a->FloatParent();
        const QRect start = a->WindowBounds();
        QPoint press = c.Press;
        if (press.x() < 0) press.setX(frame->width() + press.x());
        if (press.y() < 0) press.setY(frame->height() + press.y());
        QTest::mousePress(frame, Qt::LeftButton, {}, press);
        ASSERT_EQ(a->Mouse().State(), TToolWindowMouse::TState::Resizing) << c.Name;
        QTest::mouseMove(frame, press + c.By);
        QTest::mouseRelease(frame, Qt::LeftButton, {}, press + c.By);
        const QRect r = a->WindowBounds();
        const bool horizontal = c.By.x() != 0;
        EXPECT_EQ(horizontal ? r.width() : r.height(), horizontal ? minimum.width() : minimum.height()) << c.Name;
        if (c.KeepsRight) {
            EXPECT_EQ(r.right(), start.right()) << c.Name;
        }
        if (c.KeepsBottom) {
            EXPECT_EQ(r.bottom(), start.bottom()) << c.Name;
        }
        EXPECT_EQ(a->size(), r.size() - QSize(8, 24)) << c.Name;
    }
}

} // namespace
