#pragma once
// Mailing an image window's compressed result by the EmailMethod preference:
//   0  the desktop's mail composer through the "xdg-email" program, the copy attached (without
//      that program, the message-file route of 1);
//   1  a MIME message file ".eml", 2 the same as ".msg", opened with the desktop's handler;
//   3  a "mailto:" address whose body names the copy, opened with the desktop's handler.
// Starting a program and opening an address go through TMailLauncher, which tests replace;
// OpenAddress is how the program opens an address and says so when nothing could open it.
//
// Copies of the result go to a fresh subfolder of the run's private temporary folder under their
// plain name, so that the recipient sees that name and two mails of one name never meet. The mail
// program reads its attachment after the launch returns, so every file made here is handed back
// to the caller, which keeps it until the program ends (the run's folder goes then too).
#include <functional>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

class TStream;

class TMailLauncher
{
public:
    virtual ~TMailLauncher() = default;
    // The program's full path found on PATH; empty when there is none.
    virtual std::string FindProgram(const std::string& name);
    // Starts the program without waiting for it and without tying it to this process: closing the
    // program does not end it. When it ends within ExitReportMs of its start, onExit runs on the
    // main thread with its exit code (-1 when it died of a signal); a later end is not reported.
    // False when it could not be started.
    virtual bool StartProcess(const std::string& program, const std::vector<std::string>& args,
                              std::function<void(int exitCode)> onExit);
    // Opens the address (or a file's "file:" address) with the desktop's handler: the "xdg-open"
    // program when there is one, else Qt's own way. False when that failed at once; onFailed runs
    // later on the main thread when the handler ends with a failure within ExitReportMs (no program
    // for the address, or one that could not open it).
    virtual bool OpenUrl(const std::string& url, std::function<void()> onFailed);

    // How long a started program's exit answers for the start. The opener and the mail composer
    // fail at once when nothing can do what was asked; where they run a browser or mail program in
    // the foreground, that program's exit hours later says nothing about the start.
    int ExitReportMs = 5000;
};

// The launcher in use (never nullptr); SetMailLauncher(nullptr) restores the desktop one and
// returns the previous launcher.
TMailLauncher& MailLauncher();
TMailLauncher* SetMailLauncher(TMailLauncher* launcher);

struct TMailJob
{
    int Method = 0;            // EmailMethod
    std::string Name;          // the attachment's name: the source's file name with ".jpg"
    // Saves a copy of the result to the path; returns the path actually written ("" for nothing).
    std::function<std::string(const std::string& path)> SaveCopy;
    TStream* Jpeg = nullptr;   // the encoded result, for the message file
    TWindowHandle Owner = nullptr;
};

// Mails the result; failures are shown in boxes ("Cannot create a temporary file to mail image",
// "Unable to send mail"). Returns the temporary files and folders made, files before the folders
// that hold them, for the caller to delete at exit.
std::vector<std::string> MailImage(const TMailJob& job);

// A new folder inside the run's private temporary folder ("<prefix>XXXXXX"), for one copy of a
// result under its plain name. Raises EFCreateError when it cannot be made.
std::string NewCopyFolder(const std::string& prefix);

// Opens the address through the launcher. A failure, found at once or when the handler has ended
// within the launcher's ExitReportMs, shows a warning: the lead line when there is one, "Cannot
// open " with the address (a file's as its path) and the likely reason. A box that comes later has
// no owner: the window may be gone.
void OpenAddress(TWindowHandle owner, const std::string& url, const std::string& lead = std::string());

// The "mailto:" address: subject and the quoted body, both percent-encoded.
std::string MailtoAddress(const std::string& subject, const std::string& body);
