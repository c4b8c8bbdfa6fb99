#include "common/EnhClasses.h"

#include <cstring>
#include <string>

#include "platform/Exceptions.h"

TEnhList::TEnhList(int itemSize) : FItemSize(itemSize)
{
    if (itemSize <= 0) throw EListError("Invalid record size");
}

TEnhList::~TEnhList()
{
    // A callback must not throw out of a destructor; the owner's callbacks only free memory.
    try {
        Clear();
    } catch (...) {
    }
}

void TEnhList::Grow()
{
    int64_t delta = FCapacity > 64 ? FCapacity / 4 : FCapacity > 8 ? 16 : 4;
    int64_t grown = int64_t(FCapacity) + delta;
    if (grown > INT32_MAX) throw EListError("List capacity out of bounds (" + std::to_string(grown) + ")");
    SetCapacity(int(grown));
}

void TEnhList::GrowForAdd()
{
    Grow();
    // A descendant's Grow that adds no room must not let Add write past the block.
    if (FCount >= FCapacity) throw EListError("List capacity out of bounds (" + std::to_string(FCapacity) + ")");
}

int TEnhList::Add(const void* record)
{
    if (FCount == FCapacity) {
        // The record may be one of our own: growing moves the block, so keep a copy first.
        const auto* p = static_cast<const uint8_t*>(record);
        if (!FData.empty() && p >= FData.data() && p < FData.data() + FData.size()) {
            std::vector<uint8_t> copy(p, p + FItemSize);
            GrowForAdd();
            std::memcpy(Items(FCount), copy.data(), size_t(FItemSize));
            return FCount++;
        }
        GrowForAdd();
    }
    std::memcpy(Items(FCount), record, size_t(FItemSize));
    return FCount++;
}

void TEnhList::Delete(int index)
{
    if (index < 0 || index >= FCount) return;
    if (OnDelete) OnDelete(this, index);
    --FCount;
    if (index < FCount)
        std::memmove(Items(index), Items(index + 1), size_t(FCount - index) * size_t(FItemSize));
}

void TEnhList::Clear()
{
    while (FCount > 0) Delete(FCount - 1);
}

void TEnhList::SetCapacity(int newCapacity)
{
    if (newCapacity < 0 || int64_t(newCapacity) * FItemSize > INT32_MAX)
        throw EListError("List capacity out of bounds (" + std::to_string(newCapacity) + ")");
    while (FCount > newCapacity) Delete(FCount - 1);
    if (newCapacity == FCapacity) return;
    FData.resize(size_t(newCapacity) * size_t(FItemSize), 0);
    FCapacity = newCapacity;
}

void TEnhList::CheckItemType(size_t typeSize) const
{
    if (typeSize > size_t(FItemSize))
        throw EListError("Record type of " + std::to_string(typeSize) + " bytes does not fit a record of " +
                         std::to_string(FItemSize) + " bytes");
}
