#include "codec/JpegDecode.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "codec/JPEGImage.h"
#include "platform/Format.h"
#include "platform/Round.h"

namespace {

// A damaged or hostile progressive file may hold a great many scans; only this many are shown
// one by one, the rest are read in one go before the final pass.
constexpr int MaxDisplayedScans = 100;
constexpr int DefaultDpi = 96;

// The progress hook while decoding: the work limit, then the image's progress events.
void DecodeProgressMonitor(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    CheckJpegDecodeWork(int64_t(d->image_width) * d->image_height, d->input_scan_number);
    ProgressMonitor(cinfo);
}

} // namespace

// Marker segments are skipped by their lengths, entropy-coded data up to the next marker. A reserved
// marker (0x02-0xBF) carries no length the decoder trusts: met where a restart is due, the decoder
// takes the bytes behind it as garbage and looks for the next marker, so scans behind it count.
int64_t CountJpegScans(const uint8_t* data, size_t size)
{
    int64_t scans = 0;
    for (size_t p = 0; p + 1 < size;) {
        const void* ff = std::memchr(data + p, 0xFF, size - p - 1);
        if (!ff) break;
        p = size_t(static_cast<const uint8_t*>(ff) - data);
        const uint8_t m = data[p + 1];
        if (m == 0xD9) break;
        // Fill bytes, stuffed zeros, restart markers and the markers without a length.
        if (m == 0xFF) {
            ++p;
            continue;
        }
        if (m < 0xC0 || (m >= 0xD0 && m <= 0xD8) || p + 3 >= size) {
            p += 2;
            continue;
        }
        if (m == 0xDA) ++scans;
        p += 2 + (size_t(data[p + 2]) << 8 | data[p + 3]);
    }
    return scans;
}

namespace {

// Bytes the library holds while it reads a file of several scans: a coefficient array of the
// whole picture (2 bytes a sample, in whole MCUs) besides the bitmap.
int64_t MultiScanBytes(j_decompress_ptr cinfo, int64_t bitmapBytes)
{
    int64_t bytes = bitmapBytes;
    for (int c = 0; c < cinfo->num_components; ++c) {
        const jpeg_component_info& comp = cinfo->comp_info[c];
        const int64_t h = std::max(comp.h_samp_factor, 1), v = std::max(comp.v_samp_factor, 1);
        const int64_t w = (int64_t(comp.width_in_blocks) + h - 1) / h * h;
        const int64_t rows = (int64_t(comp.height_in_blocks) + v - 1) / v * v;
        bytes += w * rows * DCTSIZE2 * int64_t(sizeof(JCOEF));
    }
    return bytes;
}

void AttachSource(j_decompress_ptr cinfo, const TMemoryStream& stream)
{
    // The library would report the end-of-image marker it inserts at the end of the data.
    if (stream.Data().empty()) throw EJPEG(SEmptyJpegFile);
    JpegMemorySource(cinfo, stream.Data().data(), stream.Data().size());
}

unsigned ScaleDenominator(uint8_t scale) { return 1u << std::min<unsigned>(scale, 3); }

// A palette of the decoder's actual colours (a one-component map gives grey entries).
TPaletteEntries CreatePaletteFromColormap(j_decompress_ptr cinfo)
{
    TPaletteEntries palette;
    if (!cinfo->colormap) return palette;
    const int n = std::clamp(cinfo->actual_number_of_colors, 0, 256);
    const bool grey = cinfo->out_color_components == 1;
    palette.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        TRGBQuad& q = palette[size_t(i)];
        q.rgbRed = cinfo->colormap[0][i];
        q.rgbGreen = grey ? q.rgbRed : cinfo->colormap[1][i];
        q.rgbBlue = grey ? q.rgbRed : cinfo->colormap[2][i];
    }
    return palette;
}

// Makes up to 256 palette entries the decoder's colour map (rows red, green, blue).
void SetColormapFromPalette(j_decompress_ptr cinfo, const TPaletteEntries& palette)
{
    const int n = int(std::min<size_t>(palette.size(), 256));
    if (n == 0) return;
    JSAMPARRAY map = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, JDIMENSION(n), 3);
    for (int i = 0; i < n; ++i) {
        map[0][i] = palette[size_t(i)].rgbRed;
        map[1][i] = palette[size_t(i)].rgbGreen;
        map[2][i] = palette[size_t(i)].rgbBlue;
    }
    cinfo->colormap = map;
    cinfo->actual_number_of_colors = n;
}

