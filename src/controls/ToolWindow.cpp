#include "controls/ToolWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "controls/DockDragTarget.h"
#include "controls/DockHooks.h"
#include "controls/DockPainter.h"
#include "controls/GeometryConvert.h"
#include "controls/ScreenPlace.h"
#include "controls/ToolWindowMouse.h"
#include "platform/Exceptions.h"

namespace {

int GToolWindowSerial = 0;
int GFrameCounter = 0;
QList<TCustomToolWindow*> GFloatingToolWindows;

// The tool windows' share of the window events: the floating rules run again when the application
// is activated or deactivated and when a form shows, hides or changes state. A floating frame is a
// child of its form, so it goes away with the form: a destroyed form leaves no window to re-own.
void ToolWindowHook(THookEvent event, QObject* window, intptr_t param)
{
    if (event == THookEvent::hpActivateApp && param == 0) TToolWindowMouse::CancelAll();
    const QList<TCustomToolWindow*> floating = GFloatingToolWindows;
    for (TCustomToolWindow* w : floating) {
        if (!GFloatingToolWindows.contains(w)) continue;
        QWidget* form = w->ParentForm();
        switch (event) {
        case THookEvent::hpActivateApp: w->UpdateVisibility(); break;
        case THookEvent::hpPosChanged:
            if (w->FloatingMode() == TToolWindowFloatingMode::fmOnTopOfParentForm && form &&
                (form == window || (window->isWidgetType() && static_cast<QWidget*>(window)->isAncestorOf(form))))
                w->UpdateVisibility();
            break;
        case THookEvent::hpWindowDestroyed:
        case THookEvent::hpMouseMove: break;
        }
    }
}

} // namespace

TDockableTo DockableBit(TDockPosition position)
{
    switch (position) {
    case TDockPosition::dpTop: return dtTop;
    case TDockPosition::dpBottom: return dtBottom;
    case TDockPosition::dpLeft: return dtLeft;
    case TDockPosition::dpRight: return dtRight;
    }
    return 0;
}

bool DockPositionOf(const QWidget* control, TDockPosition& position)
{
    for (const QWidget* w = control; w; w = w->parentWidget())
        if (auto* window = qobject_cast<const TCustomToolWindow*>(w)) {
            if (!window->DockedTo()) return false;
            position = window->DockedTo()->Position();
            return true;
        }
    return false;
}

// ---- TCustomToolWindow ----

TCustomToolWindow::TCustomToolWindow(QWidget* parent)
    : QWidget(parent ? parent->window() : nullptr), FSerial(++GToolWindowSerial),
      FMouse(std::make_unique<TToolWindowMouse>(this))
{
    FParentForm = parentWidget();
    FColor = palette().color(QPalette::Button);
    setFocusPolicy(Qt::NoFocus);
    QWidget::setVisible(false); // shown once placed with SetParent / SetDockedTo
    InstallHookProc(ToolWindowHook, HookEvents({THookEvent::hpActivateApp, THookEvent::hpPosChanged,
                                                THookEvent::hpWindowDestroyed}),
                    false);
}

TCustomToolWindow::~TCustomToolWindow()
{
    FDestroying = true;
    FMouse->Cancel();
    UninstallHookProc(ToolWindowHook);
    GFloatingToolWindows.removeAll(this);
    LeaveDocks();
    if (FFloatParent) FFloatParent->deleteLater();
}

void TCustomToolWindow::LeaveDocks()
{
    for (TDock* d : {FDockedTo.data(), FLastDock.data()})
        if (d) {
            d->LeaveDockList(this);
            d->ArrangeToolbars(false); // the others close up (a dock being destroyed has let go already)
        }
}

bool TCustomToolWindow::Floating() const { return FFloatParent && parentWidget() == FFloatParent; }

TDockOrientation TCustomToolWindow::CurrentOrientation() const
{
    return FDockedTo ? FDockedTo->Orientation() : TDockOrientation::doNone;
}

TFrameMargins TCustomToolWindow::NonClientMargins() const
{
    if (FDockedTo)
        return DockedMargins(FDockedTo->Orientation() == TDockOrientation::doVertical,
                             DragHandleWidth(FDragHandleStyle, FCloseButtonWhenDocked, FDockedTo->AllowDrag()));
    if (Floating()) return FloatingMargins(FAllowResize, FShowCaption);
    return {};
}

