#pragma once
// A few window events fanned out to every handler that asked for them, for the tool windows and
// their buttons. Registrations are per thread and counted: registering the same handler again only
// raises its count, and it runs until it has been removed as often. One event filter sits on the
// application while a registration needs it; application activation comes from the application's
// state signal.
//
//   0 application activation   Window nullptr, Param 1 when the application became active, else 0
//   1 a top-level's visibility  Window the top-level, Param the QEvent type (Show, Hide, WindowStateChange)
//   2 a top-level destroyed     Window the destroyed object: compare the pointer, never use it
//   3 mouse move                Window the widget under the mouse (one of ours, tracked or not)
#include <cstddef>
#include <cstdint>
#include <initializer_list>

class QObject;

enum class THookEvent : uint8_t { hpActivateApp = 0, hpPosChanged = 1, hpWindowDestroyed = 2, hpMouseMove = 3 };
using THookEventSet = uint8_t; // bit (1 << event)

constexpr THookEventSet HookEvents(std::initializer_list<THookEvent> events)
{
    THookEventSet s = 0;
    for (THookEvent e : events) s |= THookEventSet(1u << unsigned(e));
    return s;
}

using THookProc = void (*)(THookEvent event, QObject* window, intptr_t param);

// With designTime the handler is only registered: no events reach it.
void InstallHookProc(THookProc handler, THookEventSet events, bool designTime);
void UninstallHookProc(THookProc handler);
// Whether the application's event filter is in place (for tests).
bool HookFilterInstalled();

// Whether one of the application's windows is active. Tests may replace the answer.
bool ApplicationIsActive();
using TApplicationIsActiveFn = bool (*)();
void SetApplicationIsActiveFn(TApplicationIsActiveFn fn); // nullptr restores the real answer
