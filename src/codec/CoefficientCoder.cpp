// Quantisation and entropy coding: the quantised blocks go into the library's coefficient arrays and
// the library writes the file (markers, Huffman or progressive coding, restart markers). The library
// itself fills the padding blocks of partial MCUs at the edges.
#include <algorithm>
#include <cstring>

#include "codec/JpegEncoder.h"
#include "codec/ParallelBands.h"

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

JDIMENSION RoundUp(int value, int multiple)
{
    return JDIMENSION((value + multiple - 1) / multiple * multiple);
}

} // namespace

std::vector<uint8_t> QuantizeAndCode(const TDctPlanes& planes, const TCodingParams& params,
                                     const TEncoderKernels& kernels)
{
    const TFrameLayout& f = planes.Layout;
    if (f.NumComponents < 1) throw EInvalidGraphicOperation("Nothing to encode");

    // The quantisers first: a missing table fails before anything is written.
    std::array<TComponentQuantizer, 3> quantizers;
    for (int c = 0; c < f.NumComponents; ++c) quantizers[size_t(c)] = MakeComponentQuantizer(params, planes, c);

    std::vector<uint8_t> out;
    TJpegCompressor cinfo(params.Messages, params.TraceLevel);
    JpegMemoryDest(cinfo.Get(), out);
    cinfo->image_width = JDIMENSION(f.Width);
    cinfo->image_height = JDIMENSION(f.Height);
    cinfo->input_components = f.NumComponents;
    cinfo->in_color_space = f.NumComponents == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(cinfo.Get());
    jpeg_set_colorspace(cinfo.Get(), f.NumComponents == 1 ? JCS_GRAYSCALE : JCS_YCbCr);
    for (int c = 0; c < f.NumComponents; ++c)
    {
        cinfo->comp_info[c].h_samp_factor = f.Comp[size_t(c)].H;
        cinfo->comp_info[c].v_samp_factor = f.Comp[size_t(c)].V;
    }
    qmjpeg::InstallQuantTables(cinfo.Get(), params.Tables);
    cinfo->optimize_coding = params.OptimizeCoding ? TRUE : FALSE;
    cinfo->restart_interval = ClampRestartInterval(params.RestartInterval);
    cinfo->density_unit = UINT8(params.DensityUnit);
    cinfo->X_density = ClampDensity(params.XDensity);
    cinfo->Y_density = ClampDensity(params.YDensity);
    if (params.Progressive) jpeg_simple_progression(cinfo.Get());

    TProgressHook hook{};
    if (params.Progress)
    {
        hook.Pub.progress_monitor = ProgressMonitor;
        hook.Callback = &params.Progress;
        hook.Last = -1;
        cinfo->progress = &hook.Pub;
    }

    std::array<jvirt_barray_ptr, 3> arrays{};
    for (int c = 0; c < f.NumComponents; ++c)
    {
        const TComponentLayout& comp = f.Comp[size_t(c)];
        const JDIMENSION rows = RoundUp(comp.HeightInBlocks, comp.V);
        arrays[size_t(c)] = cinfo->mem->request_virt_barray(reinterpret_cast<j_common_ptr>(cinfo.Get()), JPOOL_IMAGE,
                                                            TRUE, RoundUp(comp.WidthInBlocks, comp.H), rows, rows);
    }
    jpeg_write_coefficients(cinfo.Get(), arrays.data());
    WriteTextMarkers(cinfo.Get(), JPEG_COM, params.Comments);
    WriteTextMarkers(cinfo.Get(), JPEG_APP0 + 12, params.AppTexts);

    for (int c = 0; c < f.NumComponents; ++c)
    {
        const TComponentLayout& comp = f.Comp[size_t(c)];
        JBLOCKARRAY rows = cinfo->mem->access_virt_barray(reinterpret_cast<j_common_ptr>(cinfo.Get()),
                                                          arrays[size_t(c)], 0,
                                                          RoundUp(comp.HeightInBlocks, comp.V), TRUE);
        const TComponentQuantizer& q = quantizers[size_t(c)];
        RunParallelBands(comp.HeightInBlocks, EncoderThreadCount(params.Threads), 8, [&](int first, int last) {
            for (int br = first; br < last; ++br)
                kernels.QuantizeBlocks(q, planes.Block(c, br, 0), br, 0, comp.WidthInBlocks,
                                       reinterpret_cast<int16_t(*)[64]>(rows[br]));
        });
    }
    jpeg_finish_compress(cinfo.Get());
    return out;
}

std::vector<uint8_t> QuantizeAndCode(const TDctPlanes& planes, const TCodingParams& params)
{
    return QuantizeAndCode(planes, params, FastKernels());
}

std::vector<uint8_t> EncodeBitmapToJpeg(const TBitmap& bmp24, const TEncodeParams& params)
{
    return QuantizeAndCode(ComputeDctPlanes(bmp24, params.FrontEnd), params.Coding);
}
