#include "platform/ReplaceFile.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Exceptions.h"
#include "platform/FileKind.h"
#include "platform/Format.h"

void SaveFileReplacing(const std::string& fileName, const void* data, size_t size, std::optional<time_t> modified)
{
    static std::atomic<unsigned> counter{0};
    // A device, pipe or folder under the name is never replaced by a regular file (as root, a rename
    // would swap out a device node such as /dev/null).
    if (const std::string refusal = NotRegularTargetMessage(fileName); !refusal.empty())
        throw EFCreateError(refusal);
    // The mode of a file replaced goes to the new one.
    struct stat target
    {
    };
    ::stat(fileName.c_str(), &target);
    // The temporary name is the target's with a suffix, its name part cut (at a character) so that
    // it stays within the folder's name length limit when the target's name is close to it.
    const size_t slash = fileName.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : slash == 0 ? "/" : fileName.substr(0, slash);
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const size_t nameMax = limit > 0 ? size_t(limit) : 255;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        const std::string suffix = Format(".%d.%u.tmp", int(::getpid()), counter++);
        size_t keep = fileName.size() - nameStart;
        if (keep + suffix.size() > nameMax) {
            keep = nameMax > suffix.size() ? nameMax - suffix.size() : 0;
            while (keep > 0 && (uint8_t(fileName[nameStart + keep]) & 0xC0) == 0x80) --keep;
        }
        temp = fileName.substr(0, nameStart + keep) + suffix;
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0)
        throw EFCreateError(Format("Cannot create file \"%s\". %s", fileName.c_str(), std::strerror(errno)));
    if (target.st_mode != 0) ::fchmod(fd, target.st_mode & 07777);

    const auto* p = static_cast<const uint8_t*>(data);
    size_t left = size;
    bool ok = true;
    int err = 0; // the system's reason when something fails
    const auto failed = [&err] { err = errno; return false; };
    while (ok && left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC; // nothing written and no error: the device is full
        ok = n > 0 || failed();
        if (ok) {
            p += n;
            left -= size_t(n);
        }
    }
    if (ok && modified) {
        timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT; // access time as it is
        times[1].tv_sec = *modified;
        times[1].tv_nsec = 0;
        ok = ::futimens(fd, times) == 0 || failed();
    }
    ok = ok && (::fsync(fd) == 0 || failed());
    ok = (::close(fd) == 0 || (ok && failed())) && ok;
    if (!ok) {
        ::unlink(temp.c_str());
        throw EWriteError(err ? Format("Stream write error. %s", std::strerror(err)) : std::string("Stream write error"));
    }
    if (::rename(temp.c_str(), fileName.c_str()) != 0) {
        err = errno;
        ::unlink(temp.c_str());
        throw EFCreateError(Format("Cannot create file \"%s\". %s", fileName.c_str(), std::strerror(err)));
    }
}
