#include "controls/ToolWindowMouse.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QList>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "controls/DragOutline.h"
#include "controls/GeometryConvert.h"
#include "controls/ToolWindow.h"

namespace {


QRect ScreenRectOf(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

// The docks a window may be dragged to: for each showing container of the form (not inside the
// window itself), first its own docks in the order top, bottom, left, right, then its other
// children, depth first.
void CollectDocks(QWidget* container, TCustomToolWindow* window, std::vector<TDock*>& out)
{
    const QList<QWidget*> children = container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    std::vector<TDock*> docks;
    for (QWidget* c : children)
        if (auto* d = qobject_cast<TDock*>(c)) docks.push_back(d);
    std::stable_sort(docks.begin(), docks.end(), [](TDock* a, TDock* b) { return int(a->Position()) < int(b->Position()); });
    for (TDock* d : docks)
        if (d->AllowDrag() && (window->DockableTo() & DockableBit(d->Position()))) out.push_back(d);
    for (QWidget* c : children) {
        if (qobject_cast<TDock*>(c) || c == window || c->isWindow() || !c->isVisible()) continue;
        CollectDocks(c, window, out);
    }
}

// The states in progress, so that losing the application's focus can end them.
QList<TToolWindowMouse*> GBusyMice;

std::vector<TMonitorArea> Monitors()
{
    std::vector<TMonitorArea> out;
    for (QScreen* s : QGuiApplication::screens()) out.push_back({ToTRect(s->geometry()), ToTRect(s->availableGeometry())});
    return out;
}

} // namespace

TToolWindowMouse::TToolWindowMouse(TCustomToolWindow* window) : FWindow(window) {}

TToolWindowMouse::~TToolWindowMouse()
{
    GBusyMice.removeAll(this);
    if (FForbiddenShown) QGuiApplication::restoreOverrideCursor();
}

QRect TToolWindowMouse::OutlineRect() const { return FOutline ? FOutline->Rect() : QRect(); }

void TToolWindowMouse::BeginDrag(const QPoint& cursor, bool ctrl, QWidget* grabber)
{
    TCustomToolWindow* w = FWindow;
    const QRect bounds = w->Floating() ? w->WindowBounds() : ScreenRectOf(w);
    FInput = TDragTargetInput{};
    FInput.Cursor = ToTPoint(cursor);
    FInput.Ctrl = ctrl;
    FInput.Grip = ToTPoint(cursor - bounds.topLeft());
    FInput.WindowSize = {bounds.width(), bounds.height()};
    FInput.CanFloat = w->DockMode() == TToolWindowDockMode::dmCanFloat;
    FInput.FloatFrame = FloatingFrameSize(w->AllowResize());
    const TFrameMargins floatMargins = FloatingMargins(w->AllowResize(), w->ShowCaption());
    FInput.FloatTopMargin = floatMargins.Top;
    FInput.Monitors = Monitors();

    std::vector<TDock*> docks;
    if (w->DockMode() == TToolWindowDockMode::dmCannotFloatOrChangeDocks) {
        if (w->DockedTo()) docks.push_back(w->DockedTo());
    } else if (QWidget* form = w->ParentForm()) {
        CollectDocks(form, w, docks);
    }
    QSize client;
    w->OrderControls(false, w->FLastOrientation, client, nullptr);
    FInput.FloatSize = {client.width() + floatMargins.Width(), client.height() + floatMargins.Height()};
    FDocks.clear();
    for (TDock* d : docks) {
        TDragDock dd;
        dd.ScreenRect = ToTRect(ScreenRectOf(d));
        dd.Vertical = d->Orientation() == TDockOrientation::doVertical;
        if (d == w->DockedTo()) {
            dd.Size = {w->width(), w->height()};
        } else {
            QSize s;
            w->OrderControls(false, w->FLastOrientation, s, d);
            const TFrameMargins m =
                DockedMargins(dd.Vertical, DragHandleWidth(w->DragHandleStyle(), w->CloseButtonWhenDocked(), d->AllowDrag()));
            int bar = 0;
            w->GetBarSize(bar, d->Orientation());
            if (dd.Vertical) s.setWidth(std::max(s.width(), bar));
            else s.setHeight(std::max(s.height(), bar));
            dd.Size = {s.width() + m.Width(), s.height() + m.Height()};
        }
        FInput.Docks.push_back(dd);
        FDocks.emplace_back(d);
    }
    // Ordering for the other orientations must not leave the children arranged for them.
    QSize current;
    w->OrderControls(false, w->FLastOrientation, current, w->DockedTo());
    FInput.RequestDock = [this](size_t i) {
        TDock* d = FDocks[i];
        bool accept = d != nullptr;
        if (d && d->OnRequestDock) d->OnRequestDock(d, FWindow, accept);
        return accept;
    };
    FState = TState::Dragging;
    GBusyMice.push_back(this);
    FGrabber = grabber;
    if (grabber) grabber->grabKeyboard();
    if (!FOutline) FOutline = std::make_unique<TDragOutline>();
    Evaluate();
}

void TToolWindowMouse::Evaluate()
{
    FTarget = ChooseDragTarget(FInput);
    FOutline->Show(ToQRect(FTarget.Outline), FTarget.Dock >= 0 ? 1 : FInput.FloatFrame);
    SetForbiddenCursor(FTarget.Forbidden);
}

void TToolWindowMouse::SetForbiddenCursor(bool forbidden)
{
    if (forbidden == FForbiddenShown) return;
    FForbiddenShown = forbidden;
    if (forbidden) QGuiApplication::setOverrideCursor(Qt::ForbiddenCursor);
    else QGuiApplication::restoreOverrideCursor();
}

void TToolWindowMouse::BeginResize(THitCode code, const QPoint& cursor, QWidget* grabber)
{
    TCustomToolWindow* w = FWindow;
    if (!w->Floating() || !IsResizeCode(code)) return;
    int minW = 0, minH = 0;
    w->GetMinimumSize(minW, minH);
    const QSize nc = w->NonClientSize();
    FMinWidth = std::max(1, minW + nc.width());
    FMinHeight = std::max(1, minH + nc.height());
    FResizeCode = code;
    FResizeStartCursor = cursor;
    FResizeStart = FResizeRect = w->WindowBounds();
    w->ResizeBegin(code);
    FState = TState::Resizing;
    GBusyMice.push_back(this);
    FGrabber = grabber;
    if (grabber) grabber->grabKeyboard();
    if (!FOutline) FOutline = std::make_unique<TDragOutline>();
    FOutline->Show(FResizeRect, FloatingFrameSize(w->AllowResize()));
}

void TToolWindowMouse::BeginClose(QWidget* grabber)
{
    FState = TState::Closing;
    GBusyMice.push_back(this);
    FGrabber = grabber;
    if (grabber) grabber->grabKeyboard();
    FWindow->SetCloseButtonDown(true);
}

bool TToolWindowMouse::CursorOnCloseButton(const QPoint& cursor) const
{
    TCustomToolWindow* w = FWindow;
    if (w->Floating()) {
        QWidget* frame = w->parentWidget();
        const TRect r = FloatingCloseRect(frame->width(), w->AllowResize(), w->ShowCaption());
        return ToQRect(r).contains(frame->mapFromGlobal(cursor));
    }
    return w->DockedCloseButtonRect().contains(w->mapFromGlobal(cursor));
}

void TToolWindowMouse::MouseMove(const QPoint& cursor, bool ctrl)
{
    switch (FState) {
    case TState::Idle: return;
    case TState::Dragging:
        if (FInput.Cursor == ToTPoint(cursor) && FInput.Ctrl == ctrl) return;
        FInput.Cursor = ToTPoint(cursor);
        FInput.Ctrl = ctrl;
        Evaluate();
        return;
    case TState::Resizing: {
        QPoint c = cursor;
        if (FWindow->ClipResizeToWorkArea() && QGuiApplication::screens().size() == 1) {
            const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
            c.setX(std::clamp(c.x(), work.left(), work.right()));
            c.setY(std::clamp(c.y(), work.top(), work.bottom()));
        }
        const QPoint d = c - FResizeStartCursor;
        QRect r = ToQRect(ResizedRect(ToTRect(FResizeStart), ToTPoint(d), FResizeCode, FMinWidth, FMinHeight));
        FWindow->ResizeTrack(r, FResizeStart);
        FResizeRect = r;
        FOutline->Show(r, FloatingFrameSize(FWindow->AllowResize()));
        return;
    }
    case TState::Closing: FWindow->SetCloseButtonDown(CursorOnCloseButton(cursor)); return;
    }
}

void TToolWindowMouse::CtrlChanged(bool ctrl)
{
    if (FState != TState::Dragging || FInput.Ctrl == ctrl) return;
    FInput.Ctrl = ctrl;
    Evaluate();
}

void TToolWindowMouse::LeftRelease(const QPoint& cursor)
{
    if (FState == TState::Dragging) MouseMove(cursor, FInput.Ctrl);
    End(true);
}

bool TToolWindowMouse::KeyEvent(QKeyEvent* e)
{
    if (!Busy()) return false;
    const bool press = e->type() == QEvent::KeyPress;
    if (e->key() == Qt::Key_Escape && press) Escape();
    else if (e->key() == Qt::Key_Control) CtrlChanged(press);
    return true;
}

void TToolWindowMouse::CancelAll()
{
    const QList<TToolWindowMouse*> busy = GBusyMice;
    for (TToolWindowMouse* m : busy)
        if (GBusyMice.contains(m)) m->Cancel();
}

void TToolWindowMouse::OtherButton() { End(false); }
void TToolWindowMouse::Escape() { End(false); }
void TToolWindowMouse::Cancel() { End(false); }

void TToolWindowMouse::End(bool accepted)
{
    const TState state = FState;
    if (state == TState::Idle) return;
    FState = TState::Idle;
    GBusyMice.removeAll(this);
    if (FGrabber) FGrabber->releaseKeyboard();
    FGrabber = nullptr;
    if (FOutline) FOutline->Hide();
    SetForbiddenCursor(false);
    switch (state) {
    case TState::Dragging:
        if (accepted && !FTarget.Outline.IsEmpty()) FinishDrag();
        break;
    case TState::Resizing:
        FWindow->ResizeEnd(accepted);
        if (accepted) FinishResize();
        break;
    case TState::Closing: {
        const bool close = accepted && FWindow->CloseButtonDown();
        FWindow->SetCloseButtonDown(false);
        if (close) FWindow->CloseFromButton();
        break;
    }
    case TState::Idle: break;
    }
}

void TToolWindowMouse::FinishDrag()
{
    TCustomToolWindow* w = FWindow;
    const QRect outline = ToQRect(FTarget.Outline);
    if (FTarget.Dock >= 0) {
        TDock* dock = FDocks[size_t(FTarget.Dock)];
        if (!dock) return;
        const bool vertical = dock->Orientation() == TDockOrientation::doVertical;
        const QPoint local = dock->mapFromGlobal(outline.topLeft()) - dock->ClientRect().topLeft();
        const int centre = vertical ? local.x() + outline.width() / 2 : local.y() + outline.height() / 2;
        bool before = false;
        int row = dock->GetRowOf(centre, before);
        if (before) {
            dock->InsertRowBefore(row);
        } else if (w->FullSize() && dock->GetNumberOfToolbarsOnRow(row, w) > 0) {
            dock->InsertRowBefore(row + 1);
            ++row;
        }
        w->FDockRow = ClampDockRow(row);
        w->FDockPos = ClampDockPos(vertical ? local.y() : local.x());
        w->SetParent(dock);
        dock->ArrangeToolbars(true);
    } else {
        w->SetFloatingPosition(outline.topLeft());
        if (w->Floating()) w->MoveFloating(outline.topLeft());
        else if (w->ParentForm()) w->SetParent(w->ParentForm());
    }
    w->MoveOnScreen(true);
}

void TToolWindowMouse::FinishResize()
{
    TCustomToolWindow* w = FWindow;
    w->BeginArrange();
    w->SetWindowBounds(FResizeRect);
    w->EndArrange();
    w->MoveOnScreen(true);
}
