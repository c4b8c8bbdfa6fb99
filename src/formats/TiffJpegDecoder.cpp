#include "formats/TiffJpegDecoder.h"

#include <algorithm>

#include "codec/JpegGlue.h"


TTIFFJPEGDecoder::TTIFFJPEGDecoder(const TImageProperties& properties, TStringList& warnings)
    : FProperties(properties), FWarnings(warnings), FTables(properties.JPEGTables)
{
}

TTIFFJPEGDecoder::~TTIFFJPEGDecoder() = default;

int TTIFFJPEGDecoder::FillNotingEnd(j_decompress_ptr cinfo)
{
    auto* self = static_cast<TTIFFJPEGDecoder*>(cinfo->client_data);
    if (self->FWarnings.Count() < JpegMessagesKept) self->FWarnings.Add(JpegUnexpectedEndText);
    return self->FLibraryFill(cinfo);
}

void TTIFFJPEGDecoder::InstallSource(const uint8_t* data, size_t size)
{
    j_decompress_ptr info = FInfo->Get();
    JpegMemorySource(info, data, size);
    if (info->src->fill_input_buffer != &FillNotingEnd) FLibraryFill = info->src->fill_input_buffer;
    info->src->fill_input_buffer = &FillNotingEnd;
    info->client_data = this;
}

void TTIFFJPEGDecoder::DecodeInit()
{
    FInfo = std::make_unique<TJpegDecompressor>(&FWarnings, 0);
    const auto& sub = FProperties.YCbCrSubsampling;
    FHSampling = sub.size() >= 2 ? sub[0] : 1;
    FVSampling = sub.size() >= 2 ? sub[1] : 1;
    if (!FTables.empty()) {
        InstallSource(FTables.data(), FTables.size());
        if (jpeg_read_header(FInfo->Get(), FALSE) != JPEG_HEADER_TABLES_ONLY) RaiseDecoderError(BogusJpegTablesText);
    }
}

void TTIFFJPEGDecoder::CheckStream(int segmentWidth, int segmentHeight)
{
    j_decompress_ptr info = FInfo->Get();
    if (int(info->image_width) != segmentWidth || int(info->image_height) != segmentHeight)
        RaiseDecoderError(ImproperStripSizeText);
    const bool chunky = FProperties.PlanarConfig != 2;
    const int components = chunky ? FProperties.SamplesPerPixel : 1;
    if (info->num_components != components) RaiseDecoderError(ImproperComponentCountText);
    if (info->data_precision != FProperties.BitsPerSample) RaiseDecoderError(ImproperPrecisionText);
    const jpeg_component_info* c = info->comp_info;
    const bool subsampled = chunky && components > 1;
    const int h0 = subsampled ? FHSampling : 1, v0 = subsampled ? FVSampling : 1;
    if (c[0].h_samp_factor != h0 || c[0].v_samp_factor != v0) RaiseDecoderError(ImproperSamplingText);
    for (int i = 1; i < info->num_components; ++i)
        if (c[i].h_samp_factor != 1 || c[i].v_samp_factor != 1) RaiseDecoderError(ImproperSamplingText);
}

void TTIFFJPEGDecoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    if (!FInfo) DecodeInit();
    j_decompress_ptr info = FInfo->Get();
    jpeg_abort_decompress(info); // keeps the tables read so far
    InstallSource(source, size_t(std::max(packedSize, 0)));
    jpeg_read_header(info, TRUE);

    const bool tiled = (FProperties.Options & ImageOption::Tiled) != 0;
    int width, height;
    if (tiled) {
        width = FProperties.TileWidth;
        height = FProperties.TileLength;
    } else {
        width = FProperties.Width;
        const int64_t rowsLeft = int64_t(FProperties.Height) - FProperties.CurrentRow;
        const int64_t perStrip = FProperties.RowsPerStrip.empty() ? rowsLeft : int64_t(FProperties.RowsPerStrip[0]);
        height = int(std::max<int64_t>(0, std::min(rowsLeft, perStrip)));
    }
    CheckStream(width, height);

    switch (info->num_components) {
    case 1: info->out_color_space = JCS_GRAYSCALE; break;
    default:
        info->jpeg_color_space = FProperties.ColorScheme == schYCbCr ? JCS_YCbCr : JCS_RGB;
        info->out_color_space = JCS_EXT_BGR;
        break;
    }
    info->raw_data_out = FALSE;
    jpeg_start_decompress(info);

    const int64_t bytesPerLine = FProperties.BytesPerLine;
    if (bytesPerLine <= 0 || unpackedSize % bytesPerLine != 0) RaiseDecoderError(FractionalScanlineText);
    if (int64_t(info->output_width) * info->output_components > bytesPerLine)
        RaiseDecoderError(FractionalScanlineText);
    const int64_t lines = std::min<int64_t>(unpackedSize / bytesPerLine, info->output_height);
    uint8_t* row = dest;
    int64_t done = 0;
    while (done < lines && info->output_scanline < info->output_height) {
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(info, rows, 1) != 1) break;
        row += bytesPerLine;
        ++done;
    }
    if (info->output_scanline >= info->output_height) jpeg_finish_decompress(info);
    else jpeg_abort_decompress(info);
}

void TTIFFJPEGDecoder::DecodeEnd() { FInfo.reset(); }
