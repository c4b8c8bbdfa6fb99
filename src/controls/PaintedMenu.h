#pragma once
// The program's menus and menu bars: they take the active painter's look when made and tell the
// look which action each item shows.
#include <QMenu>
#include <QMenuBar>

class TPaintedMenu : public QMenu
{
    Q_OBJECT
public:
    explicit TPaintedMenu(QWidget* parent = nullptr);
    explicit TPaintedMenu(const QString& title, QWidget* parent = nullptr);

    // Sub-menus made by title are painted menus too.
    using QMenu::addMenu;
    QMenu* addMenu(const QString& title);

protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override;
};

class TPaintedMenuBar : public QMenuBar
{
    Q_OBJECT
public:
    explicit TPaintedMenuBar(QWidget* parent = nullptr);

    using QMenuBar::addMenu;
    QMenu* addMenu(const QString& title);

protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override;
};
