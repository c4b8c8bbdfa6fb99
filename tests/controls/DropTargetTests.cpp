// The drop target: drag events sent to a child of the target reach its handlers in order, the drop
// effect follows the allowed effects, the modifier keys and the scrolling band, a scroll area
// scrolls while the drag hovers at its edge, and the file names come whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>
#include <memory>

#include "support/GuiTestApp.h"
#include "controls/DropTarget.h"

namespace {

// Records the handlers' calls as "enter 1 (12,34)" and so on.
struct TRecorder
{
    std::vector<std::string> Calls;
    void Attach(TDropTarget& t)
    {
        auto rec = [this](const char* what) {
            return [this, what](TDropTarget*, Qt::KeyboardModifiers, QPoint p, uint32_t& effect) {
                Calls.push_back(std::string(what) + " " + std::to_string(effect) + " (" + std::to_string(p.x()) +
                                "," + std::to_string(p.y()) + ")");
            };
        };
        t.OnEnter = rec("enter");
        t.OnDragOver = rec("over");
        t.OnDrop = rec("drop");
        t.OnLeave = [this](TDropTarget*) { Calls.push_back("leave"); };
    }
};

std::unique_ptr<QMimeData> UriList(const QList<QUrl>& urls)
{
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

// Sends enter, move and drop to receiver; answers whether each was accepted, as "yyn".
std::string DragAndDrop(QWidget* receiver, const QMimeData* data, Qt::DropActions actions, QPoint at,
                        Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    std::string accepted;
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, keys);
    QApplication::sendEvent(receiver, &enter);
    accepted += enter.isAccepted() ? 'y' : 'n';
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, keys);
    QApplication::sendEvent(receiver, &move);
    accepted += move.isAccepted() ? 'y' : 'n';
    QDropEvent drop(at, actions, data, Qt::LeftButton, keys);
    QApplication::sendEvent(receiver, &drop);
    accepted += drop.isAccepted() ? 'y' : 'n';
    return accepted;
}

// A window with a child placed at (20, 10); the target is the window.
struct TWindowWithChild
{
    QApplication* App = EnsureGuiTestApp();
    QWidget Window;
    QWidget* Child;
    TWindowWithChild() : Child(new QWidget(&Window))
    {
        Window.resize(300, 200);
        Child->setGeometry(20, 10, 100, 100);
    }
};

TEST(DropTargetEffect, ModifierKeysPickOneOfTheAllowedEffects)
{
    const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier,
                                both = Qt::ShiftModifier | Qt::ControlModifier;
    const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    struct TCase { uint32_t requested; Qt::DropActions dragtypes; Qt::KeyboardModifiers keys; uint32_t expected; } cases[] = {
        {7, all, none, 1},
        {7, all, shift, 2},
        {7, all, ctrl, 1},
        {7, all, both, 4},
        {6, all, none, 2},             // no copy: move comes next
        {4, all, none, 4},
        {3, all, both, 1},             // both keys without link: the first allowed
        {5, all, shift, 1},            // Shift without move
        {7, Qt::CopyAction, shift, 1}, // a copy-only target still copies under Shift
        {7, Qt::CopyAction, both, 1},
        {2, Qt::CopyAction, none, 0},  // a move-only source gets nothing
        {4, Qt::CopyAction, shift, 0},
        {0, all, none, 0},
        {0x8000000Fu, all, none, 1},   // stray bits of the request are not effects
    };
    for (const TCase& c : cases) {
        TDropEffectQuery q;
        q.Requested = c.requested;
        q.Dragtypes = c.dragtypes;
        q.ShiftState = c.keys;
        q.Point = {50, 50};
        q.ClientSize = {100, 100};
        q.ScrollMargin = 10;
        q.ScrollBars = TScrollBar::sbHorizontal | TScrollBar::sbVertical;
        EXPECT_EQ(TDropTarget::GetValidDropEffect(q), c.expected) << c.requested << " " << c.keys.toInt();
    }
}

