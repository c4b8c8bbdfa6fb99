#include "controls/ToolbarButton.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QTimer>
#include <algorithm>

#include "controls/DockHooks.h"
#include "controls/DockPainter.h"
#include "controls/Toolbar.h"
#include "controls/ToolWindow.h"

namespace {

class TQtRepeatTimer final : public TRepeatTimer
{
public:
    TQtRepeatTimer()
    {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            if (OnTimer) OnTimer();
        });
    }
    void Start(int intervalMs) override { FTimer.start(intervalMs); }
    void Stop() override { FTimer.stop(); }
    bool Active() const override { return FTimer.isActive(); }

private:
    QTimer FTimer;
};

// Shared by every button: the list of buttons, the one under the mouse, the hot-tracking timer.
QList<TToolbarButton*> GButtons;
QPointer<TToolbarButton> GUnderMouse;
QTimer* GHotTimer = nullptr;
TToolbarButton::TWidgetUnderCursorFn GWidgetUnderCursor = nullptr;
constexpr int KHotCheckMs = 125;

QWidget* WidgetUnderCursor()
{
    if (GWidgetUnderCursor) return GWidgetUnderCursor();
    return QApplication::widgetAt(QCursor::pos());
}

bool IsPopupOrModal(QObject* window)
{
    if (!window || !window->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(window);
    return w->windowType() == Qt::Popup || w->isModal();
}

void ButtonHook(THookEvent event, QObject* window, intptr_t param)
{
    switch (event) {
    case THookEvent::hpActivateApp:
        if (param == 0) {
            for (TToolbarButton* b : QList<TToolbarButton*>(GButtons)) b->CancelMode();
            // The application lost the focus with the mouse over a button: its hot border goes with
            // it, unless the button keeps one while inactive.
            if (GUnderMouse && !GUnderMouse->ShowBorderWhenInactive()) GUnderMouse->MouseLeave();
        }
        break;
    case THookEvent::hpPosChanged:
        if (param == QEvent::Show && IsPopupOrModal(window))
            for (TToolbarButton* b : QList<TToolbarButton*>(GButtons)) b->CancelMode();
        break;
    case THookEvent::hpMouseMove:
        // The mouse went on to another widget without the button seeing it leave.
        if (GUnderMouse && window != GUnderMouse.data()) GUnderMouse->MouseLeave();
        break;
    default: break;
    }
}

bool TwoButtonsShareGroup(const TToolbarButton* a, const TToolbarButton* b)
{
    return a != b && a->parentWidget() == b->parentWidget() && a->GroupIndex() == b->GroupIndex();
}

} // namespace

TToolbarButton::TToolbarButton(QWidget* parent) : QWidget(parent)
{
    resize(23, 22);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
    FRepeatTimer = std::make_unique<TQtRepeatTimer>();
    FRepeatTimer->OnTimer = [this] { RepeatTick(); };
    if (GButtons.isEmpty())
        InstallHookProc(ButtonHook,
                        HookEvents({THookEvent::hpActivateApp, THookEvent::hpPosChanged, THookEvent::hpMouseMove}),
                        false);
    GButtons.push_back(this);
    UpdateOpaque();
}

TToolbarButton::~TToolbarButton()
{
    GButtons.removeAll(this);
    if (GUnderMouse == this) GUnderMouse = nullptr;
    if (GButtons.isEmpty()) {
        UninstallHookProc(ButtonHook);
        delete GHotTimer;
        GHotTimer = nullptr;
    }
    if (FKeyWindow) FKeyWindow->removeEventFilter(this);
}

// ---- Simple setters ----