void TakeDensity(TJPEGImage& image, j_decompress_ptr cinfo)
{
    int64_t x = cinfo->X_density, y = cinfo->Y_density;
    if (cinfo->density_unit == 2) { // dots per centimetre
        x = Round(double(x) * 2.54);
        y = Round(double(y) * 2.54);
    }
    if (cinfo->density_unit == 0 || x == 0 || y == 0) x = y = DefaultDpi;
    image.DensityUnit = 1;
    image.XDensity = int32_t(x);
    image.YDensity = int32_t(y);
}

} // namespace

void CheckJpegDecodeWork(int64_t pixels, int64_t scans)
{
    if (scans > MaxJpegScans) throw EJPEG(Format("The file holds more than %d scans", MaxJpegScans));
    if (scans > 0 && pixels > MaxJpegPixelScans / scans)
        throw EJPEG(Format("Too much work to decode: %lld scans of %lld pixels", static_cast<long long>(scans),
                           static_cast<long long>(pixels)));
}

void CheckJpegDecodeMemory(int64_t bytes)
{
    const int64_t budget = JpegDecodeMemoryBudget();
    if (bytes > budget)
        throw EOutOfResources(Format("Decoding needs %lld MB, more than the limit of %lld MB",
                                     static_cast<long long>((bytes + (1 << 20) - 1) >> 20),
                                     static_cast<long long>(budget >> 20)));
}

int64_t JpegDecodeMemoryBudget() { return TBitmap::PixelLimit() * 6; }

void ReadJpegHeader(TJPEGImage& image, TJpegDecompressor& dec, TJpegProgress& progress,
                    TJpegFinalPassOptions& finalPass)
{
    j_decompress_ptr cinfo = dec.Get();
    image.LibraryMessages.Clear();
    InstallProgressMonitor(reinterpret_cast<j_common_ptr>(cinfo), progress, &image);
    progress.Pub.progress_monitor = DecodeProgressMonitor;

    image.Comments.Clear();
    image.AppTexts.Clear();
    jpeg_save_markers(cinfo, JPEG_COM, 0xFFFF);
    jpeg_save_markers(cinfo, JPEG_APP0 + 12, 0xFFFF);
    AttachSource(cinfo, *image.GetJpegStream());
    jpeg_read_header(cinfo, TRUE);

    for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
        std::string text(reinterpret_cast<const char*>(m->data), m->data_length);
        if (m->marker == JPEG_COM)
            image.Comments.Add(text);
        else if (m->marker == JPEG_APP0 + 12)
            image.AppTexts.Add(text);
    }

    cinfo->scale_num = 1;
    cinfo->scale_denom = ScaleDenominator(image.Scale);
    cinfo->do_block_smoothing = image.BlockSmoothing;

    image.RestartInterval = int32_t(cinfo->restart_interval);
    TakeDensity(image, cinfo);
    // The image keeps three pairs; a four-component file has one more that is not taken.
    const int components = std::min(cinfo->num_components, int(image.SamplingFactors.size()));
    for (int i = 0; i < components; ++i) {
        image.SamplingFactors[size_t(i)].H = cinfo->comp_info[i].h_samp_factor;
        image.SamplingFactors[size_t(i)].V = cinfo->comp_info[i].v_samp_factor;
    }

    // Colour quantisation yields palette indices, so it serves the 8-bit bitmap only.
    const bool quantize = image.PixelFormat8Bit;
    cinfo->dct_method = J_DCT_METHOD(image.DCTMethod);
    cinfo->quantize_colors = quantize;
    cinfo->desired_number_of_colors = image.DesiredColors;
    cinfo->dither_mode = J_DITHER_MODE(image.DitherMode);
    cinfo->two_pass_quantize = image.TwoPassQuantize;

    const bool multiScan = jpeg_has_multiple_scans(cinfo);
    if (multiScan) image.ProgressiveEncoding = true;
    image.Grayscale = cinfo->jpeg_color_space == JCS_GRAYSCALE;
    // Indices when quantising (the colour map's rows are then red, green, blue); otherwise rows in
    // the bitmap's blue, green, red order. A grey file gives grey pixels.
    cinfo->out_color_space = quantize ? JCS_RGB : JCS_EXT_BGR;

    if (image.FastDecode) {
        cinfo->dct_method = JDCT_IFAST;
        cinfo->two_pass_quantize = FALSE;
        cinfo->dither_mode = JDITHER_ORDERED;
    }
    finalPass.DctMethod = cinfo->dct_method;
    finalPass.TwoPassQuantize = cinfo->two_pass_quantize;
    finalPass.DitherMode = cinfo->dither_mode;

    if (image.ProgressiveDisplay && multiScan) {
        cinfo->buffered_image = TRUE;
        cinfo->dct_method = JDCT_IFAST;
        cinfo->two_pass_quantize = FALSE;
        cinfo->dither_mode = JDITHER_ORDERED;
        cinfo->enable_2pass_quant = finalPass.TwoPassQuantize;
    }
}

