#include "codec/JpegEncode.h"

#include <memory>
#include <optional>

#include "codec/JPEGImage.h"
#include "codec/JpegEncoder.h"
#include "codec/JpegProgress.h"
#include "codec/PrefilterStage.h"
#include "codec/Quantize.h"
#include "codec/RegionMask.h"
#include "codec/StageCache.h"
#include "platform/Exceptions.h"

namespace {

// The encode is two passes for the progress figures: the front end (colour conversion,
// downsampling, DCT; the slow one when a prefilter runs in it) and the library's coding passes.
constexpr int FrontEndPass = 0;
constexpr int CodingPass = 1;
constexpr int EncodePasses = 2;

qmjpeg::TQuantSettings QuantSettingsOf(const TJPEGProfile& main, const TJPEGProfile& request)
{
    // The main area from the trial's settings; the selection from the run's request.
    qmjpeg::TQuantSettings q;
    q.LumQuality = main.LumQuality;
    q.ChromQuality = main.ChromQuality;
    for (size_t i = 0; i < 5; ++i) {
        q.Bands[i] = main.QualityEqualizerBand[i];
        q.SelBands[i] = request.SelQualityEqualizerBand[i];
    }
    q.EqualizerFullControl = main.EqualizerFullControl;
    q.SelectiveCompression = request.SelectiveCompression;
    q.SelLumQuality = request.SelLumQuality;
    q.SelChromQuality = request.SelChromQuality;
    return q;
}

} // namespace

TEncodeRun TakeEncodeRun(const TJPEGImage& image)
{
    TEncodeRun run;
    const TBitmap* input = image.SourceBitmap && !image.SourceBitmap->Empty() ? image.SourceBitmap
                                                                                : image.Bitmap.get();
    if (input && !input->Empty()) {
        run.Input = input;
        run.InputGeneration = input->Generation();
    }
    GetSettingsRecord(image, run.Request);
    run.SamplingFactors = image.SamplingFactors;
    run.Smoothing = image.Smoothing;
    run.DCTMethod = image.DCTMethod;
    run.OptimizeCoding = image.OptimizeCoding;
    run.DensityUnit = image.DensityUnit;
    run.XDensity = image.XDensity;
    run.YDensity = image.YDensity;
    run.Comments = image.Comments.Lines();
    run.AppTexts = image.AppTexts.Lines();
    run.TraceLevel = image.TraceLevel;
    run.ComprRatioMaxNumAppr = image.ComprRatioMaxNumAppr;
    run.ComprRatioMaxDiff = image.ComprRatioMaxDiff;
    run.LastRequest = image.LastRequest;
    run.LastWork = image.WorkProfile;
    return run;
}

void EncodeJpeg(TJPEGImage& image)
{
    TEncodeRun run = TakeEncodeRun(image);
    EncodeJpeg(image, run, image.WorkProfile);
}