QSize TCustomToolWindow::NonClientSize() const
{
    TFrameMargins m = NonClientMargins();
    return QSize(m.Width(), m.Height());
}

QPoint TCustomToolWindow::ClientOrigin() const { return contentsRect().topLeft(); }

QRect TCustomToolWindow::DockedCloseButtonRect() const
{
    if (!FDockedTo || !FCloseButtonWhenDocked || !FDockedTo->AllowDrag()) return {};
    return ToQRect(DockedCloseRect(FDockedTo->Orientation() == TDockOrientation::doVertical, width()));
}

void TCustomToolWindow::Reframe()
{
    if (FDockedTo) {
        TFrameMargins m = NonClientMargins();
        setContentsMargins(m.Left, m.Top, m.Right, m.Bottom);
    } else {
        setContentsMargins(0, 0, 0, 0);
    }
    if (FFloatParent) FFloatParent->update();
    update();
}

QRect TCustomToolWindow::WindowBounds() const
{
    if (Floating()) return FFloatParent->geometry();
    return geometry();
}

void TCustomToolWindow::SetWindowBounds(const QRect& r)
{
    const QSize old = WindowSize();
    if (FInLayoutCount == 0 && r.size() != old) SizeChanging(r.width(), r.height());
    if (Floating()) {
        const TFrameMargins m = FloatingMargins(FAllowResize, FShowCaption);
        FFloatParent->setGeometry(r);
        setGeometry(m.Left, m.Top, std::max(0, r.width() - m.Width()), std::max(0, r.height() - m.Height()));
        if (FInLayoutCount == 0) FFloatingPosition = r.topLeft();
        FFloatParent->update();
    } else {
        setGeometry(r);
        if (FDockedTo && FInLayoutCount == 0 && r.size() != old) FDockedTo->ArrangeToolbars(false);
    }
}

void TCustomToolWindow::SetBoundsInLayout(const QRect& r)
{
    ++FInLayoutCount;
    SetWindowBounds(r);
    --FInLayoutCount;
}

void TCustomToolWindow::MoveFloating(const QPoint& topLeft)
{
    if (!Floating()) return;
    SetWindowBounds(QRect(topLeft, WindowSize()));
}

// ---- Properties ----

void TCustomToolWindow::SetBorderStyle(TBorderStyle value) { FBorderStyle = value, update(); }

void TCustomToolWindow::SetCaption(const QString& value)
{
    FCaption = value;
    setWindowTitle(value);
    if (FFloatParent) FFloatParent->setWindowTitle(value), FFloatParent->update();
}

void TCustomToolWindow::SetCloseButton(bool value)
{
    FCloseButton = value;
    if (FFloatParent) FFloatParent->update();
}

void TCustomToolWindow::SetCloseButtonWhenDocked(bool value)
{
    if (FCloseButtonWhenDocked == value) return;
    FCloseButtonWhenDocked = value;
    Reframe();
    ArrangeControls();
}

void TCustomToolWindow::SetColor(const QColor& value) { FColor = value, update(); }

void TCustomToolWindow::SetDockedTo(TDock* value)
{
    if (value) {
        SetParent(value);
        return;
    }
    if (!FParentForm) throw EInvalidOperation("Control '" + objectName().toStdString() + "' has no parent window");
    SetParent(FParentForm);
}

void TCustomToolWindow::SetDockPos(int value)
{
    FDockPos = ClampDockPos(value);
    if (FDockedTo) FDockedTo->ArrangeToolbars(false);
}

void TCustomToolWindow::SetDockRow(int value)
{
    FDockRow = ClampDockRow(value);
    if (FDockedTo) FDockedTo->ArrangeToolbars(false);
}

void TCustomToolWindow::SetDragHandleStyle(TDragHandleStyle value)
{
    if (FDragHandleStyle == value) return;
    FDragHandleStyle = value;
    Reframe();
    ArrangeControls();
}

void TCustomToolWindow::SetFloatingMode(TToolWindowFloatingMode value)
{
    FFloatingMode = value;
    if (FFloatParent) FFloatParent->SetFloatingMode(value);
    UpdateVisibility();
}

