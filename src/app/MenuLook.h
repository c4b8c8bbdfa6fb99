#pragma once
// The main window's painted menus and the angled captions of its equalizer panel.
class TMainForm;
class TMenuPainter;

// Gives the main window its menu painter (owned by the window, active) and the equalizer captions;
// call once its menus and panels exist.
void SetUpMenuLook(TMainForm& form);
// The main window's menu painter (none before SetUpMenuLook).
TMenuPainter* MenuPainterOf(const TMainForm& form);
