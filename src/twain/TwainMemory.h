#pragma once
// "Global memory" of the acquisition: blocks handed between the program and the source manager
// by handle (the acquired picture, capability containers). A block knows its size, so whoever
// reads one can keep every access inside it; a handle that is not a live block cannot be locked.
#include <cstddef>

#include "twain/TwainTypes.h"

// A zeroed block of size bytes; nullptr when the memory cannot be had.
TW_HANDLE TwainAllocBlock(size_t size);
// The block's bytes; nullptr for nullptr or a handle that is not a live block.
void* TwainLockBlock(TW_HANDLE block);
// The block's size in bytes; 0 for a handle that cannot be locked.
size_t TwainBlockSize(TW_HANDLE block);
// Frees a live block; nullptr is ignored.
void TwainFreeBlock(TW_HANDLE block);

// A block holding a one-value container (item type and 32-bit item); nullptr without memory.
TW_HANDLE TwainOneValueBlock(TW_UINT16 itemType, TW_UINT32 item);