TEST(DropTargetEffect, TheScrollBitComesOnlyCloserThanTheMarginToTheEdgeOfABarsDirection)
{
    const TScrollBars both = TScrollBar::sbHorizontal | TScrollBar::sbVertical;
    // Client 100 x 80, margin 10: x 10..90 and y 10..70 are outside the band.
    struct TCase { QPoint p; TScrollBars bars; bool scroll; } cases[] = {
        {{10, 40}, both, false},  {{9, 40}, both, true},   {{90, 40}, both, false}, {{91, 40}, both, true},
        {{50, 10}, both, false},  {{50, 9}, both, true},   {{50, 70}, both, false}, {{50, 71}, both, true},
        {{0, 0}, {}, false},      {{5, 40}, TScrollBar::sbVertical, false}, {{50, 75}, TScrollBar::sbVertical, true},
        {{50, 75}, TScrollBar::sbHorizontal, false},       {{95, 40}, TScrollBar::sbHorizontal, true},
    };
    for (const TCase& c : cases) {
        TDropEffectQuery q;
        q.Requested = DropEffectCopy;
        q.Dragtypes = Qt::CopyAction;
        q.Point = c.p;
        q.ClientSize = {100, 80};
        q.ScrollMargin = 10;
        q.ScrollBars = c.bars;
        EXPECT_EQ(TDropTarget::GetValidDropEffect(q), c.scroll ? 0x80000001u : 1u) << c.p.x() << "," << c.p.y();
    }
}

TEST(DropFileTarget, ADropOnAChildReachesTheTargetInOrderWithTheFilesWhole)
{
    TWindowWithChild w;
    TDropFileTarget target;
    TRecorder rec;
    rec.Attach(target);
    target.Register(&w.Window);
    EXPECT_TRUE(w.Window.acceptDrops());

    const QString names[] = {"/tmp/a b/photo one.jpg", QString::fromUtf8("/tmp/\xC3\xBC\xC3\x9F/\xE5\x86\x99\xE7\x9C\x9F.png"),
                             "/tmp/c.tif"};
    auto data = UriList({QUrl::fromLocalFile(names[0]), QUrl::fromLocalFile(names[1]), QUrl::fromLocalFile(names[2])});
    std::vector<std::string> dropped;
    target.OnDrop = [&](TDropTarget* sender, Qt::KeyboardModifiers, QPoint, uint32_t&) {
        const TStringList& files = static_cast<TDropFileTarget*>(sender)->Files();
        dropped = files.Lines();
        rec.Calls.push_back("drop");
    };
    EXPECT_EQ(DragAndDrop(w.Child, data.get(), Qt::CopyAction | Qt::MoveAction, {5, 6}), "yyy");
    // The child's point (5, 6) is (25, 16) in the window.
    EXPECT_EQ(rec.Calls, (std::vector<std::string>{"enter 1 (25,16)", "over 1 (25,16)", "drop"}));
    EXPECT_EQ(dropped, (std::vector<std::string>{"/tmp/a b/photo one.jpg",
                                                 "/tmp/\xC3\xBC\xC3\x9F/\xE5\x86\x99\xE7\x9C\x9F.png", "/tmp/c.tif"}));
    EXPECT_EQ(target.Files().Count(), 0); // cleared after the drop
    EXPECT_EQ(target.DataObject(), nullptr);
    EXPECT_EQ(target.MappedNames().Count(), 0);
}

TEST(DropFileTarget, RefusedDragsRaiseNoEnterAndNoDrop)
{
    TWindowWithChild w;
    TDropFileTarget target;
    target.Dragtypes = Qt::CopyAction;
    TRecorder rec;
    rec.Attach(target);
    target.Register(&w.Window);

    QMimeData text;
    text.setText("just words");
    EXPECT_EQ(DragAndDrop(w.Child, &text, Qt::CopyAction, {1, 1}), "nnn");
    EXPECT_TRUE(rec.Calls.empty());

    // A source that only moves: the enter is raised with no effect (Qt then sends no move), nothing
    // is dropped.
    auto files = UriList({QUrl::fromLocalFile("/tmp/x.jpg")});
    EXPECT_EQ(DragAndDrop(w.Child, files.get(), Qt::MoveAction, {1, 1}), "nnn");
    EXPECT_EQ(rec.Calls, (std::vector<std::string>{"enter 0 (21,11)"}));

    // Shift over a copy-only target still copies.
    rec.Calls.clear();
    EXPECT_EQ(DragAndDrop(w.Child, files.get(), Qt::CopyAction | Qt::MoveAction, {1, 1}, Qt::ShiftModifier), "yyy");
    EXPECT_EQ(rec.Calls, (std::vector<std::string>{"enter 1 (21,11)", "over 1 (21,11)", "drop 1 (21,11)"}));

    // A drop that only offers a move after an accepted enter: refused, no handler.
    rec.Calls.clear();
    QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.Child, &enter);
    QDropEvent drop(QPoint(1, 1), Qt::MoveAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.Child, &drop);
    EXPECT_FALSE(drop.isAccepted());
    EXPECT_EQ(rec.Calls, (std::vector<std::string>{"enter 1 (21,11)"}));
    EXPECT_EQ(target.DataObject(), nullptr);
}

