#include "common/HandOver.h"

#include "common/CommLib.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr const char* KSocketName = "quillmark-instance";

class TFd
{
public:
    explicit TFd(int fd) : FFd(fd) {}
    ~TFd()
    {
        if (FFd >= 0) ::close(FFd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return FFd; }

private:
    int FFd;
};

bool MakeAddress(const std::string& path, sockaddr_un& addr)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.data(), path.size());
    return true;
}

bool IsPrivateFolder(const std::string& dir)
{
    struct stat st{};
    return ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

using TClock = std::chrono::steady_clock;

int RemainingMs(TClock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Waits for events on fd until the deadline; false on timeout or error.
bool WaitFor(int fd, short events, TClock::time_point deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        int r = ::poll(&p, 1, RemainingMs(deadline));
        if (r > 0) return (p.revents & (events | POLLHUP)) != 0;
        if (r == 0) return false;
        if (errno != EINTR) return false;
    }
}

enum class TConnect { Connected, NoListener, Failed };

// A non-blocking connection to path.
TConnect Connect(const std::string& path, int& fdOut)
{
    sockaddr_un addr;
    if (!MakeAddress(path, addr)) return TConnect::NoListener;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return TConnect::Failed;
    fdOut = fd;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return TConnect::Connected;
    if (errno == ECONNREFUSED || errno == ENOENT || errno == ENOTDIR) return TConnect::NoListener;
    // A local socket whose backlog is full: EAGAIN; treat as a listener that does not answer.
    return TConnect::Failed;
}

bool PeerIsThisUser(int fd)
{
    ucred cred{};
    socklen_t len = sizeof cred;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) == 0 && cred.uid == ::getuid();
}

bool StartsWith5(const std::string& s, const char* prefix) { return s.compare(0, 5, prefix) == 0; }

} // namespace

std::string InstanceSocketPath(const std::string& fallbackParent)
{
    sockaddr_un probe;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        std::string path = std::string(runtime) + "/" + KSocketName;
        if (IsPrivateFolder(runtime) && path.size() < sizeof probe.sun_path) return path;
    }
    std::string dir = fallbackParent + "/quillmark-" + std::to_string(::getuid());
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return dir + "/instance";
    // A folder of that name that is not ours (or open to others) is not used for the socket:
    // the path then names nothing we listen on or connect to.
    if (!IsPrivateFolder(dir)) return std::string();
    return dir + "/instance";
}

std::string BuildHandOverText(const std::vector<std::string>& params, const std::string& folder)
{
    std::string text;
    for (const std::string& p : params) {
        if (p.empty() || p[0] == '/' || StartsWith5(p, "http:") || StartsWith5(p, "file:") || IsSchemeAddress(p))
            text += p;
        else
            text += folder + (folder.empty() || folder.back() == '/' ? "" : "/") + p;
        text += "\r\n";
    }
    return text;
}

bool ForwardToRunningInstance(const std::vector<std::string>& params, const std::string& socketPath, int timeoutMs)
{
    if (params.empty()) return false;
    char cwd[4096];
    std::string folder = ::getcwd(cwd, sizeof cwd) ? cwd : "";
    std::string text = BuildHandOverText(params, folder);
    if (text.empty() || text.size() > KMaxHandOverChars) return false;
    text += KHandOverEnd;

    auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    int raw = -1;
    TConnect c = Connect(socketPath, raw);
    TFd fd(raw);
    if (c == TConnect::NoListener || raw < 0) return false;
    if (c == TConnect::Failed) {
        if (errno != EINPROGRESS) return false; // e.g. a full backlog: a listener that does not answer
        if (!WaitFor(fd.Get(), POLLOUT, deadline)) return false;
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) return false;
    }
    if (!PeerIsThisUser(fd.Get())) return false;

    size_t sent = 0;
    while (sent < text.size()) {
        ssize_t n = ::send(fd.Get(), text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += size_t(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!WaitFor(fd.Get(), POLLOUT, deadline)) return false;
        } else {
            return false;
        }
    }
    for (;;) {
        char receipt = 0;
        ssize_t n = ::recv(fd.Get(), &receipt, 1, 0);
        if (n == 1) return receipt == KHandOverReceipt;
        if (n == 0) return false; // closed without a receipt
        if (errno == EINTR) continue;
        if (errno != EAGAIN || !WaitFor(fd.Get(), POLLIN, deadline)) return false;
    }
}

bool ForwardToRunningInstance(const std::vector<std::string>& params)
{
    return ForwardToRunningInstance(params, InstanceSocketPath());
}

bool ClearStaleInstanceSocket(const std::string& socketPath)
{
    struct stat st{};
    if (::lstat(socketPath.c_str(), &st) != 0) return errno == ENOENT;
    if (!S_ISSOCK(st.st_mode)) return false; // not ours to remove
    int raw = -1;
    TConnect c = Connect(socketPath, raw);
    TFd fd(raw);
    if (c != TConnect::NoListener) return false;
    return ::unlink(socketPath.c_str()) == 0 || errno == ENOENT;
}
