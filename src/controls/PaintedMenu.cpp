#include "controls/PaintedMenu.h"

#include <QStyleOptionMenuItem>

#include "controls/MenuPainter.h"
#include "controls/MenuStyle.h"

namespace {

void TakeActiveLook(QWidget* menu)
{
    if (TMenuPainter* painter = TMenuPainter::ActivePainter()) painter->TakeOver(menu);
}

void Note(const QWidget* menu, const QAction* action)
{
    if (auto* style = qobject_cast<const TMenuStyle*>(menu->style())) style->NoteAction(menu, action);
}

} // namespace

TPaintedMenu::TPaintedMenu(QWidget* parent) : QMenu(parent) { TakeActiveLook(this); }

TPaintedMenu::TPaintedMenu(const QString& title, QWidget* parent) : QMenu(title, parent) { TakeActiveLook(this); }

QMenu* TPaintedMenu::addMenu(const QString& title)
{
    auto* menu = new TPaintedMenu(title, this);
    QMenu::addMenu(menu);
    return menu;
}

void TPaintedMenu::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const
{
    QMenu::initStyleOption(option, action);
    Note(this, action);
}

TPaintedMenuBar::TPaintedMenuBar(QWidget* parent) : QMenuBar(parent) { TakeActiveLook(this); }

QMenu* TPaintedMenuBar::addMenu(const QString& title)
{
    auto* menu = new TPaintedMenu(title, this);
    QMenuBar::addMenu(menu);
    return menu;
}

void TPaintedMenuBar::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const
{
    QMenuBar::initStyleOption(option, action);
    Note(this, action);
}