void TCustomToolWindow::SetFullSize(bool value)
{
    if (FFullSize == value) return;
    FFullSize = value;
    ArrangeControls();
    if (FDockedTo) FDockedTo->ArrangeToolbars(false);
}

void TCustomToolWindow::SetHideWhenInactive(bool value)
{
    FHideWhenInactive = value;
    UpdateVisibility();
}

void TCustomToolWindow::SetLastDock(TDock* value)
{
    if (FUseLastDock && FDockedTo) value = FDockedTo;
    if (FLastDock != value) {
        if (FLastDock && FLastDock != parentWidget()) FLastDock->LeaveDockList(this);
        FLastDock = value;
        if (value) value->JoinDockList(this);
    }
    if (value) FUseLastDock = true;
}

void TCustomToolWindow::SetShowCaption(bool value)
{
    if (FShowCaption == value) return;
    FShowCaption = value;
    if (Floating()) ArrangeControls();
    Reframe();
}

void TCustomToolWindow::SetUseLastDock(bool value)
{
    FUseLastDock = value;
    if (value) SetLastDock(FDockedTo);
    else if (FLastDock) {
        if (FLastDock != FDockedTo) FLastDock->LeaveDockList(this);
        FLastDock = nullptr;
    }
}

void TCustomToolWindow::SetAllowResize(bool value)
{
    if (FAllowResize == value) return;
    FAllowResize = value;
    if (Floating()) ArrangeControls();
    Reframe();
}

void TCustomToolWindow::SetVisible(bool value)
{
    if (FVisible == value) return;
    FVisible = value;
    if (FDockedTo) {
        FDockedTo->SetVisibleMember(this, value);
        UpdateVisibility();
        FDockedTo->ArrangeToolbars(false);
    } else {
        UpdateVisibility();
    }
    if (OnVisibleChanged) OnVisibleChanged(this);
}

void TCustomToolWindow::SetCloseButtonDown(bool value)
{
    if (FCloseButtonDown == value) return;
    FCloseButtonDown = value;
    update();
    if (FFloatParent) FFloatParent->update();
}

void TCustomToolWindow::SetCaptionInactive(bool value)
{
    if (FCaptionInactive == value) return;
    FCaptionInactive = value;
    if (FFloatParent) FFloatParent->update();
}

// ---- Arrangement ----

void TCustomToolWindow::BeginArrange() { ++FDisableArrangeCount; }

void TCustomToolWindow::EndArrange()
{
    if (FDisableArrangeCount > 0 && --FDisableArrangeCount == 0 && FArrangePending) ArrangeControls();
}

void TCustomToolWindow::ArrangeControls()
{
    if (FDisableArrangeCount > 0 || FDestroying || !parentWidget()) {
        FArrangePending = true;
        return;
    }
    FArrangePending = false;
    QSize client;
    OrderControls(true, FLastOrientation, client, FDockedTo);
    FLastOrientation = CurrentOrientation();
    FLastOrientationValid = true;
    if (FDockedTo) {
        const bool vertical = FDockedTo->Orientation() == TDockOrientation::doVertical;
        const int row = FDockedTo->GetRowSize(FDockRow, this);
        if (vertical) client.setWidth(std::max(client.width(), row));
        else client.setHeight(std::max(client.height(), row));
        if (FFullSize) {
            const QRect room = FDockedTo->ClientRect();
            if (vertical) client.setHeight(room.height() - NonClientSize().height());
            else client.setWidth(room.width() - NonClientSize().width());
        }
    }
    const QSize wanted = client + NonClientSize();
    const QRect bounds = WindowBounds();
    if (wanted != bounds.size()) {
        ++FInLayoutCount;
        SetWindowBounds(QRect(bounds.topLeft(), wanted));
        --FInLayoutCount;
        if (FDockedTo) FDockedTo->ArrangeToolbars(false);
    } else if (Floating()) {
        SetBoundsInLayout(bounds); // the client inside the frame follows a changed frame
    }
}

// ---- The dock change ----

