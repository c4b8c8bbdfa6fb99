#include "app/MenuBarKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>

TMenuBarKeys::TMenuBarKeys(QMainWindow* window) : QObject(window), FWindow(window)
{
    qApp->installEventFilter(this);
}

bool TMenuBarKeys::InWindow(const QObject* watched) const
{
    const auto* widget = qobject_cast<const QWidget*>(watched);
    if (!widget) return false;
    const QWidget* top = widget->window();
    // A floating tool window shares its owner's keys.
    if (top->windowType() == Qt::Tool && top->parentWidget()) top = top->parentWidget()->window();
    return top == FWindow;
}

QAction* TMenuBarKeys::CommandBeforeMenu(const QKeyEvent& key) const
{
    if (!(key.modifiers() & Qt::AltModifier)) return nullptr;
    const QKeySequence pressed(key.keyCombination());
    bool menuKey = false;
    for (const QAction* title : FWindow->menuBar()->actions())
        menuKey |= title->isVisible() && QKeySequence::mnemonic(title->text()) == pressed;
    if (!menuKey) return nullptr;
    for (QAction* command : FWindow->findChildren<QAction*>(Qt::FindDirectChildrenOnly))
        if (command->isEnabled() && command->shortcuts().contains(pressed)) return command;
    return nullptr;
}

bool TMenuBarKeys::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::ShortcutOverride && type != QEvent::KeyPress) || !InWindow(watched)) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (QAction* command = CommandBeforeMenu(*key)) {
        // Claimed before the shortcuts are matched, so the menu bar's key never sees it; the command
        // runs on the key press that follows.
        event->accept();
        if (type == QEvent::KeyPress) command->trigger();
        return true;
    }
    if (type == QEvent::KeyPress && key->key() == Qt::Key_F10 && key->modifiers() == Qt::NoModifier) {
        for (QAction* title : FWindow->menuBar()->actions())
            if (title->isVisible() && title->isEnabled() && title->menu()) {
                FWindow->menuBar()->setActiveAction(title);
                return true;
            }
    }
    return false;
}
