#pragma once
// TToolbarButton: the light button of the toolbars. It paints itself: flat with a border while the
// mouse is over it (or always, not flat), a glyph and an optional caption, latched (`Down`) in
// groups, auto-repeat while held, and a drop-down arrow that opens a menu over the whole button or
// as a separate combo part at its right. Linked to a QAction, the action's checked state is the
// truth and `Down` follows it; a click triggers the action.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "controls/ButtonGlyphLayout.h"
#include "controls/GlyphCache.h"

#include <QAction>
#include <QMenu>

enum class TButtonDisplayMode { dmBoth, dmGlyphOnly, dmTextOnly };

// The timer behind auto-repeat; tests put in one they drive by hand.
class TRepeatTimer
{
public:
    virtual ~TRepeatTimer() = default;
    virtual void Start(int intervalMs) = 0; // (re)starts with that interval
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
    std::function<void()> OnTimer;
};

// Names the picture of an image list an action shows: its "ImageIndex" (which linked buttons draw)
// and its icon (which menus draw), made from the same picture. An index outside the list clears both.
void SetActionImage(QAction* action, const QList<QPixmap>& images, int index);

class TToolbarButton : public QWidget
{
    Q_OBJECT
public:
    explicit TToolbarButton(QWidget* parent = nullptr);
    ~TToolbarButton() override;