void TCustomToolWindow::SetParent(QWidget* newParent)
{
    // 1. Only a dock or a form.
    auto* frame = qobject_cast<TFloatingWindowParent*>(newParent);
    const bool isForm = newParent && !frame && !qobject_cast<TDock*>(newParent) && newParent->isWindow();
    if (newParent && !frame && !isForm && !qobject_cast<TDock*>(newParent))
        throw EInvalidOperation("A tool window can only be placed on a TDock or directly on the form");
    // 2. A form means floating in a frame of that form.
    if (isForm) {
        FParentForm = newParent;
        if (!(FFloatParent && FFloatParent->ParentForm() == newParent)) {
            auto* created = new TFloatingWindowParent(newParent, FFloatingMode);
            created->setObjectName(QString("DockFloatingWindowParent_%1").arg(++GFrameCounter, 8, 16, QChar('0')));
            created->setWindowTitle(FCaption);
            FFloatParent = created;
        }
        newParent = FFloatParent;
    }
    // 3.
    QWidget* oldParent = parentWidget();
    TDock* oldDock = qobject_cast<TDock*>(oldParent);
    TDock* newDock = qobject_cast<TDock*>(newParent);
    auto registerFloating = [&] {
        if (Floating()) {
            if (!GFloatingToolWindows.contains(this)) GFloatingToolWindows.push_back(this);
        } else {
            GFloatingToolWindows.removeAll(this);
        }
    };
    if (oldParent == newParent) {
        FDockedTo = newDock;
        registerFloating();
        return;
    }
    // 4.
    const bool announce = !FDestroying && newParent;
    if (announce) {
        if (OnDockChanging) OnDockChanging(this);
        if (OnDockChangingEx) OnDockChangingEx(this, newDock);
        if (OnRecreating) OnRecreating(this);
    }
    // 5.
    ++FHideCount;
    ++FDisableArrangeCount;
    UpdateVisibility();
    if (oldDock) oldDock->BeginUpdate();
    if (newDock) newDock->BeginUpdate();
    ++FInLayoutCount;
    // 6.
    if (newParent) {
        DockChanging(newDock);
        if (FLastOrientationValid) {
            QSize ignored;
            OrderControls(false, FLastOrientation, ignored, newDock);
        }
    }
    // 7.
    FArrangePending = true;
    BeginArrange();
    // 8.
    if (oldDock) {
        if (!FUseLastDock) oldDock->FDockList.removeAll(this);
        oldDock->SetVisibleMember(this, false);
    }
    // 9.
    FDockedTo = newDock;
    QWidget::setParent(newParent);
    Reframe();
    // 10.
    if (auto* oldFrame = qobject_cast<TFloatingWindowParent*>(oldParent); oldFrame && oldFrame != newParent) {
        if (FFloatParent == oldFrame) FFloatParent = nullptr;
        oldFrame->hide();
        oldFrame->deleteLater();
    }
    // 11.
    if (newDock) {
        if (FUseLastDock) SetLastDock(newDock);
        else newDock->JoinDockList(this);
        if (FVisible) newDock->SetVisibleMember(this, true);
    }
    registerFloating();
    if (Floating()) SetBoundsInLayout(QRect(FFloatingPosition, size() + NonClientSize()));
    // 12. The window is sized for its new place while the docks still wait.
    --FDisableArrangeCount;
    --FInLayoutCount;
    EndArrange();
    FLastOrientation = CurrentOrientation();
    if (newDock) {
        newDock->ArrangeToolbars(false);
        newDock->EndUpdate();
    }
    if (oldDock) {
        oldDock->ArrangeToolbars(false);
        oldDock->EndUpdate();
    }
    --FHideCount;
    UpdateVisibility();
    Moved();
    // 13.
    if (announce) {
        if (OnRecreated) OnRecreated(this);
        if (OnDockChanged) OnDockChanged(this);
    }
}

void TCustomToolWindow::DockChanging(TDock* dockingTo)
{
    if (!FDestroying && OnDockChangingHidden) OnDockChangingHidden(this, dockingTo);
}

void TCustomToolWindow::Moved()
{
    if (OnMove) OnMove(this);
}

// ---- Visibility ----

void TCustomToolWindow::UpdateVisibility()
{
    bool show = FVisible && FHideCount == 0;
    if (Floating()) {
        if (show && FFloatingMode == TToolWindowFloatingMode::fmOnTopOfParentForm) {
            QWidget* form = FParentForm;
            show = form && form->isVisible() && !form->isMinimized();
        }
        if (show && FHideWhenInactive) show = ApplicationIsActive();
        SetCaptionInactive(!ApplicationIsActive());
        if (FVisible && isHidden()) QWidget::setVisible(true);
        FFloatParent->SetShouldShow(show);
    } else if (parentWidget()) {
        if (isHidden() == show) QWidget::setVisible(show);
    }
}

