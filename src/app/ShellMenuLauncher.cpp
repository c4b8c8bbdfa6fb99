#include "app/ShellMenuLauncher.h"

#include <QUrl>
#include <filesystem>
#include <memory>

#include "app/MailImage.h"
#include "common/CommLib.h"
#include "common/ui/ShellContextMenu.h"
#include "platform/Stream.h"

namespace {

bool StartThroughLauncher(const std::vector<std::string>& command)
{
    if (command.empty()) return false;
    TMailLauncher& launcher = MailLauncher();
    const std::string program =
        command[0].find('/') != std::string::npos ? command[0] : launcher.FindProgram(command[0]);
    if (program.empty()) return false;
    return launcher.StartProcess(program, {command.begin() + 1, command.end()}, nullptr);
}

} // namespace

void InstallShellMenuLauncher(TWindowHandle owner, std::vector<std::string>& tempFiles)
{
    TShellMenuHooks& hooks = ShellMenuHooks();
    hooks.StartProgram = StartThroughLauncher;
    // A failure is reported here, also one that comes once the desktop's handler has ended.
    hooks.OpenUrl = [owner](const QUrl& url) {
        OpenAddress(owner, url.toString().toStdString());
        return true;
    };
    hooks.SendToMail = [owner, &tempFiles](const std::string& path) {
        TMailJob job;
        job.Method = 0;
        job.Name = ExtractFileName(path);
        job.Owner = owner;
        job.SaveCopy = [path](const std::string& dest) {
            std::error_code ec;
            std::filesystem::copy_file(path, dest, std::filesystem::copy_options::overwrite_existing, ec);
            return ec ? std::string() : dest;
        };
        // The message file, for a desktop without a mail composer program, reads the picture.
        std::unique_ptr<TFileStream> jpeg;
        try {
            jpeg = std::make_unique<TFileStream>(path, fmOpenRead);
        } catch (const std::exception&) {
        }
        job.Jpeg = jpeg.get();
        for (const std::string& made : MailImage(job)) tempFiles.push_back(made);
    };
}
