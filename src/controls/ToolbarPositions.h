#pragma once
// Loading and saving the places of a form's tool windows in a settings group (the main window
// passes its "Toolbars" group): one sub-group per tool window, named by its object name, holding
// "Rev" (3), "Visible", "DockedTo" (a dock's name, "+" when floating, empty when its dock does not
// allow dragging), "LastDock", "DockRow", "DockPos", "FloatLeft" and "FloatTop", then whatever the
// window adds through WritePositionData.
//
// Stored places are not trusted: rows are kept to 0..255 and positions to ±32767, a dock that does
// not exist, does not allow dragging or is not among the window's DockableTo counts as unknown, as
// does "+" for a window that cannot float; a floating place whose caption cannot be reached on any
// screen is moved onto the nearest one. Unknown places leave the window where the form put it.
class QWidget;
class TSettingsStore;

// Every dock of the form arranges once, after all windows are placed. Raises Exception for a tool
// window without a name; the windows placed before it keep their new places.
void LoadToolbarPositions(QWidget* form, TSettingsStore* group);
// Raises Exception for a tool window without a name, or docked to a dock without one.
void SaveToolbarPositions(QWidget* form, TSettingsStore* group);