TBitmap* DecodeJpeg(TJPEGImage& image)
{
    const std::shared_ptr<TJPEGData> data = image.Data; // keeps the stream alive while decoding
    if (!data || !data->Data) return nullptr;
    const bool created = !image.Bitmap;
    if (created) image.Bitmap = std::make_unique<TBitmap>();
    TBitmap& bmp = *image.Bitmap;
    bool paletteModified = false;
    try {
        TJpegDecompressor dec(&image.LibraryMessages, image.TraceLevel);
        TJpegProgress progress;
        TJpegFinalPassOptions finalPass;
        ReadJpegHeader(image, dec, progress, finalPass);
        j_decompress_ptr cinfo = dec.Get();

        const bool to8 = image.PixelFormat8Bit;
        const TPixelFormat format = to8 ? TPixelFormat::pf8bit : TPixelFormat::pf24bit;
        image.ReportProgress(TProgressStage::psStarting, 0, false, TRect{});
        progress.LastPercent = 0;
        const bool givenPalette = to8 && !image.Palette.empty();
        if (givenPalette)
            SetColormapFromPalette(cinfo, image.Palette);
        else if (!image.Palette.empty())
            image.Palette.clear();

        // The header's size is refused before the library or the bitmap allocates anything for it.
        // A file of several scans is held whole by the library, at its full size whatever the
        // scale: that size must pass the same limits as a bitmap of the picture.
        jpeg_calc_output_dimensions(cinfo);
        TBitmap::CheckSize(cinfo->output_width, cinfo->output_height, TBitmap::BitsPerPixel(format));
        if (jpeg_has_multiple_scans(cinfo)) {
            TBitmap::CheckSize(cinfo->image_width, cinfo->image_height, TBitmap::BitsPerPixel(TPixelFormat::pf24bit));
            const TMemoryStream& stream = *data->Data;
            CheckJpegDecodeWork(int64_t(cinfo->image_width) * cinfo->image_height,
                                CountJpegScans(stream.Data().data(), stream.Data().size()));
            const int64_t bitmapBytes =
                TBitmap::RowBytes(cinfo->output_width, TBitmap::BitsPerPixel(format)) * cinfo->output_height;
            CheckJpegDecodeMemory(MultiScanBytes(cinfo, bitmapBytes));
        }
        jpeg_start_decompress(cinfo);
        const int width = int(cinfo->output_width), height = int(cinfo->output_height);
        // A bitmap of the right size and format is reused: every row is written again.
        if (bmp.PixelFormat() != format || bmp.Width() != width || bmp.Height() != height)
            bmp = TBitmap(width, height, format);
        if (givenPalette)
            bmp.SetPalette(TPaletteEntries(image.Palette.begin(),
                                           image.Palette.begin() + std::min<size_t>(image.Palette.size(), 256)));
        else if (!bmp.Palette().empty())
            bmp.SetPalette({});
        if (int64_t(cinfo->output_width) * cinfo->output_components > int64_t(bmp.Stride()))
            throw EJPEG("Decoder output does not fit the bitmap");

        const bool quantize = cinfo->quantize_colors;
        auto takePalette = [&] {
            if (quantize && !givenPalette) {
                bmp.SetPalette(CreatePaletteFromColormap(cinfo));
                paletteModified = true;
            }
        };
        auto readRows = [&] {
            while (cinfo->output_scanline < cinfo->output_height) {
                JSAMPROW row = bmp.ScanLine(int(cinfo->output_scanline));
                if (jpeg_read_scanlines(cinfo, &row, 1) != 1) break;
            }
            bmp.Modified();
        };

        if (cinfo->buffered_image) {
            bool first = true;
            for (int shown = 0; !jpeg_input_complete(cinfo) && shown < MaxDisplayedScans; ++shown) {
                jpeg_start_output(cinfo, cinfo->input_scan_number);
                if (first) takePalette();
                first = false;
                readRows();
                jpeg_finish_output(cinfo);
            }
            while (!jpeg_input_complete(cinfo)) {
                CheckJpegDecodeWork(int64_t(cinfo->image_width) * cinfo->image_height, cinfo->input_scan_number);
                int r = jpeg_consume_input(cinfo);
                if (r == JPEG_SUSPENDED || r == JPEG_REACHED_EOI) break;
            }
            cinfo->dct_method = finalPass.DctMethod;
            cinfo->two_pass_quantize = finalPass.TwoPassQuantize;
            cinfo->dither_mode = finalPass.DitherMode;
            // The final two-pass quantisation builds its own colour map.
            if (quantize && finalPass.TwoPassQuantize && !givenPalette) cinfo->colormap = nullptr;
            jpeg_start_output(cinfo, cinfo->input_scan_number);
            if (finalPass.TwoPassQuantize) takePalette();
        } else {
            takePalette();
        }
        readRows();
        if (cinfo->buffered_image) jpeg_finish_output(cinfo);
        jpeg_finish_decompress(cinfo);
    } catch (...) {
        // A bitmap made by this call would hold nothing, yet stand for the picture's size.
        if (created) image.Bitmap.reset();
        image.ReportProgress(TProgressStage::psEnding, 0, false, TRect{});
        if (paletteModified) {
            image.PaletteModified = true;
            image.Changed();
        }
        throw;
    }
    image.ReportProgress(TProgressStage::psEnding, 100, false, TRect{});
    if (paletteModified) {
        image.PaletteModified = true;
        image.Changed();
    }
    return image.Bitmap.get();
}

