#include "app/WindowSettings.h"

#include <QWidget>
#include <algorithm>

#include "common/SettingsAccess.h"
#include "platform/SettingsStore.h"
#include "controls/ScreenPlace.h"
#include "controls/ToolbarPositions.h"

void LoadWindowSettings(TSettingsStore* s, QWidget& window, TProgramPrefs& prefs, TBatchProcOptions& batch,
                        TDialogFolders& folders)
{
    LoadPreferences(s, prefs, batch);
    if (s && prefs.SaveToolbarsPos) {
        std::unique_ptr<TSettingsStore> toolbars = s->OpenGroup(KToolbarsGroup);
        LoadToolbarPositions(&window, toolbars.get());
    }
    if (prefs.SaveWindowSize && ReadBoolSetting(s, nullptr, "MainFormMaximized", false)) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    } else {
        QRect r(window.pos(), window.size());
        if (prefs.SaveWindowPos && !prefs.FirstRun) {
            r.moveTop(ReadIntSetting(s, nullptr, "MainFormTop", r.top()));
            r.moveLeft(ReadIntSetting(s, nullptr, "MainFormLeft", r.left()));
        }
        if (prefs.SaveWindowSize && !prefs.FirstRun) {
            r.setWidth(std::max(ReadIntSetting(s, nullptr, "MainFormWidth", r.width()), window.minimumWidth()));
            r.setHeight(std::max(ReadIntSetting(s, nullptr, "MainFormHeight", r.height()), window.minimumHeight()));
        }
        r = PlaceOnScreens(r, AvailableScreens());
        window.resize(r.size());
        window.move(r.topLeft());
    }
    LoadDialogFolders(s, folders);
}

void SaveWindowSettings(TSettingsStore* s, QWidget& window, const TProgramPrefs& prefs,
                        const TBatchProcOptions& batch, const TDialogFolders& folders)
{
    try {
        SavePreferences(s, prefs, batch);
        if (s) {
            std::unique_ptr<TSettingsStore> toolbars = s->OpenGroup(KToolbarsGroup);
            SaveToolbarPositions(&window, toolbars.get());
        }
        WriteBoolSetting(s, nullptr, "MainFormMaximized", window.isMaximized());
        if (!(window.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
            WriteIntSetting(s, nullptr, "MainFormTop", window.y());
            WriteIntSetting(s, nullptr, "MainFormLeft", window.x());
            WriteIntSetting(s, nullptr, "MainFormWidth", window.width());
            WriteIntSetting(s, nullptr, "MainFormHeight", window.height());
        }
        SaveDialogFolders(s, folders);
    } catch (...) {
        // Settings that cannot be written must not keep the program from ending.
    }
}
