// The shared window events and the flat edit's lit border.
#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <vector>

#include "controls/DockHooks.h"
#include "controls/FlatEdit.h"
#include "support/GuiTestApp.h"

namespace {

struct TSeen
{
    char Handler;
    THookEvent Event;
    QObject* Window;
};
std::vector<TSeen> GSeen;

void HandlerA(THookEvent e, QObject* w, intptr_t) { GSeen.push_back({'A', e, w}); }
void HandlerB(THookEvent e, QObject* w, intptr_t) { GSeen.push_back({'B', e, w}); }

int CountOf(char handler, THookEvent event)
{
    return int(std::count_if(GSeen.begin(), GSeen.end(), [&](const TSeen& s) { return s.Handler == handler && s.Event == event; }));
}

quint64 GTime = 1000;

void MoveMouseOver(QWidget* w)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    move.setTimestamp(++GTime);
    QCoreApplication::sendEvent(w, &move);
}

TEST(DockHooks, CountedRegistrationsAndEventsOnlyForThoseWhoAsked)
{
    EnsureGuiTestApp();
    ASSERT_FALSE(HookFilterInstalled());
    InstallHookProc(HandlerA, HookEvents({THookEvent::hpPosChanged, THookEvent::hpWindowDestroyed}), false);
    InstallHookProc(HandlerA, HookEvents({THookEvent::hpPosChanged, THookEvent::hpWindowDestroyed}), false);
    InstallHookProc(HandlerB, HookEvents({THookEvent::hpMouseMove}), false);
    EXPECT_TRUE(HookFilterInstalled());

    GSeen.clear();
    auto* top = new QWidget;
    top->resize(50, 50);
    top->show();
    MoveMouseOver(top);
    // A move the window hands to an untracked child is reported once, with the child.
    auto* child = new QWidget(top);
    child->setGeometry(10, 10, 20, 20);
    child->show();
    QMouseEvent windowMove(QEvent::MouseMove, QPointF(15, 15), top->mapToGlobal(QPointF(15, 15)), Qt::NoButton, Qt::NoButton,
                           Qt::NoModifier);
    windowMove.setTimestamp(++GTime);
    QCoreApplication::sendEvent(top->windowHandle(), &windowMove);
    EXPECT_EQ(GSeen.back().Window, child);
    // A move an untracking widget ignores travels to its parent: still reported once.
    child->setMouseTracking(true);
    QMouseEvent widgetMove(QEvent::MouseMove, QPointF(5, 5), child->mapToGlobal(QPointF(5, 5)), Qt::NoButton, Qt::NoButton,
                           Qt::NoModifier);
    widgetMove.setTimestamp(++GTime);
    QCoreApplication::sendEvent(child, &widgetMove);
    top->hide();
    QObject* gone = top;
    delete top;
    EXPECT_EQ(CountOf('A', THookEvent::hpPosChanged), 2); // shown, hidden
    EXPECT_EQ(CountOf('A', THookEvent::hpWindowDestroyed), 1);
    EXPECT_EQ(CountOf('A', THookEvent::hpMouseMove), 0);
    EXPECT_EQ(CountOf('B', THookEvent::hpMouseMove), 3); // one for each move
    EXPECT_EQ(CountOf('B', THookEvent::hpPosChanged), 0);
    EXPECT_TRUE(std::any_of(GSeen.begin(), GSeen.end(), [&](const TSeen& s) { return s.Window == gone; }));

    UninstallHookProc(HandlerB);
    UninstallHookProc(HandlerA);
    EXPECT_TRUE(HookFilterInstalled()); // A was registered twice
    GSeen.clear();
    QWidget second;
    second.show();
    EXPECT_EQ(CountOf('A', THookEvent::hpPosChanged), 1);
    UninstallHookProc(HandlerA);
    EXPECT_FALSE(HookFilterInstalled());
    GSeen.clear();
    second.hide();
    MoveMouseOver(&second);
    EXPECT_TRUE(GSeen.empty());
    UninstallHookProc(HandlerA); // one removal too many is harmless
}

TEST(DockHooks, DesignTimeRegistrationsGetNoEventsAndApplicationActivityIsReplaceable)
{
    EnsureGuiTestApp();
    InstallHookProc(HandlerA, HookEvents({THookEvent::hpPosChanged}), true);
    EXPECT_FALSE(HookFilterInstalled());
    GSeen.clear();
    QWidget w;
    w.show();
    EXPECT_TRUE(GSeen.empty());
    UninstallHookProc(HandlerA);

    SetApplicationIsActiveFn([] { return true; });
    EXPECT_TRUE(ApplicationIsActive());
    SetApplicationIsActiveFn([] { return false; });
    EXPECT_FALSE(ApplicationIsActive());
    SetApplicationIsActiveFn(nullptr);
}

// Counts the paint events of the widgets it filters.
struct TPaintCounter : QObject
{
    int Count = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        Count += e->type() == QEvent::Paint;
        return false;
    }
};

TEST(FlatEdit, LitWhileFocusedOrHoveredButNotWhileAnotherFlatEditHasTheFocus)
{
    EnsureGuiTestApp();
    QWidget form;
    auto* first = new TFlatEdit(&form);
    auto* second = new TFlatEdit(&form);
    second->move(0, 40);
    auto* plain = new QLineEdit(&form);
    plain->move(0, 80);
    form.show();
    form.activateWindow();
    EXPECT_EQ(TFlatEdit::EditCount(), 2);
    EXPECT_EQ(first->height(), first->fontMetrics().height() + 6);
    EXPECT_FALSE(first->IsHot());

    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), second->mapToGlobal(QPointF(2, 2)));
    QCoreApplication::sendEvent(second, &enter);
    EXPECT_TRUE(second->MouseInControl());
    EXPECT_TRUE(second->IsHot());

    first->setFocus();
    ASSERT_TRUE(PumpUntil([&] { return first->hasFocus(); }, 2000));
    EXPECT_TRUE(first->IsHot());
    EXPECT_FALSE(second->IsHot()); // hovered, but another flat edit holds the focus

    // The focus moves on to a plain edit: the hovered edit lights up, drawn again though its own
    // focus never changed.
    QCoreApplication::processEvents();
    TPaintCounter paints;
    second->installEventFilter(&paints);
    plain->setFocus();
    ASSERT_TRUE(PumpUntil([&] { return plain->hasFocus(); }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return paints.Count > 0; }, 2000));

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(second, &leave);
    EXPECT_FALSE(second->MouseInControl());
    second->setEnabled(false);
    EXPECT_EQ(second->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Button));
    delete second;
    EXPECT_EQ(TFlatEdit::EditCount(), 1);
}

} // namespace
