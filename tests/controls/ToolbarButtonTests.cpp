// Toolbar buttons: latching in groups, the combo arrow and its menu, auto-repeat on a timer the
// test drives, hot tracking, the action link, the glyph cache's slots and the disabled pictures.
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include "controls/DockHooks.h"
#include "controls/ToolbarButton.h"
#include "platform/Exceptions.h"
#include "support/GuiTestApp.h"

namespace {

struct TManualTimer final : TRepeatTimer
{
    int Interval = -1;
    bool On = false;
    int Starts = 0;
    void Start(int ms) override { Interval = ms, On = true, ++Starts; }
    void Stop() override { On = false; }
    bool Active() const override { return On; }
    void Fire()
    {
        if (On && OnTimer) OnTimer();
    }
};

// Makes the button repeat on a timer the test fires by hand.
TManualTimer* RepeatingOnManualTimer(TToolbarButton* b)
{
    auto owned = std::make_unique<TManualTimer>();
    TManualTimer* timer = owned.get();
    b->SetRepeatTimer(std::move(owned));
    b->SetRepeating(true);
    return timer;
}

void Send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons = Qt::LeftButton)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}
void Press(QWidget* w, QPoint pos = {5, 5}) { Send(w, QEvent::MouseButtonPress, pos); }
void Release(QWidget* w, QPoint pos = {5, 5}) { Send(w, QEvent::MouseButtonRelease, pos, Qt::NoButton); }
void Move(QWidget* w, QPoint pos) { Send(w, QEvent::MouseMove, pos); }
void ClickAt(QWidget* w, QPoint pos = {5, 5})
{
    Press(w, pos);
    Release(w, pos);
}

struct TButtonForm
{
    bool Ready = EnsureGuiTestApp() != nullptr;
    QWidget Form;
    TButtonForm()
    {
        SetApplicationIsActiveFn([] { return true; });
        Form.setGeometry(50, 50, 300, 100);
    }
    ~TButtonForm() { SetApplicationIsActiveFn(nullptr); }
    TToolbarButton* Add(int group = 0, int x = 0)
    {
        auto* b = new TToolbarButton(&Form);
        b->move(x, 0);
        b->SetGroupIndex(group);
        return b;
    }
};

TEST(ToolbarButton, NewButtonSizeAndClamps)
{
    TButtonForm f;
    TToolbarButton* b = f.Add();
    EXPECT_EQ(b->size(), QSize(23, 22));
    b->SetNumGlyphs(0);
    EXPECT_EQ(b->NumGlyphs(), 1);
    b->SetNumGlyphs(7);
    EXPECT_EQ(b->NumGlyphs(), 5);
    b->SetDropdownArrowWidth(3);
    EXPECT_EQ(b->DropdownArrowWidth(), 7);
    // A combo grows by the arrow part, and with the arrow width.
    b->SetDropdownCombo(true);
    EXPECT_EQ(b->width(), 23 + 9);
    b->SetDropdownArrowWidth(12);
    EXPECT_EQ(b->width(), 23 + 14);
    b->SetDropdownCombo(false);
    EXPECT_EQ(b->width(), 23);
    // An empty glyph is one cell, whatever its shape.
    b->SetGlyph(QImage(16, 0, QImage::Format_RGB32));
    EXPECT_EQ(b->NumGlyphs(), 1);
    b->SetGlyph(QImage(48, 16, QImage::Format_RGB32));
    EXPECT_EQ(b->NumGlyphs(), 3);
}

