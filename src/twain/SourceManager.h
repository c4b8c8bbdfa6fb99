#pragma once
// The seam between the acquisition functions and a source manager: a manager is reached through
// one entry with the standard's arguments, and is loaded and unloaded by a loader (the program's
// loader serves SANE devices as sources; tests install a scripted one). Notifications of a source
// (a picture ready, a close request) reach the acquisition's event loop through TwainPostEvent.
#include <memory>

#include "platform/MessageBox.h"
#include "twain/TwainTypes.h"

class ITwainSourceManager
{
public:
    virtual ~ITwainSourceManager() = default;
    // (origin, destination or nullptr for the manager itself, group, type, message, data) -> TWRC_*.
    virtual TW_UINT16 Entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                            TW_UINT16 msg, TW_MEMREF data) = 0;
};

class ITwainManagerLoader
{
public:
    virtual ~ITwainManagerLoader() = default;
    // Loads the manager; nullptr when it is not there. Destroying the manager unloads it.
    virtual std::unique_ptr<ITwainSourceManager> Load() = 0;
};

// The loader the acquisition uses (the program installs one at start; without one no manager
// is available). Not owned.
void SetTwainManagerLoader(ITwainManagerLoader* loader);
ITwainManagerLoader* TwainManagerLoader();

// The windows an acquisition works with, on the GUI's side: whether a handle is a window, and
// disabling the parent while the source's dialog is up. QuitRequested answers whether the program
// or the session is ending, which ends a running acquisition. Without a host installed, every
// non-null handle counts as a window and nothing is disabled.
class ITwainWindowHost
{
public:
    virtual ~ITwainWindowHost() = default;
    virtual bool IsWindow(TWindowHandle window) = 0;
    virtual void EnableWindow(TWindowHandle window, bool enable) = 0;
    virtual bool QuitRequested() = 0;
};
void SetTwainWindowHost(ITwainWindowHost* host);
ITwainWindowHost* TwainWindowHost();

// A notification of a source for the acquisition's event loop. The manager keeps ownership of
// what it posts; the loop offers it to the manager again as the event of MSG_PROCESSEVENT.
struct TTwainEvent
{
    const void* Sender = nullptr; // the manager that posted it
    TW_UINT16 Message = MSG_NULL; // MSG_XFERREADY or MSG_CLOSEDSREQ
};
// Queues an event for the acquisition's event loop and wakes it. Any thread.
void TwainPostEvent(const TTwainEvent& event);
// Takes the oldest queued event (the acquisition's loop); false when none is queued.
bool TwainTakeEvent(TTwainEvent& event);
// Drops every queued event (a new session starts clean).
void TwainClearEvents();
// Waits up to timeoutMs for an event while serving the main thread's calls.
void TwainWaitForEvents(int timeoutMs);
