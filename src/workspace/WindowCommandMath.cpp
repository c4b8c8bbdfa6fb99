#include "workspace/WindowCommandMath.h"

#include <algorithm>

#include "platform/Round.h"

int32_t ZoomInStep(int32_t z)
{
    if (z < 100) {
        const int32_t n = std::max(1, RoundInt(100.0 / z) - 1);
        return RoundInt(100.0 / n);
    }
    return (RoundInt(z * 0.01) + 1) * 100;
}

int32_t ZoomOutStep(int32_t z)
{
    if (z > 100) return std::max(1, RoundInt(z * 0.01) - 1) * 100;
    const int32_t n = std::max(1, RoundInt(100.0 / z) + 1);
    return RoundInt(100.0 / n);
}

namespace {

// The start of part i of `count` over `length`, the remainder going one each to the first parts.
int32_t PartStart(int32_t i, int32_t count, int32_t length)
{
    const int32_t base = length / count, extra = length % count;
    return i * base + std::min(i, extra);
}

} // namespace

std::vector<TRect> TileRows(int32_t count, int32_t areaW, int32_t areaH)
{
    std::vector<TRect> rects;
    for (int32_t i = 0; i < count; ++i)
        rects.push_back(Rect(0, PartStart(i, count, areaH), areaW, PartStart(i + 1, count, areaH)));
    return rects;
}

std::vector<TRect> TileColumns(int32_t count, int32_t areaW, int32_t areaH)
{
    std::vector<TRect> rects;
    for (int32_t i = 0; i < count; ++i)
        rects.push_back(Rect(PartStart(i, count, areaW), 0, PartStart(i + 1, count, areaW), areaH));
    return rects;
}

std::vector<TRect> ArrangeIconRects(int32_t count, int32_t iconW, int32_t iconH, int32_t areaW, int32_t areaH)
{
    std::vector<TRect> rects;
    if (iconW <= 0 || iconH <= 0) return rects;
    const int32_t perRow = std::max(1, areaW / iconW);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t left = (i % perRow) * iconW;
        const int32_t bottom = areaH - (i / perRow) * iconH;
        rects.push_back(Rect(left, bottom - iconH, left + iconW, bottom));
    }
    return rects;
}

int32_t ToggleSizeUnit(int32_t options, TSizeUnitItem item)
{
    switch (item) {
    case TSizeUnitItem::Bytes:
        return options & ~4;
    case TSizeUnitItem::KBytes:
        return options | 4;
    case TSizeUnitItem::Time28k:
        return (options & 8) ? options & ~8 : (options | 8) & ~16;
    case TSizeUnitItem::Time56k:
        return (options & 16) ? options & ~16 : (options | 16) & ~8;
    }
    return options;
}