void TCustomToolWindow::UpdateAllFloating()
{
    const QList<TCustomToolWindow*> list = GFloatingToolWindows;
    for (TCustomToolWindow* w : list)
        if (GFloatingToolWindows.contains(w)) w->UpdateVisibility();
}

const QList<TCustomToolWindow*>& TCustomToolWindow::FloatingToolWindows() { return GFloatingToolWindows; }

void TCustomToolWindow::MoveOnScreen(bool onlyIfFullyOffscreen)
{
    if (!Floating()) return;
    std::vector<TRect> areas;
    for (const QRect& a : AvailableScreens()) areas.push_back(ToTRect(a));
    const QRect bounds = WindowBounds();
    const QRect moved = ToQRect(MoveRectOnScreen(ToTRect(bounds), areas, onlyIfFullyOffscreen));
    if (moved != bounds) SetWindowBounds(moved);
}

// ---- Close and double-click ----

void TCustomToolWindow::CloseFromButton()
{
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return;
    SetVisible(false);
    if (OnClose) OnClose(this);
}

void TCustomToolWindow::ToggleDocking()
{
    if (Floating()) {
        if (FLastDock) {
            SetParent(FLastDock);
        } else if (FDefaultDock) {
            FDockRow = 0;
            FDockPos = -8;
            SetParent(FDefaultDock);
        }
        // Neither a last nor a default dock: nothing to go back to.
    } else if (FDockedTo && FDockMode == TToolWindowDockMode::dmCanFloat && FParentForm) {
        SetParent(FParentForm);
        MoveOnScreen(true);
    }
}

// ---- Painting and input ----

void TCustomToolWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    TDock* dock = FDockedTo;
    const QPixmap tile = dock && dock->BackgroundOnToolbars() ? dock->BackgroundTile() : QPixmap();
    if (!tile.isNull()) {
        // The dock's tiles continue across the window.
        p.setBrushOrigin(-pos());
        p.fillRect(rect(), QBrush(tile));
    } else {
        p.fillRect(rect(), FColor);
    }
    if (!dock) return;
    const bool vertical = dock->Orientation() == TDockOrientation::doVertical;
    if (FBorderStyle == TBorderStyle::bsSingle) {
        const QRect inner = DrawEdgePart(p, rect(), TEdgePart::RaisedInner, pal);
        Q_UNUSED(inner);
    } else {
        p.setPen(face);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (dock->AllowDrag() && FDragHandleStyle != TDragHandleStyle::dhNone) {
        const int clientLength = vertical ? width() - 4 : height() - 4;
        const THandleBars bars = DragHandleBars(FDragHandleStyle, FCloseButtonWhenDocked, vertical, clientLength);
        QRect bar = ToQRect(bars.First);
        for (int i = 0; i < bars.Count; ++i) {
            p.fillRect(bar, face);
            DrawEdgePart(p, bar, TEdgePart::RaisedInner, pal);
            // The far-end corner pixel in the highlight colour.
            p.fillRect(vertical ? QRect(bar.right(), bar.top(), 1, 1) : QRect(bar.left(), bar.bottom(), 1, 1),
                       pal.color(QPalette::Light));
            bar.translate(vertical ? 0 : 3, vertical ? 3 : 0);
        }
    }
    if (FCloseButtonWhenDocked && dock->AllowDrag()) DrawCloseButton(p, DockedCloseButtonRect(), FCloseButtonDown, pal);
}

bool TCustomToolWindow::OnSurface(const QPoint& pos) const
{
    QWidget* child = childAt(pos);
    return !child || const_cast<TCustomToolWindow*>(this)->ChildIsSurface(child);
}

