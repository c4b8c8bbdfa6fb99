#include "platform/TempFolder.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "platform/Exceptions.h"

namespace {

// mkdtemp under base; empty when that fails.
std::string MakePrivateFolder(const std::string& base)
{
    if (base.empty()) return std::string();
    std::string tmpl = base;
    if (tmpl.back() != '/') tmpl += '/';
    tmpl += "quillmark-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) return std::string();
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(buf.data(), ec);
    return ec ? std::string(buf.data()) : p.lexically_normal().string();
}

} // namespace

TTempFolder::TTempFolder(const std::string& base)
{
    if (!base.empty()) {
        FPath = MakePrivateFolder(base);
    } else {
        const char* env = std::getenv("TMPDIR");
        if (env && *env) FPath = MakePrivateFolder(env);
        if (FPath.empty()) FPath = MakePrivateFolder("/tmp");
    }
    if (FPath.empty())
        throw EFCreateError(std::string("Cannot create a private temporary folder. ") + std::strerror(errno));
    while (FPath.size() > 1 && FPath.back() == '/') FPath.pop_back();
    FOwnerPid = long(::getpid());
}

TTempFolder::~TTempFolder()
{
    // A forked child (a test's death test, a helper process) must not remove the parent's folder.
    if (FPath.empty() || long(::getpid()) != FOwnerPid) return;
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
}

bool TTempFolder::CreateFileExclusive(const std::string& name) const
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        throw EFCreateError("Invalid temporary file name \"" + name + "\"");
    std::string path = FPath + "/" + name;
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == EEXIST) return false;
        throw EFCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
    }
    ::close(fd);
    return true;
}

TTempFolder& RunTempFolder()
{
    static TTempFolder folder;
    return folder;
}