void TToolbarButton::SetAlignment(Qt::Alignment value) { FAlignment = value, Invalidate(); }
void TToolbarButton::SetCaption(const QString& value)
{
    if (value == FCaption) return;
    FCaption = value;
    UpdateShortcut();
    Invalidate();
}
void TToolbarButton::SetColor(const QColor& value) { FColor = value, Invalidate(); }
void TToolbarButton::SetDisplayMode(TButtonDisplayMode value)
{
    FDisplayMode = value;
    UpdateShortcut();
    Invalidate();
}
void TToolbarButton::SetDropdownAlways(bool value) { FDropdownAlways = value, Invalidate(); }
void TToolbarButton::SetDropdownArrow(bool value) { FDropdownArrow = value, Invalidate(); }
void TToolbarButton::SetDropdownMenu(QMenu* menu) { FDropdownMenu = menu, Invalidate(); }
void TToolbarButton::SetFlat(bool value) { FFlat = value, UpdateOpaque(), Invalidate(); }
void TToolbarButton::SetOpaque(bool value) { FOpaque = value, UpdateOpaque(), Invalidate(); }
void TToolbarButton::SetGlyph(const QImage& value) { FGlyph.SetGlyph(value), Invalidate(); }
void TToolbarButton::SetGlyphMask(const QImage& value) { FGlyph.SetGlyphMask(value), Invalidate(); }
void TToolbarButton::SetImageIndex(int value) { FGlyph.SetImageIndex(value), Invalidate(); }
void TToolbarButton::SetImages(const QList<QPixmap>* images) { FGlyph.SetImages(images), Invalidate(); }
void TToolbarButton::SetLayout(TButtonLayout value) { FLayout = value, Invalidate(); }
void TToolbarButton::SetMargin(int value) { FMargin = value, Invalidate(); }
void TToolbarButton::SetNoBorder(bool value) { FNoBorder = value, Invalidate(); }
void TToolbarButton::SetNumGlyphs(int value) { FGlyph.SetNumGlyphs(value), Invalidate(); }
void TToolbarButton::SetOldDisabledStyle(bool value) { FOldDisabledStyle = value, FGlyph.SetOldDisabledStyle(value), Invalidate(); }
void TToolbarButton::SetShowBorderWhenInactive(bool value) { FShowBorderWhenInactive = value; }
void TToolbarButton::SetSpacing(int value) { FSpacing = value, Invalidate(); }
void TToolbarButton::SetWordWrap(bool value) { FWordWrap = value, Invalidate(); }
void TToolbarButton::SetHighlightWhenDown(bool value)
{
    if (value == FHighlightWhenDown) return;
    FHighlightWhenDown = value;
    if (FDown) Invalidate();
}

void TToolbarButton::UpdateOpaque()
{
    setAttribute(Qt::WA_OpaquePaintEvent, FOpaque || !FFlat);
}

void TToolbarButton::WidthChanged(int delta)
{
    resize(std::max(1, width() + delta), height());
    if (auto* bar = qobject_cast<TCustomToolbar*>(parentWidget())) bar->ArrangeControls();
}

void TToolbarButton::SetDropdownCombo(bool value)
{
    if (value == FDropdownCombo) return;
    FDropdownCombo = value;
    WidthChanged(value ? FDropdownArrowWidth + 2 : -(FDropdownArrowWidth + 2));
    Invalidate();
}

void TToolbarButton::SetDropdownArrowWidth(int value)
{
    value = ClampArrowWidth(value);
    if (value == FDropdownArrowWidth) return;
    const int delta = value - FDropdownArrowWidth;
    FDropdownArrowWidth = value;
    if (FDropdownCombo) WidthChanged(delta);
    Invalidate();
}

// ---- Down and groups ----

void TToolbarButton::SetGroupIndex(int value)
{
    if (value == FGroupIndex) return;
    FGroupIndex = value;
    if (value == 0 && FDown) ApplyDown(false);
}

void TToolbarButton::SetAllowAllUp(bool value)
{
    FAllowAllUp = value;
    if (FGroupIndex == 0 || !parentWidget()) return;
    for (TToolbarButton* b : GButtons)
        if (TwoButtonsShareGroup(this, b)) b->FAllowAllUp = value;
}

