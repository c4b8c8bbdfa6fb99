#include "app/MailImage.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <cerrno>
#include <filesystem>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/CommLib.h"
#include "common/MimeMessage.h"
#include "common/StrRes.h"
#include "platform/Exceptions.h"
#include "platform/Stream.h"
#include "platform/TempFolder.h"

extern char** environ;

namespace {

constexpr int KExitPollMs = 250;

TMailLauncher gDesktopLauncher;
TMailLauncher* gLauncher = nullptr;

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// Watches a started child until it ends, then reports its exit code unless it was seen running
// reportMs after its start: a main thread held for a while still reports an exit that came at once.
// The watch stops with the application; the child goes on.
void WatchChild(pid_t pid, int reportMs, std::function<void(int)> onExit)
{
    auto* timer = new QTimer;
    QElapsedTimer started;
    started.start();
    auto poll = [timer, pid, onExit, started, reportMs, late = false]() mutable {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == 0) {
            late = late || started.elapsed() >= reportMs;
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (!onExit || late) return;
        if (r < 0) onExit(-1);
        else onExit(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    };
    QObject::connect(timer, &QTimer::timeout, timer, poll);
    timer->start(KExitPollMs);
}

// Saves the copy into a fresh folder; the written path, or "" after the warning. made receives
// what was created.
std::string SaveMailCopy(const TMailJob& job, std::vector<std::string>& made)
{
    std::string written;
    try {
        const std::string folder = NewCopyFolder("mail");
        made.push_back(folder);
        if (job.SaveCopy) written = job.SaveCopy(folder + "/" + job.Name);
    } catch (const std::exception&) {
        written.clear();
    }
    if (!FileExists(written)) {
        ShowWarning(job.Owner, SCannotCreateMailTempFile);
        return std::string();
    }
    made.insert(made.end() - 1, written); // the file before its folder
    return written;
}

void MailMessageFile(const TMailJob& job, const char* ext, std::vector<std::string>& made)
{
    if (!job.Jpeg || job.Jpeg->Size() <= 0) return;
    std::string path;
    try {
        path = GetTempFileWithExt(ext);
        WriteMimeMessageFile(path, *job.Jpeg, job.Name);
    } catch (const std::exception&) {
        if (!path.empty()) {
            std::error_code ec;
            std::filesystem::remove(path, ec);
        }
        ShowWarning(job.Owner, SCannotCreateMailTempFile);
        return;
    }
    made.push_back(path);
    OpenAddress(job.Owner, QUrl::fromLocalFile(QString::fromStdString(path)).toString().toStdString(),
                SUnableToSendMail);
}

} // namespace

std::string NewCopyFolder(const std::string& prefix)
{
    std::string pattern = RunTempFolder().Path() + "/" + prefix + "XXXXXX";
    if (!mkdtemp(pattern.data())) throw EFCreateError("Cannot create a folder for a copy of the result");
    return pattern;
}

std::string TMailLauncher::FindProgram(const std::string& name)
{
    return QStandardPaths::findExecutable(QString::fromStdString(name)).toStdString();
}

bool TMailLauncher::StartProcess(const std::string& program, const std::vector<std::string>& args,
                                 std::function<void(int)> onExit)
{
    std::vector<std::string> argStore;
    argStore.push_back(program);
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStore) argv.push_back(a.data());
    argv.push_back(nullptr);

    // A process group of its own: a terminal's interrupt meant for this program leaves it alone.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) return false;
    WatchChild(pid, ExitReportMs, std::move(onExit));
    return true;
}

bool TMailLauncher::OpenUrl(const std::string& url, std::function<void()> onFailed)
{
    // Qt's own way starts the same program but forgets it: a desktop without a browser or mail
    // program would show nothing at all.
    const std::string opener = FindProgram("xdg-open");
    if (opener.empty()) return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
    return StartProcess(opener, {url}, [onFailed](int exitCode) {
        if (exitCode != 0 && onFailed) onFailed();
    });
}

void OpenAddress(TWindowHandle owner, const std::string& url, const std::string& lead)
{
    // As a person reads it: a file as its path, an address without its percent escapes.
    const QUrl address(QString::fromStdString(url));
    const QString shown = address.isLocalFile() ? address.toLocalFile()
                                                : QUrl::fromPercentEncoding(QByteArray::fromStdString(url));
    const std::string text = (lead.empty() ? std::string() : lead + "\r\n") + SCannotOpenFile +
                             shown.toStdString() + "\r\n" + SNoProgramCouldOpen;
    if (!MailLauncher().OpenUrl(url, [text] { ShowWarning(nullptr, text); })) ShowWarning(owner, text);
}

TMailLauncher& MailLauncher() { return gLauncher ? *gLauncher : gDesktopLauncher; }

TMailLauncher* SetMailLauncher(TMailLauncher* launcher)
{
    TMailLauncher* previous = gLauncher;
    gLauncher = launcher;
    return previous;
}

std::string MailtoAddress(const std::string& subject, const std::string& body)
{
    const auto encode = [](const std::string& s) {
        return QUrl::toPercentEncoding(QString::fromStdString(s)).toStdString();
    };
    return "mailto:?subject=" + encode(subject) + "&body=" + encode("\"" + body + "\"");
}

std::vector<std::string> MailImage(const TMailJob& job)
{
    std::vector<std::string> made;
    TMailLauncher& launcher = MailLauncher();
    switch (job.Method) {
    case 0: {
        const std::string composer = launcher.FindProgram("xdg-email");
        if (composer.empty()) {
            MailMessageFile(job, ".eml", made);
            break;
        }
        const std::string copy = SaveMailCopy(job, made);
        if (copy.empty()) break;
        const std::string note = std::string(SMailNoteText) + SMakerWebAddress;
        // The composer reports a few seconds later at most; this window may be gone by then, so
        // its box has no owner.
        const bool started = launcher.StartProcess(
            composer, {"--utf8", "--subject", job.Name, "--body", note, "--attach", copy},
            [](int exitCode) {
                if (exitCode != 0) ShowWarning(nullptr, SUnableToSendMail);
            });
        if (!started) ShowWarning(job.Owner, SUnableToSendMail);
        break;
    }
    case 1:
    case 2:
        MailMessageFile(job, job.Method == 1 ? ".eml" : ".msg", made);
        break;
    case 3: {
        const std::string copy = SaveMailCopy(job, made);
        if (copy.empty()) break;
        OpenAddress(job.Owner, MailtoAddress(job.Name, copy), SUnableToSendMail);
        break;
    }
    default:
        break;
    }
    return made;
}
