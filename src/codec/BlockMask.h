#pragma once
// Block masks of selective compression: one byte per 8x8 block of a component, in raster order,
// 1 when the block belongs to the selection, 0 for the main area.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "codec/EncoderParams.h"
#include "platform/Bitmap.h"

struct TBlockMasks
{
    // The mask of the component(s) with the largest sampling factors, and the one of the
    // subsampled components (none when every component has the largest factors).
    std::shared_ptr<const TBlockMask> LargeBlockMask;
    std::shared_ptr<const TBlockMask> SmallBlockMask;
    // Per component, the mask it quantises with; components of the same size share one. All empty
    // when no masks could be made: the picture is then quantised as without masks.
    std::vector<std::shared_ptr<const TBlockMask>> ComponentMask;

    bool Empty() const { return !LargeBlockMask; }
    // The mask of component ci, or nullptr.
    const TBlockMask* ForComponent(size_t ci) const
    {
        return ci < ComponentMask.size() ? ComponentMask[ci].get() : nullptr;
    }
};

// Reduces the 1-bit selection mask (0 bits selected, size rounded up to 8) to block masks.
// A block of the large component is selected when at least Round(selThreshold * 64 / 100) of its
// 64 pixels are; a block of a subsampled component when every large block it covers is (blocks at
// the right or bottom edge that cover fewer are not). No masks at all when the mask is missing,
// not 1-bit, or its rows or columns do not match the large component's blocks, or the factors are
// out of 1..4.
TBlockMasks BuildBlockMasks(const TBitmap* mask, int imageWidth, int imageHeight,
                            std::span<const TSamplingFactor> components, int selThreshold);