TJpegScaledSize ReadScaledSize(const TJPEGImage& image, TStringList* messages)
{
    const std::shared_ptr<TJPEGData> data = image.Data;
    if (!data || !data->Data) return {};
    TJpegDecompressor dec(messages, image.TraceLevel);
    j_decompress_ptr cinfo = dec.Get();
    AttachSource(cinfo, *data->Data);
    jpeg_read_header(cinfo, TRUE);
    cinfo->scale_num = 1;
    cinfo->scale_denom = ScaleDenominator(image.Scale);
    jpeg_calc_output_dimensions(cinfo);
    return {int32_t(cinfo->output_width), int32_t(cinfo->output_height), bool(jpeg_has_multiple_scans(cinfo))};
}

void RecalcScaledSize(TJPEGImage& image)
{
    if (!image.NeedHeader) return;
    const bool hasData = image.Data && image.Data->Data;
    if (hasData) image.LibraryMessages.Clear();
    const TJpegScaledSize size = ReadScaledSize(image, &image.LibraryMessages);
    image.ScaledWidth = size.Width;
    image.ScaledHeight = size.Height;
    if (!hasData) return;
    image.ProgressiveEncoding = size.MultiScan;
    image.NeedHeader = false;
}

void ReadStreamInfo(TJPEGImage& image)
{
    const std::shared_ptr<TJPEGData> data = image.Data;
    if (!data || !data->Data) return;
    image.LibraryMessages.Clear(); // the messages of the data dropped are gone with it
    TJpegDecompressor dec(&image.LibraryMessages, image.TraceLevel);
    j_decompress_ptr cinfo = dec.Get();
    AttachSource(cinfo, *data->Data);
    jpeg_read_header(cinfo, TRUE);
    data->Width = int32_t(cinfo->image_width);
    data->Height = int32_t(cinfo->image_height);
    data->Grayscale = cinfo->jpeg_color_space == JCS_GRAYSCALE;
    image.ProgressiveEncoding = jpeg_has_multiple_scans(cinfo);
}
