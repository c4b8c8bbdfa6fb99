#include "formats/SafeLoad.h"

#include <limits>

#include "platform/Exceptions.h"
#include "platform/Format.h"

namespace safeload {

namespace {
constexpr uint64_t kMaxSize = uint64_t(std::numeric_limits<int64_t>::max());

[[noreturn]] void ShortData() { throw EReadError("Stream read error"); }
} // namespace

void ReadExact(TStream& stream, void* buffer, int64_t count)
{
    if (count < 0) ShortData();
    if (count > 0 && stream.Read(buffer, count) != count) ShortData();
}

uint8_t ReadByte(TStream& stream)
{
    uint8_t b;
    ReadExact(stream, &b, 1);
    return b;
}

uint16_t ReadWordLE(TStream& stream)
{
    uint8_t b[2];
    ReadExact(stream, b, 2);
    return uint16_t(b[0] | (b[1] << 8));
}

uint16_t ReadWordBE(TStream& stream)
{
    uint8_t b[2];
    ReadExact(stream, b, 2);
    return uint16_t((b[0] << 8) | b[1]);
}

uint32_t ReadLongLE(TStream& stream)
{
    uint8_t b[4];
    ReadExact(stream, b, 4);
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

uint32_t ReadLongBE(TStream& stream)
{
    uint8_t b[4];
    ReadExact(stream, b, 4);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
}

void CheckRemaining(TStream& stream, uint64_t count)
{
    int64_t remaining = stream.Remaining();
    if (remaining < 0 || count > uint64_t(remaining)) ShortData();
}

std::vector<uint8_t> ReadBytes(TStream& stream, uint64_t count)
{
    CheckRemaining(stream, count);
    std::vector<uint8_t> data(size_t(count), 0);
    ReadExact(stream, data.data(), int64_t(count));
    return data;
}

uint64_t CheckedMul(uint64_t a, uint64_t b)
{
    if (a != 0 && b > kMaxSize / a)
        throw EOutOfResources(Format("Size %llu x %llu is too large", (unsigned long long)a, (unsigned long long)b));
    return a * b;
}

uint64_t CheckedAdd(uint64_t a, uint64_t b)
{
    if (a > kMaxSize || b > kMaxSize - a)
        throw EOutOfResources(Format("Size %llu + %llu is too large", (unsigned long long)a, (unsigned long long)b));
    return a + b;
}

void PrepareBitmap(TBitmap& bitmap, int64_t width, int64_t height, TPixelFormat format)
{
    TBitmap::CheckSize(width, height, TBitmap::BitsPerPixel(format));
    bitmap.SetSize(0, 0);
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(int(width), int(height));
}

void PadPalette(std::vector<TRGBQuad>& palette, int bitsPerPixel)
{
    if (bitsPerPixel < 1 || bitsPerPixel > 8) {
        palette.clear();
        return;
    }
    palette.resize(size_t(1) << bitsPerPixel, TRGBQuad{});
}

} // namespace safeload
