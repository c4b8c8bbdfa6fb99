#pragma once
// TCustomToolbar: a tool window that lines its child controls up (buttons, edits, separators):
// left to right on a horizontal dock, top to bottom on a vertical one, and in wrapped lines when it
// floats with a wrap width ("FloatRightX", chosen by resizing the floating toolbar, which snaps to
// the sizes its wrap widths give). The arithmetic is in ToolbarLayout.h; this class gathers the
// children's sizes, applies the bounds and draws the lines that replace wrapped separators.
//
// TToolbarSep: the separator between groups of controls; it lives only on a toolbar, and a press on
// it drags the toolbar.
#include <QPointer>
#include <QWidget>
#include <vector>

#include "controls/ToolWindow.h"
#include "controls/ToolbarLayout.h"

constexpr int KMaxFloatRightX = 32767;
// Longer than any screen; keeps the sums of a toolbar's lengths far from overflowing.
constexpr int KMaxSeparatorSize = 32767;

class TCustomToolbar : public TCustomToolWindow
{
    Q_OBJECT
public:
    explicit TCustomToolbar(QWidget* parent);
    ~TCustomToolbar() override;

    int FloatRightX() const { return FFloatRightX; }
    // Kept to 0..32767; a floating toolbar re-lays itself.
    void SetFloatRightX(int value);
    bool StrictOrder() const { return FStrictOrder; }
    void SetStrictOrder(bool value);
    bool FloatingVertical() const { return FFloatingVertical; }
    // The children in layout order: insertion order, a removed child leaves.
    QList<QWidget*> OrderList() const;
    const std::vector<TSeparatorLine>& SeparatorLines() const { return FOut.Lines; }
    // The orientation the children are laid out in now.
    bool LaidOutVertically() const { return FVerticalLayout; }

    void GetBarSize(int& size, TDockOrientation orientation) override;
    void GetMinimumSize(int& width, int& height) override;
    void OrderControls(bool canMoveControls, TDockOrientation previousOrientation, QSize& newClientSize,
                       TDock* dockingTo) override;
    void ReadPositionData(TSettingsStore* group) override;
    void WritePositionData(TSettingsStore* group) override;
    void ResizeBegin(THitCode code) override;
    void ResizeTrack(QRect& newRect, const QRect& startRect) override;
    void ResizeEnd(bool accepted) override;
    bool ChildIsSurface(QWidget* child) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Gather();
    void LayOut(bool vertical, bool floating, int wrap);

    int FFloatRightX = 0;
    bool FStrictOrder = false;
    bool FFloatingVertical = false;
    bool FVerticalLayout = false;
    bool FOrdering = false;
    QList<QPointer<QWidget>> FOrderList;
    std::vector<QWidget*> FCounted; // the order list's widgets, parallel to FItems
    std::vector<TToolbarItem> FItems;
    TToolbarLayoutOutput FOut;
    std::unique_ptr<TToolbarSnap> FSnap;
};

class TToolbar : public TCustomToolbar
{
    Q_OBJECT
public:
    using TCustomToolbar::TCustomToolbar;
};

class TToolbarSep : public QWidget
{
    Q_OBJECT
public:
    // Raises EInvalidOperation when the parent is anything but a toolbar (or none).
    explicit TToolbarSep(QWidget* parent);
    void SetParent(QWidget* parent);

    bool Blank() const { return FBlank; }
    void SetBlank(bool value);
    int SizeHorz() const { return FSizeHorz; }
    void SetSizeHorz(int value);
    int SizeVert() const { return FSizeVert; }
    void SetSizeVert(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Relay();
    bool FBlank = false;
    int FSizeHorz = 6, FSizeVert = 6;
};
