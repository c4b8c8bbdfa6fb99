#include "codec/CompressorSetup.h"

#include <jerror.h>

#include "codec/QuantTables.h"

void SetUpCompressor(j_compress_ptr cinfo, const TFrameLayout& f, const TCodingParams& params, int height,
                     bool libraryOptimizes)
{
    cinfo->image_width = JDIMENSION(f.Width);
    cinfo->image_height = JDIMENSION(height);
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
    cinfo->optimize_coding = libraryOptimizes ? TRUE : FALSE;
    cinfo->restart_interval = ClampRestartInterval(params.RestartInterval);
    SetJfifDensity(cinfo, params.DensityUnit, params.XDensity, params.YDensity);
    if (params.Progressive) jpeg_simple_progression(cinfo);
}

namespace
{
void WriteLines(j_compress_ptr cinfo, int marker, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        if (!line.empty())
            jpeg_write_marker(cinfo, marker, reinterpret_cast<const JOCTET*>(line.data()), unsigned(line.size()));
}
} // namespace

void WriteTextMarkers(j_compress_ptr cinfo, const TCodingParams& params)
{
    WriteLines(cinfo, JPEG_COM, params.Comments);
    WriteLines(cinfo, JPEG_APP0 + 12, params.AppTexts);
}

void TKeptArrays::Install(j_compress_ptr cinfo, int components)
{
    for (size_t c = 0; c < size_t(components); ++c) Handles[c] = reinterpret_cast<jvirt_barray_ptr>(&FTags[c]);
    FLibraryAccess = cinfo->mem->access_virt_barray;
    cinfo->mem->access_virt_barray = Access;
    cinfo->client_data = this;
}

JBLOCKARRAY TKeptArrays::Access(j_common_ptr cinfo, jvirt_barray_ptr array, JDIMENSION startRow, JDIMENSION numRows,
                                boolean writable)
{
    auto* kept = static_cast<TKeptArrays*>(cinfo->client_data);
    for (size_t c = 0; c < 3; ++c)
        if (kept->Handles[c] && array == kept->Handles[c])
        {
            if (size_t(startRow) + numRows > kept->Rows[c].size()) ERREXIT(cinfo, JERR_BAD_VIRTUAL_ACCESS);
            return kept->Rows[c].data() + startRow;
        }
    return kept->FLibraryAccess(cinfo, array, startRow, numRows, writable);
}
