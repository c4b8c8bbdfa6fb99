#include "codec/JpegEncode.h"

#include <array>
#include <memory>

#include "codec/JPEGImage.h"
#include "codec/JpegEncoder.h"
#include "codec/JpegProgress.h"
#include "platform/Exceptions.h"

namespace {

// The encode is two passes for the progress figures: the front end (colour conversion,
// downsampling, DCT; the slow one when a prefilter runs in it) and the library's coding passes.
constexpr int FrontEndPass = 0;
constexpr int CodingPass = 1;
constexpr int EncodePasses = 2;

// Everything the front end's result depends on. The picture is known by its generation, which
// changes with every change of its pixels and is unique across all bitmaps.
struct TDctKey
{
    uint64_t Generation = 0;
    int Width = 0, Height = 0;
    TPixelFormat Format = TPixelFormat::pf24bit;
    bool Grayscale = false;
    std::array<TSamplingFactor, 3> Sampling{};
    int Smoothing = 0;

    bool operator==(const TDctKey& o) const
    {
        for (size_t i = 0; i < Sampling.size(); ++i)
            if (Sampling[i].H != o.Sampling[i].H || Sampling[i].V != o.Sampling[i].V) return false;
        return Generation == o.Generation && Width == o.Width && Height == o.Height && Format == o.Format &&
               Grayscale == o.Grayscale && Smoothing == o.Smoothing;
    }
};

} // namespace

struct TDctCache
{
    TDctKey Key;
    TDctPlanes Planes;
};

namespace {

qmjpeg::TQuantSettings QuantSettingsOf(const TJPEGImage& image)
{
    // The main area from the run's settings; the selection from the image's own fields.
    const TJPEGProfile& run = image.WorkProfile;
    qmjpeg::TQuantSettings q;
    q.LumQuality = run.LumQuality;
    q.ChromQuality = run.ChromQuality;
    for (size_t i = 0; i < 5; ++i) {
        q.Bands[i] = run.QualityEqualizerBand[i];
        q.SelBands[i] = image.SelQualityEqualizerBands[i];
    }
    q.EqualizerFullControl = run.EqualizerFullControl;
    q.SelectiveCompression = image.SelectiveCompression;
    q.SelLumQuality = image.SelLumQuality;
    q.SelChromQuality = image.SelChromQuality;
    return q;
}

} // namespace

void EncodeJpeg(TJPEGImage& image)
{
    const TBitmap* input = image.SourceBitmap && !image.SourceBitmap->Empty() ? image.SourceBitmap
                                                                                : image.Bitmap.get();
    if (!input || input->Empty()) return;

    image.LibraryMessages.Clear();
    const TJPEGProfile& run = image.WorkProfile;
    TJpegProgress progress;
    progress.Image = &image;
    progress.Compressing = true;
    progress.MainFilterOn = run.ActiveFilter >= 1 && run.FilterValue > 0;
    progress.Progressive = run.ProgressiveEncoding;

    // The new stream goes into a fresh TJPEGData; the one in place may be shared with copies and
    // stays as it is until the new one replaces it.
    auto data = std::make_shared<TJPEGData>();
    data->Width = input->Width();
    data->Height = input->Height();
    data->Grayscale = run.Grayscale;

    // The prefilter settings join this key when the prefilters run before the front end.
    TDctKey key;
    key.Generation = input->Generation();
    key.Width = input->Width();
    key.Height = input->Height();
    key.Format = input->PixelFormat();
    key.Grayscale = run.Grayscale;
    key.Sampling = image.SamplingFactors;
    key.Smoothing = image.Smoothing;
    std::shared_ptr<TDctCache> cache = image.DctCache;
    const bool cached = cache && cache->Key == key;
    // Without the front end the coding passes are all there is.
    const int firstCodingPass = cached ? 0 : CodingPass;
    const int passes = cached ? 1 : EncodePasses;
    if (cached) progress.MainFilterOn = false;

    bool started = false;
    try {
        TEncodeParams params;
        TFrontEndParams& fe = params.FrontEnd;
        fe.Grayscale = run.Grayscale;
        fe.SamplingFactors = image.SamplingFactors;
        fe.Smoothing = image.Smoothing;
        fe.Progress = [&](int percent) { ProgressStep(progress, percent, 100, FrontEndPass, passes, nullptr); };

        TCodingParams& co = params.Coding;
        co.Tables = qmjpeg::BuildQuantTables(QuantSettingsOf(image));
        co.Rounding = TQuantRounding::Program;
        // Selective compression: the selection mask and the block masks of the selection areas
        // are built here and handed to the quantiser (MaskedQuantization, BlockMasks).
        co.MaskedQuantization = false;
        co.OptimizeCoding = image.OptimizeCoding;
        co.Progressive = run.ProgressiveEncoding;
        co.RestartInterval = run.RestartInterval;
        co.DensityUnit = image.DensityUnit;
        co.XDensity = image.XDensity;
        co.YDensity = image.YDensity;
        co.Comments = image.Comments.Lines();
        co.AppTexts = image.AppTexts.Lines();
        co.Messages = &image.LibraryMessages;
        co.TraceLevel = image.TraceLevel;
        co.Progress = [&](int percent) { ProgressStep(progress, percent, 100, firstCodingPass, passes, nullptr); };

        // The prefilters of the main and the selection area run on the picture before the front
        // end, in bands of 3 rows.

        progress.LastPercent = image.OverallProgress(0);
        image.ReportProgress(TProgressStage::psStarting, progress.LastPercent, false, TRect{});
        started = true;
        if (!cached) {
            cache.reset(); // the old planes' memory is free for the new ones
            image.DctCache.reset();
            cache = std::make_shared<TDctCache>();
            cache->Key = key;
            if (input->PixelFormat() == TPixelFormat::pf24bit) {
                cache->Planes = ComputeDctPlanes(*input, fe);
            } else {
                const TBitmap copy24 = input->To24(); // the caller's bitmap stays as it is
                cache->Planes = ComputeDctPlanes(copy24, fe);
            }
            image.DctCache = cache;
        }
        std::vector<uint8_t> file = QuantizeAndCode(cache->Planes, co);
        started = false;

        data->Data = std::make_unique<TMemoryStream>(std::move(file));
        image.Data = data;
        image.ReportProgress(TProgressStage::psEnding, image.OverallProgress(100), false, TRect{});
    } catch (const EAbort&) {
        // A cancelled run: the partial stream is gone, the image keeps its data.
        if (started) image.ReportProgress(TProgressStage::psEnding, image.OverallProgress(0), false, TRect{});
        throw;
    } catch (...) {
        if (started) {
            try {
                image.ReportProgress(TProgressStage::psEnding, image.OverallProgress(0), false, TRect{});
            } catch (...) {
            }
        }
        // A failed encode leaves the image empty.
        image.Data = std::make_shared<TJPEGData>();
    }
}
