// Saving and loading the places of tool windows through an in-memory settings group.
#include <gtest/gtest.h>

#include <set>

#include "controls/ScreenPlace.h"
#include "controls/ToolbarPositions.h"
#include "platform/Exceptions.h"
#include "platform/SettingsStore.h"
#include "DockTestForm.h"

namespace {

using TValues = std::map<std::string, std::string>;

void Put(TSettingsStore& root, const std::string& window, const TValues& values)
{
    auto g = root.OpenGroup("Toolbars/" + window);
    for (const auto& [k, v] : values) g->WriteValue(k, v);
}

TEST(ToolbarPositions, DockedAndFloatingPlacesRoundTrip)
{
    TMemorySettingsStore store;
    {
        TDockTestForm f;
        f.Add("A", 3, f.Top, 0, 0);
        f.Add("B", 2, f.Top, 1, 30);
        TSampleToolWindow* c = f.Add("C", 2, f.Left);
        f.Show();
        c->SetDockedTo(nullptr); // floats, remembering the left dock
        c->MoveFloating(QPoint(200, 150));
        SaveToolbarPositions(&f.Form, store.OpenGroup("Toolbars").get());
    }
    const TValues all = store.AllValues();
    const TValues want = {
        {"Toolbars/A/Rev", "3"}, {"Toolbars/A/Visible", "1"}, {"Toolbars/A/DockedTo", "TopDock"}, {"Toolbars/A/LastDock", "TopDock"},
        {"Toolbars/A/DockRow", "0"}, {"Toolbars/A/DockPos", "0"}, {"Toolbars/B/DockedTo", "TopDock"}, {"Toolbars/B/DockRow", "1"},
        {"Toolbars/B/DockPos", "30"}, {"Toolbars/C/DockedTo", "+"}, {"Toolbars/C/LastDock", "LeftDock"},
        {"Toolbars/C/FloatLeft", "200"}, {"Toolbars/C/FloatTop", "150"},
    };
    for (const auto& [k, v] : want) EXPECT_EQ(all.count(k) ? all.at(k) : "<none>", v) << k;

    TDockTestForm g;
    TSampleToolWindow* a = g.Add("A", 3, g.Bottom, 0, 0);
    TSampleToolWindow* b = g.Add("B", 2, g.Bottom, 0, 100);
    TSampleToolWindow* c = g.Add("C", 2, g.Right);
    g.Show();
    LoadToolbarPositions(&g.Form, store.OpenGroup("Toolbars").get());
    EXPECT_EQ(a->DockedTo(), g.Top);
    EXPECT_EQ(b->DockedTo(), g.Top);
    EXPECT_EQ(a->DockRow(), 0);
    EXPECT_EQ(b->DockRow(), 1);
    EXPECT_EQ(b->DockPos(), 30);
    EXPECT_EQ(b->geometry().topLeft(), QPoint(30, a->height()));
    EXPECT_TRUE(c->Floating());
    EXPECT_EQ(c->WindowBounds().topLeft(), QPoint(200, 150));
    EXPECT_EQ(c->LastDock(), g.Left);
    EXPECT_EQ(g.Bottom->height(), 0); // emptied
}

TEST(ToolbarPositions, RevisionsAndUnknownOrForbiddenDocksLeaveTheWindowAlone)
{
    struct { const char* Name; TValues Values; bool Moves; } const cases[] = {
        {"no Rev", {{"DockedTo", "LeftDock"}}, false},
        {"Rev 1", {{"Rev", "1"}, {"DockedTo", "LeftDock"}}, false},
        {"Rev 4", {{"Rev", "4"}, {"DockedTo", "LeftDock"}}, false},
        {"Rev 2", {{"Rev", "2"}, {"DockedTo", "LeftDock"}}, true},
        {"unknown dock", {{"Rev", "3"}, {"DockedTo", "Nowhere"}}, false},
        {"dock without dragging", {{"Rev", "3"}, {"DockedTo", "RightDock"}}, false},
        {"dock it may not go to", {{"Rev", "3"}, {"DockedTo", "BottomDock"}}, false},
        {"empty dock name", {{"Rev", "3"}, {"DockedTo", ""}}, false},
    };
    for (const auto& c : cases) {
        TMemorySettingsStore store;
        Put(store, "A", c.Values);
        TDockTestForm f;
        f.Right->SetAllowDrag(false);
        TSampleToolWindow* a = f.Add("A", 2, f.Top, 0, 40);
        a->SetDockableTo(dtTop | dtLeft | dtRight);
        f.Show();
        LoadToolbarPositions(&f.Form, store.OpenGroup("Toolbars").get());
        EXPECT_EQ(a->DockedTo(), c.Moves ? f.Left : f.Top) << c.Name;
        EXPECT_EQ(a->DockPos(), 40) << c.Name;
    }
    // A window that cannot float stays docked when its place says "+"; Rev 2 never reads LastDock.
    TMemorySettingsStore store;
    Put(store, "A", {{"Rev", "3"}, {"DockedTo", "+"}});
    Put(store, "B", {{"Rev", "2"}, {"DockedTo", "+"}, {"LastDock", "LeftDock"}, {"FloatLeft", "100"}, {"FloatTop", "100"}});
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 2, f.Top);
    a->SetDockMode(TToolWindowDockMode::dmCannotFloat);
    TSampleToolWindow* b = f.Add("B", 2, f.Top, 1);
    f.Show();
    LoadToolbarPositions(&f.Form, store.OpenGroup("Toolbars").get());
    EXPECT_EQ(a->DockedTo(), f.Top);
    EXPECT_TRUE(b->Floating());
    EXPECT_EQ(b->LastDock(), f.Top); // kept from its dock: nothing read
}

