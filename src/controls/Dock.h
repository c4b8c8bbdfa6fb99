#pragma once
// TDock: a bar along one edge of a form that holds tool windows in rows. The rows are worked out by
// ArrangeDockRows (DockLayout.h); the dock applies the result and takes the thickness of its rows
// as a fixed height (top and bottom docks) or width (left and right docks), so the form's layout
// places it. Tool windows may be dragged onto it, off it and along it (ToolWindow.h).
#include <QList>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <vector>

#include "controls/DockLayout.h"

class TCustomToolWindow;

enum class TDockPosition { dpTop, dpBottom, dpLeft, dpRight };
enum TDockBoundLinesValues : unsigned { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };
using TDockBoundLines = unsigned;
enum class TDockOrientation { doNone, doHorizontal, doVertical };

class TDock : public QWidget
{
    Q_OBJECT
public:
    // The parent is the form (or a container on it); never a tool window or another dock.
    explicit TDock(QWidget* parent, TDockPosition position = TDockPosition::dpTop);
    ~TDock() override;

    bool AllowDrag() const { return FAllowDrag; }
    void SetAllowDrag(bool value);
    const QPixmap& Background() const { return FBackground; }
    void SetBackground(const QPixmap& value);
    bool BackgroundOnToolbars() const { return FBackgroundOnToolbars; }
    void SetBackgroundOnToolbars(bool value);
    bool BackgroundTransparent() const { return FBackgroundTransparent; }
    void SetBackgroundTransparent(bool value);
    TDockBoundLines BoundLines() const { return FBoundLines; }
    void SetBoundLines(TDockBoundLines value);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& value);
    bool FixAlign() const { return FFixAlign; }
    void SetFixAlign(bool value);
    bool LimitToOneRow() const { return FLimitToOneRow; }
    void SetLimitToOneRow(bool value) { FLimitToOneRow = value; }
    TDockPosition Position() const { return FPosition; }
    // Raises EInvalidOperation while the dock holds tool windows.
    void SetPosition(TDockPosition value);
    TDockOrientation Orientation() const;

    std::function<void(TDock* sender, bool inserting, TCustomToolWindow* bar)> OnInsertRemoveBar;
    std::function<void(TDock* sender, TCustomToolWindow* bar, bool& accept)> OnRequestDock;
    std::function<void(TDock* sender)> OnResize;

    void BeginUpdate();
    void EndUpdate();
    void ArrangeToolbars(bool clipPositions);
    int GetHighestRow() const;
    int GetRowSize(int row, TCustomToolWindow* defaultWindow) const;
    int GetNumberOfToolbarsOnRow(int row, TCustomToolWindow* notIncluding) const;
    void RemoveBlankRows();
    void InsertRowBefore(int row);
    int GetRowOf(int pos, bool& before) const;
    int GetRowAt(int pos) const;
    bool HasVisibleToolWindows() const;
    // Keeps the edge the dock sits on: the thickness becomes a fixed height or width.
    void ChangeDockSize(int newWidth, int newHeight);
    int BoundLinesWidth() const { return FBoundLinesWidth; }
    int BoundLinesHeight() const { return FBoundLinesHeight; }
    // The client area: the dock less its bound lines.
    QRect ClientRect() const;
    // The background tile colour-corrected for BackgroundTransparent; null when there is none.
    QPixmap BackgroundTile() const;
    bool UsesBackground() const { return !FBackground.isNull(); }

    // The windows that belong here (docked, or remembering the dock while floating), in the order of
    // the last arrangement; and the docked, visible ones.
    const QList<TCustomToolWindow*>& DockList() const { return FDockList; }
    const QList<TCustomToolWindow*>& DockVisibleList() const { return FDockVisibleList; }
    const std::vector<int>& RowSizes() const { return FRowSizes; }
    int CreationSerial() const { return FSerial; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TCustomToolWindow;
    void JoinDockList(TCustomToolWindow* w);
    void LeaveDockList(TCustomToolWindow* w);
    void SetVisibleMember(TCustomToolWindow* w, bool member);
    void RepaintWindows();

    bool FAllowDrag = true;
    QPixmap FBackground;
    mutable QPixmap FBackgroundCache;
    bool FBackgroundOnToolbars = true;
    bool FBackgroundTransparent = false;
    TDockBoundLines FBoundLines = 0;
    QColor FColor;
    bool FFixAlign = false;
    bool FLimitToOneRow = false;
    TDockPosition FPosition = TDockPosition::dpTop;
    QList<TCustomToolWindow*> FDockList;
    QList<TCustomToolWindow*> FDockVisibleList;
    std::vector<int> FRowSizes;
    int FUpdateCount = 0;
    bool FArrangePending = false;
    bool FClipPositionsPending = false;
    int FBoundLinesWidth = 0;
    int FBoundLinesHeight = 0;
    int FSerial = 0;
};

// The first dock among the form's descendants with exactly that object name, or nullptr.
TDock* FindDockByName(QWidget* form, const QString& name);
