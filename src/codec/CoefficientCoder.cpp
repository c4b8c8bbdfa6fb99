// Quantisation and entropy coding: the quantised blocks go into the library's coefficient arrays and
// the library writes the file (markers, Huffman or progressive coding, restart markers). The library
// itself fills the padding blocks of partial MCUs at the edges. For optimised sequential files the
// symbol statistics are counted here on all threads (HuffmanOptimizer) and the library gets the
// finished tables, which saves its serial gathering pass; the bytes are the same. A large picture
// is coded in strips on all threads (EntropyStrips).
#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

#include <jerror.h>

#include "codec/CompressorSetup.h"
#include "codec/EncoderStages.h"
#include "codec/EntropyStrips.h"
#include "codec/FrameLayout.h"
#include "codec/HuffmanOptimizer.h"
#include "codec/JpegEncoder.h"
#include "platform/Parallel.h"

namespace
{

struct TProgressHook
{
    jpeg_progress_mgr Pub; // first member: the library's progress pointer addresses the record
    const TEncoderProgress* Callback;
    int Last;
};

void ProgressMonitor(j_common_ptr cinfo)
{
    auto* hook = reinterpret_cast<TProgressHook*>(cinfo->progress);
    const jpeg_progress_mgr& p = hook->Pub;
    if (p.pass_limit <= 0 || p.total_passes <= 0) return;
    const double fraction = (double(p.pass_counter) / double(p.pass_limit) + p.completed_passes) / p.total_passes;
    const int percent = std::clamp(int(fraction * 100.0), 0, 100);
    if (percent == hook->Last) return;
    hook->Last = percent;
    (*hook->Callback)(percent);
}

JDIMENSION RoundUp(int value, int multiple)
{
    return JDIMENSION((value + multiple - 1) / multiple * multiple);
}

} // namespace

struct TCoefficientWriter::TImpl
{
    const TFrameLayout Frame;
    const TCodingParams& Params;
    const TEncoderKernels& Kernels;
    const std::array<TComponentQuantizer, 3> Quantizers;
    std::vector<uint8_t> Out;
    TJpegCompressor Cinfo;
    TProgressHook Hook{};
    bool OwnHuffmanTables = false; // optimised tables counted by us instead of the library's extra pass
    int Threads = 0;
    std::array<jvirt_barray_ptr, 3> Arrays{}; // the library keeps a pointer to this array until the end
    std::array<JBLOCKARRAY, 3> Rows{};
    TStripLayout Strips;
    std::array<JDIMENSION, 3> Heights{}; // rows of each component's array
    // Counted while quantising (QuantizePlanes): one entry per strip.
    std::optional<std::vector<THuffmanCounts>> Counts;
    TKeptArrays Kept;

    TImpl(const TDctPlanes& geometry, const TCodingParams& params, const TEncoderKernels& k,
          const std::array<TComponentQuantizer, 3>& q, TCoefficientStore* store)
        : Frame(geometry.Layout), Params(params), Kernels(k), Quantizers(q), Cinfo(params.Messages, params.TraceLevel)
    {
        const TFrameLayout& f = Frame;
        j_compress_ptr cinfo = Cinfo.Get();
        JpegMemoryDest(cinfo, Out);
        // Sequential files get their optimised tables from our own counting on all threads (while
        // quantising kept planes, or at Finish); progressive files leave it to the library, whose
        // tables differ per scan.
        OwnHuffmanTables = params.OptimizeCoding && !params.Progressive;
        Threads = EncoderThreadCount(params.Threads);
        Strips = PlanEntropyStrips(f, params, Threads);
        SetUpCompressor(cinfo, f, params, f.Height, params.OptimizeCoding && !OwnHuffmanTables);
        if (params.Progress)
        {
            Hook.Pub.progress_monitor = ProgressMonitor;
            Hook.Callback = &params.Progress;
            Hook.Last = -1;
            cinfo->progress = &Hook.Pub;
        }

        // Arrays padded to whole MCUs; the library makes the padding blocks itself and never reads
        // these, so they need not be cleared.
        std::array<JDIMENSION, 3> widths{};
        for (int c = 0; c < f.NumComponents; ++c)
        {
            const TComponentLayout& comp = f.Comp[size_t(c)];
            Heights[size_t(c)] = RoundUp(comp.HeightInBlocks, comp.V);
            widths[size_t(c)] = RoundUp(comp.WidthInBlocks, comp.H);
        }
        if (store)
        {
            for (size_t c = 0; c < size_t(f.NumComponents); ++c)
            {
                const size_t blocks = size_t(Heights[c]) * widths[c];
                if (store->Capacity[c] < blocks)
                {
                    store->Coefficients[c].reset();
                    store->Capacity[c] = 0;
                    store->Coefficients[c] = MakeLargeArray<int16_t>(blocks * DCTSIZE2);
                    store->Capacity[c] = blocks;
                }
                auto* next = reinterpret_cast<JBLOCK*>(store->Coefficients[c].get());
                Kept.Rows[c].resize(Heights[c]);
                for (JBLOCKROW& row : Kept.Rows[c])
                {
                    row = next;
                    next += widths[c];
                }
            }
            Kept.Install(cinfo, f.NumComponents);
            Arrays = Kept.Handles;
        }
        else
        {
            for (int c = 0; c < f.NumComponents; ++c)
                Arrays[size_t(c)] = cinfo->mem->request_virt_barray(reinterpret_cast<j_common_ptr>(cinfo),
                                                                    JPOOL_IMAGE, FALSE, widths[size_t(c)],
                                                                    Heights[size_t(c)], Heights[size_t(c)]);
        }
        jpeg_write_coefficients(cinfo, Arrays.data());
        if (geometry.SmoothingNotSupported)
        {
            // The library's downsampler reports this when it starts; ours did the downsampling.
            cinfo->err->msg_code = JTRC_SMOOTH_NOTIMPL;
            cinfo->err->emit_message(reinterpret_cast<j_common_ptr>(cinfo), 0);
        }
        WriteTextMarkers(cinfo, params);
        for (int c = 0; c < f.NumComponents; ++c)
            Rows[size_t(c)] = cinfo->mem->access_virt_barray(reinterpret_cast<j_common_ptr>(cinfo), Arrays[size_t(c)],
                                                             0, Heights[size_t(c)], TRUE);
    }
};

