#include "app/WindowSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <climits>

#include "common/SettingsAccess.h"

namespace {

constexpr int KGripWidth = 40;  // visible part of the top edge that lets the user take the window
constexpr int KGripHeight = 20;

QList<QRect> AvailableScreens()
{
    QList<QRect> areas;
    for (QScreen* s : QGuiApplication::screens()) areas.push_back(s->availableGeometry());
    return areas;
}

long long DistanceSquared(const QRect& a, const QRect& b)
{
    long long dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    long long dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

} // namespace

QRect PlaceOnScreens(const QRect& window, const QList<QRect>& screens)
{
    if (screens.isEmpty()) return window;
    QRect grip(window.left(), window.top(), window.width(), KGripHeight);
    const QRect* nearest = &screens.front();
    long long best = LLONG_MAX;
    for (const QRect& s : screens) {
        QRect seen = grip.intersected(s);
        if (seen.width() >= std::min(KGripWidth, window.width()) && seen.height() >= std::min(KGripHeight, window.height()))
            return window;
        long long d = DistanceSquared(window, s);
        if (d < best) best = d, nearest = &s;
    }
    const QRect& area = *nearest;
    int w = std::min(window.width(), area.width());
    int h = std::min(window.height(), area.height());
    int left = std::clamp(window.left(), area.left(), area.left() + area.width() - w);
    int top = std::clamp(window.top(), area.top(), area.top() + area.height() - h);
    return QRect(left, top, w, h);
}

void LoadWindowSettings(TSettingsStore* s, QWidget& window, TProgramPrefs& prefs, TBatchProcOptions& batch,
                        TDialogFolders& folders)
{
    LoadPreferences(s, prefs, batch);
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

void SaveWindowSettings(TSettingsStore* s, const QWidget& window, const TProgramPrefs& prefs,
                        const TBatchProcOptions& batch, const TDialogFolders& folders)
{
    try {
        SavePreferences(s, prefs, batch);
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