TEST(ToolbarButton, DownAndGroups)
{
    TButtonForm f;
    TToolbarButton* lone = f.Add(0);
    lone->SetDown(true);
    EXPECT_FALSE(lone->Down());
    ClickAt(lone);
    EXPECT_FALSE(lone->Down());

    struct
    {
        bool AllowAllUp;
        bool SecondClickLeavesDown;
    } rows[] = {{false, true}, {true, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.AllowAllUp);
        TButtonForm g;
        TToolbarButton* a = g.Add(1, 0);
        TToolbarButton* b = g.Add(1, 30);
        TToolbarButton* other = g.Add(2, 60);
        other->SetDown(true);
        a->SetAllowAllUp(r.AllowAllUp);
        ClickAt(a);
        EXPECT_TRUE(a->Down());
        EXPECT_EQ(b->AllowAllUp(), r.AllowAllUp); // taken from the button that went down
        EXPECT_EQ(a->State(), TButtonState::bsExclusive);
        ClickAt(a);
        EXPECT_EQ(a->Down(), r.SecondClickLeavesDown);
        ClickAt(b);
        EXPECT_TRUE(b->Down());
        EXPECT_FALSE(a->Down());
        EXPECT_TRUE(other->Down()); // another group is left alone
    }
}

TEST(ToolbarButton, ComboArrowOpensOnPressAndNeverClicks)
{
    TButtonForm f;
    TToolbarButton* b = f.Add();
    QMenu menu;
    menu.addAction("One");
    b->SetDropdownMenu(&menu);
    b->SetDropdownCombo(true);
    f.Form.show();
    int clicks = 0, shows = 0;
    b->OnClick = [&](TToolbarButton*) { ++clicks; };
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        ++shows;
        QTimer::singleShot(0, &menu, [&] { menu.close(); });
    });
    ClickAt(b, {5, 5}); // the main part
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(shows, 0);
    Press(b, {b->width() - 3, 5}); // the arrow: the menu shows while the button is held
    EXPECT_EQ(shows, 1);
    Release(b, {b->width() - 3, 5});
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b->MouseIsDown());

    // OnDropdown may keep the menu closed.
    b->OnDropdown = [](TToolbarButton*, bool& show, bool&) { show = false; };
    Press(b, {b->width() - 3, 5});
    Release(b, {b->width() - 3, 5});
    EXPECT_EQ(shows, 1);
}

TEST(ToolbarButton, DropdownButtonClicksThenShowsItsMenu)
{
    TButtonForm f;
    TToolbarButton* b = f.Add();
    QMenu menu;
    menu.addAction("One");
    b->SetDropdownMenu(&menu);
    f.Form.show();
    std::vector<std::string> events;
    b->OnClick = [&](TToolbarButton*) { events.push_back("click"); };
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        events.push_back(b->State() == TButtonState::bsDown ? "menu, drawn down" : "menu");
        QTimer::singleShot(0, &menu, [&] { menu.close(); });
    });
    Press(b);
    Release(b);
    EXPECT_EQ(events, std::vector<std::string>({"click", "menu, drawn down"}));
    EXPECT_EQ(b->State(), TButtonState::bsUp);
}

TEST(ToolbarButton, PressOnTheButtonClosesItsMenuForGood)
{
    TButtonForm f;
    TToolbarButton* b = f.Add(0, 10);
    TToolbarButton* neighbour = f.Add(0, 60);
    QMenu menu;
    menu.addAction("One");
    b->SetDropdownMenu(&menu);
    b->SetDropdownCombo(true);
    f.Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.Form));
    int shows = 0;
    bool replayWithheld = false, closedByPress = false;
    QWindow* window = f.Form.windowHandle();
    QPoint target; // where the press that closes the menu lands, in the form's window
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        ++shows;
        QTimer::singleShot(20, [&] {
            QTest::mousePress(window, Qt::LeftButton, {}, target);
            closedByPress = !menu.isVisible();
            // Whether the press is handed on once the menu has closed: never to the menu's own button.
            replayWithheld = menu.testAttribute(Qt::WA_NoMouseReplay);
        });
        QTimer::singleShot(60, [&] { QTest::mouseRelease(window, Qt::LeftButton, {}, target); });
        QTimer::singleShot(400, &menu, [&] { menu.close(); }); // whatever happens, no menu stays open
    });
    const QPoint arrow(b->width() - 3, 5);
    target = b->mapTo(&f.Form, arrow);
    Press(b, arrow);
    Release(b, arrow);
    QTest::qWait(150);
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(closedByPress);
    EXPECT_TRUE(replayWithheld);
    EXPECT_FALSE(menu.isVisible());

    // A press elsewhere closes the menu and may go on to what it was aimed at.
    target = neighbour->mapTo(&f.Form, QPoint(5, 5));
    Press(b, arrow);
    Release(b, arrow);
    QTest::qWait(150);
    EXPECT_EQ(shows, 2);
    EXPECT_TRUE(closedByPress);
    EXPECT_FALSE(replayWithheld);

    // With RemoveClicks turned off the press on the button is handed on like any other.
    b->OnDropdown = [](TToolbarButton*, bool&, bool& removeClicks) { removeClicks = false; };
    target = b->mapTo(&f.Form, arrow);
    Press(b, arrow);
    Release(b, arrow);
    QTest::qWait(150);
    EXPECT_FALSE(replayWithheld);
}

