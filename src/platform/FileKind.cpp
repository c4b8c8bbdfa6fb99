#include "platform/FileKind.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Format.h"

namespace {

TFileKind KindOfMode(mode_t mode)
{
    if (S_ISREG(mode)) return TFileKind::Regular;
    if (S_ISDIR(mode)) return TFileKind::Folder;
    if (S_ISFIFO(mode)) return TFileKind::NamedPipe;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return TFileKind::Device;
    if (S_ISSOCK(mode)) return TFileKind::Socket;
    return TFileKind::Other;
}

std::string MessageFor(const std::string& fileName, TFileKind kind)
{
    const char* what = kind == TFileKind::Folder      ? "a folder"
                       : kind == TFileKind::NamedPipe ? "a named pipe"
                       : kind == TFileKind::Device    ? "a device"
                       : kind == TFileKind::Socket    ? "a socket"
                                                      : nullptr;
    if (kind == TFileKind::Regular || kind == TFileKind::Missing) return std::string();
    return what ? Format("Cannot open file \"%s\". It is %s, not a regular file.", fileName.c_str(), what)
                : Format("Cannot open file \"%s\". It is not a regular file.", fileName.c_str());
}

std::string CreateRefusal(const std::string& fileName)
{
    return Format("Cannot create file \"%s\". It is not a regular file.", fileName.c_str());
}

} // namespace

TFileKind FileKindOf(const std::string& fileName)
{
    struct stat st
    {
    };
    if (fileName.empty() || ::stat(fileName.c_str(), &st) != 0) return TFileKind::Missing;
    return KindOfMode(st.st_mode);
}

std::string NotRegularFileMessage(const std::string& fileName)
{
    return MessageFor(fileName, FileKindOf(fileName));
}

std::string NotRegularTargetMessage(const std::string& fileName)
{
    const TFileKind kind = FileKindOf(fileName);
    return kind == TFileKind::Regular || kind == TFileKind::Missing ? std::string() : CreateRefusal(fileName);
}

int OpenRegularFile(const std::string& fileName, int flags, std::string& message)
{
    // Asked before the open, so that no device is opened at all (some act on being opened), and
    // again of the open file, in case the name changed meanwhile.
    const bool create = (flags & O_CREAT) != 0;
    message = create ? NotRegularTargetMessage(fileName) : NotRegularFileMessage(fileName);
    if (!message.empty()) return -1;
    const int fd = ::open(fileName.c_str(), (flags & ~O_TRUNC) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
    if (fd < 0) return -1;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        message = create ? CreateRefusal(fileName)
                         : MessageFor(fileName, st.st_mode ? KindOfMode(st.st_mode) : TFileKind::Other);
        ::close(fd);
        return -1;
    }
    if ((flags & O_TRUNC) && ::ftruncate(fd, 0) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}