void TCustomToolWindow::mousePressEvent(QMouseEvent* e)
{
    if (FMouse->Busy()) {
        if (e->button() != Qt::LeftButton) FMouse->OtherButton();
        return;
    }
    if (e->button() != Qt::LeftButton || !OnSurface(e->position().toPoint())) {
        QWidget::mousePressEvent(e);
        return;
    }
    if (DockedCloseButtonRect().contains(e->position().toPoint())) {
        FMouse->BeginClose(this);
        return;
    }
    if (Floating() || (FDockedTo && FDockedTo->AllowDrag()))
        FMouse->BeginDrag(e->globalPosition().toPoint(), e->modifiers() & Qt::ControlModifier, this);
}

void TCustomToolWindow::mouseMoveEvent(QMouseEvent* e)
{
    if (!FMouse->Busy()) QWidget::mouseMoveEvent(e);
    else if (!(e->buttons() & Qt::LeftButton)) FMouse->Cancel(); // the release went elsewhere
    else FMouse->MouseMove(e->globalPosition().toPoint(), e->modifiers() & Qt::ControlModifier);
}

void TCustomToolWindow::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    FMouse->Cancel();
}

void TCustomToolWindow::mouseReleaseEvent(QMouseEvent* e)
{
    if (FMouse->Busy() && e->button() == Qt::LeftButton) FMouse->LeftRelease(e->globalPosition().toPoint());
    else QWidget::mouseReleaseEvent(e);
}

void TCustomToolWindow::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (FMouse->Busy()) FMouse->Cancel();
    if (e->button() == Qt::LeftButton && OnSurface(e->position().toPoint()) &&
        !DockedCloseButtonRect().contains(e->position().toPoint()) && (Floating() || (FDockedTo && FDockedTo->AllowDrag())))
        ToggleDocking();
}

void TCustomToolWindow::keyPressEvent(QKeyEvent* e)
{
    if (!FMouse->KeyEvent(e)) QWidget::keyPressEvent(e);
}

void TCustomToolWindow::keyReleaseEvent(QKeyEvent* e)
{
    if (!FMouse->KeyEvent(e)) QWidget::keyReleaseEvent(e);
}

void TCustomToolWindow::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    if (FDockedTo && FDockedTo->UsesBackground()) update();
    if (FDockedTo) Moved();
}

void TCustomToolWindow::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    if (OnResize) OnResize(this);
}

void TCustomToolWindow::closeEvent(QCloseEvent* e)
{
    // A close asked of the tool window goes to its form.
    e->ignore();
    if (FParentForm) FParentForm->close();
}

// ---- TFloatingWindowParent ----

TFloatingWindowParent::TFloatingWindowParent(QWidget* parentForm, TToolWindowFloatingMode mode)
    : QWidget(parentForm, Qt::Tool | Qt::FramelessWindowHint), FParentForm(parentForm), FMode(mode)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setMouseTracking(true);
    SetFloatingMode(mode);
}

TCustomToolWindow* TFloatingWindowParent::ToolWindow() const
{
    return findChild<TCustomToolWindow*>(QString(), Qt::FindDirectChildrenOnly);
}

void TFloatingWindowParent::SetFloatingMode(TToolWindowFloatingMode mode)
{
    FMode = mode;
    const bool onTop = mode == TToolWindowFloatingMode::fmOnTopOfAllForms;
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == onTop) return;
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) show();
}

void TFloatingWindowParent::SetShouldShow(bool value)
{
    FShouldShow = value;
    if (value == isVisible()) return;
    if (value) {
        show();
    } else {
        const bool wasActive = isActiveWindow();
        hide();
        if (wasActive && FParentForm) FParentForm->activateWindow();
    }
}

void TFloatingWindowParent::paintEvent(QPaintEvent*)
{
    TCustomToolWindow* w = ToolWindow();
    if (!w) return;
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Button));
    DrawEdge(p, rect(), true, pal);
    const QRect bar = ToQRect(FloatingCaptionRect(width(), w->AllowResize(), w->ShowCaption()));
    const QRect close = w->CloseButton() ? ToQRect(FloatingCloseRect(width(), w->AllowResize(), w->ShowCaption())) : QRect();
    if (!bar.isEmpty()) {
        DrawSmallCaption(p, bar, w->Caption(), !w->CaptionInactive(), pal, close.isEmpty() ? bar.right() + 1 : close.left());
        p.fillRect(QRect(bar.left(), bar.bottom() + 1, bar.width(), 1), pal.color(QPalette::Button));
    }
    DrawCloseButton(p, close, w->CloseButtonDown(), pal);
}