TEST(ToolbarButton, RepeatCountsOnTheTimer)
{
    TButtonForm f;
    TToolbarButton* b = f.Add();
    TManualTimer* timer = RepeatingOnManualTimer(b);
    int clicks = 0;
    b->OnClick = [&](TToolbarButton*) { ++clicks; };
    Press(b);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(timer->On);
    EXPECT_EQ(timer->Interval, 400);
    timer->Fire();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(timer->Interval, 100);
    timer->Fire();
    EXPECT_EQ(clicks, 3);
    Move(b, {50, 50}); // outside: drawn up, no clicks
    EXPECT_EQ(b->State(), TButtonState::bsUp);
    timer->Fire();
    EXPECT_EQ(clicks, 3);
    EXPECT_FALSE(timer->On);
    Move(b, {5, 5}); // back in: the repeat resumes at its interval
    EXPECT_TRUE(timer->On);
    EXPECT_EQ(timer->Interval, 100);
    timer->Fire();
    EXPECT_EQ(clicks, 4);
    Release(b); // the release of a repeating button adds no click
    EXPECT_EQ(clicks, 4);
    EXPECT_FALSE(timer->On);

    // Cancel mode (a popup or modal box opened) stops it.
    Press(b);
    EXPECT_EQ(clicks, 5);
    b->CancelMode();
    EXPECT_FALSE(timer->On);
    EXPECT_FALSE(b->MouseIsDown());
    timer->Fire();
    EXPECT_EQ(clicks, 5);
}

TEST(ToolbarButton, AModalBoxOrDeactivationCancelsTheRepeat)
{
    TButtonForm f;
    TToolbarButton* b = f.Add();
    TManualTimer* timer = RepeatingOnManualTimer(b);
    Press(b);
    ASSERT_TRUE(timer->On);
    QDialog box(&f.Form);
    box.setModal(true);
    box.show(); // a modal box opened
    QCoreApplication::processEvents();
    EXPECT_FALSE(timer->On);
    EXPECT_FALSE(b->MouseIsDown());
    box.hide();

    Press(b);
    ASSERT_TRUE(timer->On);
    Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive); // the application lost the focus
    EXPECT_FALSE(timer->On);
    EXPECT_FALSE(b->MouseIsDown());
}

QWidget* GNobody() { return nullptr; }

