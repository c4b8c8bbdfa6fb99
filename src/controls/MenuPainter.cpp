#include "controls/MenuPainter.h"

#include <QApplication>
#include <QChildEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <algorithm>

#include "controls/MenuStyle.h"

namespace {

// The painters of the process; the active one lends its look to painted menus made anywhere.
QList<TMenuPainter*>& Painters()
{
    static QList<TMenuPainter*> list;
    return list;
}
TMenuPainter* gActivePainter = nullptr;

TColorRef Ref(const QColor& c) { return RGBRef(c.red(), c.green(), c.blue()); }

bool IsMenuWidget(const QObject* o) { return qobject_cast<const QMenu*>(o) || qobject_cast<const QMenuBar*>(o); }

} // namespace

int TagOf(const QObject* object)
{
    if (!object) return 0;
    const QVariant v = object->property("Tag");
    return v.isValid() ? v.toInt() : 0;
}

TMenuPainter::TMenuPainter(QWidget* form) : QObject(form), FForm(form)
{
    FFont = QApplication::font("QMenu");
    const QPalette pal = form ? form->palette() : QApplication::palette();
    FFontColor = pal.color(QPalette::Active, QPalette::WindowText);
    FColor = FIconBackColor = FMenuBarColor = FSeparatorColor = pal.color(QPalette::Active, QPalette::Button);
    FCheckedColor = FSelectBorderColor = FSelectColor = pal.color(QPalette::Active, QPalette::Highlight);
    FDisabledColor = pal.color(QPalette::Disabled, QPalette::WindowText);
    FSelectFontColor = FFontColor;
    FWindowShaping = QGuiApplication::platformName() == QLatin1String("xcb");
    FStyle = new TMenuStyle(this);
    Painters().append(this);
}

TMenuPainter::~TMenuPainter()
{
    ActivateChildren(false);
    Painters().removeAll(this);
    if (gActivePainter == this) gActivePainter = nullptr;
    ChooseActive();
}

TMenuPainter* TMenuPainter::ActivePainter() { return gActivePainter; }

void TMenuPainter::ChooseActive()
{
    auto eligible = [](TMenuPainter* p) { return p && p->FActive && !p->FDisableSubclassing; };
    if (eligible(gActivePainter)) return;
    gActivePainter = nullptr;
    for (TMenuPainter* p : Painters())
        if (eligible(p)) {
            gActivePainter = p;
            break;
        }
}

void TMenuPainter::SetActive(bool value)
{
    if (value == FActive) return;
    FActive = value;
    ActivateChildren(value);
    ChooseActive();
    RedrawMenuBar();
}

void TMenuPainter::SetFont(const QFont& font)
{
    FFont = font;
    RefreshMenus();
    RedrawMenuBar();
}

void TMenuPainter::SetFontColor(const QColor& colour)
{
    FFontColor = colour;
    FColorsChanged = true;
}

void TMenuPainter::SetColour(QColor& field, const QColor& value)
{
    field = value;
    FColorsChanged = true;
}

void TMenuPainter::SetMenuBarColor(const QColor& c)
{
    SetColour(FMenuBarColor, c);
    RedrawMenuBar();
}

void TMenuPainter::SetUseSystemColors(bool value)
{
    FUseSystemColors = value;
    FColorsChanged = true;
    RedrawMenuBar();
}

void TMenuPainter::SetOverrideOwnerDraw(bool value)
{
    FOverrideOwnerDraw = value;
    if (FActive) ActivateChildren(true);
}

void TMenuPainter::SetFlatMenu(bool value)
{
    FFlatMenu = value;
    RefreshMenus();
}

void TMenuPainter::SetWindowShaping(bool value)
{
    FWindowShaping = value;
    RefreshMenus();
}

void TMenuPainter::SetPaintContainers(TPaintContainers value) { ReplaceKinds(FPaintContainers, value); }

void TMenuPainter::SetPaintControls(TPaintControls value) { ReplaceKinds(FPaintControls, value); }

// While active, everything is released under the old set and taken over again under the new one.
void TMenuPainter::ReplaceKinds(uint32_t& field, uint32_t value)
{
    if (value == field) return;
    if (FActive) ActivateChildren(false);
    field = value;
    if (FActive) ActivateChildren(true);
}

void TMenuPainter::SetDisableSubclassing(bool value)
{
    FDisableSubclassing = value;
    if (gActivePainter == this && value) gActivePainter = nullptr;
    ChooseActive();
}

int TMenuPainter::DisplayDepth() const
{
    if (FDisplayDepth > 0) return FDisplayDepth;
    if (QScreen* screen = QGuiApplication::primaryScreen()) return screen->depth();
    return 24;
}

void TMenuPainter::SetDisplayDepth(int bits)
{
    FDisplayDepth = bits;
    FColorsChanged = true;
}