void TToolbarButton::SetDown(bool value)
{
    if (FGroupIndex == 0) value = false;
    if (value == FDown) return;
    if (FDown && !FAllowAllUp) return;
    ApplyDown(value);
    if (FAction && FAction->isCheckable() && FAction->isChecked() != value) FAction->setChecked(value);
}

void TToolbarButton::ApplyDown(bool value)
{
    FDown = value;
    FState = !isEnabled() ? TButtonState::bsDisabled : value ? TButtonState::bsExclusive : TButtonState::bsUp;
    Invalidate();
    if (!value || FGroupIndex == 0) return;
    for (TToolbarButton* b : QList<TToolbarButton*>(GButtons)) {
        if (!TwoButtonsShareGroup(this, b)) continue;
        if (b->FDown) {
            b->FDown = false;
            b->FState = b->isEnabled() ? TButtonState::bsUp : TButtonState::bsDisabled;
            b->Invalidate();
        }
        b->FAllowAllUp = FAllowAllUp;
    }
}

// ---- Mouse ----

bool TToolbarButton::OnArrow(int x) const
{
    return UsesDropdown() && (!FDropdownCombo || x >= width() - (FDropdownArrowWidth + 2));
}

namespace {
// Runs a mouse notification; false when it freed the button.
bool Notify(TToolbarButton* b, const TToolbarButton::TMouseNotify& fn, QMouseEvent* e)
{
    if (!fn) return true;
    QPointer<TToolbarButton> self(b);
    const QPoint p = e->position().toPoint();
    fn(b, e->button(), e->modifiers(), p.x(), p.y());
    return !self.isNull();
}
} // namespace

void TToolbarButton::mousePressEvent(QMouseEvent* e)
{
    if (!Notify(this, OnMouseDown, e)) return;
    if (e->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(e);
        return;
    }
    const int x = int(e->position().x());
    FPressedOnArrow = OnArrow(x);
    if (!FDown) {
        FState = TButtonState::bsDown;
        Invalidate();
    }
    FCursorInside = true;
    if (FPressedOnArrow) {
        Click();
        return;
    }
    FMouseIsDown = true;
    if (FRepeating) {
        QPointer<TToolbarButton> self(this);
        Click();
        if (!self) return;
        if (FMouseIsDown) FRepeatTimer->Start(FRepeatDelay);
    }
}

void TToolbarButton::RepeatTick()
{
    FRepeatTimer->Start(FRepeatInterval);
    if (!FMouseIsDown) {
        FRepeatTimer->Stop();
        return;
    }
    if (!FCursorInside) {
        // Resumes when the cursor comes back.
        FRepeatTimer->Stop();
        return;
    }
    Click();
}

void TToolbarButton::mouseMoveEvent(QMouseEvent* e)
{
    if (!Notify(this, OnMouseMove, e)) return;
    if (!GUnderMouse || GUnderMouse != this) MouseEnter();
    if (!FMouseIsDown) return;
    const QPoint p = e->position().toPoint();
    const bool inside = rect().contains(p);
    const bool wasInside = FCursorInside;
    FCursorInside = inside;
    TButtonState state;
    if (FDown) state = TButtonState::bsExclusive;
    else state = inside ? TButtonState::bsDown : TButtonState::bsUp;
    if (inside && !wasInside && FRepeating && !FRepeatTimer->Active()) FRepeatTimer->Start(FRepeatInterval);
    if (state != FState) {
        FState = state;
        Invalidate();
    }
}

void TToolbarButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (!Notify(this, OnMouseUp, e)) return;
    if (e->button() != Qt::LeftButton || !FMouseIsDown) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    FMouseIsDown = false;
    FRepeatTimer->Stop();
    const QPoint p = e->position().toPoint();
    bool inside = rect().contains(p);
    if (inside && FDropdownCombo && UsesDropdown() && OnArrow(p.x())) inside = false;
    if (inside && !FRepeating) {
        Click();
        return;
    }
    if (FState == TButtonState::bsDown) {
        FState = FDown ? TButtonState::bsExclusive : TButtonState::bsUp;
        if (FMouseInControl && FState == TButtonState::bsUp) FState = TButtonState::bsMouseIn;
        Invalidate();
    }
}

