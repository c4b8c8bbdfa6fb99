#include "platform/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Exceptions.h"
#include "platform/FileKind.h"
#include "platform/Format.h"

int64_t TStream::Size()
{
    int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count < 0 || (count != 0 && Read(buffer, count) != count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    if (count < 0 || (count != 0 && Write(buffer, count) != count)) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count < 0) throw EReadError("Stream read error");
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    int64_t total = count;
    std::vector<uint8_t> buf(size_t(std::min<int64_t>(count, 1 << 20)));
    while (count > 0) {
        int64_t n = std::min<int64_t>(count, int64_t(buf.size()));
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        count -= n;
    }
    return total;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count)
{
    if (count <= 0 || FPosition >= int64_t(FData.size())) return 0;
    int64_t n = std::min<int64_t>(count, int64_t(FData.size()) - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, size_t(n));
    FPosition += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0 || count > INT64_MAX - FPosition) return 0;
    int64_t end = FPosition + count;
    if (end > int64_t(FData.size())) FData.resize(size_t(end));
    std::memcpy(FData.data() + FPosition, buffer, size_t(count));
    FPosition = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = origin == TSeekOrigin::soBeginning ? 0
                 : origin == TSeekOrigin::soCurrent   ? FPosition
                                                      : int64_t(FData.size());
    int64_t pos;
    // A hostile offset must not overflow: the position saturates at the ends of the range.
    if (__builtin_add_overflow(base, offset, &pos)) pos = offset > 0 ? INT64_MAX : 0;
    if (pos < 0) pos = 0;
    FPosition = pos;
    return FPosition;
}

void TMemoryStream::SetSize(int64_t size)
{
    if (size < 0) size = 0;
    FData.resize(size_t(size));
    if (FPosition > size) FPosition = size;
}

void TMemoryStream::Clear()
{
    std::vector<uint8_t>().swap(FData);
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    source.SetPosition(0);
    int64_t size = source.Size();
    std::vector<uint8_t> data(size_t(std::max<int64_t>(size, 0)));
    source.ReadBuffer(data.data(), int64_t(data.size()));
    FData = std::move(data);
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    TFileStream f(fileName, fmOpenRead);
    LoadFromStream(f);
}

void TMemoryStream::SaveToStream(TStream& dest) { dest.WriteBuffer(FData.data(), int64_t(FData.size())); }

void TMemoryStream::SaveToFile(const std::string& fileName)
{
    TFileStream f(fileName, fmCreate);
    SaveToStream(f);
}

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : FFileName(fileName)
{
    // Only a regular file is opened, read or written, and without waiting: a named pipe or a device
    // could hold the caller for good, or take what was meant for a file.
    std::string refusal;
    if ((mode & fmCreate) == fmCreate) {
        FHandle = OpenRegularFile(fileName, O_RDWR | O_CREAT | O_TRUNC, refusal);
        if (!refusal.empty()) throw EFCreateError(refusal);
        if (FHandle < 0)
            throw EFCreateError(Format("Cannot create file \"%s\". %s", fileName.c_str(), std::strerror(errno)));
        return;
    }
    int flags = (mode & 3) == fmOpenWrite ? O_WRONLY : (mode & 3) == fmOpenReadWrite ? O_RDWR : O_RDONLY;
    FHandle = OpenRegularFile(fileName, flags, refusal);
    if (!refusal.empty()) throw EFOpenError(refusal);
    if (FHandle < 0)
        throw EFOpenError(Format("Cannot open file \"%s\". %s", fileName.c_str(), std::strerror(errno)));
}

TFileStream::~TFileStream()
{
    if (FHandle >= 0) ::close(FHandle);
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    int64_t total = 0;
    auto* p = static_cast<uint8_t*>(buffer);
    while (total < count) {
        ssize_t n = ::read(FHandle, p + total, size_t(std::min<int64_t>(count - total, 1 << 30)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += n;
    }
    return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count)
{
    int64_t total = 0;
    auto* p = static_cast<const uint8_t*>(buffer);
    while (total < count) {
        ssize_t n = ::write(FHandle, p + total, size_t(std::min<int64_t>(count - total, 1 << 30)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += n;
    }
    return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(FHandle, off_t(offset), whence);
    return r < 0 ? -1 : int64_t(r);
}

void TFileStream::SetSize(int64_t size)
{
    if (::ftruncate(FHandle, off_t(size)) != 0) throw EWriteError("Stream write error");
}