TEST(ToolbarButton, HotTracking)
{
    TButtonForm f;
    TToolbarButton* a = f.Add(0, 0);
    TToolbarButton* b = f.Add(0, 30);
    int exits = 0;
    a->OnMouseExit = [&](TToolbarButton*) { ++exits; };
    a->MouseEnter();
    EXPECT_TRUE(a->MouseInControl());
    EXPECT_EQ(a->State(), TButtonState::bsMouseIn);
    EXPECT_EQ(TToolbarButton::ButtonUnderMouse(), a);
    b->MouseEnter(); // the mouse went straight on to another button
    EXPECT_FALSE(a->MouseInControl());
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(TToolbarButton::ButtonUnderMouse(), b);
    TToolbarButton::SetWidgetUnderCursorFn(GNobody);
    TToolbarButton::CheckHotButton(); // the 125 ms check finds the cursor elsewhere
    TToolbarButton::SetWidgetUnderCursorFn(nullptr);
    EXPECT_FALSE(b->MouseInControl());
    EXPECT_EQ(TToolbarButton::ButtonUnderMouse(), nullptr);

    // Inactive application: no hot border unless asked for.
    SetApplicationIsActiveFn([] { return false; });
    a->MouseEnter();
    EXPECT_FALSE(a->MouseInControl());
    a->SetShowBorderWhenInactive(true);
    a->MouseEnter();
    EXPECT_TRUE(a->MouseInControl());
    a->MouseLeave();

    // Deactivated with the mouse over a button: the hot state goes, unless the button keeps its
    // border while inactive.
    SetApplicationIsActiveFn([] { return true; });
    for (bool keep : {false, true}) {
        SCOPED_TRACE(keep);
        b->SetShowBorderWhenInactive(keep);
        b->MouseEnter();
        Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
        EXPECT_EQ(b->State(), keep ? TButtonState::bsMouseIn : TButtonState::bsUp);
        b->MouseLeave();
    }
}

TEST(ToolbarButton, FlatBorderAndHighlightPatternInAGrab)
{
    TButtonForm f;
    TToolbarButton* b = f.Add(1);
    b->SetAllowAllUp(true);
    const QPalette pal = b->palette();
    const QRgb face = pal.color(QPalette::Button).rgb(), light = pal.color(QPalette::Light).rgb();
    const auto grab = [&] { return b->grab().toImage(); };
    // Flat, not hot: no border at all.
    QImage up = grab();
    EXPECT_EQ(up.pixel(0, 0), face);
    EXPECT_EQ(up.pixel(22, 21), face);
    b->MouseEnter();
    EXPECT_EQ(grab().pixel(0, 0), light); // the raised 1-pixel border of a hot flat button
    b->SetNoBorder(true);
    EXPECT_EQ(grab().pixel(0, 0), face);
    b->SetNoBorder(false);
    b->MouseLeave();

    b->SetDown(true);
    QImage down = grab();
    // Inside the sunken border: highlight where x and y have the same parity, face elsewhere.
    EXPECT_EQ(down.pixel(4, 4), light);
    EXPECT_EQ(down.pixel(5, 4), face);
    EXPECT_EQ(down.pixel(5, 5), light);
    b->SetHighlightWhenDown(false);
    down = grab();
    EXPECT_EQ(down.pixel(4, 4), face);
    EXPECT_EQ(down.pixel(5, 5), face);
}

TEST(ToolbarButton, ModalResultAndDialogKeys)
{
    EnsureGuiTestApp();
    QDialog dialog;
    auto* ok = new TToolbarButton(&dialog);
    auto* cancel = new TToolbarButton(&dialog);
    int okClicks = 0, cancelClicks = 0;
    ok->OnClick = [&](TToolbarButton*) { ++okClicks; };
    cancel->OnClick = [&](TToolbarButton*) { ++cancelClicks; };
    ok->SetDefault(true);
    cancel->SetCancel(true);
    dialog.show(); // the keys click visible buttons only
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &enter);
    QKeyEvent shiftEscape(QEvent::KeyPress, Qt::Key_Escape, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&dialog, &shiftEscape);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &escape);
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(cancelClicks, 1);

    ok->SetModalResult(QDialog::Accepted + 5);
    ok->Click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted + 5);
}