TCoefficientWriter::TCoefficientWriter(const TDctPlanes& geometry, const TCodingParams& params,
                                       const TEncoderKernels& kernels,
                                       const std::array<TComponentQuantizer, 3>& quantizers,
                                       TCoefficientStore* store)
    : FImpl(std::make_unique<TImpl>(geometry, params, kernels, quantizers, store))
{
}

TCoefficientWriter::~TCoefficientWriter() = default;

void TCoefficientWriter::QuantizeRow(int comp, int blockRow, const int16_t* coef)
{
    const TImpl& d = *FImpl;
    d.Kernels.QuantizeBlocks(d.Quantizers[size_t(comp)], coef, blockRow, 0,
                             d.Frame.Comp[size_t(comp)].WidthInBlocks, d.Rows[size_t(comp)][blockRow]);
}

void TCoefficientWriter::QuantizePlanes(const TDctPlanes& planes)
{
    // One parallel region over the MCU rows: each chunk quantises the block rows of all components
    // it covers and, when the symbols are needed (our optimised tables, coding in strips), counts
    // them while the blocks are in cache, per strip. The DC of a chunk's first MCU depends on the
    // chunk before it and is counted after the region.
    TImpl& d = *FImpl;
    const TFrameLayout& f = d.Frame;
    const THuffmanScan scan(f, d.Rows, d.Cinfo.Get()->restart_interval, d.Kernels);
    const bool count = d.OwnHuffmanTables || d.Strips.On();
    const int chunk = d.Strips.On() ? d.Strips.RowsPerStrip : 2; // chunks never cross strips
    std::vector<char> chunkStarts(size_t(scan.McuRows()), 0);
    std::vector<THuffmanCounts> counts(size_t(d.Strips.Count));
    std::mutex lock;
    ParallelFor(scan.McuRows(), d.Threads, chunk, [&](int firstRow, int lastRow, int) {
        for (int c = 0; c < f.NumComponents; ++c)
        {
            int first = 0, last = 0, ignored = 0;
            scan.BlockRows(c, firstRow, first, ignored);
            scan.BlockRows(c, lastRow - 1, ignored, last);
            for (int br = first; br < last; ++br) QuantizeRow(c, br, planes.Block(c, br, 0));
        }
        if (!count) return;
        chunkStarts[size_t(firstRow)] = 1;
        THuffmanCounts chunkCounts;
        scan.CountRows(firstRow, lastRow, chunkCounts, TFirstDc::Deferred);
        std::lock_guard<std::mutex> guard(lock);
        counts[size_t(d.Strips.StripOf(firstRow))].Add(chunkCounts);
    });
    if (!count) return;
    for (int row = 0; row < scan.McuRows(); ++row)
        if (chunkStarts[size_t(row)]) scan.AddFirstDc(row, counts[size_t(d.Strips.StripOf(row))]);
    d.Counts = std::move(counts);
}

