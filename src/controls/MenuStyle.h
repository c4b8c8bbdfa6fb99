#pragma once
// The look of the painted menus: a style over a copy of the application style that measures and
// paints menu items, menu bars and popup frames itself and leaves everything else to the base.
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QProxyStyle>

class QAction;
class QMenu;
class QStyleOptionMenuItem;
class TMenuPainter;

class TMenuStyle : public QProxyStyle
{
    Q_OBJECT
public:
    explicit TMenuStyle(TMenuPainter* painter);

    // The painted menus tell the style which action an option describes (from initStyleOption).
    void NoteAction(const QWidget* menu, const QAction* action) const;
    // Whether the widget (or the item of the option) keeps the base look: Tag 999 on the action,
    // the menu, a menu it hangs from, or the form that owns it.
    bool IsPlain(const QWidget* widget, const QStyleOptionMenuItem* item = nullptr, bool painting = false) const;
    // The widest shortcut that the menu adds after its widest item, in the menu's font.
    static int WidestShortcut(const QMenu* menu);
    void ClearIconCache() { FIcons.clear(); }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;

private:
    const QAction* ActionOf(const QStyleOptionMenuItem* item, const QWidget* widget, bool painting) const;
    bool IsMenu(const QWidget* widget) const;
    QSize MeasureItem(const QStyleOptionMenuItem* item, const QWidget* widget, bool topItem) const;
    void DrawPopupItem(const QStyleOptionMenuItem* item, QPainter* p, const QWidget* widget) const;
    void DrawTopItem(const QStyleOptionMenuItem* item, QPainter* p, const QWidget* widget) const;
    void DrawPopupPanel(const QRect& rect, const QPalette& palette, QPainter* p) const;
    void DrawCheckMark(const QStyleOptionMenuItem* item, QPainter* p, const QRect& box, bool hasIcon) const;
    // The action's picture at 16 x 16 for the pixel ratio of the device painted on, its colours
    // treated by state, its shape in the alpha channel; cached by icon, ratio, state and levels.
    QImage IconPicture(const QIcon& icon, bool enabled, bool selected, qreal pixelRatio) const;
    QImage IconShadow(const QIcon& icon, QRgb colour, qreal pixelRatio) const;

    QPointer<TMenuPainter> FPainter;
    mutable const QWidget* FNotedMenu = nullptr;
    mutable const QAction* FNotedAction = nullptr;
    mutable QHash<QString, QImage> FIcons;
};
