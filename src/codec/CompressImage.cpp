// The compression run of an image: one encode, or the target-ratio search with the image as the
// search's host (a trial is an encode with the trial's settings in WorkProfile).
#include <algorithm>
#include <memory>

#include "codec/JPEGImage.h"
#include "codec/JpegEncode.h"
#include "codec/RatioSearch.h"
#include "codec/StageCache.h"

namespace {

TRatioSettings RatioSettingsOf(const TJPEGProfile& p)
{
    TRatioSettings s;
    s.LumQuality = p.LumQuality;
    s.ChromQuality = p.ChromQuality;
    std::copy(p.QualityEqualizerBand.begin(), p.QualityEqualizerBand.end(), s.QualityEqualizerBand);
    s.ComprRatio = p.ComprRatio;
    s.Grayscale = p.Grayscale;
    s.EqualizerFullControl = p.EqualizerFullControl;
    s.Precision = p.Precision;
    return s;
}

// The request with the qualities and bands the search chose.
TJPEGProfile WithSearchSettings(const TJPEGProfile& request, const TRatioSettings& s)
{
    TJPEGProfile p = request;
    p.LumQuality = s.LumQuality;
    p.ChromQuality = s.ChromQuality;
    std::copy(std::begin(s.QualityEqualizerBand), std::end(s.QualityEqualizerBand), p.QualityEqualizerBand.begin());
    return p;
}

// The encoded data before the search: the reference itself, so a restore reinstates exactly that
// object (its bytes and length, or no stream at all).
class TDataBackup : public TEncodedBackup
{
public:
    explicit TDataBackup(std::shared_ptr<TJPEGData> data) : Data(std::move(data)) {}
    std::shared_ptr<TJPEGData> Data;
};

} // namespace

class TImageRatioHost : public IRatioSearchHost
{
public:
    TImageRatioHost(TJPEGImage& image, const TEncodeRun& run, TRatioSearch& search)
        : FImage(image), FRun(run), FSearch(search)
    {
    }

    int32_t PictureWidth() override { return FRun.Input ? FRun.Input->Width() : 0; }
    int32_t PictureHeight() override { return FRun.Input ? FRun.Input->Height() : 0; }

    int64_t EncodeTrial(const TRatioSettings& settings) override
    {
        if (!FRun.Input || FRun.Input->Empty()) return 0;
        FImage.WorkProfile = WithSearchSettings(FRun.Request, settings);
        FImage.TrialCount = FSearch.TrialCount;
        EncodeJpeg(FImage, FRun, FImage.WorkProfile);
        return FImage.GetJpegDataSize();
    }

    std::unique_ptr<TEncodedBackup> BackupEncodedData() override
    {
        return std::make_unique<TDataBackup>(FImage.Data);
    }

    void RestoreEncodedData(const TEncodedBackup& backup) override
    {
        auto data = static_cast<const TDataBackup&>(backup).Data;
        FImage.Data = data ? data : std::make_shared<TJPEGData>();
    }

    // Runs the search with the image's progress figures hooked to it.
    void Run()
    {
        FImage.RatioSearchActive = true;
        FImage.FActiveSearch = &FSearch;
        TRatioLimits limits;
        limits.ComprRatioMaxNumAppr = std::max(FRun.ComprRatioMaxNumAppr, int32_t(1));
        limits.ComprRatioMaxDiff = FRun.ComprRatioMaxDiff;
        TRatioSearchResult result;
        try {
            result = FSearch.Run(*this, RatioSettingsOf(FRun.Request), RatioSettingsOf(FRun.LastRequest),
                                 RatioSettingsOf(FRun.LastWork), limits);
        } catch (...) {
            FImage.FActiveSearch = nullptr;
            FImage.RatioSearchActive = false;
            throw;
        }
        FImage.FActiveSearch = nullptr;
        FImage.RatioSearchActive = false;
        FImage.TrialCount = result.TrialCount;
        // WorkProfile keeps the settings of the last trial; LastRequest becomes this request unless
        // the search was cut short.
        FImage.WorkProfile = WithSearchSettings(FRun.Request, result.WorkProfile);
        if (!result.Restored) FImage.LastRequest = FRun.Request;
    }

private:
    TJPEGImage& FImage;
    const TEncodeRun& FRun;
    TRatioSearch& FSearch;
};

void TJPEGImage::CompressImage() { CompressImage(TakeEncodeRun(*this)); }

void TJPEGImage::CompressImage(const TEncodeRun& run)
{
    // The coefficient memory serves the encodes of this run only, however the run ends: it is not
    // held beside the decoded result and between runs.
    struct TReleaseCoefficients
    {
        TStageCache& Cache;
        ~TReleaseCoefficients() { Cache.ReleaseCoefficients(); }
    } release{*FStageCache};
    if (run.Request.ComprRatio > 0) {
        TRatioSearch search;
        TImageRatioHost host(*this, run, search);
        host.Run();
    } else {
        RatioSearchActive = false;
        WorkProfile = run.Request;
        try {
            EncodeJpeg(*this, run, WorkProfile);
        } catch (...) {
            // A failed or cancelled encode leaves the image as the encoder left it; not reported.
        }
        LastRequest = WorkProfile;
    }
    DisplayRatio = RoundedRatioFor(run.Request.ComprRatio);
}