std::vector<uint8_t> TCoefficientWriter::Finish()
{
    TImpl& d = *FImpl;
    j_compress_ptr cinfo = d.Cinfo.Get();
    if (!d.Counts && (d.OwnHuffmanTables || d.Strips.On()))
    {
        if (d.Strips.On())
            d.Counts = CountHuffmanSymbolsByStrip(d.Frame, d.Rows, cinfo->restart_interval, d.Threads,
                                                  d.Strips.RowsPerStrip, d.Kernels);
        else
            d.Counts = {CountHuffmanSymbols(d.Frame, d.Rows, cinfo->restart_interval, d.Threads, d.Kernels)};
    }
    const int tables = std::min(d.Frame.NumComponents, 2);
    if (d.OwnHuffmanTables)
    {
        THuffmanCounts total;
        for (const THuffmanCounts& strip : *d.Counts) total.Add(strip);
        for (int t = 0; t < tables; ++t)
        {
            JHUFF_TBL*& dc = cinfo->dc_huff_tbl_ptrs[t];
            JHUFF_TBL*& ac = cinfo->ac_huff_tbl_ptrs[t];
            if (!dc) dc = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(cinfo));
            if (!ac) ac = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(cinfo));
            BuildOptimalHuffmanTable(*dc, total.Dc[size_t(t)]);
            BuildOptimalHuffmanTable(*ac, total.Ac[size_t(t)]);
        }
    }
    if (d.Strips.On())
    {
        // The compressor made here has written only the start of a file; the strips write all of it.
        TStripCoding coding{d.Frame, d.Params, d.Rows, d.Heights, {}, {}, d.Strips, *d.Counts, d.Kernels, d.Threads,
                            {}};
        for (int t = 0; t < tables; ++t)
        {
            coding.Dc[size_t(t)] = cinfo->dc_huff_tbl_ptrs[t];
            coding.Ac[size_t(t)] = cinfo->ac_huff_tbl_ptrs[t];
        }
        if (d.Params.Progress)
            coding.Progress = [&d](int done, int total) {
                const int percent = int(int64_t(done) * 100 / total);
                if (percent == d.Hook.Last) return;
                d.Hook.Last = percent;
                d.Params.Progress(percent);
            };
        return CodeInStrips(coding);
    }
    jpeg_finish_compress(cinfo);
    return std::move(d.Out);
}

namespace
{
std::array<TComponentQuantizer, 3> MakeQuantizers(const TCodingParams& params, const TDctPlanes& planes)
{
    std::array<TComponentQuantizer, 3> q;
    for (int c = 0; c < planes.Layout.NumComponents; ++c) q[size_t(c)] = MakeComponentQuantizer(params, planes, c);
    return q;
}
} // namespace

std::vector<uint8_t> QuantizeAndCode(const TDctPlanes& planes, const TCodingParams& params,
                                     const TEncoderKernels& kernels, TCoefficientStore* store)
{
    const TFrameLayout& f = planes.Layout;
    if (f.NumComponents < 1) throw EInvalidGraphicOperation("Nothing to encode");
    TCoefficientWriter writer(planes, params, kernels, MakeQuantizers(params, planes), store);
    writer.QuantizePlanes(planes);
    return writer.Finish();
}

std::vector<uint8_t> QuantizeAndCode(const TDctPlanes& planes, const TCodingParams& params)
{
    return QuantizeAndCode(planes, params, FastKernels());
}

std::vector<uint8_t> EncodeBitmapToJpeg(const TBitmap& bmp24, const TEncodeParams& params)
{
    // One pass without keeping the planes: each block row is quantised as soon as it is transformed.
    CheckEncoderInput(bmp24);
    const TFrontEndParams& fp = params.FrontEnd;
    TDctPlanes geometry; // layout only, for the quantisers
    geometry.Grayscale = fp.Grayscale;
    geometry.Layout = MakeFrameLayout(bmp24.Width(), bmp24.Height(), fp.Grayscale, fp.SamplingFactors);
    geometry.SmoothingNotSupported = SmoothingNotSupported(geometry.Layout, ClampSmoothing(fp.Smoothing));
    const TEncoderKernels& kernels = FastKernels();
    TCoefficientWriter writer(geometry, params.Coding, kernels, MakeQuantizers(params.Coding, geometry));
    RunFrontEnd(bmp24, geometry.Layout, fp, kernels, nullptr,
                [&](int comp, int blockRow, const int16_t* coef) { writer.QuantizeRow(comp, blockRow, coef); });
    return writer.Finish();
}
