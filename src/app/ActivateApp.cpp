#include "app/ActivateApp.h"

#include <QWidget>

bool ActivateAppWindow(QWidget* mainWindow)
{
    if (!mainWindow) return false;
    if (mainWindow->isMinimized()) mainWindow->setWindowState(mainWindow->windowState() & ~Qt::WindowMinimized);
    if (!mainWindow->isVisible()) mainWindow->show();
    if (mainWindow->isActiveWindow()) return true;
    mainWindow->raise();
    mainWindow->activateWindow();
    return mainWindow->isActiveWindow();
}
