#pragma once
// Helpers the format graphics share: the content tests' look at a header, and the bitmap pixel
// format the colour manager's target asks for.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <vector>

#include "formats/ColorManager.h"
#include "formats/FormatErrors.h"
#include "formats/SafeLoad.h"
#include "platform/Stream.h"

// Reads `count` header bytes when at least `needed` bytes remain and asks test(header, count); the
// stream's position is restored. False when the bytes are not there or the stream fails.
template <class F> bool PeekHeader(TStream& stream, size_t count, int64_t needed, F&& test)
{
    const int64_t start = stream.Position();
    bool result = false;
    try {
        if (stream.Remaining() >= needed) {
            std::vector<uint8_t> header(count);
            if (stream.Read(header.data(), int64_t(count)) == int64_t(count)) result = test(header.data(), count);
        }
    } catch (const EStreamError&) {
        result = false;
    }
    stream.SetPosition(start);
    return result;
}

// The pixel format of the colour manager's target, or "Invalid color format in <name> file." when
// no bitmap format fits it.
inline TPixelFormat TargetPixelFormat(const TColorManager& cm, const char* shortName)
{
    const auto format = cm.PixelFormatFor(1);
    if (!format) FormatError(InvalidColorFormatText, shortName);
    return *format;
}
