#pragma once
// TCustomToolWindow: the base of every tool window. Docked it is a child of a TDock, drawn with a
// 2-pixel frame and a drag handle in its margins; floating it sits in a TFloatingWindowParent, a
// small frameless top-level that draws the frame and caption around it. It is dragged between docks
// and the floating state, resized and closed with the mouse (ToolWindowMouse.cpp), and keeps its
// place through LoadToolbarPositions / SaveToolbarPositions (ToolbarPositions.h).
//
// The bounds of a floating window are those of its frame (screen coordinates); docked, those of
// the widget inside its dock. A subclass lays out its children for an orientation (OrderControls)
// and places them from ClientOrigin().
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "controls/Dock.h"
#include "controls/ToolWindowMetrics.h"

class TFloatingWindowParent;
class TSettingsStore;
class TToolWindowMouse;

enum TDockableToValues : unsigned { dtTop = 1, dtBottom = 2, dtLeft = 4, dtRight = 8 };
using TDockableTo = unsigned;
constexpr TDockableTo KDockableToAll = dtTop | dtBottom | dtLeft | dtRight;
enum class TToolWindowDockMode { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
enum class TToolWindowFloatingMode { fmOnTopOfParentForm, fmOnTopOfAllForms };
enum class TBorderStyle { bsNone, bsSingle };

TDockableTo DockableBit(TDockPosition position);

// The edge of the dock that the nearest tool window holding `control` sits on; false when that
// window floats or there is none (buttons and separators draw themselves by it).
bool DockPositionOf(const QWidget* control, TDockPosition& position);

class TCustomToolWindow : public QWidget
{
    Q_OBJECT
public:
    // Belongs to the parent's form; placed (docked or floating) by SetDockedTo or SetParent.
    explicit TCustomToolWindow(QWidget* parent);
    ~TCustomToolWindow() override;

    using TNotify = std::function<void(TCustomToolWindow* sender)>;
    using TDockNotify = std::function<void(TCustomToolWindow* sender, TDock* dockingTo)>;

    bool ActivateParent() const { return FActivateParent; }
    void SetActivateParent(bool value) { FActivateParent = value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);
    bool CloseButton() const { return FCloseButton; }
    void SetCloseButton(bool value);
    bool CloseButtonWhenDocked() const { return FCloseButtonWhenDocked; }
    void SetCloseButtonWhenDocked(bool value);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& value);
    TDock* DefaultDock() const { return FDefaultDock; }
    void SetDefaultDock(TDock* value) { FDefaultDock = value; }
    TDockableTo DockableTo() const { return FDockableTo; }
    void SetDockableTo(TDockableTo value) { FDockableTo = value & KDockableToAll; }
    TDock* DockedTo() const { return FDockedTo; }
    void SetDockedTo(TDock* value);
    TToolWindowDockMode DockMode() const { return FDockMode; }
    void SetDockMode(TToolWindowDockMode value) { FDockMode = value; }
    int DockPos() const { return FDockPos; }
    void SetDockPos(int value);
    int DockRow() const { return FDockRow; }
    void SetDockRow(int value);
    TDragHandleStyle DragHandleStyle() const { return FDragHandleStyle; }
    void SetDragHandleStyle(TDragHandleStyle value);
    TToolWindowFloatingMode FloatingMode() const { return FFloatingMode; }
    void SetFloatingMode(TToolWindowFloatingMode value);
    bool FullSize() const { return FFullSize; }
    void SetFullSize(bool value);
    bool HideWhenInactive() const { return FHideWhenInactive; }
    void SetHideWhenInactive(bool value);
    TDock* LastDock() const { return FLastDock; }
    void SetLastDock(TDock* value);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool value);
    bool UseLastDock() const { return FUseLastDock; }
    void SetUseLastDock(bool value);
    // The window's own visibility wish; what shows also depends on the floating rules.
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);

    TNotify OnClose, OnDockChanged, OnDockChanging, OnMove, OnRecreated, OnRecreating, OnResize, OnVisibleChanged;
    std::function<void(TCustomToolWindow* sender, bool& canClose)> OnCloseQuery;
    TDockNotify OnDockChangingEx, OnDockChangingHidden;

    bool IsDocked() const { return FDockedTo != nullptr; }
    bool Floating() const;
    QPoint FloatingPosition() const { return FFloatingPosition; }
    void SetFloatingPosition(const QPoint& p) { FFloatingPosition = p; }
    TFloatingWindowParent* FloatParent() const { return FFloatParent; }
    QWidget* ParentForm() const { return FParentForm; }
    bool AllowResize() const { return FAllowResize; }
    void SetAllowResize(bool value);
    bool UseStandardAlign() const { return FUseStandardAlign; }
    bool ResizeCorners() const { return FResizeCorners; }
    bool ClipResizeToWorkArea() const { return FClipResizeToWorkArea; }
    bool CloseButtonDown() const { return FCloseButtonDown; }
    bool CaptionInactive() const { return FCaptionInactive; }
    int CreationSerial() const { return FSerial; }

    // The dock change: a TDock docks, the parent form (or any top-level form) floats, nullptr
    // detaches. Anything else raises EInvalidOperation.
    void SetParent(QWidget* newParent);
    void BeginArrange();
    void EndArrange();
    void ArrangeControls();
    // Keeps a floating window inside the work area of the screen that holds it.
    void MoveOnScreen(bool onlyIfFullyOffscreen);
    // The outer bounds: screen coordinates when floating, dock coordinates when docked.
    QRect WindowBounds() const;
    void SetWindowBounds(const QRect& r);
    QSize WindowSize() const { return WindowBounds().size(); }
    TFrameMargins NonClientMargins() const;
    QSize NonClientSize() const;
    // Where a subclass puts the top-left of its laid-out children.
    QPoint ClientOrigin() const;
    QRect DockedCloseButtonRect() const;

    // Layout hooks of a subclass.
    virtual void GetBarSize(int& size, TDockOrientation orientation) = 0;
    virtual void GetMinimumSize(int& width, int& height) = 0;
    virtual void OrderControls(bool canMoveControls, TDockOrientation previousOrientation, QSize& newClientSize,
                               TDock* dockingTo) = 0;
    virtual void SizeChanging(int /*newWidth*/, int /*newHeight*/) {}
    // Extra values of the window's own settings group, read after and written after the standard ones.
    virtual void ReadPositionData(TSettingsStore* /*group*/) {}
    virtual void WritePositionData(TSettingsStore* /*group*/) {}
    virtual void PositionDataLoaded() {}
    virtual void ResizeBegin(THitCode /*code*/) {}
    virtual void ResizeTrack(QRect& /*newRect*/, const QRect& /*startRect*/) {}
    virtual void ResizeEnd(bool /*accepted*/) {}
    virtual bool ChildIsSurface(QWidget* /*child*/) { return false; }

    // Re-evaluates whether the window (its floating frame) shows.
    void UpdateVisibility();
    // The floating rules run again for every floating window (application activation and the like).
    static void UpdateAllFloating();
    static const QList<TCustomToolWindow*>& FloatingToolWindows();

    TToolWindowMouse& Mouse() { return *FMouse; }
    void SetCloseButtonDown(bool value);
    void SetCaptionInactive(bool value);
    // A close asked for with the close button: OnCloseQuery, then hidden and OnClose.
    void CloseFromButton();
    // A double-click: dock to LastDock / DefaultDock when floating, float when docked.
    void ToggleDocking();
    // Moves a floating window to the given place keeping its size (records FloatingPosition).
    void MoveFloating(const QPoint& topLeft);