void TToolbarButton::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && FDown && OnDblClick) {
        OnDblClick(this);
        return;
    }
    // Otherwise a double-click is a second press.
    mousePressEvent(e);
}

void TToolbarButton::CancelMode()
{
    FRepeatTimer->Stop();
    if (!FMouseIsDown) return;
    FMouseIsDown = false;
    if (FState == TButtonState::bsDown) {
        FState = FDown ? TButtonState::bsExclusive : TButtonState::bsUp;
        Invalidate();
    }
}

void TToolbarButton::SetRepeatTimer(std::unique_ptr<TRepeatTimer> timer)
{
    FRepeatTimer = std::move(timer);
    FRepeatTimer->OnTimer = [this] { RepeatTick(); };
}

// ---- Hot tracking ----

void TToolbarButton::enterEvent(QEnterEvent* e)
{
    QWidget::enterEvent(e);
    MouseEnter();
}

void TToolbarButton::leaveEvent(QEvent* e)
{
    QWidget::leaveEvent(e);
    MouseLeave();
}

void TToolbarButton::MouseEnter()
{
    if (!isEnabled() || FMouseInControl) return;
    if (!FShowBorderWhenInactive && !ApplicationIsActive()) return;
    if (GUnderMouse && GUnderMouse != this) GUnderMouse->MouseLeave();
    GUnderMouse = this;
    if (!GHotTimer) {
        GHotTimer = new QTimer;
        GHotTimer->setInterval(KHotCheckMs);
        QObject::connect(GHotTimer, &QTimer::timeout, [] { CheckHotButton(); });
    }
    GHotTimer->start();
    FMouseInControl = true;
    if (FState == TButtonState::bsUp) FState = TButtonState::bsMouseIn;
    if (FFlat || NumGlyphs() == 5) Invalidate();
    if (OnMouseEnter) OnMouseEnter(this);
}

void TToolbarButton::MouseLeave()
{
    if (GUnderMouse == this) {
        GUnderMouse = nullptr;
        if (GHotTimer) GHotTimer->stop();
    }
    if (!FMouseInControl) return;
    FMouseInControl = false;
    if (FState == TButtonState::bsMouseIn || (FState == TButtonState::bsDown && !FInClick && !FMouseIsDown)) {
        FState = FDown && FGroupIndex != 0 ? TButtonState::bsExclusive : TButtonState::bsUp;
    }
    Invalidate();
    if (OnMouseExit) OnMouseExit(this);
}

TToolbarButton* TToolbarButton::ButtonUnderMouse() { return GUnderMouse; }

void TToolbarButton::SetWidgetUnderCursorFn(TWidgetUnderCursorFn fn) { GWidgetUnderCursor = fn; }

void TToolbarButton::CheckHotButton()
{
    if (!GUnderMouse) {
        if (GHotTimer) GHotTimer->stop();
        return;
    }
    if (WidgetUnderCursor() != GUnderMouse.data()) GUnderMouse->MouseLeave();
}

// ---- Click ----

void TToolbarButton::Click()
{
    QPointer<TToolbarButton> self(this);
    FInClick = true;
    const bool linkedCheck = FAction && FAction->isCheckable();
    if (FGroupIndex != 0 && !FPressedOnArrow && !linkedCheck) SetDown(!FDown);
    bool showMenu = UsesDropdown() && (!FDropdownCombo || FPressedOnArrow);
    if (showMenu) {
        if (FState != TButtonState::bsExclusive) FState = TButtonState::bsDown;
        repaint();
        if (!FDropdownCombo) {
            FireClick();
            if (!self) return;
        }
        showMenu = FDropdownMenu != nullptr;
        bool removeClicks = true;
        if (OnDropdown) {
            OnDropdown(this, showMenu, removeClicks);
            if (!self) return;
        }
        if (showMenu && FDropdownMenu) {
            PopupMenu(removeClicks);
            if (!self) return;
        }
    } else {
        if (auto* dialog = qobject_cast<QDialog*>(window()); dialog && FModalResult != 0) dialog->done(FModalResult);
        FireClick();
        if (!self) return;
    }
    FInClick = false;
    FPressedOnArrow = false;
    if (FState != TButtonState::bsExclusive || !FDown)
        FState = !isEnabled() ? TButtonState::bsDisabled : FDown ? TButtonState::bsExclusive : TButtonState::bsUp;
    Invalidate();
}