void EncodeJpeg(TJPEGImage& image, const TEncodeRun& run, const TJPEGProfile& settings)
{
    const TBitmap* input = run.Input;
    if (!input || input->Empty()) return;

    image.LibraryMessages.Clear();
    image.EncodeError.clear();
    const TFrontEndKey key = FrontEndKeyOf(run, settings);
    std::shared_ptr<const TDctPlanes> planes = image.StageCache().Find(key);
    // The key knows the areas, not what a painter of the image's own paints: with one, filters
    // that read the mask run again.
    const bool filterReadsMask = run.Request.SelectiveCompression &&
                                 ((settings.ActiveFilter >= 1 && settings.FilterValue > 0) ||
                                  (run.Request.SelActiveFilter >= 1 && run.Request.SelFilterValue > 0));
    if (image.OnPaintMask && filterReadsMask) planes.reset();

    TJpegProgress progress;
    progress.Image = &image;
    progress.Compressing = true;
    // Without the front end (kept from an earlier run) the coding is the whole encode.
    progress.MainFilterOn = !planes && settings.ActiveFilter >= 1 && settings.FilterValue > 0;
    progress.Progressive = settings.ProgressiveEncoding;
    const int passes = planes ? 1 : EncodePasses;
    const int codingPass = planes ? 0 : CodingPass;

    // The new stream goes into a fresh TJPEGData; the one in place may be shared with copies and
    // stays as it is until the new one replaces it.
    auto data = std::make_shared<TJPEGData>();
    data->Width = input->Width();
    data->Height = input->Height();
    data->Grayscale = settings.Grayscale;

    bool started = false;
    try {
        const TJPEGProfile& request = run.Request;
        const bool selective = request.SelectiveCompression;
        TCodingParams co;
        co.Tables = qmjpeg::BuildQuantTables(QuantSettingsOf(settings, request));
        co.Rounding = TQuantRounding::Program;
        co.MaskedQuantization = selective;
        co.DctMethod = run.DCTMethod;
        co.OptimizeCoding = run.OptimizeCoding;
        co.Progressive = settings.ProgressiveEncoding;
        co.RestartInterval = settings.RestartInterval;
        co.DensityUnit = run.DensityUnit;
        co.XDensity = run.XDensity;
        co.YDensity = run.YDensity;
        co.Comments = run.Comments;
        co.AppTexts = run.AppTexts;
        co.Messages = &image.LibraryMessages;
        co.TraceLevel = run.TraceLevel;
        co.Progress = [&](int percent) { ProgressStep(progress, percent, 100, codingPass, passes, nullptr); };
        CheckDctMethod(co.DctMethod); // before the front end's work

        progress.LastPercent = image.OverallProgress(0);
        image.ReportProgress(TProgressStage::psStarting, progress.LastPercent, false, TRect{});
        started = true;
        // Selective compression: the selection mask of the run's areas, for the prefilters and
        // for the block masks of the quantiser.
        if (selective) BuildRegionMask(image, run);
        if (!planes) {
            image.StageCache().Clear(); // the old planes' memory is free for the new ones
            std::optional<TBitmap> copy24;
            if (input->PixelFormat() != TPixelFormat::pf24bit) copy24 = input->To24();
            // The prefilters of the main and the selection area run on the picture before the
            // front end; their share of the front end's progress is the first half.
            TPrefilterStage filters;
            filters.Main = {settings.ActiveFilter, settings.FilterValue, settings.FilterRadius};
            if (selective) {
                filters.Selection = {request.SelActiveFilter, request.SelFilterValue, request.SelFilterRadius};
                filters.Mask = image.MaskBitmap.get();
            }
            const bool filtered = filters.On();
            if (filtered) {
                copy24 = ApplyPrefilters(copy24 ? *copy24 : *input, filters, [&](int done, int total) {
                    ProgressStep(progress, done, 2 * total, FrontEndPass, passes, nullptr);
                });
            }
            const TBitmap& bmp24 = copy24 ? *copy24 : *input;
            TFrontEndParams fe;
            fe.Grayscale = settings.Grayscale;
            fe.SamplingFactors = run.SamplingFactors;
            fe.Smoothing = run.Smoothing;
            fe.Progress = [&](int percent) {
                if (filtered)
                    ProgressStep(progress, 100 + percent, 200, FrontEndPass, passes, nullptr);
                else
                    ProgressStep(progress, percent, 100, FrontEndPass, passes, nullptr);
            };
            planes = std::make_shared<const TDctPlanes>(ComputeDctPlanes(bmp24, fe));
            image.StageCache().Store(key, planes);
        }
        TBlockMasks masks;
        if (selective) {
            masks = BuildBlockMasks(image, planes->Layout, request.SelThreshold);
            for (size_t c = 0; c < co.BlockMasks.size(); ++c) co.BlockMasks[c] = masks.ForComponent(c);
        }
        std::unique_ptr<TCoefficientStore> store = image.StageCache().TakeCoefficients();
        if (!store) store = std::make_unique<TCoefficientStore>();
        std::vector<uint8_t> file = QuantizeAndCode(*planes, co, FastKernels(), store.get());
        image.StageCache().KeepCoefficients(std::move(store));
        started = false;

        data->Data = std::make_unique<TMemoryStream>(std::move(file));
        image.Data = data;
        image.ReportProgress(TProgressStage::psEnding, image.OverallProgress(100), false, TRect{});
    } catch (const EAbort&) {
        // A cancelled run: the partial stream is gone, the image keeps its data. Releasing the
        // stream cannot fail here, so there is no error box for a failed release.
        if (started) image.ReportProgress(TProgressStage::psEnding, image.OverallProgress(0), false, TRect{});
        throw;
    } catch (...) {
        try {
            throw;
        } catch (const std::exception& e) {
            image.EncodeError = e.what();
        } catch (...) {
            image.EncodeError = "Unknown error while compressing the image";
        }
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
