// Quantisation and entropy coding: the quantised blocks go into the library's coefficient arrays and
// the library writes the file (markers, Huffman or progressive coding, restart markers). The library
// itself fills the padding blocks of partial MCUs at the edges. For optimised sequential files the
// symbol statistics are counted here on all threads (HuffmanOptimizer) and the library gets the
// finished tables, which saves its serial gathering pass; the bytes are the same.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

#include <jerror.h>

#include "codec/EncoderStages.h"
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

void WriteTextMarkers(j_compress_ptr cinfo, int marker, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        if (!line.empty())
            jpeg_write_marker(cinfo, marker, reinterpret_cast<const JOCTET*>(line.data()), unsigned(line.size()));
}

// The coefficient arrays in a TCoefficientStore, handed to the library as its virtual arrays: the
// library reaches them only through access_virt_barray, which is redirected here while the
// compressor lives; any other array goes to the library's own function.
struct TKeptArrays
{
    std::array<std::vector<JBLOCKROW>, 3> Rows;
    std::array<char, 3> Handles{}; // their addresses are the arrays' handles
    decltype(jpeg_memory_mgr::access_virt_barray) LibraryAccess = nullptr;

    jvirt_barray_ptr Handle(size_t c) { return reinterpret_cast<jvirt_barray_ptr>(&Handles[c]); }
};

JBLOCKARRAY AccessKeptArray(j_common_ptr cinfo, jvirt_barray_ptr array, JDIMENSION startRow, JDIMENSION numRows,
                            boolean writable)
{
    auto* kept = static_cast<TKeptArrays*>(cinfo->client_data);
    for (size_t c = 0; c < 3; ++c)
        if (array == kept->Handle(c))
        {
            if (size_t(startRow) + numRows > kept->Rows[c].size()) ERREXIT(cinfo, JERR_BAD_VIRTUAL_ACCESS);
            return kept->Rows[c].data() + startRow;
        }
    return kept->LibraryAccess(cinfo, array, startRow, numRows, writable);
}

JDIMENSION RoundUp(int value, int multiple)
{
    return JDIMENSION((value + multiple - 1) / multiple * multiple);
}

} // namespace

struct TCoefficientWriter::TImpl
{
    const TFrameLayout Frame;
    const TEncoderKernels& Kernels;
    const std::array<TComponentQuantizer, 3> Quantizers;
    std::vector<uint8_t> Out;
    TJpegCompressor Cinfo;
    TProgressHook Hook{};
    bool OwnHuffmanTables = false; // optimised tables counted by us instead of the library's extra pass
    int Threads = 0;
    std::array<jvirt_barray_ptr, 3> Arrays{}; // the library keeps a pointer to this array until the end
    std::array<JBLOCKARRAY, 3> Rows{};
    std::optional<THuffmanCounts> Counts; // counted while quantising (QuantizePlanes)
    TKeptArrays Kept;

