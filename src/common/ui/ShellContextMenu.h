#pragma once
// The file-actions menu: for one file, a pop-up menu at the mouse with the desktop's actions on it
// ("&Open", "Open &With", "Send &To" > "Mail Recipient", "&Copy", "Copy &Path", "Show in &Folder",
// "P&roperties"). Every program start and every address opened goes through the hooks, which the
// program points at its launcher.
#include <functional>
#include <string>
#include <vector>

#include "common/ui/DesktopApps.h"

class QMenu;
class QUrl;
class QWidget;
struct TFileProperties;

struct TShellMenuHooks
{
    // Starts command[0] with the other elements as its arguments, detached, without a shell.
    std::function<bool(const std::vector<std::string>& command)> StartProgram;
    // Opens the address with the desktop's handler; false when it could not (the menu then says so).
    // A hook that reports failures itself answers true.
    std::function<bool(const QUrl& url)> OpenUrl;
    // Mails the file as an attachment.
    std::function<void(const std::string& path)> SendToMail;
    // Shows the properties box.
    std::function<void(QWidget* owner, const TFileProperties& props)> ShowProperties;
    // Where the programs of "Open With" are looked up.
    TXdgFolders Folders = TXdgFolders::FromEnvironment();
};

// The hooks in use; unset members fall back to the desktop's own ways (QProcess::startDetached,
// QDesktopServices, "xdg-email --attach", the properties box).
TShellMenuHooks& ShellMenuHooks();

// The file's name as stored on disk (the letter case found there), or "" when there is no file.
std::string GetShellItemForPath(const std::string& path);

// The menu for the file, built and filled but not shown; the caller owns it. "&Open" is the
// default item; "Open &With" is disabled when no program is associated with the file's type.
QMenu* BuildShellContextMenu(QWidget* owner, const std::string& item);

// Shows the menu at the mouse and runs the chosen item; Esc runs nothing.
void TrackShellContextMenu(QWidget* owner, const std::string& item);

// The menu for path; a path that names no file shows nothing, and no message.
void ShowShellContextMenu(QWidget* owner, const std::string& path);
