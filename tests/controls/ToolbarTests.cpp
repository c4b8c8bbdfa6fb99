// Toolbars on a form with four docks: children placed in order, hidden ones skipped, wrapping when
// floating, the wrap width chosen by a snapped resize and kept across a restart, separators only on
// toolbars, and the menu place of a drop-down button per dock.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMouseEvent>

#include "controls/Toolbar.h"
#include "controls/ToolbarButton.h"
#include "controls/ToolbarPositions.h"
#include "controls/ToolWindowMouse.h"
#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"
#include "DockTestForm.h"

namespace {

// A toolbar from a pattern: 'B' a button, '|' a separator.
TToolbar* MakeBar(TDockTestForm& f, const QString& name, const char* pattern, TDock* dock,
                  std::vector<QWidget*>* children = nullptr)
{
    auto* bar = new TToolbar(&f.Form);
    bar->setObjectName(name);
    bar->SetCaption(name);
    for (const char* c = pattern; *c; ++c) {
        QWidget* w = *c == '|' ? static_cast<QWidget*>(new TToolbarSep(bar)) : new TToolbarButton(bar);
        if (children) children->push_back(w);
    }
    if (dock) bar->SetDockedTo(dock);
    bar->ArrangeControls();
    return bar;
}

QRect InClient(TCustomToolbar* bar, QWidget* w) { return w->geometry().translated(-bar->ClientOrigin()); }

TEST(Toolbar, DockedLineInInsertionOrder)
{
    TDockTestForm f;
    std::vector<QWidget*> c;
    TToolbar* bar = MakeBar(f, "Bar", "BBB|BB", f.Top, &c);
    f.Show();
    const QList<QWidget*> order(c.begin(), c.end());
    EXPECT_EQ(bar->OrderList(), order);
    const QRect want[] = {{0, 0, 23, 22}, {23, 0, 23, 22}, {46, 0, 23, 22}, {69, 0, 6, 22}, {75, 0, 23, 22},
                          {98, 0, 23, 22}};
    for (size_t i = 0; i < c.size(); ++i) EXPECT_EQ(InClient(bar, c[i]), want[i]) << i;
    EXPECT_EQ(bar->width() - bar->NonClientSize().width(), 121);

    // A removed child leaves the order; one added later goes to the end.
    delete c[1];
    auto* late = new TToolbarButton(bar);
    late->show(); // a child added to a shown toolbar shows when asked to, and then takes its place

    EXPECT_EQ(bar->OrderList(), QList<QWidget*>({c[0], c[2], c[3], c[4], c[5], late}));
    new QMenu(bar); // a menu belonging to the toolbar is no control on it
    bar->ArrangeControls();
    EXPECT_EQ(bar->OrderList().size(), 6);
    EXPECT_EQ(InClient(bar, c[2]).x(), 23);
    EXPECT_EQ(InClient(bar, late).x(), 98);
}

TEST(Toolbar, HiddenButtonsTakeNoRoomAndShowingOneRelays)
{
    TDockTestForm f;
    std::vector<QWidget*> c;
    TToolbar* bar = MakeBar(f, "Bar", "BBB", f.Top, &c);
    f.Show();
    c[0]->hide();
    EXPECT_EQ(InClient(bar, c[1]).x(), 0);
    EXPECT_EQ(InClient(bar, c[2]).x(), 23);
    c[0]->show();
    EXPECT_EQ(InClient(bar, c[1]).x(), 23);
    EXPECT_EQ(InClient(bar, c[2]).x(), 46);
}

TEST(Toolbar, VerticalDockStacksAndSeparatorsUseTheirVerticalSize)
{
    TDockTestForm f;
    std::vector<QWidget*> c;
    TToolbar* bar = MakeBar(f, "Bar", "B|B", f.Left, &c);
    auto* sep = static_cast<TToolbarSep*>(c[1]);
    const struct
    {
        int Asked, Kept;
    } sizes[] = {{0, 1}, {-4, 1}, {2147483647, 32767}, {10, 10}};
    for (const auto& s : sizes) {
        sep->SetSizeVert(s.Asked);
        EXPECT_EQ(sep->SizeVert(), s.Kept) << s.Asked;
    }
    f.Show();
    EXPECT_TRUE(bar->LaidOutVertically());
    EXPECT_EQ(InClient(bar, c[1]), QRect(0, 22, 23, 10));
    EXPECT_EQ(InClient(bar, c[2]), QRect(0, 32, 23, 22));
    // The etched line runs across a vertical toolbar: shadow at 10 / 2 - 1, highlight at 10 / 2.
    const QImage shot = sep->grab().toImage();
    const QPalette pal = sep->palette();
    EXPECT_EQ(shot.pixel(10, 4), pal.color(QPalette::Dark).rgb());
    EXPECT_EQ(shot.pixel(10, 5), pal.color(QPalette::Light).rgb());
    EXPECT_EQ(shot.pixel(10, 6), pal.color(QPalette::Button).rgb());
}

TEST(Toolbar, SeparatorDrawsAVerticalLineOnAHorizontalToolbarAndNothingWhenBlank)
{
    TDockTestForm f;
    std::vector<QWidget*> c;
    MakeBar(f, "Bar", "B|B", f.Top, &c);
    f.Show();
    auto* sep = static_cast<TToolbarSep*>(c[1]);
    const QPalette pal = sep->palette();
    QImage shot = sep->grab().toImage();
    EXPECT_EQ(shot.pixel(2, 10), pal.color(QPalette::Dark).rgb());
    EXPECT_EQ(shot.pixel(3, 10), pal.color(QPalette::Light).rgb());
    sep->SetBlank(true);
    shot = sep->grab().toImage();
    EXPECT_NE(shot.pixel(2, 10), pal.color(QPalette::Dark).rgb());
}

TEST(Toolbar, PressOnASeparatorDragsTheToolbar)
{
    TDockTestForm f;
    std::vector<QWidget*> c;
    TToolbar* bar = MakeBar(f, "Bar", "B|B", f.Top, &c);
    f.Show();
    const auto press = [](QWidget* w) {
        QMouseEvent e(QEvent::MouseButtonPress, QPointF(3, 5), w->mapToGlobal(QPointF(3, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    };
    press(c[0]); // a button keeps its press
    EXPECT_FALSE(bar->Mouse().Busy());
    press(c[1]);
    EXPECT_EQ(bar->Mouse().State(), TToolWindowMouse::TState::Dragging);
    bar->Mouse().Cancel();
}

TEST(Toolbar, SeparatorOnlyOnAToolbar)
{
    TDockTestForm f;
    try {
        TToolbarSep sep(&f.Form);
        FAIL() << "placed on a form";
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "TToolbarSep can only be placed on a TToolbar");
    }
    auto* loose = new TToolbarSep(nullptr);
    EXPECT_THROW(loose->SetParent(f.Centre), EInvalidOperation);
    EXPECT_EQ(loose->parentWidget(), nullptr);
    TToolbar* bar = MakeBar(f, "Bar", "B", f.Top);
    loose->SetParent(bar);
    EXPECT_EQ(loose->parentWidget(), bar);
    EXPECT_TRUE(bar->ChildIsSurface(loose));
    EXPECT_FALSE(bar->ChildIsSurface(bar->OrderList().front()));
}

TEST(Toolbar, FloatRightXIsKeptInRange)
{
    TDockTestForm f;
    TToolbar* bar = MakeBar(f, "Bar", "BB", f.Top);
    const struct
    {
        const char* Stored;
        int Want;
    } rows[] = {{"120", 120}, {"-5", 0}, {"40000", 32767}, {"99999999999", 0}, {"junk", 0}, {"32767", 32767}};
    for (const auto& r : rows) {
        TMemorySettingsStore store;
        store.WriteValue("FloatRightX", r.Stored);
        bar->SetFloatRightX(7);
        bar->ReadPositionData(&store);
        EXPECT_EQ(bar->FloatRightX(), r.Want) << r.Stored;
    }
    bar->SetFloatRightX(-1);
    EXPECT_EQ(bar->FloatRightX(), 0);
    bar->SetFloatRightX(1 << 20);
    EXPECT_EQ(bar->FloatRightX(), 32767);
}

TEST(Toolbar, FloatingWrapsAtASeparatorWithALine)
{
    TDockTestForm f;
    std::vector<QWidget*> c;
    TToolbar* bar = MakeBar(f, "Bar", "BBB|BB", f.Top, &c);
    f.Show();
    bar->SetDockedTo(nullptr);
    bar->SetFloatRightX(80);
    ASSERT_TRUE(bar->Floating());
    EXPECT_EQ(InClient(bar, c[3]).width(), 0);
    EXPECT_EQ(InClient(bar, c[4]), QRect(4, 30, 23, 22));
    ASSERT_EQ(bar->SeparatorLines().size(), 1u);
    EXPECT_EQ(bar->SeparatorLines()[0].Across, 30);
    EXPECT_EQ(bar->size(), QSize(83, 53)); // floating, the widget is the client area

    // The etched line: shadow at 30 - 4, highlight at 30 - 3, across the width.
    const QImage shot = bar->grab().toImage();
    const QPoint o = bar->ClientOrigin();
    const QPalette pal = bar->palette();
    EXPECT_EQ(shot.pixel(o.x() + 40, o.y() + 26), pal.color(QPalette::Dark).rgb());
    EXPECT_EQ(shot.pixel(o.x() + 40, o.y() + 27), pal.color(QPalette::Light).rgb());
    EXPECT_EQ(shot.pixel(o.x() + 40, o.y() + 28), pal.color(QPalette::Button).rgb());


    // Docked again it never wraps.
    bar->SetDockedTo(f.Top);
    EXPECT_TRUE(bar->SeparatorLines().empty());
    EXPECT_EQ(InClient(bar, c[4]).topLeft(), QPoint(75, 0));
}

TEST(Toolbar, StrictOrderFloatsVerticallyWhenTallerThanWide)
{
    TDockTestForm f;
    std::vector<QWidget*> c;
    TToolbar* bar = MakeBar(f, "Bar", "B|B", f.Top, &c);
    bar->SetStrictOrder(true);
    f.Show();
    bar->SetDockedTo(nullptr);
    ASSERT_TRUE(bar->Floating());
    bar->ArrangeControls();
    EXPECT_FALSE(bar->FloatingVertical()); // wider than tall
    bar->resize(30, 200);
    bar->ArrangeControls();
    EXPECT_TRUE(bar->FloatingVertical());
    EXPECT_EQ(InClient(bar, c[0]), QRect(2, 4, 23, 22));
    EXPECT_EQ(InClient(bar, c[2]).topLeft(), QPoint(2, 32));

    // Without StrictOrder a floating toolbar always lies horizontally.
    bar->SetStrictOrder(false);
    bar->resize(30, 200);
    bar->ArrangeControls();
    EXPECT_FALSE(bar->FloatingVertical());
    EXPECT_EQ(InClient(bar, c[2]).topLeft(), QPoint(33, 2));
}

TEST(Toolbar, StrictOrderSnapsBetweenALineAndAColumn)
{
    TDockTestForm f;
    std::vector<QWidget*> c;
    TToolbar* bar = MakeBar(f, "Bar", "BBB", f.Top, &c);
    bar->SetStrictOrder(true);
    f.Show();
    bar->SetDockedTo(nullptr);
    ASSERT_TRUE(bar->Floating());
    const QSize nc = bar->NonClientSize();
    const QRect start = bar->WindowBounds();
    ASSERT_EQ(start.size(), QSize(77, 25) + nc); // 4 + 3 × 23 + 4 by 2 + 22 + 1
    bar->ResizeBegin(THitCode::Right);
    // Narrower: the column, 2 + 23 + 1 wide and 4 + 3 × 22 + 4 high.
    QRect r(start.topLeft(), QSize(40 + nc.width(), start.height()));
    bar->ResizeTrack(r, start);
    EXPECT_EQ(r.size(), QSize(26, 74) + nc);
    bar->ResizeEnd(true);
    EXPECT_EQ(bar->FloatRightX(), 74);
    EXPECT_TRUE(bar->FloatingVertical());
    EXPECT_EQ(bar->size(), QSize(26, 74));
    EXPECT_EQ(InClient(bar, c[2]), QRect(2, 48, 23, 22));
    // And back to the line.
    const QRect column = bar->WindowBounds();
    bar->ResizeBegin(THitCode::Right);
    r = QRect(column.topLeft(), QSize(60 + nc.width(), column.height()));
    bar->ResizeTrack(r, column);
    bar->ResizeEnd(true);
    EXPECT_EQ(bar->FloatRightX(), 0);
    EXPECT_FALSE(bar->FloatingVertical());
    EXPECT_EQ(bar->size(), QSize(77, 25));
}

TEST(Toolbar, SnappedResizeStoresTheWrapWidthAndItSurvivesARestart)
{
    TMemorySettingsStore store;
    {
        TDockTestForm f;
        TToolbar* bar = MakeBar(f, "Bar", "BBBB", f.Top);
        f.Show();
        bar->SetDockedTo(nullptr);
        ASSERT_TRUE(bar->Floating());
        const QSize nc = bar->NonClientSize();
        const QRect start = bar->WindowBounds();
        ASSERT_EQ(start.size(), QSize(100, 25) + nc);
        bar->ResizeBegin(THitCode::Right);
        // Asked 60 wide (client): the 2 + 2 shape (54) is the largest that fits.
        QRect r(start.topLeft(), QSize(60 + nc.width(), start.height()));
        bar->ResizeTrack(r, start);
        EXPECT_EQ(r, QRect(start.topLeft(), QSize(54, 47) + nc));
        bar->ResizeEnd(false);
        EXPECT_EQ(bar->FloatRightX(), 0); // a cancelled resize keeps the old width

        bar->ResizeBegin(THitCode::Right);
        r = QRect(start.topLeft(), QSize(60 + nc.width(), start.height()));
        bar->ResizeTrack(r, start);
        bar->ResizeEnd(true);
        EXPECT_EQ(bar->FloatRightX(), 54);
        EXPECT_EQ(bar->size(), QSize(54, 47));
        SaveToolbarPositions(&f.Form, store.OpenGroup("Toolbars").get());
    }
    EXPECT_EQ(store.OpenGroup("Toolbars/Bar")->ReadValue("FloatRightX").value_or(""), "54");
    TDockTestForm g;
    TToolbar* bar = MakeBar(g, "Bar", "BBBB", g.Top);
    g.Show();
    LoadToolbarPositions(&g.Form, store.OpenGroup("Toolbars").get());
    EXPECT_TRUE(bar->Floating());
    EXPECT_EQ(bar->FloatRightX(), 54);
    EXPECT_EQ(bar->size(), QSize(54, 47));
}

TEST(Toolbar, DropdownMenuPlacePerDock)
{
    TDockTestForm f;
    TToolbar* top = MakeBar(f, "TopBar", "B", f.Top);
    TToolbar* left = MakeBar(f, "LeftBar", "B", f.Left);
    TToolbar* right = MakeBar(f, "RightBar", "B", f.Right);
    f.Show();
    const QSize menu(120, 80);
    auto* tb = static_cast<TToolbarButton*>(top->OrderList().front());
    auto* lb = static_cast<TToolbarButton*>(left->OrderList().front());
    auto* rb = static_cast<TToolbarButton*>(right->OrderList().front());
    bool rightAligned = true;
    EXPECT_EQ(tb->MenuPlace(menu, &rightAligned), tb->mapToGlobal(QPoint(0, 22)));
    EXPECT_FALSE(rightAligned);
    EXPECT_EQ(lb->MenuPlace(menu, &rightAligned), lb->mapToGlobal(QPoint(23, 0)));
    EXPECT_FALSE(rightAligned);
    EXPECT_EQ(rb->MenuPlace(menu, &rightAligned), rb->mapToGlobal(QPoint(-120, 0)));
    EXPECT_TRUE(rightAligned);
}

} // namespace
