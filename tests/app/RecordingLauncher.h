#pragma once
// Records what the program asks of the desktop (programs started, addresses opened) instead of doing it.
#include <functional>
#include <string>
#include <vector>

#include "app/MailImage.h"

namespace testkit {

class TRecordingLauncher : public TMailLauncher
{
  public:
    std::string Composer = "/usr/bin/xdg-email"; // "" = not installed
    bool StartSucceeds = true;
    bool OpenSucceeds = true;
    std::string Program;
    std::vector<std::string> Args;
    std::vector<std::string> Urls;
    std::function<void(int)> OnExit;
    std::function<void()> OnOpenFailed; // the last address's: what its handler's failure runs

    std::string FindProgram(const std::string& name) override { return name == "xdg-email" ? Composer : ""; }
    bool StartProcess(const std::string& program, const std::vector<std::string>& args,
                      std::function<void(int)> onExit) override
    {
        Program = program;
        Args = args;
        OnExit = std::move(onExit);
        return StartSucceeds;
    }
    bool OpenUrl(const std::string& url, std::function<void()> onFailed) override
    {
        Urls.push_back(url);
        OnOpenFailed = std::move(onFailed);
        return OpenSucceeds;
    }
};

// Uses the launcher while it exists.
class TScopedLauncher
{
  public:
    explicit TScopedLauncher(TMailLauncher* launcher) : FPrevious(SetMailLauncher(launcher)) {}
    ~TScopedLauncher() { SetMailLauncher(FPrevious); }
    TScopedLauncher(const TScopedLauncher&) = delete;
    TScopedLauncher& operator=(const TScopedLauncher&) = delete;

  private:
    TMailLauncher* FPrevious;
};

} // namespace testkit
