#include "formats/FormatHelpers.h"

#include <algorithm>
#include <cstdarg>

#include "formats/FormatErrors.h"
#include "platform/Exceptions.h"
#include "platform/Format.h"

void FormatError(const std::string& message) { throw EInvalidGraphic(message); }

void FormatError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    throw EInvalidGraphic(text);
}

void SwapShort(uint16_t* values, size_t count)
{
    for (size_t i = 0; i < count; ++i) values[i] = uint16_t((values[i] >> 8) | (values[i] << 8));
}

uint32_t SwapLong(uint32_t value) { return __builtin_bswap32(value); }

void SwapLong(uint32_t* values, size_t count)
{
    for (size_t i = 0; i < count; ++i) values[i] = __builtin_bswap32(values[i]);
}

void Upsample(int width, int height, int scanLength, uint8_t* buffer, size_t bufferSize)
{
    if (width <= 0 || height <= 0) return;
    const size_t w = size_t(width), h = size_t(height), scan = size_t(scanLength);
    if (scanLength < 0 || scan < 2 * w || (2 * h - 1) * scan + 2 * w > bufferSize)
        throw EInvalidGraphicOperation("Upsampling buffer too small");
    // Widen every row into its doubled place, last row first so nothing is overwritten unread.
    for (size_t y = h; y-- > 0;) {
        const uint8_t* s = buffer + y * scan;
        uint8_t* d = buffer + 2 * y * scan;
        uint8_t last = s[w - 1];
        d[2 * w - 1] = last;
        d[2 * w - 2] = last;
        for (size_t i = w - 1; i-- > 0;) {
            unsigned a = s[i], b = s[i + 1];
            d[2 * i + 1] = uint8_t((a + b + 1) / 2);
            d[2 * i] = uint8_t(a);
        }
    }
    // Rows between two widened rows.
    for (size_t y = 0; y + 1 < h; ++y) {
        const uint8_t* above = buffer + 2 * y * scan;
        const uint8_t* below = above + 2 * scan;
        uint8_t* d = buffer + (2 * y + 1) * scan;
        for (size_t k = 0; k + 1 < w; ++k) {
            d[2 * k] = uint8_t((above[2 * k] + below[2 * k] + 1) / 2);
            d[2 * k + 1] = uint8_t((above[2 * k] + above[2 * k + 2] + below[2 * k] + below[2 * k + 2] + 2) / 4);
        }
        const size_t k = w - 1;
        d[2 * k] = uint8_t((above[2 * k] + below[2 * k] + 1) / 2);
        d[2 * k + 1] = uint8_t((above[2 * k + 1] + below[2 * k] + 1) / 2);
    }
    uint8_t* lastRow = buffer + (2 * h - 1) * scan;
    const uint8_t* prev = lastRow - scan;
    for (size_t i = 0; i < 2 * w; ++i) lastRow[i] = prev[i];
}

namespace {
// The running sums of the N samples of a pixel kept apart, so the adds of one pixel do not wait on
// each other.
template <size_t N> void HorizontalPredictorN(uint8_t* row, size_t end)
{
    uint8_t sum[N];
    for (size_t k = 0; k < N; ++k) sum[k] = row[k];
    size_t i = N;
    for (; i + N <= end; i += N)
        for (size_t k = 0; k < N; ++k) row[i + k] = sum[k] = uint8_t(sum[k] + row[i + k]);
    for (; i < end; ++i) row[i] = uint8_t(row[i] + row[i - N]);
}
} // namespace

void HorizontalPredictor(uint8_t* row, size_t rowBytes, int width, size_t samples)
{
    if (width <= 1) return;
    size_t end = size_t(width) * samples;
    if (end > rowBytes) end = rowBytes;
    switch (samples) {
    case 1: HorizontalPredictorN<1>(row, end); return;
    case 3: HorizontalPredictorN<3>(row, end); return;
    case 4: HorizontalPredictorN<4>(row, end); return;
    default:
        for (size_t i = samples; i < end; ++i) row[i] = uint8_t(row[i] + row[i - samples]);
    }
}

void UndoHorizontalPredictor(uint8_t* row, size_t rowBytes, int width, size_t samples, unsigned bits, bool bigEndian)
{
    if (bits == 8) HorizontalPredictor(row, rowBytes, width, samples);
    if (bits != 16 || width <= 1) return;
    const size_t end = std::min(rowBytes / 2, size_t(width) * samples);
    auto get = [&](size_t i) {
        return bigEndian ? uint16_t(row[2 * i] << 8 | row[2 * i + 1]) : uint16_t(row[2 * i] | row[2 * i + 1] << 8);
    };
    for (size_t i = samples; i < end; ++i) {
        const uint16_t v = uint16_t(get(i) + get(i - samples));
        row[2 * i] = uint8_t(bigEndian ? v >> 8 : v);
        row[2 * i + 1] = uint8_t(bigEndian ? v : v >> 8);
    }
}

void HorizontalPredictor1(uint8_t* row, size_t rowBytes, int width) { HorizontalPredictor(row, rowBytes, width, 1); }
void HorizontalPredictor3(uint8_t* row, size_t rowBytes, int width) { HorizontalPredictor(row, rowBytes, width, 3); }
void HorizontalPredictor4(uint8_t* row, size_t rowBytes, int width) { HorizontalPredictor(row, rowBytes, width, 4); }