void TToolbarButton::FireClick()
{
    QPointer<TToolbarButton> self(this);
    if (OnClick) OnClick(this);
    if (self && FAction) FAction->trigger();
}

QPoint TToolbarButton::MenuPlace(const QSize& menuSize, bool* rightAligned) const
{
    TDockPosition dock = TDockPosition::dpTop;
    const bool docked = DockPositionOf(this, dock);
    if (rightAligned) *rightAligned = false;
    if (docked && dock == TDockPosition::dpLeft) return mapToGlobal(QPoint(width(), 0));
    if (docked && dock == TDockPosition::dpRight) {
        if (rightAligned) *rightAligned = true;
        return mapToGlobal(QPoint(0, 0)) - QPoint(menuSize.width(), 0);
    }
    return mapToGlobal(QPoint(0, height()));
}

void TToolbarButton::PopupMenu(bool removeClicks)
{
    QPointer<QMenu> menu = FDropdownMenu;
    QPointer<TToolbarButton> self(this);
    menu->setAttribute(Qt::WA_NoMouseReplay, false);
    if (removeClicks) menu->installEventFilter(this);
    FMenuShowing = true;
    menu->exec(MenuPlace(menu->sizeHint()));
    if (menu) {
        menu->removeEventFilter(this);
    }
    if (self) FMenuShowing = false;
}