namespace {

THitCode FrameHit(TCustomToolWindow* w, const QWidget* frame, const QPoint& pos)
{
    TFloatingHitInput in;
    in.Point = {pos.x(), pos.y()};
    in.Width = frame->width();
    in.Height = frame->height();
    in.AllowResize = w->AllowResize();
    in.ResizeCorners = w->ResizeCorners();
    in.ShowCaption = w->ShowCaption();
    in.CloseButton = w->CloseButton();
    return FloatingHitTest(in);
}

Qt::CursorShape CursorOf(THitCode code)
{
    switch (code) {
    case THitCode::Left:
    case THitCode::Right: return Qt::SizeHorCursor;
    case THitCode::Top:
    case THitCode::Bottom: return Qt::SizeVerCursor;
    case THitCode::TopLeft:
    case THitCode::BottomRight: return Qt::SizeFDiagCursor;
    case THitCode::TopRight:
    case THitCode::BottomLeft: return Qt::SizeBDiagCursor;
    default: return Qt::ArrowCursor;
    }
}

} // namespace

void TFloatingWindowParent::mousePressEvent(QMouseEvent* e)
{
    TCustomToolWindow* w = ToolWindow();
    if (!w) return;
    TToolWindowMouse& m = w->Mouse();
    if (m.Busy()) {
        if (e->button() != Qt::LeftButton) m.OtherButton();
        return;
    }
    if (e->button() != Qt::LeftButton) return;
    raise();
    if (w->FloatingMode() == TToolWindowFloatingMode::fmOnTopOfParentForm && w->ActivateParent() && FParentForm)
        FParentForm->activateWindow();
    const THitCode code = FrameHit(w, this, e->position().toPoint());
    if (code == THitCode::Close) m.BeginClose(this);
    else if (IsResizeCode(code)) m.BeginResize(code, e->globalPosition().toPoint(), this);
    else m.BeginDrag(e->globalPosition().toPoint(), e->modifiers() & Qt::ControlModifier, this);
}

void TFloatingWindowParent::mouseMoveEvent(QMouseEvent* e)
{
    TCustomToolWindow* w = ToolWindow();
    if (!w) return;
    if (w->Mouse().Busy()) {
        if (!(e->buttons() & Qt::LeftButton)) w->Mouse().Cancel(); // the release went elsewhere
        else w->Mouse().MouseMove(e->globalPosition().toPoint(), e->modifiers() & Qt::ControlModifier);
        return;
    }
    setCursor(CursorOf(FrameHit(w, this, e->position().toPoint())));
}

void TFloatingWindowParent::mouseReleaseEvent(QMouseEvent* e)
{
    TCustomToolWindow* w = ToolWindow();
    if (w && w->Mouse().Busy() && e->button() == Qt::LeftButton) w->Mouse().LeftRelease(e->globalPosition().toPoint());
}

void TFloatingWindowParent::mouseDoubleClickEvent(QMouseEvent* e)
{
    TCustomToolWindow* w = ToolWindow();
    if (!w) return;
    if (w->Mouse().Busy()) w->Mouse().Cancel();
    if (e->button() == Qt::LeftButton && FrameHit(w, this, e->position().toPoint()) == THitCode::Client) w->ToggleDocking();
}

void TFloatingWindowParent::keyPressEvent(QKeyEvent* e)
{
    TCustomToolWindow* w = ToolWindow();
    if (w && w->Mouse().KeyEvent(e)) return;
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier && FParentForm) {
        FParentForm->activateWindow();
        FParentForm->setFocus();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TFloatingWindowParent::keyReleaseEvent(QKeyEvent* e)
{
    TCustomToolWindow* w = ToolWindow();
    if (!(w && w->Mouse().KeyEvent(e))) QWidget::keyReleaseEvent(e);
}

void TFloatingWindowParent::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    if (TCustomToolWindow* w = ToolWindow()) w->Mouse().Cancel();
}

void TFloatingWindowParent::closeEvent(QCloseEvent* e)
{
    e->ignore();
    if (FParentForm) FParentForm->close();
}

void TFloatingWindowParent::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange)
        if (TCustomToolWindow* w = ToolWindow()) w->SetCaptionInactive(!ApplicationIsActive());
}
