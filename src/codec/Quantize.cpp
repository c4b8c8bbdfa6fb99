#include "codec/Quantize.h"

#include <bit>
#include <cstdlib>

#include <jerror.h>

#include "platform/Round.h"

TLibraryDivisor ComputeLibraryDivisor(uint32_t divisor)
{
    if (divisor <= 1) return {1, 0, 0};
    const int b = std::bit_width(divisor) - 1; // position of the highest set bit
    int r = 16 + b;
    uint64_t fq = (uint64_t(1) << r) / divisor;
    const uint64_t fr = (uint64_t(1) << r) % divisor;
    uint32_t c = divisor / 2; // for rounding
    if (fr == 0)
    {
        // A power of two: the reciprocal would need one bit too many.
        fq >>= 1;
        --r;
    }
    else if (fr <= divisor / 2)
        ++c; // the fractional part is below one half
    else
        ++fq; // ... or above
    return {uint32_t(fq), c, r};
}

namespace
{

std::array<float, 64> ProgramReciprocals(const qmjpeg::TQuantTable& t, bool dropWhenDc255)
{
    std::array<float, 64> d{};
    if (dropWhenDc255 && t[0] == 255) return d; // the component loses this table's content entirely
    for (size_t i = 0; i < 64; ++i) d[i] = float(1.0L / (t[i] * 8.0L));
    return d;
}

const qmjpeg::TQuantTable& Slot(const TCodingParams& params, int slot)
{
    if (!params.Tables[size_t(slot)]) RaiseJpegError(JERR_NO_QUANT_TABLE, slot);
    return *params.Tables[size_t(slot)];
}

} // namespace

TComponentQuantizer MakeComponentQuantizer(const TCodingParams& params, const TDctPlanes& planes, int comp)
{
    TComponentQuantizer q;
    q.Rounding = params.Rounding;
    const int slot = comp == 0 ? 0 : 1;
    const qmjpeg::TQuantTable& table = Slot(params, slot);
    const bool chroma = slot == 1;
    if (q.Rounding == TQuantRounding::Library)
    {
        for (size_t i = 0; i < 64; ++i) q.Library[i] = ComputeLibraryDivisor(uint32_t(table[i]) * 8);
        return q;
    }
    q.Recip = ProgramReciprocals(table, chroma);
    const TBlockMask* mask = params.BlockMasks[size_t(comp)];
    const TComponentLayout& layout = planes.Layout.Comp[size_t(comp)];
    if (params.MaskedQuantization && mask && mask->WidthInBlocks == layout.WidthInBlocks &&
        mask->HeightInBlocks == layout.HeightInBlocks &&
        mask->Bytes.size() == size_t(layout.WidthInBlocks) * size_t(layout.HeightInBlocks))
    {
        q.Mask = mask;
        q.MainThreshold = ProgramReciprocals(Slot(params, slot + 2), chroma);
        q.SelThreshold = ProgramReciprocals(Slot(params, slot + 4), chroma);
    }
    return q;
}

void QuantizeBlocksPlain(const TComponentQuantizer& q, const int16_t* coef, int blockRow, int firstCol, int count,
                         int16_t (*out)[64])
{
    for (int b = 0; b < count; ++b, coef += 64)
    {
        int16_t* o = out[b];
        if (q.Rounding == TQuantRounding::Library)
        {
            for (size_t i = 0; i < 64; ++i)
            {
                const TLibraryDivisor& d = q.Library[i];
                const int16_t c = coef[i];
                const uint32_t mag = uint32_t(std::abs(int(c)));
                const int16_t v = int16_t(uint32_t((mag + d.Correction) * d.Reciprocal) >> d.Shift);
                o[i] = c < 0 ? int16_t(-v) : v;
            }
            continue;
        }
        const float* threshold = nullptr;
        if (q.Mask)
        {
            const size_t index = size_t(blockRow) * size_t(q.Mask->WidthInBlocks) + size_t(firstCol + b);
            threshold = q.Mask->Bytes[index] ? q.SelThreshold.data() : q.MainThreshold.data();
        }
        for (size_t i = 0; i < 64; ++i)
        {
            if (threshold && QuantizeProgram(coef[i], threshold[i]) == 0)
                o[i] = 0;
            else
                o[i] = QuantizeProgram(coef[i], q.Recip[i]);
        }
    }
}
