#include "controls/ScreenPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <climits>

namespace {

constexpr int KGripWidth = 40;  // visible part of the top edge that lets the user take the window
constexpr int KGripHeight = 20;

long long DistanceSquared(const QRect& a, const QRect& b)
{
    long long dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    long long dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

} // namespace

QList<QRect> AvailableScreens()
{
    QList<QRect> areas;
    for (QScreen* s : QGuiApplication::screens()) areas.push_back(s->availableGeometry());
    return areas;
}

bool GripOnScreens(const QRect& window, const QList<QRect>& screens)
{
    const QRect grip(window.left(), window.top(), window.width(), KGripHeight);
    for (const QRect& s : screens) {
        const QRect seen = grip.intersected(s);
        if (seen.width() >= std::min(KGripWidth, window.width()) && seen.height() >= std::min(KGripHeight, window.height()))
            return true;
    }
    return false;
}

QRect PlaceOnScreens(const QRect& window, const QList<QRect>& screens)
{
    if (screens.isEmpty() || GripOnScreens(window, screens)) return window;
    const QRect* nearest = &screens.front();
    long long best = LLONG_MAX;
    for (const QRect& s : screens) {
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