    TImpl(const TDctPlanes& geometry, const TCodingParams& params, const TEncoderKernels& k,
          const std::array<TComponentQuantizer, 3>& q, TCoefficientStore* store)
        : Frame(geometry.Layout), Kernels(k), Quantizers(q), Cinfo(params.Messages, params.TraceLevel)
    {
        const TFrameLayout& f = Frame;
        j_compress_ptr cinfo = Cinfo.Get();
        JpegMemoryDest(cinfo, Out);
        cinfo->image_width = JDIMENSION(f.Width);
        cinfo->image_height = JDIMENSION(f.Height);
        cinfo->input_components = f.NumComponents;
        cinfo->in_color_space = f.NumComponents == 1 ? JCS_GRAYSCALE : JCS_RGB;
        jpeg_set_defaults(cinfo);
        jpeg_set_colorspace(cinfo, f.NumComponents == 1 ? JCS_GRAYSCALE : JCS_YCbCr);
        for (int c = 0; c < f.NumComponents; ++c)
        {
            cinfo->comp_info[c].h_samp_factor = f.Comp[size_t(c)].H;
            cinfo->comp_info[c].v_samp_factor = f.Comp[size_t(c)].V;
        }
        qmjpeg::InstallQuantTables(cinfo, params.Tables);
        // Sequential files get their optimised tables from our own counting on all threads (while
        // quantising kept planes, or at Finish); progressive files leave it to the library, whose
        // tables differ per scan.
        OwnHuffmanTables = params.OptimizeCoding && !params.Progressive;
        Threads = EncoderThreadCount(params.Threads);
        cinfo->optimize_coding = params.OptimizeCoding && !OwnHuffmanTables ? TRUE : FALSE;
        cinfo->restart_interval = ClampRestartInterval(params.RestartInterval);
        cinfo->density_unit = UINT8(params.DensityUnit);
        cinfo->X_density = ClampDensity(params.XDensity);
        cinfo->Y_density = ClampDensity(params.YDensity);
        if (params.Progressive) jpeg_simple_progression(cinfo);
        if (params.Progress)
        {
            Hook.Pub.progress_monitor = ProgressMonitor;
            Hook.Callback = &params.Progress;
            Hook.Last = -1;
            cinfo->progress = &Hook.Pub;
        }

        // Arrays padded to whole MCUs; the library makes the padding blocks itself and never reads
        // these, so they need not be cleared.
        std::array<JDIMENSION, 3> heights{}, widths{};
        for (int c = 0; c < f.NumComponents; ++c)
        {
            const TComponentLayout& comp = f.Comp[size_t(c)];
            heights[size_t(c)] = RoundUp(comp.HeightInBlocks, comp.V);
            widths[size_t(c)] = RoundUp(comp.WidthInBlocks, comp.H);
        }
        if (store)
        {
            for (size_t c = 0; c < size_t(f.NumComponents); ++c)
            {
                const size_t blocks = size_t(heights[c]) * widths[c];
                if (store->Capacity[c] < blocks)
                {
                    store->Coefficients[c].reset();
                    store->Capacity[c] = 0;
                    store->Coefficients[c] = std::make_unique_for_overwrite<int16_t[]>(blocks * DCTSIZE2);
                    store->Capacity[c] = blocks;
                }
                auto* next = reinterpret_cast<JBLOCK*>(store->Coefficients[c].get());
                Kept.Rows[c].resize(heights[c]);
                for (JBLOCKROW& row : Kept.Rows[c])
                {
                    row = next;
                    next += widths[c];
                }
                Arrays[c] = Kept.Handle(c);
            }
            Kept.LibraryAccess = cinfo->mem->access_virt_barray;
            cinfo->mem->access_virt_barray = AccessKeptArray;
            cinfo->client_data = &Kept;
        }
        else
        {
            for (int c = 0; c < f.NumComponents; ++c)
                Arrays[size_t(c)] = cinfo->mem->request_virt_barray(reinterpret_cast<j_common_ptr>(cinfo),
                                                                    JPOOL_IMAGE, FALSE, widths[size_t(c)],
                                                                    heights[size_t(c)], heights[size_t(c)]);
        }
        jpeg_write_coefficients(cinfo, Arrays.data());
        if (geometry.SmoothingNotSupported)
        {
            // The library's downsampler reports this when it starts; ours did the downsampling.
            cinfo->err->msg_code = JTRC_SMOOTH_NOTIMPL;
            cinfo->err->emit_message(reinterpret_cast<j_common_ptr>(cinfo), 0);
        }
        WriteTextMarkers(cinfo, JPEG_COM, params.Comments);
        WriteTextMarkers(cinfo, JPEG_APP0 + 12, params.AppTexts);
        for (int c = 0; c < f.NumComponents; ++c)
            Rows[size_t(c)] = cinfo->mem->access_virt_barray(reinterpret_cast<j_common_ptr>(cinfo), Arrays[size_t(c)],
                                                             0, heights[size_t(c)], TRUE);
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
    // it covers and, for optimised tables, counts their symbols while the blocks are in cache. The
    // DC of a chunk's first MCU depends on the chunk before it and is counted after the region.
    TImpl& d = *FImpl;
    const TFrameLayout& f = d.Frame;
    const THuffmanScan scan(f, d.Rows, d.Cinfo.Get()->restart_interval, d.Kernels);
    std::vector<char> chunkStarts(size_t(scan.McuRows()), 0);
    THuffmanCounts total;
    std::mutex lock;
    ParallelFor(scan.McuRows(), d.Threads, 2, [&](int firstRow, int lastRow, int) {
        for (int c = 0; c < f.NumComponents; ++c)
        {
            int first = 0, last = 0, ignored = 0;
            scan.BlockRows(c, firstRow, first, ignored);
            scan.BlockRows(c, lastRow - 1, ignored, last);
            for (int br = first; br < last; ++br) QuantizeRow(c, br, planes.Block(c, br, 0));
        }
        if (!d.OwnHuffmanTables) return;
        chunkStarts[size_t(firstRow)] = 1;
        THuffmanCounts counts;
        scan.CountRows(firstRow, lastRow, counts, true);
        std::lock_guard<std::mutex> guard(lock);
        total.Add(counts);
    });
    if (!d.OwnHuffmanTables) return;
    for (int row = 0; row < scan.McuRows(); ++row)
        if (chunkStarts[size_t(row)]) scan.AddFirstDc(row, total);
    d.Counts = total;
}

std::vector<uint8_t> TCoefficientWriter::Finish()
{
    j_compress_ptr cinfo = FImpl->Cinfo.Get();
    if (FImpl->OwnHuffmanTables)
    {
        const THuffmanCounts counts =
            FImpl->Counts ? *FImpl->Counts
                          : CountHuffmanSymbols(FImpl->Frame, FImpl->Rows, cinfo->restart_interval, FImpl->Threads,
                                                FImpl->Kernels);
        for (int t = 0; t < std::min(FImpl->Frame.NumComponents, 2); ++t)
        {
            JHUFF_TBL*& dc = cinfo->dc_huff_tbl_ptrs[t];
            JHUFF_TBL*& ac = cinfo->ac_huff_tbl_ptrs[t];
            if (!dc) dc = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(cinfo));
            if (!ac) ac = jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(cinfo));
            BuildOptimalHuffmanTable(*dc, counts.Dc[size_t(t)]);
            BuildOptimalHuffmanTable(*ac, counts.Ac[size_t(t)]);
        }
    }
    jpeg_finish_compress(cinfo);
    return std::move(FImpl->Out);
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