bool TToolbarButton::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == FDropdownMenu.data() && e->type() == QEvent::MouseButtonPress) {
        // The press that closes the menu on this button must not reach it again and reopen the menu;
        // a press anywhere else goes on as usual.
        auto* me = static_cast<QMouseEvent*>(e);
        const QRect mine(mapToGlobal(QPoint(0, 0)), size());
        FDropdownMenu->setAttribute(Qt::WA_NoMouseReplay, mine.contains(me->globalPosition().toPoint()));
    } else if (watched == FKeyWindow.data() && e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        const bool plain = (ke->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
        if (plain && isEnabled() && isVisible() &&
            ((enter && FDefault) || (ke->key() == Qt::Key_Escape && FCancel))) {
            Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

// ---- Keys ----

void TToolbarButton::SetDefault(bool value)
{
    FDefault = value;
    UpdateDialogKeys();
}

void TToolbarButton::SetCancel(bool value)
{
    FCancel = value;
    UpdateDialogKeys();
}

void TToolbarButton::UpdateDialogKeys()
{
    QWidget* w = (FDefault || FCancel) ? window() : nullptr;
    if (w == FKeyWindow.data()) return;
    if (FKeyWindow) FKeyWindow->removeEventFilter(this);
    FKeyWindow = w;
    if (w && w != this) w->installEventFilter(this);
}

void TToolbarButton::UpdateShortcut()
{
    if (FShortcutId) releaseShortcut(FShortcutId);
    FShortcutId = 0;
    if (FDisplayMode == TButtonDisplayMode::dmGlyphOnly) return;
    const QKeySequence key = QKeySequence::mnemonic(FCaption);
    if (!key.isEmpty()) FShortcutId = grabShortcut(key);
}

bool TToolbarButton::event(QEvent* e)
{
    if (e->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(e)->shortcutId() == FShortcutId &&
        FShortcutId != 0) {
        if (isEnabled()) Click();
        return true;
    }
    if (e->type() == QEvent::ParentChange) UpdateDialogKeys();
    if (e->type() == QEvent::ToolTip && !FShowHint) {
        e->ignore();
        return true;
    }
    return QWidget::event(e);
}

void TToolbarButton::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) {
        FState = !isEnabled() ? TButtonState::bsDisabled : FDown ? TButtonState::bsExclusive : TButtonState::bsUp;
        if (!isEnabled()) MouseLeave();
        Invalidate();
    } else if (e->type() == QEvent::PaletteChange) {
        Invalidate();
    }
}

// ---- Action link ----

void SetActionImage(QAction* action, const QList<QPixmap>& images, int index)
{
    if (index < 0 || index >= images.size()) {
        action->setProperty("ImageIndex", -1);
        action->setIcon(QIcon());
        return;
    }
    action->setProperty("ImageIndex", index);
    action->setIcon(QIcon(QPixmap::fromImage(TransparentGlyph(images[index].toImage(), QImage()))));
}

void TToolbarButton::SetAction(QAction* action)
{
    if (action == FAction.data()) return;
    if (FAction) FAction->disconnect(this);
    FAction = action;
    if (!action) return;
    connect(action, &QAction::changed, this, [this] { UpdateFromAction(); });
    connect(action, &QObject::destroyed, this, [this] { FAction = nullptr; });
    UpdateFromAction();
}

void TToolbarButton::AssignTo(QAction* action) const
{
    if (!action) return;
    action->setCheckable(action->isCheckable() || FDown);
    action->setChecked(FDown);
}

void TToolbarButton::SetDownFromAction(bool value)
{
    if (FGroupIndex == 0) value = false;
    if (value != FDown) ApplyDown(value);
}

void TToolbarButton::UpdateFromAction()
{
    QAction* a = FAction;
    if (!a) return;
    setEnabled(a->isEnabled());
    setToolTip(a->toolTip());
    setStatusTip(a->statusTip());
    if (a->isCheckable()) SetDownFromAction(a->isChecked());
    bool ok = false;
    const int index = a->property("ImageIndex").toInt(&ok);
    if (ok) SetImageIndex(index);
    const QVariant help = a->property("HelpContext");
    if (help.isValid()) FHelpContext = help.toInt();
}

// ---- Painting ----

const QImage& TToolbarButton::HighlightPattern(const QColor& face, const QColor& highlight)
{
    static QImage pattern;
    static QColor madeFace, madeHighlight;
    if (pattern.isNull() || face != madeFace || highlight != madeHighlight) {
        QImage image(8, 8, QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) image.setPixel(x, y, ((x & 1) == (y & 1) ? highlight : face).rgb());
        pattern = image;
        madeFace = face;
        madeHighlight = highlight;
    }
    return pattern;
}

void TToolbarButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintContent(p);
}

