#include "codec/Prefilter.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <new>
#include <vector>

#include "codec/PrefilterKernels.h"
#include "codec/PrefilterParams.h"
#include "codec/PrefilterRows.h"
#include "platform/Parallel.h"
#include "platform/Exceptions.h"

using namespace prefilter_detail;

int PrefilterKindOf(int activeFilter)
{
    static const int kinds[6] = {
        0, pfkMeanBlend, pfkLumaEqualize, pfkMedianReplace, pfkMedianBlend, pfkWeightedMean};
    return activeFilter >= 0 && activeFilter <= 5 ? kinds[activeFilter] : 0;
}

TPrefilterBuffer::TPrefilterBuffer() = default;
TPrefilterBuffer::~TPrefilterBuffer() = default;

void TPrefilterBuffer::Clear()
{
    for (auto& slot : FSlots)
        slot.reset();
}

struct TPrefilterBufferAccess
{
    // A workspace for this call: the one that continues from the previous band, else the least
    // recently used one, set up afresh.
    static TWorkspace& Take(TPrefilterBuffer& buffer, const TBitmap& source, int radius, TDerived derived,
                            int capacity, int top)
    {
        ++buffer.FUse;
        TWorkspace* pick = nullptr;
        for (auto& slot : buffer.FSlots) {
            if (slot && slot->Continues(source, radius, derived, capacity, top)) {
                slot->LastUse = buffer.FUse;
                return *slot;
            }
        }
        for (auto& slot : buffer.FSlots) {
            if (!slot) slot = std::make_unique<TWorkspace>();
            if (!pick || slot->LastUse < pick->LastUse) pick = slot.get();
        }
        pick->Reset(source, radius, derived, capacity);
        pick->LastUse = buffer.FUse;
        return *pick;
    }
};

namespace {

// Rows loaded and computed together (fewer for very wide pictures, to bound the memory of a
// workspace, which holds them plus the radius above and below).
constexpr int MaxChunkRows = 32;
constexpr int64_t ChunkBytes = 4 << 20;
// Fewest rows a thread takes when the rows are split between threads.
constexpr int MinRowsPerThread = 16;
// Fewest columns a thread takes when the columns of a band are split between threads.
constexpr int MinColumnsPerThread = 256;

struct TCall
{
    const TBitmap* Source;
    TRect Rc; // clipped to the picture
    TKindParams P;
    TDerived Derived;
    const TBitmap* Mask;
    uint8_t MaskValue;
    bool OnlyFilter;
    TBitmap* Dest;
    int ChunkRows;
    int Threads; // 1: the calling thread only
};

// Runs fn(0) .. fn(count - 1) on the call's threads.
void RunParallel(const TCall& c, int count, const std::function<void(int)>& fn)
{
    ParallelFor(count, c.Threads, 1, [&](int first, int, int) { fn(first); });
}

// Filter flags of row y for columns x0..x1-1 into flags[x].
void MaskRow(const TCall& c, int y, int x0, int x1, uint8_t* flags)
{
    const TBitmap* m = c.Mask;
    const bool rowInMask = y < m->Height();
    const uint8_t* bits = rowInMask ? m->ScanLine(y) : nullptr;
    const int maskWidth = rowInMask ? m->Width() : 0;
    for (int x = x0; x < x1; ++x) {
        const uint8_t byte = x < maskWidth ? bits[x >> 3] : 0xFF; // beyond the mask: not selected
        flags[x] = uint8_t(((byte ^ c.MaskValue) >> (7 - (x & 7))) & 1);
    }
}

void RunKernel(const TCall& c, const TRowJob& job, TScratch& scratch)
{
    switch (c.P.Kind) {
    case 4:
    case 8:
        FilterRowMean(job, scratch);
        break;
    case 5:
    case 9:
        FilterRowRank(job, scratch);
        break;
    case 7:
        FilterRowLuma(job, scratch);
        break;
    }
}

// Filters rows top..bottom-1 chunk by chunk through workspace ws, splitting the columns of each
// chunk between `threads` threads of the pool.
void FilterRows(const TCall& c, TWorkspace& ws, int top, int bottom, int threads)
{
    const int r = c.P.Radius;
    const int width = c.Source->Width();
    const int x0 = c.Rc.Left, x1 = c.Rc.Right;
    const int columnTasks = std::max(1, std::min(threads, (x1 - x0) / MinColumnsPerThread));
    std::vector<uint8_t> flags;
    std::vector<uint8_t*> dst(c.ChunkRows);
    std::vector<TScratch> scratch(columnTasks);
    for (int a = top; a < bottom; a += c.ChunkRows) {
        const int b = std::min(bottom, a + c.ChunkRows);
        for (int vy = a - r; vy < b + r; ++vy)
            ws.Load(vy);
        if (c.Mask) {
            flags.resize(size_t(b - a) * size_t(width));
            for (int y = a; y < b; ++y)
                MaskRow(c, y, x0, x1, flags.data() + size_t(y - a) * width);
        }
        for (int y = a; y < b; ++y)
            dst[y - a] = c.Dest->ScanLine(y - c.Rc.Top);
        RunParallel(c, columnTasks, [&](int t) {
            TRowJob job;
            job.P = &c.P;
            job.Rows = &ws;
            job.OnlyFilter = c.OnlyFilter;
            job.X0 = x0 + int(int64_t(x1 - x0) * t / columnTasks);
            job.X1 = x0 + int(int64_t(x1 - x0) * (t + 1) / columnTasks);
            for (int y = a; y < b; ++y) {
                job.Y = y;
                job.Filter = c.Mask ? flags.data() + size_t(y - a) * width : nullptr;
                job.Dst = dst[y - a];
                RunKernel(c, job, scratch[t]);
            }
        });
    }
}

int ThreadCount(int wanted)
{
    if (wanted >= 1) return std::min(wanted, 64);
    return std::clamp(CoreCount(), 1, 8);
}

// Chooses how the rows of the call are worked through.
void Dispatch(TCall& c, const TBitmap& source, bool cacheable, int capacity, int threads,
              TPrefilterBuffer& buffer)
{
    c.Threads = std::max(threads, 1);
    const TRect rc = c.Rc;
    const int r = c.P.Radius;
    // A tall area goes in blocks of rows, a few per thread so that a thread held up by other work
    // on the machine does not hold up the whole call; each block has a workspace of its own.
    const int rowTasks = threads < 2 ? 0 : std::min(threads * 4, rc.Height() / MinRowsPerThread);
    if (rowTasks >= 2) {
        RunParallel(c, rowTasks, [&](int t) {
            TWorkspace ws;
            ws.Reset(source, r, c.Derived, capacity);
            const int a = rc.Top + int(int64_t(rc.Height()) * t / rowTasks);
            const int b = rc.Top + int(int64_t(rc.Height()) * (t + 1) / rowTasks);
            FilterRows(c, ws, a, b, 1);
        });
    } else if (cacheable) {
        // A band: continue with the rows prepared by the previous band when it joins on.
        TWorkspace& ws = TPrefilterBufferAccess::Take(buffer, source, r, c.Derived, capacity, rc.Top);
        FilterRows(c, ws, rc.Top, rc.Bottom, threads);
        ws.SetLastBottom(rc.Bottom);
    } else {
        TWorkspace ws;
        ws.Reset(source, r, c.Derived, capacity);
        FilterRows(c, ws, rc.Top, rc.Bottom, threads);
    }
}

} // namespace

