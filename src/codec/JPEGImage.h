#pragma once
// TJPEGImage: everything the program knows about one compressed picture: the encoded stream
// (shared with copies through TJPEGData), the decoded display bitmap, the source bitmap the
// encoder compresses, every compression setting, the settings of the run in progress and of the
// last request, and the image's resampling options.
//
// Drawing, palette handles of the screen and the clipboard belong to the GUI layer; this class
// keeps the data they use.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "codec/EncoderParams.h" // TSamplingFactor
#include "codec/JPEGProfile.h"
#include "codec/SelUnit.h"
#include "common/EnhClasses.h"
#include "platform/Bitmap.h"
#include "platform/Graphic.h"
#include "platform/Stream.h"
#include "platform/StringList.h"
#include "resample/ResamplingOptions.h"

// The encoded data, shared by every image that holds a reference to it. Encoding installs a fresh
// object, so images that shared the old one keep it unchanged.
struct TEncodeRun;
class TRatioSearch;
class TStageCache;

class TJPEGData
{
public:
    std::unique_ptr<TMemoryStream> Data; // the complete JPEG file, or none
    int32_t Width = 0;
    int32_t Height = 0;
    bool Grayscale = false; // the stored picture has one component
};

using TPaletteEntries = std::vector<TRGBQuad>; // empty = no palette

class TJPEGImage : public TGraphic
{
public:
    TJPEGImage();
    ~TJPEGImage() override;
    TJPEGImage(const TJPEGImage&) = delete;
    TJPEGImage& operator=(const TJPEGImage&) = delete;

    // ---- data ----
    std::shared_ptr<TJPEGData> Data;
    std::unique_ptr<TBitmap> Bitmap;        // decoded display bitmap (24-bit, or 8-bit with PixelFormat8Bit)
    const TBitmap* SourceBitmap = nullptr;  // what the encoder compresses; not owned
    int32_t ScaledWidth = 0;
    int32_t ScaledHeight = 0;
    TPaletteEntries Palette;                // caller-set palette

    // ---- compression settings (q = quality 1..100, higher is finer) ----
    uint8_t LumQuality = 50;
    uint8_t ChromQuality = 50;
    uint8_t SelLumQuality = 50;
    uint8_t SelChromQuality = 50;
    uint8_t Smoothing = 0;
    uint8_t DCTMethod = 0;       // 0 = slow integer DCT, the only one the encoder uses
    float ComprRatio = 0;        // target ratio; 0 = none
    bool OptimizeCoding = true;
    int32_t RestartInterval = 0; // in MCUs
    uint8_t DensityUnit = 1;
    int32_t XDensity = 96;
    int32_t YDensity = 96;
    std::array<TSamplingFactor, 3> SamplingFactors{{{2, 2}, {1, 1}, {1, 1}}}; // a pair with a zero is not applied
    std::array<uint8_t, 5> FilterValues{50, 50, 50, 50, 50};    // index = filter kind - 1
    std::array<uint8_t, 5> SelFilterValues{50, 50, 50, 50, 50};
    int32_t FilterRadius = 5;
    int32_t SelFilterRadius = 5;
    int32_t ActiveFilter = 0;    // 0 none, 1..5
    int32_t SelActiveFilter = 0;
    TStringList LibraryMessages; // library warnings of the last header read or encode
    std::string EncodeError;     // message of the last encode that failed; cleared by the next encode
    TStringList Comments;        // COM texts, one line per marker
    TStringList AppTexts;        // APP12 texts, one line per marker

    // ---- decoder options ----
    bool QuantizeColors = false;
    int32_t DesiredColors = 236;
    uint8_t DitherMode = 2; // 0 none, 1 ordered, 2 Floyd-Steinberg
    bool TwoPassQuantize = true;
    int32_t TraceLevel = 0;

    // ---- selective compression ----
    bool SelectiveCompression = false;
    std::array<int8_t, 5> QualityEqualizerBands{};    // -50..50, large to small details
    std::array<int8_t, 5> SelQualityEqualizerBands{};
    bool EqualizerFullControl = false;
    std::unique_ptr<TBitmap> MaskBitmap;               // selection mask of the last encode
    TEnhList SelUnits{int(sizeof(TSelUnit))};          // TSelUnit items
    std::vector<uint8_t> LargeBlockMask;
    std::vector<uint8_t> SmallBlockMask;
    uint8_t SelThreshold = 50;

    // ---- target-ratio search ----
    int32_t ComprRatioMaxNumAppr = 10;
    int32_t ComprRatioMaxDiff = 5; // percent of the target

    bool BlockSmoothing = true;
    bool Grayscale = false;
    bool PixelFormat8Bit; // from the screen's colour depth, see SetJpegScreenDepth
    bool ProgressiveDisplay = false;
    bool ProgressiveEncoding = false;
    bool FastDecode = false;
    uint8_t Scale = 0; // 0 full, 1 half, 2 quarter, 3 eighth
    bool NeedHeader = false;
    // Paints the selection units into the mask bitmap (selective compression).
    std::function<void(TJPEGImage& image, TBitmap& mask)> OnPaintMask;

    TJPEGProfile WorkProfile;  // settings of the run in progress
    TJPEGProfile LastRequest;  // what the last run was asked for
    int32_t DisplayRatio = 20;
    TResamplingOptions ResamplingOptions;
    std::string ProfileName;
    uint16_t MatchMask = DefaultMatchMask;
    bool RatioSearchActive = false;
    uint8_t TrialPercent = 0;
    int32_t TrialCount = 0;

    bool PaletteModified = false;
    std::function<void(TJPEGImage* sender)> OnChange;