void TToolbarButton::PaintContent(QPainter& p)
{
    const QPalette& pal = palette();
    const QColor face = FColor.isValid() ? FColor : pal.color(QPalette::Button);
    if (FOpaque || !FFlat) p.fillRect(rect(), face);
    const bool combo = FDropdownCombo && UsesDropdown();
    const bool pushed = FState == TButtonState::bsDown || FState == TButtonState::bsExclusive;
    const bool drawPressed =
        FState == TButtonState::bsExclusive || (FState == TButtonState::bsDown && !(combo && FPressedOnArrow));
    const bool border = !FNoBorder && (!FFlat || pushed || (FMouseInControl && FState != TButtonState::bsDisabled));

    QRect main = rect(), arrowPart;
    if (combo) {
        arrowPart = QRect(width() - (FDropdownArrowWidth + 2), 0, FDropdownArrowWidth + 2, height());
        main.setRight(arrowPart.left() - 1);
    }
    const auto edge = [&](const QRect& r, bool pressed) {
        if (!FFlat) DrawEdge(p, r, !pressed, pal);
        else DrawEdgePart(p, r, pressed ? TEdgePart::SunkenOuter : TEdgePart::RaisedInner, pal);
    };
    if (border) {
        edge(main, drawPressed);
        if (combo) edge(arrowPart, pushed && FPressedOnArrow);
    }
    QRect content = main;
    if (!FNoBorder) content.adjust(FFlat ? 1 : 2, FFlat ? 1 : 2, FFlat ? -1 : -2, FFlat ? -1 : -2);
    const QPoint offset = drawPressed ? QPoint(1, 1) : QPoint(0, 0);
    if (FState == TButtonState::bsExclusive && FHighlightWhenDown && !(combo && FPressedOnArrow) &&
        !(FFlat && FMouseInControl))
        p.fillRect(content, QBrush(HighlightPattern(pal.color(QPalette::Button), pal.color(QPalette::Light))));

    // Glyph, caption and arrow.
    FGlyph.SetDisabledColors({pal.color(QPalette::Button), pal.color(QPalette::Light), pal.color(QPalette::Dark)});
    const bool showGlyph = FDisplayMode != TButtonDisplayMode::dmTextOnly;
    const bool showText = FDisplayMode != TButtonDisplayMode::dmGlyphOnly && !FCaption.isEmpty();
    TGlyphLayoutInput in;
    in.RoomWidth = content.width();
    in.RoomHeight = content.height();
    const QSize gs = showGlyph ? FGlyph.GlyphSize() : QSize();
    in.Glyph = {gs.width(), gs.height()};
    const bool arrow = UsesDropdown() && !combo && FDropdownArrow;
    in.Arrow = arrow ? TPoint{FDropdownArrowWidth, 3} : TPoint{};
    in.Layout = FLayout;
    in.Margin = FMargin;
    in.Spacing = FSpacing;
    in.WordWrap = FWordWrap;
    const int textFlags = Qt::TextShowMnemonic | (FWordWrap ? Qt::TextWordWrap : 0) |
                          int(FAlignment & Qt::AlignHorizontal_Mask);
    if (showText) {
        const QRect measured = p.fontMetrics().boundingRect(QRect(0, 0, CaptionRoomWidth(in), 10000), textFlags, FCaption);
        in.Caption = {measured.width(), measured.height()};
    }
    const TGlyphLayoutResult r = LayOutGlyph(in);
    const QPoint origin = content.topLeft() + offset;
    if (showGlyph && !gs.isEmpty())
        p.drawImage(origin + QPoint(r.GlyphPos.X, r.GlyphPos.Y), FGlyph.Image(FState));
    const bool disabled = FState == TButtonState::bsDisabled;
    if (showText) {
        const QRect tr(origin.x() + r.TextBounds.Left, origin.y() + r.TextBounds.Top, r.TextBounds.Width(),
                       r.TextBounds.Height());
        if (disabled) {
            p.setPen(pal.color(QPalette::Light));
            p.drawText(tr.translated(1, 1), textFlags, FCaption);
            p.setPen(pal.color(QPalette::Dark));
        } else {
            p.setPen(pal.color(QPalette::ButtonText));
        }
        p.drawText(tr, textFlags, FCaption);
    }
    const auto triangle = [&](int cx, int y) {
        const auto one = [&](int dx, const QColor& c) {
            for (int i = 0; i < 3; ++i) p.fillRect(QRect(cx - 2 + i + dx, y + i + dx, 5 - 2 * i, 1), c);
        };
        if (disabled) {
            one(1, pal.color(QPalette::Light));
            one(0, pal.color(QPalette::Dark));
        } else {
            one(0, pal.color(QPalette::ButtonText));
        }
    };
    if (arrow) triangle(origin.x() + r.ArrowPos.X + FDropdownArrowWidth / 2, origin.y() + r.ArrowPos.Y);
    if (combo) {
        const QPoint o = (pushed && FPressedOnArrow) ? QPoint(1, 1) : QPoint(0, 0);
        triangle(arrowPart.center().x() + o.x(), arrowPart.center().y() - 1 + o.y());
    }
}