protected:
    virtual void DockChanging(TDock* dockingTo);
    virtual void Moved();
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

    void SetUseStandardAlign(bool v) { FUseStandardAlign = v; }
    void SetResizeCorners(bool v) { FResizeCorners = v; }
    void SetClipResizeToWorkArea(bool v) { FClipResizeToWorkArea = v; }

private:
    friend class TDock;
    friend class TFloatingWindowParent;
    friend class TToolWindowMouse;
    TDockOrientation CurrentOrientation() const;
    bool OnSurface(const QPoint& pos) const;
    void SetBoundsInLayout(const QRect& r);
    void Reframe();
    void LeaveDocks();

    bool FActivateParent = true;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    QString FCaption;
    bool FCloseButton = true;
    bool FCloseButtonWhenDocked = false;
    QColor FColor;
    QPointer<TDock> FDefaultDock;
    TDockableTo FDockableTo = KDockableToAll;
    QPointer<TDock> FDockedTo;
    TToolWindowDockMode FDockMode = TToolWindowDockMode::dmCanFloat;
    int FDockPos = -1;
    int FDockRow = 0;
    TDragHandleStyle FDragHandleStyle = TDragHandleStyle::dhDouble;
    TToolWindowFloatingMode FFloatingMode = TToolWindowFloatingMode::fmOnTopOfParentForm;
    bool FFullSize = false;
    bool FHideWhenInactive = true;
    QPointer<TDock> FLastDock;
    bool FShowCaption = true;
    bool FUseLastDock = true;
    bool FVisible = true;

    QPoint FFloatingPosition;
    TFloatingWindowParent* FFloatParent = nullptr;
    QPointer<QWidget> FParentForm;
    bool FAllowResize = true;
    bool FUseStandardAlign = true, FResizeCorners = true, FClipResizeToWorkArea = true;
    int FDisableArrangeCount = 0;
    bool FArrangePending = false;
    int FInLayoutCount = 0;
    int FHideCount = 0;
    TDockOrientation FLastOrientation = TDockOrientation::doNone;
    bool FLastOrientationValid = false;
    bool FCloseButtonDown = false;
    bool FCaptionInactive = false;
    bool FDestroying = false;
    int FSerial = 0;
    std::unique_ptr<TToolWindowMouse> FMouse;
};

// The frameless top-level that holds a floating tool window and draws its frame and caption. It is a
// tool window of the form (parented to it, so it stays above it and goes with it); in the
// fmOnTopOfAllForms mode it also stays above every other window.
class TFloatingWindowParent : public QWidget
{
    Q_OBJECT
public:
    TFloatingWindowParent(QWidget* parentForm, TToolWindowFloatingMode mode);
    QWidget* ParentForm() const { return FParentForm; }
    bool ShouldShow() const { return FShouldShow; }
    void SetShouldShow(bool value);
    TCustomToolWindow* ToolWindow() const;
    void SetFloatingMode(TToolWindowFloatingMode mode);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QPointer<QWidget> FParentForm;
    bool FShouldShow = false;
    TToolWindowFloatingMode FMode;
};