TEST(ToolbarButton, PressAndReleaseAreReportedBeforeTheButtonActs)
{
    TButtonForm f;
    TToolbarButton* b = f.Add();
    std::vector<std::string> seen;
    b->OnMouseDown = [&](TToolbarButton* s, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
        seen.push_back("down " + std::to_string(int(button)) + " " + std::to_string(x) + "," + std::to_string(y) +
                       (s->MouseIsDown() ? " held" : " free"));
    };
    b->OnMouseUp = [&](TToolbarButton* s, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        seen.push_back(std::string("up") + (s->MouseIsDown() ? " held" : " free"));
    };
    b->OnClick = [&](TToolbarButton*) { seen.push_back("click"); };
    ClickAt(b, {7, 9});
    EXPECT_EQ(seen, std::vector<std::string>({"down 1 7,9 free", "up held", "click"}));
    // A handler may free the button: nothing of it is touched afterwards.
    QPointer<TToolbarButton> watch(b);
    b->OnMouseDown = [](TToolbarButton* s, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { delete s; };
    Press(b);
    EXPECT_TRUE(watch.isNull());
}

TEST(ToolbarButton, MnemonicClicksUnlessGlyphOnly)
{
    TButtonForm f;
    TToolbarButton* b = f.Add();
    b->SetCaption("&Open");
    int clicks = 0;
    b->OnClick = [&](TToolbarButton*) { ++clicks; };
    f.Form.show();
    f.Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.Form));
    QTest::keyClick(&f.Form, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    b->SetDisplayMode(TButtonDisplayMode::dmGlyphOnly);
    QTest::keyClick(&f.Form, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
}

TEST(ToolbarButton, ActionLink)
{
    TButtonForm f;
    TToolbarButton* b = f.Add(3);
    b->SetAllowAllUp(true);
    auto* action = new QAction("&Grid", &f.Form);
    action->setCheckable(true);
    action->setToolTip("Show the grid");
    action->setStatusTip("Shows or hides the grid");
    action->setProperty("ImageIndex", 4);
    int triggers = 0;
    QObject::connect(action, &QAction::triggered, [&] { ++triggers; });
    b->SetAction(action);
    EXPECT_EQ(b->toolTip(), "Show the grid");
    EXPECT_EQ(b->statusTip(), "Shows or hides the grid");
    EXPECT_EQ(b->ImageIndex(), 4);
    action->setChecked(true); // the checked state is the truth
    EXPECT_TRUE(b->Down());
    ClickAt(b);
    EXPECT_EQ(triggers, 1);
    EXPECT_FALSE(action->isChecked());
    EXPECT_FALSE(b->Down());
    ClickAt(b);
    EXPECT_TRUE(action->isChecked());
    EXPECT_TRUE(b->Down());
    action->setEnabled(false);
    EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(b->State(), TButtonState::bsDisabled);
    action->setEnabled(true);

    // An exclusive action group releases the other button through its action.
    TToolbarButton* c = f.Add(3, 30);
    auto* other = new QAction("Other", &f.Form);
    other->setCheckable(true);
    QActionGroup group(&f.Form);
    group.addAction(action);
    group.addAction(other);
    c->SetAction(other);
    ClickAt(c);
    EXPECT_TRUE(c->Down());
    EXPECT_FALSE(b->Down());

    // AssignTo copies Down into the action.
    QAction loose("Loose");
    b->AssignTo(&loose);
    EXPECT_FALSE(loose.isChecked());
    c->AssignTo(&loose);
    EXPECT_TRUE(loose.isChecked());

    delete action; // a deleted action unlinks
    EXPECT_EQ(b->Action(), nullptr);
    ClickAt(b);
}

TEST(ToolbarButton, ActionPictureFromTheImageList)
{
    TButtonForm f;
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(QColor(200, 0, 0));
    red.setPixel(0, 15, qRgb(0, 128, 128)); // the transparent colour
    red.setPixel(1, 15, qRgb(0, 128, 128));
    QImage blue(16, 16, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    const QList<QPixmap> images = {QPixmap::fromImage(blue), QPixmap::fromImage(red)};
    QAction action("Red");
    SetActionImage(&action, images, 1);
    const QImage icon = action.icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(icon.pixel(5, 5), qRgb(200, 0, 0));
    EXPECT_EQ(qAlpha(icon.pixel(1, 15)), 0);
    // A linked button draws the same picture of the list.
    TToolbarButton* b = f.Add();
    b->SetImages(&images);
    b->SetAction(&action);
    EXPECT_EQ(b->ImageIndex(), 1);
    const QImage shot = b->grab().toImage();
    EXPECT_EQ(shot.pixel(8, 8), qRgb(200, 0, 0)); // the glyph sits at 1 + (21 - 16 + 1) / 2, 1 + (20 - 16 + 1) / 2
    SetActionImage(&action, images, 7);
    EXPECT_TRUE(action.icon().isNull());
    EXPECT_EQ(b->ImageIndex(), -1);
}

TEST(ToolbarButton, ClickThatDeletesItsToolbarTouchesNothingFreed)
{
    TButtonForm f;
    auto* holder = new QWidget(&f.Form);
    auto* b = new TToolbarButton(holder);
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    b->OnClick = [&](TToolbarButton*) { delete holder; };
    QPointer<TToolbarButton> watch(b);
    ClickAt(b);
    EXPECT_TRUE(watch.isNull());

    // The same from a menu's OnDropdown.
    auto* holder2 = new QWidget(&f.Form);
    auto* d = new TToolbarButton(holder2);
    d->SetDropdownAlways(true);
    d->OnDropdown = [&](TToolbarButton*, bool&, bool&) { delete holder2; };
    QPointer<TToolbarButton> watch2(d);
    Press(d);
    EXPECT_TRUE(watch2.isNull());
}

TEST(GlyphCache, SlotsAreReusedAndFreed)
{
    EnsureGuiTestApp();
    ASSERT_FALSE(TGlyphCache::Exists());
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage strip(32, 16, QImage::Format_RGB32); // two cells
    strip.fill(Qt::blue);
    auto g1 = std::make_unique<TButtonGlyph>();
    auto g2 = std::make_unique<TButtonGlyph>();
    g1->SetGlyph(red);
    g2->SetGlyph(strip);
    EXPECT_EQ(g2->NumGlyphs(), 2);
    g1->Image(TButtonState::bsUp);
    g2->Image(TButtonState::bsUp);
    g2->Image(TButtonState::bsDisabled);
    EXPECT_EQ(g1->Slot(TButtonState::bsUp), 0);
    EXPECT_EQ(g2->Slot(TButtonState::bsUp), 1);
    EXPECT_EQ(g2->Slot(TButtonState::bsDisabled), 2);
    EXPECT_EQ(TGlyphCache::Instance().ListCount(), 1);
    g1.reset();
    auto g3 = std::make_unique<TButtonGlyph>();
    g3->SetGlyph(red);
    g3->Image(TButtonState::bsDown);
    EXPECT_EQ(g3->Slot(TButtonState::bsDown), 0); // the first free slot
    // A different size gets its own list, freed with its image.
    QImage small(8, 8, QImage::Format_RGB32);
    g3->SetGlyph(small);
    g3->Image(TButtonState::bsUp);
    EXPECT_EQ(TGlyphCache::Instance().ListCount(), 2);
    g3->SetGlyph(QImage());
    EXPECT_EQ(TGlyphCache::Instance().ListCount(), 1);
    g2.reset();
    EXPECT_EQ(TGlyphCache::Instance().ListCount(), 0);
    EXPECT_TRUE(TGlyphCache::Exists()); // a glyph is still alive
    g3.reset();
    EXPECT_FALSE(TGlyphCache::Exists());
}

// A picture of the list drawn for a pixel ratio of 2 lays out at half its pixels and keeps all of
// them in every state.
TEST(GlyphCache, PicturesOfADoubleDensityList)
{
    EnsureGuiTestApp();
    QPixmap fine(32, 32);
    fine.fill(Qt::black);
    fine.setDevicePixelRatio(2.0);
    const QList<QPixmap> images = {fine};
    TButtonGlyph g;
    g.SetImages(&images);
    g.SetImageIndex(0);
    EXPECT_EQ(g.GlyphSize(), QSize(16, 16));
    for (TButtonState state : {TButtonState::bsUp, TButtonState::bsDisabled, TButtonState::bsDown})
        EXPECT_EQ(g.Image(state).size(), QSize(32, 32)) << int(state);
}

TEST(GlyphCache, ListSizeAndReplaceErrors)
{
    TGlyphList list(16, 16);
    try {
        list.Add(QImage(8, 16, QImage::Format_RGB32));
        FAIL();
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Invalid image size");
    }
    EXPECT_THROW(list.Replace(0, QImage(16, 16, QImage::Format_RGB32)), EInvalidOperation);
    const int i = list.Add(QImage(16, 16, QImage::Format_RGB32));
    list.Delete(i);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 1);
}

// A 4 × 2 picture: magenta at the bottom-left (the transparent colour), white, grey and black.
QImage Sample()
{
    QImage img(4, 2, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 255, 255));
    img.setPixel(1, 0, qRgb(128, 128, 128));
    img.setPixel(2, 0, qRgb(0, 0, 0));
    img.setPixel(3, 0, qRgb(255, 0, 255));
    img.setPixel(0, 1, qRgb(255, 0, 255));
    img.setPixel(1, 1, qRgb(255, 0, 255));
    img.setPixel(2, 1, qRgb(255, 0, 255));
    img.setPixel(3, 1, qRgb(10, 20, 30));
    return img;
}

