#include "controls/MenuStyle.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QWidgetAction>
#include <qdrawutil.h>
#include <algorithm>

#include "controls/MenuPainter.h"
#include "platform/Round.h"

namespace {

constexpr int KIconSize = 16;
// The open top item keeps this much room at its right for its shadow strip.
constexpr int KTopStrip = 4;
// Room every popup item gets beyond its measure, as the system gave measured menu items the width
// of a check mark: without it the caption, drawn after a space 3 pixels into the text area, would
// run past the item's end.
constexpr int KItemPadding = 12;

QColor Q(TColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

QStyle* CopyOfApplicationStyle()
{
    if (QStyle* app = QApplication::style())
        if (QStyle* copy = QStyleFactory::create(app->name())) return copy;
    return QStyleFactory::create("Fusion");
}

// A menu reached from a menu bar shows every shortcut; other menus only those the application
// shows in context menus.
bool ReachedFromMenuBar(const QMenu* menu, int depth = 0)
{
    if (depth > 16) return false;
    for (QObject* o : menu->menuAction()->associatedObjects()) {
        if (qobject_cast<QMenuBar*>(o)) return true;
        if (auto* parent = qobject_cast<QMenu*>(o); parent && parent != menu && ReachedFromMenuBar(parent, depth + 1))
            return true;
    }
    return false;
}

// The picture of an icon at 16 x 16, drawn for the screen's pixel ratio, with its shape in the
// alpha channel: an opaque picture takes the colour of its bottom-left pixel as transparent.
QImage IconShape(const QIcon& icon, qreal pixelRatio)
{
    const int side = qRound(KIconSize * pixelRatio);
    QImage img(side, side, QImage::Format_ARGB32);
    img.setDevicePixelRatio(pixelRatio);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        icon.paint(&p, QRect(0, 0, KIconSize, KIconSize));
    }
    bool opaque = true;
    for (int y = 0; y < img.height() && opaque; ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) != 255) {
                opaque = false;
                break;
            }
    if (opaque) {
        const QRgb key = img.pixel(0, img.height() - 1);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == key) img.setPixel(x, y, qRgba(0, 0, 0, 0));
    }
    return img;
}

} // namespace

TMenuStyle::TMenuStyle(TMenuPainter* painter) : QProxyStyle(CopyOfApplicationStyle()), FPainter(painter)
{
    setParent(painter);
}

void TMenuStyle::NoteAction(const QWidget* menu, const QAction* action) const
{
    FNotedMenu = menu;
    FNotedAction = action;
}

bool TMenuStyle::IsMenu(const QWidget* widget) const
{
    return qobject_cast<const QMenu*>(widget) || qobject_cast<const QMenuBar*>(widget);
}

const QAction* TMenuStyle::ActionOf(const QStyleOptionMenuItem* item, const QWidget* widget, bool painting) const
{
    if (!widget) return nullptr;
    const bool separator = item->menuItemType == QStyleOptionMenuItem::Separator;
    const QString caption = item->text.section(QLatin1Char('\t'), 0, 0);
    auto matches = [&](const QAction* a) {
        return a && a->isSeparator() == separator && a->text().section(QLatin1Char('\t'), 0, 0) == caption;
    };
    if (FNotedMenu == widget && matches(FNotedAction)) return FNotedAction;
    // While painting, the option's rectangle is the item's (while measuring, asking the menu for
    // its item rectangles would measure again).
    if (painting) {
        const QPoint centre = item->rect.center();
        const QAction* at = nullptr;
        if (auto* menu = qobject_cast<const QMenu*>(widget)) at = menu->actionAt(centre);
        else if (auto* bar = qobject_cast<const QMenuBar*>(widget)) at = bar->actionAt(centre);
        if (matches(at)) return at;
    }
    for (const QAction* a : widget->actions())
        if (matches(a)) return a;
    return nullptr;
}

bool TMenuStyle::IsPlain(const QWidget* widget, const QStyleOptionMenuItem* item, bool painting) const
{
    if (!FPainter || !FPainter->Active()) return true;
    if (item)
        if (const QAction* a = ActionOf(item, widget, painting); a && TagOf(a) == KPlainMenuTag) return true;
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (TagOf(w) == KPlainMenuTag) return true;
        if (!IsMenu(w)) return TagOf(w->window()) == KPlainMenuTag;
    }
    return false;
}

