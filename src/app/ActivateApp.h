#pragma once
// Brings the program's main window to the front (after a second start has handed its files over).
class QWidget;

// Restores the window when it is minimised and asks for it to become the active window; true when
// it is (or has become) the active window. False without a window.
bool ActivateAppWindow(QWidget* mainWindow);