    // ---- graphic operations ----
    bool Empty() const override { return GetEmpty(); }
    int Width() const override;
    int Height() const override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // The display bitmap; decoded first when there is none.
    const TBitmap* GetBitmap() override { return Bitmap ? Bitmap.get() : EnsureBitmap(); }

    // Shares source's encoded data and copies its bitmap; settings are not copied.
    void Assign(const TJPEGImage& source);
    // New empty data and a copy of the bitmap.
    void Assign(const TBitmap& source);
    // dest receives the decoded bitmap (decoding first).
    void AssignTo(TBitmap& dest);
    virtual void Changed();
    // True when other is a TJPEGImage sharing the same encoded data object.
    bool Equals(const TGraphic& other) const;
    bool GetEmpty() const;
    // Width and Height that keep the size read from the header for the next call.
    int GetWidth();
    int GetHeight();
    // The bitmap's palette, else Palette (empty = none).
    const TPaletteEntries& GetPalette() const;
    void SetPalette(const TPaletteEntries& p);
    [[noreturn]] void SetWidth(int);
    [[noreturn]] void SetHeight(int);
    // A 32-bit length, then that many bytes of JPEG data.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream);
    // Adopts size bytes of stream as new encoded data and reads their header.
    void ReadStreamHeader(int64_t size, TStream& stream);

    // ---- program operations ----
    // The compression run with the image's current settings: one encode into WorkProfile's
    // settings, or, with a target ratio (ComprRatio > 0), a search of trial encodes. Failures and
    // cancels are not reported: the image keeps what the encoder or the search left.
    void CompressImage();
    // The same with the settings copied when the run started (TakeEncodeRun, on the main thread);
    // what a worker thread runs.
    void CompressImage(const TEncodeRun& run);
    // Sets the picture the encoder compresses; a different picture drops the stage cache.
    void SetSourceBitmap(const TBitmap* source);
    // The encoder's kept quality-independent stages; released with ReleaseStageCache, when the
    // source changes through SetSourceBitmap, and with the image.
    TStageCache& StageCache() const { return *FStageCache; }
    void ReleaseStageCache();
    void EnsureJpegData();
    // Decodes the encoded stream into Bitmap; without a stream, the bitmap there is (or nullptr).
    TBitmap* EnsureBitmap();
    void FreeBitmap();
    bool HasBitmap() const { return Bitmap != nullptr; }
    int64_t GetJpegDataSize() const;
    TMemoryStream* GetJpegStream() const;
    bool IsGrayscale() const;

    // Plain stores and loads (i 0..4, kind 1..5); an index out of range reads 0 and stores nothing.
    int GetEqualizerBand(int i) const;
    void SetEqualizerBand(int i, int v);
    int GetSelEqualizerBand(int i) const;
    void SetSelEqualizerBand(int i, int v);
    int GetFilterValue(int kind) const;
    void SetFilterValue(int kind, int v);
    int GetSelFilterValue(int kind) const;
    void SetSelFilterValue(int kind, int v);

    void SetCompressionRatio(float r);
    // 0: (2,2),(1,1),(1,1); 1: all (1,1); 2: (1,1),(2,2),(2,2); other values change nothing.
    void SetSubsampling(int mode);
    int GetSubsampling() const;
    void SetScale(uint8_t s);
    // Resets a group of settings (0..5); returns whether something changed.
    bool ResetSettings(int group);
    int RoundedRatio() const;
    // RoundedRatio for a run whose target ratio was comprRatio.
    int RoundedRatioFor(float comprRatio) const;
    // Picks the decode scale for a preview box; true when the chosen scale is not full size.
    bool FitDecodeScale(int boxW, int boxH);
    void CopySettingsFrom(TJPEGImage& source, bool withFlags);
    // Percent of the whole run from the percent p of the current encode (stores p in TrialPercent).
    uint8_t OverallProgress(int p);

    // ---- compression runs ----
    // From the creation of a compression run (TJPEGEngine) until its completion handler has run on
    // the main thread, the run's worker thread writes Data, WorkProfile, TrialCount, TrialPercent,
    // RatioSearchActive, MaskBitmap, the block masks, LibraryMessages, EncodeError and the stage cache; no other
    // thread uses them meanwhile (the image window keeps out while it is Busy). The accessors of the
    // encoded data assert it.
    void BeginRun(); // main thread, when the run is created
    void ClaimRun(); // the worker thread, when the run starts
    void EndRun();   // main thread, when the run has ended
    bool RunInProgress() const { return FRunActive.load(); }
    // True when the calling thread may use the fields a run writes: no run, or the run's own thread.
    bool MayUseRunFields() const;

    // Sends the graphic's progress event (used by the encoder and the decoder).
    void ReportProgress(TProgressStage stage, int percent, bool redrawNow, const TRect& r)
    {
        Progress(stage, percent, redrawNow, r, std::string());
    }

private:
    friend class TImageRatioHost;
    // The display bitmap's size, else the source's, the size at the decode scale (read from the
    // header when NeedHeader is set, without keeping it) or the stored picture's.
    std::pair<int, int> ShownSize() const;
    std::unique_ptr<TStageCache> FStageCache;
    std::atomic<TRatioSearch*> FActiveSearch{nullptr}; // the search of the run in progress
    std::atomic<bool> FRunActive{false};
    std::atomic<std::thread::id> FRunThread{};
};

// The default of PixelFormat8Bit for new images: true when the screen shows at most 8 bits per pixel.
void SetJpegScreenDepth(int bitsPerPixel);
bool DefaultPixelFormat8Bit();

// The picture-format registry's entry for JPEG files: each extension with its description and a
// factory. The registry calls RegisterJpegFormat with its own add function.
using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;
using TRegisterGraphicFn =
    std::function<void(const std::string& extension, const std::string& description, TGraphicFactory factory)>;
void RegisterJpegFormat(const TRegisterGraphicFn& add);
