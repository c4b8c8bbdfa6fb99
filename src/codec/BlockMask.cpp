#include "codec/BlockMask.h"

#include <algorithm>
#include <array>

#include "platform/Parallel.h"
#include "platform/Round.h"

namespace {

// Zero bits of a byte, from the zero bits of each nibble.
struct TZeroBitTable
{
    std::array<uint8_t, 256> Count;
    TZeroBitTable()
    {
        static const uint8_t nibble[16] = {4, 3, 3, 2, 3, 2, 2, 1, 3, 2, 2, 1, 2, 1, 1, 0};
        for (int b = 0; b < 256; ++b)
            Count[b] = uint8_t(nibble[b >> 4] + nibble[b & 15]);
    }
};

// Block rows a thread takes at a time.
constexpr int RowsPerChunk = 16;

int64_t DivRoundUp(int64_t a, int64_t b)
{
    return (a + b - 1) / b;
}

// A subsampled component's mask: a block is selected when every large block it covers is.
std::shared_ptr<TBlockMask> Derive(const TBlockMask& large, int width, int height, TSamplingFactor f,
                                   TSamplingFactor max)
{
    auto m = std::make_shared<TBlockMask>();
    m->WidthInBlocks = width;
    m->HeightInBlocks = height;
    m->Bytes.assign(size_t(width) * size_t(height), 0);
    ParallelFor(height, 0, RowsPerChunk, [&](int firstRow, int lastRow, int) {
        for (int by = firstRow; by < lastRow; ++by) {
            const int64_t r0 = int64_t(by) * max.V / f.V, r1 = DivRoundUp(int64_t(by + 1) * max.V, f.V);
            if (r1 > large.HeightInBlocks) continue;
            for (int bx = 0; bx < width; ++bx) {
                const int64_t c0 = int64_t(bx) * max.H / f.H, c1 = DivRoundUp(int64_t(bx + 1) * max.H, f.H);
                if (c1 > large.WidthInBlocks) continue;
                bool all = true;
                for (int64_t r = r0; r < r1 && all; ++r)
                    for (int64_t c = c0; c < c1 && all; ++c)
                        all = large.Selected(int(c), int(r));
                m->Bytes[size_t(by) * size_t(width) + size_t(bx)] = all ? 1 : 0;
            }
        }
    });
    return m;
}

// Blocks per row and per column of a component with factors f in a picture of this size, as the
// JPEG library counts them (ceil(size * f / (8 * largest factor))).
int ComponentWidthInBlocks(int imageWidth, TSamplingFactor f, TSamplingFactor largest)
{
    return int(DivRoundUp(int64_t(imageWidth) * f.H, 8 * int64_t(largest.H)));
}

int ComponentHeightInBlocks(int imageHeight, TSamplingFactor f, TSamplingFactor largest)
{
    return int(DivRoundUp(int64_t(imageHeight) * f.V, 8 * int64_t(largest.V)));
}

} // namespace

TBlockMasks BuildBlockMasks(const TBitmap* mask, int imageWidth, int imageHeight,
                            std::span<const TSamplingFactor> components, int selThreshold)
{
    TBlockMasks out;
    out.ComponentMask.resize(components.size());
    if (!mask || mask->PixelFormat() != TPixelFormat::pf1bit || components.empty() || imageWidth <= 0 ||
        imageHeight <= 0)
        return out;
    TSamplingFactor max{0, 0};
    for (const TSamplingFactor& f : components) {
        if (f.H < 1 || f.H > 4 || f.V < 1 || f.V > 4) return out;
        max.H = std::max(max.H, f.H);
        max.V = std::max(max.V, f.V);
    }

    // The large mask: the picture's own 8x8 blocks.
    const int width = ComponentWidthInBlocks(imageWidth, max, max);
    const int height = ComponentHeightInBlocks(imageHeight, max, max);
    if (mask->Height() / 8 != height || mask->Width() / 8 < width) return out;

    static const TZeroBitTable zeros;
    const int64_t T = Round(selThreshold * 64 * 0.01);
    std::array<uint8_t, 256> decide{};
    for (int c = 0; c < 256; ++c)
        decide[c] = c >= T ? 1 : 0;

    auto large = std::make_shared<TBlockMask>();
    large->WidthInBlocks = width;
    large->HeightInBlocks = height;
    large->Bytes.assign(size_t(width) * size_t(height), 0);
    ParallelFor(height, 0, RowsPerChunk, [&](int firstRow, int lastRow, int) {
        for (int by = firstRow; by < lastRow; ++by) {
            const uint8_t* rows[8];
            for (int i = 0; i < 8; ++i)
                rows[i] = mask->ScanLine(8 * by + i);
            uint8_t* out = large->Bytes.data() + size_t(by) * size_t(width);
            for (int bx = 0; bx < width; ++bx) {
                int count = 0;
                for (int i = 0; i < 8; ++i)
                    count += zeros.Count[rows[i][bx]];
                out[bx] = decide[count];
            }
        }
    });
    out.LargeBlockMask = large;

    // Subsampled components: one mask per distinct size, derived from the large one.
    std::vector<std::pair<TSamplingFactor, std::shared_ptr<const TBlockMask>>> made;
    for (size_t ci = 0; ci < components.size(); ++ci) {
        const TSamplingFactor f = components[ci];
        if (f.H == max.H && f.V == max.V) {
            out.ComponentMask[ci] = large;
            continue;
        }
        std::shared_ptr<const TBlockMask> m;
        for (auto& [g, existing] : made)
            if (g.H == f.H && g.V == f.V) m = existing;
        if (!m) {
            m = Derive(*large, ComponentWidthInBlocks(imageWidth, f, max),
                       ComponentHeightInBlocks(imageHeight, f, max), f, max);
            made.emplace_back(f, m);
            if (!out.SmallBlockMask) out.SmallBlockMask = m;
        }
        out.ComponentMask[ci] = m;
    }
    return out;
}