int TMenuStyle::WidestShortcut(const QMenu* menu)
{
    const QFontMetrics fm(menu->font());
    const bool contextMenu = !ReachedFromMenuBar(menu);
    int widest = 0;
    for (const QAction* a : menu->actions()) {
        if (!a->isVisible() || a->isSeparator() || qobject_cast<const QWidgetAction*>(a)) continue;
        const QString text = a->text();
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        if (tab != -1) {
            widest = std::max(widest, fm.horizontalAdvance(text.mid(tab + 1)));
        } else if (a->isShortcutVisibleInContextMenu() || !contextMenu) {
            const QKeySequence seq = a->shortcut();
            if (!seq.isEmpty()) widest = std::max(widest, fm.horizontalAdvance(seq.toString(QKeySequence::NativeText)));
        }
    }
    return widest;
}

QSize TMenuStyle::MeasureItem(const QStyleOptionMenuItem* item, const QWidget* /*widget*/, bool topItem) const
{
    QFont font = FPainter->Font();
    font.setBold(item->font.bold()); // a bold item is measured as it is drawn
    const QFontMetrics fm(font);
    const bool separator = item->menuItemType == QStyleOptionMenuItem::Separator;
    const QString caption = separator ? QString() : item->text.section(QLatin1Char('\t'), 0, 0);
    const QString shortcut = separator ? QString() : item->text.section(QLatin1Char('\t'), 1).trimmed();
    const QString text = shortcut.isEmpty() ? caption : caption + QStringLiteral("WWW") + shortcut;
    int width = fm.horizontalAdvance(text) + 5;
    if (text.contains(QLatin1Char('&'))) width -= fm.horizontalAdvance(QLatin1Char('&'));
    if (!topItem && item->menuItemType == QStyleOptionMenuItem::SubMenu) width += 6;
    QSize image = item->icon.isNull() ? QSize(0, 0) : QSize(KIconSize, KIconSize);
    if (!topItem) image.setWidth(std::max(image.width(), FPainter->IconWidth()));
    width += image.width();
    int height = 4;
    if (!separator) {
        const int th = fm.height();
        height = std::max(th + RoundInt(0.75 * th), image.height() + 6);
    }
    return QSize(width, height);
}