    // ---- Properties ----
    QAction* Action() const { return FAction; }
    void SetAction(QAction* action);
    // Copies Down into the action's checked state.
    void AssignTo(QAction* action) const;
    Qt::Alignment Alignment() const { return FAlignment; }
    void SetAlignment(Qt::Alignment value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value);
    bool Default() const { return FDefault; }
    void SetDefault(bool value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& value);
    TButtonDisplayMode DisplayMode() const { return FDisplayMode; }
    void SetDisplayMode(TButtonDisplayMode value);
    bool Down() const { return FDown; }
    void SetDown(bool value);
    bool DropdownAlways() const { return FDropdownAlways; }
    void SetDropdownAlways(bool value);
    bool DropdownArrow() const { return FDropdownArrow; }
    void SetDropdownArrow(bool value);
    int DropdownArrowWidth() const { return FDropdownArrowWidth; }
    void SetDropdownArrowWidth(int value);
    bool DropdownCombo() const { return FDropdownCombo; }
    void SetDropdownCombo(bool value);
    QMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(QMenu* menu);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    const QImage& Glyph() const { return FGlyph.Glyph(); }
    void SetGlyph(const QImage& value);
    void SetGlyphMask(const QImage& value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }
    bool HighlightWhenDown() const { return FHighlightWhenDown; }
    void SetHighlightWhenDown(bool value);
    int ImageIndex() const { return FGlyph.ImageIndex(); }
    void SetImageIndex(int value);
    const QList<QPixmap>* Images() const { return FGlyph.Images(); }
    void SetImages(const QList<QPixmap>* images);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return FMargin; }
    void SetMargin(int value);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    bool NoBorder() const { return FNoBorder; }
    void SetNoBorder(bool value);
    int NumGlyphs() const { return FGlyph.NumGlyphs(); }
    void SetNumGlyphs(int value);
    bool OldDisabledStyle() const { return FOldDisabledStyle; }
    void SetOldDisabledStyle(bool value);
    bool Opaque() const { return FOpaque; }
    void SetOpaque(bool value);
    bool Repeating() const { return FRepeating; }
    void SetRepeating(bool value) { FRepeating = value; }
    int RepeatDelay() const { return FRepeatDelay; }
    void SetRepeatDelay(int value) { FRepeatDelay = std::max(value, 0); }
    int RepeatInterval() const { return FRepeatInterval; }
    void SetRepeatInterval(int value) { FRepeatInterval = std::max(value, 1); }
    // Whether the tool tip shows when the mouse rests on the button.
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool value) { FShowHint = value; }
    bool ShowBorderWhenInactive() const { return FShowBorderWhenInactive; }
    void SetShowBorderWhenInactive(bool value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);

    std::function<void(TToolbarButton*)> OnClick, OnDblClick, OnMouseEnter, OnMouseExit;
    std::function<void(TToolbarButton*, bool& showMenu, bool& removeClicks)> OnDropdown;
    // Before the button's own handling of a press, a move and a release (any mouse button).
    using TMouseNotify = std::function<void(TToolbarButton*, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y)>;
    TMouseNotify OnMouseDown, OnMouseMove, OnMouseUp;

    // ---- State ----
    TButtonState State() const { return FState; }
    bool MouseInControl() const { return FMouseInControl; }
    bool MouseIsDown() const { return FMouseIsDown; }
    bool UsesDropdown() const { return FDropdownMenu || FDropdownAlways; }
    // What a click does: latching, the menu, the modal result, OnClick / the action.
    void Click();
    // Stops the repeat and forgets the held button (a popup or modal box opened, or the application
    // was deactivated).
    void CancelMode();
    void MouseEnter();
    void MouseLeave();
    void SetRepeatTimer(std::unique_ptr<TRepeatTimer> timer);
    TRepeatTimer* RepeatTimer() const { return FRepeatTimer.get(); }
    // The menu place for the dock the button's toolbar sits on (screen coordinates), and whether
    // the menu's right edge goes there.
    QPoint MenuPlace(const QSize& menuSize, bool* rightAligned = nullptr) const;
    // The 8 × 8 pattern of latched buttons for the given colours (rebuilt when they change).
    static const QImage& HighlightPattern(const QColor& face, const QColor& highlight);
    // The button the mouse is over (hot tracking), or nullptr.
    static TToolbarButton* ButtonUnderMouse();
    // Runs the 125 ms check now (tests); `widgetUnderCursor` stands in for the real one when given.
    static void CheckHotButton();
    using TWidgetUnderCursorFn = QWidget* (*)();
    static void SetWidgetUnderCursorFn(TWidgetUnderCursorFn fn);

    QSize sizeHint() const override { return QSize(23, 22); }

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void Invalidate() { update(); }
    void UpdateTracking(bool inside);
    void RepeatTick();
    void FireClick();
    void PopupMenu(bool removeClicks);
    void UpdateFromAction();
    void SetDownFromAction(bool value);
    void ApplyDown(bool value);
    void UpdateShortcut();
    void UpdateDialogKeys();
    void UpdateOpaque();
    void WidthChanged(int delta);
    bool OnArrow(int x) const;
    void PaintContent(QPainter& p);

    QPointer<QAction> FAction;
    Qt::Alignment FAlignment = Qt::AlignHCenter;
    bool FAllowAllUp = false, FCancel = false, FDefault = false;
    QString FCaption;
    QColor FColor;
    TButtonDisplayMode FDisplayMode = TButtonDisplayMode::dmBoth;
    bool FDown = false, FDropdownAlways = false, FDropdownArrow = true;
    int FDropdownArrowWidth = 9;
    bool FDropdownCombo = false;
    QPointer<QMenu> FDropdownMenu;
    bool FFlat = true;
    int FGroupIndex = 0, FHelpContext = 0;
    bool FHighlightWhenDown = true;
    TButtonLayout FLayout = TButtonLayout::blGlyphLeft;
    int FMargin = -1, FModalResult = 0;
    bool FNoBorder = false, FOldDisabledStyle = false, FOpaque = true, FRepeating = false;
    int FRepeatDelay = 400, FRepeatInterval = 100;
    bool FShowBorderWhenInactive = false;
    bool FShowHint = true;
    int FSpacing = 4;
    bool FWordWrap = false;

    TButtonState FState = TButtonState::bsUp;
    bool FMouseInControl = false, FMouseIsDown = false, FPressedOnArrow = false, FInClick = false;
    bool FCursorInside = false;
    bool FMenuShowing = false;
    int FShortcutId = 0;
    QPointer<QWidget> FKeyWindow;
    TButtonGlyph FGlyph;
    std::unique_ptr<TRepeatTimer> FRepeatTimer;
};