TEST(ToolbarPositions, HostileValuesLoadIntoDenseRowsWithReachableCaptions)
{
    TMemorySettingsStore store;
    const char* bad[] = {"-5", "2147483647", "abc", "99999999"};
    for (int i = 0; i < 4; ++i) {
        const std::string v = bad[i], u = bad[(i + 1) % 4];
        Put(store, "D" + std::to_string(i), {{"Rev", "3"}, {"Visible", v}, {"DockedTo", "TopDock"}, {"DockRow", v}, {"DockPos", u},
                                             {"FloatLeft", v}, {"FloatTop", u}});
        Put(store, "F" + std::to_string(i), {{"Rev", "3"}, {"Visible", "1"}, {"DockedTo", "+"}, {"LastDock", v}, {"DockRow", v},
                                             {"DockPos", u}, {"FloatLeft", v}, {"FloatTop", u}});
    }
    TDockTestForm f;
    std::vector<TSampleToolWindow*> docked, floating;
    for (int i = 0; i < 4; ++i) docked.push_back(f.Add(QString("D%1").arg(i), 3, f.Bottom));
    for (int i = 0; i < 4; ++i) floating.push_back(f.Add(QString("F%1").arg(i), 2, f.Bottom));
    f.Show();
    LoadToolbarPositions(&f.Form, store.OpenGroup("Toolbars").get());

    std::set<int> rows;
    for (TSampleToolWindow* w : docked) {
        ASSERT_EQ(w->DockedTo(), f.Top);
        EXPECT_GE(w->DockPos(), -32767);
        EXPECT_LE(w->DockPos(), 32767);
        rows.insert(w->DockRow());
        for (TSampleToolWindow* o : docked)
            if (o != w && o->isVisible() && w->isVisible()) {
                EXPECT_FALSE(o->geometry().intersects(w->geometry()));
            }
    }
    EXPECT_EQ(*rows.begin(), 0);
    EXPECT_EQ(*rows.rbegin(), int(rows.size()) - 1); // dense
    for (TSampleToolWindow* w : floating) {
        ASSERT_TRUE(w->Floating());
        EXPECT_TRUE(GripOnScreens(w->WindowBounds(), AvailableScreens())) << w->WindowBounds().x() << "," << w->WindowBounds().y();
        EXPECT_EQ(w->LastDock(), f.Bottom); // no dock of those names: the one it came from is kept
    }
}

TEST(ToolbarPositions, SeveralWindowsIntoOneDockArrangeItOnce)
{
    TMemorySettingsStore store;
    for (const char* n : {"A", "B", "C"}) Put(store, n, {{"Rev", "3"}, {"DockedTo", "LeftDock"}, {"DockRow", "0"}});
    TDockTestForm f;
    for (const char* n : {"A", "B", "C"}) f.Add(n, 2, f.Top);
    f.Show();
    std::vector<int> widthsSeen;
    int resizes = 0;
    f.Left->OnInsertRemoveBar = [&](TDock* d, bool inserting, TCustomToolWindow*) {
        if (inserting) widthsSeen.push_back(d->width());
    };
    f.Left->OnResize = [&](TDock*) { ++resizes; };
    LoadToolbarPositions(&f.Form, store.OpenGroup("Toolbars").get());
    EXPECT_EQ(widthsSeen, (std::vector<int>{0, 0, 0})); // nothing arranged while loading
    EXPECT_EQ(f.Left->width(), TSampleToolWindow::Box + 4);
    EXPECT_EQ(resizes, 1);
}

TEST(ToolbarPositions, TheSixFailures)
{
    TDockTestForm f;
    TSampleToolWindow* a = f.Add("A", 2, f.Top);
    TMemorySettingsStore store;
    auto group = store.OpenGroup("Toolbars");
    auto message = [](auto&& fn) -> std::string {
        try {
            fn();
        } catch (const Exception& e) {
            return e.Message();
        }
        return "<no exception>";
    };
    EXPECT_EQ(message([&] { new TDock(a); }), "A TDock control cannot be placed inside a tool window or another TDock");
    EXPECT_EQ(message([&] { f.Top->SetPosition(TDockPosition::dpLeft); }),
              "Cannot change Position of a TDock if it already contains controls");
    EXPECT_EQ(message([&] { a->SetParent(f.Centre); }), "A tool window can only be placed on a TDock or directly on the form");
    f.Top->setObjectName("");
    EXPECT_EQ(message([&] { SaveToolbarPositions(&f.Form, group.get()); }),
              "Cannot save tool window's position because DockedTo's Name property not set");
    a->setObjectName("");
    EXPECT_EQ(message([&] { SaveToolbarPositions(&f.Form, group.get()); }),
              "Cannot save tool window's position because Name property is not set");
    EXPECT_EQ(message([&] { LoadToolbarPositions(&f.Form, group.get()); }),
              "Cannot save tool window's position because Name property is not set");
    TSampleToolWindow orphan(nullptr, "Orphan", 1);
    EXPECT_EQ(message([&] { orphan.SetDockedTo(nullptr); }), "Control 'Orphan' has no parent window");
    EXPECT_EQ(FindDockByName(&f.Form, "LeftDock"), f.Left);
    EXPECT_EQ(FindDockByName(&f.Form, "leftdock"), nullptr);
}

} // namespace