QSize TMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                   const QWidget* widget) const
{
    auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (item && (type == CT_MenuItem || type == CT_MenuBarItem) && !IsPlain(widget, item)) {
        if (type == CT_MenuBarItem) return MeasureItem(item, widget, true) + QSize(KTopStrip, 0);
        QSize s = MeasureItem(item, widget, false) + QSize(KItemPadding, 0);
        // The menu adds its widest shortcut after the widest item; the item's own measure holds it already.
        if (auto* menu = qobject_cast<const QMenu*>(widget)) s.setWidth(std::max(1, s.width() - WidestShortcut(menu)));
        return s;
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int TMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (widget && IsMenu(widget) && !IsPlain(widget)) {
        switch (metric) {
        case PM_MenuPanelWidth: return FPainter->FlatMenu() ? 1 : 2;
        case PM_MenuHMargin:
        case PM_MenuVMargin:
        case PM_MenuBarPanelWidth:
        case PM_MenuBarHMargin:
        case PM_MenuBarVMargin: return 0;
        case PM_MenuBarItemSpacing: return 4;
        default: break;
        }
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

int TMenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const
{
    if (hint == SH_Menu_Mask && qobject_cast<const QMenu*>(widget) && !IsPlain(widget)) {
        // The flat frame's popup is the union of the frame and of its shadow moved by two pixels;
        // otherwise no shape at all (an empty region clears an earlier one).
        if (auto* mask = qstyleoption_cast<QStyleHintReturnMask*>(returnData)) {
            mask->region = QRegion();
            if (FPainter->ShadowedPopups()) {
                const QRect r = option ? option->rect : widget->rect();
                mask->region = QRegion(0, 0, r.width() - 2, r.height() - 2) + QRegion(2, 2, r.width() - 2, r.height() - 2);
            }
        }
        return 1;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void TMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const
{
    if ((element == PE_PanelMenu || element == PE_FrameMenu) && qobject_cast<const QMenu*>(widget) &&
        !IsPlain(widget)) {
        DrawPopupPanel(widget->rect(), option->palette, painter);
        return;
    }
    if (element == PE_PanelMenuBar && qobject_cast<const QMenuBar*>(widget) && !IsPlain(widget)) return;
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void TMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const
{
    auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (item && widget && IsMenu(widget)) {
        switch (element) {
        case CE_MenuItem:
            if (!IsPlain(widget, item, true)) return DrawPopupItem(item, painter, widget);
            break;
        case CE_MenuBarItem:
            if (!IsPlain(widget, item, true)) return DrawTopItem(item, painter, widget);
            break;
        case CE_MenuBarEmptyArea:
            if (!IsPlain(widget)) {
                const TMenuColors& c = FPainter->WorkingColors();
                painter->fillRect(option->rect, FPainter->DrawMenuBar() ? FPainter->MenuBarColor() : Q(c.Bar));
                return;
            }
            break;
        case CE_MenuEmptyArea:
            if (!IsPlain(widget)) {
                DrawPopupPanel(widget->rect(), option->palette, painter);
                return;
            }
            break;
        default: break;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

// The whole popup behind its items: the background, the frame (raised, or flat in the frame colour)
// and the flat frame's shadow. Each part of the menu's painting draws it all within its own clip.
void TMenuStyle::DrawPopupPanel(const QRect& rect, const QPalette& palette, QPainter* p) const
{
    const TMenuColors& c = FPainter->WorkingColors();
    const bool shadow = FPainter->ShadowedPopups();
    const QRect body = shadow ? rect.adjusted(0, 0, -2, -2) : rect;
    p->save();
    p->fillRect(body, Q(c.ItemBack));
    if (!FPainter->FlatMenu()) {
        qDrawWinPanel(p, rect, palette, false);
        p->restore();
        return;
    }
    p->setPen(Q(c.Frame));
    p->setBrush(Qt::NoBrush);
    p->drawRect(body.adjusted(0, 0, -1, -1));
    if (shadow) {
        p->fillRect(QRect(rect.left() + 2, rect.bottom() - 1, rect.width() - 2, 2), Q(c.Shadow));
        p->fillRect(QRect(rect.right() - 1, rect.top() + 2, 2, rect.height() - 2), Q(c.Shadow));
    }
    p->restore();
}

QImage TMenuStyle::IconPicture(const QIcon& icon, bool enabled, bool selected, qreal pixelRatio) const
{
    const TMenuColors& c = FPainter->WorkingColors();
    const QString key = QStringLiteral("%1@%7/%2%3/%4/%5/%6")
                            .arg(icon.cacheKey())
                            .arg(int(enabled))
                            .arg(int(selected))
                            .arg(FPainter->DimLevel())
                            .arg(FPainter->GrayLevel())
                            .arg(int(c.HighColor))
                            .arg(pixelRatio);
    if (auto it = FIcons.constFind(key); it != FIcons.constEnd()) return *it;

    QImage shape = IconShape(icon, pixelRatio);
    if (c.HighColor && (!enabled || !selected)) {
        // Lightened when not selected, greyed and lightened when disabled.
        TBitmap bmp(shape.width(), shape.height(), TPixelFormat::pf24bit);
        for (int y = 0; y < shape.height(); ++y) {
            uint8_t* d = bmp.ScanLine(y);
            for (int x = 0; x < shape.width(); ++x, d += 3) {
                const QRgb px = shape.pixel(x, y);
                d[0] = uint8_t(qBlue(px));
                d[1] = uint8_t(qGreen(px));
                d[2] = uint8_t(qRed(px));
            }
        }
        if (!enabled) GrayBitmap(bmp, FPainter->GrayLevel());
        DimBitmap(bmp, FPainter->DimLevel());
        for (int y = 0; y < shape.height(); ++y) {
            const uint8_t* s = bmp.ScanLine(y);
            for (int x = 0; x < shape.width(); ++x, s += 3)
                shape.setPixel(x, y, qRgba(s[2], s[1], s[0], qAlpha(shape.pixel(x, y))));
        }
    }
    FIcons.insert(key, shape);
    return shape;
}

QImage TMenuStyle::IconShadow(const QIcon& icon, QRgb colour, qreal pixelRatio) const
{
    const QString key = QStringLiteral("%1@%3/shadow/%2").arg(icon.cacheKey()).arg(colour).arg(pixelRatio);
    if (auto it = FIcons.constFind(key); it != FIcons.constEnd()) return *it;
    QImage shape = IconShape(icon, pixelRatio);
    for (int y = 0; y < shape.height(); ++y)
        for (int x = 0; x < shape.width(); ++x)
            shape.setPixel(x, y, qAlpha(shape.pixel(x, y)) ? (colour | 0xFF000000u) : 0u);
    FIcons.insert(key, shape);
    return shape;
}

void TMenuStyle::DrawCheckMark(const QStyleOptionMenuItem* item, QPainter* p, const QRect& box, bool hasIcon) const
{
    const TMenuColors& c = FPainter->WorkingColors();
    const bool enabled = item->state & State_Enabled;
    const bool selected = item->state & State_Selected;
    const bool radio = item->checkType == QStyleOptionMenuItem::Exclusive;
    const QColor fill = Q(selected ? c.CheckFill2 : c.CheckFill1);
    const QColor outline = !enabled ? Q(c.Disabled) : Q(!hasIcon && !radio ? c.Checked : c.SelectBorder);
    p->setPen(outline);
    p->setBrush(fill);
    if (radio && hasIcon) {
        p->setRenderHint(QPainter::Antialiasing, true);
        p->drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
        p->setRenderHint(QPainter::Antialiasing, false);
    } else if (radio) {
        p->setRenderHint(QPainter::Antialiasing, true);
        const QPointF centre = QRectF(box).center();
        p->drawEllipse(centre, 5.5, 5.5);
        p->setBrush(outline); // the inner circle in the pen's colour
        p->drawEllipse(centre, 3.0, 3.0);
        p->setRenderHint(QPainter::Antialiasing, false);
    } else {
        p->drawRect(box.adjusted(0, 0, -1, -1));
        if (!hasIcon) {
            // A tick three pixels thick: down to the right, then up to the right.
            p->setPen(enabled ? QColor(Qt::black) : Q(c.Disabled));
            const QPoint o = box.center() + QPoint(1, 0);
            for (int dy = -1; dy <= 1; ++dy) {
                p->drawLine(o + QPoint(-4, dy), o + QPoint(-2, dy + 2));
                p->drawLine(o + QPoint(-2, dy + 2), o + QPoint(2, dy - 2));
            }
        }
    }
    p->setBrush(Qt::NoBrush);
}

void TMenuStyle::DrawPopupItem(const QStyleOptionMenuItem* item, QPainter* p, const QWidget* widget) const
{
    const TMenuColors& c = FPainter->WorkingColors();
    const QRect r = item->rect;
    const bool enabled = item->state & State_Enabled;
    const bool selected = item->state & State_Selected;
    const bool rtl = item->direction == Qt::RightToLeft;
    const bool separator = item->menuItemType == QStyleOptionMenuItem::Separator;
    const bool hasIcon = !item->icon.isNull();
    const int column = std::max(FPainter->IconWidth(), hasIcon ? KIconSize : 0);
    const QRect col = rtl ? QRect(r.right() - column + 1, r.top(), column, r.height())
                          : QRect(r.left(), r.top(), column, r.height());
    const int textLeft = rtl ? r.left() : col.right() + 1;
    const int textRight = rtl ? col.left() - 1 : r.right();

    p->save();
    // The painter's font, bold where the item's own font is (a menu's default item).
    QFont font = FPainter->Font();
    font.setBold(item->font.bold());
    p->setFont(font);
    p->setRenderHint(QPainter::Antialiasing, false);
    p->fillRect(r, Q(c.ItemBack));
    p->fillRect(col, Q(c.IconBack));
    if (separator) {
        const int y = r.top() + r.height() / 2;
        p->setPen(Q(c.Separator));
        if (rtl) p->drawLine(textLeft, y, textRight - 7, y);
        else p->drawLine(textLeft + 7, y, textRight, y);
        p->restore();
        return;
    }
    const bool boxed = selected && enabled && FPainter->DrawSelect();
    if (boxed) {
        const QRect box(r.left(), r.top() + 1, r.width() - (FPainter->FlatMenu() ? 1 : 0), r.height() - 2);
        p->fillRect(box, Q(c.SelectFill));
        p->setPen(Q(c.SelectBorder));
        p->drawRect(box.adjusted(0, 0, -1, -1));
    }
    const bool checked = item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked;
    const int side = std::min(column, r.height()) - 4;
    const QRect markBox(col.left() + (column - side) / 2, r.top() + (r.height() - side) / 2, side, side);
    if (checked) DrawCheckMark(item, p, markBox, hasIcon);
    if (hasIcon) {
        // Drawn over the column, the check box or the selection, whichever lies under it.
        const QPoint at(col.left() + (column - KIconSize) / 2, r.top() + (r.height() - KIconSize) / 2);
        const qreal ratio = p->device() ? p->device()->devicePixelRatio() : 1.0;
        if (boxed && c.HighColor && !checked)
            p->drawImage(at + QPoint(2, 2),
                         IconShadow(item->icon, Q(GetShadeColor(c.SelectFill, 60)).rgb(), ratio));
        p->drawImage(at, IconPicture(item->icon, enabled, boxed, ratio));
    }

    const QFontMetrics fm(FPainter->Font());
    const int th = fm.height();
    const int ty = r.top() + (r.height() - th) / 2;
    int flags = Qt::TextSingleLine | Qt::AlignTop;
    flags |= proxy()->styleHint(SH_UnderlineShortcut, item, widget) ? Qt::TextShowMnemonic : Qt::TextHideMnemonic;
    QColor text = Q(c.SelectedText);
    if (!enabled) text = Q(c.Disabled);
    else if (!boxed) text = FPainter->FontColor();
    p->setPen(text);
    const QString caption = item->text.section(QLatin1Char('\t'), 0, 0);
    const QString shortcut = item->text.section(QLatin1Char('\t'), 1).trimmed();
    const QRect textRect(textLeft + 3, ty, std::max(0, textRight - textLeft - 2), th);
    if (rtl) p->drawText(textRect.adjusted(-3, 0, -3, 0), flags | Qt::AlignRight, caption + QLatin1Char(' '));
    else p->drawText(textRect, flags | Qt::AlignLeft, QLatin1Char(' ') + caption);
    if (!shortcut.isEmpty()) {
        if (rtl) p->drawText(QRect(textLeft + 10, ty, textRight - textLeft - 9, th), flags | Qt::AlignLeft, shortcut);
        else p->drawText(QRect(textLeft, ty, textRight - 10 - textLeft + 1, th), flags | Qt::AlignRight, shortcut);
    }
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
        // The arrow to the sub-menu, in the room its measure added.
        const int cy = r.top() + r.height() / 2;
        p->setPen(Qt::NoPen);
        p->setBrush(text);
        const int x = rtl ? r.left() + 4 : r.right() - 7;
        const int dir = rtl ? -1 : 1;
        const int tipX = rtl ? x : x + 3;
        const QPoint tri[3] = {QPoint(tipX - 3 * dir, cy - 3), QPoint(tipX, cy), QPoint(tipX - 3 * dir, cy + 3)};
        p->drawPolygon(tri, 3);
    }
    p->restore();
}

void TMenuStyle::DrawTopItem(const QStyleOptionMenuItem* item, QPainter* p, const QWidget* widget) const
{
    const TMenuColors& c = FPainter->WorkingColors();
    const QRect r = item->rect;
    const bool rtl = item->direction == Qt::RightToLeft;
    const bool enabled = item->state & State_Enabled;
    const bool current = item->state & State_Selected;
    const bool open = current && (item->state & State_Sunken);
    const TColorRef bar = FPainter->DrawMenuBar() ? RGBRef(FPainter->MenuBarColor().red(),
                                                            FPainter->MenuBarColor().green(),
                                                            FPainter->MenuBarColor().blue())
                                                  : c.Bar;
    p->save();
    p->setFont(FPainter->Font());
    p->setRenderHint(QPainter::Antialiasing, false);
    p->fillRect(r, Q(bar));
    if (FPainter->Gradient() && c.HighColor) {
        int level = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            p->fillRect(QRect(r.left(), y, r.width(), 1), Q(NewColor(c.IconBack, level)));
            level = std::min(96, level + (y - r.top() < FPainter->IconWidth() + 5 ? 3 : 1));
        }
    }
    const QRect box = rtl ? r.adjusted(KTopStrip, 0, 0, 0) : r.adjusted(0, 0, -KTopStrip, 0);
    if (open && FPainter->DrawSelect()) {
        p->fillRect(box, Q(c.SelectFill));
        p->setPen(Q(c.SelectBorder));
        p->drawRect(box.adjusted(0, 0, -1, -1));
        if (c.HighColor && !rtl) {
            const int levels[4] = {100, 60, 30, 10};
            for (int i = 0; i < 4; ++i)
                p->fillRect(QRect(box.right() + 1 + i, r.top() + 3, 1, r.height() - 3), Q(GetShadeColor(bar, levels[i])));
        } else {
            const int x = rtl ? box.left() - 2 : box.right() + 1;
            p->fillRect(QRect(x, r.top() + 2, 2, r.height() - 2), Q(GetShadeColor(bar, 70)));
        }
    } else if (current) {
        p->setPen(Q(c.SelectBorder));
        p->drawRect(box.adjusted(0, 0, -1, -1));
    }
    int flags = Qt::AlignCenter | Qt::TextSingleLine;
    flags |= proxy()->styleHint(SH_UnderlineShortcut, item, widget) ? Qt::TextShowMnemonic : Qt::TextHideMnemonic;
    p->setPen(enabled ? FPainter->FontColor() : Q(c.Disabled));
    p->drawText(box, flags, item->text.section(QLatin1Char('\t'), 0, 0));
    p->restore();
}
