#include "controls/DockHooks.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSet>
#include <QWidget>
#include <algorithm>
#include <initializer_list>
#include <vector>

namespace {

struct THookRecord
{
    THookProc Proc;
    int RefCount;
    THookEventSet Events;
    bool DesignTime;
};

class THookFilter;

// Per thread: the handlers, the use count of each event source, the filter and the state connection.
struct THookState
{
    std::vector<THookRecord> Records;
    int Uses[4] = {0, 0, 0, 0};
    THookFilter* Filter = nullptr;
    QMetaObject::Connection StateConnection;
    QSet<QObject*> WatchedTopLevels;
};

thread_local THookState GState;
TApplicationIsActiveFn GIsActiveFn = nullptr;

void Deliver(THookEvent event, QObject* window, intptr_t param)
{
    // A handler may register or remove others while it runs: walk a copy and skip removed ones.
    const std::vector<THookRecord> records = GState.Records;
    for (const THookRecord& r : records) {
        if (r.DesignTime || !(r.Events & HookEvents({event}))) continue;
        auto live = std::find_if(GState.Records.begin(), GState.Records.end(), [&](const THookRecord& x) { return x.Proc == r.Proc; });
        if (live != GState.Records.end()) r.Proc(event, window, param);
    }
}

// The application's filter sees each move twice, for the window and for the widget under the
// mouse (tracked or not), and again for each parent an ignored move travels on to: only the first
// widget's copy is reported.
struct TLastMove
{
    quint64 Timestamp = 0;
    QPointF Global;
    bool Valid = false;
} GLastMove;

void MouseMoved(QObject* watched, QMouseEvent* e)
{
    if (!watched->isWidgetType()) return;
    if (GLastMove.Valid && GLastMove.Timestamp == e->timestamp() && GLastMove.Global == e->globalPosition()) return;
    GLastMove = {e->timestamp(), e->globalPosition(), true};
    Deliver(THookEvent::hpMouseMove, watched, 0);
}

class THookFilter : public QObject
{
public:
    // The top-level's end is reported once it has been seen.
    void Watch(QObject* topLevel)
    {
        if (GState.WatchedTopLevels.contains(topLevel)) return;
        GState.WatchedTopLevels.insert(topLevel);
        QObject::connect(topLevel, &QObject::destroyed, this, [](QObject* gone) {
            GState.WatchedTopLevels.remove(gone);
            if (GState.Uses[2] > 0) Deliver(THookEvent::hpWindowDestroyed, gone, 0);
        });
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type t = event->type();
        if (t == QEvent::MouseMove) {
            if (GState.Uses[3] > 0) MouseMoved(watched, static_cast<QMouseEvent*>(event));
            return false;
        }
        if (!watched->isWidgetType() || !static_cast<QWidget*>(watched)->isWindow()) return false;
        if (GState.Uses[2] > 0) Watch(watched);
        if ((t == QEvent::Show || t == QEvent::Hide || t == QEvent::WindowStateChange) && GState.Uses[1] > 0)
            Deliver(THookEvent::hpPosChanged, watched, intptr_t(t));
        return false;
    }
};

void UpdateSources()
{
    auto* app = qApp;
    if (!app) return;
    const bool wantFilter = GState.Uses[1] > 0 || GState.Uses[2] > 0 || GState.Uses[3] > 0;
    if (wantFilter && !GState.Filter) {
        GState.Filter = new THookFilter;
        app->installEventFilter(GState.Filter);
        for (QWidget* w : QApplication::topLevelWidgets()) GState.Filter->Watch(w);
    } else if (wantFilter && GState.Uses[2] > 0) {
        for (QWidget* w : QApplication::topLevelWidgets()) GState.Filter->Watch(w);
    } else if (!wantFilter && GState.Filter) {
        app->removeEventFilter(GState.Filter);
        delete GState.Filter;
        GState.Filter = nullptr;
        GState.WatchedTopLevels.clear();
    }
    const bool wantState = GState.Uses[0] > 0;
    if (wantState && !GState.StateConnection) {
        GState.StateConnection = QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, [](Qt::ApplicationState s) {
            if (GState.Uses[0] > 0) Deliver(THookEvent::hpActivateApp, nullptr, s == Qt::ApplicationActive ? 1 : 0);
        });
    } else if (!wantState && GState.StateConnection) {
        QObject::disconnect(GState.StateConnection);
        GState.StateConnection = {};
    }
}

void ChangeUses(THookEventSet events, int by)
{
    for (int e = 0; e < 4; ++e)
        if (events & (1u << e)) GState.Uses[e] = std::max(0, GState.Uses[e] + by);
    UpdateSources();
}

} // namespace

void InstallHookProc(THookProc handler, THookEventSet events, bool designTime)
{
    auto it = std::find_if(GState.Records.begin(), GState.Records.end(), [&](const THookRecord& r) { return r.Proc == handler; });
    if (it != GState.Records.end()) ++it->RefCount;
    else GState.Records.push_back({handler, 1, events, designTime});
    if (!designTime) ChangeUses(events, +1);
}

void UninstallHookProc(THookProc handler)
{
    auto it = std::find_if(GState.Records.begin(), GState.Records.end(), [&](const THookRecord& r) { return r.Proc == handler; });
    if (it == GState.Records.end()) return;
    const THookEventSet events = it->Events;
    const bool designTime = it->DesignTime;
    if (--it->RefCount == 0) GState.Records.erase(it);
    if (!designTime) ChangeUses(events, -1);
}

bool HookFilterInstalled() { return GState.Filter != nullptr; }

bool ApplicationIsActive()
{
    if (GIsActiveFn) return GIsActiveFn();
    // The state the activation signal reports (the active window itself is set after it).
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

void SetApplicationIsActiveFn(TApplicationIsActiveFn fn) { GIsActiveFn = fn; }
