#pragma once
// The mouse work of a tool window as one state machine: dragging it (to a dock or floating),
// resizing its floating frame from an edge, and pressing its close button. A press starts a state;
// the moves and the release come through the implicit grab of the pressed widget, the keyboard
// through grabKeyboard (Escape cancels, Ctrl stops docking), so nothing runs a nested event loop.
// Every way out (release, Escape, another button, the application losing focus, the window going
// away) removes the outline and restores the cursor.
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <memory>
#include <vector>

#include "controls/DockDragTarget.h"
#include "controls/ToolWindowMetrics.h"

class QKeyEvent;
class QWidget;
class TCustomToolWindow;
class TDock;
class TDragOutline;

class TToolWindowMouse
{
public:
    explicit TToolWindowMouse(TCustomToolWindow* window);
    ~TToolWindowMouse();

    enum class TState { Idle, Dragging, Resizing, Closing };
    TState State() const { return FState; }
    bool Busy() const { return FState != TState::Idle; }

    // `grabber` is the widget that took the press; it gets the keyboard until the end.
    void BeginDrag(const QPoint& globalCursor, bool ctrl, QWidget* grabber);
    void BeginResize(THitCode code, const QPoint& globalCursor, QWidget* grabber);
    void BeginClose(QWidget* grabber);

    void MouseMove(const QPoint& globalCursor, bool ctrl);
    void LeftRelease(const QPoint& globalCursor);
    void OtherButton(); // any other press cancels
    void CtrlChanged(bool ctrl);
    void Escape();
    void Cancel();
    // Ends every mouse state in progress (the application lost the focus, say).
    static void CancelAll();
    // A key press or release while busy: Escape cancels, Ctrl re-targets, the rest is swallowed.
    // False when idle (the key is the widget's own).
    bool KeyEvent(QKeyEvent* event);

    // The last answer of the drag's target choice (for tests and the outline).
    const TDragTargetResult& Target() const { return FTarget; }
    QRect OutlineRect() const;

private:
    void Evaluate();
    void End(bool accepted);
    void FinishDrag();
    void FinishResize();
    bool CursorOnCloseButton(const QPoint& globalCursor) const;
    void SetForbiddenCursor(bool forbidden);

    TCustomToolWindow* FWindow;
    TState FState = TState::Idle;
    QPointer<QWidget> FGrabber;
    std::unique_ptr<TDragOutline> FOutline;
    // drag
    TDragTargetInput FInput;
    std::vector<QPointer<TDock>> FDocks; // candidates, parallel to FInput.Docks
    TDragTargetResult FTarget;
    bool FForbiddenShown = false;
    // resize
    THitCode FResizeCode = THitCode::Client;
    QPoint FResizeStartCursor;
    QRect FResizeStart, FResizeRect;
    int FMinWidth = 0, FMinHeight = 0;
};
