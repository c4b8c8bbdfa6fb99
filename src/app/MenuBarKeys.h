#pragma once
// The keys of a main window's menu bar beside its commands. A command's shortcut comes before a
// menu title's Alt key: Alt+V runs the enabled command that has Alt+V even though a title is
// underlined with V; the title's Alt key opens its menu only while no enabled command takes it.
// F10 opens the first menu, and the arrows walk from there to every other one, so each menu stays
// reachable from the keyboard.
#include <QObject>

class QAction;
class QKeyEvent;
class QMainWindow;
class QWidget;

class TMenuBarKeys : public QObject
{
  public:
    // Watches the application's keys for window (and its floating tool windows); a child of window.
    explicit TMenuBarKeys(QMainWindow* window);

    // The enabled command of the window that a key reaches before the menu bar, if any.
    QAction* CommandBeforeMenu(const QKeyEvent& key) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool InWindow(const QObject* watched) const;

    QMainWindow* FWindow;
};
