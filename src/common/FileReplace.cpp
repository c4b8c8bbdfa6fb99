#include "common/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Exceptions.h"
#include "platform/Format.h"

namespace {

[[noreturn]] void Fail(const std::string& target, int err)
{
    throw EFCreateError(Format("Cannot create file \"%s\". %s", target.c_str(), std::strerror(err)));
}

mode_t NewFileMode(const std::string& target)
{
    struct stat st{};
    if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

void WriteFileReplacing(const std::string& target, const void* data, size_t size, std::optional<time_t> modified)
{
    std::string temp = target + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) Fail(target, errno);
    int err = 0;
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    while (left > 0 && err == 0) {
        ssize_t n = ::write(fd, p, left);
        if (n > 0) {
            p += n;
            left -= size_t(n);
        } else if (n < 0 && errno != EINTR) {
            err = errno;
        }
    }
    if (err == 0 && ::fchmod(fd, NewFileMode(target)) != 0) err = errno;
    if (err == 0 && modified) {
        timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = *modified;
        times[1].tv_nsec = 0;
        if (::futimens(fd, times) != 0) err = errno;
    }
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && std::rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        Fail(target, err);
    }
}