TEST(DropFileTarget, LeavingEndsTheDragAndTheHandlerChoosesTheEffectWithoutScrollBit)
{
    TWindowWithChild w;
    TDropFileTarget target;
    TRecorder rec;
    rec.Attach(target);
    target.GetDataOnEnter = true;
    target.Register(&w.Window);
    auto files = UriList({QUrl("https://example.org/p.jpg"), QUrl::fromLocalFile("/tmp/y.jpg")});

    QDragEnterEvent enter(QPoint(0, 0), Qt::CopyAction | Qt::LinkAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w.Window, &enter);
    // Fetched on enter: other addresses keep their text.
    EXPECT_EQ(target.Files().Lines(), (std::vector<std::string>{"https://example.org/p.jpg", "/tmp/y.jpg"}));
    // Passing to another child of the target: Qt leaves and enters again; the drag goes on as a move.
    auto* second = new QWidget(&w.Window);
    second->setGeometry(150, 10, 50, 50);
    QDragLeaveEvent leave;
    QApplication::sendEvent(&w.Window, &leave);
    QDragEnterEvent again(QPoint(2, 3), Qt::CopyAction | Qt::LinkAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(second, &again);
    EXPECT_TRUE(again.isAccepted());
    QCoreApplication::processEvents();
    EXPECT_EQ(rec.Calls, (std::vector<std::string>{"enter 1 (0,0)", "over 1 (152,13)"}));
    EXPECT_EQ(target.Files().Count(), 2);
    // Leaving for good: the leave comes once the events at hand are served.
    QApplication::sendEvent(&w.Window, &leave);
    EXPECT_EQ(rec.Calls.back(), "over 1 (152,13)");
    QCoreApplication::processEvents();
    EXPECT_EQ(rec.Calls.back(), "leave");
    EXPECT_EQ(target.DataObject(), nullptr);
    EXPECT_EQ(target.Files().Count(), 0);

    uint32_t offered = 0;
    target.OnGetDropEffect = [&](TDropTarget*, Qt::KeyboardModifiers, QPoint, uint32_t& effect) {
        offered = effect;
        effect = DropEffectLink;
    };
    rec.Calls.clear();
    EXPECT_EQ(DragAndDrop(w.Child, files.get(), Qt::CopyAction | Qt::LinkAction | Qt::MoveAction, {0, 0}), "yyy");
    EXPECT_EQ(offered, 7u);
    EXPECT_EQ(rec.Calls, (std::vector<std::string>{"enter 4 (20,10)", "over 4 (20,10)", "drop 4 (20,10)"}));
}

TEST(DropTargetScroll, AScrollAreaScrollsOneStepPerTickAtItsEdgeAndAPlainWidgetNever)
{
    EnsureGuiTestApp();
    QScrollArea area;
    auto* content = new QWidget;
    content->resize(2000, 2000);
    area.setWidget(content);
    area.resize(300, 200);
    area.show();
    QApplication::processEvents();
    TDropFileTarget target;
    target.Register(&area);
    auto files = UriList({QUrl::fromLocalFile("/tmp/z.jpg")});
    const int margin = QFontInfo(area.font()).pixelSize();
    const int viewportH = area.viewport()->height();
    ASSERT_GT(margin, 2);

    // Sent to the content widget at the viewport's bottom, one pixel inside the band.
    const QPoint bottom(100, viewportH - margin + 1);
    QDragEnterEvent enter(bottom, Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &enter);
    EXPECT_EQ(target.ScrollMargin(), margin);
    EXPECT_TRUE(target.ScrollBars().testFlag(TScrollBar::sbVertical));
    QDragMoveEvent move(bottom, Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &move);
    EXPECT_TRUE(target.Scrolling());
    EXPECT_EQ(area.verticalScrollBar()->value(), 0); // nothing before the first tick
    const int step = area.verticalScrollBar()->singleStep();
    ASSERT_TRUE(PumpUntil([&] { return area.verticalScrollBar()->value() >= 2 * step; }, 3000));
    EXPECT_EQ(area.verticalScrollBar()->value() % step, 0);
    EXPECT_EQ(area.horizontalScrollBar()->value(), 0);

    // Back in the middle (the content has moved under the viewport): the timer stops.
    const QPoint middle = content->mapFrom(area.viewport(), QPoint(100, viewportH / 2));
    QDragMoveEvent back(middle, Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &back);
    EXPECT_FALSE(target.Scrolling());
    QDropEvent drop(middle, Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(content, &drop);
    EXPECT_TRUE(drop.isAccepted());

    // A plain widget has no scroll bars: its edge never scrolls.
    TWindowWithChild w;
    w.Window.show();
    TDropFileTarget plain;
    plain.Register(&w.Window);
    QDragEnterEvent e2(QPoint(0, 0), Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w.Window, &e2);
    QDragMoveEvent m2(QPoint(0, 0), Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w.Window, &m2);
    EXPECT_TRUE(m2.isAccepted());
    EXPECT_FALSE(plain.Scrolling());
    EXPECT_FALSE(plain.ScrollBars());
}

TEST(DropTargetRegister, TwiceIsOnceNullptrDetachesAndTheWidgetsOwnSettingComesBack)
{
    TWindowWithChild w;
    QLineEdit edit; // accepts drops of its own
    TDropFileTarget target;
    int enters = 0;
    target.OnEnter = [&](TDropTarget*, Qt::KeyboardModifiers, QPoint, uint32_t&) { ++enters; };
    auto files = UriList({QUrl::fromLocalFile("/tmp/z.jpg")});
    auto enter = [&](QWidget* to) {
        QDragEnterEvent e(QPoint(1, 1), Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(to, &e);
    };

    target.Register(&w.Window);
    target.Register(&w.Window);
    enter(w.Child);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(target.Target(), &w.Window);

    target.Register(&edit); // moves: the window lets go
    EXPECT_FALSE(w.Window.acceptDrops());
    enter(w.Child);
    EXPECT_EQ(enters, 1);
    enter(&edit);
    EXPECT_EQ(enters, 2);

    target.Register(nullptr);
    EXPECT_EQ(target.Target(), nullptr);
    EXPECT_TRUE(edit.acceptDrops());
    enter(&edit);
    EXPECT_EQ(enters, 2);
    target.Unregister(); // nothing attached: nothing happens

    // A target widget destroyed while attached, and a drag whose data is gone, end quietly.
    auto* doomed = new QWidget;
    target.Register(doomed);
    auto gone = UriList({QUrl::fromLocalFile("/tmp/q.jpg")});
    QDragEnterEvent e(QPoint(1, 1), Qt::CopyAction, gone.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(doomed, &e);
    gone.reset();
    QDropEvent drop(QPoint(1, 1), Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(doomed, &drop);
    EXPECT_FALSE(drop.isAccepted());
    delete doomed;
    EXPECT_EQ(target.Target(), nullptr);
    auto* owner = new QWidget; // owns a target attached to itself
    (new TDropFileTarget(owner))->Register(owner);
    delete owner;
    target.Register(&w.Window);
    EXPECT_EQ(target.Target(), &w.Window);
}

TEST(DropFileTarget, PasteTakesTheClipboardsFilesAndItsCutOrCopyMark)
{
    EnsureGuiTestApp();
    TDropFileTarget target;
    struct TCase { const char* mark; bool withFiles; uint32_t expected; size_t files; } cases[] = {
        {nullptr, true, 1, 2},     // no mark: copy
        {"cut\nfile:///x", true, 2, 2},
        {"copy\nfile:///x", true, 1, 2},
        {"cut\n", false, 0, 2},    // a mark without files: nothing, the last names stay
    };
    for (const TCase& c : cases) {
        auto* data = new QMimeData;
        if (c.withFiles) data->setUrls({QUrl::fromLocalFile("/tmp/one two.jpg"), QUrl::fromLocalFile("/tmp/3.jpg")});
        else data->setText("text");
        if (c.mark) data->setData("x-special/gnome-copied-files", c.mark);
        QApplication::clipboard()->setMimeData(data);
        EXPECT_EQ(target.PasteFromClipboard(), c.expected) << (c.mark ? c.mark : "-");
        if (c.withFiles) {
            EXPECT_EQ(target.Files().Lines()[0], "/tmp/one two.jpg");
        }
        EXPECT_EQ(size_t(target.Files().Count()), c.files);
    }
}

} // namespace
