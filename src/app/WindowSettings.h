#pragma once
// The main window's settings as a whole: the preferences, the batch values, the window's place and
// size, the places of its toolbars (the "Toolbars" group), and the picture dialogs' folders.
#include "app/Prefs.h"
#include "controls/ScreenPlace.h" // PlaceOnScreens

class QWidget;
class TSettingsStore;

// The settings group under which the toolbars keep their places.
inline constexpr const char* KToolbarsGroup = "Toolbars";

// Loads the preferences, the toolbar places (when they are kept) and the dialog folders, then places the
// window: maximized when the window size is kept and it was maximized at exit; otherwise (after the first
// run) the stored position and size where they are kept, defaults the window's current ones. A place that
// would leave the window's top edge on no screen is moved onto the nearest screen. Failures propagate.
void LoadWindowSettings(TSettingsStore* settings, QWidget& window, TProgramPrefs& prefs,
                        TBatchProcOptions& batch, TDialogFolders& folders);
// Saves the preferences, the toolbar places (always), the window's maximized state and (only in the normal
// state) its position and size, and the dialog folders. A failure ends the save silently.
void SaveWindowSettings(TSettingsStore* settings, QWidget& window, const TProgramPrefs& prefs,
                        const TBatchProcOptions& batch, const TDialogFolders& folders);
