#include "workspace/ImageCursors.h"

#include <array>
#include <optional>

namespace {
std::array<std::optional<QCursor>, 8>& Installed()
{
    static std::array<std::optional<QCursor>, 8> cursors;
    return cursors;
}

Qt::CursorShape DefaultShape(int slot)
{
    switch (slot) {
    case 1: return Qt::OpenHandCursor;
    case 2: return Qt::ClosedHandCursor;
    case 3:
    case 4:
    case 5: return Qt::CrossCursor;
    case 6: return Qt::PointingHandCursor;
    case 7: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}
} // namespace

QCursor ImageCursor(int slot)
{
    if (slot >= 0 && slot < 8 && Installed()[size_t(slot)]) return *Installed()[size_t(slot)];
    return QCursor(DefaultShape(slot));
}

void SetImageCursor(int slot, const QCursor& cursor)
{
    if (slot >= 0 && slot < 8) Installed()[size_t(slot)] = cursor;
}