TEST(GlyphCache, TransparencyAndDisabledColours)
{
    EnsureGuiTestApp();
    const QImage t = TransparentGlyph(Sample(), QImage()).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(t.pixel(3, 0)), 0);
    EXPECT_EQ(qAlpha(t.pixel(0, 1)), 0);
    EXPECT_EQ(t.pixel(2, 0), qRgba(0, 0, 0, 255));
    // A mask's white pixels are the transparent ones.
    QImage mask(4, 2, QImage::Format_RGB32);
    mask.fill(Qt::black);
    mask.setPixel(2, 0, qRgb(255, 255, 255));
    const QImage m = TransparentGlyph(Sample(), mask).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(m.pixel(2, 0)), 0);
    EXPECT_EQ(m.pixel(0, 1), qRgb(255, 0, 255));
    // An alpha channel is kept as the mask.
    QImage alpha(2, 1, QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(0, 0, 0, 0));
    alpha.setPixel(1, 0, qRgba(0, 0, 0, 255));
    const QImage a = TransparentGlyph(alpha, QImage()).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(a.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(a.pixel(1, 0)), 255);

    const TDisabledColors colors{QColor(192, 192, 192), QColor(250, 250, 250), QColor(90, 90, 90)};
    const QRgb hi = qRgb(250, 250, 250), sh = qRgb(90, 90, 90), none = 0;
    const QImage neu = DisabledGlyph(TransparentGlyph(Sample(), QImage()), colors, false).convertToFormat(QImage::Format_ARGB32);
    const QRgb wantNew[2][4] = {{hi, sh, sh, none}, {none, none, none, sh}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(neu.pixel(x, y), wantNew[y][x]) << x << "," << y;
    // Old style: the non-white pixels in shadow, a highlight copy one pixel right and down below.
    const QImage old = DisabledGlyph(TransparentGlyph(Sample(), QImage()), colors, true).convertToFormat(QImage::Format_ARGB32);
    const QRgb wantOld[2][4] = {{none, sh, sh, none}, {none, none, hi, sh}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(old.pixel(x, y), wantOld[y][x]) << x << "," << y;
    // Drawn for a pixel ratio of 2 (each pixel doubled), the copy lies two pixels off.
    QImage fine = Sample().scaled(8, 4);
    fine.setDevicePixelRatio(2.0);
    const QImage old2 =
        DisabledGlyph(TransparentGlyph(fine, QImage()), colors, true).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(old2.devicePixelRatio(), 2.0);
    EXPECT_EQ(old2.pixel(5, 3), hi); // from the grey at (3, 1)
    EXPECT_EQ(old2.pixel(3, 2), none);
}

} // namespace
