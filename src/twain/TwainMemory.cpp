#include "twain/TwainMemory.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr uint64_t LiveMark = 0x4B434F4C42574754ull; // marks a live block
constexpr uint64_t FreedMark = 0x4445455246574754ull;

struct TBlockHeader
{
    uint64_t Mark;
    size_t Size;
    alignas(std::max_align_t) unsigned char Data[1];
};

TBlockHeader* Header(TW_HANDLE block)
{
    auto* h = static_cast<TBlockHeader*>(block);
    return h != nullptr && h->Mark == LiveMark ? h : nullptr;
}

} // namespace

TW_HANDLE TwainAllocBlock(size_t size)
{
    const size_t head = offsetof(TBlockHeader, Data);
    if (size > SIZE_MAX - head) return nullptr;
    void* p = std::calloc(1, head + (size == 0 ? 1 : size));
    if (p == nullptr) return nullptr;
    auto* h = static_cast<TBlockHeader*>(p);
    h->Mark = LiveMark;
    h->Size = size;
    return h;
}

void* TwainLockBlock(TW_HANDLE block)
{
    TBlockHeader* h = Header(block);
    return h != nullptr ? h->Data : nullptr;
}

size_t TwainBlockSize(TW_HANDLE block)
{
    TBlockHeader* h = Header(block);
    return h != nullptr ? h->Size : 0;
}

void TwainFreeBlock(TW_HANDLE block)
{
    TBlockHeader* h = Header(block);
    if (h == nullptr) return;
    h->Mark = FreedMark;
    std::free(h);
}

TW_HANDLE TwainOneValueBlock(TW_UINT16 itemType, TW_UINT32 item)
{
    TW_HANDLE block = TwainAllocBlock(sizeof(TW_ONEVALUE));
    if (block != nullptr) {
        const TW_ONEVALUE one{itemType, item};
        std::memcpy(TwainLockBlock(block), &one, sizeof one);
    }
    return block;
}