void ApplyEffect(const TBitmap& Source, TRect Rect, int Radius, int Strength, int Param5, int /*Param6*/,
                 uint8_t MaskValue, bool OnlyFilter, int Kind, const TBitmap* Mask, TPrefilterBuffer& Buffer,
                 TBitmap& Dest)
{
    if (Source.PixelFormat() != TPixelFormat::pf24bit)
        throw EInvalidGraphicOperation("The prefilter needs a 24-bit picture");
    if (Mask && Mask->PixelFormat() != TPixelFormat::pf1bit)
        throw EInvalidGraphicOperation("The prefilter mask must be a 1-bit bitmap");

    TRect rc;
    rc.Left = std::max(Rect.Left, 0);
    rc.Top = std::max(Rect.Top, 0);
    rc.Right = std::min(Rect.Right, Source.Width());
    rc.Bottom = std::min(Rect.Bottom, Source.Height());
    if (rc.Right < rc.Left) rc.Right = rc.Left;
    if (rc.Bottom < rc.Top) rc.Bottom = rc.Top;

    if (Dest.Empty() && &Dest != &Source) {
        Dest.SetPixelFormat(TPixelFormat::pf24bit);
        Dest.SetSize(Source.Width(), rc.Height());
    }
    TCall c;
    if (!SetupKind(Kind, Radius, Strength, Param5, c.P)) return;
    if (rc.IsEmpty()) return;
    if (Dest.PixelFormat() != TPixelFormat::pf24bit || Dest.Width() < rc.Right || Dest.Height() < rc.Height())
        throw EInvalidGraphicOperation("The prefilter's destination bitmap is too small or not 24-bit");

    // Filtering a picture onto itself reads from an untouched copy.
    TBitmap copy;
    const TBitmap* source = &Source;
    if (&Dest == &Source) {
        copy = Source;
        source = &copy;
    }

    c.Source = source;
    c.Rc = rc;
    c.Derived = (Kind == 4 || Kind == 8) ? TDerived::Sums : Kind == 7 ? TDerived::Luma : TDerived::None;
    c.Mask = Mask;
    c.MaskValue = MaskValue;
    c.OnlyFilter = OnlyFilter;
    c.Dest = &Dest;
    c.ChunkRows = int(std::clamp<int64_t>(ChunkBytes / (3 * int64_t(source->Width())), 1, MaxChunkRows));

    const int r = c.P.Radius;
    const int capacity = 2 * r + c.ChunkRows;
    try {
        Dispatch(c, *source, source == &Source, capacity, ThreadCount(Buffer.Threads), Buffer);
    } catch (const std::bad_alloc&) {
        Buffer.Clear();
        throw EOutOfResources("Not enough memory to prefilter the picture");
    } catch (...) {
        Buffer.Clear();
        throw;
    }
    Dest.Modified();
}