const TMenuColors& TMenuPainter::WorkingColors()
{
    if (!FColorsChanged) return FColors;
    const QPalette pal = FForm ? FForm->palette() : QApplication::palette();
    TMenuSystemColors sys;
    sys.ButtonFace = Ref(pal.color(QPalette::Active, QPalette::Button));
    sys.ButtonShadow = Ref(pal.color(QPalette::Active, QPalette::Dark));
    sys.Highlight = Ref(pal.color(QPalette::Active, QPalette::Highlight));
    sys.FontColor = Ref(FFontColor);
    TMenuColorSettings s;
    s.Color = Ref(FColor);
    s.IconBackColor = Ref(FIconBackColor);
    s.MenuBarColor = Ref(FMenuBarColor);
    s.CheckedColor = Ref(FCheckedColor);
    s.SeparatorColor = Ref(FSeparatorColor);
    s.SelectBorderColor = Ref(FSelectBorderColor);
    s.SelectColor = Ref(FSelectColor);
    s.DisabledColor = Ref(FDisabledColor);
    s.SelectFontColor = Ref(FSelectFontColor);
    s.UseSystemColors = FUseSystemColors;
    s.UseDimColor = FUseDimColor;
    FColors = SetGlobalColor(s, sys, DisplayDepth());
    FColorsChanged = false;
    FStyle->ClearIconCache();
    return FColors;
}

bool TMenuPainter::Handled(const QWidget* menu) const
{
    return std::any_of(FMenus.begin(), FMenus.end(), [menu](const QPointer<QWidget>& m) { return m == menu; });
}

// The menu bar of the form and the popup menus it owns, directly or through its menus; Qt's own
// menus of edit fields and the like belong to those controls and keep their look.
bool TMenuPainter::Wanted(const QWidget* menu) const
{
    if (!FForm || !IsMenuWidget(menu)) return false;
    bool fromBar = qobject_cast<const QMenuBar*>(menu) != nullptr;
    const QWidget* w = menu->parentWidget();
    // The menu bar's own overflow button holds a menu of the bar's items.
    for (; w && (IsMenuWidget(w) || qobject_cast<const QMenuBar*>(w->parentWidget())); w = w->parentWidget())
        if (qobject_cast<const QMenuBar*>(w)) fromBar = true;
    if (w != FForm) return false;
    return (FPaintControls >> (fromBar ? pcMainMenu : pcPopupMenu)) & 1u;
}

void TMenuPainter::TakeOver(QWidget* menu)
{
    if (!menu || !IsMenuWidget(menu)) return;
    if (!Handled(menu)) {
        FMenus.append(menu);
        menu->installEventFilter(this);
    }
    if (FActive) Apply(menu);
}

void TMenuPainter::Apply(QWidget* menu)
{
    if (menu->style() != FStyle) menu->setStyle(FStyle);
    if (TagOf(menu) != KPlainMenuTag) menu->setFont(FFont);
    if (auto* popup = qobject_cast<QMenu*>(menu)) {
        popup->setContentsMargins(0, 0, ShadowedPopups() ? 2 : 0, ShadowedPopups() ? 2 : 0);
        if (!ShadowedPopups()) popup->clearMask();
    }
    menu->updateGeometry();
    menu->update();
}

void TMenuPainter::Drop(QWidget* menu)
{
    if (menu->style() != FStyle) return;
    menu->setStyle(nullptr);
    menu->setFont(QFont());
    if (auto* popup = qobject_cast<QMenu*>(menu)) {
        popup->setContentsMargins(0, 0, 0, 0);
        popup->clearMask();
    }
    menu->updateGeometry();
    menu->update();
}

void TMenuPainter::ActivateChildren(bool activate)
{
    FMenus.removeAll(QPointer<QWidget>());
    if (!activate) {
        for (const QPointer<QWidget>& m : FMenus) Drop(m);
        return;
    }
    if (FForm && TagOf(FForm) != KPlainMenuTag) {
        FForm->installEventFilter(this);
        const QList<QWidget*> children = FForm->findChildren<QWidget*>();
        for (QWidget* w : children)
            if (Wanted(w)) TakeOver(w);
    }
    for (const QPointer<QWidget>& m : FMenus) Apply(m);
}

void TMenuPainter::RefreshMenus()
{
    if (!FActive) return;
    FMenus.removeAll(QPointer<QWidget>());
    for (const QPointer<QWidget>& m : FMenus) Apply(m);
}

void TMenuPainter::RedrawMenuBar()
{
    FMenus.removeAll(QPointer<QWidget>());
    for (const QPointer<QWidget>& m : FMenus)
        if (qobject_cast<QMenuBar*>(m.data())) {
            m->updateGeometry();
            m->update();
        }
}

bool TMenuPainter::eventFilter(QObject* watched, QEvent* event)
{
    // Menus made later on the form or under its menus (the profile and window lists, sub-menus) are
    // taken over once they are complete widgets.
    if (event->type() == QEvent::ChildPolished && FActive) {
        auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child());
        if (child && !Handled(child) && Wanted(child) && TagOf(FForm) != KPlainMenuTag) TakeOver(child);
    }
    return QObject::eventFilter(watched, event);
}
